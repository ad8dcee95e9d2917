// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbConnection.h"

#include "XcbReply.h"
#include "platform/screencapture/ScreenCaptureError.h"

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xfixes.h>

namespace ScreenCapture {

Expected<std::unique_ptr<XcbConnection>> XcbConnection::open()
{
    const char *displayName = std::getenv("DISPLAY");
    if (!displayName || !*displayName) {
        return makeError(ErrorCode::noDisplayServer,
                         QStringLiteral("No X display is available: the DISPLAY environment "
                                        "variable is not set."));
    }
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return makeError(ErrorCode::noDisplayServer,
                         QStringLiteral("Cannot connect to the X display \"%1\": no X server "
                                        "answers there.")
                             .arg(QString::fromLocal8Bit(displayName)));
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(connection);
        return makeError(ErrorCode::noDisplayServer,
                         QStringLiteral("The X display \"%1\" has no screen %2.")
                             .arg(QString::fromLocal8Bit(displayName))
                             .arg(screenNumber));
    }
    std::unique_ptr<XcbConnection> result(new XcbConnection(connection, it.data));
    result->initialise();
    if (result->hasError()) {
        return makeError(ErrorCode::connectionLost,
                         QStringLiteral("The connection to the X server was lost."));
    }
    return result;
}

XcbConnection::XcbConnection(xcb_connection_t *connection, xcb_screen_t *screen)
    : m_connection(connection), m_screen(screen)
{}

XcbConnection::~XcbConnection()
{
    // Closing the connection also releases what the server holds for it: redirections, damage
    // objects, named pixmaps and shared-memory attachments.
    xcb_disconnect(m_connection);
}

void XcbConnection::initialise()
{
    xcb_connection_t *c = m_connection;
    xcb_prefetch_extension_data(c, &xcb_shm_id);
    xcb_prefetch_extension_data(c, &xcb_composite_id);
    xcb_prefetch_extension_data(c, &xcb_damage_id);
    xcb_prefetch_extension_data(c, &xcb_xfixes_id);
    xcb_prefetch_extension_data(c, &xcb_randr_id);

    static const char *const atomNames[] = {
        "_NET_CLIENT_LIST_STACKING",
        "_NET_CLIENT_LIST",
        "_NET_WM_NAME",
        "UTF8_STRING",
        "_NET_WM_PID",
        "_NET_WM_STATE",
        "_NET_WM_STATE_HIDDEN",
        "_NET_WM_WINDOW_TYPE",
        "_NET_WM_WINDOW_TYPE_DESKTOP",
    };
    xcb_atom_t *const atomSlots[] = {
        &m_atoms.netClientListStacking,
        &m_atoms.netClientList,
        &m_atoms.netWmName,
        &m_atoms.utf8String,
        &m_atoms.netWmPid,
        &m_atoms.netWmState,
        &m_atoms.netWmStateHidden,
        &m_atoms.netWmWindowType,
        &m_atoms.netWmWindowTypeDesktop,
    };
    constexpr size_t atomCount = std::size(atomNames);
    xcb_intern_atom_cookie_t atomCookies[atomCount];
    for (size_t i = 0; i < atomCount; ++i)
        atomCookies[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(atomNames[i])), atomNames[i]);

    // The version handshakes are required before an extension may be used.
    const auto *shmData = xcb_get_extension_data(c, &xcb_shm_id);
    const auto *compositeData = xcb_get_extension_data(c, &xcb_composite_id);
    const auto *damageData = xcb_get_extension_data(c, &xcb_damage_id);
    const auto *xfixesData = xcb_get_extension_data(c, &xcb_xfixes_id);
    const auto *randrData = xcb_get_extension_data(c, &xcb_randr_id);
    const bool shmPresent = shmData && shmData->present;
    const bool compositePresent = compositeData && compositeData->present;
    const bool damagePresent = damageData && damageData->present;
    const bool xfixesPresent = xfixesData && xfixesData->present;
    const bool randrPresent = randrData && randrData->present;

    xcb_shm_query_version_cookie_t shmCookie{};
    xcb_composite_query_version_cookie_t compositeCookie{};
    xcb_damage_query_version_cookie_t damageCookie{};
    xcb_xfixes_query_version_cookie_t xfixesCookie{};
    xcb_randr_query_version_cookie_t randrCookie{};
    if (shmPresent)
        shmCookie = xcb_shm_query_version(c);
    if (compositePresent)
        compositeCookie = xcb_composite_query_version(c, 0, 4);
    // XFixes before Damage: Damage 1.1 relies on XFixes regions.
    if (xfixesPresent)
        xfixesCookie = xcb_xfixes_query_version(c, 5, 0);
    if (damagePresent)
        damageCookie = xcb_damage_query_version(c, 1, 1);
    if (randrPresent)
        randrCookie = xcb_randr_query_version(c, 1, 5);

    for (size_t i = 0; i < atomCount; ++i) {
        if (auto reply = xcbReply(xcb_intern_atom_reply, c, atomCookies[i]))
            *atomSlots[i] = reply->atom;
    }
    if (shmPresent) {
        if (auto reply = xcbReply(xcb_shm_query_version_reply, c, shmCookie)) {
            // Descriptors travel only over a local socket; trying over TCP would break the
            // connection.
            sockaddr_storage address{};
            socklen_t length = sizeof address;
            const bool local = getsockname(xcb_get_file_descriptor(c),
                                           reinterpret_cast<sockaddr *>(&address), &length) == 0 &&
                               address.ss_family == AF_UNIX;
            m_hasShmFd = local && (reply->major_version > 1 ||
                                   (reply->major_version == 1 && reply->minor_version >= 2));
        }
    }
    if (compositePresent) {
        if (auto reply = xcbReply(xcb_composite_query_version_reply, c, compositeCookie))
            m_hasComposite = reply->major_version > 0 || reply->minor_version >= 2;
    }
    if (xfixesPresent)
        m_hasXFixes = bool(xcbReply(xcb_xfixes_query_version_reply, c, xfixesCookie));
    if (damagePresent && xcbReply(xcb_damage_query_version_reply, c, damageCookie)) {
        m_hasDamage = true;
        m_damageEventBase = damageData->first_event;
    }
    if (randrPresent) {
        if (auto reply = xcbReply(xcb_randr_query_version_reply, c, randrCookie)) {
            m_randrEventBase = randrData->first_event;
            m_hasRandrMonitors = reply->major_version > 1 ||
                                 (reply->major_version == 1 && reply->minor_version >= 5);
        }
    }
}

std::vector<XcbMonitor> XcbConnection::monitors() const
{
    std::vector<XcbMonitor> result;
    if (m_hasRandrMonitors) {
        auto reply = xcbReply(xcb_randr_get_monitors_reply, m_connection,
                              xcb_randr_get_monitors(m_connection, root(), 1));
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                const xcb_randr_monitor_info_t *info = it.data;
                result.push_back({info->name, QRect(info->x, info->y, info->width, info->height)});
            }
        }
    }
    if (result.empty())
        result.push_back(
            {root(), QRect(0, 0, m_screen->width_in_pixels, m_screen->height_in_pixels)});
    return result;
}

} // namespace ScreenCapture
