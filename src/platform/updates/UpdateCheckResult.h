// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/foundation/Error.h"
#include "platform/updates/AppcastItem.h"

#include <QMetaType>

// How one check for updates ended.
struct UpdateCheckResult
{
    enum class Outcome { upToDate, updateAvailable, failed, cancelled };

    Outcome outcome = Outcome::cancelled;
    // The newest release the feed names (up to date and update available).
    AppcastItem newest;
    // Why the check failed (failed only).
    Error error;
};

Q_DECLARE_METATYPE(UpdateCheckResult)
