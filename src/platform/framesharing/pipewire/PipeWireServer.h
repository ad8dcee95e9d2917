// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NodeRegistry.h"
#include "PipeWireConnection.h"
#include "PipeWireLoop.h"
#include "platform/framesharing/Server.h"

#include <atomic>
#include <mutex>
#include <pipewire/stream.h>

namespace framesharing::pipewire {

struct FrameLock;

// A server as a PipeWire Video/Source node that drives its own graph: one graph cycle per
// submitted frame. A frame is written straight into a dequeued stream buffer. While it is out
// the server's own loop is held (its lock), so nothing can take the buffer's memory away; no
// other server's or client's loop is affected. When the daemon goes away the node is gone and
// nothing is handed out; when it comes back the node is made anew (with a new uuid).
class PipeWireServer final : public Server
{
public:
    PipeWireServer(const QString &name, std::unique_ptr<PipeWireLoop> loop);
    ~PipeWireServer() override;

    // Connects; false without a daemon.
    bool start();

    QString name() const override { return m_name; }
    QVariantMap description() const override;
    bool isStreaming() const override { return m_streaming.load(); }
    ServerFrame beginFrame(int width, int height) override;
    bool submitFrame(ServerFrame frame) override;
    void cancelFrame(ServerFrame frame) override;

private:
    // Loop thread (or the loop's lock held).
    void onConnected(pw_core *core);
    void onLost();
    void createStream(pw_core *core);
    void destroyStream();
    void announceFormat();
    void checkNegotiatedSize();
    void setDescription(const QVariantMap &nodeProperties);

    static void onStateChanged(void *data, pw_stream_state old, pw_stream_state state,
                               const char *error);
    static void onParamChanged(void *data, uint32_t id, const spa_pod *param);
    static void onAddBuffer(void *data, pw_buffer *buffer);
    static void onRemoveBuffer(void *data, pw_buffer *buffer);

    const QString m_name;
    const QString m_nodeName;
    std::unique_ptr<PipeWireLoop> m_loop;

    // Loop thread, or another thread holding the loop's lock.
    std::unique_ptr<PipeWireConnection> m_connection;
    std::unique_ptr<NodeRegistry> m_registry;              // finds our node's serial
    std::unique_ptr<PipeWireLoop::Timer> m_sizeCheckTimer; // after a new size: was it taken?
    pw_stream *m_stream = nullptr;
    spa_hook m_streamListener{};
    pw_stream_state m_state = PW_STREAM_STATE_UNCONNECTED;
    int m_requestedWidth = 1920; // the size we offer
    int m_requestedHeight = 1080;
    int m_formatWidth = 0; // the size negotiated, 0 while none is
    int m_formatHeight = 0;
    int m_bufferCount = 0;          // the stream's buffers for the negotiated format
    int m_sizeOffersLeft = 0;       // how often the size may still be offered again
    std::uint64_t m_generation = 0; // changes whenever buffers go; frames of older ones are dropped
    pw_buffer *m_spare = nullptr;   // dequeued, cancelled, handed out next
    std::uint64_t m_sequence = 0;

    std::atomic<bool> m_streaming{false};   // written on the loop thread, read anywhere
    std::shared_ptr<FrameLock> m_frameLock; // how a frame out gives the loop's lock back

    mutable std::mutex m_descriptionMutex; // guards m_description (loop thread writes)
    QVariantMap m_description;
};

} // namespace framesharing::pipewire
