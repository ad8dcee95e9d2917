// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbPixelBufferPool.h"

#include <atomic>

namespace ScreenCapture {

std::shared_ptr<XcbPixelBuffer> XcbPixelBufferPool::acquire(XcbConnection &connection, int width,
                                                            int height)
{
    if (!m_buffers.empty() &&
        (m_buffers.front()->width() != width || m_buffers.front()->height() != height))
        clear(connection);

    for (const auto &buffer : m_buffers) {
        if (buffer.use_count() == 1) {
            // The holder's last release happened before this read of the count; order its
            // accesses to the pixels before the writes that follow.
            std::atomic_thread_fence(std::memory_order_acquire);
            return buffer;
        }
    }
    if (int(m_buffers.size()) >= m_depth)
        return nullptr;
    auto buffer = XcbPixelBuffer::create(width, height);
    if (!buffer)
        return nullptr;
    buffer->attach(connection);
    m_buffers.push_back(buffer);
    return buffer;
}

void XcbPixelBufferPool::clear(XcbConnection &connection)
{
    for (const auto &buffer : m_buffers)
        buffer->detach(connection);
    m_buffers.clear();
}

} // namespace ScreenCapture
