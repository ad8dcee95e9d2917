// SPDX-License-Identifier: GPL-3.0-or-later
// The shareable content of the test X server, with windows the test creates.
#include "CaptureAwait.h"
#include "platform/foundation/SerialQueue.h"
#include "platform/screencapture/ScreenCaptureAwaitables.h"
#include "platform/screencapture/ScreenCaptureService.h"
#include "support/XTestWindow.h"

#include <QCoroTask>
#include <QFile>
#include <QTest>
#include <unistd.h>

using namespace ScreenCapture;

Q_DECLARE_METATYPE(XTestWindow::Options)
Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<ScreenCapture::RunningApplication>)

namespace {

const Window *findWindow(const ShareableContent &content, xcb_window_t id)
{
    for (const Window &window : content.windows) {
        if (window.windowID == id)
            return &window;
    }
    return nullptr;
}

// Plays a window manager's part: publishes _NET_CLIENT_LIST_STACKING on the root, and takes it
// away again.
class ClientListProperty
{
public:
    ClientListProperty(xcb_connection_t *connection, std::vector<xcb_window_t> windows)
        : m_connection(connection)
    {
        const char name[] = "_NET_CLIENT_LIST_STACKING";
        auto *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
        m_atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root(), m_atom, XCB_ATOM_WINDOW, 32,
                            uint32_t(windows.size()), windows.data());
        xcb_flush(connection);
    }
    ~ClientListProperty()
    {
        // Wait for it: requests still in flight when a client disconnects can be dropped.
        std::free(xcb_request_check(m_connection,
                                    xcb_delete_property_checked(m_connection, root(), m_atom)));
    }

private:
    xcb_window_t root() const
    {
        return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    xcb_connection_t *m_connection;
    xcb_atom_t m_atom;
};

struct AwaitedOutcome
{
    bool done = false;
    bool onMainThread = true;
    bool listed = false;
    std::optional<Error> startError;
    std::optional<Error> stopError;
};

// The way the engine uses the service: list, then start and stop a stream of the first display.
QCoro::Task<> listStartAndStop(std::shared_ptr<ScreenCaptureService> service,
                               std::shared_ptr<AwaitedOutcome> outcome)
{
    auto content = co_await shareableContent(service, {});
    outcome->onMainThread = outcome->onMainThread && MainThread::isCurrent();
    outcome->listed = content.hasValue() && !content->displays.empty();
    if (!outcome->listed) {
        outcome->done = true;
        co_return;
    }
    auto stream = service->makeStream(ContentFilter::display(content->displays.front()), {});
    outcome->startError = co_await startCapture(stream);
    outcome->onMainThread = outcome->onMainThread && MainThread::isCurrent();
    outcome->stopError = co_await stopCapture(stream);
    outcome->onMainThread = outcome->onMainThread && MainThread::isCurrent();
    outcome->done = true;
}

} // namespace

class tst_ScreenCaptureContent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the test X server (scripts/test)");
        m_service = makeScreenCaptureService();
    }

    void listsWindowFields_data()
    {
        QTest::addColumn<XTestWindow::Options>("options");
        QTest::addColumn<std::optional<QString>>("title");
        QTest::addColumn<std::optional<RunningApplication>>("application");

        XTestWindow::Options utf8;
        utf8.title = QStringLiteral("Notes — Brouillon ×2");
        utf8.legacyTitle = QByteArray("ignored when _NET_WM_NAME is set");
        utf8.wmClassInstance = "notes";
        utf8.wmClassName = "Notes";
        utf8.pid = 31001;
        QTest::addRow("utf-8 title, class, pid")
            << utf8 << utf8.title << std::optional(RunningApplication{31001, "Notes"});

        XTestWindow::Options legacy;
        legacy.legacyTitle = QByteArray("Caf\xe9");
        legacy.wmClassName = "Legacy";
        legacy.pid = 31002;
        QTest::addRow("WM_NAME only") << legacy << std::optional(QStringLiteral("Café"))
                                      << std::optional(RunningApplication{31002, "Legacy"});

        XTestWindow::Options anonymous;
        QTest::addRow("no title, no pid")
            << anonymous << std::optional<QString>() << std::optional<RunningApplication>();

        // Without WM_CLASS the process's own name stands in: this test's process.
        XTestWindow::Options noClass;
        noClass.title = QStringLiteral("Mine");
        noClass.pid = uint32_t(getpid());
        QFile comm(QStringLiteral("/proc/self/comm"));
        comm.open(QIODevice::ReadOnly);
        const QString ownName = QString::fromLocal8Bit(comm.readAll()).trimmed();
        QTest::addRow("pid without WM_CLASS")
            << noClass << noClass.title
            << std::optional(RunningApplication{int32_t(getpid()), ownName});
    }

    void listsWindowFields()
    {
        QFETCH(XTestWindow::Options, options);
        QFETCH(std::optional<QString>, title);
        QFETCH(std::optional<RunningApplication>, application);

        XTestWindow window(options);
        QVERIFY(window.isValid());
        bool onMainThread = false;
        auto content = CaptureAwait::content(*m_service, {}, &onMainThread);
        QVERIFY(content && content->hasValue());
        QVERIFY(onMainThread);

        const Window *listed = findWindow(content->value(), window.id());
        QVERIFY(listed);
        QCOMPARE(listed->title, title);
        QCOMPARE(listed->owningApplication, application);
        QVERIFY(listed->isOnScreen);
        if (application) {
            const auto &applications = content->value().applications;
            QCOMPARE(std::count(applications.begin(), applications.end(), *application), 1);
        }
    }

    void onScreenFlagAndOptions_data()
    {
        QTest::addColumn<XTestWindow::Options>("options");
        QTest::addColumn<bool>("windowManager"); // the client list comes from a window manager
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<bool>("listedOnScreenOnly");
        QTest::addColumn<bool>("listedExcludingDesktop");

        XTestWindow::Options plain;
        QTest::addRow("plain") << plain << false << true << true << true;
        XTestWindow::Options unmapped;
        unmapped.map = false;
        QTest::addRow("unmapped, listed by the window manager")
            << unmapped << true << false << false << true;
        XTestWindow::Options hidden;
        hidden.hidden = true;
        QTest::addRow("hidden state") << hidden << false << false << false << true;
        QTest::addRow("hidden, listed by the window manager")
            << hidden << true << false << false << true;
        XTestWindow::Options offScreen;
        offScreen.rect = QRect(3000, 2000, 100, 100);
        QTest::addRow("beyond every monitor") << offScreen << false << false << false << true;
        XTestWindow::Options partly;
        partly.rect = QRect(-50, -50, 100, 100);
        QTest::addRow("partly on a monitor") << partly << false << true << true << true;
        XTestWindow::Options desktop;
        desktop.desktopType = true;
        QTest::addRow("desktop window") << desktop << false << true << true << false;
    }

    void onScreenFlagAndOptions()
    {
        QFETCH(XTestWindow::Options, options);
        QFETCH(bool, windowManager);
        QFETCH(bool, onScreen);
        QFETCH(bool, listedOnScreenOnly);
        QFETCH(bool, listedExcludingDesktop);
        options.title = QStringLiteral("flag test");
        options.pid = 31010;
        XTestWindow window(options);
        QVERIFY(window.isValid());
        std::optional<ClientListProperty> clientList;
        if (windowManager)
            clientList.emplace(window.connection(), std::vector<xcb_window_t>{window.id()});

        auto all = CaptureAwait::content(*m_service, {false, false});
        QVERIFY(all && all->hasValue());
        const Window *listed = findWindow(all->value(), window.id());
        QVERIFY(listed);
        QCOMPARE(listed->isOnScreen, onScreen);

        auto onScreenOnly = CaptureAwait::content(*m_service, {false, true});
        QVERIFY(onScreenOnly && onScreenOnly->hasValue());
        QCOMPARE(findWindow(onScreenOnly->value(), window.id()) != nullptr, listedOnScreenOnly);

        auto noDesktop = CaptureAwait::content(*m_service, {true, false});
        QVERIFY(noDesktop && noDesktop->hasValue());
        QCOMPARE(findWindow(noDesktop->value(), window.id()) != nullptr, listedExcludingDesktop);
    }

    void windowsFrontMostFirstAndOneApplicationPerProcess()
    {
        XTestWindow::Options options;
        options.wmClassName = "Twin";
        options.pid = 31020;
        options.title = QStringLiteral("back");
        XTestWindow back(options);
        options.title = QStringLiteral("front");
        options.rect.translate(40, 40);
        XTestWindow front(options);
        QVERIFY(back.isValid() && front.isValid());

        auto content = CaptureAwait::content(*m_service);
        QVERIFY(content && content->hasValue());
        const auto &windows = content->value().windows;
        const auto frontAt = std::find_if(windows.begin(), windows.end(), [&](const Window &w) {
            return w.windowID == front.id();
        });
        const auto backAt = std::find_if(windows.begin(), windows.end(),
                                         [&](const Window &w) { return w.windowID == back.id(); });
        QVERIFY(frontAt != windows.end() && backAt != windows.end());
        QVERIFY(frontAt < backAt);
        const auto &applications = content->value().applications;
        QCOMPARE(std::count_if(applications.begin(), applications.end(),
                               [](const RunningApplication &a) { return a.processID == 31020; }),
                 1);
    }

    void displaysAreTheMonitors()
    {
        auto first = CaptureAwait::content(*m_service);
        auto second = CaptureAwait::content(*m_service);
        QVERIFY(first && first->hasValue() && second && second->hasValue());
        QCOMPARE(first->value().displays.size(), size_t(1)); // the test server's one screen
        QVERIFY(first->value().displays.front().displayID != 0);
        QCOMPARE(first->value().displays, second->value().displays); // stable identifiers
    }

    void noDisplayServer_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QString>("expected");
        QTest::addRow("DISPLAY unset")
            << QByteArray() << QStringLiteral("DISPLAY environment variable is not set");
        QTest::addRow("nobody there")
            << QByteArray(":987") << QStringLiteral("Cannot connect to the X display \":987\"");
    }

    void noDisplayServer()
    {
        QFETCH(QByteArray, display);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("DISPLAY");
        if (display.isEmpty())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", display);
        auto content = CaptureAwait::content(*m_service);
        qputenv("DISPLAY", saved);
        QVERIFY(content);
        QVERIFY(!content->hasValue());
        QCOMPARE(content->error().domain, QStringLiteral("ScreenCapture"));
        QVERIFY2(content->error().localizedDescription.contains(expected),
                 qPrintable(content->error().localizedDescription));
    }

    void awaitableForms()
    {
        auto outcome = std::make_shared<AwaitedOutcome>();
        auto task = listStartAndStop(m_service, outcome);
        QVERIFY(QTest::qWaitFor([&] { return outcome->done; }, 10000));
        QVERIFY(outcome->listed);
        QVERIFY(outcome->onMainThread);
        QVERIFY(!outcome->startError);
        QVERIFY(!outcome->stopError);
    }

private:
    std::shared_ptr<ScreenCaptureService> m_service;
};

QTEST_GUILESS_MAIN(tst_ScreenCaptureContent)
#include "tst_ScreenCaptureContent.moc"
