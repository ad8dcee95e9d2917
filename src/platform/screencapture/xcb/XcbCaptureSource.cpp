// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbCaptureSource.h"

#include "XcbApplicationSource.h"
#include "XcbConnection.h"
#include "XcbDisplaySource.h"
#include "XcbWindowSource.h"
#include "platform/screencapture/ScreenCaptureError.h"

#include <xcb/randr.h>

namespace ScreenCapture {

Expected<std::unique_ptr<XcbCaptureSource>> XcbCaptureSource::make(XcbConnection &connection,
                                                                   const ContentFilter &filter)
{
    switch (filter.kind()) {
    case ContentFilter::Kind::display:
        return XcbDisplaySource::make(connection, filter.capturedDisplay().displayID);
    case ContentFilter::Kind::displayExcludingApplications:
        return XcbApplicationSource::make(connection, filter.capturedDisplay().displayID,
                                          filter.excludedApplications());
    case ContentFilter::Kind::window:
        return XcbWindowSource::make(connection, filter.capturedWindow().windowID);
    }
    return makeError(ErrorCode::unsupported, QStringLiteral("Unknown content filter."));
}

XcbCaptureSource::~XcbCaptureSource() = default;

xcb_damage_damage_t XcbCaptureSource::createDamage(xcb_drawable_t drawable)
{
    if (!m_connection.hasDamage())
        return 0;
    const xcb_damage_damage_t damage = xcb_generate_id(m_connection.get());
    xcb_damage_create(m_connection.get(), damage, drawable, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    return damage;
}

bool XcbCaptureSource::isDamageNotify(const xcb_generic_event_t &event,
                                      xcb_damage_damage_t damage) const
{
    if (!damage ||
        (event.response_type & 0x7f) != m_connection.damageEventBase() + XCB_DAMAGE_NOTIFY)
        return false;
    const auto &notify = reinterpret_cast<const xcb_damage_notify_event_t &>(event);
    return notify.damage == damage;
}

void XcbCaptureSource::clearDamage(xcb_damage_damage_t damage)
{
    if (damage)
        xcb_damage_subtract(m_connection.get(), damage, XCB_NONE, XCB_NONE);
}

XcbPixelBuffer *XcbCaptureSource::staging(std::shared_ptr<XcbPixelBuffer> &staging, QSize size)
{
    if (staging && QSize(staging->width(), staging->height()) == size)
        return staging.get();
    dropStaging(staging);
    staging = XcbPixelBuffer::create(size.width(), size.height());
    if (staging)
        staging->attach(m_connection);
    return staging.get();
}

void XcbCaptureSource::dropStaging(std::shared_ptr<XcbPixelBuffer> &staging)
{
    if (staging)
        staging->detach(m_connection);
    staging.reset();
}

Expected<QRect> XcbCaptureSource::watchMonitor(XcbConnection &connection, uint32_t displayID)
{
    if (connection.hasRandr()) {
        xcb_randr_select_input(connection.get(), connection.root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    }
    for (const XcbMonitor &monitor : connection.monitors()) {
        if (monitor.id == displayID)
            return monitor.rect;
    }
    return makeError(ErrorCode::displayNotFound,
                     QStringLiteral("Display %1 is no longer connected.").arg(displayID));
}

std::optional<XcbCaptureSource::EventResult>
XcbCaptureSource::followMonitor(const xcb_generic_event_t &event, uint32_t displayID,
                                QRect &rect) const
{
    const uint8_t type = event.response_type & 0x7f;
    if (!m_connection.hasRandr() ||
        (type != m_connection.randrEventBase() + XCB_RANDR_SCREEN_CHANGE_NOTIFY &&
         type != m_connection.randrEventBase() + XCB_RANDR_NOTIFY))
        return std::nullopt;
    // Monitors moved, changed size or went away.
    for (const XcbMonitor &monitor : m_connection.monitors()) {
        if (monitor.id == displayID) {
            rect = monitor.rect;
            return EventResult::changed;
        }
    }
    return EventResult::ended;
}

} // namespace ScreenCapture
