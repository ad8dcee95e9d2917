// SPDX-License-Identifier: GPL-3.0-or-later
// "Check for Updates…" in the real main window, against an appcast served on the loopback
// interface.
#include "ShellFixture.h"
#include "app/StandardUpdaterController.h"
#include "app/Updater.h"
#include "platform/foundation/Bundle.h"
#include "platform/updates/UpdateCheck.h"
#include "support/LoopbackHttpServer.h"

#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(KinolithPlugin)

using State = StandardUpdaterController::State;

namespace {

const QString checkItem = QStringLiteral("Check for Updates\u2026");

QByteArray appcast(const QString &build, const QString &version)
{
    return QStringLiteral(
               "<?xml version=\"1.0\"?><rss version=\"2.0\" "
               "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
               "<item><title>Kinolith %2</title><link>https://nordvane.com/kinolith</link>"
               "<description><![CDATA[<p>Sharper previews.</p>]]></description>"
               "<enclosure url=\"https://nordvane.com/k.deb\" sparkle:version=\"%1\" "
               "sparkle:shortVersionString=\"%2\"/></item></channel></rss>")
        .arg(build, version)
        .toUtf8();
}

QString textOf(QQuickWindow *dialog, const char *name)
{
    QObject *item = ShellFixture::find(dialog, QLatin1String(name));
    return item ? item->property("text").toString() : QString();
}

bool shown(QQuickWindow *dialog, const char *name)
{
    QObject *item = ShellFixture::find(dialog, QLatin1String(name));
    return item && item->property("visible").toBool();
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private:
    ShellFixture m_shell;
    LoopbackHttpServer m_server;
    Updater *m_firstWrapper = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.listen());
        StandardUpdaterController::setFeedUrlForTesting(
            m_server.url(QStringLiteral("/appcast.xml")));
        m_server.respond(200, appcast(QStringLiteral("1"), QStringLiteral("0.1.0")));
        QVERIFY(m_shell.load());
    }

    void nothingHappensBeforeTheFirstChoice()
    {
        QTest::qWait(300);
        QVERIFY(!Updater::exists());
        QCOMPARE(m_server.connectionCount(), 0);
    }

    void firstChoiceCreatesTheWrapperAndChecks()
    {
        m_server.respond(200, appcast(QStringLiteral("7"), QStringLiteral("0.2.0")));
        QVERIFY(m_shell.choose(QStringLiteral("Help"), checkItem));
        QVERIFY(Updater::exists());
        m_firstWrapper = &Updater::shared();
        StandardUpdaterController &controller = m_firstWrapper->controller();
        QVERIFY(controller.isStarted());
        QCOMPARE(controller.checksStarted(), 1);

        QTRY_COMPARE(controller.state(), State::updateAvailable);
        QQuickWindow *dialog = controller.dialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(textOf(dialog, "updateTitle"),
                 QStringLiteral("A new version of Kinolith is available!"));
        QCOMPARE(textOf(dialog, "updateMessage"),
                 QStringLiteral("Kinolith 0.2.0 is now available\u2014you have %1. Would you like "
                                "to open its download page?")
                     .arg(Bundle::appVersion()));
        QCOMPARE(textOf(dialog, "releaseNotes"), QStringLiteral("Sharper previews."));
        QVERIFY(shown(dialog, "updateDownloadButton"));
        QVERIFY(shown(dialog, "updateLaterButton"));
        QCOMPARE(controller.downloadPage(), QUrl(QStringLiteral("https://nordvane.com/kinolith")));
        QCOMPARE(m_server.requests().size(), 1);
        QCOMPARE(m_server.requests().first().path, QByteArray("/appcast.xml"));

        controller.dismiss();
        QVERIFY(!dialog->isVisible());
    }

    void laterChoicesReuseTheWrapper_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("feed");
        QTest::addColumn<bool>("listening");
        QTest::addColumn<State>("expected");
        QTest::addColumn<QString>("message");
        const QString upToDate = QStringLiteral("Kinolith %1 is currently the newest version "
                                                "available.")
                                     .arg(Bundle::appVersion());
        QTest::addRow("same version")
            << 200 << appcast(QStringLiteral("1"), QStringLiteral("0.1.0")) << true
            << State::upToDate << upToDate;
        QTest::addRow("older version")
            << 200 << appcast(QStringLiteral("0.9"), QStringLiteral("0.0.9")) << true
            << State::upToDate << upToDate;
        QTest::addRow("malformed feed")
            << 200 << QByteArray("<rss><channel>") << true << State::failed
            << QStringLiteral("The update feed could not be read: ");
        QTest::addRow("refused connection") << 200 << QByteArray() << false << State::failed
                                            << QStringLiteral("The update feed could not be "
                                                              "fetched: Connection refused");
    }
    void laterChoicesReuseTheWrapper()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, feed);
        QFETCH(bool, listening);
        QFETCH(State, expected);
        QFETCH(QString, message);
        QVERIFY(m_firstWrapper);
        LoopbackHttpServer closed;
        if (!listening) {
            QVERIFY(closed.listen());
            const QUrl url = closed.url();
            closed.close();
            StandardUpdaterController::setFeedUrlForTesting(url);
        }
        m_server.respond(status, feed);
        StandardUpdaterController &controller = m_firstWrapper->controller();
        const int checks = controller.checksStarted();

        QVERIFY(m_shell.choose(QStringLiteral("Help"), checkItem));
        QCOMPARE(&Updater::shared(), m_firstWrapper);
        QCOMPARE(&Updater::shared().controller(), &controller);
        QCOMPARE(controller.checksStarted(), checks + 1);
        QTRY_COMPARE(controller.state(), expected);
        QQuickWindow *dialog = controller.dialog();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY2(textOf(dialog, "updateMessage").startsWith(message),
                 qPrintable(textOf(dialog, "updateMessage")));
        QVERIFY(shown(dialog, "updateOkButton"));
        QVERIFY(!shown(dialog, "updateDownloadButton"));
        controller.dismiss();
        StandardUpdaterController::setFeedUrlForTesting(
            m_server.url(QStringLiteral("/appcast.xml")));
    }

    void slowServerCancelledFromTheDialog()
    {
        m_server.holdConnections();
        QSignalSpy requested(&m_server, &LoopbackHttpServer::requestReceived);
        QVERIFY(m_shell.choose(QStringLiteral("Help"), checkItem));
        StandardUpdaterController &controller = Updater::shared().controller();
        QCOMPARE(controller.state(), State::checking);
        QQuickWindow *dialog = controller.dialog();
        QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(textOf(dialog, "updateTitle"), QStringLiteral("Checking for Updates\u2026"));
        QVERIFY(shown(dialog, "updateCancelButton"));
        QVERIFY(requested.wait(5000));

        // A choice while a check runs starts no second check.
        const int checks = controller.checksStarted();
        QVERIFY(m_shell.choose(QStringLiteral("Help"), checkItem));
        QCOMPARE(controller.checksStarted(), checks);

        auto *cancel = qobject_cast<QQuickItem *>(
            ShellFixture::find(dialog, QStringLiteral("updateCancelButton")));
        QVERIFY(cancel);
        const QPointF centre =
            cancel->mapToScene(QPointF(cancel->width() / 2, cancel->height() / 2));
        QTest::mouseClick(dialog, Qt::LeftButton, {}, centre.toPoint());
        QTRY_COMPARE(controller.state(), State::idle);
        QTRY_VERIFY(!dialog->isVisible());
    }
};

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
