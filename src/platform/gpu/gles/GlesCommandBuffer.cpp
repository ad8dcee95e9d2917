// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesCommandBuffer.h"

#include "../GpuErrors.h"
#include "GlesRenderCommandEncoder.h"
#include "GlesRenderPipelineState.h"
#include "GlesSamplerState.h"
#include "GlesTexture.h"
#include "GlesWorker.h"

#include <GLES2/gl2ext.h>

GlesCommandBuffer::GlesCommandBuffer(std::shared_ptr<GlesWorker> worker)
    : m_worker(std::move(worker))
{
    m_commands.reserve(2);
}

GlesCommandBuffer::~GlesCommandBuffer() = default;

std::unique_ptr<GpuRenderCommandEncoder>
GlesCommandBuffer::makeRenderCommandEncoder(const GpuRenderPassDescriptor &descriptor)
{
    auto target = std::dynamic_pointer_cast<GlesTexture>(descriptor.colorAttachment0);
    if (!target || m_encoderOpen || status() != GpuCommandBufferStatus::notEnqueued)
        return nullptr;
    RenderPass pass{std::move(target), descriptor.loadAction, descriptor.storeAction, {}};
    pass.commands.reserve(8);
    m_commands.emplace_back(std::move(pass));
    m_encoderOpen = true;
    return std::make_unique<GlesRenderCommandEncoder>(shared_from_this());
}

void GlesCommandBuffer::record(RenderCommand command)
{
    if (!m_encoderOpen) // an encoder used after commit() records nothing
        return;
    std::get<RenderPass>(m_commands.back()).commands.push_back(std::move(command));
}

void GlesCommandBuffer::endEncoding()
{
    m_encoderOpen = false;
}

bool GlesCommandBuffer::encodeReadBack(std::shared_ptr<GpuTexture> texture, void *destination,
                                       int64_t bytesPerRow, GpuRowOrder rowOrder)
{
    auto glesTexture = std::dynamic_pointer_cast<GlesTexture>(texture);
    if (!glesTexture || !destination || m_encoderOpen ||
        !GlesTexture::isValidRowLength(glesTexture->width(), bytesPerRow) ||
        status() != GpuCommandBufferStatus::notEnqueued)
        return false;
    m_commands.emplace_back(ReadBack{std::move(glesTexture), destination, bytesPerRow, rowOrder});
    return true;
}

void GlesCommandBuffer::addCompletedHandler(CompletedHandler handler)
{
    // Handlers belong to the encoding phase; after commit the worker owns the list.
    if (status() == GpuCommandBufferStatus::notEnqueued && handler)
        m_completedHandlers.push_back(std::move(handler));
}

void GlesCommandBuffer::commit()
{
    {
        std::lock_guard guard(m_mutex);
        if (m_status != GpuCommandBufferStatus::notEnqueued)
            return;
        m_status = GpuCommandBufferStatus::committed;
    }
    m_encoderOpen = false;
    m_worker->post([self = shared_from_this()] { self->execute(); });
}

void GlesCommandBuffer::waitUntilCompleted()
{
    std::unique_lock lock(m_mutex);
    if (m_status == GpuCommandBufferStatus::notEnqueued)
        return;
    // A handler waiting on its own queue would never see the queue move on.
    if (m_worker->isCurrent() && !m_handlersDone)
        return;
    m_finished.wait(lock, [this] { return m_handlersDone; });
}

GpuCommandBufferStatus GlesCommandBuffer::status() const
{
    std::lock_guard guard(m_mutex);
    return m_status;
}

std::optional<Error> GlesCommandBuffer::error() const
{
    std::lock_guard guard(m_mutex);
    return m_error;
}

void GlesCommandBuffer::execute()
{
    QString failure;
    for (auto &command : m_commands) {
        const bool done = std::visit(
            [this](auto &item) {
                if constexpr (std::is_same_v<std::decay_t<decltype(item)>, RenderPass>)
                    return executePass(item);
                else
                    return executeReadBack(item);
            },
            command);
        if (!done && failure.isEmpty())
            failure = QStringLiteral("A render target could not be bound");
    }
    const GLenum glError = glGetError();
    if (glError != GL_NO_ERROR && failure.isEmpty())
        failure = QStringLiteral("OpenGL error 0x%1").arg(glError, 4, 16, QLatin1Char('0'));
    {
        std::lock_guard guard(m_mutex);
        if (failure.isEmpty()) {
            m_status = GpuCommandBufferStatus::completed;
        } else {
            m_status = GpuCommandBufferStatus::error;
            m_error = Error{GpuErrors::commandBufferDomain, GpuErrors::executionFailure, failure};
        }
    }
    for (auto &handler : m_completedHandlers)
        handler(*this);
    // Drop the references to textures, pipelines and handlers' captures now rather than whenever
    // the last owner lets go of the buffer: pooled textures go back to their cache at once.
    m_completedHandlers = {};
    m_commands = {};
    {
        std::lock_guard guard(m_mutex);
        m_handlersDone = true;
    }
    m_finished.notify_all();
}

bool GlesCommandBuffer::executePass(RenderPass &pass)
{
    const GLuint framebuffer = pass.target->framebuffer();
    if (!framebuffer)
        return false;
    const GLenum attachment = GL_COLOR_ATTACHMENT0;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, pass.target->width(), pass.target->height());
    switch (pass.loadAction) {
    case GpuLoadAction::dontCare:
        glInvalidateFramebuffer(GL_FRAMEBUFFER, 1, &attachment);
        break;
    case GpuLoadAction::load:
        break;
    case GpuLoadAction::clear:
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        break;
    }
    glBindVertexArray(m_worker->emptyVertexArray());
    bool hasPipeline = false;
    for (const RenderCommand &command : pass.commands) {
        switch (command.kind) {
        case RenderCommand::Kind::pipeline:
            glUseProgram(command.pipeline->program());
            hasPipeline = true;
            break;
        case RenderCommand::Kind::texture:
            glActiveTexture(GL_TEXTURE0 + GLenum(command.index));
            glBindTexture(GL_TEXTURE_2D, command.texture->textureName());
            break;
        case RenderCommand::Kind::sampler:
            glBindSampler(GLuint(command.index), command.sampler->name());
            break;
        case RenderCommand::Kind::bytes: {
            const GLuint buffer = m_worker->fragmentBuffer(command.index);
            glBindBuffer(GL_UNIFORM_BUFFER, buffer);
            glBufferSubData(GL_UNIFORM_BUFFER, 0, GLsizeiptr(command.length), command.bytes.data());
            glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(command.index), buffer);
            break;
        }
        case RenderCommand::Kind::draw:
            // Without a pipeline there is nothing to draw with, as on any GPU API.
            if (hasPipeline && command.vertexCount > 0)
                glDrawArrays(command.mode, command.vertexStart, command.vertexCount);
            break;
        }
    }
    if (pass.storeAction == GpuStoreAction::dontCare)
        glInvalidateFramebuffer(GL_FRAMEBUFFER, 1, &attachment);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return true;
}

bool GlesCommandBuffer::executeReadBack(const ReadBack &readBack)
{
    GlesTexture &texture = *readBack.texture;
    const GLuint framebuffer = texture.framebuffer();
    if (!framebuffer)
        return false;
    const int width = texture.width();
    const int height = texture.height();
    auto *destination = static_cast<unsigned char *>(readBack.destination);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ROW_LENGTH, GLint(readBack.bytesPerRow / 4));
    if (readBack.rowOrder == GpuRowOrder::firstRowFirst) {
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, destination);
    } else if (m_worker->usePackReverseRowOrder()) {
        glPixelStorei(GL_PACK_REVERSE_ROW_ORDER_ANGLE, GL_TRUE);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, destination);
        glPixelStorei(GL_PACK_REVERSE_ROW_ORDER_ANGLE, GL_FALSE);
    } else {
        for (int row = 0; row < height; ++row)
            glReadPixels(0, row, width, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                         destination + int64_t(height - 1 - row) * readBack.bytesPerRow);
    }
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return true;
}
