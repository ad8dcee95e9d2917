// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RunningApplication.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace ScreenCapture {

// One top-level window of the desktop.
struct Window
{
    uint32_t windowID = 0;
    std::optional<QString> title;
    std::optional<RunningApplication> owningApplication;
    bool isOnScreen = false;

    friend bool operator==(const Window &, const Window &) = default;
};

} // namespace ScreenCapture
