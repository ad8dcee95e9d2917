// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SyphonServerInfo.h"
#include "platform/foundation/Error.h"
#include "platform/screencapture/ShareableContent.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class CaptureSession;
class MetalShared;

namespace ScreenCapture {
class ScreenCaptureService;
}
namespace framesharing {
class Directory;
}

// The session manager: owns the ordered, never empty list of sessions, the catalogue of sources
// (displays, applications, windows, frame-sharing servers) and the GPU context the sessions
// share. Everything here belongs to the main thread.
class CaptureManager : public QObject
{
    Q_OBJECT
    // For QML: the catalogue as lists of maps (see the *Value() functions for their keys), the
    // servers as SyphonServerInfo gadgets, the sessions as CaptureSession objects.
    Q_PROPERTY(QVariantList windows READ windowsValue NOTIFY windowsChanged)
    Q_PROPERTY(QVariantList displays READ displaysValue NOTIFY displaysChanged)
    Q_PROPERTY(QVariantList applications READ applicationsValue NOTIFY applicationsChanged)
    Q_PROPERTY(QVariantList syphonServers READ syphonServersValue NOTIFY syphonServersChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
    Q_PROPERTY(QList<QObject *> sessions READ sessionsValue NOTIFY sessionsChanged)

public:
    // The output size preset of a screen-capture session; its raw value is its display label.
    enum class OutputResolution {
        native,
        r640x360,
        r960x540,
        r1280x720,
        r1600x900,
        r1920x1080,
        r2560x1440,
        r3840x2160,
        custom,
    };
    Q_ENUM(OutputResolution)

    static constexpr std::array<OutputResolution, 9> allOutputResolutions{
        OutputResolution::native,     OutputResolution::r640x360,   OutputResolution::r960x540,
        OutputResolution::r1280x720,  OutputResolution::r1600x900,  OutputResolution::r1920x1080,
        OutputResolution::r2560x1440, OutputResolution::r3840x2160, OutputResolution::custom,
    };

    static QString rawValue(OutputResolution resolution);
    static std::optional<OutputResolution> outputResolutionFromRawValue(const QString &raw);

    using SyphonServerInfo = ::SyphonServerInfo;
    using Window = ScreenCapture::Window;
    using Display = ScreenCapture::Display;
    using RunningApplication = ScreenCapture::RunningApplication;

    // A manager on this desktop's screen-capture service and frame-sharing directory.
    explicit CaptureManager(QObject *parent = nullptr);
    // A manager on the given services (tests give their own; a null GPU context means the system
    // default device's).
    CaptureManager(std::shared_ptr<ScreenCapture::ScreenCaptureService> screenCapture,
                   std::shared_ptr<framesharing::Directory> directory,
                   std::shared_ptr<MetalShared> metal = nullptr, QObject *parent = nullptr);
    // Stops listening to the directory. Sessions are neither stopped nor removed.
    ~CaptureManager() override;

    const std::vector<Window> &windows() const { return m_windows; }
    const std::vector<Display> &displays() const { return m_displays; }
    const std::vector<RunningApplication> &applications() const { return m_applications; }
    const QList<SyphonServerInfo> &syphonServers() const { return m_syphonServers; }
    const QString &status() const { return m_status; }
    const std::vector<std::shared_ptr<CaptureSession>> &sessions() const { return m_sessions; }

    // Appends a new session, with the first listed window selected when there is one.
    Q_INVOKABLE void addSession();
    // Stops the session, then removes every listed session with its id; an emptied list gets one
    // new session. The session stays listed until its stop has completed.
    QCoro::Task<> removeSession(std::shared_ptr<CaptureSession> session);
    Q_INVOKABLE void removeSession(CaptureSession *session);

    // The name the session publishes its output under: "<application> - <tag>", or
    // "Output - <tag>" when its source is not in the catalogue.
    QString resolvedServerName(const CaptureSession &session) const;
    Q_INVOKABLE QString resolvedServerName(CaptureSession *session) const;

    // Makes the shared GPU context ready; its error is passed on unchanged.
    Expected<void> ensureMetalReady();
    // The shared GPU context, for sessions. Frame handlers hold it strongly: it is all the frame
    // path needs of the manager, and it outlives any session still delivering frames.
    const MetalShared &metal() const { return *m_metal; }
    std::shared_ptr<const MetalShared> sharedMetal() const { return m_metal; }

    // Replaces the screen-capture lists ("Loading sources…", then "Ready" or the failure), rereads
    // the directory and gives the first listed window to sessions that have none.
    QCoro::Task<> refreshWindows();
    Q_INVOKABLE void startRefreshWindows();

    // The listed window with that id, or nothing.
    std::optional<Window> window(std::optional<uint32_t> windowID) const;
    // "<application> — <title>", with "Unknown App" and "Untitled" for what the window lacks.
    static QString windowLabel(const Window &window);

    // Rereads the frame-sharing directory into syphonServers (announced even when unchanged).
    void refreshSyphonServers();

    // The session with this object address, as the list holds it.
    std::shared_ptr<CaptureSession> sharedSession(const CaptureSession *session) const;

    std::shared_ptr<ScreenCapture::ScreenCaptureService> screenCaptureService() const
    {
        return m_screenCapture;
    }

Q_SIGNALS:
    void windowsChanged();
    void displaysChanged();
    void applicationsChanged();
    void syphonServersChanged();
    void statusChanged();
    void sessionsChanged();

private:
    void setStatus(const QString &status);
    void setSessions(std::vector<std::shared_ptr<CaptureSession>> sessions);
    // The directory's announce, update and retire notifications: one main-thread refresh each.
    void directoryChanged();

    QVariantList windowsValue() const { return m_windowsValue; }
    QVariantList displaysValue() const;
    QVariantList applicationsValue() const;
    QVariantList syphonServersValue() const;
    QList<QObject *> sessionsValue() const;

    std::shared_ptr<ScreenCapture::ScreenCaptureService> m_screenCapture;
    std::shared_ptr<framesharing::Directory> m_directory;
    const std::shared_ptr<MetalShared> m_metal;

    std::vector<Window> m_windows;
    QVariantList m_windowsValue; // m_windows for QML, made at each refresh
    std::vector<Display> m_displays;
    std::vector<RunningApplication> m_applications;
    QList<SyphonServerInfo> m_syphonServers;
    QString m_status;
    std::vector<std::shared_ptr<CaptureSession>> m_sessions;
};
