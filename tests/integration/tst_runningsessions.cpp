// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions running end to end: an X window (or display, or another application's PipeWire video)
// captured, transformed on the GPU and published as a PipeWire node, received by a consumer.
#include "SessionFixture.h"
#include "engine/FramePath.h"
#include "engine/MetalShared.h"
#include "platform/foundation/HostClock.h"
#include "platform/framesharing/Directory.h"
#include "platform/screencapture/ScreenCaptureService.h"
#include "support/GstPeer.h"
#include "support/LogCapture.h"
#include "support/XTestWindow.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using Resolution = CaptureManager::OutputResolution;

// Conditions that draw the window (to make frames) or read a consumer's newest frame are not
// idempotent, so they are waited for with QTest::qWaitFor: QTRY_* evaluates its expression again
// after it first holds and fails when the second look differs.

namespace {

constexpr int windowWidth = 160;
constexpr int windowHeight = 120;

XTestWindow::Options patternWindow(const QByteArray &appClass, uint32_t pid, int x = 40, int y = 40)
{
    XTestWindow::Options options;
    options.rect = QRect(x, y, windowWidth, windowHeight);
    options.title = QStringLiteral("Pattern");
    options.wmClassInstance = appClass.toLower();
    options.wmClassName = appClass;
    options.pid = pid;
    return options;
}

struct Transform
{
    Rotation rotation = Rotation::r180;
    bool flip = true;
    int top = 0, left = 0, right = 0, bottom = 0;
};

void applyTransform(CaptureSession &session, const Transform &t)
{
    session.setRotation(t.rotation);
    session.setFlipHorizontal(t.flip);
    session.setCropTopPx(t.top);
    session.setCropLeftPx(t.left);
    session.setCropRightPx(t.right);
    session.setCropBottomPx(t.bottom);
}

struct Running
{
    std::unique_ptr<CaptureManager> manager;
    std::shared_ptr<CaptureSession> session;
};

// A manager that has read the catalogue, with its one session pointed at window.
Running sessionOn(const XTestWindow &window)
{
    Running running{std::make_unique<CaptureManager>(), nullptr};
    if (!finish(running.manager->refreshWindows()))
        return {};
    running.session = running.manager->sessions().front();
    running.session->setSelectedWindowID(window.id());
    return running;
}

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task"))
                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                   .size());
}

} // namespace

Q_DECLARE_METATYPE(Transform)
Q_DECLARE_METATYPE(SourceOf)

class TestRunningSessions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowTransformsReachTheConsumer_data()
    {
        QTest::addColumn<Transform>("transform");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<SourceOf>("sourceOf");
        const int w = windowWidth, h = windowHeight;
        QTest::addRow("window defaults: upright")
            << Transform{} << w << h << SourceOf([](int x, int y) { return QPoint(x, y); });
        QTest::addRow("rotation alone: mirrored")
            << Transform{Rotation::r180, false} << w << h
            << SourceOf([w](int x, int y) { return QPoint(w - 1 - x, y); });
        QTest::addRow("mirror alone: turned")
            << Transform{Rotation::r0, true} << w << h
            << SourceOf([w, h](int x, int y) { return QPoint(w - 1 - x, h - 1 - y); });
        QTest::addRow("identity: upside down")
            << Transform{Rotation::r0, false} << w << h
            << SourceOf([h](int x, int y) { return QPoint(x, h - 1 - y); });
        QTest::addRow("crop top") << Transform{Rotation::r180, true, 10, 0, 0, 0} << w << h - 10
                                  << SourceOf([](int x, int y) { return QPoint(x, y + 10); });
        QTest::addRow("crop left") << Transform{Rotation::r180, true, 0, 7, 0, 0} << w - 7 << h
                                   << SourceOf([](int x, int y) { return QPoint(x + 7, y); });
        QTest::addRow("crop right") << Transform{Rotation::r180, true, 0, 0, 5, 0} << w - 5 << h
                                    << SourceOf([](int x, int y) { return QPoint(x, y); });
        QTest::addRow("crop bottom") << Transform{Rotation::r180, true, 0, 0, 0, 6} << w << h - 6
                                     << SourceOf([](int x, int y) { return QPoint(x, y); });
        QTest::addRow("crop every edge, identity")
            << Transform{Rotation::r0, false, 3, 4, 5, 6} << w - 9 << h - 9
            << SourceOf([h](int x, int y) { return QPoint(x + 4, h - 1 - 3 - y); });
    }

    void windowTransformsReachTheConsumer()
    {
        QFETCH(Transform, transform);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(SourceOf, sourceOf);

        XTestWindow window(patternWindow("Painter", 5101));
        QVERIFY(window.isValid());
        auto running = sessionOn(window);
        QVERIFY(running.session);
        applyTransform(*running.session, transform);
        QVERIFY(finish(running.session->start(*running.manager)));
        QVERIFY2(running.session->isRunning(), qPrintable(running.session->status()));
        QCOMPARE(running.session->healthState(), HealthState::live);
        const auto server = running.session->syphonServer();
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*server).isEmpty(), 10000);

        OutputReceiver receiver(*server);
        QVERIFY(receiver.isValid());
        QString difference = QStringLiteral("no frame");
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         window.draw(); // damage, so that frames keep coming
                         difference =
                             comparePicture(receiver.picture(), window, width, height, sourceOf);
                         return difference.isEmpty();
                     },
                     15000),
                 qPrintable(difference));
        QVERIFY(finish(running.session->stop(*running.manager)));
    }

    void gstreamerConsumerSeesTheWindowUpright()
    {
        XTestWindow window(patternWindow("Painter", 5102));
        auto running = sessionOn(window);
        const auto server = startPublishing(*running.session, *running.manager);
        QVERIFY2(server, qPrintable(running.session->status()));

        QTemporaryDir frames;
        GstPeer consumer({QStringLiteral("pipewiresrc"),
                          QStringLiteral("target-object=") + serverUuid(*server),
                          QStringLiteral("!"), QStringLiteral("video/x-raw,format=BGRA"),
                          QStringLiteral("!"), QStringLiteral("multifilesink"),
                          QStringLiteral("location=%1/frame%05d.raw").arg(frames.path()),
                          QStringLiteral("max-files=2")});
        QVERIFY(consumer.start());
        QByteArray newest;
        QVERIFY(QTest::qWaitFor(
            [&] {
                window.draw();
                const auto files =
                    QDir(frames.path())
                        .entryList({QStringLiteral("*.raw")}, QDir::Files, QDir::Name);
                // The newest file may still be being written: read the one before it.
                if (files.size() < 2)
                    return false;
                QFile file(frames.filePath(files[files.size() - 2]));
                if (!file.open(QIODevice::ReadOnly))
                    return false;
                newest = file.readAll();
                return newest.size() == windowWidth * windowHeight * 4;
            },
            60000));
        consumer.stop();
        // pipewiresrc hands frames top row first: the window as it is on screen.
        const auto *pixels = reinterpret_cast<const uint32_t *>(newest.constData());
        for (int y = 0; y < windowHeight; ++y) {
            for (int x = 0; x < windowWidth; ++x) {
                if (pixels[y * windowWidth + x] != window.patternPixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) differs").arg(x).arg(y)));
            }
        }
        QVERIFY(finish(running.session->stop(*running.manager)));
    }

    void outputSizes_data()
    {
        QTest::addColumn<Resolution>("resolution");
        QTest::addColumn<int>("customWidth");
        QTest::addColumn<int>("customHeight");
        QTest::addColumn<QSize>("size");
        QTest::addRow("native") << Resolution::native << 1920 << 1080
                                << QSize(windowWidth, windowHeight);
        QTest::addRow("preset") << Resolution::r640x360 << 1920 << 1080 << QSize(640, 360);
        QTest::addRow("custom") << Resolution::custom << 200 << 90 << QSize(200, 90);
        QTest::addRow("custom with a zero width")
            << Resolution::custom << 0 << 90 << QSize(windowWidth, windowHeight);
    }

    void outputSizes()
    {
        QFETCH(Resolution, resolution);
        QFETCH(int, customWidth);
        QFETCH(int, customHeight);
        QFETCH(QSize, size);
        XTestWindow window(patternWindow("Painter", 5103));
        auto running = sessionOn(window);
        running.session->setOutputResolution(resolution);
        running.session->setCustomWidth(customWidth);
        running.session->setCustomHeight(customHeight);
        const auto server = startPublishing(*running.session, *running.manager);
        QVERIFY2(server, qPrintable(running.session->status()));
        OutputReceiver receiver(*server);
        QVERIFY(QTest::qWaitFor(
            [&] {
                window.draw();
                const auto picture = receiver.picture();
                return QSize(picture.width, picture.height) == size;
            },
            15000));
        if (resolution == Resolution::r640x360) {
            // 160 x 120 scaled into 640 x 360 keeps its aspect: 480 x 360, black bars of 80.
            const auto picture = receiver.picture();
            QCOMPARE(picture.at(10, 180) & 0xffffff, 0u);
            QCOMPARE(picture.at(630, 180) & 0xffffff, 0u);
            QVERIFY((picture.at(320, 180) & 0xffffff) != 0u);
        }
        QVERIFY(finish(running.session->stop(*running.manager)));
    }

    void displayAndApplicationCapture()
    {
        XTestWindow painter(patternWindow("Painter", 5104, 300, 200));
        XTestWindow other(patternWindow("Other", 5105, 700, 200));
        auto running = sessionOn(painter);
        QVERIFY(!running.manager->displays().empty());

        // The display: both windows, where they are on screen.
        running.session->setSelectedDisplayID(running.manager->displays().front().displayID);
        QVERIFY(finish(running.session->start(*running.manager)));
        QVERIFY2(running.session->isRunning(), qPrintable(running.session->status()));
        QCOMPARE(running.session->statusPrefix(),
                 QStringLiteral("Capturing \"Display %1\"")
                     .arg(running.manager->displays().front().displayID));
        auto server = running.session->syphonServer();
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*server).isEmpty(), 10000);
        {
            OutputReceiver receiver(*server);
            QVERIFY(QTest::qWaitFor(
                [&] {
                    painter.draw();
                    const auto picture = receiver.picture();
                    return picture.width > 800 &&
                           picture.at(300 + 5, 200 + 7) == painter.patternPixel(5, 7) &&
                           picture.at(700 + 9, 200 + 3) == other.patternPixel(9, 3);
                },
                20000));
        }
        QVERIFY(finish(running.session->stop(*running.manager)));

        // The application: its window, and black where the other application's window is.
        running.session->setSelectedDisplayID(std::nullopt);
        running.session->setSelectedApplicationPID(5104);
        QVERIFY(finish(running.session->start(*running.manager)));
        QVERIFY2(running.session->isRunning(), qPrintable(running.session->status()));
        QCOMPARE(running.session->statusPrefix(), QStringLiteral("Capturing \"Painter\""));
        server = running.session->syphonServer();
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*server).isEmpty(), 10000);
        OutputReceiver receiver(*server);
        QVERIFY(QTest::qWaitFor(
            [&] {
                painter.draw();
                const auto picture = receiver.picture();
                return picture.width > 800 &&
                       picture.at(300 + 5, 200 + 7) == painter.patternPixel(5, 7) &&
                       (picture.at(700 + 9, 200 + 3) & 0xffffff) == 0u;
            },
            20000));
        QVERIFY(finish(running.session->stop(*running.manager)));
    }

    void frameSharingSourceIsRepublishedUpright()
    {
        GstPeer source(GstPeer::testSource(QStringLiteral("kinolith-e2e-source"),
                                           QStringLiteral("Bars"), 320, 240,
                                           QStringLiteral("smpte"), 30));
        QVERIFY(source.start());
        CaptureManager manager;
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (const auto &server : manager.syphonServers()) {
                    if (server.name == u"Bars")
                        return true;
                }
                return false;
            },
            10000));
        SyphonServerInfo record;
        for (const auto &server : manager.syphonServers()) {
            if (server.name == u"Bars")
                record = server;
        }
        auto session = manager.sessions().front();
        session->setSourceType(SourceType::syphon);
        session->setRotation(CaptureSession::defaultSyphonRotation);
        session->setFlipHorizontal(CaptureSession::defaultSyphonFlipHorizontal);
        session->setSelectedSyphonUUID(record.uuid);
        session->setOutputResolution(Resolution::r640x360); // ignored for this source
        QVERIFY(finish(session->start(manager)));
        QVERIFY2(session->isRunning(), qPrintable(session->status()));
        QCOMPARE(session->statusPrefix(),
                 QStringLiteral("Capturing Syphon \"") + record.displayName() + u'"');
        QCOMPARE(manager.resolvedServerName(*session).section(QStringLiteral(" - "), 0, 0),
                 record.appName);

        // The source as it arrives straight from GStreamer is what the republished output shows.
        auto direct =
            framesharing::Client::create(record.serverDescription, [](framesharing::Client &) {});
        QVERIFY(direct->isValid());
        const auto server = session->syphonServer();
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*server).isEmpty(), 10000);
        OutputReceiver receiver(*server);
        QTRY_VERIFY_WITH_TIMEOUT(receiver.newest() && direct->newestFrame(), 15000);
        const auto republished = receiver.newest();
        const auto original = direct->newestFrame();
        QCOMPARE(republished->width, 320);
        QCOMPARE(republished->height, 240);
        // smpte bars are the same in every frame: compare row by row.
        for (int row = 0; row < 240; ++row) {
            QVERIFY(std::equal(republished->view().row(row), republished->view().row(row) + 320 * 4,
                               original->view().row(row)));
        }
        direct->stop();

        // The source goes away mid-stream: no crash, the session still stops.
        source.stop();
        QTest::qWait(300);
        QVERIFY(finish(session->stop(manager)));
        QCOMPARE(session->status(), QStringLiteral("Stopped"));
    }

    void transformEditsReachTheNextFrames()
    {
        XTestWindow window(patternWindow("Painter", 5106));
        auto running = sessionOn(window);
        QVERIFY(finish(running.session->start(*running.manager)));
        const auto server = running.session->syphonServer();
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*server).isEmpty(), 10000);
        const QString uuid = serverUuid(*server);
        OutputReceiver receiver(*server);
        QVERIFY(QTest::qWaitFor(
            [&] {
                window.draw();
                return receiver.picture().width == windowWidth;
            },
            15000));

        running.session->setCropLeftPx(20);
        running.session->setFlipHorizontal(false);
        QString difference;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         window.draw();
                         difference = comparePicture(
                             receiver.picture(), window, windowWidth - 20, windowHeight,
                             [](int x, int y) { return QPoint(windowWidth - 1 - 20 - x, y); });
                         return difference.isEmpty();
                     },
                     15000),
                 qPrintable(difference));
        // The same node all along: no restart.
        QCOMPARE(serverUuid(*running.session->syphonServer()), uuid);
        QVERIFY(running.session->status().endsWith(
            QStringLiteral("Rot 180\u00b0, NoFlip, Crop px T0 L20 R0 B0")));
        // One texture at the first size and one at the new size, then reused.
        QCOMPARE(running.session->framePath().outputTexturesMade(), 2);
        QVERIFY(finish(running.session->stop(*running.manager)));
    }

    void stopWithdrawsAndRestartMakesANewNode()
    {
        XTestWindow first(patternWindow("Painter", 5107));
        XTestWindow second(patternWindow("Sculptor", 5108, 300));
        auto running = sessionOn(first);
        auto &session = *running.session;
        QVERIFY(finish(session.start(*running.manager)));
        auto server = session.syphonServer();
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*server).isEmpty(), 10000);
        const QString firstUuid = serverUuid(*server);
        QCOMPARE(server->name(), QStringLiteral("Painter - ") + session.shortTag());
        server.reset();

        auto directory = framesharing::Directory::create();
        auto listed = [&directory](const QString &uuid) {
            for (const auto &description : directory->servers()) {
                if (description.value(QStringLiteral("uuid")).toString() == uuid)
                    return true;
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(listed(firstUuid), 10000);
        QVERIFY(finish(session.stop(*running.manager)));
        QCOMPARE(session.status(), QStringLiteral("Stopped"));
        QCOMPARE(session.healthState(), HealthState::stopped);
        QVERIFY(!session.syphonServer());
        QCOMPARE(session.framePath().outputTextureSize(), FramePath::Size{});
        QTRY_VERIFY_WITH_TIMEOUT(!listed(firstUuid), 10000);

        // The name is resolved again at the next start.
        session.setSelectedWindowID(second.id());
        QVERIFY(finish(session.start(*running.manager)));
        server = session.syphonServer();
        QVERIFY(server);
        QCOMPARE(server->name(), QStringLiteral("Sculptor - ") + session.shortTag());
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*server).isEmpty(), 10000);
        QVERIFY(serverUuid(*server) != firstUuid);
        QVERIFY(finish(session.stop(*running.manager)));
    }

    void removingARunningSessionStopsItFirst()
    {
        XTestWindow window(patternWindow("Painter", 5109));
        auto running = sessionOn(window);
        auto session = running.session;
        QVERIFY(finish(session->start(*running.manager)));
        QVERIFY(session->isRunning());
        QVERIFY(finish(running.manager->removeSession(session)));
        QVERIFY(!session->isRunning());
        QCOMPARE(session->status(), QStringLiteral("Stopped"));
        QVERIFY(!session->syphonServer());
        QCOMPARE(running.manager->sessions().size(), size_t(1));
        QVERIFY(running.manager->sessions().front() != session);
    }

    void framesDuringABlockedMainThreadKeepItLive()
    {
        XTestWindow window(patternWindow("Painter", 5110));
        auto running = sessionOn(window);
        auto &session = *running.session;
        QVERIFY(finish(session.start(*running.manager)));
        QCOMPARE(session.healthState(), HealthState::live);
        QTRY_VERIFY_WITH_TIMEOUT(session.framePath().lastFrameTime() > 0, 10000);

        // Frames keep coming while the main thread is blocked for 1.5 s: when their checks run
        // late, each finds a recent frame.
        std::atomic<bool> drawing{true};
        std::thread painter([&] {
            while (drawing) {
                window.draw();
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        QCoreApplication::processEvents();
        drawing = false;
        painter.join();
        QCOMPARE(session.healthState(), HealthState::live);
        QVERIFY(finish(session.stop(*running.manager)));
        QCOMPARE(session.healthState(), HealthState::stopped);
    }

    void stallIsReportedWhenTheLastFrameIsOld()
    {
        XTestWindow window(patternWindow("Painter", 5111));
        auto running = sessionOn(window);
        auto &session = *running.session;
        QVERIFY(finish(session.start(*running.manager)));
        QTest::qWait(500); // the frames of the start have been handled
        // One more frame, then the main thread is blocked before its checks can run; the window
        // stays still, so that frame is the last one.
        window.draw();
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        QVERIFY(hostTime() - session.framePath().lastFrameTime() > 1.0);
        QTRY_COMPARE_WITH_TIMEOUT(session.healthState(), HealthState::stalled, 2000);
        QTest::qWait(300);
        QCOMPARE(session.healthState(), HealthState::stalled); // no timer brings it back
        // The next published frame makes it live again.
        window.draw();
        QTRY_COMPARE_WITH_TIMEOUT(session.healthState(), HealthState::live, 5000);
        QVERIFY(finish(session.stop(*running.manager)));
    }

    void previewsAreThrottledAndKept()
    {
        XTestWindow window(patternWindow("Painter", 5112));
        auto running = sessionOn(window);
        auto &session = *running.session;
        QSignalSpy previews(&session, &CaptureSession::previewImageChanged);
        QVERIFY(finish(session.start(*running.manager)));
        const double begin = hostTime();
        while (hostTime() - begin < 1.0) {
            window.draw();
            QTest::qWait(10);
        }
        QVERIFY(previews.count() >= 3);
        QVERIFY2(previews.count() <= 11, qPrintable(QString::number(previews.count())));
        // The preview shows the output with its first row at the bottom: with the window
        // defaults, the window as it is on screen.
        const QImage preview = session.previewImage();
        QCOMPARE(preview.size(), QSize(windowWidth, windowHeight));
        QCOMPARE(uint32_t(preview.pixel(3, 2)), window.patternPixel(3, 2));
        QCOMPARE(uint32_t(preview.pixel(150, 110)), window.patternPixel(150, 110));

        QVERIFY(finish(session.stop(*running.manager)));
        const int afterStop = int(previews.count());
        window.draw();
        QTest::qWait(300);
        QCOMPARE(previews.count(), afterStop);
        QVERIFY(!session.previewImage().isNull());
    }

    void refusedStarts()
    {
        XTestWindow window(patternWindow("Painter", 5113));
        auto running = sessionOn(window);
        auto &session = *running.session;
        auto &manager = *running.manager;

        session.setSelectedWindowID(std::nullopt);
        QSignalSpy anyChange(&session, &CaptureSession::healthStateChanged);
        QVERIFY(finish(session.start(manager)));
        QCOMPARE(session.status(), QStringLiteral("Pick a source first"));

        session.setSelectedWindowID(window.id());
        session.setSourceType(SourceType::syphon);
        QVERIFY(finish(session.start(manager)));
        QCOMPARE(session.status(), QStringLiteral("Pick a Syphon source first"));
        session.setSelectedSyphonUUID(QString());
        QVERIFY(finish(session.start(manager)));
        QCOMPARE(session.status(), QStringLiteral("Syphon source not found"));
        QCOMPARE(anyChange.count(), 0);
        QVERIFY(!session.isRunning());

        // A custom size the GPU cannot draw fails clearly instead of publishing nothing.
        session.setSourceType(SourceType::window);
        session.setOutputResolution(Resolution::custom);
        session.setCustomWidth(100000);
        session.setCustomHeight(100000);
        QVERIFY(finish(session.start(manager)));
        const int maximum = manager.metal().getMetal()->device->maxTextureSize();
        QCOMPARE(session.status(),
                 QStringLiteral(
                     "Start failed: The output size 100000 \u00d7 100000 is larger than the GPU "
                     "can draw (at most %1 \u00d7 %1)")
                     .arg(maximum));
        QCOMPARE(session.healthState(), HealthState::stopped);
        QVERIFY(!session.syphonServer());
    }

    void selectionMissingFromAnUnreadCatalogue()
    {
        // A manager that has not read the screen-capture service lists no application: a selected
        // one does not resolve, and nothing else is selected.
        XTestWindow window(patternWindow("Painter", 5114));
        CaptureManager empty;
        auto lonely = empty.sessions().front();
        lonely->setSelectedApplicationPID(5114);
        QVERIFY(finish(lonely->start(empty)));
        QCOMPARE(lonely->status(), QStringLiteral("Pick a source first"));
    }

    void noGpuDeviceFailsTheStart()
    {
        XTestWindow window(patternWindow("Painter", 5115));
        CaptureManager manager(
            ScreenCapture::makeScreenCaptureService(), framesharing::Directory::create(),
            std::make_shared<MetalShared>([] { return std::shared_ptr<GpuDevice>(); }));
        QVERIFY(finish(manager.refreshWindows()));
        auto session = manager.sessions().front();
        session->setSelectedWindowID(window.id());
        QVERIFY(finish(session->start(manager)));
        QCOMPARE(session->status(), QStringLiteral("Start failed: Metal device unavailable"));
        QCOMPARE(session->healthState(), HealthState::stopped);
        QVERIFY(!session->isRunning());
    }

    void syphonClientThatCannotConnect()
    {
        auto source = std::make_unique<GstPeer>(GstPeer::testSource(
            QStringLiteral("kinolith-e2e-vanishing"), QStringLiteral("Vanishing"), 64, 48));
        QVERIFY(source->start());
        CaptureManager manager;
        QString uuid;
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (const auto &server : manager.syphonServers()) {
                    if (server.name == u"Vanishing")
                        uuid = server.uuid;
                }
                return !uuid.isEmpty();
            },
            10000));
        // The source goes away; the manager's list still holds it until the main thread runs
        // the directory's notifications.
        source->stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        auto session = manager.sessions().front();
        session->setSourceType(SourceType::syphon);
        session->setSelectedSyphonUUID(uuid);
        QVERIFY(finish(session->start(manager)));
        QCOMPARE(session->status(),
                 QStringLiteral("Start failed: Failed to connect to Syphon server"));
        QCOMPARE(session->healthState(), HealthState::stopped);
        QVERIFY(!session->syphonServer());
    }

    void capturedWindowDestroyedWhileRunning()
    {
        auto window = std::make_unique<XTestWindow>(patternWindow("Painter", 5116));
        auto running = sessionOn(*window);
        QVERIFY(finish(running.session->start(*running.manager)));
        QTRY_VERIFY_WITH_TIMEOUT(running.session->framePath().lastFrameTime() > 0, 10000);
        window.reset();
        QTest::qWait(300);
        const double last = running.session->framePath().lastFrameTime();
        QTest::qWait(300);
        QCOMPARE(running.session->framePath().lastFrameTime(), last);
        QVERIFY(running.session->isRunning());
        QVERIFY(finish(running.session->stop(*running.manager)));
        QCOMPARE(running.session->status(), QStringLiteral("Stopped"));
    }

    void manyStartStopCyclesLeaveNothingBehind()
    {
        XTestWindow window(patternWindow("Painter", 5117));
        auto running = sessionOn(window);
        auto &session = *running.session;
        // One cycle first, so that the threads that live as long as the process (the GPU worker,
        // PipeWire's loop) exist before counting.
        QVERIFY(finish(session.start(*running.manager)));
        QVERIFY(finish(session.stop(*running.manager)));
        const int threadsBefore = threadCount();
        for (int i = 0; i < 200; ++i) {
            QVERIFY(finish(session.start(*running.manager)));
            QVERIFY2(session.isRunning(), qPrintable(session.status()));
            if (i % 10 == 0)
                window.draw();
            QVERIFY(finish(session.stop(*running.manager)));
        }
        QTRY_COMPARE_WITH_TIMEOUT(threadCount(), threadsBefore, 5000);
    }
};

QTEST_GUILESS_MAIN(TestRunningSessions)
#include "tst_runningsessions.moc"
