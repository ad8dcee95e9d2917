// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <cstdint>
#include <pixman.h>
#include <vector>

namespace ScreenCapture {

class XcbConnection;

// The pointer as XFixes shows it, drawn over captured pictures. Capture thread only.
class XcbCursorOverlay
{
public:
    XcbCursorOverlay() = default;
    ~XcbCursorOverlay();
    XcbCursorOverlay(const XcbCursorOverlay &) = delete;
    XcbCursorOverlay &operator=(const XcbCursorOverlay &) = delete;

    // Reads the pointer's image and place (one round trip); true when either changed since the
    // last update.
    bool update(XcbConnection &connection);

    // Draws the pointer over image, whose top-left corner is at origin in root coordinates.
    void draw(pixman_image_t *image, QPoint origin) const;

private:
    std::vector<uint32_t> m_pixels; // premultiplied ARGB, grows only
    pixman_image_t *m_image = nullptr;
    int m_width = 0;
    int m_height = 0;
    QPoint m_topLeft; // in root coordinates
    uint32_t m_serial = 0;
    bool m_valid = false;
};

} // namespace ScreenCapture
