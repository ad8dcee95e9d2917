// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

// One release announced by an appcast feed.
struct AppcastItem
{
    // The machine version ("sparkle:version"), compared with the running build.
    QString version;
    // The version people read ("sparkle:shortVersionString"), or the machine version.
    QString displayVersion;
    QString title;
    // The release notes as plain text (the item's description with its markup removed).
    QString releaseNotes;
    // Where the user downloads the release: the item's link, else its enclosure's address.
    QUrl downloadPage;
};
