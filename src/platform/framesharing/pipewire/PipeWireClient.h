// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NodeRegistry.h"
#include "PipeWireConnection.h"
#include "PipeWireLoop.h"
#include "platform/foundation/SerialQueue.h"
#include "platform/framesharing/Client.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <pipewire/stream.h>

namespace framesharing::pipewire {

// A client as a PipeWire input stream linked to the server's node (target.object = its serial).
// Frames are copied, rows reversed, out of the stream's buffer on the loop thread into one of a
// few reused frames; the handler then runs on the client's SerialQueue.
class PipeWireClient final : public Client
{
public:
    PipeWireClient(QString targetSerial, NewFrameHandler handler);
    ~PipeWireClient() override;

    // Connects and waits (bounded) for the daemon to say whether the server exists.
    void start();

    bool isValid() const override { return m_valid.load(); }
    std::shared_ptr<const ClientFrame> newestFrame() override;
    void stop() override;

private:
    // What the handler's tasks share with the client; outlives it when a task is still queued.
    struct Delivery
    {
        std::mutex mutex;     // held while the handler runs
        bool stopped = false; // guarded by mutex
        std::atomic<bool> pending{false};
        NewFrameHandler handler;
        Client *client = nullptr;
    };

    // Loop thread.
    void onConnected(pw_core *core);
    void onLost();
    void createStream(pw_core *core);
    void destroyStream();
    void receive(pw_buffer *buffer);
    void setListed();
    void deliver();

    static void onStateChanged(void *data, pw_stream_state old, pw_stream_state state,
                               const char *error);
    static void onParamChanged(void *data, uint32_t id, const spa_pod *param);
    static void onProcess(void *data);

    const QString m_targetSerial;
    std::shared_ptr<Delivery> m_delivery;
    std::unique_ptr<SerialQueue> m_queue;
    std::unique_ptr<PipeWireLoop> m_loop;

    // Loop thread.
    std::unique_ptr<PipeWireConnection> m_connection;
    std::unique_ptr<NodeRegistry> m_registry; // watches the server's node
    bool m_targetFound = false;
    pw_stream *m_stream = nullptr;
    spa_hook m_streamListener{};
    uint32_t m_videoFormat = 0;
    int m_width = 0;
    int m_height = 0;
    std::uint64_t m_received = 0;

    std::atomic<bool> m_valid{false};   // written on the loop thread and by stop(), read anywhere
    std::atomic<bool> m_stopped{false}; // set by stop(), read on the loop thread

    // Set once the daemon listed its nodes (or could not); guarded by m_listedMutex.
    std::mutex m_listedMutex;
    std::condition_variable m_listedChanged;
    bool m_listed = false;

    // The reused frames. m_newest is the one newestFrame() hands out; the loop thread writes only
    // into a frame nobody else holds. Guarded by m_framesMutex (never held during a copy).
    std::mutex m_framesMutex;
    std::array<std::shared_ptr<ClientFrame>, 3> m_frames;
    std::shared_ptr<ClientFrame> m_newest;
};

} // namespace framesharing::pipewire
