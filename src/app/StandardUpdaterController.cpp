// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardUpdaterController.h"

#include "app/AppConfiguration.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Logger.h"
#include "platform/updates/UpdateCheck.h"

#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

namespace {

const Logger &logger()
{
    static const Logger instance("StandardUpdaterController");
    return instance;
}

QUrl &feedUrlOverride()
{
    static QUrl url;
    return url;
}

} // namespace

StandardUpdaterController::StandardUpdaterController(bool startingUpdater, QObject *parent)
    : QObject(parent)
{
    if (startingUpdater)
        startUpdater();
}

StandardUpdaterController::~StandardUpdaterController()
{
    m_check.reset();
    delete m_dialog.data();
}

void StandardUpdaterController::startUpdater()
{
    m_started = true;
}

void StandardUpdaterController::setEngine(QQmlEngine *engine)
{
    if (!m_engine)
        m_engine = engine;
}

void StandardUpdaterController::setFeedUrlForTesting(const QUrl &url)
{
    feedUrlOverride() = url;
}

QUrl StandardUpdaterController::feedUrl()
{
    if (!feedUrlOverride().isEmpty())
        return feedUrlOverride();
    return QUrl(QString::fromLatin1(AppConfiguration::Updates::feedUrl));
}

void StandardUpdaterController::checkForUpdates()
{
    if (!m_started)
        return;
    if (m_check && m_check->isRunning()) {
        ensureDialog();
        return;
    }
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    ++m_checksStarted;
    m_result = {};
    setState(State::checking);
    ensureDialog();
    // The appcast's item versions are build numbers, like the running build's.
    m_check = std::make_unique<UpdateCheck>(*m_network, feedUrl(), Bundle::appBuild());
    connect(m_check.get(), &UpdateCheck::finished, this,
            &StandardUpdaterController::onCheckFinished);
    m_check->start();
}

void StandardUpdaterController::cancel()
{
    if (m_check && m_check->isRunning())
        m_check->cancel();
    else
        dismiss();
}

void StandardUpdaterController::openDownloadPage()
{
    const QUrl page = downloadPage();
    if (page.isValid() && (page.scheme() == u"https" || page.scheme() == u"http"))
        QDesktopServices::openUrl(page);
    dismiss();
}

void StandardUpdaterController::dismiss()
{
    if (m_check && m_check->isRunning())
        m_check->cancel();
    if (m_dialog)
        m_dialog->hide();
    setState(State::idle);
}

QString StandardUpdaterController::title() const
{
    switch (m_state) {
    case State::idle:
        return {};
    case State::checking:
        return tr("Checking for Updates\u2026");
    case State::upToDate:
        return tr("You\u2019re up to date!");
    case State::updateAvailable:
        return tr("A new version of Kinolith is available!");
    case State::failed:
        return tr("Update Error!");
    }
    return {};
}

QString StandardUpdaterController::message() const
{
    switch (m_state) {
    case State::idle:
    case State::checking:
        return {};
    case State::upToDate:
        return tr("Kinolith %1 is currently the newest version available.")
            .arg(Bundle::appVersion());
    case State::updateAvailable:
        return tr("Kinolith %1 is now available\u2014you have %2. Would you like to open its "
                  "download page?")
            .arg(m_result.newest.displayVersion, Bundle::appVersion());
    case State::failed:
        return m_result.error.localizedDescription;
    }
    return {};
}

void StandardUpdaterController::onCheckFinished(const UpdateCheckResult &result)
{
    m_result = result;
    switch (result.outcome) {
    case UpdateCheckResult::Outcome::upToDate:
        setState(State::upToDate);
        break;
    case UpdateCheckResult::Outcome::updateAvailable:
        setState(State::updateAvailable);
        break;
    case UpdateCheckResult::Outcome::failed:
        logger().error(
            QStringLiteral("Update check failed: %1").arg(result.error.localizedDescription));
        setState(State::failed);
        break;
    case UpdateCheckResult::Outcome::cancelled:
        if (m_dialog)
            m_dialog->hide();
        setState(State::idle);
        break;
    }
}

void StandardUpdaterController::setState(State state)
{
    m_state = state;
    Q_EMIT changed();
}

bool StandardUpdaterController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && watched == m_dialog.data()) {
        if (m_check && m_check->isRunning())
            m_check->cancel();
        setState(State::idle);
    }
    return QObject::eventFilter(watched, event);
}

bool StandardUpdaterController::ensureDialog()
{
    if (!m_dialog) {
        if (!m_engine) {
            logger().error(QStringLiteral("The update dialog has no QML engine to be built in"));
            return false;
        }
        QQmlComponent component(m_engine, QUrl(QStringLiteral("qrc:/Kinolith/UpdateDialog.qml")));
        QObject *object = component.createWithInitialProperties(
            {{QStringLiteral("updater"), QVariant::fromValue(this)}});
        m_dialog = qobject_cast<QQuickWindow *>(object);
        if (!m_dialog) {
            logger().error(QStringLiteral("The update dialog could not be built: %1")
                               .arg(component.errorString()));
            delete object;
            return false;
        }
        QQmlEngine::setObjectOwnership(m_dialog, QQmlEngine::CppOwnership);
        // Closed by the window manager: the same as its own close button.
        m_dialog->installEventFilter(this);
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->requestActivate();
    return true;
}
