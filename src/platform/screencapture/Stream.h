// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StreamOutput.h"
#include "platform/foundation/Error.h"

#include <functional>
#include <memory>
#include <optional>

class SerialQueue;

namespace ScreenCapture {

// A capture of one content filter with one configuration. Made by ScreenCaptureService.
//
// Frames go to the screen output on its queue, one at a time, at most one per minimum frame
// interval, and only when the source changed. Every completion runs on the main thread. A stream
// ends by itself when its source goes away (a destroyed window, a lost display connection):
// frames stop, and stopCapture() still completes.
class Stream
{
public:
    using Completion = std::function<void(std::optional<Error>)>;

    virtual ~Stream() = default;

    // Registers the output that receives the frames, on queue. Fails for an audio output (no
    // audio is captured), for a missing output or queue, and when a screen output is already
    // registered.
    virtual Expected<void> addStreamOutput(std::shared_ptr<StreamOutput> output,
                                           StreamOutputType type,
                                           std::shared_ptr<SerialQueue> queue) = 0;

    // Starts capturing; completion gets nothing on success, or why the start failed. The first
    // frame follows the start without waiting for a change.
    virtual void startCapture(Completion completion) = 0;

    // Stops capturing. The completion runs after the last frame delivered to the output has been
    // handled; no frame follows it.
    virtual void stopCapture(Completion completion) = 0;
};

} // namespace ScreenCapture
