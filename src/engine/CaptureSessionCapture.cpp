// SPDX-License-Identifier: GPL-3.0-or-later
// CaptureSession: starting and stopping a capture, and the frames in between.
#include "CaptureSession.h"
#include "FramePath.h"
#include "MetalShared.h"
#include "OutputTransform.h"
#include "SessionStatus.h"
#include "StreamOutput.h"
#include "platform/foundation/HostClock.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/SerialQueue.h"
#include "platform/framesharing/Client.h"
#include "platform/framesharing/Server.h"
#include "platform/screencapture/ContentFilter.h"
#include "platform/screencapture/ScreenCaptureAwaitables.h"
#include "platform/screencapture/ScreenCaptureService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

namespace {

// The capture settings of a session's stream.
namespace AppConfiguration::Capture {
constexpr SerialQueue::Priority queueQoS = SerialQueue::Priority::userInteractive;
constexpr int queueDepth = 3;
constexpr double minimumFrameInterval = 1.0 / 60.0;
} // namespace AppConfiguration::Capture

// After a frame, the stall check looks for a newer one within this time.
constexpr double stallThreshold = 1.0;

QString describe(const QVariantMap &description)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(description)).toJson(QJsonDocument::Compact));
}

struct ResolvedSource
{
    std::optional<ScreenCapture::ContentFilter> filter;
    QString label;
};

} // namespace

Error CaptureSession::metalNotAvailableError()
{
    return {QStringLiteral("CaptureSession"), -1, QStringLiteral("Metal not available")};
}

Error CaptureSession::syphonConnectFailedError()
{
    return {QStringLiteral("CaptureSession"), -2,
            QStringLiteral("Failed to connect to Syphon server")};
}

Error CaptureSession::outputTooLargeError(int64_t width, int64_t height, int maximum)
{
    return {QStringLiteral("CaptureSession"), -3,
            QStringLiteral("The output size %1 \u00d7 %2 is larger than the GPU can draw (at most "
                           "%3 \u00d7 %3)")
                .arg(width)
                .arg(height)
                .arg(maximum)};
}

QCoro::Task<> CaptureSession::start(CaptureManager &manager)
{
    if (m_isRunning)
        co_return;
    if (m_sourceType == SourceType::syphon)
        co_await startSyphonCapture(manager);
    else
        co_await startWindowCapture(manager);
}

QCoro::Task<> CaptureSession::restart(CaptureManager &manager)
{
    const auto self = shared_from_this();
    co_await stop(manager);
    co_await start(manager);
}

void CaptureSession::start(CaptureManager *manager)
{
    if (manager)
        start(*manager);
}

void CaptureSession::stop(CaptureManager *manager)
{
    if (manager)
        stop(*manager);
}

void CaptureSession::restart(CaptureManager *manager)
{
    if (manager)
        restart(*manager);
}

QCoro::Task<> CaptureSession::startWindowCapture(CaptureManager &manager)
{
    // Held for the whole start, which outlives no one's interest in it: the list may drop the
    // session meanwhile.
    const auto self = shared_from_this();

    ResolvedSource source;
    const auto &displays = manager.displays();
    const auto &applications = manager.applications();
    const auto display = std::find_if(displays.begin(), displays.end(), [this](const auto &d) {
        return m_selectedDisplayID && d.displayID == *m_selectedDisplayID;
    });
    const auto application =
        std::find_if(applications.begin(), applications.end(), [this](const auto &a) {
            return m_selectedApplicationPID && a.processID == *m_selectedApplicationPID;
        });
    if (display != displays.end()) {
        source = {ScreenCapture::ContentFilter::display(*display),
                  QStringLiteral("Display %1").arg(display->displayID)};
    } else if (application != applications.end()) {
        if (!displays.empty()) {
            std::vector<ScreenCapture::RunningApplication> excluded;
            std::copy_if(applications.begin(), applications.end(), std::back_inserter(excluded),
                         [&](const auto &a) { return a.processID != application->processID; });
            source.filter = ScreenCapture::ContentFilter::display(displays.front(), excluded);
        }
        source.label = application->applicationName;
    } else if (const auto window = manager.window(m_selectedWindowID)) {
        source = {ScreenCapture::ContentFilter::window(*window),
                  CaptureManager::windowLabel(*window)};
    } else {
        setStatus(SessionStatus::pickSource());
        co_return;
    }
    if (!source.filter) {
        setStatus(SessionStatus::noCaptureFilter());
        co_return;
    }

    setStatus(SessionStatus::starting());
    if (const auto ready = manager.ensureMetalReady(); !ready) {
        failStart(ready.error());
        co_return;
    }
    const auto gpu = manager.metal().getMetal();
    if (!gpu) {
        failStart(metalNotAvailableError());
        co_return;
    }

    ScreenCapture::StreamConfiguration configuration;
    configuration.capturesAudio = false;
    configuration.showsCursor = false;
    configuration.pixelFormat = ScreenCapture::PixelFormat::bgra;
    configuration.queueDepth = AppConfiguration::Capture::queueDepth;
    configuration.minimumFrameInterval = AppConfiguration::Capture::minimumFrameInterval;
    if (const auto size =
            OutputTransform::requestedSize(m_outputResolution, m_customWidth, m_customHeight)) {
        // A size the GPU cannot draw would capture and publish nothing: refuse it here.
        const int maximum = gpu->device->maxTextureSize();
        if (size->width > maximum || size->height > maximum) {
            failStart(outputTooLargeError(size->width, size->height, maximum));
            co_return;
        }
        configuration.width = int(size->width);
        configuration.height = int(size->height);
    }

    const QString name = manager.resolvedServerName(*this);
    m_log.info(QStringLiteral("Creating Syphon server with name: %1").arg(name));
    m_syphonServer = framesharing::Server::create(name);
    m_framePath->setServer(m_syphonServer);
    if (m_syphonServer) {
        m_log.info(QStringLiteral("Syphon server created. Description: %1")
                       .arg(describe(m_syphonServer->description())));
    } else {
        m_log.error(QStringLiteral("Syphon server is nil after creation"));
    }

    auto stream = manager.screenCaptureService()->makeStream(*source.filter, configuration);
    auto output = std::make_shared<StreamOutput>(weak_from_this(), manager.sharedMetal());
    auto queue = std::make_shared<SerialQueue>(
        QStringLiteral("Kinolith.CaptureQueue.") + shortTag(), AppConfiguration::Capture::queueQoS);
    if (const auto added =
            stream->addStreamOutput(output, ScreenCapture::StreamOutputType::screen, queue);
        !added) {
        failStart(added.error());
        co_return;
    }

    const auto startError = co_await ScreenCapture::startCapture(stream);
    if (startError) {
        failStart(*startError);
        co_return;
    }
    m_stream = std::move(stream);
    m_streamOutput = std::move(output);
    m_captureQueue = std::move(queue);
    setIsRunning(true);
    setHealthState(HealthState::live);
    m_statusPrefix = SessionStatus::capturingPrefix(source.label);
    setStatus(SessionStatus::running(m_statusPrefix, transformLabel()));
}

QCoro::Task<> CaptureSession::startSyphonCapture(CaptureManager &manager)
{
    const auto self = shared_from_this();
    if (!m_selectedSyphonUUID) {
        setStatus(SessionStatus::pickSyphonSource());
        co_return;
    }
    const auto &servers = manager.syphonServers();
    const auto record = std::find_if(servers.begin(), servers.end(), [this](const auto &server) {
        return server.uuid == *m_selectedSyphonUUID;
    });
    if (record == servers.end()) {
        setStatus(SessionStatus::syphonSourceNotFound());
        co_return;
    }
    const SyphonServerInfo source = *record;

    setStatus(SessionStatus::starting());
    if (const auto ready = manager.ensureMetalReady(); !ready) {
        failStart(ready.error());
        co_return;
    }
    if (!manager.metal().getMetal()) {
        failStart(metalNotAvailableError());
        co_return;
    }

    const QString name = manager.resolvedServerName(*this);
    m_log.info(QStringLiteral("Creating Syphon output server with name: %1").arg(name));
    m_syphonServer = framesharing::Server::create(name);
    m_framePath->setServer(m_syphonServer);
    if (m_syphonServer) {
        m_log.info(QStringLiteral("Syphon output server created. Description: %1")
                       .arg(describe(m_syphonServer->description())));
    } else {
        m_log.error(QStringLiteral("Syphon output server is nil after creation"));
    }

    // The handler holds the session weakly and the GPU context, all the frame path needs of the
    // manager, strongly.
    auto client = framesharing::Client::create(
        source.serverDescription,
        [weak = weak_from_this(), metal = manager.sharedMetal()](framesharing::Client &client) {
            if (const auto session = weak.lock())
                session->handleSyphonFrame(client, *metal);
        });
    if (!client || !client->isValid()) {
        if (client)
            client->stop();
        failStart(syphonConnectFailedError());
        co_return;
    }
    m_syphonClient = std::move(client);
    setIsRunning(true);
    setHealthState(HealthState::live);
    m_statusPrefix = SessionStatus::capturingSyphonPrefix(source.displayName());
    setStatus(SessionStatus::running(m_statusPrefix, transformLabel()));
}

void CaptureSession::failStart(const Error &error)
{
    setStatus(SessionStatus::startFailed(error.localizedDescription));
    setIsRunning(false);
    setHealthState(HealthState::stopped);
    m_stream.reset();
    m_streamOutput.reset();
    m_captureQueue.reset();
    m_syphonClient.reset();
    m_framePath->setServer(nullptr);
    m_syphonServer.reset();
}

QCoro::Task<> CaptureSession::stop(CaptureManager &)
{
    if (!m_isRunning)
        co_return;
    const auto self = weak_from_this().lock(); // kept alive across the wait when shared
    setStatus(SessionStatus::stopping());
    if (const auto stream = m_stream) {
        if (const auto error = co_await ScreenCapture::stopCapture(stream)) {
            m_log.error(QStringLiteral("Failed to stop capture stream: %1")
                            .arg(error->localizedDescription));
        }
    }
    if (m_syphonClient)
        m_syphonClient->stop();

    m_stream.reset();
    m_streamOutput.reset();
    // The queue's last frame has been handled (the stream's stop waits for it); ending its thread
    // here is quick.
    m_captureQueue.reset();
    m_syphonClient.reset();
    m_framePath->clear();
    m_syphonServer.reset();

    setIsRunning(false);
    setHealthState(HealthState::stopped);
    setStatus(SessionStatus::stopped());
}

void CaptureSession::handle(const ScreenCapture::SampleBuffer &sampleBuffer,
                            const MetalShared &metal)
{
    const auto &pixels = sampleBuffer.imageBuffer;
    if (!pixels)
        return;
    // The pixel buffer goes back to the stream's pool once the GPU has taken its pixels.
    m_framePath->process(
        {pixels->data(), pixels->width(), pixels->height(), int64_t(pixels->bytesPerRow()), pixels},
        metal);
}

void CaptureSession::handleSyphonFrame(framesharing::Client &client, const MetalShared &metal)
{
    const auto frame = client.newestFrame();
    if (!frame || frame->pixels.empty())
        return;
    m_framePath->process({frame->pixels.data(), frame->width, frame->height, frame->stride, frame},
                         metal);
}

void CaptureSession::frameWasPublished()
{
    // Called on the frame's thread: both follow-ups run later on the main thread, in this order.
    MainThread::post([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (self && self->m_isRunning)
            self->setHealthState(HealthState::live);
    });
    MainThread::post([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self || !self->m_isRunning)
            return;
        // Newer frames may have been published since this one: the latest counts.
        if (hostTime() - self->m_framePath->lastFrameTime() > stallThreshold)
            self->setHealthState(HealthState::stalled);
    });
}
