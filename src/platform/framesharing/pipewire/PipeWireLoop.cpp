// SPDX-License-Identifier: GPL-3.0-or-later
#include "PipeWireLoop.h"

#include <mutex>
#include <pipewire/pipewire.h>

namespace framesharing::pipewire {

namespace {

void initPipeWire()
{
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

struct PendingTask
{
    const std::function<void()> *task;
    pw_thread_loop *threadLoop;
    bool done = false;
};

int runPendingTask(spa_loop *, bool, uint32_t, const void *data, size_t, void *)
{
    auto *pending = *static_cast<PendingTask *const *>(data);
    (*pending->task)();
    pending->done = true;
    pw_thread_loop_signal(pending->threadLoop, false);
    return 0;
}

} // namespace

std::unique_ptr<PipeWireLoop> PipeWireLoop::create(const char *name)
{
    initPipeWire();
    std::unique_ptr<PipeWireLoop> loop(new PipeWireLoop);
    loop->m_threadLoop = pw_thread_loop_new(name, nullptr);
    if (!loop->m_threadLoop)
        return nullptr;
    loop->m_context = pw_context_new(pw_thread_loop_get_loop(loop->m_threadLoop), nullptr, 0);
    if (!loop->m_context)
        return nullptr;
    if (pw_thread_loop_start(loop->m_threadLoop) < 0)
        return nullptr;
    return loop;
}

PipeWireLoop::~PipeWireLoop()
{
    if (m_threadLoop && !m_stopped)
        pw_thread_loop_stop(m_threadLoop);
    if (m_context)
        pw_context_destroy(m_context);
    if (m_threadLoop)
        pw_thread_loop_destroy(m_threadLoop);
}

pw_loop *PipeWireLoop::loop() const
{
    return pw_thread_loop_get_loop(m_threadLoop);
}

bool PipeWireLoop::isCurrentThread() const
{
    return pw_thread_loop_in_thread(m_threadLoop);
}

void PipeWireLoop::stopAndRun(const std::function<void()> &task)
{
    // On the loop's own thread (the last reference dropped in a callback) the thread cannot be
    // joined: tear down in place, as before.
    if (m_threadLoop && !m_stopped && !isCurrentThread()) {
        pw_thread_loop_stop(m_threadLoop);
        m_stopped = true;
    }
    task();
}

void PipeWireLoop::run(const std::function<void()> &task)
{
    if (isCurrentThread()) {
        task();
        return;
    }
    PendingTask pending{&task, m_threadLoop};
    PendingTask *pointer = &pending;
    Lock lock(*this);
    pw_loop_invoke(loop(), runPendingTask, 0, &pointer, sizeof pointer, false, nullptr);
    while (!pending.done)
        pw_thread_loop_wait(m_threadLoop);
}

PipeWireLoop::Lock::Lock(const PipeWireLoop &loop) : m_threadLoop(loop.m_threadLoop)
{
    pw_thread_loop_lock(m_threadLoop);
}

PipeWireLoop::Lock::~Lock()
{
    pw_thread_loop_unlock(m_threadLoop);
}

PipeWireLoop::Timer::Timer(PipeWireLoop &loop, std::function<void()> callback)
    : m_loop(loop), m_callback(std::move(callback))
{
    m_source = pw_loop_add_timer(m_loop.loop(), &Timer::onTimeout, this);
}

PipeWireLoop::Timer::~Timer()
{
    if (m_source)
        pw_loop_destroy_source(m_loop.loop(), m_source);
}

void PipeWireLoop::Timer::start(int delayMs, int intervalMs)
{
    if (!m_source)
        return;
    timespec value{delayMs / 1000, (delayMs % 1000) * 1000000L};
    if (delayMs <= 0)
        value.tv_nsec = 1; // zero would disarm the timer
    timespec interval{intervalMs / 1000, (intervalMs % 1000) * 1000000L};
    pw_loop_update_timer(m_loop.loop(), m_source, &value, &interval, false);
}

void PipeWireLoop::Timer::stop()
{
    if (!m_source)
        return;
    timespec zero{0, 0};
    pw_loop_update_timer(m_loop.loop(), m_source, &zero, &zero, false);
}

void PipeWireLoop::Timer::onTimeout(void *data, std::uint64_t)
{
    static_cast<Timer *>(data)->m_callback();
}

} // namespace framesharing::pipewire
