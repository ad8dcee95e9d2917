// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureManager.h"

#include "CaptureSession.h"
#include "MetalShared.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/framesharing/Directory.h"
#include "platform/screencapture/ScreenCaptureAwaitables.h"

#include <QCollator>
#include <QPointer>
#include <algorithm>

namespace {

const QString statusIdle = QStringLiteral("Idle");
const QString statusLoading = QStringLiteral("Loading sources\u2026");
const QString statusReady = QStringLiteral("Ready");
const QString statusFailedPrefix = QStringLiteral("Failed to load sources: ");
const QString unknownApp = QStringLiteral("Unknown App");

// The user's locale, letter case ignored: "b" and "B" are equal, "alpha" comes before "Zeta".
QCollator makeCollator()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QString applicationName(const ScreenCapture::Window &window)
{
    return window.owningApplication ? window.owningApplication->applicationName : QString();
}

QVariantMap windowValue(const ScreenCapture::Window &window)
{
    QVariantMap value{{QStringLiteral("windowID"), window.windowID},
                      {QStringLiteral("title"), window.title.value_or(QString())},
                      {QStringLiteral("label"), CaptureManager::windowLabel(window)},
                      {QStringLiteral("isOnScreen"), window.isOnScreen}};
    if (window.owningApplication) {
        value.insert(QStringLiteral("owningApplication"),
                     QVariantMap{{QStringLiteral("applicationName"),
                                  window.owningApplication->applicationName},
                                 {QStringLiteral("processID"), window.owningApplication->processID}});
    } else {
        value.insert(QStringLiteral("owningApplication"), QVariant::fromValue(nullptr));
    }
    return value;
}

} // namespace

QString CaptureManager::rawValue(OutputResolution resolution)
{
    switch (resolution) {
    case OutputResolution::native:
        return QStringLiteral("Native");
    case OutputResolution::r640x360:
        return QStringLiteral("640 \u00d7 360");
    case OutputResolution::r960x540:
        return QStringLiteral("960 \u00d7 540");
    case OutputResolution::r1280x720:
        return QStringLiteral("1280 \u00d7 720");
    case OutputResolution::r1600x900:
        return QStringLiteral("1600 \u00d7 900");
    case OutputResolution::r1920x1080:
        return QStringLiteral("1920 \u00d7 1080");
    case OutputResolution::r2560x1440:
        return QStringLiteral("2560 \u00d7 1440");
    case OutputResolution::r3840x2160:
        return QStringLiteral("3840 \u00d7 2160");
    case OutputResolution::custom:
        return QStringLiteral("Custom\u2026");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<CaptureManager::OutputResolution>
CaptureManager::outputResolutionFromRawValue(const QString &raw)
{
    for (const auto resolution : allOutputResolutions) {
        if (rawValue(resolution) == raw)
            return resolution;
    }
    return std::nullopt;
}

CaptureManager::CaptureManager(QObject *parent)
    : CaptureManager(ScreenCapture::makeScreenCaptureService(), framesharing::Directory::create(),
                     nullptr, parent)
{}

CaptureManager::CaptureManager(std::shared_ptr<ScreenCapture::ScreenCaptureService> screenCapture,
                               std::shared_ptr<framesharing::Directory> directory,
                               std::shared_ptr<MetalShared> metal, QObject *parent)
    : QObject(parent), m_screenCapture(std::move(screenCapture)), m_directory(std::move(directory)),
      m_metal(metal ? std::move(metal) : std::make_shared<MetalShared>()), m_status(statusIdle)
{
    m_sessions.push_back(CaptureSession::create());

    auto &center = NotificationCenter::defaultCenter();
    for (const QString &name : {framesharing::Directory::announceNotification,
                                framesharing::Directory::updateNotification,
                                framesharing::Directory::retireNotification}) {
        center.addObserver(this, name, [this](const Notification &) { directoryChanged(); });
    }
    refreshSyphonServers();
}

CaptureManager::~CaptureManager()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void CaptureManager::addSession()
{
    auto session = CaptureSession::create();
    if (!m_windows.empty())
        session->setSelectedWindowID(m_windows.front().windowID);
    auto sessions = m_sessions;
    sessions.push_back(std::move(session));
    setSessions(std::move(sessions));
}

QCoro::Task<> CaptureManager::removeSession(std::shared_ptr<CaptureSession> session)
{
    if (!session)
        co_return;
    QPointer<CaptureManager> self(this);
    co_await session->stop(*this);
    if (!self)
        co_return;
    auto sessions = m_sessions;
    std::erase_if(sessions,
                  [&session](const auto &listed) { return listed->id() == session->id(); });
    if (sessions.empty())
        sessions.push_back(CaptureSession::create());
    if (sessions.size() != m_sessions.size() || sessions.front() != m_sessions.front())
        setSessions(std::move(sessions));
}

void CaptureManager::removeSession(CaptureSession *session)
{
    removeSession(sharedSession(session));
}

QString CaptureManager::resolvedServerName(const CaptureSession &session) const
{
    const QString suffix = session.shortTag();
    const QString fallback = QStringLiteral("Output - ") + suffix;
    if (session.sourceType() == SourceType::syphon) {
        const auto uuid = session.selectedSyphonUUID();
        if (!uuid)
            return fallback;
        for (const auto &server : m_syphonServers) {
            if (server.uuid == *uuid)
                return server.appName + QStringLiteral(" - ") + suffix;
        }
        return fallback;
    }
    const auto selected = window(session.selectedWindowID());
    if (!selected)
        return fallback;
    const QString application =
        selected->owningApplication ? selected->owningApplication->applicationName : unknownApp;
    return application + QStringLiteral(" - ") + suffix;
}

Expected<void> CaptureManager::ensureMetalReady()
{
    return m_metal->ensureReady();
}

QString CaptureManager::resolvedServerName(CaptureSession *session) const
{
    return session ? resolvedServerName(*session) : QString();
}

QCoro::Task<> CaptureManager::refreshWindows()
{
    QPointer<CaptureManager> self(this);
    setStatus(statusLoading);
    const auto content = co_await ScreenCapture::shareableContent(
        m_screenCapture, {.excludingDesktopWindows = false, .onScreenWindowsOnly = true});
    if (!self)
        co_return;
    if (!content) {
        setStatus(statusFailedPrefix + content.error().localizedDescription);
        co_return;
    }

    m_displays = content->displays;
    Q_EMIT displaysChanged();
    m_applications = content->applications;
    Q_EMIT applicationsChanged();

    std::vector<Window> windows;
    std::copy_if(content->windows.begin(), content->windows.end(), std::back_inserter(windows),
                 [](const Window &window) { return window.isOnScreen; });
    const QCollator collator = makeCollator();
    std::stable_sort(windows.begin(), windows.end(), [&collator](const Window &a, const Window &b) {
        const QString appA = applicationName(a);
        const QString appB = applicationName(b);
        if (appA == appB)
            return collator.compare(a.title.value_or(QString()), b.title.value_or(QString())) < 0;
        return collator.compare(appA, appB) < 0;
    });
    m_windows = std::move(windows);
    m_windowsValue.clear();
    for (const auto &window : m_windows)
        m_windowsValue.append(windowValue(window));
    Q_EMIT windowsChanged();

    refreshSyphonServers();

    if (!m_windows.empty()) {
        const uint32_t first = m_windows.front().windowID;
        for (const auto &session : m_sessions) {
            if (!session->selectedWindowID())
                session->setSelectedWindowID(first);
        }
    }
    setStatus(statusReady);
}

void CaptureManager::startRefreshWindows()
{
    refreshWindows();
}

std::optional<CaptureManager::Window> CaptureManager::window(std::optional<uint32_t> windowID) const
{
    if (!windowID)
        return std::nullopt;
    const auto it = std::find_if(m_windows.begin(), m_windows.end(),
                                 [id = *windowID](const Window &w) { return w.windowID == id; });
    if (it == m_windows.end())
        return std::nullopt;
    return *it;
}

QString CaptureManager::windowLabel(const Window &window)
{
    const QString application =
        window.owningApplication ? window.owningApplication->applicationName : unknownApp;
    const QString title =
        window.title && !window.title->isEmpty() ? *window.title : QStringLiteral("Untitled");
    return application + QStringLiteral(" \u2014 ") + title;
}

void CaptureManager::refreshSyphonServers()
{
    QList<SyphonServerInfo> servers;
    if (m_directory) {
        for (const QVariantMap &description : m_directory->servers()) {
            auto info = SyphonServerInfo::fromDescription(description);
            if (info && !info->appName.contains(QStringLiteral("Kinolith"), Qt::CaseSensitive))
                servers.append(std::move(*info));
        }
    }
    const QCollator collator = makeCollator();
    std::stable_sort(servers.begin(), servers.end(),
                     [&collator](const SyphonServerInfo &a, const SyphonServerInfo &b) {
                         return collator.compare(a.displayName(), b.displayName()) < 0;
                     });
    m_syphonServers = std::move(servers);
    Q_EMIT syphonServersChanged();
}

std::shared_ptr<CaptureSession> CaptureManager::sharedSession(const CaptureSession *session) const
{
    const auto it = std::find_if(m_sessions.begin(), m_sessions.end(),
                                 [session](const auto &listed) { return listed.get() == session; });
    return it == m_sessions.end() ? nullptr : *it;
}

void CaptureManager::setStatus(const QString &status)
{
    if (m_status == status)
        return;
    m_status = status;
    Q_EMIT statusChanged();
}

void CaptureManager::setSessions(std::vector<std::shared_ptr<CaptureSession>> sessions)
{
    m_sessions = std::move(sessions);
    Q_EMIT sessionsChanged();
}

void CaptureManager::directoryChanged()
{
    // Called on the directory's thread. A queued call to this object is dropped if the manager
    // is gone by the time it would run.
    QMetaObject::invokeMethod(this, &CaptureManager::refreshSyphonServers, Qt::QueuedConnection);
}

QVariantList CaptureManager::displaysValue() const
{
    QVariantList list;
    for (const auto &display : m_displays)
        list.append(QVariantMap{{QStringLiteral("displayID"), display.displayID}});
    return list;
}

QVariantList CaptureManager::applicationsValue() const
{
    QVariantList list;
    for (const auto &application : m_applications) {
        list.append(QVariantMap{{QStringLiteral("processID"), application.processID},
                                {QStringLiteral("applicationName"), application.applicationName}});
    }
    return list;
}

QVariantList CaptureManager::syphonServersValue() const
{
    QVariantList list;
    for (const auto &server : m_syphonServers)
        list.append(QVariant::fromValue(server));
    return list;
}

QList<QObject *> CaptureManager::sessionsValue() const
{
    QList<QObject *> list;
    for (const auto &session : m_sessions)
        list.append(session.get());
    return list;
}
