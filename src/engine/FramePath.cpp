// SPDX-License-Identifier: GPL-3.0-or-later
#include "FramePath.h"

#include "MetalShared.h"
#include "OutputTransform.h"
#include "platform/foundation/HostClock.h"
#include "platform/framesharing/Server.h"
#include "platform/gpu/GpuCommandBuffer.h"
#include "platform/gpu/GpuCommandQueue.h"

FramePath::FramePath(Callbacks callbacks) : m_callbacks(std::move(callbacks)) {}

void FramePath::setServer(std::shared_ptr<framesharing::Server> server)
{
    std::lock_guard guard(m_lock);
    m_server = std::move(server);
}

void FramePath::clear()
{
    std::shared_ptr<framesharing::Server> server;
    std::shared_ptr<GpuTexture> texture;
    {
        std::lock_guard guard(m_lock);
        server = std::move(m_server);
        texture = std::move(m_outputTexture);
        m_outputSize = {};
    }
    // Released here, outside the lock: withdrawing the server talks to the daemon.
}

FramePath::Size FramePath::outputTextureSize() const
{
    std::lock_guard guard(m_lock);
    return m_outputSize;
}

void FramePath::process(const GpuPixelBuffer &source, const MetalShared &metal)
{
    std::shared_ptr<framesharing::Server> server;
    std::shared_ptr<GpuTexture> output;
    Size outputSize;
    {
        std::lock_guard guard(m_lock);
        server = m_server;
        output = m_outputTexture;
        outputSize = m_outputSize;
    }
    if (!server)
        return;

    const auto gpu = metal.getMetal();
    if (!gpu)
        return;
    const auto sourceTexture = gpu->textureCache->textureFromPixelBuffer(source);
    if (!sourceTexture)
        return;

    const TransformSnapshot snap = m_callbacks.transformSnapshot();
    const auto geometry =
        OutputTransform::uvRows({snap.rotation180, snap.flipHorizontal, snap.cropTopPx,
                                 snap.cropLeftPx, snap.cropRightPx, snap.cropBottomPx},
                                source.width, source.height);
    // The output is never larger than its source (or 8 x 8), so it fits an int.
    const Size size{int(geometry.outW), int(geometry.outH)};

    if (!output || outputSize != size) {
        output = gpu->device->makeTexture({size.width, size.height, GpuPixelFormat::bgra8Unorm});
        if (!output)
            return;
        ++m_outputTexturesMade;
        std::lock_guard guard(m_lock);
        // A stop that came meanwhile has cleared the server: keep nothing for it.
        if (m_server == server) {
            m_outputTexture = output;
            m_outputSize = size;
        }
    }

    const auto commandBuffer = gpu->commandQueue->makeCommandBuffer();
    if (!commandBuffer)
        return;

    const auto pipeline = metal.transformPipeline();
    if (pipeline.pipelineState && pipeline.samplerState) {
        if (auto encoder = commandBuffer->makeRenderCommandEncoder(
                {output, GpuLoadAction::dontCare, GpuStoreAction::store})) {
            encoder->setRenderPipelineState(pipeline.pipelineState);
            encoder->setFragmentTexture(*sourceTexture, 0);
            encoder->setFragmentSamplerState(pipeline.samplerState, 0);
            encoder->setFragmentBytes(geometry.row0.data(), sizeof geometry.row0, 0);
            encoder->setFragmentBytes(geometry.row1.data(), sizeof geometry.row1, 1);
            encoder->drawPrimitives(GpuPrimitiveType::triangleStrip, 0, 4);
            encoder->endEncoding();
        }
    }

    // The preview reads this frame's output back in the same command buffer.
    const double frameTime = hostTime();
    QImage preview;
    const bool makesPreview = frameTime - m_lastPreviewTime >= previewInterval;
    if (makesPreview) {
        m_lastPreviewTime = frameTime;
        // A new image each time: the one handed out before is the session's to keep.
        commandBuffer->encodeReadBack(output, preview);
    }
    commandBuffer->commit();
    commandBuffer->waitUntilCompleted();
    if (commandBuffer->status() != GpuCommandBufferStatus::completed)
        return;

    // Publish: the GPU reads the output straight into a free buffer of the server. A buffer out
    // holds the server's loop, so it is taken only now that the draw is done, for the read-back
    // alone. The buffer's first row is the top of the picture, the texture's first row its
    // bottom: last row first. Without a free buffer (no consumer, a new size being agreed) the
    // frame is not sent.
    if (framesharing::ServerFrame frame = server->beginFrame(size.width, size.height)) {
        const auto readBack = gpu->commandQueue->makeCommandBuffer();
        if (readBack && readBack->encodeReadBack(output, frame.bufferTop(), frame.stride(),
                                                 GpuRowOrder::lastRowFirst)) {
            readBack->commit();
            readBack->waitUntilCompleted();
        }
        if (readBack && readBack->status() == GpuCommandBufferStatus::completed)
            server->submitFrame(std::move(frame));
        else
            server->cancelFrame(std::move(frame));
    }

    m_lastFrameTime.store(frameTime, std::memory_order_relaxed);
    m_callbacks.published();
    if (makesPreview && !preview.isNull())
        m_callbacks.preview(std::move(preview));
}
