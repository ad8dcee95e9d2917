// SPDX-License-Identifier: GPL-3.0-or-later
#include "PipeWireServer.h"

#include "NodeProperties.h"
#include "platform/foundation/HostClock.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/buffers.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

namespace framesharing::pipewire {

namespace {
constexpr int bytesPerPixel = 4;
constexpr int reconnectIntervalMs = 250;
// A new size offered while a consumer's link is being set up can be lost (PipeWire 0.3.65): the
// node keeps the old size, or gets the new one but no buffers, and publishes nothing. Some time
// after a size change the server checks and offers its formats again, a few times at most, and
// only then: offering unchanged formats to a link that has them freezes pipewiresrc.
constexpr int sizeCheckIntervalMs = 500;
constexpr int sizeOffersAfterChange = 3;
const char *const applicationName = "Kinolith";

// The formats a server offers: BGRA or BGRx at exactly width × height, frames whenever they are
// published (variable rate) and at most about 60 a second.
const spa_pod *enumFormat(spa_pod_builder &builder, int width, int height)
{
    spa_rectangle size{uint32_t(width), uint32_t(height)};
    spa_fraction rate{0, 1}, maxRate{60, 1}, minMaxRate{1, 1}, maxMaxRate{1000, 1};
    spa_pod_frame frame;
    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(&builder, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
                        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
                        SPA_FORMAT_VIDEO_format,
                        SPA_POD_CHOICE_ENUM_Id(3, SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_BGRA,
                                               SPA_VIDEO_FORMAT_BGRx),
                        SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate,
                        SPA_POD_Fraction(&rate), SPA_FORMAT_VIDEO_maxFramerate,
                        SPA_POD_CHOICE_RANGE_Fraction(&maxRate, &minMaxRate, &maxMaxRate), 0);
    return static_cast<const spa_pod *>(spa_pod_builder_pop(&builder, &frame));
}
} // namespace

// A frame out holds the loop's lock: no PipeWire callback can take its buffer's memory away
// (a consumer leaving, a new size, the daemon going) until it is given back.
struct FrameLock
{
    pw_thread_loop *threadLoop;

    static void release(const std::shared_ptr<void> &owner, void *)
    {
        pw_thread_loop_unlock(static_cast<FrameLock *>(owner.get())->threadLoop);
    }
};

PipeWireServer::PipeWireServer(const QString &name, std::unique_ptr<PipeWireLoop> loop)
    : m_name(name), m_nodeName(uniqueNodeName(name)), m_loop(std::move(loop)),
      m_frameLock(std::make_shared<FrameLock>(FrameLock{m_loop->threadLoop()}))
{
    setDescription({});
}

PipeWireServer::~PipeWireServer()
{
    m_loop->stopAndRun([this] {
        m_sizeCheckTimer.reset();
        destroyStream();
        m_registry.reset();
        m_connection.reset(); // the daemon withdraws the node with the connection
    });
    m_loop.reset();
}

bool PipeWireServer::start()
{
    bool connected = false;
    m_loop->run([this, &connected] {
        m_sizeCheckTimer =
            std::make_unique<PipeWireLoop::Timer>(*m_loop, [this] { checkNegotiatedSize(); });
        m_connection = std::make_unique<PipeWireConnection>(
            *m_loop, PipeWireConnection::Callbacks{[this](pw_core *core) { onConnected(core); },
                                                   [this] { onLost(); },
                                                   [this](int seq) {
                                                       if (m_registry)
                                                           m_registry->onCoreDone(seq);
                                                   }});
        connected = m_connection->connect();
        if (connected)
            m_connection->setReconnecting(reconnectIntervalMs);
    });
    return connected;
}

QVariantMap PipeWireServer::description() const
{
    std::lock_guard lock(m_descriptionMutex);
    return m_description;
}

void PipeWireServer::setDescription(const QVariantMap &nodeProperties)
{
    // Our own properties first; the daemon's view of the node (object.serial, ids) on top.
    QVariantMap properties{
        {QStringLiteral(PW_KEY_NODE_NAME), m_nodeName},
        {QStringLiteral(PW_KEY_NODE_DESCRIPTION), m_name},
        {QStringLiteral(PW_KEY_APP_NAME), QString::fromLatin1(applicationName)},
        {QStringLiteral(PW_KEY_MEDIA_CLASS), QStringLiteral("Video/Source")},
        {QStringLiteral(PW_KEY_MEDIA_ROLE), QStringLiteral("Camera")},
    };
    for (auto it = nodeProperties.cbegin(); it != nodeProperties.cend(); ++it)
        properties.insert(it.key(), it.value());
    const QVariantMap description = describeNode(properties);
    std::lock_guard lock(m_descriptionMutex);
    m_description = description;
}

void PipeWireServer::onConnected(pw_core *core)
{
    NodeRegistry::Callbacks callbacks;
    const QByteArray nodeName = m_nodeName.toUtf8();
    callbacks.accept = [nodeName](const spa_dict *props) {
        const char *name = props ? spa_dict_lookup(props, PW_KEY_NODE_NAME) : nullptr;
        return name && nodeName == name;
    };
    const auto update = [this](const NodeRegistry::Node &node) { setDescription(node.properties); };
    callbacks.added = update;
    callbacks.filled = update;
    callbacks.changed = update;
    callbacks.removed = [this](const NodeRegistry::Node &) { setDescription({}); };
    m_registry = std::make_unique<NodeRegistry>(core, std::move(callbacks));
    createStream(core);
}

void PipeWireServer::onLost()
{
    destroyStream();
    m_registry.reset();
    setDescription({});
}

void PipeWireServer::createStream(pw_core *core)
{
    const QByteArray nodeName = m_nodeName.toUtf8();
    const QByteArray description = m_name.toUtf8();
    pw_properties *props = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture", PW_KEY_MEDIA_ROLE, "Camera",
        PW_KEY_MEDIA_CLASS, "Video/Source", PW_KEY_APP_NAME, applicationName, nullptr);
    pw_properties_set(props, PW_KEY_NODE_NAME, nodeName.constData());
    pw_properties_set(props, PW_KEY_NODE_DESCRIPTION, description.constData());
    m_stream = pw_stream_new(core, nodeName.constData(), props);
    if (!m_stream)
        return;
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = &PipeWireServer::onStateChanged;
        e.param_changed = &PipeWireServer::onParamChanged;
        e.add_buffer = &PipeWireServer::onAddBuffer;
        e.remove_buffer = &PipeWireServer::onRemoveBuffer;
        return e;
    }();
    m_streamListener = {};
    pw_stream_add_listener(m_stream, &m_streamListener, &events, this);

    uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod *params[] = {enumFormat(builder, m_requestedWidth, m_requestedHeight)};
    if (m_stream &&
        pw_stream_connect(m_stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                          pw_stream_flags(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS),
                          params, 1) < 0)
        destroyStream();
}

void PipeWireServer::announceFormat()
{
    if (!m_stream)
        return;
    uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod *params[] = {enumFormat(builder, m_requestedWidth, m_requestedHeight)};
    pw_stream_update_params(m_stream, params, 1);
}

void PipeWireServer::checkNegotiatedSize()
{
    const bool lost = m_stream && m_formatWidth > 0 &&
                      (m_formatWidth != m_requestedWidth || m_formatHeight != m_requestedHeight ||
                       m_bufferCount == 0);
    if (!lost || m_sizeOffersLeft <= 0) {
        m_sizeCheckTimer->stop();
        return;
    }
    --m_sizeOffersLeft;
    announceFormat();
}

void PipeWireServer::destroyStream()
{
    if (!m_stream)
        return;
    spa_hook_remove(&m_streamListener);
    pw_stream_destroy(m_stream);
    m_stream = nullptr;
    ++m_generation;
    m_spare = nullptr;
    m_state = PW_STREAM_STATE_UNCONNECTED;
    m_formatWidth = m_formatHeight = 0;
    m_bufferCount = 0;
    m_streaming = false;
}

void PipeWireServer::onStateChanged(void *data, pw_stream_state, pw_stream_state state,
                                    const char *)
{
    auto *self = static_cast<PipeWireServer *>(data);
    self->m_state = state;
    self->m_streaming = state == PW_STREAM_STATE_STREAMING;
}

void PipeWireServer::onParamChanged(void *data, uint32_t id, const spa_pod *param)
{
    auto *self = static_cast<PipeWireServer *>(data);
    if (id != SPA_PARAM_Format)
        return;
    spa_video_info_raw info{};
    uint32_t mediaType = 0, mediaSubtype = 0;
    if (!param || spa_format_parse(param, &mediaType, &mediaSubtype) < 0 ||
        mediaType != SPA_MEDIA_TYPE_video || mediaSubtype != SPA_MEDIA_SUBTYPE_raw ||
        spa_format_video_raw_parse(param, &info) < 0 || info.size.width == 0 ||
        info.size.height == 0) {
        self->m_formatWidth = self->m_formatHeight = 0;
        return;
    }
    self->m_formatWidth = int(info.size.width);
    self->m_formatHeight = int(info.size.height);
    const int stride = self->m_formatWidth * bytesPerPixel;

    uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    spa_pod_frame frame;
    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers);
    spa_pod_builder_add(&builder, SPA_PARAM_BUFFERS_buffers, SPA_POD_CHOICE_RANGE_Int(4, 2, 16),
                        SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1), SPA_PARAM_BUFFERS_size,
                        SPA_POD_Int(stride * self->m_formatHeight), SPA_PARAM_BUFFERS_stride,
                        SPA_POD_Int(stride), SPA_PARAM_BUFFERS_dataType,
                        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr)),
                        0);
    const spa_pod *buffers = static_cast<const spa_pod *>(spa_pod_builder_pop(&builder, &frame));
    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta);
    spa_pod_builder_add(&builder, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
                        SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header)), 0);
    const spa_pod *meta = static_cast<const spa_pod *>(spa_pod_builder_pop(&builder, &frame));
    const spa_pod *params[] = {buffers, meta};
    pw_stream_update_params(self->m_stream, params, 2);
}

void PipeWireServer::onAddBuffer(void *data, pw_buffer *)
{
    ++static_cast<PipeWireServer *>(data)->m_bufferCount;
}

void PipeWireServer::onRemoveBuffer(void *data, pw_buffer *buffer)
{
    auto *self = static_cast<PipeWireServer *>(data);
    --self->m_bufferCount;
    // Frames of the buffers that existed so far are dropped when they come back.
    ++self->m_generation;
    if (self->m_spare == buffer)
        self->m_spare = nullptr;
}

ServerFrame PipeWireServer::beginFrame(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    pw_thread_loop_lock(m_loop->threadLoop()); // handed to the frame, or unlocked below
    pw_buffer *buffer = nullptr;
    const int stride = width * bytesPerPixel;
    if (!m_stream) {
    } else if (width != m_requestedWidth || height != m_requestedHeight) {
        m_requestedWidth = width;
        m_requestedHeight = height;
        announceFormat();
        m_sizeOffersLeft = sizeOffersAfterChange;
        m_sizeCheckTimer->start(sizeCheckIntervalMs, sizeCheckIntervalMs);
    } else if (m_state == PW_STREAM_STATE_STREAMING && m_formatWidth == width &&
               m_formatHeight == height) {
        buffer = m_spare ? std::exchange(m_spare, nullptr) : pw_stream_dequeue_buffer(m_stream);
        const spa_data *plane =
            buffer && buffer->buffer->n_datas > 0 ? &buffer->buffer->datas[0] : nullptr;
        if (buffer && (!plane || !plane->data ||
                       plane->maxsize < std::size_t(stride) * std::size_t(height))) {
            m_spare = buffer;
            buffer = nullptr;
        }
    }
    if (!buffer) {
        pw_thread_loop_unlock(m_loop->threadLoop());
        return {};
    }
    return ServerFrame(m_frameLock, buffer, m_generation, &FrameLock::release,
                       static_cast<std::uint8_t *>(buffer->buffer->datas[0].data), width, height,
                       stride);
}

bool PipeWireServer::submitFrame(ServerFrame frame)
{
    if (!frame)
        return false;
    PipeWireLoop::Lock lock(*m_loop);
    auto *buffer = static_cast<pw_buffer *>(frame.token());
    const std::uint64_t generation = frame.generation();
    const auto size = uint32_t(frame.byteSize());
    const int stride = frame.stride();
    frame.release();
    if (!m_stream || generation != m_generation)
        return false;
    spa_chunk *chunk = buffer->buffer->datas[0].chunk;
    chunk->offset = 0;
    chunk->size = size;
    chunk->stride = stride;
    chunk->flags = SPA_CHUNK_FLAG_NONE;
    if (auto *header = static_cast<spa_meta_header *>(
            spa_buffer_find_meta_data(buffer->buffer, SPA_META_Header, sizeof(spa_meta_header)))) {
        header->flags = 0;
        header->offset = 0;
        header->pts = int64_t(hostTime() * 1e9);
        header->dts_offset = 0;
        header->seq = ++m_sequence;
    }
    pw_stream_queue_buffer(m_stream, buffer);
    pw_stream_trigger_process(m_stream);
    return true;
}

void PipeWireServer::cancelFrame(ServerFrame frame)
{
    if (!frame)
        return;
    PipeWireLoop::Lock lock(*m_loop);
    auto *buffer = static_cast<pw_buffer *>(frame.token());
    const std::uint64_t generation = frame.generation();
    frame.release();
    if (!m_stream || generation != m_generation)
        return;
    if (!m_spare) {
        m_spare = buffer;
        return;
    }
    // Only one frame is out at a time; should a second come back, send it as an empty chunk
    // that consumers skip.
    spa_chunk *chunk = buffer->buffer->datas[0].chunk;
    chunk->size = 0;
    chunk->flags = SPA_CHUNK_FLAG_CORRUPTED;
    pw_stream_queue_buffer(m_stream, buffer);
}

} // namespace framesharing::pipewire

namespace framesharing {

std::shared_ptr<Server> Server::create(const QString &name)
{
    auto loop = pipewire::PipeWireLoop::create("kinolith-server");
    if (!loop)
        return nullptr;
    auto server = std::make_shared<pipewire::PipeWireServer>(name, std::move(loop));
    if (!server->start())
        return nullptr;
    return server;
}

} // namespace framesharing
