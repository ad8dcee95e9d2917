// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbCursorOverlay.h"

#include "XcbConnection.h"
#include "XcbReply.h"

#include <algorithm>
#include <xcb/xfixes.h>

namespace ScreenCapture {

XcbCursorOverlay::~XcbCursorOverlay()
{
    if (m_image)
        pixman_image_unref(m_image);
}

bool XcbCursorOverlay::update(XcbConnection &connection)
{
    if (!connection.hasXFixes())
        return false;
    auto reply = xcbReply(xcb_xfixes_get_cursor_image_reply, connection.get(),
                          xcb_xfixes_get_cursor_image(connection.get()));
    if (!reply) {
        const bool changed = m_valid;
        m_valid = false;
        return changed;
    }
    const QPoint topLeft(reply->x - reply->xhot, reply->y - reply->yhot);
    const bool sameShape = m_valid && reply->cursor_serial == m_serial && reply->width == m_width &&
                           reply->height == m_height;
    if (sameShape && topLeft == m_topLeft)
        return false;
    m_topLeft = topLeft;
    m_valid = true;
    if (sameShape)
        return true;

    m_serial = reply->cursor_serial;
    const int count = xcb_xfixes_get_cursor_image_cursor_image_length(reply.get());
    const uint32_t *pixels = xcb_xfixes_get_cursor_image_cursor_image(reply.get());
    if (reply->width == 0 || reply->height == 0 || count < reply->width * reply->height) {
        m_valid = false;
        return true;
    }
    if (m_pixels.size() < size_t(count) || reply->width != m_width || reply->height != m_height) {
        if (m_pixels.size() < size_t(count))
            m_pixels.resize(size_t(count));
        if (m_image)
            pixman_image_unref(m_image);
        m_width = reply->width;
        m_height = reply->height;
        m_image = pixman_image_create_bits(PIXMAN_a8r8g8b8, m_width, m_height, m_pixels.data(),
                                           m_width * 4);
    }
    std::copy(pixels, pixels + size_t(m_width) * size_t(m_height), m_pixels.begin());
    return true;
}

void XcbCursorOverlay::draw(pixman_image_t *image, QPoint origin) const
{
    if (!m_valid || !m_image)
        return;
    const QPoint at = m_topLeft - origin;
    pixman_image_composite32(PIXMAN_OP_OVER, m_image, nullptr, image, 0, 0, 0, 0, at.x(), at.y(),
                             m_width, m_height);
}

} // namespace ScreenCapture
