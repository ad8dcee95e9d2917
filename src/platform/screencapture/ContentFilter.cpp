// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContentFilter.h"

namespace ScreenCapture {

ContentFilter ContentFilter::display(const Display &display)
{
    ContentFilter filter;
    filter.m_kind = Kind::display;
    filter.m_display = display;
    return filter;
}

ContentFilter ContentFilter::display(const Display &display,
                                     std::vector<RunningApplication> excludingApplications)
{
    ContentFilter filter;
    filter.m_kind = Kind::displayExcludingApplications;
    filter.m_display = display;
    filter.m_excluded = std::move(excludingApplications);
    return filter;
}

ContentFilter ContentFilter::window(const Window &window)
{
    ContentFilter filter;
    filter.m_kind = Kind::window;
    filter.m_window = window;
    return filter;
}

} // namespace ScreenCapture
