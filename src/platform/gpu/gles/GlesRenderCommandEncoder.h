// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuRenderCommandEncoder.h"

#include <memory>

class GlesCommandBuffer;

// Records one render pass into its GlesCommandBuffer. Calls with an index out of range or an
// object of another backend are ignored; calls after endEncoding() too.
class GlesRenderCommandEncoder final : public GpuRenderCommandEncoder
{
public:
    explicit GlesRenderCommandEncoder(std::shared_ptr<GlesCommandBuffer> commandBuffer);
    // Ends the encoding if endEncoding() was not called.
    ~GlesRenderCommandEncoder() override;

    void setRenderPipelineState(std::shared_ptr<GpuRenderPipelineState> state) override;
    void setFragmentTexture(std::shared_ptr<GpuTexture> texture, int index) override;
    void setFragmentSamplerState(std::shared_ptr<GpuSamplerState> sampler, int index) override;
    void setFragmentBytes(const void *bytes, std::size_t length, int index) override;
    void drawPrimitives(GpuPrimitiveType type, int vertexStart, int vertexCount) override;
    void endEncoding() override;

private:
    std::shared_ptr<GlesCommandBuffer> m_commandBuffer; // null once ended
};
