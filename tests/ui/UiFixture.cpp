// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiFixture.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickStyle>
#include <QtQml/qqmlextensionplugin.h>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(KinolithPlugin)

namespace {

const char *const managerStandIn = R"(
import QtQuick
QtObject {
    property QtObject factory
    property var displays: []
    property var applications: []
    property var windows: []
    property var syphonServers: []
    property string status: "Idle"
    property var sessions: []
    property var removed: []
    property int refreshCount: 0
    function addSession() { sessions = sessions.concat([factory.create()]) }
    function removeSession(session) { removed = removed.concat([session]) }
    function resolvedServerName(session) { return "Kinolith " + session.shortTag }
    function refreshWindows() { refreshCount++ }
}
)";

} // namespace

CaptureSession *SessionFactory::create()
{
    sessions.push_back(CaptureSession::create());
    CaptureSession *session = sessions.back().get();
    QQmlEngine::setObjectOwnership(session, QQmlEngine::CppOwnership);
    return session;
}

UiFixture::UiFixture() = default;

UiFixture::~UiFixture()
{
    m_cards.clear();
    m_manager.reset();
    m_engine.reset();
}

bool UiFixture::load()
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    m_engine = std::make_unique<QQmlApplicationEngine>();
    // The module lives at qrc:/Kinolith; QML written here imports it from there.
    m_engine->addImportPath(QStringLiteral("qrc:/"));
    m_engine->load(QUrl(QStringLiteral("qrc:/Kinolith/Main.qml")));
    if (m_engine->rootObjects().size() != 1)
        return false;
    m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().first());
    if (!m_window)
        return false;

    QQmlComponent component(m_engine.get());
    component.setData(managerStandIn, QUrl(QStringLiteral("qrc:/tests/Manager.qml")));
    m_manager.reset(component.create());
    if (!m_manager) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return false;
    }
    m_manager->setProperty("factory", QVariant::fromValue<QObject *>(&m_factory));
    return true;
}

QQuickItem *UiFixture::makeCard(CaptureSession *session)
{
    QQmlComponent component(m_engine.get(), QUrl(QStringLiteral("qrc:/Kinolith/SessionView.qml")));
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("session"), QVariant::fromValue<QObject *>(session)},
         {QStringLiteral("manager"), QVariant::fromValue<QObject *>(m_manager.get())}}));
    auto *card = qobject_cast<QQuickItem *>(object.get());
    if (!card) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return nullptr;
    }
    object.release();
    // The application window's content area, below its menu bar.
    auto *content = m_window->property("contentItem").value<QQuickItem *>();
    card->setParentItem(content);
    card->setX(16);
    card->setY(16);
    card->setWidth(content->width() - 32);
    m_cards.emplace_back(card);
    return card;
}

QQuickItem *UiFixture::makeContentView()
{
    QQmlComponent component(m_engine.get(), QUrl(QStringLiteral("qrc:/Kinolith/ContentView.qml")));
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("manager"), QVariant::fromValue<QObject *>(m_manager.get())}}));
    auto *view = qobject_cast<QQuickItem *>(object.get());
    if (!view) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return nullptr;
    }
    object.release();
    auto *content = m_window->property("contentItem").value<QQuickItem *>();
    view->setParentItem(content);
    view->setSize(content->size());
    m_cards.emplace_back(view);
    return view;
}

void UiFixture::clearCards()
{
    m_cards.clear();
}
