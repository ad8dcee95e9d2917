// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbDisplaySource.h"

#include "XcbConnection.h"
#include "platform/screencapture/ScreenCaptureError.h"

#include <xcb/randr.h>

namespace ScreenCapture {

namespace {

std::optional<QRect> monitorRect(const XcbConnection &connection, uint32_t displayID)
{
    for (const XcbMonitor &monitor : connection.monitors()) {
        if (monitor.id == displayID)
            return monitor.rect;
    }
    return std::nullopt;
}

} // namespace

Expected<std::unique_ptr<XcbCaptureSource>> XcbDisplaySource::make(XcbConnection &connection,
                                                                   uint32_t displayID)
{
    if (connection.hasRandr()) {
        xcb_randr_select_input(connection.get(), connection.root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
    }
    const std::optional<QRect> rect = monitorRect(connection, displayID);
    if (!rect) {
        return makeError(ErrorCode::displayNotFound,
                         QStringLiteral("Display %1 is no longer connected.").arg(displayID));
    }
    std::unique_ptr<XcbDisplaySource> source(new XcbDisplaySource(connection, displayID, *rect));
    source->m_damage = source->createDamage(connection.root());
    return std::unique_ptr<XcbCaptureSource>(std::move(source));
}

XcbDisplaySource::XcbDisplaySource(XcbConnection &connection, uint32_t displayID, QRect rect)
    : XcbCaptureSource(connection), m_displayID(displayID), m_rect(rect)
{}

XcbDisplaySource::~XcbDisplaySource()
{
    dropStaging(m_staging);
    if (m_damage)
        xcb_damage_destroy(m_connection.get(), m_damage);
}

XcbCaptureSource::EventResult XcbDisplaySource::handleEvent(const xcb_generic_event_t &event)
{
    if (isDamageNotify(event, m_damage))
        return EventResult::changed;
    const uint8_t type = event.response_type & 0x7f;
    if (m_connection.hasRandr() &&
        (type == m_connection.randrEventBase() + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
         type == m_connection.randrEventBase() + XCB_RANDR_NOTIFY)) {
        // Monitors moved, changed size or went away.
        const std::optional<QRect> rect = monitorRect(m_connection, m_displayID);
        if (!rect)
            return EventResult::ended;
        m_rect = *rect;
        return EventResult::changed;
    }
    return EventResult::ignored;
}

XcbCaptureSource::Picture XcbDisplaySource::read(XcbPixelBuffer &frame)
{
    const bool direct = QSize(frame.width(), frame.height()) == m_rect.size();
    XcbPixelBuffer *target = direct ? &frame : staging(m_staging, m_rect.size());
    if (!target)
        return {};
    clearDamage(m_damage);
    const auto pending =
        target->requestRead(m_connection, m_connection.root(), m_rect.x(), m_rect.y());
    if (!target->finishRead(m_connection, pending))
        return {};
    if (direct) {
        frame.makeOpaque();
        return {frame.pixmanImage(true), true, true};
    }
    return {target->pixmanImage(false), false, true};
}

} // namespace ScreenCapture
