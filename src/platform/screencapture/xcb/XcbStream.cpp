// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbStream.h"

#include "FrameScaler.h"
#include "XcbCaptureSource.h"
#include "XcbConnection.h"
#include "XcbCursorOverlay.h"
#include "XcbPixelBufferPool.h"
#include "XcbReply.h"
#include "platform/foundation/HostClock.h"
#include "platform/foundation/Logger.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/SerialQueue.h"
#include "platform/screencapture/ScreenCaptureError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace ScreenCapture {

namespace {

const Logger &logger()
{
    static const Logger instance("XcbStream");
    return instance;
}

constexpr int maxQueueDepth = 16;
constexpr int maxFrameSide = 16384;
// How often a frame that found every buffer held tries again, at the least.
constexpr double busyRetryInterval = 0.002;
// How often the pointer is looked at when it is drawn and no frame interval is set.
constexpr double defaultCursorInterval = 1.0 / 60.0;

void postCompletion(const Stream::Completion &completion, std::optional<Error> error)
{
    if (!completion)
        return;
    MainThread::post([completion, error = std::move(error)] { completion(error); });
}

// The frame layout capture assumes: 32 bits per pixel, B G R X in memory.
bool screenIsBgrx(const XcbConnection &connection)
{
    const xcb_setup_t *setup = xcb_get_setup(connection.get());
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    const uint8_t depth = connection.screen().root_depth;
    if (depth != 24 && depth != 32)
        return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth)
            return it.data->bits_per_pixel == 32;
    }
    return false;
}

} // namespace

XcbStream::XcbStream(ContentFilter filter, StreamConfiguration configuration)
    : m_filter(std::move(filter)), m_configuration(configuration),
      m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{}

XcbStream::~XcbStream()
{
    m_stopRequested = true;
    if (m_wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = write(m_wakeFd, &one, sizeof one);
    }
    if (m_thread.joinable())
        m_thread.join();
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

Expected<void> XcbStream::addStreamOutput(std::shared_ptr<StreamOutput> output,
                                          StreamOutputType type, std::shared_ptr<SerialQueue> queue)
{
    if (type != StreamOutputType::screen) {
        return makeError(ErrorCode::unsupported,
                         QStringLiteral("Audio capture is not available on this system."));
    }
    if (!output || !queue) {
        return makeError(ErrorCode::invalidState,
                         QStringLiteral("A stream output needs a receiver and a queue."));
    }
    std::lock_guard guard(m_mutex);
    if (m_output) {
        return makeError(ErrorCode::invalidState,
                         QStringLiteral("The stream already has a screen output."));
    }
    m_output = std::move(output);
    m_queue = std::move(queue);
    return {};
}

std::optional<Error> XcbStream::configurationError() const
{
    const StreamConfiguration &c = m_configuration;
    if (c.capturesAudio) {
        return makeError(ErrorCode::unsupported,
                         QStringLiteral("Audio capture is not available on this system."));
    }
    if (c.pixelFormat != PixelFormat::bgra)
        return makeError(ErrorCode::unsupported, QStringLiteral("Only BGRA frames are available."));
    if (c.queueDepth < 1 || c.queueDepth > maxQueueDepth) {
        return makeError(ErrorCode::unsupported,
                         QStringLiteral("The queue depth must be between 1 and %1, not %2.")
                             .arg(maxQueueDepth)
                             .arg(c.queueDepth));
    }
    if (c.width > maxFrameSide || c.height > maxFrameSide ||
        !std::isfinite(c.minimumFrameInterval)) {
        return makeError(
            ErrorCode::unsupported,
            QStringLiteral("Frames of %1 × %2 pixels are too large.").arg(c.width).arg(c.height));
    }
    return std::nullopt;
}

void XcbStream::startCapture(Completion completion)
{
    std::lock_guard guard(m_mutex);
    if (m_state != State::idle) {
        postCompletion(completion, makeError(ErrorCode::invalidState,
                                             QStringLiteral("The stream was already started.")));
        return;
    }
    if (auto error = configurationError()) {
        postCompletion(completion, std::move(error));
        return;
    }
    if (m_wakeFd < 0) {
        postCompletion(completion, makeError(ErrorCode::captureFailed,
                                             QStringLiteral("Out of system resources.")));
        return;
    }
    m_state = State::running;
    m_thread = std::thread([this, completion = std::move(completion)] { run(completion); });
}

void XcbStream::stopCapture(Completion completion)
{
    std::unique_lock lock(m_mutex);
    if (m_state != State::running) {
        const QString text = m_state == State::idle
                                 ? QStringLiteral("The stream was not started.")
                                 : QStringLiteral("The stream was already stopped.");
        lock.unlock();
        postCompletion(completion, makeError(ErrorCode::invalidState, text));
        return;
    }
    m_state = State::stopping;
    if (m_captureEnded) {
        // The source or the X server went away before: the stream already stands still.
        lock.unlock();
        completeStop(std::move(completion));
        return;
    }
    m_stopCompletion = std::move(completion);
    lock.unlock();
    m_stopRequested = true;
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = write(m_wakeFd, &one, sizeof one);
}

void XcbStream::completeStop(Completion completion)
{
    std::shared_ptr<SerialQueue> queue;
    {
        std::lock_guard guard(m_mutex);
        m_state = State::stopped;
        queue = m_queue;
    }
    if (!queue) {
        postCompletion(completion, std::nullopt);
        return;
    }
    // Behind every frame already queued: once this runs, no frame is left to arrive.
    queue->async(
        [completion = std::move(completion)] { postCompletion(completion, std::nullopt); });
}

void XcbStream::run(Completion startCompletion)
{
    {
        auto connection = XcbConnection::open();
        std::optional<Error> startError;
        std::unique_ptr<XcbCaptureSource> source;
        if (!connection) {
            startError = connection.error();
        } else if (!screenIsBgrx(**connection)) {
            startError = makeError(ErrorCode::unsupported,
                                   QStringLiteral("The X screen's pixel format cannot be captured "
                                                  "as BGRA (it needs 32 bits per pixel)."));
        } else {
            auto made = XcbCaptureSource::make(**connection, m_filter);
            if (made)
                source = std::move(*made);
            else
                startError = made.error();
        }
        if (startError) {
            logger().error(QStringLiteral("Capture could not start: %1")
                               .arg(startError->localizedDescription));
            {
                std::lock_guard guard(m_mutex);
                if (m_state == State::running)
                    m_state = State::stopped;
            }
            postCompletion(startCompletion, std::move(startError));
        } else {
            postCompletion(startCompletion, std::nullopt);
            XcbConnection &c = **connection;
            XcbPixelBufferPool pool(m_configuration.queueDepth);
            std::optional<XcbCursorOverlay> cursor;
            if (m_configuration.showsCursor)
                cursor.emplace();
            captureLoop(c, *source, pool, cursor ? &*cursor : nullptr);
            // Release server-side resources while the connection is still open.
            source.reset();
            pool.clear(c);
            xcb_flush(c.get());
        }
    }

    Completion stopCompletion;
    {
        std::lock_guard guard(m_mutex);
        m_captureEnded = true;
        stopCompletion = std::move(m_stopCompletion);
    }
    if (stopCompletion)
        completeStop(std::move(stopCompletion));
}

void XcbStream::captureLoop(XcbConnection &connection, XcbCaptureSource &source,
                            XcbPixelBufferPool &pool, XcbCursorOverlay *cursor)
{
    xcb_connection_t *c = connection.get();
    const double interval = std::max(0.0, m_configuration.minimumFrameInterval);
    const double cursorInterval = interval > 0 ? interval : defaultCursorInterval;
    double lastFrame = -std::numeric_limits<double>::infinity();
    double retryAt = 0;
    double nextCursorLook = 0;
    bool dirty = true; // the first frame needs no change
    pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {m_wakeFd, POLLIN, 0}};

    while (!m_stopRequested) {
        bool ended = false;
        while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
            if (event->response_type == 0)
                continue; // an error of a request on a window that vanished meanwhile
            switch (source.handleEvent(*event)) {
            case XcbCaptureSource::EventResult::changed:
                dirty = true;
                break;
            case XcbCaptureSource::EventResult::ended:
                ended = true;
                break;
            case XcbCaptureSource::EventResult::ignored:
                break;
            }
        }
        if (ended) {
            logger().info(QStringLiteral("Capture ended: its source went away."));
            return;
        }
        if (connection.hasError()) {
            logger().error(
                QStringLiteral("Capture ended: the connection to the X server was lost."));
            return;
        }

        const double now = hostTime();
        if (cursor && now >= nextCursorLook) {
            nextCursorLook = now + cursorInterval;
            if (cursor->update(connection))
                dirty = true;
            continue; // the round trip may have queued events: look at them first
        }
        if (dirty && now >= lastFrame + interval && now >= retryAt) {
            switch (captureFrame(connection, source, pool, cursor, now)) {
            case FrameOutcome::delivered:
                lastFrame = now;
                dirty = false;
                break;
            case FrameOutcome::busy:
                retryAt = now + std::max(busyRetryInterval, interval / 4);
                break;
            case FrameOutcome::nothing:
                dirty = false;
                break;
            }
            continue; // reading the frame may have queued events: look at them first
        }

        double wait = std::numeric_limits<double>::infinity();
        if (dirty)
            wait = std::max(lastFrame + interval, retryAt) - now;
        if (cursor)
            wait = std::min(wait, nextCursorLook - now);
        // Nanoseconds: whole milliseconds would make a 1/60 s cap come out near 58 frames/s.
        timespec timeout{};
        if (!std::isinf(wait)) {
            const double clamped = std::max(wait, 0.0);
            timeout.tv_sec = time_t(clamped);
            timeout.tv_nsec = long((clamped - double(timeout.tv_sec)) * 1e9);
        }
        xcb_flush(c);
        if (ppoll(fds, 2, std::isinf(wait) ? nullptr : &timeout, nullptr) > 0 &&
            (fds[1].revents & POLLIN)) {
            uint64_t count = 0;
            [[maybe_unused]] const auto readBytes = read(m_wakeFd, &count, sizeof count);
        }
    }
}

XcbStream::FrameOutcome XcbStream::captureFrame(XcbConnection &connection, XcbCaptureSource &source,
                                                XcbPixelBufferPool &pool,
                                                const XcbCursorOverlay *cursor, double captureTime)
{
    const QSize sourceSize = source.size();
    if (sourceSize.isEmpty())
        return FrameOutcome::nothing;
    QSize frameSize = sourceSize;
    if (m_configuration.width > 0 && m_configuration.height > 0)
        frameSize = QSize(m_configuration.width, m_configuration.height);

    std::shared_ptr<XcbPixelBuffer> buffer =
        pool.acquire(connection, frameSize.width(), frameSize.height());
    if (!buffer)
        return FrameOutcome::busy;
    const XcbCaptureSource::Picture picture = source.read(*buffer);
    if (!picture.image)
        return FrameOutcome::nothing;
    if (cursor)
        cursor->draw(picture.image, source.origin());
    if (!picture.inFrame)
        FrameScaler::draw(picture.image, buffer->pixmanImage(true));

    std::shared_ptr<StreamOutput> output;
    std::shared_ptr<SerialQueue> queue;
    {
        std::lock_guard guard(m_mutex);
        output = m_output;
        queue = m_queue;
    }
    if (!output || !queue)
        return FrameOutcome::delivered; // nobody listens: the frame is done with
    SampleBuffer sample{std::move(buffer), captureTime};
    queue->async([output = std::move(output), sample = std::move(sample)] {
        output->didOutputSampleBuffer(sample, StreamOutputType::screen);
    });
    return FrameOutcome::delivered;
}

} // namespace ScreenCapture
