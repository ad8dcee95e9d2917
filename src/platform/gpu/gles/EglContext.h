// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <EGL/egl.h>
#include <memory>

// An OpenGL ES 3 context with no surface, current on the thread that made it.
//
// Display choice: the devices of EGL_EXT_platform_device, hardware before software, then Mesa's
// surfaceless platform; the first on which a GLES 3 context can be made current wins. Displays are
// process-wide in EGL and other contexts may live on the same one, so a display is never
// terminated here; only the context is destroyed.
class EglContext
{
public:
    // Null when no display gives a GLES 3 context. The context is current on the calling thread.
    static std::unique_ptr<EglContext> createCurrent();

    // Must run on the thread on which the context is current.
    ~EglContext();
    EglContext(const EglContext &) = delete;
    EglContext &operator=(const EglContext &) = delete;

private:
    EglContext(EGLDisplay display, EGLContext context) : m_display(display), m_context(context) {}

    EGLDisplay m_display;
    EGLContext m_context;
};
