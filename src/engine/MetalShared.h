// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Logger.h"
#include "platform/gpu/GpuDevice.h"

#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// The GPU objects that all sessions of a manager share: the device, one command queue, one texture
// cache, and the transform pipeline with its sampler. Made ready lazily by ensureReady(); once
// filled, a field is never emptied or replaced (except pipeline and sampler, rebuilt together while
// either is missing).
//
// Threads: ensureReady() runs on the main thread; getMetal() and transformPipeline() run there and
// on every session's frame thread. Every field is read and written under m_lock only; the objects
// handed out are used without it.
class MetalShared
{
public:
    using DeviceProvider = std::function<std::shared_ptr<GpuDevice>()>;

    struct Metal
    {
        std::shared_ptr<GpuDevice> device;
        std::shared_ptr<GpuCommandQueue> commandQueue;
        std::shared_ptr<GpuTextureCache> textureCache;
    };

    struct TransformPipeline
    {
        std::shared_ptr<GpuRenderPipelineState> pipelineState;
        std::shared_ptr<GpuSamplerState> samplerState;
    };

    // deviceProvider gives the system default device, or null when there is none. shaderSource is
    // the transform shader's text; only tests give another.
    explicit MetalShared(DeviceProvider deviceProvider = &GpuDevice::createSystemDefault,
                         QString shaderSource = transformShaderSource());
    MetalShared(const MetalShared &) = delete;
    MetalShared &operator=(const MetalShared &) = delete;

    // Fills every missing field, in order: device, command queue, texture cache, pipeline and
    // sampler. A failure keeps what was made before it; the next call resumes at the first empty
    // field. Holds the lock for its whole run.
    Expected<void> ensureReady();

    // The device, queue and cache when all three exist; otherwise logs an error and gives nothing.
    std::optional<Metal> getMetal() const;

    // The pipeline and sampler for one frame, copied under the lock; either may be null.
    TransformPipeline transformPipeline() const;

    // The transform shader: a quad over the whole target whose fragment at (u, v) samples the
    // source at (row0.x u + row0.y v + row0.z, row1.x u + row1.y v + row1.z). Entry points "v_main"
    // and "f_main"; source texture and sampler at index 0, row0 and row1 as 16 bytes of fragment
    // constants at indices 0 and 1.
    static const QString &transformShaderSource();

private:
    // With m_lock held.
    Expected<void> buildTransformPipeline(const std::shared_ptr<GpuDevice> &device);

    const DeviceProvider m_deviceProvider;
    const QString m_shaderSource;
    const Logger m_log{"MetalShared"};

    mutable std::mutex m_lock; // guards the five fields below
    std::shared_ptr<GpuDevice> m_device;
    std::shared_ptr<GpuCommandQueue> m_commandQueue;
    std::shared_ptr<GpuTextureCache> m_textureCache;
    std::shared_ptr<GpuRenderPipelineState> m_pipelineState;
    std::shared_ptr<GpuSamplerState> m_samplerState;
};
