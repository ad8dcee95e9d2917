// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace framesharing {

// A writable frame inside one of a server's shared buffers, handed out by Server::beginFrame()
// and given back with Server::submitFrame() or Server::cancelFrame(). Move-only. The memory stays
// mapped while this object lives, even if the server drops the buffer meanwhile (a consumer
// left, the daemon went away); submitting such a frame then simply drops it.
//
// Row order: shared buffers are top-down (their first row is the top of the picture), while a
// frame-sharing texture's first row is the BOTTOM of the picture. So the buffer's first row
// receives the texture's LAST row: write texture row r to textureRow(r), or write the picture
// top-down through bufferRow().
class ServerFrame
{
public:
    ServerFrame() = default;
    ServerFrame(std::shared_ptr<void> buffer, std::uint8_t *bufferTop, int width, int height,
                int stride)
        : m_buffer(std::move(buffer)), m_bufferTop(bufferTop), m_width(width), m_height(height),
          m_stride(stride)
    {}
    ServerFrame(ServerFrame &&) = default;
    ServerFrame &operator=(ServerFrame &&) = default;
    ServerFrame(const ServerFrame &) = delete;
    ServerFrame &operator=(const ServerFrame &) = delete;

    explicit operator bool() const { return m_bufferTop != nullptr; }

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Bytes from one buffer row to the next (positive; at least width × 4).
    int stride() const { return m_stride; }
    std::size_t byteSize() const { return std::size_t(m_stride) * std::size_t(m_height); }

    // Row `row` of the buffer, counted from the top of the picture. bufferRow(0) is bufferTop().
    std::uint8_t *bufferRow(int row) const { return m_bufferTop + std::intptr_t(row) * m_stride; }
    std::uint8_t *bufferTop() const { return m_bufferTop; }
    // Where row `row` of the texture goes: bufferRow(height - 1 - row).
    std::uint8_t *textureRow(int row) const { return bufferRow(m_height - 1 - row); }

    // The backend's hold on the buffer; not for callers.
    const std::shared_ptr<void> &backendBuffer() const { return m_buffer; }

private:
    std::shared_ptr<void> m_buffer;
    std::uint8_t *m_bufferTop = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
};

} // namespace framesharing
