// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StreamConfiguration.h"

#include <cstddef>
#include <cstdint>

namespace ScreenCapture {

// One captured picture in main memory: BGRA bytes, 8 bits each, the first row in memory is the
// top of the picture, alpha 255 where the source is opaque. A stream reuses its pixel buffers:
// one is written again only once every holder of it has let it go.
class PixelBuffer
{
public:
    virtual ~PixelBuffer() = default;
    PixelBuffer(const PixelBuffer &) = delete;
    PixelBuffer &operator=(const PixelBuffer &) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    size_t bytesPerRow() const { return m_bytesPerRow; }
    PixelFormat pixelFormat() const { return PixelFormat::bgra; }
    const uint8_t *data() const { return m_data; }
    uint8_t *data() { return m_data; }

protected:
    PixelBuffer(uint8_t *data, int width, int height, size_t bytesPerRow)
        : m_data(data), m_width(width), m_height(height), m_bytesPerRow(bytesPerRow)
    {}

private:
    uint8_t *const m_data;
    const int m_width;
    const int m_height;
    const size_t m_bytesPerRow;
};

} // namespace ScreenCapture
