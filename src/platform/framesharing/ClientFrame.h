// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FrameView.h"

#include <cstdint>
#include <vector>

namespace framesharing {

// One received frame in CPU memory: 8-bit BGRA (alpha 255 where the source sends none), rows in
// the frame-sharing texture order, that is the first row in memory is the BOTTOM of the picture.
// A client keeps a few of these and reuses their memory; a frame is never written while someone
// holds it.
struct ClientFrame
{
    int width = 0;
    int height = 0;
    int stride = 0;
    std::uint64_t sequence = 0; // counts the frames the client received, from 1
    double receivedTime = 0;    // hostTime() when the frame arrived
    std::vector<std::uint8_t> pixels;

    FrameView view() const { return FrameView{pixels.data(), width, height, stride}; }
};

} // namespace framesharing
