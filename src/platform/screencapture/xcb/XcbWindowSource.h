// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "XcbCaptureSource.h"

namespace ScreenCapture {

// One window, read from its Composite backing pixmap: what covers it or lies off screen does not
// matter. The pixmap is named again when the window is resized or mapped again; the source ends
// when the window is destroyed, and never follows its id to a later window.
class XcbWindowSource final : public XcbCaptureSource
{
public:
    static Expected<std::unique_ptr<XcbCaptureSource>> make(XcbConnection &connection,
                                                            xcb_window_t window);
    ~XcbWindowSource() override;

    EventResult handleEvent(const xcb_generic_event_t &event) override;
    QSize size() const override { return m_pixmap ? m_size : QSize(); }
    QPoint origin() const override { return m_origin; }
    Picture read(XcbPixelBuffer &frame) override;

private:
    XcbWindowSource(XcbConnection &connection, xcb_window_t window);
    // Names the window's current pixmap, freeing the previous one; reads size and position.
    void nameWindowPixmap();
    void freeWindowPixmap();

    const xcb_window_t m_window;
    bool m_destroyed = false;
    xcb_pixmap_t m_pixmap = 0;
    QSize m_size;
    QPoint m_origin;
    int m_border = 0;
    bool m_hasAlpha = false;
    xcb_damage_damage_t m_damage = 0;
    std::shared_ptr<XcbPixelBuffer> m_staging;
};

} // namespace ScreenCapture
