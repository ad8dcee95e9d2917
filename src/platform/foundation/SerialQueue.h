// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A queue that runs its tasks one at a time, in the order they were added, on a thread of its
// own. The capture path gives each running session one, so its frames never overlap.
class SerialQueue
{
public:
    enum class Priority {
        userInteractive, // the highest scheduling priority the process may use
        normal,
        background,
    };

    SerialQueue(QString label, Priority priority);
    // Runs the tasks already added, then ends the thread. Must not be called from a task of this
    // queue.
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    const QString &label() const { return m_label; }
    Priority priority() const { return m_priority; }

    void async(std::function<void()> task);

    // True on the queue's own thread, that is inside one of its tasks.
    bool isCurrent() const;

private:
    void run();

    const QString m_label;
    const Priority m_priority;

    std::mutex m_mutex; // guards m_tasks and m_stopping
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_stopping = false;

    std::thread m_thread; // last: starts once everything above exists
};
