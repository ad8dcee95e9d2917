// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

namespace ScreenCapture {

// A process that owns at least one window of the desktop.
struct RunningApplication
{
    int32_t processID = 0;
    QString applicationName;

    friend bool operator==(const RunningApplication &, const RunningApplication &) = default;
};

} // namespace ScreenCapture
