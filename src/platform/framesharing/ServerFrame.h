// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace framesharing {

// A writable frame inside one of a server's shared buffers, handed out by Server::beginFrame()
// and given back with Server::submitFrame() or Server::cancelFrame() (dropping it cancels it).
// Move-only. While it is out, the server keeps the buffer's memory in place: a consumer leaving
// or the daemon going away waits for it. It must be given back on the thread that took it, before
// the next beginFrame() and before the server is released, and the writer should not sit on it.
//
// Row order: shared buffers are top-down (their first row is the top of the picture), while a
// frame-sharing texture's first row is the BOTTOM of the picture. So the buffer's first row
// receives the texture's LAST row: write texture row r to textureRow(r), or write the picture
// top-down through bufferRow().
class ServerFrame
{
public:
    // Called once when the frame is given back or dropped; the backend's business.
    using Release = void (*)(const std::shared_ptr<void> &owner, void *token);

    ServerFrame() = default;
    ServerFrame(std::shared_ptr<void> owner, void *token, std::uint64_t generation, Release release,
                std::uint8_t *bufferTop, int width, int height, int stride)
        : m_owner(std::move(owner)), m_token(token), m_generation(generation), m_release(release),
          m_bufferTop(bufferTop), m_width(width), m_height(height), m_stride(stride)
    {}
    ServerFrame(ServerFrame &&other) noexcept { *this = std::move(other); }
    ServerFrame &operator=(ServerFrame &&other) noexcept
    {
        if (this != &other) {
            release();
            m_owner = std::move(other.m_owner);
            m_token = std::exchange(other.m_token, nullptr);
            m_generation = other.m_generation;
            m_release = other.m_release;
            m_bufferTop = std::exchange(other.m_bufferTop, nullptr);
            m_width = other.m_width;
            m_height = other.m_height;
            m_stride = other.m_stride;
        }
        return *this;
    }
    ServerFrame(const ServerFrame &) = delete;
    ServerFrame &operator=(const ServerFrame &) = delete;
    ~ServerFrame() { release(); }

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

    // For the backend.
    void *token() const { return m_token; }
    std::uint64_t generation() const { return m_generation; }
    // Ends the write (the memory may go from here on); the frame becomes empty.
    void release()
    {
        if (m_token && m_release)
            m_release(m_owner, m_token);
        m_token = nullptr;
        m_bufferTop = nullptr;
        m_owner.reset();
    }

private:
    std::shared_ptr<void> m_owner;
    void *m_token = nullptr;
    std::uint64_t m_generation = 0;
    Release m_release = nullptr;
    std::uint8_t *m_bufferTop = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
};

} // namespace framesharing
