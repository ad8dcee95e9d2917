// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NodeRegistry.h"
#include "PipeWireConnection.h"
#include "PipeWireLoop.h"
#include "platform/framesharing/Directory.h"

#include <condition_variable>
#include <mutex>
#include <vector>

namespace framesharing::pipewire {

// The directory over the daemon's registry: Video/Source and Stream/Output/Video nodes.
class PipeWireDirectory final : public Directory
{
public:
    explicit PipeWireDirectory(std::unique_ptr<PipeWireLoop> loop);
    ~PipeWireDirectory() override;

    QList<QVariantMap> servers() override;
    bool isConnected() const override;

private:
    struct Entry
    {
        uint32_t id;
        QVariantMap description;
    };

    // Loop thread.
    void onConnected(pw_core *core);
    void onLost();
    void post(const QString &notification, const QVariantMap &description);

    std::unique_ptr<PipeWireLoop> m_loop;
    std::unique_ptr<PipeWireConnection> m_connection; // loop thread
    std::unique_ptr<NodeRegistry> m_registry;         // loop thread

    // Written on the loop thread, read by servers() on any thread; guarded by m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_listedChanged;
    std::vector<Entry> m_entries;
    bool m_connected = false;
    bool m_listed = false;
};

} // namespace framesharing::pipewire
