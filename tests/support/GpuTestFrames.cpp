// SPDX-License-Identifier: GPL-3.0-or-later
#include "GpuTestFrames.h"

namespace GpuTestFrames {

Frame::Frame(int width, int height, int64_t bytesPerRow)
    : width(width), height(height), bytesPerRow(bytesPerRow ? bytesPerRow : int64_t(width) * 4),
      bytes(size_t(this->bytesPerRow * height), 0xEE)
{}

Frame pattern(int width, int height, int seed, int64_t bytesPerRow)
{
    Frame frame(width, height, bytesPerRow);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t *p = frame.pixel(x, y);
            p[0] = uint8_t(x * 7 + y);
            p[1] = uint8_t(y * 5 + x * 3);
            p[2] = uint8_t(((x >> 5) * 13 + (y >> 5) * 29 + seed * 41) ^ (x & 1) << 7);
            p[3] = uint8_t(255 - ((x + 2 * y) & 0x7f));
        }
    }
    return frame;
}

bool encodeTransform(GpuCommandBuffer &commandBuffer,
                     const MetalShared::TransformPipeline &pipeline,
                     const std::shared_ptr<GpuTexture> &source,
                     const std::shared_ptr<GpuTexture> &output, const std::array<float, 4> &row0,
                     const std::array<float, 4> &row1)
{
    if (!pipeline.pipelineState || !pipeline.samplerState)
        return false;
    GpuRenderPassDescriptor pass;
    pass.colorAttachment0 = output;
    pass.loadAction = GpuLoadAction::dontCare;
    pass.storeAction = GpuStoreAction::store;
    auto encoder = commandBuffer.makeRenderCommandEncoder(pass);
    if (!encoder)
        return false;
    encoder->setRenderPipelineState(pipeline.pipelineState);
    encoder->setFragmentTexture(source, 0);
    encoder->setFragmentSamplerState(pipeline.samplerState, 0);
    encoder->setFragmentBytes(row0.data(), sizeof row0, 0);
    encoder->setFragmentBytes(row1.data(), sizeof row1, 1);
    encoder->drawPrimitives(GpuPrimitiveType::triangleStrip, 0, 4);
    encoder->endEncoding();
    return true;
}

} // namespace GpuTestFrames
