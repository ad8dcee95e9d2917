// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesSamplerState.h"

#include "GlesWorker.h"

namespace {

GLint glFilter(GpuSamplerFilter filter)
{
    return filter == GpuSamplerFilter::linear ? GL_LINEAR : GL_NEAREST;
}

GLint glAddressMode(GpuSamplerAddressMode mode)
{
    return mode == GpuSamplerAddressMode::repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
}

} // namespace

std::shared_ptr<GlesSamplerState> GlesSamplerState::create(std::shared_ptr<GlesWorker> worker,
                                                           const GpuSamplerDescriptor &descriptor)
{
    GLuint name = 0;
    worker->runAndWait([&] {
        glGenSamplers(1, &name);
        glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, glFilter(descriptor.minFilter));
        glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, glFilter(descriptor.magFilter));
        glSamplerParameteri(name, GL_TEXTURE_WRAP_S, glAddressMode(descriptor.sAddressMode));
        glSamplerParameteri(name, GL_TEXTURE_WRAP_T, glAddressMode(descriptor.tAddressMode));
        if (glGetError() != GL_NO_ERROR) {
            glDeleteSamplers(1, &name);
            name = 0;
        }
    });
    if (!name)
        return nullptr;
    return std::shared_ptr<GlesSamplerState>(
        new GlesSamplerState(std::move(worker), descriptor, name));
}

GlesSamplerState::~GlesSamplerState()
{
    m_worker->runOrPost([name = m_name] { glDeleteSamplers(1, &name); });
}
