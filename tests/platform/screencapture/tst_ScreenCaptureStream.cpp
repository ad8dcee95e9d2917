// SPDX-License-Identifier: GPL-3.0-or-later
// Streams of the three filter forms on the test X server, checked pixel by pixel against the
// patterns of windows the test draws, and the stream's behaviour when its source changes or
// goes away.
#include "CaptureAwait.h"
#include "FrameCollector.h"
#include "platform/foundation/SerialQueue.h"
#include "platform/screencapture/ScreenCaptureError.h"
#include "platform/screencapture/ScreenCaptureService.h"
#include "support/XPrivateServer.h"
#include "support/XTestWindow.h"

#include <QTest>
#include <QTimer>
#include <cstdlib>

using namespace ScreenCapture;

Q_DECLARE_METATYPE(QSize)

namespace {

uint32_t pixelAt(const PixelBuffer &frame, int x, int y)
{
    uint32_t value;
    std::memcpy(&value, frame.data() + size_t(y) * frame.bytesPerRow() + size_t(x) * 4, 4);
    return value;
}

int channelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
    return worst;
}

// True when the frame's area at `at` shows the window's whole pattern, pixel for pixel.
bool showsPattern(const PixelBuffer &frame, const XTestWindow &window, QPoint at = {})
{
    const QRect area(at, window.rect().size());
    if (!QRect(0, 0, frame.width(), frame.height()).contains(area))
        return false;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            if (pixelAt(frame, at.x() + x, at.y() + y) != window.patternPixel(x, y))
                return false;
        }
    }
    return true;
}

bool allOpaque(const PixelBuffer &frame)
{
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            if ((pixelAt(frame, x, y) >> 24) != 0xff)
                return false;
        }
    }
    return true;
}

bool waitForFrame(const FrameCollector &collector,
                  const std::function<bool(const PixelBuffer &)> &test, int timeoutMs = 3000)
{
    return QTest::qWaitFor(
        [&] {
            const SampleBuffer frame = collector.lastFrame();
            return frame.imageBuffer && test(*frame.imageBuffer);
        },
        timeoutMs);
}

Window windowWithId(xcb_window_t id)
{
    Window window;
    window.windowID = id;
    return window;
}

StreamConfiguration quietConfiguration()
{
    StreamConfiguration configuration;
    configuration.showsCursor = false;
    configuration.queueDepth = 3;
    return configuration;
}

// Keeps a window changing: one pixel a few milliseconds, from the main thread.
class Toucher
{
public:
    Toucher(XTestWindow &window, int intervalMs = 4)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [&window, this] {
            ++m_count;
            window.touch(m_count % window.rect().width(), 0, 0xff000000u | uint32_t(m_count));
        });
        m_timer.start(intervalMs);
    }

private:
    QTimer m_timer;
    int m_count = 0;
};

} // namespace

class tst_ScreenCaptureStream : public QObject
{
    Q_OBJECT

    struct Capture
    {
        std::shared_ptr<Stream> stream;
        std::shared_ptr<FrameCollector> collector = std::make_shared<FrameCollector>();
        std::shared_ptr<SerialQueue> queue = std::make_shared<SerialQueue>(
            QStringLiteral("Kinolith.CaptureQueue.TEST"), SerialQueue::Priority::userInteractive);
    };

    // A started stream of filter; check QTest::currentTestFailed() after.
    Capture start(const ContentFilter &filter, const StreamConfiguration &configuration,
                  bool keepFrames = false)
    {
        Capture capture;
        capture.collector->setKeepFrames(keepFrames);
        capture.stream = m_service->makeStream(filter, configuration);
        const auto added = capture.stream->addStreamOutput(capture.collector,
                                                           StreamOutputType::screen, capture.queue);
        if (!added) {
            QTest::qFail(qPrintable(added.error().localizedDescription), __FILE__, __LINE__);
            return capture;
        }
        bool onMainThread = false;
        const auto started = CaptureAwait::completion(
            [&](Stream::Completion done) { capture.stream->startCapture(done); }, &onMainThread);
        if (!started || *started || !onMainThread) {
            QTest::qFail(started && *started ? qPrintable((*started)->localizedDescription)
                                             : "start did not complete on the main thread",
                         __FILE__, __LINE__);
        }
        return capture;
    }

    void stop(Capture &capture)
    {
        const auto stopped = CaptureAwait::stop(*capture.stream);
        QVERIFY(stopped);
        QVERIFY2(!*stopped, qPrintable((*stopped)->localizedDescription));
    }

    ScreenCapture::Display firstDisplay()
    {
        auto content = CaptureAwait::content(*m_service);
        if (!content || !content->hasValue() || content->value().displays.empty())
            return {};
        return content->value().displays.front();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the test X server (scripts/test)");
        m_service = makeScreenCaptureService();
    }

    void displayShowsTheScreen()
    {
        XTestWindow::Options options;
        options.rect = QRect(200, 150, 320, 200);
        XTestWindow window(options);
        QVERIFY(window.isValid());
        Capture capture = start(ContentFilter::display(firstDisplay()), quietConfiguration());
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(waitForFrame(*capture.collector, [&](const PixelBuffer &frame) {
            return showsPattern(frame, window, window.rect().topLeft());
        }));
        const SampleBuffer frame = capture.collector->lastFrame();
        QCOMPARE(frame.imageBuffer->width(), 1920);
        QCOMPARE(frame.imageBuffer->height(), 1080);
        QVERIFY(allOpaque(*frame.imageBuffer));
        stop(capture);
    }

    void windowIsCapturedWhole_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<bool>("covered");
        QTest::addColumn<bool>("argb");
        QTest::addRow("in plain view") << QRect(100, 100, 320, 200) << false << false;
        QTest::addRow("covered by another window") << QRect(100, 100, 320, 200) << true << false;
        QTest::addRow("partly left of the screen") << QRect(-150, 300, 320, 200) << false << false;
        QTest::addRow("partly below the screen") << QRect(600, 1000, 320, 200) << false << false;
        // The fourth byte of a translucent visual is alpha, and stays as drawn.
        QTest::addRow("translucent visual") << QRect(100, 100, 320, 200) << false << true;
    }

    void windowIsCapturedWhole()
    {
        QFETCH(QRect, rect);
        QFETCH(bool, covered);
        QFETCH(bool, argb);
        XTestWindow::Options options;
        options.rect = rect;
        options.argb = argb;
        XTestWindow window(options);
        QVERIFY(window.isValid());
        std::optional<XTestWindow> cover;
        if (covered) {
            XTestWindow::Options coverOptions;
            coverOptions.rect = rect.adjusted(40, 30, 40, 30);
            coverOptions.blue = 0xee;
            cover.emplace(coverOptions);
        }
        Capture capture =
            start(ContentFilter::window(windowWithId(window.id())), quietConfiguration());
        QVERIFY(!QTest::currentTestFailed());
        // Parts the server never drew (hidden before capture began) come with the next paint.
        window.draw();
        QVERIFY(waitForFrame(*capture.collector, [&](const PixelBuffer &frame) {
            return showsPattern(frame, window);
        }));
        const SampleBuffer frame = capture.collector->lastFrame();
        QCOMPARE(QSize(frame.imageBuffer->width(), frame.imageBuffer->height()), rect.size());
        QCOMPARE(frame.imageBuffer->bytesPerRow(), size_t(rect.width()) * 4);
        stop(capture);
    }

    void applicationFilterShowsOnlyIncludedWindows()
    {
        XTestWindow::Options keptOptions;
        keptOptions.rect = QRect(100, 100, 300, 200);
        keptOptions.pid = 32001;
        keptOptions.blue = 0x10;
        XTestWindow kept(keptOptions);
        XTestWindow::Options hiddenOptions;
        hiddenOptions.rect = QRect(250, 200, 300, 200); // on top, overlapping the kept window
        hiddenOptions.pid = 32002;
        hiddenOptions.blue = 0x90;
        XTestWindow excluded(hiddenOptions);
        QVERIFY(kept.isValid() && excluded.isValid());

        Capture capture =
            start(ContentFilter::display(firstDisplay(), {RunningApplication{32002, {}}}),
                  quietConfiguration());
        QVERIFY(!QTest::currentTestFailed());
        kept.draw();
        const uint32_t black = 0xff000000u;
        QVERIFY(waitForFrame(*capture.collector, [&](const PixelBuffer &frame) {
            return showsPattern(frame, kept, kept.rect().topLeft());
        }));
        const SampleBuffer frame = capture.collector->lastFrame();
        // Where only the excluded window is, and far from both: black.
        QCOMPARE(pixelAt(*frame.imageBuffer, 500, 350), black);
        QCOMPARE(pixelAt(*frame.imageBuffer, 549, 399), black);
        QCOMPARE(pixelAt(*frame.imageBuffer, 1500, 900), black);
        QVERIFY(allOpaque(*frame.imageBuffer));

        // A new window of the kept application appears in the picture; one of the excluded
        // application does not.
        XTestWindow::Options laterOptions = keptOptions;
        laterOptions.rect = QRect(800, 500, 120, 80);
        laterOptions.blue = 0x33;
        XTestWindow later(laterOptions);
        hiddenOptions.rect = QRect(1000, 700, 120, 80);
        XTestWindow laterExcluded(hiddenOptions);
        // Menus and pop-ups follow their application too.
        XTestWindow::Options menuOptions = keptOptions;
        menuOptions.overrideRedirect = true;
        menuOptions.rect = QRect(1300, 200, 90, 150);
        menuOptions.blue = 0x55;
        XTestWindow menu(menuOptions);
        XTestWindow::Options excludedMenuOptions = hiddenOptions;
        excludedMenuOptions.overrideRedirect = true;
        excludedMenuOptions.rect = QRect(1500, 200, 90, 150);
        XTestWindow excludedMenu(excludedMenuOptions);
        QVERIFY(waitForFrame(*capture.collector, [&](const PixelBuffer &frame) {
            return showsPattern(frame, later, later.rect().topLeft()) &&
                   showsPattern(frame, menu, menu.rect().topLeft()) &&
                   pixelAt(frame, 1050, 720) == black && pixelAt(frame, 1540, 260) == black;
        }));
        stop(capture);
    }

    void framesHaveTheConfiguredSize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("picture"); // where the 320 × 200 window lands
        QTest::addRow("half, same shape") << QSize(160, 100) << QRect(0, 0, 160, 100);
        QTest::addRow("double") << QSize(640, 400) << QRect(0, 0, 640, 400);
        QTest::addRow("wider: bars left and right") << QSize(320, 100) << QRect(80, 0, 160, 100);
        QTest::addRow("taller: bars above and below") << QSize(160, 200) << QRect(0, 50, 160, 100);
        QTest::addRow("odd size") << QSize(101, 77) << QRect(0, 7, 101, 63);
    }

    void framesHaveTheConfiguredSize()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, picture);
        XTestWindow::Options options;
        options.rect = QRect(300, 300, 320, 200);
        XTestWindow window(options);
        QVERIFY(window.isValid());
        StreamConfiguration configuration = quietConfiguration();
        configuration.width = size.width();
        configuration.height = size.height();
        Capture capture = start(ContentFilter::window(windowWithId(window.id())), configuration);
        QVERIFY(!QTest::currentTestFailed());
        window.draw();
        QVERIFY(capture.collector->waitForFrames(1));
        QTest::qWait(100); // the frame after the redraw
        const SampleBuffer frame = capture.collector->lastFrame();
        QVERIFY(frame.imageBuffer);
        const PixelBuffer &pixels = *frame.imageBuffer;
        QCOMPARE(QSize(pixels.width(), pixels.height()), size);
        QVERIFY(allOpaque(pixels));

        const double scale = double(picture.width()) / 320;
        int worst = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const uint32_t value = pixelAt(pixels, x, y);
                if (!picture.contains(x, y)) {
                    QCOMPARE(value, 0xff000000u);
                    continue;
                }
                const double sx = (x - picture.x() + 0.5) / scale - 0.5;
                const double sy = (y - picture.y() + 0.5) / scale - 0.5;
                const int px = std::clamp(int(std::lround(sx)), 0, 319);
                const int py = std::clamp(int(std::lround(sy)), 0, 199);
                worst = std::max(worst, channelDistance(value, window.patternPixel(px, py)));
            }
        }
        // Bilinear sampling of a gradient: off by about one source pixel's step at most.
        QVERIFY2(worst <= 3, qPrintable(QStringLiteral("worst channel difference %1").arg(worst)));
        stop(capture);
    }

    void frameIntervalCapsTheRate()
    {
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        StreamConfiguration configuration = quietConfiguration();
        configuration.minimumFrameInterval = 0.05;
        Capture capture = start(ContentFilter::window(windowWithId(window.id())), configuration);
        QVERIFY(!QTest::currentTestFailed());
        {
            Toucher toucher(window);
            QTest::qWait(1000);
        }
        const std::vector<double> times = capture.collector->presentationTimes();
        QVERIFY2(times.size() >= 10 && times.size() <= 22,
                 qPrintable(QString::number(times.size())));
        for (size_t i = 1; i < times.size(); ++i)
            QVERIFY(times[i] - times[i - 1] >= 0.049);
        stop(capture);
    }

    void unchangedSourceSendsNoFrames()
    {
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        Capture capture =
            start(ContentFilter::window(windowWithId(window.id())), quietConfiguration());
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(capture.collector->waitForFrames(1));
        QTest::qWait(300);
        QCOMPARE(capture.collector->frameCount(), 1);
        window.touch(5, 5, 0xffffffff);
        QVERIFY(capture.collector->waitForFrames(2));
        stop(capture);
    }

    void heldBuffersPauseTheStream()
    {
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        Capture capture =
            start(ContentFilter::window(windowWithId(window.id())), quietConfiguration(), true);
        QVERIFY(!QTest::currentTestFailed());
        {
            Toucher toucher(window);
            QVERIFY(capture.collector->waitForFrames(3));
            QTest::qWait(300);
            // The consumer holds all three buffers: nothing more comes, nothing piles up.
            QCOMPARE(capture.collector->frameCount(), 3);
            capture.collector->setKeepFrames(false);
            capture.collector->releaseKeptFrames();
            QVERIFY(capture.collector->waitForFrames(10));
        }
        // The pool's buffers are used again and again.
        QCOMPARE(capture.collector->distinctBuffers(), size_t(3));
        QCOMPARE(capture.collector->framesWithoutImage(), 0);
        stop(capture);
    }

    void slowConsumerNeverFallsBehindUnbounded()
    {
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        Capture capture =
            start(ContentFilter::window(windowWithId(window.id())), quietConfiguration());
        QVERIFY(!QTest::currentTestFailed());
        capture.collector->setPausePerFrame(std::chrono::milliseconds(50));
        {
            Toucher toucher(window, 2);
            QTest::qWait(1000);
        }
        // At most three frames wait for the consumer, so the stop is heard at once.
        QElapsedTimer stopping;
        stopping.start();
        stop(capture);
        // Unbounded, the second of changes would have queued hundreds of frames of 50 ms each.
        QVERIFY2(stopping.elapsed() < 1000, qPrintable(QString::number(stopping.elapsed())));
        const int framesAtStop = capture.collector->frameCount();
        QVERIFY(framesAtStop <= 25);
        QCOMPARE(capture.collector->maxConcurrentCalls(), 1);
        // Nothing after the stop completed.
        window.touch(1, 1, 0xffffffff);
        QTest::qWait(200);
        QCOMPARE(capture.collector->frameCount(), framesAtStop);
    }

    void resizedWindowIsFollowed()
    {
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        Capture capture =
            start(ContentFilter::window(windowWithId(window.id())), quietConfiguration());
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(capture.collector->waitForFrames(1));
        for (const QSize size : {QSize(200, 300), QSize(500, 120), QSize(320, 200)}) {
            window.resize(size.width(), size.height());
            QVERIFY2(
                waitForFrame(*capture.collector,
                             [&](const PixelBuffer &frame) { return showsPattern(frame, window); }),
                qPrintable(QStringLiteral("%1 × %2").arg(size.width()).arg(size.height())));
        }
        stop(capture);
    }

    void unmappedWindowSendsNothingUntilMappedAgain()
    {
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        Capture capture =
            start(ContentFilter::window(windowWithId(window.id())), quietConfiguration());
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(capture.collector->waitForFrames(1));
        window.unmap();
        QTest::qWait(100);
        const int framesWhenUnmapped = capture.collector->frameCount();
        window.touch(3, 3, 0xffffffff);
        QTest::qWait(200);
        QCOMPARE(capture.collector->frameCount(), framesWhenUnmapped);
        window.map(); // draws the pattern with a new blue
        window.draw(0x77);
        QVERIFY(waitForFrame(*capture.collector, [&](const PixelBuffer &frame) {
            return showsPattern(frame, window);
        }));
        stop(capture);
    }

    void destroyedWindowEndsTheStream()
    {
        XTestWindow::Options options;
        XTestWindow window(options);
        QVERIFY(window.isValid());
        const xcb_window_t id = window.id();
        Capture capture = start(ContentFilter::window(windowWithId(id)), quietConfiguration());
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(capture.collector->waitForFrames(1));

        // Another window takes the same id at once: it must not be captured.
        options.blue = 0xcc;
        window.recreateWithSameId(options);
        QCOMPARE(window.id(), id);
        const int framesAtDestroy = capture.collector->frameCount();
        {
            Toucher toucher(window);
            QTest::qWait(400);
        }
        QCOMPARE(capture.collector->frameCount(), framesAtDestroy);
        stop(capture); // still completes, without an error
    }

    void windowGoneBeforeStartFailsToStart()
    {
        auto window = std::make_unique<XTestWindow>(XTestWindow::Options{});
        QVERIFY(window->isValid());
        auto content = CaptureAwait::content(*m_service);
        QVERIFY(content && content->hasValue());
        const auto listed =
            std::find_if(content->value().windows.begin(), content->value().windows.end(),
                         [&](const Window &w) { return w.windowID == window->id(); });
        QVERIFY(listed != content->value().windows.end());
        window.reset();

        auto stream = m_service->makeStream(ContentFilter::window(*listed), quietConfiguration());
        auto collector = std::make_shared<FrameCollector>();
        QVERIFY(stream->addStreamOutput(
            collector, StreamOutputType::screen,
            std::make_shared<SerialQueue>(QStringLiteral("q"), SerialQueue::Priority::normal)));
        const auto started = CaptureAwait::start(*stream);
        QVERIFY(started && *started);
        QCOMPARE((*started)->domain, QStringLiteral("ScreenCapture"));
        QCOMPARE((*started)->code, int(ErrorCode::windowNotFound));
        QVERIFY2((*started)->localizedDescription.contains(QStringLiteral("no longer exists")),
                 qPrintable((*started)->localizedDescription));
        QCOMPARE(collector->frameCount(), 0);
    }

    void lostXServerEndsTheStream()
    {
        // A server of this test's own, to pull away under the stream.
        XPrivateServer server;
        QVERIFY(server.isRunning());
        const QByteArray displayName = server.display();
        auto window =
            std::make_unique<XTestWindow>(XTestWindow::Options{}, displayName.constData());
        QVERIFY(window->isValid());

        const QByteArray savedDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", displayName);
        Capture capture =
            start(ContentFilter::window(windowWithId(window->id())), quietConfiguration());
        qputenv("DISPLAY", savedDisplay);
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(capture.collector->waitForFrames(1));

        server.kill();
        QTest::qWait(300);
        const int framesAfterLoss = capture.collector->frameCount();
        QTest::qWait(200);
        QCOMPARE(capture.collector->frameCount(), framesAfterLoss);
        stop(capture);
    }

    void pointerIsDrawnWhenAsked_data()
    {
        QTest::addColumn<bool>("showsCursor");
        QTest::addRow("shown") << true;
        QTest::addRow("not shown") << false;
    }

    void pointerIsDrawnWhenAsked()
    {
        QFETCH(bool, showsCursor);
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        const xcb_window_t root =
            xcb_setup_roots_iterator(xcb_get_setup(window.connection())).data->root;
        xcb_warp_pointer(window.connection(), XCB_NONE, root, 0, 0, 0, 0,
                         int16_t(window.rect().center().x()), int16_t(window.rect().center().y()));
        window.sync();
        StreamConfiguration configuration = quietConfiguration();
        configuration.showsCursor = showsCursor;
        Capture capture = start(ContentFilter::window(windowWithId(window.id())), configuration);
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(capture.collector->waitForFrames(1));
        QTest::qWait(100);
        const SampleBuffer frame = capture.collector->lastFrame();
        QCOMPARE(showsPattern(*frame.imageBuffer, window), !showsCursor);
        stop(capture);
    }

    void misuseIsRefused()
    {
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        const ContentFilter filter = ContentFilter::window(windowWithId(window.id()));
        auto queue =
            std::make_shared<SerialQueue>(QStringLiteral("q"), SerialQueue::Priority::normal);
        auto collector = std::make_shared<FrameCollector>();

        auto stream = m_service->makeStream(filter, quietConfiguration());
        QVERIFY(!stream->addStreamOutput(collector, StreamOutputType::audio, queue));
        QVERIFY(!stream->addStreamOutput(nullptr, StreamOutputType::screen, queue));
        QVERIFY(stream->addStreamOutput(collector, StreamOutputType::screen, queue));
        QVERIFY(!stream->addStreamOutput(collector, StreamOutputType::screen, queue));
        auto stopped = CaptureAwait::stop(*stream);
        QVERIFY(stopped && *stopped); // not started
        auto started = CaptureAwait::start(*stream);
        QVERIFY(started && !*started);
        started = CaptureAwait::start(*stream);
        QVERIFY(started && *started); // already started
        stopped = CaptureAwait::stop(*stream);
        QVERIFY(stopped && !*stopped);
        stopped = CaptureAwait::stop(*stream);
        QVERIFY(stopped && *stopped); // already stopped

        StreamConfiguration audio = quietConfiguration();
        audio.capturesAudio = true;
        StreamConfiguration noQueue = quietConfiguration();
        noQueue.queueDepth = 0;
        for (const StreamConfiguration &bad : {audio, noQueue}) {
            auto refused = m_service->makeStream(filter, bad);
            started = CaptureAwait::start(*refused);
            QVERIFY(started && *started);
            QCOMPARE((*started)->code, int(ErrorCode::unsupported));
        }
    }

    void stopRightAfterStartCompletesBothInOrder()
    {
        XTestWindow window(XTestWindow::Options{});
        QVERIFY(window.isValid());
        auto stream = m_service->makeStream(ContentFilter::window(windowWithId(window.id())),
                                            quietConfiguration());
        auto collector = std::make_shared<FrameCollector>();
        QVERIFY(stream->addStreamOutput(
            collector, StreamOutputType::screen,
            std::make_shared<SerialQueue>(QStringLiteral("q"), SerialQueue::Priority::normal)));
        QStringList order;
        stream->startCapture(
            [&](std::optional<Error> error) { order << (error ? "start failed" : "started"); });
        stream->stopCapture(
            [&](std::optional<Error> error) { order << (error ? "stop failed" : "stopped"); });
        QVERIFY(QTest::qWaitFor([&] { return order.size() == 2; }, 5000));
        QCOMPARE(order, QStringList({"started", "stopped"}));
        const int frames = collector->frameCount();
        window.touch(2, 2, 0xffffffff);
        QTest::qWait(100);
        QCOMPARE(collector->frameCount(), frames);
    }

private:
    std::shared_ptr<ScreenCaptureService> m_service;
};

QTEST_GUILESS_MAIN(tst_ScreenCaptureStream)
#include "tst_ScreenCaptureStream.moc"
