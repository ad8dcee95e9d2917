// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/foundation/Error.h"

namespace ScreenCapture {

// Errors of the screen-capture service, domain "ScreenCapture".
enum class ErrorCode {
    noDisplayServer = 1,  // no X display to connect to
    connectionLost = 2,   // the display server went away
    missingExtension = 3, // a required X extension is missing
    displayNotFound = 4,  // the display of a filter is no longer connected
    windowNotFound = 5,   // the window of a filter no longer exists or cannot be captured
    unsupported = 6,      // a configuration or output the service cannot honour
    invalidState = 7,     // start or stop at the wrong time
    captureFailed = 8,    // the display server refused a request needed to capture
};

inline Error makeError(ErrorCode code, QString description)
{
    return Error{QStringLiteral("ScreenCapture"), int(code), std::move(description)};
}

} // namespace ScreenCapture
