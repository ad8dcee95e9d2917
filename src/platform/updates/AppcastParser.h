// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/foundation/Error.h"
#include "platform/updates/AppcastItem.h"

#include <QByteArray>

// Reads an appcast: an RSS 2.0 feed whose items carry their version in the Sparkle namespace,
// as an attribute of the enclosure or as an element of the item.
class AppcastParser
{
public:
    static constexpr int malformedFeed = -1;

    // The newest release of the feed. Fails with domain "Updates", code malformedFeed, when the
    // document is not a well-formed RSS feed or no item names a version.
    static Expected<AppcastItem> newestItem(const QByteArray &document);
};
