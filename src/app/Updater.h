// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/StandardUpdaterController.h"

#include <QObject>

// The process's one software-update wrapper, made on first use (the first "Check for Updates…"),
// never before: until then nothing about updates happens. Main thread only.
class Updater : public QObject
{
    Q_OBJECT

public:
    static Updater &shared();
    // Whether shared() was ever called.
    static bool exists();

    StandardUpdaterController &controller() { return m_controller; }

    // The menu item's action: one user-initiated check.
    Q_INVOKABLE void checkForUpdates() { m_controller.checkForUpdates(); }

private:
    Updater();

    StandardUpdaterController m_controller;
};
