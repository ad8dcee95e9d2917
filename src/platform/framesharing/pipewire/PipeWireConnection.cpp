// SPDX-License-Identifier: GPL-3.0-or-later
#include "PipeWireConnection.h"

#include <cerrno>
#include <pipewire/pipewire.h>

namespace framesharing::pipewire {

namespace {

const pw_core_events coreEvents = [] {
    pw_core_events events{};
    events.version = PW_VERSION_CORE_EVENTS;
    return events;
}();

} // namespace

PipeWireConnection::PipeWireConnection(PipeWireLoop &loop, Callbacks callbacks)
    : m_loop(loop), m_callbacks(std::move(callbacks)),
      m_teardownTimer(loop, [this] { teardown(); }), m_retryTimer(loop, [this] { connect(); })
{}

PipeWireConnection::~PipeWireConnection()
{
    if (m_core) {
        spa_hook_remove(&m_coreListener);
        pw_core_disconnect(m_core);
    }
}

bool PipeWireConnection::connect()
{
    if (m_core)
        return true;
    m_core = pw_context_connect(m_loop.context(), nullptr, 0);
    if (!m_core)
        return false;
    m_retryTimer.stop();
    static const pw_core_events events = [] {
        pw_core_events e = coreEvents;
        e.done = &PipeWireConnection::onCoreDone;
        e.error = &PipeWireConnection::onCoreError;
        return e;
    }();
    m_coreListener = {};
    pw_core_add_listener(m_core, &m_coreListener, &events, this);
    if (m_callbacks.connected)
        m_callbacks.connected(m_core);
    return true;
}

void PipeWireConnection::setReconnecting(int retryMs)
{
    m_retryMs = retryMs;
    if (!m_core && m_retryMs > 0)
        m_retryTimer.start(m_retryMs, m_retryMs);
}

int PipeWireConnection::sync()
{
    return m_core ? pw_core_sync(m_core, PW_ID_CORE, 0) : -1;
}

void PipeWireConnection::onCoreDone(void *data, uint32_t id, int seq)
{
    auto *self = static_cast<PipeWireConnection *>(data);
    if (id == PW_ID_CORE && self->m_callbacks.done)
        self->m_callbacks.done(seq);
}

void PipeWireConnection::onCoreError(void *data, uint32_t id, int, int res, const char *)
{
    auto *self = static_cast<PipeWireConnection *>(data);
    // The daemon went away. Tearing the core down inside its own event is not allowed: do it
    // from the loop, right after this dispatch.
    if (id == PW_ID_CORE && res == -EPIPE)
        self->m_teardownTimer.start(0);
}

void PipeWireConnection::teardown()
{
    if (!m_core)
        return;
    if (m_callbacks.lost)
        m_callbacks.lost();
    spa_hook_remove(&m_coreListener);
    pw_core_disconnect(m_core);
    m_core = nullptr;
    if (m_retryMs > 0)
        m_retryTimer.start(m_retryMs, m_retryMs);
}

} // namespace framesharing::pipewire
