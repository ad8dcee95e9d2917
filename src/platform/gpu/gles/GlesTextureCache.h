// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuTextureCache.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

class GlesWorker;
class GlesTexture;

// Uploads each pixel buffer into a pooled texture. The upload is a worker task posted by
// textureFromPixelBuffer(), so it runs before any command buffer committed afterwards; the
// texture returns to the pool when its last reference goes (after the command buffers that used
// it have completed, since they hold references until then).
class GlesTextureCache final : public GpuTextureCache
{
public:
    // Idle textures kept for reuse, across all sizes; the oldest goes first.
    static constexpr std::size_t maxIdleTextures = 6;

    explicit GlesTextureCache(std::shared_ptr<GlesWorker> worker);
    ~GlesTextureCache() override;

    Expected<std::shared_ptr<GpuTexture>> textureFromPixelBuffer(GpuPixelBuffer buffer) override;
    void flush() override;

    // The number of idle textures (for tests).
    std::size_t idleTextureCount() const;

private:
    struct Pool
    {
        std::mutex mutex; // guards idle; taken by callers of the cache and by released textures
        std::deque<std::unique_ptr<GlesTexture>> idle;
    };

    std::unique_ptr<GlesTexture> takeIdle(int width, int height);

    const std::shared_ptr<GlesWorker> m_worker;
    // Shared with the deleters of the textures handed out, which may outlive the cache.
    const std::shared_ptr<Pool> m_pool;
};
