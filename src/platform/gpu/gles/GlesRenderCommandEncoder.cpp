// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesRenderCommandEncoder.h"

#include "GlesCommandBuffer.h"
#include "GlesRenderPipelineState.h"
#include "GlesSamplerState.h"
#include "GlesTexture.h"

#include <cstring>

using Kind = GlesCommandBuffer::RenderCommand::Kind;

GlesRenderCommandEncoder::GlesRenderCommandEncoder(std::shared_ptr<GlesCommandBuffer> commandBuffer)
    : m_commandBuffer(std::move(commandBuffer))
{}

GlesRenderCommandEncoder::~GlesRenderCommandEncoder()
{
    endEncoding();
}

void GlesRenderCommandEncoder::setRenderPipelineState(std::shared_ptr<GpuRenderPipelineState> state)
{
    auto pipeline = std::dynamic_pointer_cast<GlesRenderPipelineState>(state);
    if (!m_commandBuffer || !pipeline)
        return;
    GlesCommandBuffer::RenderCommand command;
    command.kind = Kind::pipeline;
    command.pipeline = std::move(pipeline);
    m_commandBuffer->record(std::move(command));
}

void GlesRenderCommandEncoder::setFragmentTexture(std::shared_ptr<GpuTexture> texture, int index)
{
    auto glesTexture = std::dynamic_pointer_cast<GlesTexture>(texture);
    if (!m_commandBuffer || !glesTexture || index < 0 || index >= maxFragmentTextures)
        return;
    GlesCommandBuffer::RenderCommand command;
    command.kind = Kind::texture;
    command.index = index;
    command.texture = std::move(glesTexture);
    m_commandBuffer->record(std::move(command));
}

void GlesRenderCommandEncoder::setFragmentSamplerState(std::shared_ptr<GpuSamplerState> sampler,
                                                       int index)
{
    auto glesSampler = std::dynamic_pointer_cast<GlesSamplerState>(sampler);
    if (!m_commandBuffer || !glesSampler || index < 0 || index >= maxFragmentTextures)
        return;
    GlesCommandBuffer::RenderCommand command;
    command.kind = Kind::sampler;
    command.index = index;
    command.sampler = std::move(glesSampler);
    m_commandBuffer->record(std::move(command));
}

void GlesRenderCommandEncoder::setFragmentBytes(const void *bytes, std::size_t length, int index)
{
    if (!m_commandBuffer || !bytes || length > maxFragmentBytesLength || index < 0 ||
        index >= maxFragmentBuffers)
        return;
    GlesCommandBuffer::RenderCommand command;
    command.kind = Kind::bytes;
    command.index = index;
    std::memcpy(command.bytes.data(), bytes, length);
    command.length = length;
    m_commandBuffer->record(std::move(command));
}

void GlesRenderCommandEncoder::drawPrimitives(GpuPrimitiveType type, int vertexStart,
                                              int vertexCount)
{
    if (!m_commandBuffer || vertexStart < 0 || vertexCount < 0)
        return;
    GlesCommandBuffer::RenderCommand command;
    command.kind = Kind::draw;
    command.mode = type == GpuPrimitiveType::triangleStrip ? GL_TRIANGLE_STRIP : GL_TRIANGLES;
    command.vertexStart = vertexStart;
    command.vertexCount = vertexCount;
    m_commandBuffer->record(std::move(command));
}

void GlesRenderCommandEncoder::endEncoding()
{
    if (!m_commandBuffer)
        return;
    m_commandBuffer->endEncoding();
    m_commandBuffer.reset();
}
