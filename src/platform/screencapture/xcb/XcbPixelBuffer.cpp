// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbPixelBuffer.h"

#include "XcbConnection.h"
#include "XcbReply.h"

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace ScreenCapture {

std::shared_ptr<XcbPixelBuffer> XcbPixelBuffer::create(int width, int height)
{
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return nullptr;
    const size_t size = size_t(width) * size_t(height) * 4;
    const int fd = memfd_create("kinolith-frame", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (ftruncate(fd, off_t(size)) != 0) {
        close(fd);
        return nullptr;
    }
    void *mapping = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    return std::shared_ptr<XcbPixelBuffer>(
        new XcbPixelBuffer(static_cast<uint8_t *>(mapping), width, height, fd, size));
}

XcbPixelBuffer::XcbPixelBuffer(uint8_t *data, int width, int height, int fd, size_t mappedSize)
    : PixelBuffer(data, width, height, size_t(width) * 4), m_fd(fd), m_mappedSize(mappedSize)
{
    auto *bits = reinterpret_cast<uint32_t *>(data);
    m_argb = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, bits, width * 4);
    m_xrgb = pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, bits, width * 4);
}

XcbPixelBuffer::~XcbPixelBuffer()
{
    if (m_argb)
        pixman_image_unref(m_argb);
    if (m_xrgb)
        pixman_image_unref(m_xrgb);
    munmap(data(), m_mappedSize);
    close(m_fd);
}

void XcbPixelBuffer::attach(XcbConnection &connection)
{
    if (m_segment || !connection.hasShmFd())
        return;
    // xcb closes the descriptor it sends: give it a copy.
    const int fd = fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return;
    const xcb_shm_seg_t segment = xcb_generate_id(connection.get());
    if (xcbSucceeded(connection.get(), xcb_shm_attach_fd_checked(connection.get(), segment, fd, 0)))
        m_segment = segment;
}

void XcbPixelBuffer::detach(XcbConnection &connection)
{
    if (!m_segment)
        return;
    xcb_shm_detach(connection.get(), m_segment);
    m_segment = 0;
}

XcbPixelBuffer::PendingRead XcbPixelBuffer::requestRead(XcbConnection &connection,
                                                        xcb_drawable_t drawable, int x, int y)
{
    PendingRead pending;
    const auto w = uint16_t(width());
    const auto h = uint16_t(height());
    if (m_segment) {
        pending.viaShm = true;
        pending.shm = xcb_shm_get_image(connection.get(), drawable, int16_t(x), int16_t(y), w, h,
                                        ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0);
    } else {
        pending.plain = xcb_get_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, drawable,
                                      int16_t(x), int16_t(y), w, h, ~0u);
    }
    return pending;
}

bool XcbPixelBuffer::finishRead(XcbConnection &connection, const PendingRead &pending)
{
    if (pending.viaShm)
        return bool(xcbReply(xcb_shm_get_image_reply, connection.get(), pending.shm));
    auto reply = xcbReply(xcb_get_image_reply, connection.get(), pending.plain);
    if (!reply)
        return false;
    const size_t size = size_t(height()) * bytesPerRow();
    if (size_t(xcb_get_image_data_length(reply.get())) < size)
        return false;
    std::memcpy(data(), xcb_get_image_data(reply.get()), size);
    return true;
}

void XcbPixelBuffer::makeOpaque()
{
    // Sixteen pixels a step: this pass touches every byte of every frame, so it must run at the
    // speed of memory, which a plain loop at -O2 does not.
    using Block = uint32_t __attribute__((vector_size(64)));
    constexpr Block opaque = {0xff000000u, 0xff000000u, 0xff000000u, 0xff000000u,
                              0xff000000u, 0xff000000u, 0xff000000u, 0xff000000u,
                              0xff000000u, 0xff000000u, 0xff000000u, 0xff000000u,
                              0xff000000u, 0xff000000u, 0xff000000u, 0xff000000u};
    uint8_t *bytes = data();
    const size_t size = size_t(width()) * size_t(height()) * 4;
    size_t offset = 0;
    for (; offset + sizeof(Block) <= size; offset += sizeof(Block)) {
        Block block;
        std::memcpy(&block, bytes + offset, sizeof block);
        block |= opaque;
        std::memcpy(bytes + offset, &block, sizeof block);
    }
    for (; offset < size; offset += 4)
        bytes[offset + 3] = 0xff;
}

} // namespace ScreenCapture
