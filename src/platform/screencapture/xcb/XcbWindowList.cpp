// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbWindowList.h"

#include "XcbConnection.h"
#include "XcbReply.h"

#include <algorithm>

namespace ScreenCapture {

namespace {

constexpr uint32_t maxPropertyWords = 1 << 16; // 256 KiB of text or 65536 ids at most

xcb_get_property_cookie_t requestProperty(xcb_connection_t *c, xcb_window_t window,
                                          xcb_atom_t property, xcb_atom_t type)
{
    return xcb_get_property(c, 0, window, property, type, 0, maxPropertyWords);
}

template <typename T> std::vector<T> propertyValues(const xcb_get_property_reply_t *reply)
{
    std::vector<T> values;
    if (!reply || reply->format != sizeof(T) * 8)
        return values;
    const auto *data = static_cast<const T *>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / int(sizeof(T));
    values.assign(data, data + std::max(count, 0));
    return values;
}

std::optional<QString> propertyText(const xcb_get_property_reply_t *reply, xcb_atom_t utf8String)
{
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 8)
        return std::nullopt;
    const auto *data = static_cast<const char *>(xcb_get_property_value(reply));
    const int length = xcb_get_property_value_length(reply);
    if (reply->type == utf8String)
        return QString::fromUtf8(data, length);
    if (reply->type == XCB_ATOM_STRING)
        return QString::fromLatin1(data, length);
    return QString::fromLocal8Bit(data, length); // COMPOUND_TEXT and friends, best effort
}

// The mapped input-output children of the root, bottom first, of one kind.
std::vector<xcb_window_t> topLevelWindows(const XcbConnection &connection, bool overrideRedirect)
{
    xcb_connection_t *c = connection.get();
    std::vector<xcb_window_t> result;
    auto tree = xcbReply(xcb_query_tree_reply, c, xcb_query_tree(c, connection.root()));
    if (!tree)
        return result;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> cookies(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        cookies[size_t(i)] = xcb_get_window_attributes(c, children[i]);
    for (int i = 0; i < count; ++i) {
        auto attributes = xcbReply(xcb_get_window_attributes_reply, c, cookies[size_t(i)]);
        if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED &&
            bool(attributes->override_redirect) == overrideRedirect &&
            attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT)
            result.push_back(children[i]);
    }
    return result;
}

} // namespace

std::vector<xcb_window_t> XcbWindowList::clientWindows(const XcbConnection &connection)
{
    xcb_connection_t *c = connection.get();
    const XcbAtoms &atoms = connection.atoms();
    for (xcb_atom_t list : {atoms.netClientListStacking, atoms.netClientList}) {
        if (list == XCB_ATOM_NONE)
            continue;
        auto reply = xcbReply(xcb_get_property_reply, c,
                              requestProperty(c, connection.root(), list, XCB_ATOM_WINDOW));
        if (reply && reply->type == XCB_ATOM_WINDOW)
            return propertyValues<xcb_window_t>(reply.get());
    }

    // No window manager: the top-level windows are the clients.
    return topLevelWindows(connection, false);
}

std::vector<xcb_window_t> XcbWindowList::overrideRedirectWindows(const XcbConnection &connection)
{
    return topLevelWindows(connection, true);
}

std::vector<XcbWindowInfo> XcbWindowList::describe(const XcbConnection &connection,
                                                   const std::vector<xcb_window_t> &windows,
                                                   bool withNames)
{
    xcb_connection_t *c = connection.get();
    const XcbAtoms &atoms = connection.atoms();
    struct Cookies
    {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t position;
        xcb_get_property_cookie_t pid, state, type, netName, name, wmClass;
    };
    std::vector<Cookies> cookies(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        const xcb_window_t w = windows[i];
        Cookies &k = cookies[i];
        k.attributes = xcb_get_window_attributes(c, w);
        k.geometry = xcb_get_geometry(c, w);
        k.position = xcb_translate_coordinates(c, w, connection.root(), 0, 0);
        k.pid = requestProperty(c, w, atoms.netWmPid, XCB_ATOM_CARDINAL);
        k.state = requestProperty(c, w, atoms.netWmState, XCB_ATOM_ATOM);
        k.type = requestProperty(c, w, atoms.netWmWindowType, XCB_ATOM_ATOM);
        if (withNames) {
            k.netName = requestProperty(c, w, atoms.netWmName, atoms.utf8String);
            k.name = requestProperty(c, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
            k.wmClass = requestProperty(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        }
    }

    std::vector<XcbWindowInfo> result;
    result.reserve(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        // Collect every reply, even of a window already known to be gone: an unread reply would
        // stay queued in the connection.
        Cookies &k = cookies[i];
        auto attributes = xcbReply(xcb_get_window_attributes_reply, c, k.attributes);
        auto geometry = xcbReply(xcb_get_geometry_reply, c, k.geometry);
        auto position = xcbReply(xcb_translate_coordinates_reply, c, k.position);
        auto pid = xcbReply(xcb_get_property_reply, c, k.pid);
        auto state = xcbReply(xcb_get_property_reply, c, k.state);
        auto type = xcbReply(xcb_get_property_reply, c, k.type);
        XcbReply<xcb_get_property_reply_t> netName, name, wmClass;
        if (withNames) {
            netName = xcbReply(xcb_get_property_reply, c, k.netName);
            name = xcbReply(xcb_get_property_reply, c, k.name);
            wmClass = xcbReply(xcb_get_property_reply, c, k.wmClass);
        }
        if (!attributes || !geometry || !position)
            continue;

        XcbWindowInfo info;
        info.id = windows[i];
        info.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        info.rect = QRect(position->dst_x, position->dst_y, geometry->width, geometry->height);
        info.depth = geometry->depth;
        const auto pids = propertyValues<uint32_t>(pid.get());
        if (!pids.empty() && pids.front() > 0 && pids.front() <= uint32_t(INT32_MAX))
            info.pid = int32_t(pids.front());
        const auto states = propertyValues<xcb_atom_t>(state.get());
        info.hidden =
            std::find(states.begin(), states.end(), atoms.netWmStateHidden) != states.end();
        const auto types = propertyValues<xcb_atom_t>(type.get());
        info.desktop =
            std::find(types.begin(), types.end(), atoms.netWmWindowTypeDesktop) != types.end();
        if (withNames) {
            info.title = propertyText(netName.get(), atoms.utf8String);
            if (!info.title)
                info.title = propertyText(name.get(), atoms.utf8String);
            // WM_CLASS holds "instance\0class\0".
            if (wmClass && wmClass->format == 8) {
                const auto *data = static_cast<const char *>(xcb_get_property_value(wmClass.get()));
                const int length = xcb_get_property_value_length(wmClass.get());
                const char *end = data + length;
                const char *instanceEnd = std::find(data, end, '\0');
                if (instanceEnd != end) {
                    const char *classBegin = instanceEnd + 1;
                    info.className = QString::fromLatin1(
                        classBegin, int(std::find(classBegin, end, '\0') - classBegin));
                }
            }
        }
        result.push_back(std::move(info));
    }
    return result;
}

} // namespace ScreenCapture
