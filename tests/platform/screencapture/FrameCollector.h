// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/screencapture/StreamOutput.h"

#include <QRect>
#include <chrono>
#include <deque>
#include <mutex>
#include <set>
#include <vector>

// A stream output that records what it receives: how many frames, when, on which thread, and the
// newest frame. It can play a slow consumer (a pause per frame) or a greedy one (keep every
// frame's pixel buffer until told to let go).
class FrameCollector final : public ScreenCapture::StreamOutput
{
public:
    void didOutputSampleBuffer(const ScreenCapture::SampleBuffer &sampleBuffer,
                               ScreenCapture::StreamOutputType type) override;

    void setPausePerFrame(std::chrono::milliseconds pause);
    void setKeepFrames(bool keep);
    void releaseKeptFrames();

    int frameCount() const;
    int framesWithoutImage() const;
    ScreenCapture::SampleBuffer lastFrame() const;
    std::vector<double> presentationTimes() const;
    // Distinct pixel memory seen: a pool that reuses its buffers shows few.
    size_t distinctBuffers() const;
    // Most frames ever inside the callback at once (more than 1 would break one-at-a-time).
    int maxConcurrentCalls() const;
    void reset();

    // Waits, running the main thread's event loop, until count frames have arrived in all.
    bool waitForFrames(int count, int timeoutMs = 5000) const;

private:
    mutable std::mutex m_mutex; // guards everything below; callbacks run on the capture queue
    int m_frames = 0;
    int m_withoutImage = 0;
    int m_inside = 0;
    int m_maxInside = 0;
    ScreenCapture::SampleBuffer m_last;
    std::vector<double> m_times;
    std::set<const uint8_t *> m_buffers;
    std::chrono::milliseconds m_pause{0};
    bool m_keep = false;
    std::deque<ScreenCapture::SampleBuffer> m_kept;
};
