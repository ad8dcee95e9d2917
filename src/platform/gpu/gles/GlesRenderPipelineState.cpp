// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesRenderPipelineState.h"

#include "../GpuErrors.h"
#include "../GpuRenderCommandEncoder.h"
#include "GlesLibrary.h"
#include "GlesWorker.h"

#include <optional>
#include <vector>

namespace {

// Links the two stages and binds the named slots; worker thread only.
GLuint linkProgram(const GlesLibrary &library, const QString &vertexFunction,
                   const QString &fragmentFunction, std::optional<Error> &error)
{
    QString log;
    const GLuint vertex = library.compileStage(
        GL_VERTEX_SHADER,
        QStringLiteral("%1(); gl_Position.y = -gl_Position.y;").arg(vertexFunction), log);
    if (!vertex) {
        error = Error{GpuErrors::libraryDomain, GpuErrors::compileFailure, log};
        return 0;
    }
    const GLuint fragment = library.compileStage(
        GL_FRAGMENT_SHADER, QStringLiteral("%1();").arg(fragmentFunction), log);
    if (!fragment) {
        glDeleteShader(vertex);
        error = Error{GpuErrors::libraryDomain, GpuErrors::compileFailure, log};
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        GLint logLength = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &logLength);
        std::vector<char> buffer(size_t(std::max(logLength, 1)), '\0');
        glGetProgramInfoLog(program, GLsizei(buffer.size()), nullptr, buffer.data());
        glDeleteProgram(program);
        error = Error{GpuErrors::renderPipelineDomain, GpuErrors::linkFailure,
                      QString::fromUtf8(buffer.data()).trimmed()};
        return 0;
    }

    glUseProgram(program);
    for (int index = 0; index < GpuRenderCommandEncoder::maxFragmentTextures; ++index) {
        const QByteArray name = "fragmentTexture" + QByteArray::number(index);
        const GLint location = glGetUniformLocation(program, name.constData());
        if (location >= 0)
            glUniform1i(location, index);
    }
    for (int index = 0; index < GpuRenderCommandEncoder::maxFragmentBuffers; ++index) {
        const QByteArray name = "FragmentBuffer" + QByteArray::number(index);
        const GLuint block = glGetUniformBlockIndex(program, name.constData());
        if (block != GL_INVALID_INDEX)
            glUniformBlockBinding(program, block, GLuint(index));
    }
    glUseProgram(0);
    return program;
}

} // namespace

Expected<std::shared_ptr<GpuRenderPipelineState>>
GlesRenderPipelineState::create(std::shared_ptr<GlesWorker> worker,
                                const GpuRenderPipelineDescriptor &descriptor)
{
    const auto *library = dynamic_cast<const GlesLibrary *>(descriptor.library.get());
    if (!library)
        return Error{GpuErrors::renderPipelineDomain, GpuErrors::invalidArgument,
                     QStringLiteral("The pipeline has no library of this device")};
    for (const QString &function : {descriptor.vertexFunction, descriptor.fragmentFunction}) {
        if (!library->hasFunction(function))
            return Error{GpuErrors::libraryDomain, GpuErrors::functionNotFound,
                         QStringLiteral("Function \"%1\" not found in the library").arg(function)};
    }
    std::optional<Error> error;
    GLuint program = 0;
    worker->runAndWait([&] {
        program =
            linkProgram(*library, descriptor.vertexFunction, descriptor.fragmentFunction, error);
    });
    if (!program)
        return *error;
    return std::shared_ptr<GpuRenderPipelineState>(new GlesRenderPipelineState(
        std::move(worker), descriptor.vertexFunction, descriptor.fragmentFunction, program));
}

GlesRenderPipelineState::~GlesRenderPipelineState()
{
    m_worker->runOrPost([program = m_program] { glDeleteProgram(program); });
}
