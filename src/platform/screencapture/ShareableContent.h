// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Display.h"
#include "RunningApplication.h"
#include "Window.h"

#include <vector>

namespace ScreenCapture {

// What can be captured at the moment it was asked for.
struct ShareableContent
{
    std::vector<Display> displays;                // in the display server's order
    std::vector<RunningApplication> applications; // one per process owning a window
    std::vector<Window> windows;                  // front-most first

    // The options of a content query.
    struct Options
    {
        bool excludingDesktopWindows = false;
        bool onScreenWindowsOnly = true;
    };
};

} // namespace ScreenCapture
