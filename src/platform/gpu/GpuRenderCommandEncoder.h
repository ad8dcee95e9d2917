// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GpuRenderPipelineState.h"
#include "GpuSamplerState.h"
#include "GpuTexture.h"

#include <cstddef>
#include <memory>

enum class GpuPrimitiveType {
    triangle,
    triangleStrip,
};

// Records the draws of one render pass into its command buffer. Used by one thread at a time,
// between GpuCommandBuffer::makeRenderCommandEncoder() and endEncoding(). The encoder holds
// references to everything set on it until its command buffer has completed.
class GpuRenderCommandEncoder
{
public:
    static constexpr int maxFragmentTextures = 4;
    static constexpr int maxFragmentBuffers = 4;
    static constexpr std::size_t maxFragmentBytesLength = 64;

    virtual ~GpuRenderCommandEncoder() = default;

    virtual void setRenderPipelineState(std::shared_ptr<GpuRenderPipelineState> state) = 0;
    // index below maxFragmentTextures; the sampler at index i filters the texture at index i.
    virtual void setFragmentTexture(std::shared_ptr<GpuTexture> texture, int index) = 0;
    virtual void setFragmentSamplerState(std::shared_ptr<GpuSamplerState> sampler, int index) = 0;
    // Copies length bytes (at most maxFragmentBytesLength) of constants for the fragment buffer
    // index, below maxFragmentBuffers.
    virtual void setFragmentBytes(const void *bytes, std::size_t length, int index) = 0;
    virtual void drawPrimitives(GpuPrimitiveType type, int vertexStart, int vertexCount) = 0;
    virtual void endEncoding() = 0;
};
