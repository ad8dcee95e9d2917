// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PixelBuffer.h"

#include <memory>

namespace ScreenCapture {

// One sample a stream hands its output: for the screen, a frame with its pixel buffer (or none)
// and the host time it was captured at. Copying it shares the pixel buffer.
struct SampleBuffer
{
    std::shared_ptr<PixelBuffer> imageBuffer;
    double presentationTime = 0.0; // host media clock, seconds
};

} // namespace ScreenCapture
