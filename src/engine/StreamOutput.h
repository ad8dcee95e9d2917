// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/screencapture/StreamOutput.h"

#include <memory>

class CaptureSession;
class MetalShared;

// The screen output of a session's capture stream: hands each captured frame to the session's
// frame path, on the stream's capture queue. It refers to the session and to the GPU context
// weakly, so a running stream never keeps either alive; frames arriving after either is gone are
// dropped.
class StreamOutput : public ScreenCapture::StreamOutput
{
public:
    StreamOutput(std::weak_ptr<CaptureSession> parent, std::weak_ptr<const MetalShared> metal);

    void didOutputSampleBuffer(const ScreenCapture::SampleBuffer &sampleBuffer,
                               ScreenCapture::StreamOutputType type) override;

private:
    const std::weak_ptr<CaptureSession> m_parent;
    const std::weak_ptr<const MetalShared> m_metal;
};
