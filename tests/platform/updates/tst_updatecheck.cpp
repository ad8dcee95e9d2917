// SPDX-License-Identifier: GPL-3.0-or-later
// One update check at a time against a real HTTP server on the loopback interface.
#include "AppcastFixture.h"
#include "platform/updates/UpdateCheck.h"
#include "support/LoopbackHttpServer.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(UpdateCheckResult::Outcome)

namespace {

UpdateCheckResult runCheck(QNetworkAccessManager &network, const QUrl &feed, const QString &running)
{
    UpdateCheck check(network, feed, running);
    UpdateCheckResult result;
    bool done = false;
    QObject::connect(&check, &UpdateCheck::finished, [&](const UpdateCheckResult &r) {
        result = r;
        done = true;
    });
    check.start();
    if (!QTest::qWaitFor([&] { return done; }, 10'000))
        qWarning("the check did not finish");
    return result;
}

} // namespace

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outcomes_data()
    {
        QTest::addColumn<QString>("feedVersion");
        QTest::addColumn<QString>("running");
        QTest::addColumn<UpdateCheckResult::Outcome>("expected");
        QTest::addRow("newer") << "110"
                               << "19" << UpdateCheckResult::Outcome::updateAvailable;
        QTest::addRow("newer by numbers, not text")
            << "1.10"
            << "1.9" << UpdateCheckResult::Outcome::updateAvailable;
        QTest::addRow("same") << "19"
                              << "19" << UpdateCheckResult::Outcome::upToDate;
        QTest::addRow("older") << "18"
                               << "19" << UpdateCheckResult::Outcome::upToDate;
    }
    void outcomes()
    {
        QFETCH(QString, feedVersion);
        QFETCH(QString, running);
        QFETCH(UpdateCheckResult::Outcome, expected);
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        server.respond(200, appcastWithVersion(feedVersion, QStringLiteral("2.0")));
        QNetworkAccessManager network;

        const UpdateCheckResult result =
            runCheck(network, server.url(QStringLiteral("/appcast.xml")), running);
        QCOMPARE(result.outcome, expected);
        QCOMPARE(result.newest.version, feedVersion);
        QCOMPARE(result.newest.displayVersion, QStringLiteral("2.0"));
        QCOMPARE(result.newest.releaseNotes, QStringLiteral("New\n\u2022 Faster capture"));
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(server.requests().first().method, QByteArray("GET"));
        QCOMPARE(server.requests().first().path, QByteArray("/appcast.xml"));
    }

    void failures_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("reasonStart");
        QTest::addRow("malformed feed")
            << 200 << QByteArray("<rss><channel><item>") << "The update feed could not be read: ";
        QTest::addRow("not found")
            << 404 << QByteArray("gone") << "The update feed could not be fetched: ";
        QTest::addRow("server error")
            << 500 << QByteArray() << "The update feed could not be fetched: ";
        QTest::addRow("larger than a feed")
            << 200 << QByteArray(UpdateCheck::maximumFeedBytes + 4096, 'x')
            << "The update feed could not be fetched: The update feed is larger";
    }
    void failures()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, reasonStart);
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        server.respond(status, body);
        QNetworkAccessManager network;
        const UpdateCheckResult result = runCheck(network, server.url(), QStringLiteral("1"));
        QCOMPARE(result.outcome, UpdateCheckResult::Outcome::failed);
        QCOMPARE(result.error.domain, QStringLiteral("Updates"));
        QVERIFY2(result.error.localizedDescription.startsWith(reasonStart),
                 qPrintable(result.error.localizedDescription));
    }

    void refusedConnection()
    {
        // A port that was just free: nothing listens there any more.
        QUrl url;
        {
            LoopbackHttpServer server;
            QVERIFY(server.listen());
            url = server.url();
        }
        QNetworkAccessManager network;
        const UpdateCheckResult result = runCheck(network, url, QStringLiteral("1"));
        QCOMPARE(result.outcome, UpdateCheckResult::Outcome::failed);
        QCOMPARE(result.error.code, UpdateCheck::networkFailure);
        QVERIFY2(result.error.localizedDescription.contains(QStringLiteral("refused"),
                                                            Qt::CaseInsensitive),
                 qPrintable(result.error.localizedDescription));
    }

    void slowServerCancelled()
    {
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        server.holdConnections();
        QNetworkAccessManager network;
        UpdateCheck check(network, server.url(), QStringLiteral("1"));
        QSignalSpy finished(&check, &UpdateCheck::finished);
        check.start();
        QVERIFY(check.isRunning());
        QSignalSpy requested(&server, &LoopbackHttpServer::requestReceived);
        QVERIFY(requested.wait(5000));
        QCOMPARE(finished.count(), 0);

        check.cancel();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().value<UpdateCheckResult>().outcome,
                 UpdateCheckResult::Outcome::cancelled);
        QVERIFY(!check.isRunning());
        check.cancel();
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
