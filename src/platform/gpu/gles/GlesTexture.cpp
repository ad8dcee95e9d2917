// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesTexture.h"

#include "GlesWorker.h"

GlesTexture::GlesTexture(std::shared_ptr<GlesWorker> worker, int width, int height)
    : m_worker(std::move(worker)), m_width(width), m_height(height),
      m_names(std::make_shared<Names>())
{
    m_worker->runOrPost([names = m_names, width, height] {
        glGenTextures(1, &names->texture);
        glBindTexture(GL_TEXTURE_2D, names->texture);
        glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA8, width, height);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
}

GlesTexture::~GlesTexture()
{
    m_worker->runOrPost([names = m_names] {
        if (names->framebuffer)
            glDeleteFramebuffers(1, &names->framebuffer);
        glDeleteTextures(1, &names->texture);
    });
}

bool GlesTexture::replaceContents(const void *bytes, int64_t bytesPerRow)
{
    if (!bytes || !isValidRowLength(m_width, bytesPerRow))
        return false;
    m_worker->runAndWait([&] { upload(bytes, bytesPerRow); });
    return true;
}

GLuint GlesTexture::framebuffer()
{
    if (m_names->framebuffer)
        return m_names->framebuffer;
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_names->texture,
                           0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete) {
        glDeleteFramebuffers(1, &framebuffer);
        return 0;
    }
    m_names->framebuffer = framebuffer;
    return framebuffer;
}

void GlesTexture::upload(const void *bytes, int64_t bytesPerRow)
{
    glBindTexture(GL_TEXTURE_2D, m_names->texture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(bytesPerRow / 4));
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, m_width, m_height, GL_RGBA, GL_UNSIGNED_BYTE, bytes);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}
