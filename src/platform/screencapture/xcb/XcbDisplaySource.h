// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "XcbCaptureSource.h"

namespace ScreenCapture {

// A whole monitor: its rectangle of the root window, read with MIT-SHM.
class XcbDisplaySource final : public XcbCaptureSource
{
public:
    static Expected<std::unique_ptr<XcbCaptureSource>> make(XcbConnection &connection,
                                                            uint32_t displayID);
    ~XcbDisplaySource() override;

    EventResult handleEvent(const xcb_generic_event_t &event) override;
    QSize size() const override { return m_rect.size(); }
    QPoint origin() const override { return m_rect.topLeft(); }
    Picture read(XcbPixelBuffer &frame) override;

private:
    XcbDisplaySource(XcbConnection &connection, uint32_t displayID, QRect rect);

    const uint32_t m_displayID;
    QRect m_rect;
    xcb_damage_damage_t m_damage = 0;
    std::shared_ptr<XcbPixelBuffer> m_staging;
};

} // namespace ScreenCapture
