// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <memory>
#include <type_traits>
#include <xcb/xcb.h>

namespace ScreenCapture {

struct XcbFree
{
    void operator()(void *pointer) const { std::free(pointer); }
};

// An xcb reply or event, freed with free().
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

// Waits for the reply of cookie with its reply function; null when the request failed (the
// window vanished, for example). The error, if any, is freed.
template <typename ReplyFunction, typename Cookie>
auto xcbReply(ReplyFunction replyFunction, xcb_connection_t *connection, Cookie cookie)
{
    xcb_generic_error_t *error = nullptr;
    using Reply = std::remove_pointer_t<decltype(replyFunction(connection, cookie, &error))>;
    XcbReply<Reply> reply(replyFunction(connection, cookie, &error));
    std::free(error);
    return reply;
}

// Waits for the outcome of a checked request that has no reply; true when it succeeded.
inline bool xcbSucceeded(xcb_connection_t *connection, xcb_void_cookie_t cookie)
{
    XcbReply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
    return !error;
}

} // namespace ScreenCapture
