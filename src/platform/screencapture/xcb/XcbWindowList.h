// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>
#include <xcb/xcb.h>

namespace ScreenCapture {

class XcbConnection;

// What capture needs to know of one client window.
struct XcbWindowInfo
{
    xcb_window_t id = XCB_WINDOW_NONE;
    bool viewable = false;
    bool hidden = false;  // _NET_WM_STATE_HIDDEN
    bool desktop = false; // _NET_WM_WINDOW_TYPE_DESKTOP
    QRect rect;           // inside the border, in root coordinates
    uint8_t depth = 0;
    std::optional<int32_t> pid;
    std::optional<QString> title;
    QString className; // the class part of WM_CLASS; empty without one
};

// The client windows of the screen and their properties. Windows that vanish while they are read
// are left out.
class XcbWindowList
{
public:
    // The client windows, bottom of the stack first: _NET_CLIENT_LIST_STACKING (or
    // _NET_CLIENT_LIST) where a window manager keeps one, else the mapped top-level children of
    // the root that are not override-redirect.
    static std::vector<xcb_window_t> clientWindows(const XcbConnection &connection);

    // The mapped override-redirect top-level windows (menus, tooltips, pop-ups), bottom first.
    static std::vector<xcb_window_t> overrideRedirectWindows(const XcbConnection &connection);

    // Reads the given windows in one batch of requests; withNames adds title and class.
    static std::vector<XcbWindowInfo> describe(const XcbConnection &connection,
                                               const std::vector<xcb_window_t> &windows,
                                               bool withNames);
};

} // namespace ScreenCapture
