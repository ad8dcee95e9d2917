// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CaptureSession.h"

#include <QObject>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <memory>
#include <vector>

// Real sessions for QML: QML code (the stand-in manager) asks for new ones with create(); they
// stay alive as long as the factory.
class SessionFactory : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE CaptureSession *create();
    std::vector<std::shared_ptr<CaptureSession>> sessions;
};

// The real main window of the application, and session cards built in it with real sessions.
// The session manager is a small QML object with the manager's property and method names
// (displays, applications, windows, syphonServers, status, sessions, addSession(),
// removeSession(), resolvedServerName(), refreshWindows()); it records removals and refreshes.
class UiFixture
{
public:
    UiFixture();
    ~UiFixture();

    bool load();
    QQuickWindow *window() const { return m_window; }
    QQmlApplicationEngine &engine() { return *m_engine; }
    QObject *manager() const { return m_manager.get(); }
    SessionFactory &factory() { return m_factory; }

    // A card for the session, placed in the main window's content at full width. The fixture
    // owns it.
    QQuickItem *makeCard(CaptureSession *session);
    void clearCards();
    // The window's content view over the stand-in manager, filling the main window's content
    // area. The fixture owns it.
    QQuickItem *makeContentView();

private:
    SessionFactory m_factory;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    std::unique_ptr<QObject> m_manager;
    std::vector<std::unique_ptr<QQuickItem>> m_cards;
    QQuickWindow *m_window = nullptr;
};
