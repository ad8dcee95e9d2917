// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <pipewire/core.h>
#include <pipewire/node.h>

struct spa_dict;

namespace framesharing::pipewire {

struct BoundNode;

// The daemon's node objects that pass a filter, as they come, change and go. Nodes are bound so
// their full properties (and later changes) arrive; the registry's own announcement carries only
// a few. Lives on one loop's thread; the callbacks run there.
class NodeRegistry
{
public:
    struct Node
    {
        uint32_t id = 0;
        std::uint64_t order = 0; // order of appearance
        QVariantMap properties;  // full once infoReceived
        bool infoReceived = false;
    };
    struct Callbacks
    {
        std::function<bool(const spa_dict *globalProperties)> accept;
        std::function<void(const Node &)> added;   // with the announcement's properties
        std::function<void(const Node &)> filled;  // first full properties
        std::function<void(const Node &)> changed; // later changes of the properties
        std::function<void(const Node &)> removed;
        std::function<void()> listed; // every node that existed at creation is filled
    };

    NodeRegistry(pw_core *core, Callbacks callbacks);
    ~NodeRegistry();
    NodeRegistry(const NodeRegistry &) = delete;
    NodeRegistry &operator=(const NodeRegistry &) = delete;

    bool isListed() const { return m_listed; }
    const Node *find(uint32_t id) const;
    // The application.name of the client (connection) that made a node, from its "client.id".
    QString clientApplicationName(const QVariantMap &nodeProperties) const;

    // To be called with every core done event of the owner's connection.
    void onCoreDone(int seq);

private:
    static void onGlobal(void *data, uint32_t id, uint32_t permissions, const char *type,
                         uint32_t version, const spa_dict *props);
    static void onGlobalRemove(void *data, uint32_t id);
    void onNodeInfo(BoundNode &node, const struct pw_node_info *info);

    pw_core *m_core;
    Callbacks m_callbacks;
    pw_registry *m_registry = nullptr;
    spa_hook m_registryListener{};
    std::map<uint32_t, std::unique_ptr<BoundNode>> m_nodes;
    std::map<uint32_t, QString> m_clientApplicationNames;
    std::uint64_t m_nextOrder = 0;
    int m_firstSync = -1;
    int m_secondSync = -1;
    bool m_listed = false;

    friend void onBoundNodeInfo(void *data, const pw_node_info *info);
};

// One bound node: the registry's record and the proxy that hears its info events.
struct BoundNode
{
    NodeRegistry *registry = nullptr;
    NodeRegistry::Node node;
    pw_proxy *proxy = nullptr;
    spa_hook proxyListener{};
    spa_hook nodeListener{};
    ~BoundNode();
};

} // namespace framesharing::pipewire
