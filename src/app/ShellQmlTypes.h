// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Makes the shell's process-wide objects reachable from the interface's QML as the singletons
// AboutWindowController and Updater of the Kinolith module. Each is made only when QML first
// touches it (the first choice of its menu item), in the engine that asks.
class ShellQmlTypes
{
public:
    // Once per process, before the main window is loaded.
    static void registerTypes();
};
