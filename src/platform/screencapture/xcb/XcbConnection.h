// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/foundation/Error.h"

#include <QRect>
#include <cstdint>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace ScreenCapture {

struct XcbAtoms
{
    xcb_atom_t netClientListStacking = XCB_ATOM_NONE;
    xcb_atom_t netClientList = XCB_ATOM_NONE;
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t utf8String = XCB_ATOM_NONE;
    xcb_atom_t netWmPid = XCB_ATOM_NONE;
    xcb_atom_t netWmState = XCB_ATOM_NONE;
    xcb_atom_t netWmStateHidden = XCB_ATOM_NONE;
    xcb_atom_t netWmWindowType = XCB_ATOM_NONE;
    xcb_atom_t netWmWindowTypeDesktop = XCB_ATOM_NONE;
};

// A monitor of the screen: its identifier (the RandR monitor's name atom) and its rectangle in
// root coordinates.
struct XcbMonitor
{
    uint32_t id = 0;
    QRect rect;
};

// One connection to the X server with the extensions capture uses, initialised. Used by one
// thread at a time.
class XcbConnection
{
public:
    // Connects to $DISPLAY; the error says in plain words why it could not.
    static Expected<std::unique_ptr<XcbConnection>> open();
    ~XcbConnection();
    XcbConnection(const XcbConnection &) = delete;
    XcbConnection &operator=(const XcbConnection &) = delete;

    xcb_connection_t *get() const { return m_connection; }
    const xcb_screen_t &screen() const { return *m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    const XcbAtoms &atoms() const { return m_atoms; }
    // True once the server went away or the connection broke.
    bool hasError() const { return xcb_connection_has_error(m_connection) != 0; }

    // MIT-SHM 1.2 (segments passed as file descriptors).
    bool hasShmFd() const { return m_hasShmFd; }
    bool hasComposite() const { return m_hasComposite; }
    bool hasDamage() const { return m_hasDamage; }
    bool hasXFixes() const { return m_hasXFixes; }
    uint8_t damageEventBase() const { return m_damageEventBase; }
    uint8_t randrEventBase() const { return m_randrEventBase; }
    bool hasRandr() const { return m_randrEventBase != 0; }

    // The monitors, in RandR order; the whole screen as one monitor (identified by the root
    // window) where RandR 1.5 is missing or lists none.
    std::vector<XcbMonitor> monitors() const;

private:
    XcbConnection(xcb_connection_t *connection, xcb_screen_t *screen);
    void initialise();

    xcb_connection_t *m_connection;
    xcb_screen_t *m_screen;
    XcbAtoms m_atoms;
    bool m_hasShmFd = false;
    bool m_hasComposite = false;
    bool m_hasDamage = false;
    bool m_hasXFixes = false;
    bool m_hasRandrMonitors = false;
    uint8_t m_damageEventBase = 0;
    uint8_t m_randrEventBase = 0;
};

} // namespace ScreenCapture
