// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GpuCommandQueue.h"
#include "GpuLibrary.h"
#include "GpuRenderPipelineState.h"
#include "GpuSamplerState.h"
#include "GpuTexture.h"
#include "GpuTextureCache.h"
#include "platform/foundation/Error.h"

#include <QString>
#include <memory>

// A GPU device: makes queues, textures, compiled libraries, pipelines, samplers and texture
// caches. Every method is callable from any thread; what it makes may be shared between threads.
class GpuDevice
{
public:
    // The system default device: the first one that works, or null when there is none.
    static std::shared_ptr<GpuDevice> createSystemDefault();

    virtual ~GpuDevice() = default;

    // What the device calls itself (the renderer's name).
    virtual QString name() const = 0;
    // The largest width and height of a texture.
    virtual int maxTextureSize() const = 0;

    virtual std::shared_ptr<GpuCommandQueue> makeCommandQueue() = 0;
    // Content undefined until written. Null for a size below 1 x 1 or above maxTextureSize().
    virtual std::shared_ptr<GpuTexture> makeTexture(const GpuTextureDescriptor &descriptor) = 0;
    // Compiles source (see GpuLibrary for the language); a compile error fails with the
    // compiler's log.
    virtual Expected<std::shared_ptr<GpuLibrary>> makeLibrary(const QString &source) = 0;
    virtual Expected<std::shared_ptr<GpuRenderPipelineState>>
    makeRenderPipelineState(const GpuRenderPipelineDescriptor &descriptor) = 0;
    virtual std::shared_ptr<GpuSamplerState>
    makeSamplerState(const GpuSamplerDescriptor &descriptor) = 0;
    virtual std::shared_ptr<GpuTextureCache> makeTextureCache() = 0;
};
