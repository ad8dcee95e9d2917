// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ContentFilter.h"
#include "ShareableContent.h"
#include "Stream.h"
#include "StreamConfiguration.h"
#include "platform/foundation/Error.h"

#include <functional>
#include <memory>

namespace ScreenCapture {

// The desktop's screen-capture service: what can be captured, and streams that capture it.
// Callable from the main thread; nothing here blocks it.
class ScreenCaptureService
{
public:
    using ContentCompletion = std::function<void(Expected<ShareableContent>)>;

    virtual ~ScreenCaptureService() = default;

    // Asks for the current shareable content; completion runs on the main thread with the
    // content or an error the user can read.
    virtual void getShareableContent(ShareableContent::Options options,
                                     ContentCompletion completion) = 0;

    // A stream of filter with configuration, not started yet.
    virtual std::shared_ptr<Stream> makeStream(const ContentFilter &filter,
                                               const StreamConfiguration &configuration) = 0;
};

// The service of this desktop (X11). The application calls this once and hands the service on.
std::shared_ptr<ScreenCaptureService> makeScreenCaptureService();

} // namespace ScreenCapture
