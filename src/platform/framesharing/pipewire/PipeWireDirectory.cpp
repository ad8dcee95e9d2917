// SPDX-License-Identifier: GPL-3.0-or-later
#include "PipeWireDirectory.h"

#include "NodeProperties.h"
#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <chrono>

namespace framesharing::pipewire {

namespace {
// How often a directory without a daemon looks for one.
constexpr int reconnectIntervalMs = 250;
// The longest servers() waits for the daemon's first listing.
constexpr auto listingTimeout = std::chrono::seconds(3);
} // namespace

PipeWireDirectory::PipeWireDirectory(std::unique_ptr<PipeWireLoop> loop) : m_loop(std::move(loop))
{
    m_loop->run([this] {
        m_connection = std::make_unique<PipeWireConnection>(
            *m_loop, PipeWireConnection::Callbacks{[this](pw_core *core) { onConnected(core); },
                                                   [this] { onLost(); },
                                                   [this](int seq) {
                                                       if (m_registry)
                                                           m_registry->onCoreDone(seq);
                                                   }});
        m_connection->connect();
        m_connection->setReconnecting(reconnectIntervalMs);
    });
}

PipeWireDirectory::~PipeWireDirectory()
{
    m_loop->stopAndRun([this] {
        m_registry.reset();
        m_connection.reset();
    });
    m_loop.reset();
}

QList<QVariantMap> PipeWireDirectory::servers()
{
    std::unique_lock lock(m_mutex);
    // The loop's own thread (an observer of our notifications) cannot wait for the loop.
    if (!m_loop->isCurrentThread())
        m_listedChanged.wait_for(lock, listingTimeout, [this] { return m_listed || !m_connected; });
    QList<QVariantMap> list;
    list.reserve(qsizetype(m_entries.size()));
    for (const Entry &entry : m_entries)
        list.append(entry.description);
    return list;
}

bool PipeWireDirectory::isConnected() const
{
    std::lock_guard lock(m_mutex);
    return m_connected;
}

void PipeWireDirectory::onConnected(pw_core *core)
{
    {
        std::lock_guard lock(m_mutex);
        m_connected = true;
        m_listed = false;
    }
    NodeRegistry::Callbacks callbacks;
    callbacks.accept = [](const spa_dict *props) { return isServerNode(props); };
    // Listed and announced with the node's full properties: the registry's announcement carries
    // only a few (no application.name for most streams).
    callbacks.filled = [this](const NodeRegistry::Node &node) {
        const QVariantMap description =
            describeNode(node.properties, m_registry->clientApplicationName(node.properties));
        {
            std::lock_guard lock(m_mutex);
            m_entries.push_back(Entry{node.id, description});
        }
        post(announceNotification, description);
    };
    callbacks.changed = [this](const NodeRegistry::Node &node) {
        const QVariantMap description =
            describeNode(node.properties, m_registry->clientApplicationName(node.properties));
        {
            std::lock_guard lock(m_mutex);
            const auto it =
                std::find_if(m_entries.begin(), m_entries.end(),
                             [&node](const Entry &entry) { return entry.id == node.id; });
            if (it == m_entries.end())
                return;
            it->description = description;
        }
        post(updateNotification, description);
    };
    callbacks.removed = [this](const NodeRegistry::Node &node) {
        QVariantMap description;
        {
            std::lock_guard lock(m_mutex);
            const auto it =
                std::find_if(m_entries.begin(), m_entries.end(),
                             [&node](const Entry &entry) { return entry.id == node.id; });
            if (it == m_entries.end())
                return;
            description = std::move(it->description);
            m_entries.erase(it);
        }
        post(retireNotification, description);
    };
    callbacks.listed = [this] {
        {
            std::lock_guard lock(m_mutex);
            m_listed = true;
        }
        m_listedChanged.notify_all();
    };
    m_registry = std::make_unique<NodeRegistry>(core, std::move(callbacks));
}

void PipeWireDirectory::onLost()
{
    m_registry.reset();
    std::vector<Entry> retired;
    {
        std::lock_guard lock(m_mutex);
        retired.swap(m_entries);
        m_connected = false;
        m_listed = false;
    }
    m_listedChanged.notify_all();
    for (const Entry &entry : retired)
        post(retireNotification, entry.description);
}

void PipeWireDirectory::post(const QString &notification, const QVariantMap &description)
{
    NotificationCenter::defaultCenter().post(Notification{notification, this, description});
}

} // namespace framesharing::pipewire

namespace framesharing {

std::unique_ptr<Directory> Directory::create()
{
    auto loop = pipewire::PipeWireLoop::create("kinolith-directory");
    if (!loop)
        return nullptr;
    return std::make_unique<pipewire::PipeWireDirectory>(std::move(loop));
}

} // namespace framesharing
