// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace ScreenCapture {

enum class PixelFormat : uint32_t {
    bgra = 0x42475241, // 'BGRA': bytes B, G, R, A in memory, 8 bits each
};

// How a stream captures. By default the pointer is shown, frames come as often as the source
// changes, at the source's own size, and the consumer may hold up to eight of them.
struct StreamConfiguration
{
    bool capturesAudio = false; // no audio is ever captured; true is refused at start
    bool showsCursor = true;    // draw the pointer into the frames
    PixelFormat pixelFormat = PixelFormat::bgra;
    int queueDepth = 8;                // pixel buffers a consumer may hold at once (1 to 16)
    double minimumFrameInterval = 0.0; // seconds between two frames at least; 0: no cap
    int width = 0;                     // frame size in pixels; 0 or less: the source's own size
    int height = 0;
};

} // namespace ScreenCapture
