// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GpuLibrary.h"
#include "GpuTexture.h"

#include <QString>
#include <memory>

struct GpuRenderPipelineDescriptor
{
    std::shared_ptr<GpuLibrary> library;
    QString vertexFunction;
    QString fragmentFunction;
    // Colour attachment 0; no blending, depth or stencil.
    GpuPixelFormat colorAttachment0PixelFormat = GpuPixelFormat::bgra8Unorm;
};

// A vertex and a fragment function linked for one colour attachment format. Immutable; shareable
// between threads.
class GpuRenderPipelineState
{
public:
    virtual ~GpuRenderPipelineState() = default;
    virtual const QString &vertexFunction() const = 0;
    virtual const QString &fragmentFunction() const = 0;
};
