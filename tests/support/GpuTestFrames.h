// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MetalShared.h"
#include "platform/gpu/GpuDevice.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// CPU frames with a pattern no symmetry can hide, and the transform pass as the frame path encodes
// it, for the GPU tests and benchmarks.
namespace GpuTestFrames {

// A BGRA frame in CPU memory, rows bytesPerRow apart (bytesPerRow >= width * 4).
struct Frame
{
    int width = 0;
    int height = 0;
    int64_t bytesPerRow = 0;
    std::vector<uint8_t> bytes;

    Frame() = default;
    Frame(int width, int height, int64_t bytesPerRow = 0);

    uint8_t *pixel(int x, int y) { return bytes.data() + y * bytesPerRow + int64_t(x) * 4; }
    const uint8_t *pixel(int x, int y) const
    {
        return bytes.data() + y * bytesPerRow + int64_t(x) * 4;
    }
    GpuPixelBuffer pixelBuffer() const { return {bytes.data(), width, height, bytesPerRow, {}}; }
};

// Every pixel different from its neighbours and from its mirror images: blue and green follow
// the column and the row, red the high bits of both plus a seed, alpha a diagonal gradient. The
// four corners differ in every channel on frames of at least 2 x 2.
Frame pattern(int width, int height, int seed = 0, int64_t bytesPerRow = 0);

// Encodes one transform pass of source into output with the rows (don't-care load, store, the
// pipeline and sampler at index 0, rows as 16 bytes at fragment buffers 0 and 1, four vertices as
// a triangle strip). False when pipeline or sampler is missing or no encoder was made.
bool encodeTransform(GpuCommandBuffer &commandBuffer,
                     const MetalShared::TransformPipeline &pipeline,
                     const std::shared_ptr<GpuTexture> &source,
                     const std::shared_ptr<GpuTexture> &output, const std::array<float, 4> &row0,
                     const std::array<float, 4> &row1);

} // namespace GpuTestFrames
