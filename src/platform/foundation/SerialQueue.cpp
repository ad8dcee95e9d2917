// SPDX-License-Identifier: GPL-3.0-or-later
#include "SerialQueue.h"

#include <algorithm>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

void nameThisThread(const QString &label)
{
    // Linux keeps 15 bytes of a thread name; the end of a label is its distinctive part.
    QByteArray name = label.toUtf8();
    if (name.size() > 15)
        name = name.right(15);
    pthread_setname_np(pthread_self(), name.constData());
}

void applyPriority(SerialQueue::Priority priority)
{
    const pid_t tid = pid_t(syscall(SYS_gettid));
    switch (priority) {
    case SerialQueue::Priority::userInteractive: {
        // As far up as the process may go: RLIMIT_NICE bounds an unprivileged process, a refused
        // call leaves the thread where it was.
        int target = getpriority(PRIO_PROCESS, id_t(tid));
        rlimit limit{};
        if (geteuid() == 0)
            target = -20;
        else if (getrlimit(RLIMIT_NICE, &limit) == 0)
            target =
                limit.rlim_cur == RLIM_INFINITY ? -20 : std::min(target, 20 - int(limit.rlim_cur));
        setpriority(PRIO_PROCESS, id_t(tid), std::max(target, -20));
        break;
    }
    case SerialQueue::Priority::normal:
        break;
    case SerialQueue::Priority::background:
        setpriority(PRIO_PROCESS, id_t(tid), 10);
        break;
    }
}

} // namespace

SerialQueue::SerialQueue(QString label, Priority priority)
    : m_label(std::move(label)), m_priority(priority), m_thread([this] { run(); })
{}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SerialQueue::async(std::function<void()> task)
{
    {
        std::lock_guard guard(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

bool SerialQueue::isCurrent() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void SerialQueue::run()
{
    nameThisThread(m_label);
    applyPriority(m_priority);
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return; // stopping, and nothing left to run
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}
