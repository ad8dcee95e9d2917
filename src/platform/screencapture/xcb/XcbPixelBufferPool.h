// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "XcbPixelBuffer.h"

#include <memory>
#include <vector>

namespace ScreenCapture {

class XcbConnection;

// At most `depth` pixel buffers of one size, made once and reused. A buffer is free again when
// only the pool holds it. Capture thread only.
class XcbPixelBufferPool
{
public:
    explicit XcbPixelBufferPool(int depth) : m_depth(depth) {}
    XcbPixelBufferPool(const XcbPixelBufferPool &) = delete;
    XcbPixelBufferPool &operator=(const XcbPixelBufferPool &) = delete;

    // A free buffer of width × height, attached to connection; null when every buffer is still
    // held elsewhere (or memory ran out). A new size drops the buffers of the old one (holders
    // keep theirs).
    std::shared_ptr<XcbPixelBuffer> acquire(XcbConnection &connection, int width, int height);

    // Detaches every buffer from connection and drops them.
    void clear(XcbConnection &connection);

private:
    const int m_depth;
    std::vector<std::shared_ptr<XcbPixelBuffer>> m_buffers;
};

} // namespace ScreenCapture
