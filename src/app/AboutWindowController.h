// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QString>

// Owns the About window: at most one at a time, made on demand, forgotten when it closes so the
// next show() builds a fresh one. Main thread only.
class AboutWindowController : public QObject
{
    Q_OBJECT

public:
    static AboutWindowController &shared();

    // The engine the window is built in. The first engine that asks for the controller.
    void setEngine(QQmlEngine *engine);

    // Shows the About window, bringing the open one to the front when there is one.
    Q_INVOKABLE void show();

    // The bundle's ThirdPartyNotices.txt when it is there and valid UTF-8, else the message that
    // says how to add it.
    Q_INVOKABLE QString loadNotices() const;

    // The open window, or null.
    QQuickWindow *window() const { return m_window; }

    // The current year in decimal, read on first use and kept for the life of the process.
    static const QString &yearText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AboutWindowController() = default;
    void bringForward();

    QPointer<QQmlEngine> m_engine;
    QPointer<QQuickWindow> m_window;
};
