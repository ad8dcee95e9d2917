// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameCollector.h"

#include <QTest>
#include <thread>

using namespace ScreenCapture;

void FrameCollector::didOutputSampleBuffer(const SampleBuffer &sampleBuffer, StreamOutputType type)
{
    if (type != StreamOutputType::screen)
        return;
    std::chrono::milliseconds pause;
    {
        std::lock_guard guard(m_mutex);
        m_maxInside = std::max(m_maxInside, ++m_inside);
        ++m_frames;
        if (!sampleBuffer.imageBuffer)
            ++m_withoutImage;
        else
            m_buffers.insert(sampleBuffer.imageBuffer->data());
        m_last = sampleBuffer;
        m_times.push_back(sampleBuffer.presentationTime);
        if (m_keep)
            m_kept.push_back(sampleBuffer);
        pause = m_pause;
    }
    if (pause.count() > 0)
        std::this_thread::sleep_for(pause);
    std::lock_guard guard(m_mutex);
    --m_inside;
}

void FrameCollector::setPausePerFrame(std::chrono::milliseconds pause)
{
    std::lock_guard guard(m_mutex);
    m_pause = pause;
}

void FrameCollector::setKeepFrames(bool keep)
{
    std::lock_guard guard(m_mutex);
    m_keep = keep;
}

void FrameCollector::releaseKeptFrames()
{
    std::deque<SampleBuffer> kept;
    std::lock_guard guard(m_mutex);
    kept.swap(m_kept);
    // The last frame holds a buffer too.
    m_last = SampleBuffer{};
}

int FrameCollector::frameCount() const
{
    std::lock_guard guard(m_mutex);
    return m_frames;
}

int FrameCollector::framesWithoutImage() const
{
    std::lock_guard guard(m_mutex);
    return m_withoutImage;
}

SampleBuffer FrameCollector::lastFrame() const
{
    std::lock_guard guard(m_mutex);
    return m_last;
}

std::vector<double> FrameCollector::presentationTimes() const
{
    std::lock_guard guard(m_mutex);
    return m_times;
}

size_t FrameCollector::distinctBuffers() const
{
    std::lock_guard guard(m_mutex);
    return m_buffers.size();
}

int FrameCollector::maxConcurrentCalls() const
{
    std::lock_guard guard(m_mutex);
    return m_maxInside;
}

void FrameCollector::reset()
{
    std::lock_guard guard(m_mutex);
    m_frames = 0;
    m_withoutImage = 0;
    m_last = SampleBuffer{};
    m_times.clear();
    m_buffers.clear();
    m_kept.clear();
}

bool FrameCollector::waitForFrames(int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return frameCount() >= count; }, timeoutMs);
}
