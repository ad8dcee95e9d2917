// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <GLES3/gl3.h>
#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <memory>

class EglContext;
class SerialQueue;

// The thread that owns the device's GL context. Every GL call of the backend runs here, as a task
// of one serial queue: texture creation and uploads, command buffers at commit, read-backs and the
// deletion of GL objects. Tasks run in the order they were posted, whichever thread posted them,
// which makes the command queue's commit order and every upload-before-use order hold.
class GlesWorker
{
public:
    static constexpr int fragmentBufferCount = 4;
    static constexpr GLsizeiptr fragmentBufferSize = 64;

    // Null when no EGL display gives an OpenGL ES 3 context.
    static std::shared_ptr<GlesWorker> create();

    // Posts the context's teardown and ends the thread after the tasks already posted. The last
    // reference may be dropped on any thread, the worker's own included.
    ~GlesWorker();
    GlesWorker(const GlesWorker &) = delete;
    GlesWorker &operator=(const GlesWorker &) = delete;

    void post(std::function<void()> task);
    // Runs task on the worker and returns when it is done; runs it inline on the worker itself.
    void runAndWait(const std::function<void()> &task);
    // Runs task now when called on the worker, else posts it.
    void runOrPost(std::function<void()> task);
    bool isCurrent() const;

    // Fixed once create() returned; readable from any thread.
    const QString &renderer() const { return m_renderer; }
    int maxTextureSize() const { return m_maxTextureSize; }
    bool hasPackReverseRowOrder() const { return m_packReverseRowOrder; }

    // Worker thread only: the objects every render pass uses.
    GLuint emptyVertexArray() const { return m_vertexArray; }
    GLuint fragmentBuffer(int index) const { return m_fragmentBuffers[size_t(index)]; }
    bool usePackReverseRowOrder() const
    {
        return m_packReverseRowOrder && m_packReverseRowOrderAllowed.load();
    }
    // Any thread: tests turn the ANGLE read-back extension off to run the row-by-row path.
    void setPackReverseRowOrderAllowed(bool allowed) { m_packReverseRowOrderAllowed = allowed; }

private:
    GlesWorker();
    bool initialise(); // on the worker
    void teardown();   // on the worker

    std::unique_ptr<SerialQueue> m_queue;

    // Written by initialise() before create() returns, read-only afterwards.
    QString m_renderer;
    int m_maxTextureSize = 0;
    bool m_packReverseRowOrder = false;

    // Worker thread only.
    std::unique_ptr<EglContext> m_context;
    GLuint m_vertexArray = 0;
    std::array<GLuint, fragmentBufferCount> m_fragmentBuffers{};

    std::atomic<bool> m_packReverseRowOrderAllowed = true; // any thread
};
