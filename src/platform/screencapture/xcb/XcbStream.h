// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/screencapture/ContentFilter.h"
#include "platform/screencapture/Stream.h"
#include "platform/screencapture/StreamConfiguration.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace ScreenCapture {

class XcbCaptureSource;
class XcbConnection;
class XcbCursorOverlay;
class XcbPixelBufferPool;

// A stream over X11. Capture runs on a thread of the stream's own with a connection of its own:
// it sleeps until the source is damaged (or the pointer moves, when it is shown), then reads one
// frame into a free pooled buffer, no sooner than the minimum frame interval after the previous
// one, and hands it to the output's queue. With every buffer still held by the consumer, the
// frame waits (it is never queued).
class XcbStream final : public Stream
{
public:
    XcbStream(ContentFilter filter, StreamConfiguration configuration);
    ~XcbStream() override;

    Expected<void> addStreamOutput(std::shared_ptr<StreamOutput> output, StreamOutputType type,
                                   std::shared_ptr<SerialQueue> queue) override;
    void startCapture(Completion completion) override;
    void stopCapture(Completion completion) override;

private:
    enum class State { idle, running, stopping, stopped };
    enum class FrameOutcome { delivered, busy, nothing };

    void run(Completion startCompletion);
    void captureLoop(XcbConnection &connection, XcbCaptureSource &source, XcbPixelBufferPool &pool,
                     XcbCursorOverlay *cursor);
    FrameOutcome captureFrame(XcbConnection &connection, XcbCaptureSource &source,
                              XcbPixelBufferPool &pool, const XcbCursorOverlay *cursor,
                              double captureTime);
    // Completes a stop once every frame already handed to the output's queue has been handled.
    void completeStop(Completion completion);
    std::optional<Error> configurationError() const;

    const ContentFilter m_filter;
    const StreamConfiguration m_configuration;

    std::mutex m_mutex;                     // guards the members below up to m_thread
    State m_state = State::idle;            // main thread; capture thread at its end
    std::shared_ptr<StreamOutput> m_output; // set on the main thread, read by capture
    std::shared_ptr<SerialQueue> m_queue;   // as m_output
    Completion m_stopCompletion;            // set on the main thread, taken by capture
    bool m_captureEnded = false;            // set by the capture thread as it ends

    std::atomic<bool> m_stopRequested{false}; // main thread writes, capture thread reads
    const int m_wakeFd;                       // eventfd: the main thread wakes the capture thread
    std::thread m_thread;                     // started and joined on the main thread
};

} // namespace ScreenCapture
