// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Display.h"
#include "RunningApplication.h"
#include "Window.h"

#include <vector>

namespace ScreenCapture {

// What a stream captures, in one of three forms:
// - a whole display;
// - a display showing only the windows of the applications not excluded, over black;
// - one window on its own, whatever covers it and wherever it is.
class ContentFilter
{
public:
    enum class Kind {
        display,
        displayExcludingApplications,
        window,
    };

    // The display with no excluded windows.
    static ContentFilter display(const Display &display);
    // The display without the windows of the given applications. Windows excepted from the
    // exclusion are not supported: pass none.
    static ContentFilter display(const Display &display,
                                 std::vector<RunningApplication> excludingApplications);
    // One window, independent of any display.
    static ContentFilter window(const Window &window);

    Kind kind() const { return m_kind; }
    // For the two display forms.
    const Display &capturedDisplay() const { return m_display; }
    const std::vector<RunningApplication> &excludedApplications() const { return m_excluded; }
    // For the window form.
    const Window &capturedWindow() const { return m_window; }

private:
    ContentFilter() = default;

    Kind m_kind = Kind::display;
    Display m_display;
    std::vector<RunningApplication> m_excluded;
    Window m_window;
};

} // namespace ScreenCapture
