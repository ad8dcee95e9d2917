// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuCommandBuffer.h"

#include <GLES3/gl3.h>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <variant>
#include <vector>

class GlesWorker;
class GlesTexture;
class GlesRenderPipelineState;
class GlesSamplerState;

// A command buffer that records its commands on the encoding thread and replays them as GL calls
// on the worker when committed. Completion is when the replay is done: GL takes client memory
// (uploads, read-backs) synchronously, so nothing is pending for the CPU after that point.
class GlesCommandBuffer final : public GpuCommandBuffer,
                                public std::enable_shared_from_this<GlesCommandBuffer>
{
public:
    explicit GlesCommandBuffer(std::shared_ptr<GlesWorker> worker);
    ~GlesCommandBuffer() override;

    std::unique_ptr<GpuRenderCommandEncoder>
    makeRenderCommandEncoder(const GpuRenderPassDescriptor &descriptor) override;
    bool encodeReadBack(std::shared_ptr<GpuTexture> texture, void *destination, int64_t bytesPerRow,
                        GpuRowOrder rowOrder) override;
    using GpuCommandBuffer::encodeReadBack;
    void addCompletedHandler(CompletedHandler handler) override;
    void commit() override;
    void waitUntilCompleted() override;
    GpuCommandBufferStatus status() const override;
    std::optional<Error> error() const override;

    // One recorded call of a render pass.
    struct RenderCommand
    {
        enum class Kind { pipeline, texture, sampler, bytes, draw } kind = Kind::draw;
        int index = 0;
        std::shared_ptr<GlesRenderPipelineState> pipeline;
        std::shared_ptr<GlesTexture> texture;
        std::shared_ptr<GlesSamplerState> sampler;
        std::array<std::byte, 64> bytes{};
        std::size_t length = 0;
        GLenum mode = GL_TRIANGLES;
        int vertexStart = 0;
        int vertexCount = 0;
    };

    // For the open encoder (encoding thread).
    void record(RenderCommand command);
    void endEncoding();

private:
    struct RenderPass
    {
        std::shared_ptr<GlesTexture> target;
        GpuLoadAction loadAction;
        GpuStoreAction storeAction;
        std::vector<RenderCommand> commands;
    };
    struct ReadBack
    {
        std::shared_ptr<GlesTexture> texture;
        void *destination;
        int64_t bytesPerRow;
        GpuRowOrder rowOrder;
    };

    // Worker thread only.
    void execute();
    bool executePass(RenderPass &pass);
    bool executeReadBack(const ReadBack &readBack);

    const std::shared_ptr<GlesWorker> m_worker;

    // Encoding thread until commit(), then the worker (the queue's hand-over orders the two).
    std::vector<std::variant<RenderPass, ReadBack>> m_commands;
    std::vector<CompletedHandler> m_completedHandlers;
    bool m_encoderOpen = false;

    // Any thread, under m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_finished;
    GpuCommandBufferStatus m_status = GpuCommandBufferStatus::notEnqueued;
    std::optional<Error> m_error;
    bool m_handlersDone = false;
};
