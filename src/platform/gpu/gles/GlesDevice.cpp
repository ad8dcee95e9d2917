// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesDevice.h"

#include "GlesCommandQueue.h"
#include "GlesLibrary.h"
#include "GlesRenderPipelineState.h"
#include "GlesSamplerState.h"
#include "GlesTexture.h"
#include "GlesTextureCache.h"
#include "GlesWorker.h"

std::shared_ptr<GlesDevice> GlesDevice::create()
{
    auto worker = GlesWorker::create();
    if (!worker)
        return nullptr;
    return std::shared_ptr<GlesDevice>(new GlesDevice(std::move(worker)));
}

QString GlesDevice::name() const
{
    return m_worker->renderer();
}

int GlesDevice::maxTextureSize() const
{
    return m_worker->maxTextureSize();
}

std::shared_ptr<GpuCommandQueue> GlesDevice::makeCommandQueue()
{
    return std::make_shared<GlesCommandQueue>(m_worker);
}

std::shared_ptr<GpuTexture> GlesDevice::makeTexture(const GpuTextureDescriptor &descriptor)
{
    const int maxSize = maxTextureSize();
    if (descriptor.width < 1 || descriptor.height < 1 || descriptor.width > maxSize ||
        descriptor.height > maxSize)
        return nullptr;
    return std::make_shared<GlesTexture>(m_worker, descriptor.width, descriptor.height);
}

Expected<std::shared_ptr<GpuLibrary>> GlesDevice::makeLibrary(const QString &source)
{
    return GlesLibrary::create(*m_worker, source);
}

Expected<std::shared_ptr<GpuRenderPipelineState>>
GlesDevice::makeRenderPipelineState(const GpuRenderPipelineDescriptor &descriptor)
{
    return GlesRenderPipelineState::create(m_worker, descriptor);
}

std::shared_ptr<GpuSamplerState>
GlesDevice::makeSamplerState(const GpuSamplerDescriptor &descriptor)
{
    return GlesSamplerState::create(m_worker, descriptor);
}

std::shared_ptr<GpuTextureCache> GlesDevice::makeTextureCache()
{
    return std::make_shared<GlesTextureCache>(m_worker);
}
