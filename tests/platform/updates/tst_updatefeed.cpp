// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppcastFixture.h"
#include "platform/updates/AppcastParser.h"
#include "platform/updates/VersionComparator.h"

#include <QTest>

class TestUpdateFeed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void versionOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::addRow("numbers, not text") << "1.10"
                                           << "1.9" << 1;
        QTest::addRow("equal") << "2.0"
                               << "2.0" << 0;
        QTest::addRow("leading zeros") << "1.02"
                                       << "1.2" << 0;
        QTest::addRow("trailing zero part") << "1.0.0"
                                            << "1.0" << 0;
        QTest::addRow("longer with a number") << "1.0.1"
                                              << "1.0" << 1;
        QTest::addRow("zero then number") << "1.0"
                                          << "1.0.0.1" << -1;
        QTest::addRow("pre-release before release") << "1.0b1"
                                                    << "1.0" << -1;
        QTest::addRow("betas in order") << "1.0b2"
                                        << "1.0b10" << -1;
        QTest::addRow("beta before rc") << "1.0b3"
                                        << "1.0rc1" << -1;
        QTest::addRow("build numbers") << "100"
                                       << "99" << 1;
        QTest::addRow("huge numbers do not overflow") << "1.99999999999999999999999"
                                                      << "1.99999999999999999999998" << 1;
        QTest::addRow("older major") << "0.9"
                                     << "1.0" << -1;
        QTest::addRow("spaces around") << " 1.2 "
                                       << "1.2" << 0;
    }
    void versionOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(VersionComparator::compare(a, b), expected);
        QCOMPARE(VersionComparator::compare(b, a), -expected);
    }

    void newestItemOfAFeed()
    {
        const QByteArray feed = feedWithThreeItems();
        const Expected<AppcastItem> newest = AppcastParser::newestItem(feed);
        QVERIFY2(newest, qPrintable(newest ? QString() : newest.error().localizedDescription));
        QCOMPARE(newest->version, QStringLiteral("110"));
        QCOMPARE(newest->displayVersion, QStringLiteral("1.10"));
        QCOMPARE(newest->title, QStringLiteral("Version 1.10"));
        QCOMPARE(newest->downloadPage, QUrl(QStringLiteral("https://nordvane.com/kinolith/1.10")));
        QVERIFY(newest->releaseNotes.startsWith(QStringLiteral("Sharper previews.")));
        QVERIFY(!newest->releaseNotes.contains(u'<'));
    }

    void downloadPageFallsBackToTheEnclosure()
    {
        const QByteArray feed = feedWithUnsafeLink();
        const Expected<AppcastItem> newest = AppcastParser::newestItem(feed);
        QVERIFY(newest);
        QCOMPARE(newest->downloadPage, QUrl(QStringLiteral("https://nordvane.com/k.deb")));
        QCOMPARE(newest->displayVersion, QStringLiteral("2"));
    }

    void malformedFeeds_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addRow("empty") << QByteArray();
        QTest::addRow("html page") << QByteArray("<html><body>Not found</body></html>");
        QTest::addRow("truncated") << QByteArray("<rss><channel><item><enclosure sparkle:ver");
        QTest::addRow("no channel") << QByteArray("<rss version=\"2.0\"></rss>");
        QTest::addRow("no versions")
            << QByteArray("<rss><channel><item><title>x</title></item></channel></rss>");
        QTest::addRow("unbound prefix")
            << QByteArray("<rss><channel><item><enclosure sparkle:version=\"2\"/></item>"
                          "</channel></rss>");
        QTest::addRow("entity expansion")
            << QByteArray("<!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                          "<rss><channel><item><title>&b;</title></item></channel></rss>");
    }
    void malformedFeeds()
    {
        QFETCH(QByteArray, document);
        const Expected<AppcastItem> newest = AppcastParser::newestItem(document);
        QVERIFY(!newest);
        QCOMPARE(newest.error().domain, QStringLiteral("Updates"));
        QCOMPARE(newest.error().code, AppcastParser::malformedFeed);
        QVERIFY(newest.error().localizedDescription.startsWith(
            QStringLiteral("The update feed could not be read: ")));
    }
};

QTEST_GUILESS_MAIN(TestUpdateFeed)
#include "tst_updatefeed.moc"
