// SPDX-License-Identifier: GPL-3.0-or-later
// A running session end to end, against a GStreamer pipeline doing the same job and a memcpy of
// the frame, all in one run, at 1920 × 1080 and 3840 × 2160:
// - an X window redrawn ~60 times a second (one marker pixel pair per redraw, which numbers it),
// - captured by a window session (window defaults, crop left 100), transformed on the GPU and
//   published as a PipeWire node,
// - received by a consumer: gst-launch's pipewiresrc ! fakesink, or our frame-sharing client in
//   this process (which also times each frame: redraw → receipt and publish → receipt).
// The GStreamer job: ximagesrc xid=<window> ! videoflip method=vertical-flip ! videocrop left=100
// ! pipewiresink, received the same two ways, and ximagesrc ! videoflip ! videocrop ! fakesink
// (capture + transform alone).
// Reported per case: frames a second received, CPU seconds per received frame of the whole chain
// (this process, the X server, the PipeWire daemon, the GStreamer processes; utime + stime from
// /proc/<pid>/stat) and its ratio to a memcpy of the frame, and latencies.
//
// Self-contained: starts its own Xvfb (3840 × 2160) and PipeWire daemon (with D-Bus and
// WirePlumber) and stops them at the end. Run: build/<type>/bench/endtoend/bench_endtoend [seconds]
#include "../support/Statistics.h"
#include "engine/CaptureManager.h"
#include "engine/CaptureSession.h"
#include "engine/FramePath.h"
#include "platform/foundation/HostClock.h"
#include "platform/framesharing/Client.h"
#include "platform/framesharing/DescriptionKeys.h"
#include "platform/framesharing/Directory.h"
#include "platform/framesharing/Server.h"
#include "support/PrivatePipeWire.h"
#include "support/XPrivateServer.h"
#include "support/XTestWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int cropLeft = 100;
double g_seconds = 5.0;

// --- small tools -------------------------------------------------------------------------------

void spin(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

bool finish(QCoro::Task<> task, int timeoutMs = 30000)
{
    auto done = std::make_shared<bool>(false);
    auto waiting = task.then([done] { *done = true; });
    return waitFor([done] { return *done; }, timeoutMs);
}

// CPU seconds (user + system) a process has used so far; 0 when it is gone.
double cpuSeconds(qint64 pid)
{
    QFile file(pid ? QStringLiteral("/proc/%1/stat").arg(pid) : QStringLiteral("/proc/self/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    // Fields after the command name (which may hold spaces), counted from field 3.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) / ticks; // utime, stime
}

// The process at the other end of a unix socket (the X server, the PipeWire daemon).
qint64 socketPeer(const QByteArray &path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    qint64 pid = 0;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        ucred credentials{};
        socklen_t length = sizeof credentials;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0)
            pid = credentials.pid;
    }
    ::close(fd);
    return pid;
}

double threadCpuTime()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// A memcpy of one frame into a warm buffer: the median CPU time of this thread over many (CPU
// time, as the other figures, so that other work on the machine does not inflate it).
double memcpyCost(std::size_t bytes)
{
    std::vector<std::uint8_t> source(bytes, 0x5a), target(bytes);
    std::vector<double> samples;
    unsigned checksum = 0;
    for (int i = 0; i < 60; ++i) {
        source[std::size_t(i) * 4099 % bytes] = std::uint8_t(i);
        const double start = threadCpuTime();
        std::memcpy(target.data(), source.data(), bytes);
        samples.push_back(threadCpuTime() - start);
        checksum += target[std::size_t(i) * 97 % bytes];
    }
    std::fprintf(stderr, "(checksum %u)\n", checksum);
    return median(samples);
}

// --- the window and its redraws ----------------------------------------------------------------

// Redraws the window ~60 times a second from a thread of its own: each redraw paints the marker
// pixel pair with its number and notes when.
class Redrawer
{
public:
    static constexpr std::size_t ring = 4096;

    explicit Redrawer(XTestWindow &window) : m_window(window)
    {
        m_markerX = window.rect().width() / 2;
        m_markerY = window.rect().height() / 4;
    }
    ~Redrawer() { stop(); }

    void start()
    {
        m_running = true;
        m_thread = std::thread([this] { run(); });
    }
    void stop()
    {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }

    // The marker's number in a received frame (rows of the frame bottom first or top first:
    // the marker is painted on both rows that could hold it), or 0.
    uint32_t markerIn(const framesharing::ClientFrame &frame) const
    {
        const int x = m_markerX - cropLeft;
        const int y = m_markerY;
        if (x < 0 || x >= frame.width || y >= frame.height)
            return 0;
        uint32_t value;
        std::memcpy(&value, frame.view().row(y) + std::size_t(x) * 4, 4);
        return value & 0xffffff;
    }
    // When the redraw with that number was sent, or 0 when it is no longer known.
    double drawTime(uint32_t number) const
    {
        const auto &slot = m_slots[number % ring];
        std::lock_guard guard(m_lock);
        return slot.number == number ? slot.time : 0;
    }
    int redraws() const { return m_count; }

private:
    void run()
    {
        const int h = m_window.rect().height();
        auto next = std::chrono::steady_clock::now();
        uint32_t number = 0;
        while (m_running) {
            number = (number + 1) & 0xffffff;
            if (number == 0)
                number = 1;
            // Both rows: the one a picture shown upright has it on, and its mirror.
            m_window.touch(m_markerX, m_markerY, number);
            m_window.touch(m_markerX, h - 1 - m_markerY, number);
            {
                std::lock_guard guard(m_lock);
                m_slots[number % ring] = {number, hostTime()};
            }
            ++m_count;
            next += std::chrono::microseconds(16667);
            std::this_thread::sleep_until(next);
        }
    }

    struct Slot
    {
        uint32_t number = 0;
        double time = 0;
    };
    XTestWindow &m_window; // its connection is this thread's while running
    int m_markerX = 0;
    int m_markerY = 0;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_count{0};
    mutable std::mutex m_lock; // guards m_slots: the redraw thread and the consumer's thread
    std::array<Slot, ring> m_slots{};
};

// --- consumers ---------------------------------------------------------------------------------

// gst-launch-1.0 with a fakesink that reports each buffer (one "chain" line each).
class GstProcess
{
public:
    explicit GstProcess(QStringList pipeline)
    {
        pipeline.prepend(QStringLiteral("-v"));
        m_process.setProgram(QStringLiteral("gst-launch-1.0"));
        m_process.setArguments(pipeline);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&m_process, &QProcess::readyRead, [this] { read(); });
    }
    ~GstProcess() { stop(); }

    bool start()
    {
        m_process.start();
        return m_process.waitForStarted(5000);
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    int buffers() const { return m_buffers; }
    const QByteArray &tail() const { return m_tail; }

private:
    void read()
    {
        m_pending += m_process.readAll();
        int end;
        while ((end = int(m_pending.indexOf('\n'))) >= 0) {
            const QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 1);
            if (line.contains("last-message = chain"))
                ++m_buffers;
            else
                m_tail = (m_tail + line + '\n').right(2000);
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QByteArray m_tail; // the last lines that were not buffers, for failure messages
    int m_buffers = 0;
};

// The first line of a GStreamer log that tells what went wrong, or its last line.
QByteArray firstProblem(const QByteArray &log)
{
    for (const QByteArray &line : log.split('\n')) {
        if (line.contains("CRITICAL") || line.contains("ERROR") || line.contains("SIGSEGV"))
            return line.trimmed();
    }
    const QByteArray trimmed = log.trimmed();
    return trimmed.mid(trimmed.lastIndexOf('\n') + 1);
}

QStringList gstConsumer(const QString &target, const QString &format)
{
    return {QStringLiteral("pipewiresrc"),
            QStringLiteral("target-object=") + target,
            QStringLiteral("!"),
            QStringLiteral("video/x-raw,format=") + format,
            QStringLiteral("!"),
            QStringLiteral("fakesink"),
            QStringLiteral("silent=false"),
            QStringLiteral("sync=false")};
}

// Our client in this process: counts frames and times each one.
class TimingConsumer
{
public:
    TimingConsumer(const QVariantMap &description, const Redrawer &redrawer,
                   const FramePath *framePath)
        : m_redrawer(redrawer), m_framePath(framePath)
    {
        m_client = framesharing::Client::create(
            description, [this](framesharing::Client &client) { received(client); });
    }
    ~TimingConsumer()
    {
        if (m_client)
            m_client->stop();
    }
    bool isValid() const { return m_client && m_client->isValid(); }
    int frames() const { return m_frames; }

    // Starts the timings afresh.
    void reset()
    {
        std::lock_guard guard(m_lock);
        m_drawToReceipt.clear();
        m_publishToReceipt.clear();
    }
    std::vector<double> drawToReceipt() const
    {
        std::lock_guard guard(m_lock);
        return m_drawToReceipt;
    }
    std::vector<double> publishToReceipt() const
    {
        std::lock_guard guard(m_lock);
        return m_publishToReceipt;
    }

private:
    // The client's thread.
    void received(framesharing::Client &client)
    {
        const auto frame = client.newestFrame();
        if (!frame)
            return;
        ++m_frames;
        const double drawn = m_redrawer.drawTime(m_redrawer.markerIn(*frame));
        double published = 0;
        if (m_framePath) {
            // The frame path notes its frame's time just after handing the frame over: wait the
            // few microseconds it may lag behind.
            const double deadline = hostTime() + 0.01;
            while ((published = m_framePath->lastFrameTime()) <= m_lastPublished &&
                   hostTime() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            if (published <= m_lastPublished)
                published = 0;
            else
                m_lastPublished = published;
        }
        std::lock_guard guard(m_lock);
        if (drawn > 0)
            m_drawToReceipt.push_back(frame->receivedTime - drawn);
        if (published > 0 && frame->receivedTime >= published)
            m_publishToReceipt.push_back(frame->receivedTime - published);
    }

    const Redrawer &m_redrawer;
    const FramePath *m_framePath;
    std::shared_ptr<framesharing::Client> m_client;
    std::atomic<int> m_frames{0};
    double m_lastPublished = 0; // the client's thread only
    mutable std::mutex m_lock;  // guards the timings: the client's thread and the main thread
    std::vector<double> m_drawToReceipt;
    std::vector<double> m_publishToReceipt;
};

// --- measuring ---------------------------------------------------------------------------------

struct Processes
{
    qint64 xServer = 0;
    qint64 pipeWire = 0;
};

struct Figures
{
    QString name;
    double fps = 0;
    double cpuPerFrame = 0;                              // the whole chain
    double ours = 0, xServer = 0, pipeWire = 0, gst = 0; // per frame
    std::vector<double> drawToReceipt, publishToReceipt;
    QString note;
};

// Measures `frames` over the bench time, with the CPU of this process, the services and the
// GStreamer processes given.
Figures measure(const QString &name, const Processes &services, const std::vector<qint64> &gst,
                const std::function<int()> &frames, TimingConsumer *timing = nullptr)
{
    Figures figures;
    figures.name = name;
    // Warm-up: the first frames carry the negotiation and the first allocations.
    spin(1.0);
    if (timing)
        timing->reset();
    auto gstCpu = [&gst] {
        double sum = 0;
        for (const qint64 pid : gst)
            sum += cpuSeconds(pid);
        return sum;
    };
    const double ours0 = cpuSeconds(0), x0 = cpuSeconds(services.xServer),
                 pw0 = cpuSeconds(services.pipeWire), gst0 = gstCpu();
    const int frames0 = frames();
    const double t0 = hostTime();
    spin(g_seconds);
    const int received = frames() - frames0;
    const double elapsed = hostTime() - t0;
    const double ours = cpuSeconds(0) - ours0, x = cpuSeconds(services.xServer) - x0,
                 pw = cpuSeconds(services.pipeWire) - pw0, g = gstCpu() - gst0;
    figures.fps = received / elapsed;
    if (received > 0) {
        figures.ours = ours / received;
        figures.xServer = x / received;
        figures.pipeWire = pw / received;
        figures.gst = g / received;
        figures.cpuPerFrame = (ours + x + pw + g) / received;
    }
    if (timing) {
        figures.drawToReceipt = timing->drawToReceipt();
        figures.publishToReceipt = timing->publishToReceipt();
    }
    return figures;
}

void print(const Figures &f, double memcpySeconds)
{
    std::printf("  %-46s %6.1f fps  CPU/frame %7.2f ms (%6.1f× memcpy) = ours %6.2f + X %6.2f + "
                "PW %5.2f + gst %6.2f ms",
                qPrintable(f.name), f.fps, f.cpuPerFrame * 1e3,
                memcpySeconds > 0 ? f.cpuPerFrame / memcpySeconds : 0.0, f.ours * 1e3,
                f.xServer * 1e3, f.pipeWire * 1e3, f.gst * 1e3);
    if (!f.drawToReceipt.empty())
        std::printf("\n  %-46s redraw→receipt median %.1f ms, p95 %.1f ms (n=%zu)", "",
                    median(f.drawToReceipt) * 1e3, percentile(f.drawToReceipt, 0.95) * 1e3,
                    f.drawToReceipt.size());
    if (!f.publishToReceipt.empty())
        std::printf("\n  %-46s publish→receipt median %.2f ms, p95 %.2f ms (%.1f× memcpy) (n=%zu)",
                    "", median(f.publishToReceipt) * 1e3,
                    percentile(f.publishToReceipt, 0.95) * 1e3,
                    memcpySeconds > 0 ? median(f.publishToReceipt) / memcpySeconds : 0.0,
                    f.publishToReceipt.size());
    if (!f.note.isEmpty())
        std::printf("\n  %-46s %s", "", qPrintable(f.note));
    std::printf("\n");
    std::fflush(stdout);
}

// The listed frame-sharing server whose name is `name`.
QVariantMap findServer(framesharing::Directory &directory, const QString &name)
{
    QVariantMap found;
    waitFor(
        [&] {
            for (const auto &description : directory.servers()) {
                if (description.value(framesharing::keys::name).toString() == name)
                    found = description;
            }
            return !found.isEmpty();
        },
        10000);
    return found;
}

void benchSize(QSize size, const Processes &services)
{
    const std::size_t frameBytes = std::size_t(size.width() - cropLeft) * size.height() * 4;
    const double memcpySeconds = memcpyCost(frameBytes);
    std::printf("\n%d × %d window, output %d × %d (crop left %d), %.0f s per case\n", size.width(),
                size.height(), size.width() - cropLeft, size.height(), cropLeft, g_seconds);
    std::printf("  %-46s %.3f ms\n", "memcpy of the output frame (reference, CPU)",
                memcpySeconds * 1e3);

    XTestWindow::Options options;
    options.rect = QRect(QPoint(0, 0), size);
    options.title = QStringLiteral("Bench");
    options.wmClassInstance = "bench";
    options.wmClassName = "Bench";
    options.pid = uint32_t(QCoreApplication::applicationPid());
    XTestWindow window(options);
    if (!window.isValid()) {
        std::printf("  no window\n");
        return;
    }
    Redrawer redrawer(window);
    redrawer.start();

    // Our chain: a running session with window defaults and a crop.
    {
        CaptureManager manager;
        if (!finish(manager.refreshWindows())) {
            std::printf("  the catalogue did not load\n");
            return;
        }
        auto session = manager.sessions().front();
        session->setSelectedWindowID(window.id());
        session->setCropLeftPx(cropLeft);
        if (!finish(session->start(manager)) || !session->isRunning()) {
            std::printf("  the session did not start: %s\n", qPrintable(session->status()));
            return;
        }
        const auto server = session->syphonServer();
        waitFor(
            [&] {
                return server &&
                       !server->description().value(framesharing::keys::uuid).toString().isEmpty();
            },
            10000);
        const QString uuid = server->description().value(framesharing::keys::uuid).toString();

        {
            GstProcess consumer(gstConsumer(uuid, QStringLiteral("BGRA")));
            consumer.start();
            if (!waitFor([&] { return consumer.buffers() > 0; }, 20000))
                std::printf("  (gst consumer of the session received nothing: %s)\n",
                            consumer.tail().constData());
            print(measure(QStringLiteral("session → pipewiresrc ! fakesink"), services,
                          {consumer.pid()}, [&] { return consumer.buffers(); }),
                  memcpySeconds);
        }
        {
            TimingConsumer consumer(server->description(), redrawer, &session->framePath());
            waitFor([&] { return consumer.frames() > 0; }, 20000);
            print(measure(
                      QStringLiteral("session → our client (in this process)"), services, {},
                      [&] { return consumer.frames(); }, &consumer),
                  memcpySeconds);
        }
        finish(session->stop(manager));
    }

    // The GStreamer job, published and received the same ways.
    const QString nodeName = QStringLiteral("kinolith-bench-gst");
    const QString description = QStringLiteral("GStreamer chain");
    const QStringList capture{QStringLiteral("ximagesrc"),
                              QStringLiteral("xid=%1").arg(window.id()),
                              QStringLiteral("use-damage=false"),
                              QStringLiteral("show-pointer=false"),
                              QStringLiteral("!"),
                              QStringLiteral("video/x-raw,framerate=60/1"),
                              QStringLiteral("!"),
                              QStringLiteral("videoflip"),
                              QStringLiteral("method=vertical-flip"),
                              QStringLiteral("!"),
                              QStringLiteral("videocrop"),
                              QStringLiteral("left=%1").arg(cropLeft),
                              QStringLiteral("!")};
    {
        GstProcess producer(
            capture + QStringList{QStringLiteral("pipewiresink"), QStringLiteral("mode=provide"),
                                  QStringLiteral("stream-properties=\"p,node.name=%1,"
                                                 "node.description=\\\"%2\\\",media.class="
                                                 "Video/Source\"")
                                      .arg(nodeName, description)});
        producer.start();
        auto directory = framesharing::Directory::create();
        const QVariantMap found = findServer(*directory, description);
        {
            GstProcess consumer(gstConsumer(nodeName, QStringLiteral("BGRx")));
            consumer.start();
            if (waitFor([&] { return consumer.buffers() > 0; }, 8000)) {
                print(measure(QStringLiteral("gst ximagesrc…pipewiresink → pipewiresrc"), services,
                              {producer.pid(), consumer.pid()}, [&] { return consumer.buffers(); }),
                      memcpySeconds);
            } else {
                std::printf("  %-46s did not flow (listed: %s)\n",
                            "gst ximagesrc…pipewiresink → pipewiresrc",
                            found.isEmpty() ? "no" : "yes");
                std::printf("    producer %s: %s\n", producer.isRunning() ? "running" : "ended",
                            firstProblem(producer.tail()).constData());
            }
        }
        if (!found.isEmpty()) {
            TimingConsumer consumer(found, redrawer, nullptr);
            if (consumer.isValid() && waitFor([&] { return consumer.frames() > 0; }, 5000))
                print(measure(
                          QStringLiteral("gst ximagesrc…pipewiresink → our client"), services,
                          {producer.pid()}, [&] { return consumer.frames(); }, &consumer),
                      memcpySeconds);
            else
                std::printf("  %-46s did not flow\n", "gst ximagesrc…pipewiresink → our client");
        }
    }
    {
        // GStreamer's PipeWire transport alone: test frames of the output size, published and
        // received the same way.
        const QString testNode = QStringLiteral("kinolith-bench-testsrc");
        GstProcess producer(
            {QStringLiteral("videotestsrc"), QStringLiteral("is-live=true"),
             QStringLiteral("pattern=solid-color"), QStringLiteral("!"),
             QStringLiteral("video/x-raw,format=BGRx,width=%1,height=%2,framerate=60/1")
                 .arg(size.width() - cropLeft)
                 .arg(size.height()),
             QStringLiteral("!"), QStringLiteral("pipewiresink"), QStringLiteral("mode=provide"),
             QStringLiteral("stream-properties=\"p,node.name=%1,media.class=Video/Source\"")
                 .arg(testNode)});
        producer.start();
        spin(1.0);
        GstProcess consumer(gstConsumer(testNode, QStringLiteral("BGRx")));
        consumer.start();
        if (waitFor([&] { return consumer.buffers() > 0; }, 8000))
            print(measure(QStringLiteral("gst videotestsrc ! pipewiresink → pipewiresrc"), services,
                          {producer.pid(), consumer.pid()}, [&] { return consumer.buffers(); }),
                  memcpySeconds);
        else
            std::printf("  %-46s did not flow: %s\n", "gst videotestsrc ! pipewiresink",
                        firstProblem(producer.tail()).constData());
    }
    {
        GstProcess alone(capture + QStringList{QStringLiteral("fakesink"),
                                               QStringLiteral("silent=false"),
                                               QStringLiteral("sync=false")});
        alone.start();
        if (waitFor([&] { return alone.buffers() > 0; }, 15000))
            print(measure(QStringLiteral("gst ximagesrc ! videoflip ! videocrop ! fakesink"),
                          services, {alone.pid()}, [&] { return alone.buffers(); }),
                  memcpySeconds);
        else
            std::printf("  gst capture + transform alone did not flow: %s\n",
                        alone.tail().constData());
    }
    redrawer.stop();
    std::printf("  (%d redraws of the window in all)\n", redrawer.redraws());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1)
        g_seconds = std::max(1.0, std::atof(argv[1]));
    // Our own X server and PipeWire daemon, before anything connects to either.
    XPrivateServer xServer(QSize(3840, 2160));
    if (!xServer.isRunning()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    qputenv("DISPLAY", xServer.display());
    PrivatePipeWire pipeWire;
    pipeWire.useInThisProcess();
    if (!pipeWire.start()) {
        std::fprintf(stderr, "PipeWire did not start\n");
        return 1;
    }
    QCoreApplication app(argc, argv);

    Processes services;
    services.xServer = xServer.processId();
    services.pipeWire = socketPeer(pipeWire.runtimeDir().toLocal8Bit() + "/pipewire-0");
    std::printf("X server pid %lld, PipeWire daemon pid %lld; CPU from /proc/<pid>/stat "
                "(utime + stime, %ld ticks a second) per frame received\n",
                services.xServer, services.pipeWire, sysconf(_SC_CLK_TCK));

    for (const QSize size : {QSize(1920, 1080), QSize(3840, 2160)})
        benchSize(size, services);
    return 0;
}
