// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

// Orders version strings the way people read them: runs of digits compare as numbers
// (1.10 > 1.9, 1.02 == 1.2), runs of letters as text, and a version that goes on with a letter
// part is a pre-release of the shorter one (1.0b1 < 1.0 < 1.0.1).
class VersionComparator
{
public:
    // Negative when a is older than b, 0 when they are the same version, positive when newer.
    static int compare(QStringView a, QStringView b);
};
