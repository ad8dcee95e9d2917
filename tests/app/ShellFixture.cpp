// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShellFixture.h"

#include "app/ShellQmlTypes.h"

#include <QGuiApplication>
#include <QQmlListReference>
#include <QQuickStyle>
#include <QTest>

bool ShellFixture::load()
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    ShellQmlTypes::registerTypes();
    m_engine = std::make_unique<QQmlApplicationEngine>();
    m_engine->load(QUrl(QStringLiteral("qrc:/Kinolith/Main.qml")));
    if (m_engine->rootObjects().size() != 1)
        return false;
    m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().first());
    return m_window && QTest::qWaitForWindowExposed(m_window);
}

bool ShellFixture::choose(const QString &menuTitle, const QString &itemText)
{
    QObject *menuBar = m_window->property("menuBar").value<QObject *>();
    if (!menuBar)
        return false;
    QQmlListReference menus(menuBar, "menus");
    for (qsizetype m = 0; m < menus.count(); ++m) {
        QObject *menu = menus.at(m);
        if (menu->property("title").toString() != menuTitle)
            continue;
        const int count = menu->property("count").toInt();
        for (int i = 0; i < count; ++i) {
            QQuickItem *item = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item),
                                      Q_ARG(int, i));
            QObject *action = item ? item->property("action").value<QObject *>() : nullptr;
            if (action && action->property("text").toString() == itemText &&
                action->property("enabled").toBool()) {
                QMetaObject::invokeMethod(action, "trigger");
                return true;
            }
        }
    }
    return false;
}

QObject *ShellFixture::find(QObject *root, const QString &objectName)
{
    if (!root)
        return nullptr;
    if (auto *window = qobject_cast<QQuickWindow *>(root))
        root = window->contentItem();
    if (root->objectName() == objectName)
        return root;
    if (auto *item = qobject_cast<QQuickItem *>(root)) {
        for (QQuickItem *child : item->childItems()) {
            if (QObject *found = find(child, objectName))
                return found;
        }
    }
    return root->findChild<QObject *>(objectName);
}

QList<QQuickWindow *> ShellFixture::windowsTitled(const QString &title)
{
    QList<QQuickWindow *> result;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        auto *quick = qobject_cast<QQuickWindow *>(window);
        if (quick && quick->isVisible() && quick->title() == title)
            result << quick;
    }
    return result;
}
