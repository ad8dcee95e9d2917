// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuDevice.h"

#include <memory>

class GlesWorker;

// A GpuDevice on EGL + OpenGL ES 3.0, headless: the context lives on the device's worker thread
// (GlesWorker), which runs every GL call of the device and of what it makes.
class GlesDevice final : public GpuDevice
{
public:
    // Null when no EGL display gives an OpenGL ES 3 context.
    static std::shared_ptr<GlesDevice> create();

    QString name() const override;
    int maxTextureSize() const override;
    std::shared_ptr<GpuCommandQueue> makeCommandQueue() override;
    std::shared_ptr<GpuTexture> makeTexture(const GpuTextureDescriptor &descriptor) override;
    Expected<std::shared_ptr<GpuLibrary>> makeLibrary(const QString &source) override;
    Expected<std::shared_ptr<GpuRenderPipelineState>>
    makeRenderPipelineState(const GpuRenderPipelineDescriptor &descriptor) override;
    std::shared_ptr<GpuSamplerState>
    makeSamplerState(const GpuSamplerDescriptor &descriptor) override;
    std::shared_ptr<GpuTextureCache> makeTextureCache() override;

    GlesWorker &worker() const { return *m_worker; }

private:
    explicit GlesDevice(std::shared_ptr<GlesWorker> worker) : m_worker(std::move(worker)) {}

    const std::shared_ptr<GlesWorker> m_worker;
};
