// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PipeWireLoop.h"

#include <functional>
#include <pipewire/core.h>

namespace framesharing::pipewire {

// A connection to the PipeWire daemon on one loop. It notices the daemon going away (a core
// error -EPIPE), tears down and, if asked to, connects again as soon as the daemon is back.
// Everything here, the callbacks included, runs on the loop's thread.
class PipeWireConnection
{
public:
    struct Callbacks
    {
        std::function<void(pw_core *core)> connected; // the core is fresh; build on it
        std::function<void()> lost;        // destroy what was built on the core; it goes next
        std::function<void(int seq)> done; // answer to sync()
    };

    PipeWireConnection(PipeWireLoop &loop, Callbacks callbacks);
    ~PipeWireConnection();
    PipeWireConnection(const PipeWireConnection &) = delete;
    PipeWireConnection &operator=(const PipeWireConnection &) = delete;

    // Connects now; true on success (the connected callback has run).
    bool connect();
    // Keep trying to connect every retryMs while disconnected.
    void setReconnecting(int retryMs);

    pw_core *core() const { return m_core; }
    bool isConnected() const { return m_core != nullptr; }
    // A round trip to the daemon: done(seq) follows once it has handled everything sent before.
    int sync();

private:
    static void onCoreDone(void *data, uint32_t id, int seq);
    static void onCoreError(void *data, uint32_t id, int seq, int res, const char *message);
    void teardown();

    PipeWireLoop &m_loop;
    Callbacks m_callbacks;
    pw_core *m_core = nullptr;
    spa_hook m_coreListener{};
    int m_retryMs = 0;
    PipeWireLoop::Timer m_teardownTimer;
    PipeWireLoop::Timer m_retryTimer;
};

} // namespace framesharing::pipewire
