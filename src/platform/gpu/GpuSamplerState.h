// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

enum class GpuSamplerFilter {
    nearest,
    linear,
};

enum class GpuSamplerAddressMode {
    clampToEdge, // positions beyond an edge read the edge's texels
    repeat,
};

struct GpuSamplerDescriptor
{
    GpuSamplerFilter minFilter = GpuSamplerFilter::nearest;
    GpuSamplerFilter magFilter = GpuSamplerFilter::nearest;
    GpuSamplerAddressMode sAddressMode = GpuSamplerAddressMode::clampToEdge;
    GpuSamplerAddressMode tAddressMode = GpuSamplerAddressMode::clampToEdge;
};

// How a fragment function reads a texture: filtering and edge handling, normalised coordinates, no
// mipmaps. Immutable; shareable between threads.
class GpuSamplerState
{
public:
    virtual ~GpuSamplerState() = default;
    virtual const GpuSamplerDescriptor &descriptor() const = 0;
};
