// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuRenderPipelineState.h"
#include "platform/foundation/Error.h"

#include <GLES3/gl3.h>
#include <memory>

class GlesWorker;

// A linked GL program. Its vertex stage runs the chosen entry point and then negates clip-space
// y: the layer's convention puts y = +1 at the first row in memory, while GL's framebuffer row 0
// (the first row in memory of an attached texture) is at y = -1. Sampler uniforms and uniform
// blocks are bound to the indices their names carry (see GpuLibrary).
class GlesRenderPipelineState final : public GpuRenderPipelineState
{
public:
    static Expected<std::shared_ptr<GpuRenderPipelineState>>
    create(std::shared_ptr<GlesWorker> worker, const GpuRenderPipelineDescriptor &descriptor);
    ~GlesRenderPipelineState() override;

    const QString &vertexFunction() const override { return m_vertexFunction; }
    const QString &fragmentFunction() const override { return m_fragmentFunction; }
    GLuint program() const { return m_program; } // fixed after create()

private:
    GlesRenderPipelineState(std::shared_ptr<GlesWorker> worker, QString vertexFunction,
                            QString fragmentFunction, GLuint program)
        : m_worker(std::move(worker)), m_vertexFunction(std::move(vertexFunction)),
          m_fragmentFunction(std::move(fragmentFunction)), m_program(program)
    {}

    const std::shared_ptr<GlesWorker> m_worker;
    const QString m_vertexFunction;
    const QString m_fragmentFunction;
    const GLuint m_program;
};
