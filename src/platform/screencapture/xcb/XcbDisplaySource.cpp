// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbDisplaySource.h"

#include "XcbConnection.h"
#include "platform/screencapture/ScreenCaptureError.h"

namespace ScreenCapture {

Expected<std::unique_ptr<XcbCaptureSource>> XcbDisplaySource::make(XcbConnection &connection,
                                                                   uint32_t displayID)
{
    const Expected<QRect> rect = watchMonitor(connection, displayID);
    if (!rect)
        return rect.error();
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
    if (const auto result = followMonitor(event, m_displayID, m_rect))
        return *result;
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
