// SPDX-License-Identifier: GPL-3.0-or-later
// CPU cost of one captured frame of a 1920 × 1080 display and window, next to a memcpy of the
// same frame and to GStreamer's ximagesrc capturing the same display. Every figure counts the
// CPU time of both processes and of the X server (a private Xvfb this benchmark starts).
//
//   build/release/bench/screencapture/bench_ScreenCapture [frames]
#include "platform/foundation/SerialQueue.h"
#include "platform/screencapture/ScreenCaptureService.h"
#include "support/XPrivateServer.h"
#include "support/XTestWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace ScreenCapture;

extern char **environ;

namespace {

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) * 1e-6;
}

double selfCpu()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double processCpu(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the whole line: utime and stime, in clock ticks.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) /
           double(sysconf(_SC_CLK_TCK));
}

class Counter final : public StreamOutput
{
public:
    void didOutputSampleBuffer(const SampleBuffer &sample, StreamOutputType) override
    {
        if (sample.imageBuffer)
            ++frames;
    }
    std::atomic<int> frames{0};
};

// Keeps the picture changing: one pixel every two milliseconds, from its own connection.
class Toucher
{
public:
    explicit Toucher(const XTestWindow &target, const char *display)
        : m_thread([this, id = target.id(), display] {
              xcb_connection_t *c = xcb_connect(display, nullptr);
              const xcb_gcontext_t gc = xcb_generate_id(c);
              xcb_create_gc(c, gc, id, 0, nullptr);
              for (uint32_t i = 0; !m_stop; ++i) {
                  const uint32_t color = 0xff000000u | i;
                  xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &color);
                  const xcb_rectangle_t rect{int16_t(i % 1920), 0, 1, 1};
                  xcb_poly_fill_rectangle(c, id, gc, 1, &rect);
                  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
                  std::this_thread::sleep_for(std::chrono::milliseconds(2));
              }
              xcb_disconnect(c);
          })
    {}
    ~Toucher()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

struct Figure
{
    double cpuPerFrame = 0;    // seconds, every process counted
    double serverPerFrame = 0; // of which the X server's
    double framesPerSecond = 0;
};

void report(const char *name, const Figure &figure, double memcpyCost)
{
    std::printf("%-44s %8.3f ms CPU/frame (X server %.3f)  %6.2f × memcpy  %6.1f frames/s\n", name,
                figure.cpuPerFrame * 1e3, figure.serverPerFrame * 1e3,
                figure.cpuPerFrame / memcpyCost, figure.framesPerSecond);
}

Figure measureStream(ScreenCaptureService &service, const ContentFilter &filter,
                     StreamConfiguration configuration, int frames, qint64 serverPid)
{
    auto counter = std::make_shared<Counter>();
    auto queue = std::make_shared<SerialQueue>(QStringLiteral("Kinolith.CaptureQueue.BNCH"),
                                               SerialQueue::Priority::userInteractive);
    auto stream = service.makeStream(filter, configuration);
    (void)stream->addStreamOutput(counter, StreamOutputType::screen, queue);
    bool started = false;
    stream->startCapture([&](std::optional<Error> error) {
        if (error)
            std::fprintf(stderr, "start failed: %s\n", qPrintable(error->localizedDescription));
        started = true;
    });
    (void)QTest::qWaitFor([&] { return started && counter->frames >= 1; }, 10000);
    const int first = counter->frames;
    const double server0 = processCpu(serverPid);
    const double cpu0 = selfCpu() + server0;
    QElapsedTimer wall;
    wall.start();
    (void)QTest::qWaitFor([&] { return counter->frames >= first + frames; }, 120000);
    const int done = counter->frames - first;
    const double server = processCpu(serverPid) - server0;
    const double cpu = selfCpu() + processCpu(serverPid) - cpu0;
    const double elapsed = wall.elapsed() / 1000.0;
    bool stopped = false;
    stream->stopCapture([&](std::optional<Error>) { stopped = true; });
    (void)QTest::qWaitFor([&] { return stopped; }, 10000);
    return {cpu / std::max(done, 1), server / std::max(done, 1), done / elapsed};
}

// CPU of ximagesrc capturing `buffers` frames at 60 per second, the X server included.
Figure measureXimagesrc(const QByteArray &display, int buffers, qint64 serverPid)
{
    const QByteArray count = "num-buffers=" + QByteArray::number(buffers);
    const QByteArray name = "display-name=" + display;
    const char *argv[] = {"gst-launch-1.0",
                          "-q",
                          "ximagesrc",
                          name.constData(),
                          "use-damage=false",
                          "show-pointer=false",
                          count.constData(),
                          "!",
                          "video/x-raw,framerate=60/1",
                          "!",
                          "fakesink",
                          nullptr};
    // This process's share (the picture changer) counts too, as it does for Kinolith's figures.
    const double self0 = selfCpu();
    const double server0 = processCpu(serverPid);
    QElapsedTimer wall;
    wall.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "gst-launch-1.0", nullptr, nullptr, const_cast<char **>(argv),
                     environ) != 0)
        return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double server = processCpu(serverPid) - server0;
    const double cpu =
        seconds(usage.ru_utime) + seconds(usage.ru_stime) + server + selfCpu() - self0;
    return {cpu, server, buffers / (wall.elapsed() / 1000.0)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(30, std::atoi(argv[1])) : 300;

    // A private X server of the usual test layout.
    XPrivateServer server(QSize(1920, 1080));
    if (!server.isRunning())
        return 1;
    const QByteArray display = server.display();
    qputenv("DISPLAY", display);
    XTestWindow::Options options;
    options.rect = QRect(0, 0, 1920, 1080);
    auto window = std::make_unique<XTestWindow>(options, display.constData());
    if (!window->isValid())
        return 1;
    const qint64 serverPid = server.processId();

    // memcpy of one frame, caches cold as a captured frame's are (two 8 MiB buffers).
    const size_t frameBytes = size_t(1920) * 1080 * 4;
    std::vector<uint8_t> a(frameBytes, 1), b(frameBytes, 2);
    const double memcpy0 = selfCpu();
    for (int i = 0; i < frames; ++i) {
        std::memcpy(i % 2 ? a.data() : b.data(), i % 2 ? b.data() : a.data(), frameBytes);
        asm volatile("" ::: "memory");
    }
    const double memcpyCost = (selfCpu() - memcpy0) / frames;

    auto service = makeScreenCaptureService();
    ScreenCapture::Display screen;
    bool listed = false;
    service->getShareableContent({}, [&](Expected<ShareableContent> content) {
        if (content && !content->displays.empty())
            screen = content->displays.front();
        listed = true;
    });
    (void)QTest::qWaitFor([&] { return listed; }, 10000);

    StreamConfiguration configuration;
    configuration.showsCursor = false;
    configuration.queueDepth = 3;
    configuration.minimumFrameInterval = 1.0 / 60;

    std::printf("1920 × 1080 BGRA frames, %d per figure, 60 frames/s asked; CPU of this process "
                "+ Xvfb (+ gst-launch)\n",
                frames);
    std::printf("%-44s %8.3f ms CPU/frame\n", "memcpy of one frame", memcpyCost * 1e3);
    {
        // What the picture-changing helper costs alone, per 1/60 s: included in every figure below.
        const double cpu0 = selfCpu() + processCpu(serverPid);
        {
            Toucher toucher(*window, display.constData());
            QThread::msleep(2000);
        }
        const double perFrame = (selfCpu() + processCpu(serverPid) - cpu0) / 120;
        std::printf("%-44s %8.3f ms CPU/frame\n", "(picture changer alone, per 1/60 s)",
                    perFrame * 1e3);
    }
    {
        Toucher toucher(*window, display.constData());
        report("display, Kinolith",
               measureStream(*service, ContentFilter::display(screen), configuration, frames,
                             serverPid),
               memcpyCost);
        Window whole;
        whole.windowID = window->id();
        report(
            "window, Kinolith",
            measureStream(*service, ContentFilter::window(whole), configuration, frames, serverPid),
            memcpyCost);
        StreamConfiguration scaled = configuration;
        scaled.width = 1280;
        scaled.height = 720;
        report("display scaled to 1280 × 720, Kinolith",
               measureStream(*service, ContentFilter::display(screen), scaled, frames, serverPid),
               memcpyCost);
        report("display, excluding no application, Kinolith",
               measureStream(*service, ContentFilter::display(screen, {}), configuration, frames,
                             serverPid),
               memcpyCost);
        // ximagesrc: the difference of a long and a short run cancels its start-up.
        const Figure shortRun = measureXimagesrc(display, 30, serverPid);
        const Figure longRun = measureXimagesrc(display, 30 + frames, serverPid);
        report("display, GStreamer ximagesrc",
               {(longRun.cpuPerFrame - shortRun.cpuPerFrame) / frames,
                (longRun.serverPerFrame - shortRun.serverPerFrame) / frames,
                longRun.framesPerSecond},
               memcpyCost);
    }
    {
        // A static picture: no damage, so no frame and next to no CPU.
        auto counter = std::make_shared<Counter>();
        auto queue = std::make_shared<SerialQueue>(QStringLiteral("Kinolith.CaptureQueue.IDLE"),
                                                   SerialQueue::Priority::normal);
        auto stream = service->makeStream(ContentFilter::display(screen), configuration);
        (void)stream->addStreamOutput(counter, StreamOutputType::screen, queue);
        bool started = false;
        stream->startCapture([&](std::optional<Error>) { started = true; });
        (void)QTest::qWaitFor([&] { return started && counter->frames >= 1; }, 10000);
        const double cpu0 = selfCpu() + processCpu(serverPid);
        QThread::msleep(2000); // the capture needs no event loop; this thread sleeps
        const double cpu = selfCpu() + processCpu(serverPid) - cpu0;
        std::printf("%-44s %8.3f ms CPU per second, %d frames in 2 s after the first\n",
                    "static display, Kinolith", cpu / 2 * 1e3, counter->frames - 1);
        bool stopped = false;
        stream->stopCapture([&](std::optional<Error>) { stopped = true; });
        (void)QTest::qWaitFor([&] { return stopped; }, 10000);
    }

    window.reset();
    return 0;
}
