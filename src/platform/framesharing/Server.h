// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FrameView.h"
#include "ServerFrame.h"

#include <QString>
#include <QVariantMap>
#include <memory>

namespace framesharing {

// A frame-sharing server: one published video source other applications can receive, under a
// name. Frames are 8-bit BGRA of any size; a new size is renegotiated with the consumers.
// Releasing the last reference withdraws the server at once.
//
// Publishing never blocks and never queues up: without a consumer, while a new size is being
// negotiated, or when every buffer is still in use, beginFrame() hands out nothing and the frame
// is dropped. beginFrame(), submitFrame(), cancelFrame() and publish() may be called from any one
// thread at a time (the frame path); description() from any thread.
class Server
{
public:
    // A server named `name`, or null when no frame-sharing daemon answers.
    static std::shared_ptr<Server> create(const QString &name);

    virtual ~Server() = default;

    virtual QString name() const = 0;

    // keys::uuid, keys::name, keys::appName and the properties of the server's node. The uuid
    // appears once the daemon has made the node; it changes if the node is made anew (after the
    // daemon restarted).
    virtual QVariantMap description() const = 0;

    // True while at least one consumer is receiving.
    virtual bool isStreaming() const = 0;

    // A free buffer for a frame of width × height, or an empty frame (see above). Asking for a
    // size other than the current one starts the renegotiation.
    virtual ServerFrame beginFrame(int width, int height) = 0;
    // Sends the frame to the consumers. False when it was dropped.
    virtual bool submitFrame(ServerFrame frame) = 0;
    // Gives the buffer back unsent.
    virtual void cancelFrame(ServerFrame frame) = 0;

    // Copies `texture` (a frame-sharing texture: first row = bottom of the picture) into a buffer
    // and sends it. False when the frame was dropped.
    bool publish(const FrameView &texture);
};

} // namespace framesharing
