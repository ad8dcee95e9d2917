// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Keys of a frame-sharing server description. A description is a QVariantMap holding these
// three entries (text) next to every property of the server's node under its own name
// ("node.name", "media.class", "object.serial", ...).
namespace framesharing::keys {

// Identifies the server for the daemon's life: the node's "object.serial" as decimal text.
inline const QString uuid = QStringLiteral("uuid");
// The server's name: "node.description", else "node.nick", else "node.name".
inline const QString name = QStringLiteral("name");
// The publishing application: "application.name".
inline const QString appName = QStringLiteral("appName");

} // namespace framesharing::keys
