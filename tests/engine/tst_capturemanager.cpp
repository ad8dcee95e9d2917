// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CaptureManager.h"
#include "engine/CaptureSession.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/framesharing/Directory.h"
#include "platform/screencapture/ScreenCaptureService.h"
#include "support/GstPeer.h"
#include "support/XTestWindow.h"

#include <QCoro/QCoroTask>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <thread>

using Window = ScreenCapture::Window;

namespace {

// A frame-sharing source published by GStreamer with the given node description and
// application name.
std::unique_ptr<GstPeer> publishSource(const QString &description, const QString &appName)
{
    static int serial = 0;
    const QString nodeName =
        QStringLiteral("kinolith-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++serial);
    QString properties = QStringLiteral("stream-properties=p,node.name=%1,media.class=Video/Source,"
                                        "application.name=\"%2\"")
                             .arg(nodeName, appName);
    if (!description.isEmpty())
        properties += QStringLiteral(",node.description=\"%1\"").arg(description);
    auto peer = std::make_unique<GstPeer>(QStringList{
        QStringLiteral("videotestsrc"), QStringLiteral("is-live=true"), QStringLiteral("!"),
        QStringLiteral("video/x-raw,format=BGRA,width=64,height=64,framerate=10/1"),
        QStringLiteral("!"), QStringLiteral("pipewiresink"), QStringLiteral("mode=provide"),
        properties});
    if (!peer->start())
        return nullptr;
    return peer;
}

XTestWindow::Options windowOptions(const QString &title, const QByteArray &appClass, uint32_t pid,
                                   int x = 10)
{
    XTestWindow::Options options;
    options.rect = QRect(x, 10, 64, 48);
    options.title = title;
    if (!appClass.isEmpty()) {
        options.wmClassInstance = appClass.toLower();
        options.wmClassName = appClass;
        options.pid = pid;
    }
    return options;
}

QStringList labels(const CaptureManager &manager)
{
    QStringList list;
    for (const Window &window : manager.windows())
        list << CaptureManager::windowLabel(window);
    return list;
}

bool listsServer(const CaptureManager &manager, const QString &displayName)
{
    for (const auto &server : manager.syphonServers()) {
        if (server.displayName() == displayName)
            return true;
    }
    return false;
}

// Runs task to its end on the event loop, for at most ten seconds.
bool finish(QCoro::Task<> task)
{
    auto done = std::make_shared<bool>(false);
    auto waiting = task.then([done] { *done = true; });
    return QTest::qWaitFor([done] { return *done; }, 10000);
}

} // namespace

class TestCaptureManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newManagerReadsTheDirectoryAtOnce()
    {
        auto mixer = publishSource(QStringLiteral("Main"), QStringLiteral("Mixer"));
        QVERIFY(mixer);
        {
            // Wait until the daemon lists the node before a manager reads the directory.
            CaptureManager probe;
            QTRY_VERIFY_WITH_TIMEOUT(listsServer(probe, QStringLiteral("Mixer \u2014 Main")),
                                     10000);
        }
        CaptureManager manager;
        QCOMPARE(manager.sessions().size(), size_t(1));
        QCOMPARE(manager.status(), QStringLiteral("Idle"));
        QVERIFY(manager.windows().empty());
        QVERIFY(manager.displays().empty());
        QVERIFY(manager.applications().empty());
        QVERIFY(!manager.sessions().front()->selectedWindowID());
        // Filled by the constructor itself, before any event is processed.
        QVERIFY(listsServer(manager, QStringLiteral("Mixer \u2014 Main")));
    }

    void emptyScreenIsReadyWithoutSelection()
    {
        CaptureManager manager;
        QSignalSpy statusSpy(&manager, &CaptureManager::statusChanged);
        QVERIFY(finish(manager.refreshWindows()));
        QCOMPARE(manager.status(), QStringLiteral("Ready"));
        QCOMPARE(statusSpy.count(), 2); // "Loading sources…", then "Ready"
        QVERIFY(manager.windows().empty());
        QVERIFY(!manager.displays().empty());
        QVERIFY(!manager.sessions().front()->selectedWindowID());
    }

    void windowsAreListedInLocalisedCaseInsensitiveOrder()
    {
        XTestWindow editorB(windowOptions(QStringLiteral("b"), "Editor", 4001));
        XTestWindow editorA(windowOptions(QStringLiteral("A"), "Editor", 4001, 80));
        XTestWindow zeta(windowOptions(QStringLiteral("z"), "Zeta", 4002, 150));
        XTestWindow alpha(windowOptions(QStringLiteral("a"), "alpha", 4003, 220));
        XTestWindow orphan(windowOptions(QStringLiteral("lonely"), QByteArray(), 0, 290));
        XTestWindow::Options hiddenOptions =
            windowOptions(QStringLiteral("hidden"), "Editor", 4001, 360);
        hiddenOptions.hidden = true;
        XTestWindow hidden(hiddenOptions);
        QVERIFY(editorB.isValid() && editorA.isValid() && zeta.isValid() && alpha.isValid() &&
                orphan.isValid() && hidden.isValid());

        CaptureManager manager;
        QVERIFY(finish(manager.refreshWindows()));
        QCOMPARE(manager.status(), QStringLiteral("Ready"));
        QCOMPARE(labels(manager),
                 (QStringList{QStringLiteral("Unknown App \u2014 lonely"),
                              QStringLiteral("alpha \u2014 a"), QStringLiteral("Editor \u2014 A"),
                              QStringLiteral("Editor \u2014 b"), QStringLiteral("Zeta \u2014 z")}));
        QVERIFY(!manager.window(hidden.id()));
        QCOMPARE(manager.window(editorA.id())->title, QStringLiteral("A"));
        QVERIFY(!manager.window(std::nullopt));
        QVERIFY(!manager.applications().empty());
        QCOMPARE(manager.property("windows").toList().size(), 5);
    }

    void refreshPreselectsTheFirstWindowOnlyWhereNoneIsSelected()
    {
        XTestWindow first(windowOptions(QStringLiteral("first"), "Aardvark", 4101));
        XTestWindow second(windowOptions(QStringLiteral("second"), "Badger", 4102, 100));
        CaptureManager manager;
        manager.addSession();
        manager.addSession();
        // The new sessions found no windows listed yet.
        QVERIFY(!manager.sessions()[1]->selectedWindowID());
        manager.sessions()[1]->setSelectedWindowID(second.id());
        manager.sessions()[2]->setSourceType(SourceType::syphon);
        QVERIFY(finish(manager.refreshWindows()));
        QCOMPARE(manager.sessions()[0]->selectedWindowID(), first.id());
        QCOMPARE(manager.sessions()[1]->selectedWindowID(), second.id());
        QCOMPARE(manager.sessions()[2]->selectedWindowID(), first.id());

        manager.addSession();
        QCOMPARE(manager.sessions().size(), size_t(4));
        QCOMPARE(manager.sessions()[3]->selectedWindowID(), first.id());
        QCOMPARE(manager.sessions()[3]->sourceType(), SourceType::window);
        QVERIFY(!manager.sessions()[3]->isRunning());
    }

    void aFailingQueryKeepsThePreviousLists()
    {
        XTestWindow window(windowOptions(QStringLiteral("kept"), "Keeper", 4201));
        CaptureManager manager;
        QVERIFY(finish(manager.refreshWindows()));
        QCOMPARE(labels(manager), QStringList{QStringLiteral("Keeper \u2014 kept")});

        // The display server goes away for the next query: point it at a display that does not
        // exist.
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":4077");
        CaptureManager::Window before = manager.windows().front();
        QVERIFY(finish(manager.refreshWindows()));
        qputenv("DISPLAY", display);
        QVERIFY2(manager.status().startsWith(QStringLiteral("Failed to load sources: ")),
                 qPrintable(manager.status()));
        QVERIFY(manager.status().size() > QStringLiteral("Failed to load sources: ").size());
        QCOMPARE(manager.windows().size(), size_t(1));
        QCOMPARE(manager.windows().front(), before);
    }

    void serverNames_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addRow("window of an application") << 0;
        QTest::addRow("window without application") << 1;
        QTest::addRow("no window selected") << 2;
        QTest::addRow("window not listed") << 3;
        QTest::addRow("syphon listed") << 4;
        QTest::addRow("syphon not listed") << 5;
        QTest::addRow("syphon nothing selected") << 6;
    }

    void serverNames()
    {
        QFETCH(int, rule);
        XTestWindow editor(windowOptions(QStringLiteral("notes"), "Editor", 4301));
        XTestWindow orphan(windowOptions(QStringLiteral("orphan"), QByteArray(), 0, 100));
        auto mixer = publishSource(QStringLiteral("Scene"), QStringLiteral("Mixer"));
        QVERIFY(mixer);
        CaptureManager manager;
        QVERIFY(finish(manager.refreshWindows()));
        QTRY_VERIFY_WITH_TIMEOUT(listsServer(manager, QStringLiteral("Mixer \u2014 Scene")), 10000);
        QString mixerUuid;
        for (const auto &server : manager.syphonServers()) {
            if (server.appName == u"Mixer")
                mixerUuid = server.uuid;
        }

        CaptureSession &session = *manager.sessions().front();
        const QString tag = session.id().toString(QUuid::WithoutBraces).left(4).toUpper();
        QString expected;
        switch (rule) {
        case 0:
            session.setSelectedWindowID(editor.id());
            expected = QStringLiteral("Editor - ") + tag;
            break;
        case 1:
            session.setSelectedWindowID(orphan.id());
            expected = QStringLiteral("Unknown App - ") + tag;
            break;
        case 2:
            session.setSelectedWindowID(std::nullopt);
            expected = QStringLiteral("Output - ") + tag;
            break;
        case 3:
            session.setSelectedWindowID(12345u);
            expected = QStringLiteral("Output - ") + tag;
            break;
        case 4:
            session.setSourceType(SourceType::syphon);
            session.setSelectedWindowID(editor.id());
            session.setSelectedSyphonUUID(mixerUuid);
            expected = QStringLiteral("Mixer - ") + tag;
            break;
        case 5:
            session.setSourceType(SourceType::syphon);
            session.setSelectedWindowID(editor.id());
            session.setSelectedSyphonUUID(mixerUuid + QStringLiteral("0"));
            expected = QStringLiteral("Output - ") + tag;
            break;
        case 6:
            session.setSourceType(SourceType::syphon);
            session.setSelectedWindowID(editor.id());
            expected = QStringLiteral("Output - ") + tag;
            break;
        }
        QCOMPARE(manager.resolvedServerName(session), expected);
    }

    void twoSessionsOnOneWindowDifferByTheirTag()
    {
        XTestWindow editor(windowOptions(QStringLiteral("notes"), "Editor", 4401));
        CaptureManager manager;
        QVERIFY(finish(manager.refreshWindows()));
        manager.addSession();
        const QString a = manager.resolvedServerName(*manager.sessions()[0]);
        const QString b = manager.resolvedServerName(*manager.sessions()[1]);
        QVERIFY(a.startsWith(QStringLiteral("Editor - ")));
        QVERIFY(b.startsWith(QStringLiteral("Editor - ")));
        QVERIFY(a != b);
    }

    void directoryChangesReachTheListByThemselves()
    {
        CaptureManager manager;
        QSignalSpy serversSpy(&manager, &CaptureManager::syphonServersChanged);
        auto peer = publishSource(QStringLiteral("Late"), QStringLiteral("Newcomer"));
        QVERIFY(peer);
        QTRY_VERIFY_WITH_TIMEOUT(listsServer(manager, QStringLiteral("Newcomer \u2014 Late")),
                                 10000);
        QVERIFY(serversSpy.count() >= 1);
        peer->stop();
        QTRY_VERIFY_WITH_TIMEOUT(!listsServer(manager, QStringLiteral("Newcomer \u2014 Late")),
                                 10000);
    }

    void serverListFiltersAndOrders()
    {
        auto own = publishSource(QStringLiteral("Out"), QStringLiteral("Kinolith"));
        auto ownHelper = publishSource(QStringLiteral("Out"), QStringLiteral("MyKinolithTool"));
        auto lower = publishSource(QStringLiteral("Out"), QStringLiteral("kinolith-lower"));
        auto zeta = publishSource(QStringLiteral("Z"), QStringLiteral("Zeta"));
        auto alpha = publishSource(QStringLiteral("Main"), QStringLiteral("alpha"));
        QVERIFY(own && ownHelper && lower && zeta && alpha);
        CaptureManager manager;
        QTRY_VERIFY_WITH_TIMEOUT(
            listsServer(manager, QStringLiteral("alpha \u2014 Main")) &&
                listsServer(manager, QStringLiteral("Zeta \u2014 Z")) &&
                listsServer(manager, QStringLiteral("kinolith-lower \u2014 Out")),
            10000);
        QStringList names;
        for (const auto &server : manager.syphonServers()) {
            QVERIFY2(!server.appName.contains(QStringLiteral("Kinolith")),
                     qPrintable(server.appName));
            names << server.displayName();
        }
        const auto position = [&names](const QString &name) { return names.indexOf(name); };
        QVERIFY(position(QStringLiteral("alpha \u2014 Main")) <
                position(QStringLiteral("kinolith-lower \u2014 Out")));
        QVERIFY(position(QStringLiteral("kinolith-lower \u2014 Out")) <
                position(QStringLiteral("Zeta \u2014 Z")));
    }

    void removingTheLastSessionLeavesAFreshOne()
    {
        CaptureManager manager;
        const auto only = manager.sessions().front();
        QSignalSpy sessionsSpy(&manager, &CaptureManager::sessionsChanged);
        QVERIFY(finish(manager.removeSession(only)));
        QCOMPARE(manager.sessions().size(), size_t(1));
        QVERIFY(manager.sessions().front()->id() != only->id());
        QCOMPARE(sessionsSpy.count(), 1);
    }

    void removingAnUnlistedSessionStopsItAndChangesNothing()
    {
        CaptureManager manager;
        manager.addSession();
        const auto listed = manager.sessions();
        auto stranger = CaptureSession::create();
        stranger->setIsRunning(true);
        QSignalSpy sessionsSpy(&manager, &CaptureManager::sessionsChanged);
        QVERIFY(finish(manager.removeSession(stranger)));
        QCOMPARE(stranger->isRunning(), false);
        QCOMPARE(stranger->status(), QStringLiteral("Stopped"));
        QCOMPARE(manager.sessions(), listed);
        QCOMPARE(sessionsSpy.count(), 0);
    }

    void overlappingRemovalsOfOneSession()
    {
        CaptureManager manager;
        manager.addSession();
        manager.addSession();
        const auto middle = manager.sessions()[1];
        const auto first = manager.sessions()[0];
        const auto last = manager.sessions()[2];
        middle->setIsRunning(true);
        auto one = manager.removeSession(middle);
        auto two = manager.removeSession(middle);
        QVERIFY(finish(std::move(one)));
        QVERIFY(finish(std::move(two)));
        QCOMPARE(manager.sessions().size(), size_t(2));
        QCOMPARE(manager.sessions()[0], first);
        QCOMPARE(manager.sessions()[1], last);
    }

    void releaseStopsListening()
    {
        auto manager = std::make_unique<CaptureManager>();
        QSignalSpy serversSpy(manager.get(), &CaptureManager::syphonServersChanged);
        manager.reset();
        // A directory change after the release must reach nothing (AddressSanitizer builds
        // catch a late delivery to the dead manager).
        NotificationCenter::defaultCenter().post(
            {framesharing::Directory::announceNotification, nullptr, {}});
        QTest::qWait(50);
        QCOMPARE(serversSpy.count(), 0);
    }

    void directoryNotificationsEachRefreshOnTheMainThread()
    {
        CaptureManager manager;
        QSignalSpy serversSpy(&manager, &CaptureManager::syphonServersChanged);
        std::thread poster([] {
            for (const QString &name : {framesharing::Directory::announceNotification,
                                        framesharing::Directory::updateNotification,
                                        framesharing::Directory::retireNotification})
                NotificationCenter::defaultCenter().post({name, nullptr, {}});
        });
        poster.join();
        QCOMPARE(serversSpy.count(), 0); // nothing runs on the posting thread
        QTRY_COMPARE(serversSpy.count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestCaptureManager)
#include "tst_capturemanager.moc"
