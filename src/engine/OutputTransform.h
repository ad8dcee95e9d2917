// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptureManager.h"

#include <array>
#include <cstdint>
#include <optional>

// The geometry of a session's output: the size it publishes and the two affine rows with which
// the transform shader maps each output pixel (u, v) to a source position (u', v'):
//   u' = row0.x * u + row0.y * v + row0.z,   v' = row1.x * u + row1.y * v + row1.z
// with (0, 0) at the first row in memory and first column, on both sides.
struct OutputTransform
{
    struct State
    {
        bool rotation180;
        bool flipHorizontal;
        int64_t cropTopPx, cropLeftPx, cropRightPx, cropBottomPx;
    };

    struct Result
    {
        int64_t outW, outH;
        std::array<float, 4> row0, row1;
    };

    // Never fails for frames of 1 x 1 and more, for any crop values: crops are clamped so that at
    // least 8 columns and 8 rows remain, and the output is at least 8 x 8. Pure, allocation-free,
    // callable from any thread.
    static Result uvRows(const State &state, int64_t inW, int64_t inH) noexcept;

    struct Size
    {
        int64_t width, height;
        friend bool operator==(const Size &, const Size &) = default;
    };

    // The capture size a screen-capture source asks for: nothing for native (the source's own
    // size) and for a custom size whose width or height is below 1.
    static std::optional<Size> requestedSize(CaptureManager::OutputResolution resolution,
                                             int64_t customWidth, int64_t customHeight) noexcept;

    static constexpr int64_t minimumOutputSide = 8;
};
