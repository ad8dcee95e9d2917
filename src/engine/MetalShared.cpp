// SPDX-License-Identifier: GPL-3.0-or-later
#include "MetalShared.h"

namespace {

const char *const transformShader = R"glsl(
// One quad over the whole target. Clip-space y = +1 is the target's first row, where v = 0.
#ifdef KINOLITH_VERTEX_STAGE
out vec2 uv;

void v_main()
{
    const vec2 positions[4] =
        vec2[4](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));
    const vec2 coordinates[4] =
        vec2[4](vec2(0.0, 1.0), vec2(1.0, 1.0), vec2(0.0, 0.0), vec2(1.0, 0.0));
    gl_Position = vec4(positions[gl_VertexID], 0.0, 1.0);
    uv = coordinates[gl_VertexID];
}
#endif

#ifdef KINOLITH_FRAGMENT_STAGE
precision highp float;

in vec2 uv;
out vec4 color;

uniform highp sampler2D fragmentTexture0;
layout(std140) uniform FragmentBuffer0 { vec4 row0; };
layout(std140) uniform FragmentBuffer1 { vec4 row1; };

void f_main()
{
    float u2 = row0.x * uv.x + row0.y * uv.y + row0.z;
    float v2 = row1.x * uv.x + row1.y * uv.y + row1.z;
    color = texture(fragmentTexture0, vec2(u2, v2));
}
#endif
)glsl";

} // namespace

MetalShared::MetalShared(DeviceProvider deviceProvider, QString shaderSource)
    : m_deviceProvider(std::move(deviceProvider)), m_shaderSource(std::move(shaderSource))
{}

const QString &MetalShared::transformShaderSource()
{
    static const QString source = QString::fromUtf8(transformShader);
    return source;
}

Expected<void> MetalShared::ensureReady()
{
    std::lock_guard guard(m_lock);
    if (!m_device) {
        m_device = m_deviceProvider ? m_deviceProvider() : nullptr;
        if (!m_device)
            return Error{QStringLiteral("Metal"), -1, QStringLiteral("Metal device unavailable")};
    }
    // A queue or cache that cannot be made stays empty; getMetal() reports it.
    if (!m_commandQueue)
        m_commandQueue = m_device->makeCommandQueue();
    if (!m_textureCache)
        m_textureCache = m_device->makeTextureCache();
    if (!m_pipelineState || !m_samplerState)
        return buildTransformPipeline(m_device);
    return {};
}

Expected<void> MetalShared::buildTransformPipeline(const std::shared_ptr<GpuDevice> &device)
{
    auto library = device->makeLibrary(m_shaderSource);
    if (!library)
        return library.error();
    GpuRenderPipelineDescriptor descriptor;
    descriptor.library = *library;
    descriptor.vertexFunction = QStringLiteral("v_main");
    descriptor.fragmentFunction = QStringLiteral("f_main");
    descriptor.colorAttachment0PixelFormat = GpuPixelFormat::bgra8Unorm;
    auto pipeline = device->makeRenderPipelineState(descriptor);
    if (!pipeline)
        return pipeline.error();

    GpuSamplerDescriptor samplerDescriptor;
    samplerDescriptor.minFilter = GpuSamplerFilter::linear;
    samplerDescriptor.magFilter = GpuSamplerFilter::linear;
    samplerDescriptor.sAddressMode = GpuSamplerAddressMode::clampToEdge;
    samplerDescriptor.tAddressMode = GpuSamplerAddressMode::clampToEdge;
    // A sampler that cannot be made is stored empty: the next ensureReady() rebuilds both.
    m_pipelineState = *pipeline;
    m_samplerState = device->makeSamplerState(samplerDescriptor);
    return {};
}

std::optional<MetalShared::Metal> MetalShared::getMetal() const
{
    {
        std::lock_guard guard(m_lock);
        if (m_device && m_commandQueue && m_textureCache)
            return Metal{m_device, m_commandQueue, m_textureCache};
    }
    m_log.error(QStringLiteral(
        "MetalShared not ready. Call CaptureManager.ensureMetalReady() before capture."));
    return std::nullopt;
}

MetalShared::TransformPipeline MetalShared::transformPipeline() const
{
    std::lock_guard guard(m_lock);
    return {m_pipelineState, m_samplerState};
}
