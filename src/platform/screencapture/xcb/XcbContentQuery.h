// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/screencapture/ShareableContent.h"

namespace ScreenCapture {

class XcbConnection;

// Reads the shareable content of an X screen: its RandR monitors, its client windows and the
// processes that own them. Blocks on round trips: call it off the main thread.
class XcbContentQuery
{
public:
    static ShareableContent read(const XcbConnection &connection,
                                 ShareableContent::Options options);
};

} // namespace ScreenCapture
