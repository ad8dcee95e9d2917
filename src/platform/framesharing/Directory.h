// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DescriptionKeys.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <memory>

namespace framesharing {

// The frame-sharing server directory: every server currently published on the machine, ours
// included. Changes are posted on NotificationCenter::defaultCenter() from the directory's own
// thread, with the directory as object and the server's description as userInfo.
class Directory
{
public:
    static inline const QString announceNotification =
        QStringLiteral("FrameSharingServerAnnounceNotification");
    static inline const QString updateNotification =
        QStringLiteral("FrameSharingServerUpdateNotification");
    static inline const QString retireNotification =
        QStringLiteral("FrameSharingServerRetireNotification");

    // Starts listening. Without a daemon the directory is empty and keeps trying to connect; when
    // the daemon goes away it empties (retiring every server) and lists again when it is back.
    static std::unique_ptr<Directory> create();

    // Stops listening; no notification of this directory is posted after it returns.
    virtual ~Directory() = default;

    // The descriptions (see DescriptionKeys.h) of the servers, in the order they appeared (a
    // server appears, and is announced, once its full properties are known). The
    // first call waits (briefly, bounded) until the daemon has listed every existing server.
    // Callable from any thread.
    virtual QList<QVariantMap> servers() = 0;

    // True while connected to the daemon.
    virtual bool isConnected() const = 0;
};

} // namespace framesharing
