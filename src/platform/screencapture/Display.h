// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace ScreenCapture {

// One display (a monitor of the desktop) that can be captured whole.
struct Display
{
    // Stable for the life of the display server session; see docs/ARCHITECTURE.md for its source.
    uint32_t displayID = 0;

    friend bool operator==(const Display &, const Display &) = default;
};

} // namespace ScreenCapture
