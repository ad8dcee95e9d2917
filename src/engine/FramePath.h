// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TransformSnapshot.h"
#include "platform/gpu/GpuTextureCache.h"

#include <QImage>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class GpuTexture;
class MetalShared;

namespace framesharing {
class Server;
}

// Turns a session's source frames into published output frames: wraps a frame as a GPU texture,
// draws it through the session's transform into the output texture, hands the result to the
// output server, and reports to the session through the callbacks below.
//
// Frames of one session arrive one at a time (on its capture queue or its client's thread); the
// main thread sets and clears the server at start and stop while a frame may be in flight. The
// frame keeps its own references to what it uses, so a concurrent stop cannot pull them away.
// Every failure drops the frame silently.
class FramePath
{
public:
    struct Callbacks
    {
        // A copy of the session's transform settings. Any thread.
        std::function<TransformSnapshot()> transformSnapshot;
        // Called on the frame's thread once a frame was published (its time is lastFrameTime());
        // the session turns it into its two health tasks.
        std::function<void()> published;
        // A new preview image (the output's first row at the bottom). Frame's thread.
        std::function<void(QImage preview)> preview;
    };

    static constexpr double previewInterval = 0.1;

    explicit FramePath(Callbacks callbacks);

    // Main thread: the output server frames are published to, or none (frames are then dropped).
    void setServer(std::shared_ptr<framesharing::Server> server);
    // Main thread, at stop: drops the server and the output texture.
    void clear();

    // The frame's thread. source is a picture in CPU memory (a captured pixel buffer or a frame
    // received from another application), first row first.
    void process(const GpuPixelBuffer &source, const MetalShared &metal);

    // When the last frame was published, seconds of the host media clock (0 before the first).
    double lastFrameTime() const { return m_lastFrameTime.load(std::memory_order_relaxed); }

    // For tests: the size the output texture was made with (0 x 0 when there is none), and how
    // many times one was made.
    struct Size
    {
        int width = 0;
        int height = 0;
        friend bool operator==(const Size &, const Size &) = default;
    };
    Size outputTextureSize() const;
    int outputTexturesMade() const { return m_outputTexturesMade.load(); }

private:
    const Callbacks m_callbacks;

    mutable std::mutex m_lock; // guards the three fields below; held only to copy or swap them
    std::shared_ptr<framesharing::Server> m_server;
    std::shared_ptr<GpuTexture> m_outputTexture;
    Size m_outputSize;

    // The frame's thread writes, the main thread reads (a stale read delays one health decision).
    std::atomic<double> m_lastFrameTime{0.0};
    // The frame's thread only (frames of one session never overlap).
    double m_lastPreviewTime = 0.0;
    std::atomic<int> m_outputTexturesMade{0};
};
