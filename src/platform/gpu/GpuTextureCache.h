// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GpuTexture.h"
#include "platform/foundation/Error.h"

#include <cstdint>
#include <memory>

// A picture in CPU memory, as screen capture and frame-sharing input deliver it: width x height
// pixels of 4 bytes (blue, green, red, alpha), rows bytesPerRow apart, the first row in memory
// first. The memory belongs to whoever made the frame.
struct GpuPixelBuffer
{
    const void *data = nullptr;
    int width = 0;
    int height = 0;
    int64_t bytesPerRow = 0;
    // Optional: kept until the texture's content has been taken from data. Without it the caller
    // keeps data valid and unchanged until the first command buffer committed after the texture
    // was made has completed (the frame path waits for its command buffer anyway).
    std::shared_ptr<const void> keepAlive;
};

// Turns captured CPU pixel buffers into source textures. GPU textures are reused: a texture whose
// last reference is dropped goes back to the cache and serves the next buffer of the same size,
// so a steady stream of frames allocates no GPU memory. Callable from any thread.
class GpuTextureCache
{
public:
    virtual ~GpuTextureCache() = default;

    // A texture holding the buffer's pixels for every command buffer committed after this call.
    // Fails for a null buffer, a size below 1 x 1 or above the device's limit, or a row length
    // below width * 4 or not a multiple of 4.
    virtual Expected<std::shared_ptr<GpuTexture>> textureFromPixelBuffer(GpuPixelBuffer buffer) = 0;

    // Frees the idle textures the cache holds.
    virtual void flush() = 0;
};
