// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GpuRenderCommandEncoder.h"
#include "GpuTexture.h"
#include "platform/foundation/Error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QImage;

enum class GpuLoadAction {
    dontCare, // the previous content is not needed
    load,
    clear, // to transparent black
};

enum class GpuStoreAction {
    store,
    dontCare,
};

struct GpuRenderPassDescriptor
{
    std::shared_ptr<GpuTexture> colorAttachment0;
    GpuLoadAction loadAction = GpuLoadAction::dontCare;
    GpuStoreAction storeAction = GpuStoreAction::store;
};

// Order of the rows a read-back writes into memory.
enum class GpuRowOrder {
    firstRowFirst, // memory row i = texture row i
    lastRowFirst,  // memory row i = texture row height - 1 - i
};

enum class GpuCommandBufferStatus {
    notEnqueued, // being encoded
    committed,
    completed,
    error,
};

// A unit of GPU work: render passes and read-backs, executed in the order they were encoded once
// the buffer is committed, after every command buffer committed before it on its queue.
//
// Encoding and commit happen on one thread at a time; status(), waitUntilCompleted() and the
// completion handlers may be used from any thread. A command buffer is committed at most once.
class GpuCommandBuffer
{
public:
    using CompletedHandler = std::function<void(GpuCommandBuffer &)>;

    virtual ~GpuCommandBuffer() = default;

    // An encoder for one render pass into descriptor.colorAttachment0, or null when the
    // descriptor has no attachment, another encoder is still open, or the buffer is committed.
    virtual std::unique_ptr<GpuRenderCommandEncoder>
    makeRenderCommandEncoder(const GpuRenderPassDescriptor &descriptor) = 0;

    // Copies the texture's pixels into destination (width x height x 4 bytes, bytesPerRow apart,
    // in the given row order) when the buffer executes: the memory must stay valid until the
    // buffer has completed, and holds the pixels from then on. No copy is made in between.
    // Returns false, encoding nothing, for a null texture or destination, or a bytesPerRow below
    // width * 4 or not a multiple of 4.
    virtual bool encodeReadBack(std::shared_ptr<GpuTexture> texture, void *destination,
                                int64_t bytesPerRow, GpuRowOrder rowOrder) = 0;

    // The preview read-back: after completion, image holds the texture with its last row at the
    // top (the texture's first row at the bottom). image is made Format_ARGB32 of the texture's
    // size when it is not already, and reused otherwise; leave it alone until completion.
    bool encodeReadBack(std::shared_ptr<GpuTexture> texture, QImage &image);

    // Handlers run once the buffer's work is done (or has failed), in the order they were added,
    // on the queue's thread: keep them short and never wait on the queue from them.
    virtual void addCompletedHandler(CompletedHandler handler) = 0;

    virtual void commit() = 0;
    // Returns at once when the buffer is not committed.
    virtual void waitUntilCompleted() = 0;

    virtual GpuCommandBufferStatus status() const = 0;
    // Set when status() is error.
    virtual std::optional<Error> error() const = 0;
};
