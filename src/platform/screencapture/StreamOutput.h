// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SampleBuffer.h"

namespace ScreenCapture {

enum class StreamOutputType {
    screen,
    audio,
};

// Receives a stream's samples, on the queue it was registered with, one at a time.
class StreamOutput
{
public:
    virtual ~StreamOutput() = default;
    virtual void didOutputSampleBuffer(const SampleBuffer &sampleBuffer, StreamOutputType type) = 0;
};

} // namespace ScreenCapture
