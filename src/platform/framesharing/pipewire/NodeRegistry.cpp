// SPDX-License-Identifier: GPL-3.0-or-later
#include "NodeRegistry.h"

#include "NodeProperties.h"

#include <cstring>
#include <pipewire/pipewire.h>

namespace framesharing::pipewire {

void onBoundNodeInfo(void *data, const pw_node_info *info)
{
    auto *bound = static_cast<BoundNode *>(data);
    bound->registry->onNodeInfo(*bound, info);
}

namespace {

const pw_node_events nodeEvents = [] {
    pw_node_events events{};
    events.version = PW_VERSION_NODE_EVENTS;
    events.info = &onBoundNodeInfo;
    return events;
}();

const pw_registry_events registryEvents = [] {
    pw_registry_events events{};
    events.version = PW_VERSION_REGISTRY_EVENTS;
    return events;
}();

} // namespace

BoundNode::~BoundNode()
{
    if (proxy) {
        spa_hook_remove(&nodeListener);
        pw_proxy_destroy(proxy);
    }
}

NodeRegistry::NodeRegistry(pw_core *core, Callbacks callbacks)
    : m_core(core), m_callbacks(std::move(callbacks))
{
    static const pw_registry_events events = [] {
        pw_registry_events e = registryEvents;
        e.global = &NodeRegistry::onGlobal;
        e.global_remove = &NodeRegistry::onGlobalRemove;
        return e;
    }();
    m_registry = pw_core_get_registry(m_core, PW_VERSION_REGISTRY, 0);
    if (m_registry)
        pw_registry_add_listener(m_registry, &m_registryListener, &events, this);
    // Listed after two round trips: the first brings every announcement, the second the full
    // properties of the nodes bound while handling them.
    m_firstSync = pw_core_sync(m_core, PW_ID_CORE, 0);
}

NodeRegistry::~NodeRegistry()
{
    m_nodes.clear(); // node proxies before the registry
    if (m_registry) {
        spa_hook_remove(&m_registryListener);
        pw_proxy_destroy(reinterpret_cast<pw_proxy *>(m_registry));
    }
}

const NodeRegistry::Node *NodeRegistry::find(uint32_t id) const
{
    const auto it = m_nodes.find(id);
    return it == m_nodes.end() ? nullptr : &it->second->node;
}

QString NodeRegistry::clientApplicationName(const QVariantMap &nodeProperties) const
{
    bool ok = false;
    const uint32_t clientId = nodeProperties.value(QStringLiteral(PW_KEY_CLIENT_ID)).toUInt(&ok);
    const auto it = ok ? m_clientApplicationNames.find(clientId) : m_clientApplicationNames.end();
    return it == m_clientApplicationNames.end() ? QString() : it->second;
}

void NodeRegistry::onCoreDone(int seq)
{
    if (seq == m_firstSync) {
        m_firstSync = -1;
        m_secondSync = pw_core_sync(m_core, PW_ID_CORE, 0);
    } else if (seq == m_secondSync) {
        m_secondSync = -1;
        m_listed = true;
        if (m_callbacks.listed)
            m_callbacks.listed();
    }
}

void NodeRegistry::onGlobal(void *data, uint32_t id, uint32_t, const char *type, uint32_t,
                            const spa_dict *props)
{
    auto *self = static_cast<NodeRegistry *>(data);
    if (type && std::strcmp(type, PW_TYPE_INTERFACE_Client) == 0) {
        if (const char *name = props ? spa_dict_lookup(props, PW_KEY_APP_NAME) : nullptr)
            self->m_clientApplicationNames[id] = QString::fromUtf8(name);
        return;
    }
    if (!type || std::strcmp(type, PW_TYPE_INTERFACE_Node) != 0)
        return;
    if (self->m_callbacks.accept && !self->m_callbacks.accept(props))
        return;
    auto bound = std::make_unique<BoundNode>();
    bound->registry = self;
    bound->node.id = id;
    bound->node.order = self->m_nextOrder++;
    bound->node.properties = propertiesToMap(props);
    bound->proxy = static_cast<pw_proxy *>(
        pw_registry_bind(self->m_registry, id, PW_TYPE_INTERFACE_Node, PW_VERSION_NODE, 0));
    if (bound->proxy)
        pw_proxy_add_object_listener(bound->proxy, &bound->nodeListener, &nodeEvents, bound.get());
    BoundNode &node = *bound;
    self->m_nodes[id] = std::move(bound);
    if (self->m_callbacks.added)
        self->m_callbacks.added(node.node);
}

void NodeRegistry::onGlobalRemove(void *data, uint32_t id)
{
    auto *self = static_cast<NodeRegistry *>(data);
    self->m_clientApplicationNames.erase(id);
    const auto it = self->m_nodes.find(id);
    if (it == self->m_nodes.end())
        return;
    std::unique_ptr<BoundNode> bound = std::move(it->second);
    self->m_nodes.erase(it);
    if (self->m_callbacks.removed)
        self->m_callbacks.removed(bound->node);
}

void NodeRegistry::onNodeInfo(BoundNode &bound, const pw_node_info *info)
{
    if (!info || !(info->change_mask & PW_NODE_CHANGE_MASK_PROPS))
        return;
    QVariantMap properties = propertiesToMap(info->props);
    // The announcement may carry keys the info lacks (object.serial on older daemons).
    for (auto it = bound.node.properties.cbegin(); it != bound.node.properties.cend(); ++it) {
        if (!properties.contains(it.key()))
            properties.insert(it.key(), it.value());
    }
    const bool first = !bound.node.infoReceived;
    if (!first && properties == bound.node.properties)
        return;
    bound.node.properties = std::move(properties);
    bound.node.infoReceived = true;
    if (first) {
        if (m_callbacks.filled)
            m_callbacks.filled(bound.node);
    } else if (m_callbacks.changed) {
        m_callbacks.changed(bound.node);
    }
}

} // namespace framesharing::pipewire
