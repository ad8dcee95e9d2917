// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <memory>

// The real main window, with the shell's singletons registered as the application does, and its
// menu items to choose.
class ShellFixture
{
public:
    bool load();
    QQuickWindow *mainWindow() const { return m_window; }
    QQmlApplicationEngine &engine() { return *m_engine; }

    // Chooses the item of the menu, as a click on it would. False when there is no such item.
    bool choose(const QString &menuTitle, const QString &itemText);

    // The first descendant of root (an item, or a window's content) with that object name.
    static QObject *find(QObject *root, const QString &objectName);
    // The visible top-level windows with that title.
    static QList<QQuickWindow *> windowsTitled(const QString &title);

private:
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
};
