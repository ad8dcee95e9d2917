// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbApplicationSource.h"

#include "XcbConnection.h"
#include "XcbReply.h"
#include "platform/screencapture/ScreenCaptureError.h"

#include <algorithm>
#include <xcb/composite.h>

namespace ScreenCapture {

namespace {

constexpr uint32_t clientEventMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;

} // namespace

Expected<std::unique_ptr<XcbCaptureSource>>
XcbApplicationSource::make(XcbConnection &connection, uint32_t displayID,
                           const std::vector<RunningApplication> &excluded)
{
    if (!connection.hasComposite()) {
        return makeError(ErrorCode::missingExtension,
                         QStringLiteral("The X server lacks the Composite extension, which "
                                        "application capture needs."));
    }
    // Hear of windows coming, going and restacking: the root's children and the client list.
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection.get(), connection.root(), XCB_CW_EVENT_MASK, &rootMask);
    const Expected<QRect> rect = watchMonitor(connection, displayID);
    if (!rect)
        return rect.error();
    std::set<int32_t> pids;
    for (const RunningApplication &application : excluded)
        pids.insert(application.processID);
    return std::unique_ptr<XcbCaptureSource>(
        new XcbApplicationSource(connection, displayID, *rect, std::move(pids)));
}

XcbApplicationSource::XcbApplicationSource(XcbConnection &connection, uint32_t displayID,
                                           QRect rect, std::set<int32_t> excludedPids)
    : XcbCaptureSource(connection), m_displayID(displayID), m_rect(rect),
      m_excludedPids(std::move(excludedPids))
{}

XcbApplicationSource::~XcbApplicationSource()
{
    for (Tracked &tracked : m_windows)
        release(tracked);
    dropStaging(m_canvas);
    xcb_flush(m_connection.get());
}

bool XcbApplicationSource::isIncluded(const XcbWindowInfo &info) const
{
    // A window that names no process belongs to no excluded application.
    if (info.pid && m_excludedPids.count(*info.pid))
        return false;
    return info.viewable && !info.hidden;
}

void XcbApplicationSource::release(Tracked &tracked)
{
    dropStaging(tracked.staging);
    xcb_connection_t *c = m_connection.get();
    if (tracked.pixmap)
        xcb_free_pixmap(c, tracked.pixmap);
    tracked.pixmap = 0;
    if (tracked.gone)
        return;
    if (tracked.damage)
        xcb_damage_destroy(c, tracked.damage);
    tracked.damage = 0;
    xcb_composite_unredirect_window(c, tracked.info.id, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(c, tracked.info.id, XCB_CW_EVENT_MASK, &none);
}

void XcbApplicationSource::nameWindowPixmap(Tracked &tracked)
{
    xcb_connection_t *c = m_connection.get();
    if (tracked.pixmap)
        xcb_free_pixmap(c, tracked.pixmap);
    tracked.pixmap = 0;
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    const auto nameCookie = xcb_composite_name_window_pixmap_checked(c, tracked.info.id, pixmap);
    const auto geometryCookie = xcb_get_geometry(c, tracked.info.id);
    const bool named = xcbSucceeded(c, nameCookie);
    auto geometry = xcbReply(xcb_get_geometry_reply, c, geometryCookie);
    if (!named)
        return;
    tracked.pixmap = pixmap;
    if (!geometry) {
        xcb_free_pixmap(c, pixmap);
        tracked.pixmap = 0;
        return;
    }
    tracked.border = geometry->border_width;
    tracked.pixmapSize = QSize(geometry->width, geometry->height);
}

void XcbApplicationSource::refreshWindows()
{
    m_windowsStale = false;
    // Client windows, then the menus and pop-ups above them.
    std::vector<xcb_window_t> ids = XcbWindowList::clientWindows(m_connection);
    for (xcb_window_t id : XcbWindowList::overrideRedirectWindows(m_connection)) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    std::vector<XcbWindowInfo> infos = XcbWindowList::describe(m_connection, ids, false);
    std::vector<Tracked> next;
    next.reserve(infos.size());
    xcb_connection_t *c = m_connection.get();
    for (XcbWindowInfo &info : infos) {
        if (!isIncluded(info))
            continue;
        auto known = std::find_if(m_windows.begin(), m_windows.end(), [&](const Tracked &t) {
            return t.info.id == info.id && !t.gone;
        });
        Tracked tracked;
        if (known != m_windows.end()) {
            tracked = std::move(*known);
            m_windows.erase(known);
        } else {
            // Listen to the window before redirecting it, so that its end is heard of.
            xcb_change_window_attributes(c, info.id, XCB_CW_EVENT_MASK, &clientEventMask);
            xcb_composite_redirect_window(c, info.id, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
            tracked.damage = createDamage(info.id);
        }
        tracked.info = std::move(info);
        if (!tracked.pixmap || tracked.pixmapSize != tracked.info.rect.size())
            nameWindowPixmap(tracked);
        next.push_back(std::move(tracked));
    }
    for (Tracked &stale : m_windows)
        release(stale);
    m_windows = std::move(next);
}

XcbCaptureSource::EventResult XcbApplicationSource::handleEvent(const xcb_generic_event_t &event)
{
    for (Tracked &tracked : m_windows) {
        if (isDamageNotify(event, tracked.damage))
            return EventResult::changed;
    }
    const uint8_t type = event.response_type & 0x7f;
    switch (type) {
    case XCB_DESTROY_NOTIFY: {
        const auto &destroy = reinterpret_cast<const xcb_destroy_notify_event_t &>(event);
        for (Tracked &tracked : m_windows) {
            if (tracked.info.id == destroy.window) {
                tracked.gone = true;
                tracked.damage = 0;
            }
        }
        m_windowsStale = true;
        return EventResult::changed;
    }
    case XCB_CREATE_NOTIFY:
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_CONFIGURE_NOTIFY:
    case XCB_REPARENT_NOTIFY:
    case XCB_CIRCULATE_NOTIFY:
        m_windowsStale = true;
        return EventResult::changed;
    case XCB_PROPERTY_NOTIFY: {
        const auto &property = reinterpret_cast<const xcb_property_notify_event_t &>(event);
        const XcbAtoms &atoms = m_connection.atoms();
        if (property.atom == atoms.netClientListStacking || property.atom == atoms.netClientList ||
            property.atom == atoms.netWmState || property.atom == atoms.netWmPid) {
            m_windowsStale = true;
            return EventResult::changed;
        }
        return EventResult::ignored;
    }
    default:
        break;
    }
    if (const auto result = followMonitor(event, m_displayID, m_rect))
        return *result;
    return EventResult::ignored;
}

XcbCaptureSource::Picture XcbApplicationSource::read(XcbPixelBuffer &frame)
{
    if (m_windowsStale)
        refreshWindows();
    const bool direct = QSize(frame.width(), frame.height()) == m_rect.size();
    XcbPixelBuffer *canvas = direct ? &frame : staging(m_canvas, m_rect.size());
    if (!canvas)
        return {};

    // Ask for every visible part first, then wait: one round trip for all windows.
    std::vector<Part> &parts = m_parts;
    parts.clear();
    for (Tracked &tracked : m_windows) {
        if (!tracked.gone)
            clearDamage(tracked.damage);
    }
    for (Tracked &tracked : m_windows) {
        if (!tracked.pixmap || tracked.gone)
            continue;
        const QRect windowRect(tracked.info.rect.topLeft(), tracked.pixmapSize);
        const QRect visible = windowRect & m_rect;
        if (visible.isEmpty())
            continue;
        XcbPixelBuffer *image = staging(tracked.staging, visible.size());
        if (!image)
            continue;
        const QPoint inside = visible.topLeft() - windowRect.topLeft();
        parts.push_back(
            {&tracked, visible,
             image->requestRead(m_connection, tracked.pixmap, inside.x() + tracked.border,
                                inside.y() + tracked.border)});
    }

    static const pixman_color_t black{0, 0, 0, 0xffff};
    const pixman_box32_t whole{0, 0, canvas->width(), canvas->height()};
    pixman_image_t *target = canvas->pixmanImage(true);
    pixman_image_fill_boxes(PIXMAN_OP_SRC, target, &black, 1, &whole);
    for (Part &part : parts) {
        XcbPixelBuffer &image = *part.tracked->staging;
        if (!image.finishRead(m_connection, part.pending))
            continue; // went away meanwhile: its events follow
        const bool hasAlpha = part.tracked->info.depth == 32;
        const QPoint at = part.visible.topLeft() - m_rect.topLeft();
        pixman_image_composite32(hasAlpha ? PIXMAN_OP_OVER : PIXMAN_OP_SRC,
                                 image.pixmanImage(hasAlpha), nullptr, target, 0, 0, 0, 0, at.x(),
                                 at.y(), image.width(), image.height());
    }
    return {target, direct, true};
}

} // namespace ScreenCapture
