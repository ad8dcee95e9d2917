// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

struct pw_context;
struct pw_loop;
struct pw_thread_loop;
struct spa_source;

namespace framesharing::pipewire {

// A PipeWire thread loop with its context: the thread every PipeWire object of one server,
// client or directory lives on. PipeWire objects are created, used and destroyed on that thread
// (run()) or, for short calls, from another thread holding the loop's lock (Lock).
class PipeWireLoop
{
public:
    // A running loop, or null when PipeWire cannot make one.
    static std::unique_ptr<PipeWireLoop> create(const char *name);
    // Stops the thread. Must not be called on the loop's own thread.
    ~PipeWireLoop();
    PipeWireLoop(const PipeWireLoop &) = delete;
    PipeWireLoop &operator=(const PipeWireLoop &) = delete;

    pw_loop *loop() const;
    pw_context *context() const { return m_context; }
    pw_thread_loop *threadLoop() const { return m_threadLoop; }
    bool isCurrentThread() const;

    // Runs task on the loop's thread and returns when it has run; runs it at once when called
    // there. Must not be called while holding the lock.
    void run(const std::function<void()> &task);

    // Ends the loop's thread, then runs task on the calling thread: for tearing down the objects
    // of the loop. Destroying a connection from inside the running loop let the loop dispatch
    // one more event to the destroyed connection (a crash in protocol-native on 0.3.65); with
    // the thread ended nothing runs concurrently. On the loop's own thread it just runs task.
    void stopAndRun(const std::function<void()> &task);

    class Lock
    {
    public:
        explicit Lock(const PipeWireLoop &loop);
        ~Lock();
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        pw_thread_loop *m_threadLoop;
    };

    // A timer on the loop, owned; callbacks run on the loop's thread. Create and destroy on the
    // loop's thread; arm and stop there or with the loop's lock held.
    class Timer
    {
    public:
        Timer(PipeWireLoop &loop, std::function<void()> callback);
        ~Timer();
        Timer(const Timer &) = delete;
        Timer &operator=(const Timer &) = delete;
        // Fires after delayMs, then every intervalMs (0: once).
        void start(int delayMs, int intervalMs = 0);
        void stop();

    private:
        static void onTimeout(void *data, std::uint64_t expirations);
        PipeWireLoop &m_loop;
        std::function<void()> m_callback;
        spa_source *m_source = nullptr;
    };

private:
    PipeWireLoop() = default;

    pw_thread_loop *m_threadLoop = nullptr;
    bool m_stopped = false; // stopAndRun() ended the thread
    pw_context *m_context = nullptr;
};

} // namespace framesharing::pipewire
