// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbWindowSource.h"

#include "XcbConnection.h"
#include "XcbReply.h"
#include "platform/screencapture/ScreenCaptureError.h"

#include <xcb/composite.h>

namespace ScreenCapture {

Expected<std::unique_ptr<XcbCaptureSource>> XcbWindowSource::make(XcbConnection &connection,
                                                                  xcb_window_t window)
{
    if (!connection.hasComposite()) {
        return makeError(ErrorCode::missingExtension,
                         QStringLiteral("The X server lacks the Composite extension, which window "
                                        "capture needs."));
    }
    xcb_connection_t *c = connection.get();
    // Listen first, then look: a window destroyed after this point is reported by an event.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    const bool listening =
        xcbSucceeded(c, xcb_change_window_attributes_checked(c, window, XCB_CW_EVENT_MASK, &mask));
    auto attributes =
        xcbReply(xcb_get_window_attributes_reply, c, xcb_get_window_attributes(c, window));
    if (!listening || !attributes) {
        return makeError(
            ErrorCode::windowNotFound,
            QStringLiteral("The window to capture (0x%1) no longer exists.").arg(window, 0, 16));
    }
    if (attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT) {
        return makeError(
            ErrorCode::windowNotFound,
            QStringLiteral("Window 0x%1 has no picture to capture.").arg(window, 0, 16));
    }
    if (!xcbSucceeded(c, xcb_composite_redirect_window_checked(c, window,
                                                               XCB_COMPOSITE_REDIRECT_AUTOMATIC))) {
        return makeError(ErrorCode::captureFailed,
                         QStringLiteral("The X server refused to redirect window 0x%1 for capture.")
                             .arg(window, 0, 16));
    }
    std::unique_ptr<XcbWindowSource> source(new XcbWindowSource(connection, window));
    source->m_damage = source->createDamage(window);
    if (attributes->map_state == XCB_MAP_STATE_VIEWABLE)
        source->nameWindowPixmap();
    return std::unique_ptr<XcbCaptureSource>(std::move(source));
}

XcbWindowSource::XcbWindowSource(XcbConnection &connection, xcb_window_t window)
    : XcbCaptureSource(connection), m_window(window)
{}

XcbWindowSource::~XcbWindowSource()
{
    dropStaging(m_staging);
    freeWindowPixmap();
    if (!m_destroyed) {
        // The server drops these with the window; only a live window still has them.
        if (m_damage)
            xcb_damage_destroy(m_connection.get(), m_damage);
        xcb_composite_unredirect_window(m_connection.get(), m_window,
                                        XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        const uint32_t mask = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(m_connection.get(), m_window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection.get());
    }
}

void XcbWindowSource::nameWindowPixmap()
{
    freeWindowPixmap();
    xcb_connection_t *c = m_connection.get();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    const auto nameCookie = xcb_composite_name_window_pixmap_checked(c, m_window, pixmap);
    const auto geometryCookie = xcb_get_geometry(c, m_window);
    const auto positionCookie = xcb_translate_coordinates(c, m_window, m_connection.root(), 0, 0);
    const bool named = xcbSucceeded(c, nameCookie);
    auto geometry = xcbReply(xcb_get_geometry_reply, c, geometryCookie);
    auto position = xcbReply(xcb_translate_coordinates_reply, c, positionCookie);
    if (!named)
        return; // not viewable (any more): a MapNotify names it later
    m_pixmap = pixmap;
    if (!geometry || !position) {
        freeWindowPixmap();
        return;
    }
    m_size = QSize(geometry->width, geometry->height);
    m_border = geometry->border_width;
    m_hasAlpha = geometry->depth == 32;
    m_origin = QPoint(position->dst_x, position->dst_y);
}

void XcbWindowSource::freeWindowPixmap()
{
    if (!m_pixmap)
        return;
    xcb_free_pixmap(m_connection.get(), m_pixmap);
    m_pixmap = 0;
}

XcbCaptureSource::EventResult XcbWindowSource::handleEvent(const xcb_generic_event_t &event)
{
    if (m_destroyed)
        return EventResult::ended;
    if (isDamageNotify(event, m_damage))
        return EventResult::changed;
    switch (event.response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto &configure = reinterpret_cast<const xcb_configure_notify_event_t &>(event);
        if (configure.window != m_window)
            return EventResult::ignored;
        if (!m_pixmap)
            return EventResult::ignored;
        if (QSize(configure.width, configure.height) != m_size ||
            configure.border_width != m_border) {
            // A resized window gets a new backing pixmap; the old one keeps the old picture.
            nameWindowPixmap();
            return EventResult::changed;
        }
        // Moved only: the picture is the same, the pointer's place in it may not be.
        const auto position = xcbReply(
            xcb_translate_coordinates_reply, m_connection.get(),
            xcb_translate_coordinates(m_connection.get(), m_window, m_connection.root(), 0, 0));
        if (position)
            m_origin = QPoint(position->dst_x, position->dst_y);
        return EventResult::ignored;
    }
    case XCB_MAP_NOTIFY: {
        const auto &map = reinterpret_cast<const xcb_map_notify_event_t &>(event);
        if (map.window != m_window)
            return EventResult::ignored;
        nameWindowPixmap();
        return EventResult::changed;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto &unmap = reinterpret_cast<const xcb_unmap_notify_event_t &>(event);
        if (unmap.window != m_window)
            return EventResult::ignored;
        freeWindowPixmap();
        return EventResult::ignored;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto &destroy = reinterpret_cast<const xcb_destroy_notify_event_t &>(event);
        if (destroy.window != m_window)
            return EventResult::ignored;
        // From here on the id may name another client's window: never use it again.
        m_destroyed = true;
        freeWindowPixmap();
        return EventResult::ended;
    }
    default:
        return EventResult::ignored;
    }
}

XcbCaptureSource::Picture XcbWindowSource::read(XcbPixelBuffer &frame)
{
    if (!m_pixmap || m_destroyed || m_size.isEmpty())
        return {};
    const bool direct = QSize(frame.width(), frame.height()) == m_size;
    XcbPixelBuffer *target = direct ? &frame : staging(m_staging, m_size);
    if (!target)
        return {};
    clearDamage(m_damage);
    // The pixmap includes the border; the picture starts inside it.
    const auto pending = target->requestRead(m_connection, m_pixmap, m_border, m_border);
    if (!target->finishRead(m_connection, pending))
        return {};
    if (direct) {
        if (!m_hasAlpha)
            frame.makeOpaque();
        return {frame.pixmanImage(true), true, !m_hasAlpha};
    }
    return {target->pixmanImage(m_hasAlpha), false, !m_hasAlpha};
}

} // namespace ScreenCapture
