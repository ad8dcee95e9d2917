// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuCommandQueue.h"

#include <memory>

class GlesWorker;

// Command buffers of this queue run on the device's worker, in commit order.
class GlesCommandQueue final : public GpuCommandQueue
{
public:
    explicit GlesCommandQueue(std::shared_ptr<GlesWorker> worker) : m_worker(std::move(worker)) {}
    std::shared_ptr<GpuCommandBuffer> makeCommandBuffer() override;

private:
    const std::shared_ptr<GlesWorker> m_worker;
};
