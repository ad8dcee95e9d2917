// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuSamplerState.h"

#include <GLES3/gl3.h>
#include <memory>

class GlesWorker;

// A GL sampler object; made and deleted on the worker.
class GlesSamplerState final : public GpuSamplerState
{
public:
    // Null when GL cannot make the sampler.
    static std::shared_ptr<GlesSamplerState> create(std::shared_ptr<GlesWorker> worker,
                                                    const GpuSamplerDescriptor &descriptor);
    ~GlesSamplerState() override;

    const GpuSamplerDescriptor &descriptor() const override { return m_descriptor; }
    GLuint name() const { return m_name; } // fixed after create()

private:
    GlesSamplerState(std::shared_ptr<GlesWorker> worker, const GpuSamplerDescriptor &descriptor,
                     GLuint name)
        : m_worker(std::move(worker)), m_descriptor(descriptor), m_name(name)
    {}

    const std::shared_ptr<GlesWorker> m_worker;
    const GpuSamplerDescriptor m_descriptor;
    const GLuint m_name;
};
