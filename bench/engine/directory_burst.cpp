// SPDX-License-Identifier: GPL-3.0-or-later
// How busy a burst of frame-sharing directory changes keeps the main thread.
//
// Real PipeWire nodes (40 of them, made straight with libpipewire) are listed by a session manager;
// then one node changes its description 1,000 times as fast as it can. Each change reaches the
// manager as a directory notification and becomes one main-thread refresh of the server list.
// Printed: the main thread's CPU time for the whole burst and per notification, the longest
// stretch the event loop went without running a 1 ms probe timer, and the wall time until the
// last change is listed. Run it under scripts/services.sh (it needs a PipeWire daemon).
#include "engine/CaptureManager.h"
#include "platform/foundation/HostClock.h"
#include "support/RawPipeWireNode.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace {

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

bool lists(const CaptureManager &manager, const QString &displayName)
{
    for (const auto &server : manager.syphonServers()) {
        if (server.displayName() == displayName)
            return true;
    }
    return false;
}

bool waitUntil(const std::function<bool()> &condition, double seconds)
{
    const double deadline = hostTime() + seconds;
    while (!condition()) {
        if (hostTime() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int nodeCount = 40;
    static constexpr int changes = 1000;

    std::vector<std::unique_ptr<RawPipeWireNode>> nodes;
    for (int i = 0; i < nodeCount; ++i) {
        nodes.push_back(std::make_unique<RawPipeWireNode>(RawPipeWireNode::Properties{
            {"media.class", "Video/Source"},
            {"node.name", QByteArray("bench-node-") + QByteArray::number(i)},
            {"node.description", QByteArray("Source ") + QByteArray::number(i)},
            {"application.name", "Bench"}}));
        if (!nodes.back()->isConnected()) {
            std::fprintf(stderr, "no PipeWire daemon: run under scripts/services.sh\n");
            return 1;
        }
    }

    CaptureManager manager;
    if (!waitUntil([&] { return manager.syphonServers().size() >= nodeCount; }, 20)) {
        std::fprintf(stderr, "the directory listed %d of %d nodes\n",
                     int(manager.syphonServers().size()), nodeCount);
        return 1;
    }

    int refreshes = 0;
    QObject::connect(&manager, &CaptureManager::syphonServersChanged, [&refreshes] { ++refreshes; });
    double lastTick = hostTime();
    double longestGap = 0;
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double now = hostTime();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });

    const double cpuBefore = threadCpuSeconds();
    const double wallBefore = hostTime();
    probe.start();
    lastTick = hostTime();
    // The changes come from another application: here, another thread.
    std::thread changer([&nodes] {
        for (int i = 1; i <= changes; ++i) {
            nodes.front()->updateProperties(
                {{"node.description", QByteArray("Change ") + QByteArray::number(i)}});
        }
    });
    const QString last = QStringLiteral("Bench \u2014 Change %1").arg(changes);
    const bool settled = waitUntil([&] { return lists(manager, last); }, 60);
    changer.join();
    // Let the notifications still queued behind the last change run too.
    waitUntil([] { return false; }, 0.5);
    probe.stop();
    const double wall = hostTime() - wallBefore - 0.5;
    const double cpu = threadCpuSeconds() - cpuBefore;

    std::printf("directory burst: %d property changes of one node among %d listed nodes\n", changes,
                nodeCount);
    std::printf("  last change listed: %s after %.3f s\n", settled ? "yes" : "NO", wall);
    std::printf("  main-thread refreshes: %d\n", refreshes);
    std::printf("  main-thread CPU time: %.3f s in all, %.1f us per refresh\n", cpu,
                refreshes ? cpu / refreshes * 1e6 : 0.0);
    std::printf("  longest event-loop stall (1 ms probe): %.1f ms\n", longestGap * 1e3);
    return settled ? 0 : 1;
}
