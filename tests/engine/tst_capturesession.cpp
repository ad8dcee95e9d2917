// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CaptureSession.h"
#include "engine/SessionStatus.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <functional>
#include <thread>

using Resolution = CaptureManager::OutputResolution;

namespace {

using Setter = std::function<void(CaptureSession &)>;

// Puts a session into the running state as a successful start leaves it.
void markRunning(CaptureSession &session, const QString &prefix)
{
    session.setStatusPrefix(prefix);
    session.setIsRunning(true);
    session.setHealthState(HealthState::live);
    session.setStatus(SessionStatus::running(prefix, session.transformLabel()));
}

} // namespace

Q_DECLARE_METATYPE(Setter)
Q_DECLARE_METATYPE(TransformSnapshot)

class TestCaptureSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newSessionDefaults()
    {
        CaptureSession session;
        QVERIFY(!session.id().isNull());
        QCOMPARE(session.status(), QStringLiteral("Idle"));
        QCOMPARE(session.healthState(), HealthState::stopped);
        QCOMPARE(session.sourceType(), SourceType::window);
        QVERIFY(!session.isRunning());
        QCOMPARE(session.rotation(), Rotation::r180);
        QCOMPARE(session.flipHorizontal(), true);
        QCOMPARE(session.cropTopPx(), 0);
        QCOMPARE(session.cropLeftPx(), 0);
        QCOMPARE(session.cropRightPx(), 0);
        QCOMPARE(session.cropBottomPx(), 0);
        QCOMPARE(session.outputResolution(), Resolution::native);
        QCOMPARE(session.customWidth(), 1920);
        QCOMPARE(session.customHeight(), 1080);
        QVERIFY(!session.selectedWindowID());
        QVERIFY(!session.selectedDisplayID());
        QVERIFY(!session.selectedApplicationPID());
        QVERIFY(!session.selectedSyphonUUID());
        QVERIFY(session.previewImage().isNull());
        QCOMPARE(session.statusPrefix(), QStringLiteral("Capturing"));
        QCOMPARE(session.transformSnapshot(), (TransformSnapshot{true, true, 0, 0, 0, 0}));
    }

    void perSourceTypeDefaults()
    {
        QCOMPARE(CaptureSession::defaultWindowRotation, Rotation::r180);
        QCOMPARE(CaptureSession::defaultWindowFlipHorizontal, true);
        QCOMPARE(CaptureSession::defaultSyphonRotation, Rotation::r0);
        QCOMPARE(CaptureSession::defaultSyphonFlipHorizontal, false);
        QCOMPARE(CaptureSession::previewMaxFPS, 10.0);
    }

    void identity()
    {
        CaptureSession a;
        CaptureSession b;
        QVERIFY(a.id() != b.id());
        const QString tag = a.shortTag();
        QCOMPARE(tag.size(), 4);
        QCOMPARE(tag, a.id().toString(QUuid::WithoutBraces).left(4).toUpper());
        QCOMPARE(tag, tag.toUpper());
    }

    void transformLabel_data()
    {
        QTest::addColumn<Setter>("setup");
        QTest::addColumn<QString>("label");
        QTest::addRow("new session")
            << Setter([](CaptureSession &) {}) << QStringLiteral("Rot 180\u00b0, FlipH, NoCrop");
        QTest::addRow("no rotation, no mirror, top and left") << Setter([](CaptureSession &s) {
            s.setRotation(Rotation::r0);
            s.setFlipHorizontal(false);
            s.setCropTopPx(10);
            s.setCropLeftPx(4);
        }) << QStringLiteral("Rot 0\u00b0, NoFlip, Crop px T10 L4 R0 B0");
        QTest::addRow("negative crops count as none") << Setter([](CaptureSession &s) {
            s.setCropTopPx(-5);
            s.setCropLeftPx(-5);
            s.setCropRightPx(-5);
            s.setCropBottomPx(-5);
        }) << QStringLiteral("Rot 180\u00b0, FlipH, NoCrop");
        QTest::addRow("one negative among positives") << Setter([](CaptureSession &s) {
            s.setCropTopPx(-7);
            s.setCropRightPx(12);
            s.setCropBottomPx(3);
        }) << QStringLiteral("Rot 180\u00b0, FlipH, Crop px T0 L0 R12 B3");
        QTest::addRow("extreme values") << Setter([](CaptureSession &s) {
            s.setCropTopPx(std::numeric_limits<int64_t>::max());
            s.setCropLeftPx(std::numeric_limits<int64_t>::min());
        }) << QStringLiteral("Rot 180\u00b0, FlipH, Crop px T9223372036854775807 L0 R0 B0");
    }

    void transformLabel()
    {
        QFETCH(Setter, setup);
        QFETCH(QString, label);
        CaptureSession session;
        setup(session);
        QCOMPARE(session.transformLabel(), label);
    }

    void transformSettersRefreshSnapshotAndRunningStatus_data()
    {
        QTest::addColumn<Setter>("setter");
        QTest::addColumn<TransformSnapshot>("snapshot");
        QTest::addColumn<QString>("label");
        QTest::addRow("rotation") << Setter([](CaptureSession &s) { s.setRotation(Rotation::r0); })
                                  << TransformSnapshot{false, true, 0, 0, 0, 0}
                                  << QStringLiteral("Rot 0\u00b0, FlipH, NoCrop");
        QTest::addRow("mirror") << Setter([](CaptureSession &s) { s.setFlipHorizontal(false); })
                                << TransformSnapshot{true, false, 0, 0, 0, 0}
                                << QStringLiteral("Rot 180\u00b0, NoFlip, NoCrop");
        QTest::addRow("top") << Setter([](CaptureSession &s) { s.setCropTopPx(11); })
                             << TransformSnapshot{true, true, 11, 0, 0, 0}
                             << QStringLiteral("Rot 180\u00b0, FlipH, Crop px T11 L0 R0 B0");
        QTest::addRow("left") << Setter([](CaptureSession &s) { s.setCropLeftPx(30); })
                              << TransformSnapshot{true, true, 0, 30, 0, 0}
                              << QStringLiteral("Rot 180\u00b0, FlipH, Crop px T0 L30 R0 B0");
        QTest::addRow("right") << Setter([](CaptureSession &s) { s.setCropRightPx(7); })
                               << TransformSnapshot{true, true, 0, 0, 7, 0}
                               << QStringLiteral("Rot 180\u00b0, FlipH, Crop px T0 L0 R7 B0");
        QTest::addRow("bottom, unclamped in the snapshot")
            << Setter([](CaptureSession &s) { s.setCropBottomPx(-3); })
            << TransformSnapshot{true, true, 0, 0, 0, -3}
            << QStringLiteral("Rot 180\u00b0, FlipH, NoCrop");
        QTest::addRow("rotate once") << Setter([](CaptureSession &s) { s.rotateOnce(); })
                                     << TransformSnapshot{false, true, 0, 0, 0, 0}
                                     << QStringLiteral("Rot 0\u00b0, FlipH, NoCrop");
        // The side effects follow every assignment, also one that repeats the current value.
        QTest::addRow("same value again")
            << Setter([](CaptureSession &s) { s.setFlipHorizontal(true); })
            << TransformSnapshot{true, true, 0, 0, 0, 0}
            << QStringLiteral("Rot 180\u00b0, FlipH, NoCrop");
    }

    void transformSettersRefreshSnapshotAndRunningStatus()
    {
        QFETCH(Setter, setter);
        QFETCH(TransformSnapshot, snapshot);
        QFETCH(QString, label);

        CaptureSession stopped;
        setter(stopped);
        QCOMPARE(stopped.transformSnapshot(), snapshot);
        QCOMPARE(stopped.status(), QStringLiteral("Idle"));

        CaptureSession running;
        const QString prefix = QStringLiteral("Capturing \"Terminal \u2014 bash\"");
        markRunning(running, prefix);
        running.setStatus(QStringLiteral("something else"));
        QSignalSpy statusSpy(&running, &CaptureSession::statusChanged);
        setter(running);
        QCOMPARE(running.transformSnapshot(), snapshot);
        QCOMPARE(running.status(), prefix + QStringLiteral(" \u2014 ") + label);
        QCOMPARE(statusSpy.count(), 1);
    }

    void observersSeeTheNewValueBeforeTheStatus()
    {
        // The value is stored and announced first; the snapshot and the status follow.
        CaptureSession session;
        markRunning(session, QStringLiteral("Capturing"));
        const QString statusBefore = session.status();
        int64_t valueSeen = -1;
        QString statusSeen;
        connect(&session, &CaptureSession::cropLeftPxChanged, this, [&] {
            valueSeen = session.cropLeftPx();
            statusSeen = session.status();
        });
        session.setCropLeftPx(30);
        QCOMPARE(valueSeen, 30);
        QCOMPARE(statusSeen, statusBefore);
        QCOMPARE(session.transformSnapshot().cropLeftPx, 30);
        QCOMPARE(session.status(),
                 QStringLiteral("Capturing \u2014 Rot 180\u00b0, FlipH, Crop px T0 L30 R0 B0"));
    }

    void otherSettersHaveNoSideEffect_data()
    {
        QTest::addColumn<Setter>("setter");
        QTest::addRow("output resolution")
            << Setter([](CaptureSession &s) { s.setOutputResolution(Resolution::r1280x720); });
        QTest::addRow("custom width") << Setter([](CaptureSession &s) { s.setCustomWidth(640); });
        QTest::addRow("custom height") << Setter([](CaptureSession &s) { s.setCustomHeight(0); });
        QTest::addRow("source type")
            << Setter([](CaptureSession &s) { s.setSourceType(SourceType::syphon); });
        QTest::addRow("window") << Setter([](CaptureSession &s) { s.setSelectedWindowID(42u); });
        QTest::addRow("display") << Setter([](CaptureSession &s) { s.setSelectedDisplayID(7u); });
        QTest::addRow("application")
            << Setter([](CaptureSession &s) { s.setSelectedApplicationPID(1234); });
        QTest::addRow("syphon uuid")
            << Setter([](CaptureSession &s) { s.setSelectedSyphonUUID(QStringLiteral("77")); });
    }

    void otherSettersHaveNoSideEffect()
    {
        QFETCH(Setter, setter);
        CaptureSession session;
        session.setCropTopPx(5);
        markRunning(session, QStringLiteral("Capturing"));
        const QString status = session.status();
        const TransformSnapshot snapshot = session.transformSnapshot();
        QSignalSpy statusSpy(&session, &CaptureSession::statusChanged);
        setter(session);
        QCOMPARE(session.status(), status);
        QCOMPARE(session.transformSnapshot(), snapshot);
        QCOMPARE(statusSpy.count(), 0);
        // Not even the per-type defaults: those belong to the card that changes the type.
        QCOMPARE(session.rotation(), Rotation::r180);
        QCOMPARE(session.flipHorizontal(), true);
    }

    void rotateOnceTwiceReturns()
    {
        CaptureSession session;
        QSignalSpy rotationSpy(&session, &CaptureSession::rotationChanged);
        session.rotateOnce();
        QCOMPARE(session.rotation(), Rotation::r0);
        QCOMPARE(session.transformSnapshot().rotation180, false);
        session.rotateOnce();
        QCOMPARE(session.rotation(), Rotation::r180);
        QCOMPARE(session.transformSnapshot().rotation180, true);
        QCOMPARE(rotationSpy.count(), 2);
    }

    void propertiesNotifyOnChangeOnly()
    {
        CaptureSession session;
        QSignalSpy cropSpy(&session, &CaptureSession::cropTopPxChanged);
        QSignalSpy windowSpy(&session, &CaptureSession::selectedWindowIDChanged);
        session.setCropTopPx(3);
        session.setCropTopPx(3);
        session.setSelectedWindowID(9u);
        session.setSelectedWindowID(std::nullopt);
        QCOMPARE(cropSpy.count(), 1);
        QCOMPARE(windowSpy.count(), 2);
    }

    void optionalSelectionsThroughProperties()
    {
        // What QML sees: undefined without a selection, the number or text with one.
        CaptureSession session;
        QVERIFY(!session.property("selectedWindowID").isValid());
        QVERIFY(session.setProperty("selectedWindowID", 4294967295u));
        QCOMPARE(session.selectedWindowID(), 4294967295u);
        QVERIFY(session.setProperty("selectedApplicationPID", -12));
        QCOMPARE(session.selectedApplicationPID(), -12);
        QVERIFY(session.setProperty("selectedSyphonUUID", QStringLiteral("31")));
        QCOMPARE(session.selectedSyphonUUID(), QStringLiteral("31"));
        QVERIFY(session.setProperty("selectedWindowID", QVariant()));
        QVERIFY(!session.selectedWindowID());
        QCOMPARE(session.property("rotation").value<Rotation>(), Rotation::r180);
        QCOMPARE(session.property("status").toString(), QStringLiteral("Idle"));
    }

    void snapshotIsConsistentUnderConcurrentReads()
    {
        // Readers on another thread always see a snapshot that some sequence of setters made:
        // here the four crops move together, so a torn copy would show different values.
        CaptureSession session;
        std::atomic<bool> done{false};
        std::atomic<int> torn{0};
        std::thread reader([&] {
            while (!done.load()) {
                const TransformSnapshot snap = session.transformSnapshot();
                if (!(snap.cropTopPx == snap.cropLeftPx || snap.cropTopPx == snap.cropLeftPx + 1))
                    torn.fetch_add(1);
            }
        });
        for (int i = 1; i <= 20000; ++i) {
            session.setCropTopPx(i);
            session.setCropLeftPx(i);
        }
        done = true;
        reader.join();
        QCOMPARE(torn.load(), 0);
    }

    void lastReleaseOnAnotherThreadDestroysOnMainThread()
    {
        auto session = CaptureSession::create();
        QThread *destroyedOn = nullptr;
        connect(
            session.get(), &QObject::destroyed, session.get(),
            [&destroyedOn] { destroyedOn = QThread::currentThread(); }, Qt::DirectConnection);
        std::thread releaser([held = std::move(session)]() mutable { held.reset(); });
        releaser.join();
        QVERIFY(destroyedOn == nullptr); // deferred, not run on the releasing thread
        QTRY_VERIFY(destroyedOn != nullptr);
        QCOMPARE(destroyedOn, QThread::currentThread());
    }

    void lastReleaseOnMainThreadDestroysAtOnce()
    {
        auto session = CaptureSession::create();
        bool destroyed = false;
        connect(session.get(), &QObject::destroyed, this, [&destroyed] { destroyed = true; });
        session.reset();
        QVERIFY(destroyed);
    }
};

QTEST_GUILESS_MAIN(TestCaptureSession)
#include "tst_capturesession.moc"
