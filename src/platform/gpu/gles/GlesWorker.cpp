// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesWorker.h"

#include "EglContext.h"
#include "platform/foundation/SerialQueue.h"

#include <GLES2/gl2ext.h>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

std::shared_ptr<GlesWorker> GlesWorker::create()
{
    std::shared_ptr<GlesWorker> worker(new GlesWorker);
    bool ready = false;
    worker->runAndWait([&] { ready = worker->initialise(); });
    return ready ? worker : nullptr;
}

GlesWorker::GlesWorker()
    : m_queue(std::make_unique<SerialQueue>(QStringLiteral("com.nordvane.Kinolith.gpu"),
                                            SerialQueue::Priority::userInteractive))
{}

GlesWorker::~GlesWorker()
{
    if (!isCurrent()) {
        m_queue->async([this] { teardown(); });
        m_queue.reset(); // runs what is queued, the teardown last, and joins the thread
        return;
    }
    // Dropped by one of our own tasks: the context is current here, so tear down now. The queue
    // cannot join its own thread; a helper thread ends it once the running task has returned.
    teardown();
    std::thread([queue = std::shared_ptr<SerialQueue>(std::move(m_queue))]() mutable {
        queue.reset();
    }).detach();
}

bool GlesWorker::initialise()
{
    m_context = EglContext::createCurrent();
    if (!m_context)
        return false;
    m_renderer = QString::fromUtf8(reinterpret_cast<const char *>(glGetString(GL_RENDERER)));
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_maxTextureSize);
    const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    m_packReverseRowOrder =
        extensions && std::strstr(extensions, "GL_ANGLE_pack_reverse_row_order") != nullptr;

    glGenVertexArrays(1, &m_vertexArray);
    glGenBuffers(fragmentBufferCount, m_fragmentBuffers.data());
    for (GLuint buffer : m_fragmentBuffers) {
        glBindBuffer(GL_UNIFORM_BUFFER, buffer);
        glBufferData(GL_UNIFORM_BUFFER, fragmentBufferSize, nullptr, GL_DYNAMIC_DRAW);
    }
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return glGetError() == GL_NO_ERROR;
}

void GlesWorker::teardown()
{
    if (!m_context)
        return;
    glDeleteVertexArrays(1, &m_vertexArray);
    glDeleteBuffers(fragmentBufferCount, m_fragmentBuffers.data());
    m_vertexArray = 0;
    m_fragmentBuffers = {};
    m_context.reset();
}

void GlesWorker::post(std::function<void()> task)
{
    m_queue->async(std::move(task));
}

void GlesWorker::runAndWait(const std::function<void()> &task)
{
    if (isCurrent()) {
        task();
        return;
    }
    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    m_queue->async([&] {
        task();
        std::lock_guard guard(mutex);
        done = true;
        doneChanged.notify_one();
    });
    std::unique_lock lock(mutex);
    doneChanged.wait(lock, [&] { return done; });
}

void GlesWorker::runOrPost(std::function<void()> task)
{
    if (isCurrent())
        task();
    else
        post(std::move(task));
}

bool GlesWorker::isCurrent() const
{
    return m_queue && m_queue->isCurrent();
}
