// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShellQmlTypes.h"
#include "app/Updater.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlListReference>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <memory>
#include <xcb/xcb_icccm.h>

Q_IMPORT_QML_PLUGIN(KinolithPlugin)

namespace {

QList<QObject *> menus(QObject *menuBar)
{
    QQmlListReference list(menuBar, "menus");
    QList<QObject *> result;
    for (qsizetype i = 0; i < list.count(); ++i)
        result << list.at(i);
    return result;
}

QObject *menuNamed(QObject *menuBar, const QString &title)
{
    for (QObject *menu : menus(menuBar)) {
        if (menu->property("title").toString() == title)
            return menu;
    }
    return nullptr;
}

QStringList menuTitles(QObject *menuBar)
{
    QStringList titles;
    for (QObject *menu : menus(menuBar))
        titles << menu->property("title").toString();
    return titles;
}

// The menu's entries as "text|shortcut", separators as "-".
QStringList menuEntries(QObject *menu)
{
    QStringList entries;
    const int count = menu->property("count").toInt();
    for (int i = 0; i < count; ++i) {
        QQuickItem *item = nullptr;
        QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, i));
        QObject *action = item ? item->property("action").value<QObject *>() : nullptr;
        if (!action) {
            entries << QStringLiteral("-");
            continue;
        }
        // A shortcut given as a StandardKey arrives as its number.
        const QVariant value = action->property("shortcut");
        const QKeySequence shortcut = value.typeId() == QMetaType::Int
                                          ? QKeySequence(QKeySequence::StandardKey(value.toInt()))
                                          : value.value<QKeySequence>();
        entries << action->property("text").toString() + u'|' + shortcut.toString();
    }
    return entries;
}

QObject *actionNamed(QObject *menu, const QString &text)
{
    const int count = menu->property("count").toInt();
    for (int i = 0; i < count; ++i) {
        QQuickItem *item = nullptr;
        QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, i));
        QObject *action = item ? item->property("action").value<QObject *>() : nullptr;
        if (action && action->property("text").toString() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QQuickStyle::setStyle(QStringLiteral("Basic"));
        ShellQmlTypes::registerTypes();
        m_engine = std::make_unique<QQmlApplicationEngine>();
        m_engine->load(QUrl(QStringLiteral("qrc:/Kinolith/Main.qml")));
        QCOMPARE(m_engine->rootObjects().size(), 1);
        m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().first());
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_menuBar = m_window->property("menuBar").value<QObject *>();
        QVERIFY(m_menuBar);
    }

    void cleanupTestCase() { m_engine.reset(); }

    void opensAtDefaultSizeWithMinimum()
    {
        QCOMPARE(m_window->size(), QSize(1100, 760));
        QCOMPARE(m_window->minimumSize(), QSize(980, 680));
    }

    void windowManagerIsToldTheMinimum()
    {
        // The size limit must reach the X server, where window managers read it.
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11)
            QSKIP("not running on X11");
        xcb_connection_t *connection = x11->connection();
        xcb_size_hints_t hints{};
        const auto cookie =
            xcb_icccm_get_wm_normal_hints(connection, xcb_window_t(m_window->winId()));
        QVERIFY(xcb_icccm_get_wm_normal_hints_reply(connection, cookie, &hints, nullptr));
        QVERIFY(hints.flags & XCB_ICCCM_SIZE_HINT_P_MIN_SIZE);
        QCOMPARE(hints.min_width, 980);
        QCOMPARE(hints.min_height, 680);
    }

    void isDark()
    {
        QCOMPARE(m_window->color(), QColor::fromRgbF(0.10f, 0.10f, 0.12f));
        const QImage shot = m_window->grabWindow();
        QVERIFY(!shot.isNull());
        // The content area and the menu bar are both dark.
        for (const QPoint at : {QPoint(550, 400), QPoint(700, 10)}) {
            const QColor pixel = shot.pixelColor(at * shot.devicePixelRatio());
            QVERIFY2(pixel.lightness() < 50, qPrintable(pixel.name()));
        }
    }

    void menuBarShape()
    {
        QCOMPARE(menuTitles(m_menuBar),
                 (QStringList{QStringLiteral("Kinolith"), QStringLiteral("Edit"),
                              QStringLiteral("Help")}));
        QCOMPARE(menuEntries(menuNamed(m_menuBar, QStringLiteral("Kinolith"))),
                 (QStringList{QStringLiteral("About Kinolith|"), QStringLiteral("-"),
                              QStringLiteral("Quit Kinolith|Ctrl+Q")}));
        QCOMPARE(menuEntries(menuNamed(m_menuBar, QStringLiteral("Edit"))),
                 (QStringList{QStringLiteral("Cut|Ctrl+X"), QStringLiteral("Copy|Ctrl+C"),
                              QStringLiteral("Paste|Ctrl+V"), QStringLiteral("-"),
                              QStringLiteral("Select All|Ctrl+A")}));
        QCOMPARE(menuEntries(menuNamed(m_menuBar, QStringLiteral("Help"))),
                 QStringList{QStringLiteral("Check for Updates\u2026|")});
    }

    void updatesWaitForTheFirstChoice()
    {
        QObject *check = actionNamed(menuNamed(m_menuBar, QStringLiteral("Help")),
                                     QStringLiteral("Check for Updates\u2026"));
        QVERIFY(check);
        QVERIFY(check->property("enabled").toBool());
        // The window is up and nothing about updates has happened.
        QVERIFY(!Updater::exists());
    }

    void editMenuActsOnTheFocusedTextField()
    {
        QObject *edit = menuNamed(m_menuBar, QStringLiteral("Edit"));
        QObject *cut = actionNamed(edit, QStringLiteral("Cut"));
        QObject *copy = actionNamed(edit, QStringLiteral("Copy"));
        QObject *paste = actionNamed(edit, QStringLiteral("Paste"));
        QObject *selectAll = actionNamed(edit, QStringLiteral("Select All"));
        QVERIFY(cut && copy && paste && selectAll);

        QQmlComponent component(m_engine.get());
        component.setData("import QtQuick.Controls.Basic\nTextField { text: \"hello world\" }",
                          QUrl());
        std::unique_ptr<QQuickItem> field(qobject_cast<QQuickItem *>(component.create()));
        QVERIFY(field);
        field->setParentItem(m_window->contentItem());

        m_window->contentItem()->forceActiveFocus();
        QTRY_VERIFY(!selectAll->property("enabled").toBool());

        field->forceActiveFocus();
        QTRY_VERIFY(selectAll->property("enabled").toBool());
        QMetaObject::invokeMethod(selectAll, "trigger");
        QCOMPARE(field->property("selectedText").toString(), QStringLiteral("hello world"));
        QMetaObject::invokeMethod(copy, "trigger");
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("hello world"));
        QMetaObject::invokeMethod(cut, "trigger");
        QCOMPARE(field->property("text").toString(), QString());
        QMetaObject::invokeMethod(paste, "trigger");
        QMetaObject::invokeMethod(paste, "trigger");
        QCOMPARE(field->property("text").toString(), QStringLiteral("hello worldhello world"));
    }

    void quitEndsTheApplication()
    {
        QObject *quit = actionNamed(menuNamed(m_menuBar, QStringLiteral("Kinolith")),
                                    QStringLiteral("Quit Kinolith"));
        QVERIFY(quit);
        QSignalSpy quitSpy(m_engine.get(), &QQmlEngine::quit);
        QMetaObject::invokeMethod(quit, "trigger");
        QCOMPARE(quitSpy.count(), 1);
    }

private:
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
    QObject *m_menuBar = nullptr;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
