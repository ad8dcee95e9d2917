// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbContentQuery.h"

#include "XcbConnection.h"
#include "XcbWindowList.h"

#include <QFile>
#include <algorithm>
#include <map>

namespace ScreenCapture {

namespace {

QString processName(int32_t pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

} // namespace

ShareableContent XcbContentQuery::read(const XcbConnection &connection,
                                       ShareableContent::Options options)
{
    ShareableContent content;
    const std::vector<XcbMonitor> monitors = connection.monitors();
    for (const XcbMonitor &monitor : monitors)
        content.displays.push_back(Display{monitor.id});

    std::vector<XcbWindowInfo> infos =
        XcbWindowList::describe(connection, XcbWindowList::clientWindows(connection), true);
    std::reverse(infos.begin(), infos.end()); // front-most first

    // Applications come from every client window, listed or not, so that excluding "every other
    // application" also hides windows that are off screen when the list is read.
    std::map<int32_t, size_t> applicationIndex;
    for (const XcbWindowInfo &info : infos) {
        if (!info.pid)
            continue;
        auto [it, inserted] = applicationIndex.try_emplace(*info.pid, content.applications.size());
        if (inserted)
            content.applications.push_back(RunningApplication{*info.pid, info.className});
        else if (content.applications[it->second].applicationName.isEmpty())
            content.applications[it->second].applicationName = info.className;
    }
    for (RunningApplication &application : content.applications) {
        if (application.applicationName.isEmpty())
            application.applicationName = processName(application.processID);
    }

    for (const XcbWindowInfo &info : infos) {
        const bool onAMonitor =
            std::any_of(monitors.begin(), monitors.end(), [&](const XcbMonitor &monitor) {
                return monitor.rect.intersects(info.rect);
            });
        Window window;
        window.windowID = info.id;
        window.title = info.title;
        window.isOnScreen = info.viewable && !info.hidden && onAMonitor;
        if (info.pid)
            window.owningApplication = content.applications[applicationIndex.at(*info.pid)];
        if (options.onScreenWindowsOnly && !window.isOnScreen)
            continue;
        if (options.excludingDesktopWindows && info.desktop)
            continue;
        content.windows.push_back(std::move(window));
    }
    return content;
}

} // namespace ScreenCapture
