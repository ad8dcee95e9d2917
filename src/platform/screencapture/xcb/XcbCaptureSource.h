// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "XcbPixelBuffer.h"
#include "platform/foundation/Error.h"
#include "platform/screencapture/ContentFilter.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>
#include <optional>
#include <xcb/damage.h>
#include <xcb/xcb.h>

namespace ScreenCapture {

class XcbConnection;

// What one content filter captures, read from the X server on the stream's capture thread, over
// the stream's own connection. Subclasses: one per filter form.
class XcbCaptureSource
{
public:
    enum class EventResult {
        ignored,
        changed, // the picture (or its size) changed: worth a new frame
        ended,   // the source is gone for good: the stream ends
    };

    // A source for filter; fails when what the filter names is gone or cannot be captured.
    static Expected<std::unique_ptr<XcbCaptureSource>> make(XcbConnection &connection,
                                                            const ContentFilter &filter);
    virtual ~XcbCaptureSource();
    XcbCaptureSource(const XcbCaptureSource &) = delete;
    XcbCaptureSource &operator=(const XcbCaptureSource &) = delete;

    virtual EventResult handleEvent(const xcb_generic_event_t &event) = 0;

    // The source's size now: the frame size when the configuration sets none. Empty while there
    // is nothing to capture (an unmapped window).
    virtual QSize size() const = 0;
    // The source's top-left corner in root coordinates, for drawing the pointer.
    virtual QPoint origin() const = 0;

    // The current picture, read into frame directly when it has the source's size and the source
    // can do that, else into a staging image of the source's size. Null when nothing could be
    // read (the window went away meanwhile); the next change tries again.
    struct Picture
    {
        pixman_image_t *image = nullptr;
        bool inFrame = false; // image is frame's own, and its alpha is settled
        bool opaque = true;   // the fourth byte is undefined: read it as 255
    };
    virtual Picture read(XcbPixelBuffer &frame) = 0;

protected:
    explicit XcbCaptureSource(XcbConnection &connection) : m_connection(connection) {}

    // A damage object reporting when drawable turns from clean to damaged, or 0 without DAMAGE.
    xcb_damage_damage_t createDamage(xcb_drawable_t drawable);
    // True for a DamageNotify of damage. The server sends one when the damage turns from empty to
    // not empty, and no more until clearDamage(): one wake-up per frame at most, however often
    // the source is drawn to.
    bool isDamageNotify(const xcb_generic_event_t &event, xcb_damage_damage_t damage) const;
    // Empties damage; call it right before reading the picture (requests are handled in order, so
    // whatever is drawn after it is reported again).
    void clearDamage(xcb_damage_damage_t damage);
    // The rectangle of monitor displayID, with RandR changes of the monitors reported to the
    // connection from now on; an error when the monitor is not connected.
    static Expected<QRect> watchMonitor(XcbConnection &connection, uint32_t displayID);
    // For a RandR change: moves rect to where monitor displayID is now (changed), or ended when it
    // is gone. Nothing for any other event.
    std::optional<EventResult> followMonitor(const xcb_generic_event_t &event, uint32_t displayID,
                                             QRect &rect) const;

    // A staging image of size, reusing *staging when it has that size already.
    XcbPixelBuffer *staging(std::shared_ptr<XcbPixelBuffer> &staging, QSize size);
    void dropStaging(std::shared_ptr<XcbPixelBuffer> &staging);

    XcbConnection &m_connection;
};

} // namespace ScreenCapture
