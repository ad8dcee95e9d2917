// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>
#include <xcb/xcb.h>

// A top-level window on the test X server, on a connection of its own, filled with a pattern that
// tells every pixel apart (red grows to the right, green downwards, blue is the window's own), so
// that a captured picture can be checked pixel by pixel, upside down and mirrored included.
class XTestWindow
{
public:
    struct Options
    {
        QRect rect{100, 100, 320, 200};
        std::optional<QString> title;          // _NET_WM_NAME (UTF-8)
        std::optional<QByteArray> legacyTitle; // WM_NAME (Latin-1)
        QByteArray wmClassInstance;
        QByteArray wmClassName;      // empty: no WM_CLASS
        std::optional<uint32_t> pid; // _NET_WM_PID
        uint8_t blue = 0x40;
        bool overrideRedirect = false; // a menu or pop-up: no window manager handles it
        bool argb = false;   // a 32-bit visual whose fourth byte is alpha: the pattern's is 0x80
        bool hidden = false; // _NET_WM_STATE_HIDDEN
        bool desktopType = false; // _NET_WM_WINDOW_TYPE_DESKTOP
        bool map = true;
        xcb_window_t reuseId = XCB_WINDOW_NONE; // create with this id (of this client's range)
    };

    // Opens a connection to $DISPLAY (or displayName) and creates, maps and draws the window;
    // check isValid().
    explicit XTestWindow(const Options &options, const char *displayName = nullptr);
    ~XTestWindow();
    XTestWindow(const XTestWindow &) = delete;
    XTestWindow &operator=(const XTestWindow &) = delete;

    bool isValid() const { return m_window != XCB_WINDOW_NONE; }
    xcb_window_t id() const { return m_window; }
    xcb_connection_t *connection() const { return m_connection; }
    QRect rect() const { return m_rect; }
    uint8_t blue() const { return m_blue; }

    // The pattern's pixel at (x, y) of a window of size w × h with the given blue, as BGRA bytes
    // read as a little-endian 32-bit value (0xAARRGGBB).
    static uint32_t patternPixel(int x, int y, int w, int h, uint8_t blue, uint8_t alpha = 0xff);
    uint32_t patternPixel(int x, int y) const
    {
        return patternPixel(x, y, m_rect.width(), m_rect.height(), m_blue, m_alpha);
    }

    // Draws the pattern again (with a new blue, when given).
    void draw(std::optional<uint8_t> blue = std::nullopt);
    // Fills one pixel-sized rectangle; cheap, for making damage.
    void touch(int x, int y, uint32_t color);
    void move(int x, int y);
    void resize(int w, int h); // draws the pattern at the new size
    void raise();
    void map();
    void unmap();
    void destroy();
    // Destroys the window and creates another one with the same id (X ids are reused so).
    void recreateWithSameId(Options options);
    // Waits until the server has handled every request sent so far.
    void sync();

private:
    void create(const Options &options);
    void waitForMapState(bool viewable);

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_gcontext_t m_gc = 0;
    QRect m_rect;
    uint8_t m_blue = 0;
    uint8_t m_alpha = 0xff;
    uint8_t m_depth = 24;
    xcb_colormap_t m_colormap = 0;
};
