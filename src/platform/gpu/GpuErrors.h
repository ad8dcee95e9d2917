// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The error domains and codes of the GPU layer's own failures, whatever backend reports them.
namespace GpuErrors {

inline const QString libraryDomain = QStringLiteral("GpuLibrary");
inline const QString renderPipelineDomain = QStringLiteral("GpuRenderPipeline");
inline const QString textureDomain = QStringLiteral("GpuTexture");
inline const QString commandBufferDomain = QStringLiteral("GpuCommandBuffer");

enum Code {
    compileFailure = 1,
    linkFailure = 2,
    functionNotFound = 3,
    invalidArgument = 4,
    outOfResources = 5,
    executionFailure = 6,
};

} // namespace GpuErrors
