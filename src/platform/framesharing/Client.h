// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClientFrame.h"

#include <QVariantMap>
#include <functional>
#include <memory>

namespace framesharing {

// A frame-sharing client: receives the frames of one server, named by its description (from the
// Directory, or a Server's own description).
//
// The new-frame handler runs on the client's own thread, one call at a time, after a new frame
// has arrived; when frames arrive faster than the handler returns, it is called once for the
// newest of them. newestFrame() may be called from any thread.
class Client
{
public:
    using NewFrameHandler = std::function<void(Client &client)>;

    // Always yields a client; one that could not connect (no daemon, no such server, a
    // description without a uuid) reports itself invalid and never calls the handler.
    static std::shared_ptr<Client> create(const QVariantMap &serverDescription,
                                          NewFrameHandler handler);

    // Stops the client.
    virtual ~Client() = default;

    // True while the client is connected to a server that exists.
    virtual bool isValid() const = 0;

    // The most recent frame (first row = bottom of the picture), or null before the first one.
    virtual std::shared_ptr<const ClientFrame> newestFrame() = 0;

    // Ends delivery at once: when stop() returns, no handler call is running (unless stop() is
    // called from the handler itself) and none follows. Idempotent.
    virtual void stop() = 0;
};

} // namespace framesharing
