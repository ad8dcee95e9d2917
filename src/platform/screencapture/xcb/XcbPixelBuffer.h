// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/screencapture/PixelBuffer.h"

#include <memory>
#include <pixman.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace ScreenCapture {

class XcbConnection;

// A pixel buffer in a memfd mapping that the X server can write into directly (MIT-SHM), rows
// packed (bytesPerRow = width × 4) as the server writes them. The mapping belongs to the buffer,
// so a consumer may keep it after the connection closed; the owner that attached it to a
// connection detaches it while that connection lives.
class XcbPixelBuffer final : public PixelBuffer
{
public:
    // Null when the memory cannot be had.
    static std::shared_ptr<XcbPixelBuffer> create(int width, int height);
    ~XcbPixelBuffer() override;

    // Shares the memory with the server when it takes segments as file descriptors; without that
    // (or when refused), reads go through plain GetImage replies.
    void attach(XcbConnection &connection);
    void detach(XcbConnection &connection);

    // Asks the server for the w × h area of drawable at (x, y), the buffer's size; finishRead
    // waits for it. False when the server refused (the drawable vanished or is not viewable).
    struct PendingRead
    {
        bool viaShm = false;
        xcb_shm_get_image_cookie_t shm{};
        xcb_get_image_cookie_t plain{};
    };
    PendingRead requestRead(XcbConnection &connection, xcb_drawable_t drawable, int x, int y);
    bool finishRead(XcbConnection &connection, const PendingRead &pending);

    // Views of the pixels for pixman: the fourth byte as alpha, or ignored (read as 255).
    pixman_image_t *pixmanImage(bool hasAlpha) const { return hasAlpha ? m_argb : m_xrgb; }

    // Sets the fourth byte of every pixel to 255.
    void makeOpaque();

private:
    XcbPixelBuffer(uint8_t *data, int width, int height, int fd, size_t mappedSize);

    const int m_fd;
    const size_t m_mappedSize;
    xcb_shm_seg_t m_segment = 0; // capture thread only
    pixman_image_t *m_argb = nullptr;
    pixman_image_t *m_xrgb = nullptr;
};

} // namespace ScreenCapture
