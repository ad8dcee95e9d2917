// SPDX-License-Identifier: GPL-3.0-or-later
#include "EglContext.h"

#include <EGL/eglext.h>
#include <GLES3/gl3.h>
#include <cstring>
#include <vector>

namespace {

bool hasExtension(const char *extensions, const char *name)
{
    if (!extensions)
        return false;
    const size_t length = std::strlen(name);
    for (const char *p = extensions; (p = std::strstr(p, name)); p += length) {
        const bool startsWord = p == extensions || p[-1] == ' ';
        const bool endsWord = p[length] == ' ' || p[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

std::vector<EGLDisplay> candidateDisplays()
{
    const char *clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay || !hasExtension(clientExtensions, "EGL_EXT_platform_base"))
        return {};

    std::vector<EGLDisplay> hardware, software;
    auto queryDevices =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    auto queryDeviceString = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(
        eglGetProcAddress("eglQueryDeviceStringEXT"));
    if (hasExtension(clientExtensions, "EGL_EXT_platform_device") && queryDevices &&
        queryDeviceString) {
        EGLint count = 0;
        if (queryDevices(0, nullptr, &count) && count > 0) {
            std::vector<EGLDeviceEXT> devices(size_t(count), nullptr);
            if (queryDevices(count, devices.data(), &count)) {
                devices.resize(size_t(count));
                for (EGLDeviceEXT device : devices) {
                    EGLDisplay display =
                        getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr);
                    if (display == EGL_NO_DISPLAY)
                        continue;
                    const char *deviceExtensions = queryDeviceString(device, EGL_EXTENSIONS);
                    (hasExtension(deviceExtensions, "EGL_MESA_device_software") ? software
                                                                                : hardware)
                        .push_back(display);
                }
            }
        }
    }
    std::vector<EGLDisplay> displays = hardware;
    displays.insert(displays.end(), software.begin(), software.end());
    if (hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY)
            displays.push_back(display);
    }
    return displays;
}

EGLContext makeCurrentGles3Context(EGLDisplay display)
{
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor))
        return EGL_NO_CONTEXT;
    const char *extensions = eglQueryString(display, EGL_EXTENSIONS);
    const bool configless = hasExtension(extensions, "EGL_KHR_no_config_context") ||
                            hasExtension(extensions, "EGL_MESA_configless_context");
    if (!configless || !hasExtension(extensions, "EGL_KHR_surfaceless_context"))
        return EGL_NO_CONTEXT;
    if (!eglBindAPI(EGL_OPENGL_ES_API))
        return EGL_NO_CONTEXT;
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0,
                                 EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT)
        return EGL_NO_CONTEXT;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        eglDestroyContext(display, context);
        return EGL_NO_CONTEXT;
    }
    GLint glMajor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &glMajor);
    if (glMajor < 3) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
        return EGL_NO_CONTEXT;
    }
    return context;
}

} // namespace

std::unique_ptr<EglContext> EglContext::createCurrent()
{
    for (EGLDisplay display : candidateDisplays()) {
        EGLContext context = makeCurrentGles3Context(display);
        if (context != EGL_NO_CONTEXT)
            return std::unique_ptr<EglContext>(new EglContext(display, context));
    }
    return nullptr;
}

EglContext::~EglContext()
{
    eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(m_display, m_context);
    eglReleaseThread();
}
