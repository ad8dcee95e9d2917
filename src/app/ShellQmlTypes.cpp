// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShellQmlTypes.h"

#include "app/AboutWindowController.h"
#include "app/Updater.h"

#include <QQmlEngine>

void ShellQmlTypes::registerTypes()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    qmlRegisterSingletonType<AboutWindowController>(
        "Kinolith", 1, 0, "AboutWindowController",
        [](QQmlEngine *engine, QJSEngine *) -> QObject * {
            AboutWindowController &controller = AboutWindowController::shared();
            controller.setEngine(engine);
            QQmlEngine::setObjectOwnership(&controller, QQmlEngine::CppOwnership);
            return &controller;
        });
    qmlRegisterSingletonType<Updater>(
        "Kinolith", 1, 0, "Updater", [](QQmlEngine *engine, QJSEngine *) -> QObject * {
            Updater &updater = Updater::shared();
            updater.controller().setEngine(engine);
            QQmlEngine::setObjectOwnership(&updater, QQmlEngine::CppOwnership);
            return &updater;
        });
}
