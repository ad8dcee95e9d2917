// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantMap>

struct spa_dict;

namespace framesharing::pipewire {

// Node properties as a QVariantMap of texts. Values that are not valid UTF-8 are decoded with
// replacement characters, so any byte string the daemon passes on is safe to keep and show.
QVariantMap propertiesToMap(const spa_dict *dict);

// A server description (keys::uuid, keys::name, keys::appName and every property) from a node's
// properties. keys::uuid is left out when the node has no "object.serial". A node without
// "application.name" (GStreamer's pipewiresink sets it only on its connection) takes
// clientApplicationName, when there is one.
QVariantMap describeNode(const QVariantMap &properties, const QString &clientApplicationName = {});

// Whether a node with these properties publishes video other applications can take, that is a
// frame-sharing server.
bool isServerNode(const spa_dict *dict);

// A node.name for a server called `name`: its letters, digits, '-', '_' and '.', and a suffix
// that makes it unique in this process.
QString uniqueNodeName(const QString &name);

} // namespace framesharing::pipewire
