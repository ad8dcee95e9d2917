// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The one pixel format of the GPU layer: four 8-bit unsigned normalised channels, stored in memory
// in the order blue, green, red, alpha. Backends keep the bytes of a texel exactly as given: the
// transform pipeline passes all four channels through unchanged, so bytes in equal bytes out.
enum class GpuPixelFormat {
    bgra8Unorm,
};

struct GpuTextureDescriptor
{
    int width = 0;
    int height = 0;
    GpuPixelFormat pixelFormat = GpuPixelFormat::bgra8Unorm;
};

// A two-dimensional texture, usable as shader input and as render target, without mipmaps.
//
// Addressing: (u, v) = (0, 0) is the first column of the first row in memory, on every backend.
// Textures are made by a GpuDevice or a GpuTextureCache and may be shared between threads; their
// content is written and read only by the command buffers and calls below, in command-queue order.
class GpuTexture
{
public:
    virtual ~GpuTexture() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual GpuPixelFormat pixelFormat() const = 0;

    // Copies a whole picture (width() x height() pixels, bytesPerRow apart, first row first) into
    // the texture. Command buffers committed after the call returns see the new content, and the
    // caller may reuse its memory at once. Returns false, changing nothing, when bytesPerRow is
    // below width() * 4 or not a multiple of 4, or bytes is null. Blocks until the copy is done.
    virtual bool replaceContents(const void *bytes, int64_t bytesPerRow) = 0;
};
