// SPDX-License-Identifier: GPL-3.0-or-later
// How busy eight running 1080p sessions keep the interface's main thread.
//
// The application's own main window (with its own session manager) gets eight sessions, all
// pointed at one 1920 x 1080 X window whose pixels a helper thread keeps touching, so that frames
// keep coming. Once all eight run, the bench measures for a fixed time:
//   - the main thread's CPU time per wall-clock second (its busy time), and the whole process's;
//   - the longest stretch the event loop went without running a 1 ms probe timer;
//   - the preview updates the sessions delivered (previewImageChanged) and, per preview update,
//     the views made or destroyed (items of the window's tree that appear or disappear) and the
//     frames the window drew;
//   - as the reference, a memcpy of one 1080p RGBA frame, timed in the same run.
// Run it under scripts/services.sh (it needs Xvfb and PipeWire): bench/ui/run_ui_responsiveness.
// Arguments: [seconds to measure, default 10] [sessions, default 8].
#include "../../tests/ui/UiFixture.h"
#include "engine/CaptureManager.h"
#include "engine/CaptureSession.h"
#include "platform/foundation/HostClock.h"
#include "support/XTestWindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

namespace {

double cpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void collectItems(QQuickItem *item, QSet<QQuickItem *> &items)
{
    items.insert(item);
    for (QQuickItem *child : item->childItems())
        collectItems(child, items);
}

// Seconds for one memcpy of a 1080p RGBA frame, the best of a few.
double memcpyReference()
{
    const size_t bytes = size_t(1920) * 1080 * 4;
    std::vector<uint8_t> from(bytes, 0x5a), to(bytes);
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        const double start = hostTime();
        std::memcpy(to.data(), from.data(), bytes);
        best = std::min(best, hostTime() - start);
        from[size_t(i)] = to[bytes - 1 - size_t(i)];
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int sessionCount = argc > 2 ? std::atoi(argv[2]) : 8;

    XTestWindow::Options options;
    options.rect = QRect(0, 0, 1920, 1080);
    options.title = QStringLiteral("Bench");
    options.wmClassInstance = "bench";
    options.wmClassName = "Bench";
    options.pid = 5401;
    XTestWindow source(options);
    if (!source.isValid()) {
        std::fprintf(stderr, "bench: no X window (is DISPLAY set?)\n");
        return 1;
    }

    UiFixture fixture;
    if (!fixture.load() || !QTest::qWaitForWindowExposed(fixture.window())) {
        std::fprintf(stderr, "bench: the main window did not load\n");
        return 1;
    }
    QQuickWindow *window = fixture.window();
    // Below the bench's own window, which covers the screen.
    window->raise();
    auto *manager = window->findChild<CaptureManager *>();
    if (!manager) {
        std::fprintf(stderr, "bench: the main window has no session manager\n");
        return 1;
    }
    const auto waitFor = [](const std::function<bool()> &condition, int ms) {
        return QTest::qWaitFor(condition, ms);
    };
    if (!waitFor(
            [&] {
                for (const auto &w : manager->windows()) {
                    if (w.windowID == source.id())
                        return true;
                }
                return false;
            },
            10000)) {
        std::fprintf(stderr, "bench: the catalogue does not list the source window\n");
        return 1;
    }

    // The helper thread keeps damaging the source window: one pixel every 10 ms.
    std::atomic<bool> touching{true};
    std::thread toucher([&] {
        uint32_t colour = 0;
        while (touching.load()) {
            source.touch(int(colour % 1920), 540, 0xff000000u | colour);
            colour += 97;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    while (int(manager->sessions().size()) < sessionCount)
        manager->addSession();
    for (const auto &session : manager->sessions()) {
        session->setSelectedWindowID(source.id());
        session->setOutputResolution(CaptureManager::OutputResolution::r1920x1080);
        session->start(manager);
    }
    const bool allRunning = waitFor(
        [&] {
            for (const auto &session : manager->sessions()) {
                if (!session->isRunning())
                    return false;
            }
            return true;
        },
        60000);
    if (!allRunning) {
        std::fprintf(stderr, "bench: not all sessions started: %s\n",
                     qPrintable(manager->sessions().front()->status()));
        touching = false;
        toucher.join();
        return 1;
    }
    // Settle: first previews, cards built.
    QTest::qWait(2000);

    int previews = 0;
    std::vector<QMetaObject::Connection> connections;
    for (const auto &session : manager->sessions()) {
        connections.push_back(QObject::connect(session.get(), &CaptureSession::previewImageChanged,
                                               [&previews] { ++previews; }));
    }
    int framesDrawn = 0;
    connections.push_back(QObject::connect(window, &QQuickWindow::frameSwapped, window,
                                           [&framesDrawn] { ++framesDrawn; }));

    // The event loop's longest gap, seen by a 1 ms timer.
    double lastProbe = hostTime();
    double longestGap = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double now = hostTime();
        longestGap = std::max(longestGap, now - lastProbe);
        lastProbe = now;
    });

    // Views made or destroyed: the window's item tree sampled every 100 ms.
    QSet<QQuickItem *> items;
    collectItems(window->contentItem(), items);
    const qsizetype itemsAtStart = items.size();
    int itemsMade = 0;
    int itemsGone = 0;
    QTimer sampler;
    sampler.setInterval(100);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        QSet<QQuickItem *> now;
        collectItems(window->contentItem(), now);
        for (QQuickItem *item : now)
            itemsMade += items.contains(item) ? 0 : 1;
        for (QQuickItem *item : items)
            itemsGone += now.contains(item) ? 0 : 1;
        items = std::move(now);
    });

    const double mainStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double processStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double wallStart = hostTime();
    probe.start();
    sampler.start();
    QTest::qWait(int(seconds * 1000));
    probe.stop();
    sampler.stop();
    const double wall = hostTime() - wallStart;
    const double mainBusy = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - mainStart;
    const double processBusy = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
    for (const auto &connection : connections)
        QObject::disconnect(connection);

    // The output frames each session published while measured is not known here; its status
    // line and health say whether it kept up.
    int live = 0;
    for (const auto &session : manager->sessions())
        live += session->healthState() == HealthState::live ? 1 : 0;

    const double reference = memcpyReference();
    const double mainPerSecond = mainBusy / wall;
    int cardsBuilt = 0;
    for (QQuickItem *item : std::as_const(items))
        cardsBuilt += item->objectName() == QLatin1String("sessionCardHeader") ? 1 : 0;
    std::printf("sessions: %d running at 1920 x 1080 (%d live at the end), %d cards built\n",
                sessionCount, live, cardsBuilt);
    std::printf("measured: %.1f s wall\n", wall);
    std::printf("main thread busy: %.0f ms per second (%.1f %%); process CPU: %.0f ms per second\n",
                mainPerSecond * 1000, mainPerSecond * 100, processBusy / wall * 1000);
    std::printf("event loop: longest gap %.1f ms\n", longestGap * 1000);
    std::printf("preview updates: %d (%.1f per second, all sessions)\n", previews, previews / wall);
    if (previews > 0) {
        std::printf("main thread per preview update: %.2f ms = %.1f x memcpy of a 1080p frame "
                    "(%.3f ms)\n",
                    mainBusy / previews * 1000, mainBusy / previews / reference, reference * 1000);
        std::printf("views made per preview update: %.3f, destroyed: %.3f (of %lld items)\n",
                    double(itemsMade) / previews, double(itemsGone) / previews,
                    static_cast<long long>(itemsAtStart));
        std::printf("window frames drawn: %d (%.2f per preview update)\n", framesDrawn,
                    double(framesDrawn) / previews);
    }

    touching = false;
    toucher.join();
    for (const auto &session : manager->sessions())
        session->stop(manager);
    waitFor(
        [&] {
            for (const auto &session : manager->sessions()) {
                if (session->isRunning())
                    return false;
            }
            return true;
        },
        20000);
    return 0;
}
