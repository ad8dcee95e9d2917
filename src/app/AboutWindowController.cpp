// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutWindowController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Logger.h"

#include <QDate>
#include <QFile>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QStringDecoder>

namespace {
const Logger &logger()
{
    static const Logger instance("AboutWindowController");
    return instance;
}
} // namespace

AboutWindowController &AboutWindowController::shared()
{
    static AboutWindowController *instance = new AboutWindowController;
    return *instance;
}

void AboutWindowController::setEngine(QQmlEngine *engine)
{
    if (!m_engine)
        m_engine = engine;
}

const QString &AboutWindowController::yearText()
{
    static const QString year = QString::number(QDate::currentDate().year());
    return year;
}

QString AboutWindowController::loadNotices() const
{
    static const QString missing = QStringLiteral(
        "Missing ThirdPartyNotices.txt\n\nAdd a file named:\n  ThirdPartyNotices.txt\n\n"
        "And ensure it is included in the app bundle (Target Membership checked).");
    const std::optional<QString> path =
        Bundle::main().pathForResource(QStringLiteral("ThirdPartyNotices"), QStringLiteral("txt"));
    if (!path)
        return missing;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return missing;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return missing;
    // Stateless: an incomplete sequence at the end is an error, not something to wait for.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return missing;
    return text;
}

void AboutWindowController::show()
{
    if (m_window) {
        bringForward();
        return;
    }
    if (!m_engine) {
        logger().error(QStringLiteral("The About window has no QML engine to be built in"));
        return;
    }
    QQmlComponent component(m_engine, QUrl(QStringLiteral("qrc:/Kinolith/AboutWindow.qml")));
    QObject *object =
        component.createWithInitialProperties({{QStringLiteral("rightsYear"), yearText()}});
    auto *window = qobject_cast<QQuickWindow *>(object);
    if (!window) {
        logger().error(
            QStringLiteral("The About window could not be built: %1").arg(component.errorString()));
        delete object;
        return;
    }
    QQmlEngine::setObjectOwnership(window, QQmlEngine::CppOwnership);
    const QSize size(740, 440);
    window->resize(size);
    if (QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->setPosition(area.x() + (area.width() - size.width()) / 2,
                            area.y() + (area.height() - size.height()) / 2);
    }
    m_window = window;
    // This window's own observer: when it closes, the controller forgets it and the window (with
    // its view and any sheet) goes away, so the next show() starts afresh.
    window->installEventFilter(this);
    bringForward();
}

bool AboutWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && watched == m_window.data()) {
        m_window = nullptr;
        watched->deleteLater();
    }
    return QObject::eventFilter(watched, event);
}

void AboutWindowController::bringForward()
{
    if (m_window->visibility() == QWindow::Minimized || !m_window->isVisible())
        m_window->showNormal();
    m_window->raise();
    m_window->requestActivate();
}
