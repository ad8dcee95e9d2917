// SPDX-License-Identifier: GPL-3.0-or-later
#include "XTestWindow.h"

#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Free
{
    void operator()(void *p) const { std::free(p); }
};

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, Free> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

uint32_t XTestWindow::patternPixel(int x, int y, int w, int h, uint8_t blue, uint8_t alpha)
{
    const uint32_t r = w > 1 ? uint32_t(x * 255 / (w - 1)) : 0;
    const uint32_t g = h > 1 ? uint32_t(y * 255 / (h - 1)) : 0;
    return (uint32_t(alpha) << 24) | (r << 16) | (g << 8) | blue;
}

namespace {

// A TrueColor visual of depth 32, if the screen has one.
xcb_visualid_t argbVisual(const xcb_screen_t *screen)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
         xcb_depth_next(&depths)) {
        if (depths.data->depth != 32)
            continue;
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR)
                return visuals.data->visual_id;
        }
    }
    return 0;
}

} // namespace

XTestWindow::XTestWindow(const Options &options, const char *displayName)
{
    m_connection = xcb_connect(displayName, nullptr);
    if (!xcb_connection_has_error(m_connection))
        create(options);
}

void XTestWindow::recreateWithSameId(Options options)
{
    const xcb_window_t id = m_window;
    destroy();
    options.reuseId = id;
    create(options);
}

void XTestWindow::create(const Options &options)
{
    m_rect = options.rect;
    m_blue = options.blue;
    xcb_connection_t *c = m_connection;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = options.reuseId ? options.reuseId : xcb_generate_id(c);
    xcb_visualid_t visual = screen->root_visual;
    m_depth = 24;
    m_alpha = 0xff;
    uint32_t mask = XCB_CW_BACK_PIXEL;
    std::vector<uint32_t> values{screen->black_pixel};
    if (options.argb) {
        visual = argbVisual(screen);
        if (!visual)
            return;
        // A window of another depth than its parent needs its own border and colormap.
        m_depth = 32;
        m_alpha = 0x80;
        m_colormap = xcb_generate_id(c);
        xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, m_colormap, screen->root, visual);
        mask |= XCB_CW_BORDER_PIXEL;
        values.push_back(0);
    }
    if (options.overrideRedirect) {
        mask |= XCB_CW_OVERRIDE_REDIRECT;
        values.push_back(1);
    }
    if (options.argb) {
        mask |= XCB_CW_COLORMAP;
        values.push_back(m_colormap);
    }
    std::unique_ptr<xcb_generic_error_t, Free> error(xcb_request_check(
        c, xcb_create_window_checked(c, m_depth, window, screen->root, int16_t(m_rect.x()),
                                     int16_t(m_rect.y()), uint16_t(m_rect.width()),
                                     uint16_t(m_rect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                                     visual, mask, values.data())));
    if (error)
        return;
    m_window = window;
    m_gc = xcb_generate_id(c);
    xcb_create_gc(c, m_gc, m_window, 0, nullptr);

    if (options.title) {
        const QByteArray utf8 = options.title->toUtf8();
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom(c, "_NET_WM_NAME"),
                            atom(c, "UTF8_STRING"), 8, uint32_t(utf8.size()), utf8.constData());
    }
    if (options.legacyTitle) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                            8, uint32_t(options.legacyTitle->size()),
                            options.legacyTitle->constData());
    }
    if (!options.wmClassName.isEmpty()) {
        QByteArray wmClass = options.wmClassInstance;
        wmClass.append('\0').append(options.wmClassName).append('\0');
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                            8, uint32_t(wmClass.size()), wmClass.constData());
    }
    if (options.pid) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom(c, "_NET_WM_PID"),
                            XCB_ATOM_CARDINAL, 32, 1, &*options.pid);
    }
    if (options.hidden) {
        const xcb_atom_t hidden = atom(c, "_NET_WM_STATE_HIDDEN");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom(c, "_NET_WM_STATE"),
                            XCB_ATOM_ATOM, 32, 1, &hidden);
    }
    if (options.desktopType) {
        const xcb_atom_t desktop = atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom(c, "_NET_WM_WINDOW_TYPE"),
                            XCB_ATOM_ATOM, 32, 1, &desktop);
    }
    if (options.map)
        map();
    else
        sync();
}

XTestWindow::~XTestWindow()
{
    if (m_colormap)
        xcb_free_colormap(m_connection, m_colormap);
    xcb_disconnect(m_connection); // destroys the window with the connection
}

void XTestWindow::sync()
{
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void XTestWindow::waitForMapState(bool viewable)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        std::unique_ptr<xcb_get_window_attributes_reply_t, Free> attributes(
            xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, m_window), nullptr));
        if (!attributes || (attributes->map_state == XCB_MAP_STATE_VIEWABLE) == viewable)
            return;
        QThread::msleep(5);
    }
}

void XTestWindow::draw(std::optional<uint8_t> blue)
{
    if (!isValid())
        return;
    if (blue)
        m_blue = *blue;
    const int w = m_rect.width();
    const int h = m_rect.height();
    // Bands of rows small enough for one request each.
    const int rowsPerBand = std::max(1, (60 * 1024) / (w * 4));
    std::vector<uint32_t> band(size_t(w) * size_t(rowsPerBand));
    for (int top = 0; top < h; top += rowsPerBand) {
        const int rows = std::min(rowsPerBand, h - top);
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < w; ++x)
                band[size_t(y) * size_t(w) + size_t(x)] =
                    patternPixel(x, top + y, w, h, m_blue, m_alpha);
        }
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, m_gc, uint16_t(w),
                      uint16_t(rows), 0, int16_t(top), 0, m_depth,
                      uint32_t(size_t(w) * size_t(rows) * 4),
                      reinterpret_cast<const uint8_t *>(band.data()));
    }
    sync();
}

void XTestWindow::touch(int x, int y, uint32_t color)
{
    xcb_change_gc(m_connection, m_gc, XCB_GC_FOREGROUND, &color);
    const xcb_rectangle_t rect{int16_t(x), int16_t(y), 1, 1};
    xcb_poly_fill_rectangle(m_connection, m_window, m_gc, 1, &rect);
    xcb_flush(m_connection);
}

void XTestWindow::move(int x, int y)
{
    const uint32_t values[] = {uint32_t(x), uint32_t(y)};
    xcb_configure_window(m_connection, m_window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    m_rect.moveTo(x, y);
    sync();
}

void XTestWindow::resize(int w, int h)
{
    const uint32_t values[] = {uint32_t(w), uint32_t(h)};
    xcb_configure_window(m_connection, m_window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    m_rect.setSize(QSize(w, h));
    sync();
    draw();
}

void XTestWindow::raise()
{
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    sync();
}

void XTestWindow::map()
{
    xcb_map_window(m_connection, m_window);
    xcb_flush(m_connection);
    waitForMapState(true);
    draw();
}

void XTestWindow::unmap()
{
    xcb_unmap_window(m_connection, m_window);
    xcb_flush(m_connection);
    waitForMapState(false);
}

void XTestWindow::destroy()
{
    if (!isValid())
        return;
    xcb_free_gc(m_connection, m_gc);
    xcb_destroy_window(m_connection, m_window);
    sync();
    m_window = XCB_WINDOW_NONE;
}
