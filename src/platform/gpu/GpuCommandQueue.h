// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GpuCommandBuffer.h"

#include <memory>

// Makes command buffers and executes them in commit order. One queue may serve any number of
// threads: makeCommandBuffer() and GpuCommandBuffer::commit() are callable from any thread, and
// buffers committed from several threads run one after another in the order of their commits.
class GpuCommandQueue
{
public:
    virtual ~GpuCommandQueue() = default;
    // Null when the queue cannot make one.
    virtual std::shared_ptr<GpuCommandBuffer> makeCommandBuffer() = 0;
};
