// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace framesharing {

// A picture in CPU memory, 8-bit BGRA, width × height pixels, `stride` bytes from the start of
// one row in memory to the start of the next. Which row comes first is the owner's convention:
// frame-sharing textures have the BOTTOM of the picture as their first row.
struct FrameView
{
    const std::uint8_t *data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    const std::uint8_t *row(int index) const { return data + std::intptr_t(index) * stride; }
    bool isEmpty() const { return !data || width <= 0 || height <= 0; }
};

} // namespace framesharing
