// SPDX-License-Identifier: GPL-3.0-or-later
#include "RawPipeWireNode.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

namespace {

spa_dict_item item(const QPair<QByteArray, QByteArray> &property)
{
    return SPA_DICT_ITEM_INIT(property.first.constData(), property.second.constData());
}

} // namespace

RawPipeWireNode::RawPipeWireNode(const Properties &properties)
{
    pw_init(nullptr, nullptr);
    m_loop = pw_thread_loop_new("raw-node", nullptr);
    m_context = pw_context_new(pw_thread_loop_get_loop(m_loop), nullptr, 0);
    pw_thread_loop_start(m_loop);
    pw_thread_loop_lock(m_loop);
    m_core = pw_context_connect(m_context, nullptr, 0);
    if (m_core) {
        pw_properties *props = pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", nullptr);
        for (const auto &property : properties)
            pw_properties_set(props, property.first.constData(), property.second.constData());
        m_stream = pw_stream_new(m_core, "raw-node", props);
        uint8_t storage[512];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        spa_rectangle size{64, 64};
        spa_fraction rate{30, 1};
        spa_pod_frame frame;
        spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
        spa_pod_builder_add(&builder, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
                            SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
                            SPA_FORMAT_VIDEO_format, SPA_POD_Id(SPA_VIDEO_FORMAT_BGRA),
                            SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size),
                            SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&rate), 0);
        const spa_pod *params[] = {
            static_cast<const spa_pod *>(spa_pod_builder_pop(&builder, &frame))};
        if (m_stream)
            pw_stream_connect(m_stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, PW_STREAM_FLAG_MAP_BUFFERS,
                              params, 1);
    }
    pw_thread_loop_unlock(m_loop);
}

RawPipeWireNode::~RawPipeWireNode()
{
    pw_thread_loop_lock(m_loop);
    if (m_stream)
        pw_stream_destroy(m_stream);
    if (m_core)
        pw_core_disconnect(m_core);
    pw_thread_loop_unlock(m_loop);
    pw_thread_loop_stop(m_loop);
    pw_context_destroy(m_context);
    pw_thread_loop_destroy(m_loop);
}

void RawPipeWireNode::updateProperties(const Properties &properties)
{
    QList<spa_dict_item> items;
    for (const auto &property : properties)
        items.append(item(property));
    const spa_dict dict = SPA_DICT_INIT(items.constData(), uint32_t(items.size()));
    pw_thread_loop_lock(m_loop);
    if (m_stream)
        pw_stream_update_properties(m_stream, &dict);
    pw_thread_loop_unlock(m_loop);
}
