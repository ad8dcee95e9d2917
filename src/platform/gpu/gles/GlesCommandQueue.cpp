// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesCommandQueue.h"

#include "GlesCommandBuffer.h"

std::shared_ptr<GpuCommandBuffer> GlesCommandQueue::makeCommandBuffer()
{
    return std::make_shared<GlesCommandBuffer>(m_worker);
}
