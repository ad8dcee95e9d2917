// SPDX-License-Identifier: GPL-3.0-or-later
// Running sessions under faults: the PipeWire daemon going away and coming back under them, and
// many quick start/stop cycles of a frame-sharing session. The daemon is a private one, so the
// test command's daemon stays up for the other tests.
#include "SessionFixture.h"
#include "engine/FramePath.h"
#include "support/GstPeer.h"
#include "support/PrivatePipeWire.h"
#include "support/XTestWindow.h"

#include <QDir>
#include <QTest>
#include <memory>

namespace {

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task"))
                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                   .size());
}

XTestWindow::Options faultWindow(uint32_t pid)
{
    XTestWindow::Options options;
    options.rect = QRect(60, 60, 160, 120);
    options.title = QStringLiteral("Fault");
    options.wmClassInstance = "faulty";
    options.wmClassName = "Faulty";
    options.pid = pid;
    return options;
}

// The uuid of the manager's listed frame-sharing server with that name, once listed.
QString listedUuid(const CaptureManager &manager, const QString &name)
{
    for (const auto &server : manager.syphonServers()) {
        if (server.name == name)
            return server.uuid;
    }
    return {};
}

// A session on a frame-sharing source, with the defaults of that source.
void pointAtSource(CaptureSession &session, const QString &uuid)
{
    session.setSourceType(SourceType::syphon);
    session.setRotation(CaptureSession::defaultSyphonRotation);
    session.setFlipHorizontal(CaptureSession::defaultSyphonFlipHorizontal);
    session.setSelectedSyphonUUID(uuid);
}

// True once a consumer of the session's output receives a frame of that size.
bool receivesFrames(const CaptureSession &session, QSize size, XTestWindow *damage = nullptr)
{
    const auto server = session.syphonServer();
    if (!server || !QTest::qWaitFor([&] { return !serverUuid(*server).isEmpty(); }, 10000))
        return false;
    OutputReceiver receiver(*server);
    if (!receiver.isValid())
        return false;
    return QTest::qWaitFor(
        [&] {
            if (damage)
                damage->draw();
            const auto frame = receiver.newest();
            return frame && QSize(frame->width, frame->height) == size;
        },
        15000);
}

} // namespace

class TestSessionFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Before any PipeWire client of this process (and the GStreamer peers) exists.
        m_daemon.useInThisProcess();
        QVERIFY(m_daemon.start());
    }

    void frameSharingStartStopCyclesLeaveNoThread()
    {
        CaptureManager manager;
        auto session = manager.sessions().front();
        // A GStreamer source (pipewiresink of PipeWire 0.3.65) stops sending to anyone once
        // consumers have left it while linking or negotiating: after a few dozen of our clients,
        // and as soon as after 2 to 20 of GStreamer's own pipewiresrc consumers stopped early. Its
        // node stays, idle. Hence a fresh source every 40 cycles, each checked to reach the
        // session's output as it comes.
        std::unique_ptr<GstPeer> source;
        auto newSource = [&] {
            const QString oldUuid = session->selectedSyphonUUID().value_or(QString());
            source.reset();
            source = std::make_unique<GstPeer>(GstPeer::testSource(
                QStringLiteral("kinolith-fault-cycles"), QStringLiteral("Cycles"), 64, 48));
            if (!source->start())
                return false;
            QString uuid;
            if (!QTest::qWaitFor(
                    [&] {
                        uuid = listedUuid(manager, QStringLiteral("Cycles"));
                        return !uuid.isEmpty() && uuid != oldUuid;
                    },
                    10000))
                return false;
            pointAtSource(*session, uuid);
            return true;
        };
        QVERIFY(newSource());
        // One cycle first, so that the threads that live as long as the process (the GPU worker,
        // PipeWire's loops) exist before counting.
        QVERIFY(finish(session->start(manager)));
        QVERIFY2(session->isRunning(), qPrintable(session->status()));
        QVERIFY(receivesFrames(*session, QSize(64, 48)));
        QVERIFY(finish(session->stop(manager)));
        const int threadsBefore = threadCount();
        for (int i = 0; i < 200; ++i) {
            if (i % 40 == 0 && i > 0)
                QVERIFY(newSource());
            QVERIFY(finish(session->start(manager)));
            QVERIFY2(session->isRunning(),
                     qPrintable(QStringLiteral("cycle %1: %2").arg(i).arg(session->status())));
            if (i % 40 == 0) {
                // Frames flow in the first cycle on each source, and are in flight at its stop.
                QVERIFY2(receivesFrames(*session, QSize(64, 48)), qPrintable(QString::number(i)));
            } else if (i % 10 == 5) {
                QTest::qWait(50); // now and then a frame in flight while the stop comes
            }
            QVERIFY(finish(session->stop(manager)));
            QCOMPARE(session->status(), QStringLiteral("Stopped"));
        }
        QVERIFY(!session->syphonServer());
        source.reset();
        QTRY_COMPARE_WITH_TIMEOUT(threadCount(), threadsBefore, 5000);
    }

    void daemonRestartUnderRunningSessions()
    {
        XTestWindow window(faultWindow(5301));
        QVERIFY(window.isValid());
        auto source = std::make_unique<GstPeer>(GstPeer::testSource(
            QStringLiteral("kinolith-fault-source"), QStringLiteral("Restarted"), 96, 64));
        QVERIFY(source->start());

        CaptureManager manager;
        QVERIFY(finish(manager.refreshWindows()));
        auto windowSession = manager.sessions().front();
        windowSession->setSelectedWindowID(window.id());
        manager.addSession();
        auto sharingSession = manager.sessions().back();
        QString uuid;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(uuid = listedUuid(manager, QStringLiteral("Restarted"))).isEmpty(), 10000);
        pointAtSource(*sharingSession, uuid);

        QVERIFY(finish(windowSession->start(manager)));
        QVERIFY2(windowSession->isRunning(), qPrintable(windowSession->status()));
        QVERIFY(finish(sharingSession->start(manager)));
        QVERIFY2(sharingSession->isRunning(), qPrintable(sharingSession->status()));
        QVERIFY(receivesFrames(*windowSession, QSize(160, 120), &window));
        QVERIFY(receivesFrames(*sharingSession, QSize(96, 64)));
        const auto windowServer = windowSession->syphonServer();
        const auto sharingServer = sharingSession->syphonServer();
        const QString windowUuid = serverUuid(*windowServer);

        // The daemon goes while frames keep coming from the window.
        m_daemon.stop();
        for (int i = 0; i < 10; ++i) {
            window.draw();
            QTest::qWait(50);
        }
        // The output nodes are gone with the daemon; the sessions stay up, waiting.
        QTRY_VERIFY_WITH_TIMEOUT(serverUuid(*windowServer).isEmpty(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(serverUuid(*sharingServer).isEmpty(), 10000);
        QVERIFY(windowSession->isRunning());
        QVERIFY(sharingSession->isRunning());
        qInfo("daemon down: window session %s (%s), frame-sharing session %s (%s)",
              qPrintable(rawValue(windowSession->healthState())),
              qPrintable(windowSession->status()),
              qPrintable(rawValue(sharingSession->healthState())),
              qPrintable(sharingSession->status()));

        QVERIFY(m_daemon.start());
        // The running window session's output server makes its node anew on the new daemon, and
        // its frames reach a new consumer without a restart.
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*windowServer).isEmpty(), 10000);
        QCOMPARE(windowSession->syphonServer(), windowServer);
        qInfo("daemon back: window output node %s (was %s)", qPrintable(serverUuid(*windowServer)),
              qPrintable(windowUuid));
        QVERIFY(receivesFrames(*windowSession, QSize(160, 120), &window));

        // Both sessions stop cleanly.
        QVERIFY(finish(windowSession->stop(manager)));
        QCOMPARE(windowSession->status(), QStringLiteral("Stopped"));
        QVERIFY(finish(sharingSession->stop(manager)));
        QCOMPARE(sharingSession->status(), QStringLiteral("Stopped"));
        QVERIFY(!windowSession->syphonServer());
        QVERIFY(!sharingSession->syphonServer());

        // Restarted against the new daemon, both publish again; the frame-sharing session needs
        // its source back first (the old one went with the daemon).
        QVERIFY(finish(windowSession->start(manager)));
        QVERIFY2(windowSession->isRunning(), qPrintable(windowSession->status()));
        QVERIFY(receivesFrames(*windowSession, QSize(160, 120), &window));

        source = std::make_unique<GstPeer>(GstPeer::testSource(
            QStringLiteral("kinolith-fault-source"), QStringLiteral("Restarted"), 96, 64));
        QVERIFY(source->start());
        QString newUuid;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                newUuid = listedUuid(manager, QStringLiteral("Restarted"));
                return !newUuid.isEmpty() && newUuid != uuid;
            }(),
            10000);
        sharingSession->setSelectedSyphonUUID(newUuid);
        QVERIFY(finish(sharingSession->start(manager)));
        QVERIFY2(sharingSession->isRunning(), qPrintable(sharingSession->status()));
        QVERIFY(receivesFrames(*sharingSession, QSize(96, 64)));

        QVERIFY(finish(windowSession->stop(manager)));
        QVERIFY(finish(sharingSession->stop(manager)));
    }

    void startWithoutDaemonPublishesAfterARestart()
    {
        XTestWindow window(faultWindow(5302));
        CaptureManager manager;
        QVERIFY(finish(manager.refreshWindows()));
        auto session = manager.sessions().front();
        session->setSelectedWindowID(window.id());
        m_daemon.stop();
        // Without a daemon there is no output server: the window capture still runs (the
        // failure is logged) and its frames are dropped, until a restart.
        QVERIFY(finish(session->start(manager)));
        QVERIFY2(session->isRunning(), qPrintable(session->status()));
        QVERIFY(!session->syphonServer());
        window.draw();
        QTest::qWait(300);
        QCOMPARE(session->framePath().lastFrameTime(), 0.0);
        QVERIFY(m_daemon.start());
        QVERIFY(finish(session->restart(manager)));
        QVERIFY2(session->isRunning(), qPrintable(session->status()));
        QVERIFY(receivesFrames(*session, QSize(160, 120), &window));
        QVERIFY(finish(session->stop(manager)));
    }

private:
    PrivatePipeWire m_daemon;
};

QTEST_GUILESS_MAIN(TestSessionFaults)
#include "tst_sessionfaults.moc"
