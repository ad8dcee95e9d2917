// SPDX-License-Identifier: GPL-3.0-or-later
#include "PipeWireClient.h"

#include "NodeProperties.h"
#include "platform/foundation/HostClock.h"
#include "platform/framesharing/DescriptionKeys.h"

#include <chrono>
#include <cstring>
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <thread>

namespace framesharing::pipewire {

namespace {
constexpr int bytesPerPixel = 4;
// The longest create() waits for the daemon to list its nodes.
constexpr auto listingTimeout = std::chrono::seconds(3);

// Copies height rows of width BGRA pixels from src (top-down) to dst (bottom-up), turning RGB
// order into BGR and filling alpha where the source has none.
void copyReversed(std::uint8_t *dst, int dstStride, const std::uint8_t *src, int srcStride,
                  int width, int height, uint32_t format)
{
    const bool swapRedBlue = format == SPA_VIDEO_FORMAT_RGBA || format == SPA_VIDEO_FORMAT_RGBx;
    const bool opaque = format == SPA_VIDEO_FORMAT_BGRx || format == SPA_VIDEO_FORMAT_RGBx;
    const std::size_t rowBytes = std::size_t(width) * bytesPerPixel;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t *in = src + std::intptr_t(row) * srcStride;
        std::uint8_t *out = dst + std::intptr_t(height - 1 - row) * dstStride;
        if (!swapRedBlue && !opaque) {
            std::memcpy(out, in, rowBytes);
            continue;
        }
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            out[0] = swapRedBlue ? in[2] : in[0];
            out[1] = in[1];
            out[2] = swapRedBlue ? in[0] : in[2];
            out[3] = opaque ? 0xff : in[3];
        }
    }
}
} // namespace

PipeWireClient::PipeWireClient(QString targetSerial, NewFrameHandler handler)
    : m_targetSerial(std::move(targetSerial)), m_delivery(std::make_shared<Delivery>())
{
    m_delivery->handler = std::move(handler);
    m_delivery->client = this;
    for (auto &frame : m_frames)
        frame = std::make_shared<ClientFrame>();
}

PipeWireClient::~PipeWireClient()
{
    stop();
    if (m_loop) {
        m_loop->stopAndRun([this] {
            m_registry.reset();
            m_connection.reset();
        });
        m_loop.reset();
    }
    if (m_queue && m_queue->isCurrent()) {
        // Released from its own handler: the queue's thread cannot end itself. Its remaining
        // tasks find the delivery stopped.
        std::thread([queue = m_queue.release()] { delete queue; }).detach();
    }
    m_queue.reset();
}

void PipeWireClient::start()
{
    bool serialValid = false;
    m_targetSerial.toULongLong(&serialValid);
    if (!serialValid)
        return;
    m_loop = PipeWireLoop::create("kinolith-client");
    if (!m_loop)
        return;
    m_queue = std::make_unique<SerialQueue>(QStringLiteral("FrameSharingClient"),
                                            SerialQueue::Priority::userInteractive);
    bool connected = false;
    m_loop->run([this, &connected] {
        m_connection = std::make_unique<PipeWireConnection>(
            *m_loop, PipeWireConnection::Callbacks{[this](pw_core *core) { onConnected(core); },
                                                   [this] { onLost(); },
                                                   [this](int seq) {
                                                       if (m_registry)
                                                           m_registry->onCoreDone(seq);
                                                   }});
        connected = m_connection->connect();
    });
    if (!connected)
        return;
    std::unique_lock lock(m_listedMutex);
    m_listedChanged.wait_for(lock, listingTimeout, [this] { return m_listed; });
}

void PipeWireClient::setListed()
{
    {
        std::lock_guard lock(m_listedMutex);
        m_listed = true;
    }
    m_listedChanged.notify_all();
}

void PipeWireClient::onConnected(pw_core *core)
{
    NodeRegistry::Callbacks callbacks;
    const QByteArray serial = m_targetSerial.toUtf8();
    callbacks.accept = [serial](const spa_dict *props) {
        const char *value = props ? spa_dict_lookup(props, PW_KEY_OBJECT_SERIAL) : nullptr;
        return value && serial == value && isServerNode(props);
    };
    callbacks.added = [this](const NodeRegistry::Node &) { m_targetFound = true; };
    callbacks.removed = [this](const NodeRegistry::Node &) {
        // The server went away: nothing more will come, and WirePlumber must not link us to
        // another source.
        m_valid = false;
        destroyStream();
    };
    callbacks.listed = [this, core] {
        if (m_targetFound && !m_stopped) {
            m_valid = true;
            createStream(core);
        }
        setListed();
    };
    m_registry = std::make_unique<NodeRegistry>(core, std::move(callbacks));
}

void PipeWireClient::onLost()
{
    m_valid = false;
    destroyStream();
    m_registry.reset();
    setListed();
}

void PipeWireClient::createStream(pw_core *core)
{
    const QByteArray serial = m_targetSerial.toUtf8();
    pw_properties *props = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture", PW_KEY_MEDIA_ROLE, "Camera",
        PW_KEY_APP_NAME, "Kinolith", PW_KEY_NODE_NAME, "kinolith-client",
        PW_KEY_NODE_DONT_RECONNECT, "true", nullptr);
    pw_properties_set(props, PW_KEY_TARGET_OBJECT, serial.constData());
    m_stream = pw_stream_new(core, "kinolith-client", props);
    if (!m_stream) {
        m_valid = false;
        return;
    }
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = &PipeWireClient::onStateChanged;
        e.param_changed = &PipeWireClient::onParamChanged;
        e.process = &PipeWireClient::onProcess;
        return e;
    }();
    m_streamListener = {};
    pw_stream_add_listener(m_stream, &m_streamListener, &events, this);

    uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    spa_rectangle size{1920, 1080}, minSize{1, 1}, maxSize{16384, 16384};
    spa_fraction rate{30, 1}, minRate{0, 1}, maxRate{1000, 1};
    spa_pod_frame frame;
    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(
        &builder, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_BGRA,
                               SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_RGBA, SPA_VIDEO_FORMAT_RGBx),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &minRate, &maxRate), 0);
    const spa_pod *params[] = {static_cast<const spa_pod *>(spa_pod_builder_pop(&builder, &frame))};
    if (pw_stream_connect(m_stream, PW_DIRECTION_INPUT, PW_ID_ANY,
                          pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
                          params, 1) < 0) {
        m_valid = false;
        destroyStream();
    }
}

void PipeWireClient::destroyStream()
{
    if (!m_stream)
        return;
    spa_hook_remove(&m_streamListener);
    pw_stream_destroy(m_stream);
    m_stream = nullptr;
    m_width = m_height = 0;
}

void PipeWireClient::onStateChanged(void *data, pw_stream_state, pw_stream_state state,
                                    const char *)
{
    auto *self = static_cast<PipeWireClient *>(data);
    if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED)
        self->m_valid = false;
}

void PipeWireClient::onParamChanged(void *data, uint32_t id, const spa_pod *param)
{
    auto *self = static_cast<PipeWireClient *>(data);
    if (id != SPA_PARAM_Format)
        return;
    spa_video_info_raw info{};
    uint32_t mediaType = 0, mediaSubtype = 0;
    if (!param || spa_format_parse(param, &mediaType, &mediaSubtype) < 0 ||
        mediaType != SPA_MEDIA_TYPE_video || mediaSubtype != SPA_MEDIA_SUBTYPE_raw ||
        spa_format_video_raw_parse(param, &info) < 0) {
        self->m_width = self->m_height = 0;
        return;
    }
    self->m_videoFormat = info.format;
    self->m_width = int(info.size.width);
    self->m_height = int(info.size.height);
}

void PipeWireClient::onProcess(void *data)
{
    auto *self = static_cast<PipeWireClient *>(data);
    // Only the newest buffer matters; give the older ones straight back.
    pw_buffer *newest = nullptr;
    while (pw_buffer *next = pw_stream_dequeue_buffer(self->m_stream)) {
        if (newest)
            pw_stream_queue_buffer(self->m_stream, newest);
        newest = next;
    }
    if (!newest)
        return;
    self->receive(newest);
    pw_stream_queue_buffer(self->m_stream, newest);
}

void PipeWireClient::receive(pw_buffer *buffer)
{
    const int width = m_width, height = m_height;
    if (width <= 0 || height <= 0 || buffer->buffer->n_datas < 1)
        return;
    const spa_data &plane = buffer->buffer->datas[0];
    const spa_chunk *chunk = plane.chunk;
    if (!plane.data || !chunk || chunk->size == 0 || (chunk->flags & SPA_CHUNK_FLAG_CORRUPTED))
        return;
    const int rowBytes = width * bytesPerPixel;
    const int stride = chunk->stride > 0 ? chunk->stride : int(chunk->size / uint32_t(height));
    const std::size_t offset = plane.maxsize ? chunk->offset % plane.maxsize : 0;
    const std::size_t needed = offset + std::size_t(stride) * std::size_t(height - 1) + rowBytes;
    if (stride < rowBytes || needed > plane.maxsize)
        return;

    std::shared_ptr<ClientFrame> frame;
    {
        std::lock_guard lock(m_framesMutex);
        for (const auto &candidate : m_frames) {
            if (candidate != m_newest && candidate.use_count() == 1) {
                frame = candidate;
                break;
            }
        }
    }
    if (!frame)
        return; // every frame is held by readers: drop this one
    frame->width = width;
    frame->height = height;
    frame->stride = rowBytes;
    frame->pixels.resize(std::size_t(rowBytes) * std::size_t(height));
    copyReversed(frame->pixels.data(), rowBytes,
                 static_cast<const std::uint8_t *>(plane.data) + offset, stride, width, height,
                 m_videoFormat);
    frame->sequence = ++m_received;
    frame->receivedTime = hostTime();
    {
        std::lock_guard lock(m_framesMutex);
        m_newest = std::move(frame);
    }
    if (!m_delivery->pending.exchange(true))
        m_queue->async([delivery = m_delivery] {
            delivery->pending = false;
            std::lock_guard lock(delivery->mutex);
            if (!delivery->stopped && delivery->handler)
                delivery->handler(*delivery->client);
        });
}

std::shared_ptr<const ClientFrame> PipeWireClient::newestFrame()
{
    std::lock_guard lock(m_framesMutex);
    return m_newest;
}

void PipeWireClient::stop()
{
    {
        // Waits for a handler call in progress, unless this is that call.
        std::unique_lock lock(m_delivery->mutex, std::defer_lock);
        if (!m_queue || !m_queue->isCurrent())
            lock.lock();
        if (m_delivery->stopped)
            return;
        m_delivery->stopped = true;
    }
    m_stopped = true;
    m_valid = false;
    if (m_loop)
        m_loop->run([this] { destroyStream(); });
}

} // namespace framesharing::pipewire

namespace framesharing {

std::shared_ptr<Client> Client::create(const QVariantMap &serverDescription,
                                       NewFrameHandler handler)
{
    QString serial = serverDescription.value(keys::uuid).toString();
    if (serial.isEmpty())
        serial = serverDescription.value(QStringLiteral(PW_KEY_OBJECT_SERIAL)).toString();
    auto client = std::make_shared<pipewire::PipeWireClient>(serial, std::move(handler));
    client->start();
    return client;
}

} // namespace framesharing
