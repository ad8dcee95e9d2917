// SPDX-License-Identifier: GPL-3.0-or-later
#include "StreamOutput.h"

#include "CaptureSession.h"
#include "MetalShared.h"

StreamOutput::StreamOutput(std::weak_ptr<CaptureSession> parent,
                           std::weak_ptr<const MetalShared> metal)
    : m_parent(std::move(parent)), m_metal(std::move(metal))
{}

void StreamOutput::didOutputSampleBuffer(const ScreenCapture::SampleBuffer &sampleBuffer,
                                         ScreenCapture::StreamOutputType type)
{
    if (type != ScreenCapture::StreamOutputType::screen)
        return;
    const auto parent = m_parent.lock();
    const auto metal = m_metal.lock();
    if (!parent || !metal)
        return;
    parent->handle(sampleBuffer, *metal);
}
