// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlesLibrary.h"

#include "../GpuErrors.h"
#include "GlesWorker.h"

#include <QRegularExpression>
#include <vector>

Expected<std::shared_ptr<GpuLibrary>> GlesLibrary::create(GlesWorker &worker, const QString &source)
{
    std::shared_ptr<GlesLibrary> library(new GlesLibrary(source));
    QString log;
    worker.runAndWait([&] {
        for (GLenum stage : {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER}) {
            const GLuint shader = library->compileStage(stage, QString(), log);
            if (!shader)
                return;
            glDeleteShader(shader);
        }
    });
    if (!log.isEmpty())
        return Error{GpuErrors::libraryDomain, GpuErrors::compileFailure, log};
    return std::shared_ptr<GpuLibrary>(std::move(library));
}

bool GlesLibrary::hasFunction(const QString &name) const
{
    const QRegularExpression declaration(QStringLiteral("\\bvoid\\s+%1\\s*\\(\\s*(void)?\\s*\\)")
                                             .arg(QRegularExpression::escape(name)));
    return m_source.contains(declaration);
}

GLuint GlesLibrary::compileStage(GLenum stage, const QString &mainBody, QString &log) const
{
    const bool vertex = stage == GL_VERTEX_SHADER;
    // "#line 1" keeps the compiler's line numbers those of the library's own text.
    const QByteArray text =
        QStringLiteral("#version 300 es\n#define %1 1\n#line 1\n%2\nvoid main() { %3 }\n")
            .arg(vertex ? QStringLiteral("KINOLITH_VERTEX_STAGE")
                        : QStringLiteral("KINOLITH_FRAGMENT_STAGE"),
                 m_source, mainBody)
            .toUtf8();
    const GLuint shader = glCreateShader(stage);
    const char *data = text.constData();
    const GLint length = GLint(text.size());
    glShaderSource(shader, 1, &data, &length);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE)
        return shader;
    GLint logLength = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &logLength);
    std::vector<char> buffer(size_t(std::max(logLength, 1)), '\0');
    glGetShaderInfoLog(shader, GLsizei(buffer.size()), nullptr, buffer.data());
    glDeleteShader(shader);
    log = QStringLiteral("%1 stage: %2")
              .arg(vertex ? QStringLiteral("vertex") : QStringLiteral("fragment"),
                   QString::fromUtf8(buffer.data()).trimmed());
    if (log.endsWith(QLatin1String(": ")))
        log += QStringLiteral("compilation failed");
    return 0;
}
