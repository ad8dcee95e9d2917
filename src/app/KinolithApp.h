// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGuiApplication>
#include <QQmlApplicationEngine>

// The application: sets itself up once, before any window exists, then shows the main window.
class KinolithApp
{
public:
    KinolithApp(int &argc, char **argv);
    KinolithApp(const KinolithApp &) = delete;
    KinolithApp &operator=(const KinolithApp &) = delete;

    // Loads the main window and runs the event loop until the last window closes or the user
    // quits. Returns the process's exit code.
    int run();

private:
    QGuiApplication m_application;
    QQmlApplicationEngine m_engine;
};
