// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/framesharing/ClientFrame.h"
#include "platform/framesharing/DescriptionKeys.h"
#include "platform/framesharing/Server.h"

#include <QByteArray>
#include <QString>
#include <memory>

// A server's uuid, empty until its node exists.
inline QString uuidOf(const framesharing::Server &server)
{
    return server.description().value(framesharing::keys::uuid).toString();
}

// A received frame's pixels (empty without a frame), to compare with a TestPicture's.
inline QByteArray frameBytes(const std::shared_ptr<const framesharing::ClientFrame> &frame)
{
    if (!frame)
        return {};
    return QByteArray(reinterpret_cast<const char *>(frame->pixels.data()),
                      qsizetype(frame->pixels.size()));
}
