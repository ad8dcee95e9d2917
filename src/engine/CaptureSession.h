// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptureManager.h"
#include "SessionTypes.h"
#include "TransformSnapshot.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Logger.h"

#include <QCoro/QCoroTask>
#include <QImage>
#include <QObject>
#include <QUuid>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

// One output session: a source, its transform settings and the output it publishes.
//
// Its properties are observable (each has a NOTIFY signal) and belong to the main thread. The
// frame path reads the transform through transformSnapshot(), which is safe from any thread.
// Sessions are shared (std::shared_ptr, see create()) and always destroyed on the main thread.
class FramePath;
class MetalShared;
class SerialQueue;
class StreamOutput;

namespace ScreenCapture {
class Stream;
struct SampleBuffer;
} // namespace ScreenCapture

namespace framesharing {
class Client;
class Server;
} // namespace framesharing

class CaptureSession : public QObject, public std::enable_shared_from_this<CaptureSession>
{
    Q_OBJECT
    Q_PROPERTY(QUuid id READ id CONSTANT)
    Q_PROPERTY(QString shortTag READ shortTag CONSTANT)
    Q_PROPERTY(Kinolith::HealthState healthState READ healthState WRITE setHealthState NOTIFY
                   healthStateChanged)
    Q_PROPERTY(Kinolith::SourceType sourceType READ sourceType WRITE setSourceType NOTIFY
                   sourceTypeChanged)
    // The optional selections read as undefined in QML when nothing is selected.
    Q_PROPERTY(QVariant selectedWindowID READ selectedWindowIDValue WRITE setSelectedWindowIDValue
                   NOTIFY selectedWindowIDChanged)
    Q_PROPERTY(QVariant selectedDisplayID READ selectedDisplayIDValue WRITE
                   setSelectedDisplayIDValue NOTIFY selectedDisplayIDChanged)
    Q_PROPERTY(QVariant selectedApplicationPID READ selectedApplicationPIDValue WRITE
                   setSelectedApplicationPIDValue NOTIFY selectedApplicationPIDChanged)
    Q_PROPERTY(QVariant selectedSyphonUUID READ selectedSyphonUUIDValue WRITE
                   setSelectedSyphonUUIDValue NOTIFY selectedSyphonUUIDChanged)
    Q_PROPERTY(Kinolith::Rotation rotation READ rotation WRITE setRotation NOTIFY rotationChanged)
    Q_PROPERTY(bool flipHorizontal READ flipHorizontal WRITE setFlipHorizontal NOTIFY
                   flipHorizontalChanged)
    Q_PROPERTY(qint64 cropTopPx READ cropTopPx WRITE setCropTopPx NOTIFY cropTopPxChanged)
    Q_PROPERTY(qint64 cropLeftPx READ cropLeftPx WRITE setCropLeftPx NOTIFY cropLeftPxChanged)
    Q_PROPERTY(qint64 cropRightPx READ cropRightPx WRITE setCropRightPx NOTIFY cropRightPxChanged)
    Q_PROPERTY(
        qint64 cropBottomPx READ cropBottomPx WRITE setCropBottomPx NOTIFY cropBottomPxChanged)
    Q_PROPERTY(CaptureManager::OutputResolution outputResolution READ outputResolution WRITE
                   setOutputResolution NOTIFY outputResolutionChanged)
    Q_PROPERTY(qint64 customWidth READ customWidth WRITE setCustomWidth NOTIFY customWidthChanged)
    Q_PROPERTY(
        qint64 customHeight READ customHeight WRITE setCustomHeight NOTIFY customHeightChanged)
    Q_PROPERTY(bool isRunning READ isRunning WRITE setIsRunning NOTIFY isRunningChanged)
    Q_PROPERTY(QString status READ status WRITE setStatus NOTIFY statusChanged)
    Q_PROPERTY(
        QImage previewImage READ previewImage WRITE setPreviewImage NOTIFY previewImageChanged)

public:
    static constexpr Rotation defaultWindowRotation = Rotation::r180;
    static constexpr bool defaultWindowFlipHorizontal = true;
    static constexpr Rotation defaultSyphonRotation = Rotation::r0;
    static constexpr bool defaultSyphonFlipHorizontal = false;
    static constexpr double previewMaxFPS = 10.0;

    // A new session whose last reference may be dropped on any thread: it is then destroyed on
    // the main thread.
    static std::shared_ptr<CaptureSession> create();

    CaptureSession();
    ~CaptureSession() override;

    QUuid id() const { return m_id; }
    // The first four characters of the identifier's standard text form, upper-cased.
    QString shortTag() const;

    HealthState healthState() const { return m_healthState; }
    void setHealthState(HealthState state);
    SourceType sourceType() const { return m_sourceType; }
    void setSourceType(SourceType type);

    std::optional<uint32_t> selectedWindowID() const { return m_selectedWindowID; }
    void setSelectedWindowID(std::optional<uint32_t> id);
    std::optional<uint32_t> selectedDisplayID() const { return m_selectedDisplayID; }
    void setSelectedDisplayID(std::optional<uint32_t> id);
    std::optional<int32_t> selectedApplicationPID() const { return m_selectedApplicationPID; }
    void setSelectedApplicationPID(std::optional<int32_t> pid);
    std::optional<QString> selectedSyphonUUID() const { return m_selectedSyphonUUID; }
    void setSelectedSyphonUUID(std::optional<QString> uuid);

    Rotation rotation() const { return m_rotation; }
    void setRotation(Rotation rotation);
    bool flipHorizontal() const { return m_flipHorizontal; }
    void setFlipHorizontal(bool flip);
    int64_t cropTopPx() const { return m_cropTopPx; }
    void setCropTopPx(int64_t px);
    int64_t cropLeftPx() const { return m_cropLeftPx; }
    void setCropLeftPx(int64_t px);
    int64_t cropRightPx() const { return m_cropRightPx; }
    void setCropRightPx(int64_t px);
    int64_t cropBottomPx() const { return m_cropBottomPx; }
    void setCropBottomPx(int64_t px);

    CaptureManager::OutputResolution outputResolution() const { return m_outputResolution; }
    void setOutputResolution(CaptureManager::OutputResolution resolution);
    int64_t customWidth() const { return m_customWidth; }
    void setCustomWidth(int64_t width);
    int64_t customHeight() const { return m_customHeight; }
    void setCustomHeight(int64_t height);

    bool isRunning() const { return m_isRunning; }
    void setIsRunning(bool running);
    const QString &status() const { return m_status; }
    void setStatus(const QString &status);
    // The latest preview, ready to show: the output at its full size with its first row at the
    // bottom of the image. Null when there is no preview yet.
    const QImage &previewImage() const { return m_previewImage; }
    void setPreviewImage(const QImage &image);

    // Starts capturing from the selected source and publishing the output, by source type.
    // Does nothing on a running session. Reports every outcome through status, isRunning and
    // healthState. Main thread; the session must be owned by a std::shared_ptr (create()).
    QCoro::Task<> start(CaptureManager &manager);
    // Ends whatever the session runs and leaves it stopped: "Stopping…", then "Stopped". Does
    // nothing on a session that is not running. Main thread.
    QCoro::Task<> stop(CaptureManager &manager);

    // Stops, then starts again under the name resolved at that moment. Main thread.
    QCoro::Task<> restart(CaptureManager &manager);

    // For the interface: start, stop or restart in the background; nothing waits for them.
    Q_INVOKABLE void start(CaptureManager *manager);
    Q_INVOKABLE void stop(CaptureManager *manager);
    Q_INVOKABLE void restart(CaptureManager *manager);

    // The frame path's two entry points: a captured frame, on the session's capture queue, and a
    // new frame of the frame-sharing source, on its client's thread. Failures drop the frame.
    void handle(const ScreenCapture::SampleBuffer &sampleBuffer, const MetalShared &metal);
    void handleSyphonFrame(framesharing::Client &client, const MetalShared &metal);

    // The frame path, for tests that look at its output texture and timing.
    const FramePath &framePath() const { return *m_framePath; }
    // The output server while running, for tests and the interface's info.
    std::shared_ptr<framesharing::Server> syphonServer() const { return m_syphonServer; }

    // The errors a start raises itself.
    static Error metalNotAvailableError();
    static Error syphonConnectFailedError();
    static Error outputTooLargeError(int64_t width, int64_t height, int maximum);

    // Turns rotation between r0 and r180, through setRotation().
    Q_INVOKABLE void rotateOnce();

    // "Rot 180°, FlipH, NoCrop" and the like: the transform in words, for the status line.
    QString transformLabel() const;

    // The first half of the running status ("Capturing ..."); kept after a stop.
    const QString &statusPrefix() const { return m_statusPrefix; }
    void setStatusPrefix(const QString &prefix) { m_statusPrefix = prefix; }

    // A copy of the transform settings, taken under the snapshot lock. Any thread.
    TransformSnapshot transformSnapshot() const;

Q_SIGNALS:
    void healthStateChanged();
    void sourceTypeChanged();
    void selectedWindowIDChanged();
    void selectedDisplayIDChanged();
    void selectedApplicationPIDChanged();
    void selectedSyphonUUIDChanged();
    void rotationChanged();
    void flipHorizontalChanged();
    void cropTopPxChanged();
    void cropLeftPxChanged();
    void cropRightPxChanged();
    void cropBottomPxChanged();
    void outputResolutionChanged();
    void customWidthChanged();
    void customHeightChanged();
    void isRunningChanged();
    void statusChanged();
    void previewImageChanged();

private:
    QVariant selectedWindowIDValue() const;
    void setSelectedWindowIDValue(const QVariant &value);
    QVariant selectedDisplayIDValue() const;
    void setSelectedDisplayIDValue(const QVariant &value);
    QVariant selectedApplicationPIDValue() const;
    void setSelectedApplicationPIDValue(const QVariant &value);
    QVariant selectedSyphonUUIDValue() const;
    void setSelectedSyphonUUIDValue(const QVariant &value);

    QCoro::Task<> startWindowCapture(CaptureManager &manager);
    QCoro::Task<> startSyphonCapture(CaptureManager &manager);
    // A start that got past its checks failed: say why and leave the session stopped.
    void failStart(const Error &error);
    // The two follow-ups of a published frame, run on the main thread.
    void frameWasPublished();

    // Copies the transform settings into the snapshot.
    void syncState();
    // What every transform setter does after storing its value.
    void transformChanged();
    void setCrop(int64_t &field, int64_t px, void (CaptureSession::*changed)());

    const QUuid m_id;

    // Observable state: main thread only.
    HealthState m_healthState = HealthState::stopped;
    SourceType m_sourceType = SourceType::window;
    std::optional<uint32_t> m_selectedWindowID;
    std::optional<uint32_t> m_selectedDisplayID;
    std::optional<int32_t> m_selectedApplicationPID;
    std::optional<QString> m_selectedSyphonUUID;
    Rotation m_rotation = defaultWindowRotation;
    bool m_flipHorizontal = defaultWindowFlipHorizontal;
    int64_t m_cropTopPx = 0;
    int64_t m_cropLeftPx = 0;
    int64_t m_cropRightPx = 0;
    int64_t m_cropBottomPx = 0;
    CaptureManager::OutputResolution m_outputResolution = CaptureManager::OutputResolution::native;
    int64_t m_customWidth = 1920;
    int64_t m_customHeight = 1080;
    bool m_isRunning = false;
    QString m_status;
    QImage m_previewImage;
    QString m_statusPrefix; // main thread only

    // Written on the main thread by syncState(), read by the frame path's threads. Both hold
    // m_snapLock only for the copy.
    mutable std::mutex m_snapLock;
    TransformSnapshot m_snap;

    // What a running session holds, main thread only. The frame path keeps its own references to
    // the server and the output texture (see FramePath).
    std::shared_ptr<ScreenCapture::Stream> m_stream;
    std::shared_ptr<StreamOutput> m_streamOutput;
    std::shared_ptr<SerialQueue> m_captureQueue;
    std::shared_ptr<framesharing::Client> m_syphonClient;
    std::shared_ptr<framesharing::Server> m_syphonServer;

    // Frames of this session: the frame's thread, and the main thread at start and stop.
    const std::unique_ptr<FramePath> m_framePath;

    Logger m_log{"CaptureSession"};
};
