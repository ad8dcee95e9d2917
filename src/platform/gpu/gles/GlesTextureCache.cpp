// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesTextureCache.h"

#include "../GpuErrors.h"
#include "GlesTexture.h"
#include "GlesWorker.h"

GlesTextureCache::GlesTextureCache(std::shared_ptr<GlesWorker> worker)
    : m_worker(std::move(worker)), m_pool(std::make_shared<Pool>())
{}

GlesTextureCache::~GlesTextureCache() = default;

Expected<std::shared_ptr<GpuTexture>>
GlesTextureCache::textureFromPixelBuffer(GpuPixelBuffer buffer)
{
    const int maxSize = m_worker->maxTextureSize();
    if (!buffer.data || buffer.width < 1 || buffer.height < 1 || buffer.width > maxSize ||
        buffer.height > maxSize)
        return Error{GpuErrors::textureDomain, GpuErrors::invalidArgument,
                     QStringLiteral("Pixel buffer of %1 x %2 pixels cannot become a texture")
                         .arg(buffer.width)
                         .arg(buffer.height)};
    if (!GlesTexture::isValidRowLength(buffer.width, buffer.bytesPerRow))
        return Error{GpuErrors::textureDomain, GpuErrors::invalidArgument,
                     QStringLiteral("Pixel buffer rows of %1 bytes do not hold %2 BGRA pixels")
                         .arg(buffer.bytesPerRow)
                         .arg(buffer.width)};

    std::unique_ptr<GlesTexture> texture = takeIdle(buffer.width, buffer.height);
    if (!texture)
        texture = std::make_unique<GlesTexture>(m_worker, buffer.width, buffer.height);
    std::weak_ptr<Pool> pool = m_pool;
    std::shared_ptr<GlesTexture> handedOut(texture.release(), [pool](GlesTexture *released) {
        std::unique_ptr<GlesTexture> owned(released);
        if (auto alive = pool.lock()) {
            std::unique_lock guard(alive->mutex);
            alive->idle.push_back(std::move(owned));
            if (alive->idle.size() > maxIdleTextures) {
                owned = std::move(alive->idle.front());
                alive->idle.pop_front();
            }
        }
        // owned, if any, is deleted here, outside the pool's lock.
    });
    // The task keeps the texture (so it cannot go back to the pool before its upload) and the
    // buffer's owner, if the caller gave one.
    m_worker->post([handedOut, buffer = std::move(buffer)] {
        handedOut->upload(buffer.data, buffer.bytesPerRow);
    });
    return std::shared_ptr<GpuTexture>(std::move(handedOut));
}

std::unique_ptr<GlesTexture> GlesTextureCache::takeIdle(int width, int height)
{
    std::lock_guard guard(m_pool->mutex);
    for (auto it = m_pool->idle.begin(); it != m_pool->idle.end(); ++it) {
        if ((*it)->width() == width && (*it)->height() == height) {
            std::unique_ptr<GlesTexture> texture = std::move(*it);
            m_pool->idle.erase(it);
            return texture;
        }
    }
    return nullptr;
}

void GlesTextureCache::flush()
{
    std::deque<std::unique_ptr<GlesTexture>> dropped;
    {
        std::lock_guard guard(m_pool->mutex);
        dropped.swap(m_pool->idle);
    }
}

std::size_t GlesTextureCache::idleTextureCount() const
{
    std::lock_guard guard(m_pool->mutex);
    return m_pool->idle.size();
}
