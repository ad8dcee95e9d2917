// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuTexture.h"

#include <GLES3/gl3.h>
#include <limits>
#include <memory>

class GlesWorker;

// A GpuTexture as an immutable GL_RGBA8 texture. The BGRA bytes are stored unchanged (the GL
// channel names do not matter: sampling and rendering pass the four channels through), so uploads
// and read-backs are plain copies. The GL objects are made and deleted by tasks on the worker.
class GlesTexture final : public GpuTexture
{
public:
    // The GL names; worker thread only.
    struct Names
    {
        GLuint texture = 0;
        GLuint framebuffer = 0; // made the first time the texture is a render or read target
    };

    // Posts the creation of the GL texture; callable from any thread.
    GlesTexture(std::shared_ptr<GlesWorker> worker, int width, int height);
    ~GlesTexture() override;

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    GpuPixelFormat pixelFormat() const override { return GpuPixelFormat::bgra8Unorm; }
    bool replaceContents(const void *bytes, int64_t bytesPerRow) override;

    // Worker thread only.
    GLuint textureName() const { return m_names->texture; }
    // The framebuffer with this texture as colour attachment 0, made on first use; 0 on failure.
    GLuint framebuffer();
    // Copies a picture of the texture's size from client memory.
    void upload(const void *bytes, int64_t bytesPerRow);

    static bool isValidRowLength(int width, int64_t bytesPerRow)
    {
        // GL takes the row length in pixels as a GLint.
        return bytesPerRow >= int64_t(width) * 4 && bytesPerRow % 4 == 0 &&
               bytesPerRow / 4 <= std::numeric_limits<GLint>::max();
    }

private:
    const std::shared_ptr<GlesWorker> m_worker;
    const int m_width;
    const int m_height;
    // Owned jointly by this object and the worker tasks that create and delete the names.
    const std::shared_ptr<Names> m_names;
};
