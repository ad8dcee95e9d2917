// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputTransform.h"

#include <algorithm>

namespace {

constexpr int64_t minSide = OutputTransform::minimumOutputSide;

// Truncates value toward zero, no further than cap. Near the top of the int64 range a double can
// round past what an int64 holds, and rounding may overshoot a sum by a pixel.
int64_t truncateAtMost(double value, int64_t cap) noexcept
{
    if (value >= 9223372036854775808.0) // 2^63
        return cap;
    return std::min(int64_t(value), cap);
}

// Limits a pair of opposite crops so that at least minSide pixels of extent remain, keeping their
// proportion when together they would take more.
void limitCropPair(int64_t extent, int64_t &first, int64_t &second) noexcept
{
    // extent >= 1, so this cannot overflow.
    const int64_t available = extent - minSide;
    if (available < 0) {
        first = second = 0;
        return;
    }
    first = std::min(first, available);
    second = std::min(second, available);
    // Both are at most available <= INT64_MAX - 8, so compare without forming the sum.
    if (first > available - second) {
        const double k = double(available) / (double(first) + double(second));
        first = truncateAtMost(k * double(first), available);
        second = truncateAtMost(k * double(second), available - first);
    }
}

float normaliser(int64_t extent) noexcept
{
    return extent < 2 ? 1.0f : float(extent);
}

} // namespace

OutputTransform::Result OutputTransform::uvRows(const State &state, int64_t inW,
                                                int64_t inH) noexcept
{
    int64_t top = std::max<int64_t>(state.cropTopPx, 0);
    int64_t left = std::max<int64_t>(state.cropLeftPx, 0);
    int64_t right = std::max<int64_t>(state.cropRightPx, 0);
    int64_t bottom = std::max<int64_t>(state.cropBottomPx, 0);

    // Frames are at least 1 x 1; anything smaller is treated as 1 so nothing below can misbehave.
    inW = std::max<int64_t>(inW, 1);
    inH = std::max<int64_t>(inH, 1);

    limitCropPair(inW, left, right);
    limitCropPair(inH, top, bottom);

    const int64_t cropW = inW - left - right;
    const int64_t cropH = inH - top - bottom;

    Result result{};
    result.outW = std::max(cropW, minSide);
    result.outH = std::max(cropH, minSide);

    const float fw = normaliser(inW);
    const float fh = normaliser(inH);
    const float l = float(left) / fw;
    const float r = float(right) / fw;
    const float t = float(top) / fh;
    const float b = float(bottom) / fh;
    const float sx = (1.0f - l) - r;
    const float sy = (1.0f - t) - b;

    // A 180-degree turn mirrors both axes; a horizontal flip on top of it cancels the horizontal
    // mirror. The crops follow the published picture, so they are applied after mirroring.
    const bool mirrorU = state.flipHorizontal != state.rotation180;
    const bool mirrorV = state.rotation180;

    result.row0 = mirrorU ? std::array<float, 4>{-sx, 0.0f, 1.0f - l, 0.0f}
                          : std::array<float, 4>{sx, 0.0f, l, 0.0f};
    result.row1 = mirrorV ? std::array<float, 4>{0.0f, -sy, 1.0f - b, 0.0f}
                          : std::array<float, 4>{0.0f, sy, b, 0.0f};
    return result;
}

std::optional<OutputTransform::Size>
OutputTransform::requestedSize(CaptureManager::OutputResolution resolution, int64_t customWidth,
                               int64_t customHeight) noexcept
{
    using R = CaptureManager::OutputResolution;
    switch (resolution) {
    case R::native:
        return std::nullopt;
    case R::r640x360:
        return Size{640, 360};
    case R::r960x540:
        return Size{960, 540};
    case R::r1280x720:
        return Size{1280, 720};
    case R::r1600x900:
        return Size{1600, 900};
    case R::r1920x1080:
        return Size{1920, 1080};
    case R::r2560x1440:
        return Size{2560, 1440};
    case R::r3840x2160:
        return Size{3840, 2160};
    case R::custom:
        if (customWidth >= 1 && customHeight >= 1)
            return Size{customWidth, customHeight};
        return std::nullopt;
    }
    return std::nullopt;
}
