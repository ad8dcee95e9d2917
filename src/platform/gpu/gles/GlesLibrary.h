// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../GpuLibrary.h"
#include "platform/foundation/Error.h"

#include <GLES3/gl3.h>
#include <memory>

class GlesWorker;

// GLSL ES 3.00 source, checked by compiling both stages when the library is made. A pipeline
// compiles each stage again with a main() that calls the chosen entry point.
class GlesLibrary final : public GpuLibrary
{
public:
    static Expected<std::shared_ptr<GpuLibrary>> create(GlesWorker &worker, const QString &source);

    const QString &source() const override { return m_source; }
    bool hasFunction(const QString &name) const;

    // Worker thread only: compiles the stage (GL_VERTEX_SHADER or GL_FRAGMENT_SHADER) of the
    // library's text followed by mainBody. Returns the shader, or 0 with the compiler's log.
    GLuint compileStage(GLenum stage, const QString &mainBody, QString &log) const;

private:
    explicit GlesLibrary(QString source) : m_source(std::move(source)) {}

    const QString m_source;
};
