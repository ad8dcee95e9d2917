// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "XcbCaptureSource.h"
#include "XcbWindowList.h"

#include <set>
#include <vector>

namespace ScreenCapture {

// A monitor showing only the windows of the applications not excluded (client windows and the
// override-redirect menus and pop-ups above them, by _NET_WM_PID), composited in stacking order
// over black from their Composite pixmaps (so an excluded window on top hides nothing).
// The set of windows follows the client list as windows come, go, move and restack.
class XcbApplicationSource final : public XcbCaptureSource
{
public:
    static Expected<std::unique_ptr<XcbCaptureSource>>
    make(XcbConnection &connection, uint32_t displayID,
         const std::vector<RunningApplication> &excluded);
    ~XcbApplicationSource() override;

    EventResult handleEvent(const xcb_generic_event_t &event) override;
    QSize size() const override { return m_rect.size(); }
    QPoint origin() const override { return m_rect.topLeft(); }
    Picture read(XcbPixelBuffer &frame) override;

private:
    struct Tracked
    {
        XcbWindowInfo info;
        int border = 0;
        xcb_pixmap_t pixmap = 0;
        QSize pixmapSize;
        xcb_damage_damage_t damage = 0;
        std::shared_ptr<XcbPixelBuffer> staging;
        bool gone = false; // destroyed: its id must not be used again
    };

    struct Part
    {
        Tracked *tracked = nullptr;
        QRect visible; // in root coordinates
        XcbPixelBuffer::PendingRead pending;
    };

    XcbApplicationSource(XcbConnection &connection, uint32_t displayID, QRect rect,
                         std::set<int32_t> excludedPids);
    bool isIncluded(const XcbWindowInfo &info) const;
    // Reads the client list again and brings the tracked windows in line with it.
    void refreshWindows();
    void nameWindowPixmap(Tracked &tracked);
    void release(Tracked &tracked);

    const uint32_t m_displayID;
    QRect m_rect;
    const std::set<int32_t> m_excludedPids;
    std::vector<Tracked> m_windows; // bottom of the stack first
    bool m_windowsStale = true;
    std::shared_ptr<XcbPixelBuffer> m_canvas;
    std::vector<Part> m_parts; // reused by each read
};

} // namespace ScreenCapture
