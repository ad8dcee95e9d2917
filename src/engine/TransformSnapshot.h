// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The frame path's copy of a session's transform settings, taken whole under the session's lock.
struct TransformSnapshot
{
    bool rotation180 = true;
    bool flipHorizontal = true;
    int64_t cropTopPx = 0;
    int64_t cropLeftPx = 0;
    int64_t cropRightPx = 0;
    int64_t cropBottomPx = 0;

    friend bool operator==(const TransformSnapshot &, const TransformSnapshot &) = default;
};
