// SPDX-License-Identifier: GPL-3.0-or-later
// Clients receiving GStreamer's pipewiresink sources and our own servers.
#include "Publisher.h"
#include "SharingTestHelpers.h"
#include "platform/framesharing/Client.h"
#include "platform/framesharing/Directory.h"
#include "platform/framesharing/Server.h"
#include "support/GstPeer.h"
#include "support/TestPicture.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>

using namespace framesharing;

namespace {

// Counts handler calls and remembers their thread.
struct HandlerLog
{
    std::atomic<int> calls{0};
    std::atomic<bool> offMainThread{true};
    Client::NewFrameHandler handler()
    {
        return [this](Client &) {
            if (QThread::currentThread() == QCoreApplication::instance()->thread())
                offMainThread = false;
            ++calls;
        };
    }
};

QVariantMap findByNodeName(Directory &directory, const QString &nodeName)
{
    for (const QVariantMap &server : directory.servers()) {
        if (server.value(QStringLiteral("node.name")).toString() == nodeName)
            return server;
    }
    return {};
}

// What videotestsrc draws for one frame, top-down.
QByteArray referenceFrame(const QString &pattern, int width, int height)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ref.raw"));
    GstPeer reference(
        {QStringLiteral("videotestsrc"), QStringLiteral("num-buffers=1"),
         QStringLiteral("pattern=") + pattern, QStringLiteral("!"),
         QStringLiteral("video/x-raw,format=BGRA,width=%1,height=%2").arg(width).arg(height),
         QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + file});
    if (!reference.start() || !reference.waitForFinished(10000))
        return {};
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    return in.readAll();
}

} // namespace

class tst_FrameSharingClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_directory = Directory::create();
        QVERIFY(m_directory);
    }

    void receivesGStreamerSourceExactly()
    {
        const int width = 320, height = 240;
        const QByteArray reference = referenceFrame(QStringLiteral("colors"), width, height);
        QCOMPARE(reference.size(), width * height * 4);

        GstPeer source(GstPeer::testSource(QStringLiteral("kinolith-test-smpte"),
                                           QStringLiteral("Colours"), width, height,
                                           QStringLiteral("colors")));
        QVERIFY(source.start());
        QVariantMap description;
        QTRY_VERIFY2_WITH_TIMEOUT(
            !(description = findByNodeName(*m_directory, QStringLiteral("kinolith-test-smpte")))
                 .isEmpty(),
            qPrintable(source.output()), 10000);

        HandlerLog log;
        auto client = Client::create(description, log.handler());
        QVERIFY(client->isValid());
        QTRY_VERIFY_WITH_TIMEOUT(log.calls > 0, 10000);
        const auto frame = client->newestFrame();
        QVERIFY(frame);
        QCOMPARE(frame->width, width);
        QCOMPARE(frame->height, height);
        // Handed over bottom-up, as frame-sharing textures are.
        QVERIFY(frameBytes(frame) == TestPicture::reversedRows(reference, width * 4));
        QVERIFY(log.offMainThread);
    }

    void followsSourceSizeChanges()
    {
        // pipewiresink keeps the format it connected with (new caps mid-stream only bring
        // GStreamer criticals), so the source that changes size is our own server.
        auto server = Server::create(QStringLiteral("Resizing source"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        Publisher publisher(server, 160, 120, 30);
        HandlerLog log;
        auto client = Client::create(server->description(), log.handler());
        QVERIFY(client->isValid());
        const QList<QSize> sizes{{160, 120}, {256, 100}, {97, 301}};
        for (int i = 0; i < sizes.size(); ++i) {
            auto picture = std::make_shared<TestPicture>(sizes[i].width(), sizes[i].height(), i);
            publisher.setPicture(picture);
            QTRY_VERIFY_WITH_TIMEOUT(frameBytes(client->newestFrame()) == picture->textureBytes(),
                                     10000);
            QCOMPARE(client->newestFrame()->width, sizes[i].width());
        }
    }

    void receivesOurServerExactly()
    {
        auto server = Server::create(QStringLiteral("Round trip"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        Publisher publisher(server, 641, 359, 60);
        HandlerLog log;
        auto client = Client::create(server->description(), log.handler());
        QVERIFY(client->isValid());
        QTRY_VERIFY_WITH_TIMEOUT(log.calls > 3, 10000);
        const TestPicture picture(641, 359);
        const auto frame = client->newestFrame();
        QCOMPARE(frame->width, 641);
        QCOMPARE(frame->height, 359);
        // What went in as a texture comes out as the same texture.
        QVERIFY(frameBytes(frame) == picture.textureBytes());
    }

    void invalidWithoutServer_data()
    {
        QTest::addColumn<QVariantMap>("description");
        QTest::addRow("empty description") << QVariantMap{};
        QTest::addRow("uuid not a number")
            << QVariantMap{{keys::uuid, QStringLiteral("not-a-serial")}};
        QTest::addRow("uuid of no node") << QVariantMap{{keys::uuid, QStringLiteral("987654321")}};
    }

    void invalidWithoutServer()
    {
        QFETCH(QVariantMap, description);
        HandlerLog log;
        auto client = Client::create(description, log.handler());
        QVERIFY(client);
        QVERIFY(!client->isValid());
        QVERIFY(!client->newestFrame());
        client->stop();
        client->stop();
    }

    void invalidForRetiredServer()
    {
        auto server = Server::create(QStringLiteral("Short-lived"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        const QVariantMap description = server->description();
        server.reset();
        HandlerLog log;
        auto client = Client::create(description, log.handler());
        QVERIFY(!client->isValid());
    }

    void sourceVanishingMidStreamInvalidates()
    {
        auto source = std::make_unique<GstPeer>(GstPeer::testSource(
            QStringLiteral("kinolith-test-vanish"), QStringLiteral("Vanishing"), 160, 120));
        QVERIFY(source->start());
        QVariantMap description;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(description = findByNodeName(*m_directory, QStringLiteral("kinolith-test-vanish")))
                 .isEmpty(),
            10000);
        HandlerLog log;
        auto client = Client::create(description, log.handler());
        QVERIFY(client->isValid());
        QTRY_VERIFY_WITH_TIMEOUT(log.calls > 0, 10000);
        source.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!client->isValid(), 10000);
        const int calls = log.calls;
        QTest::qWait(300);
        QCOMPARE(log.calls.load(), calls);
        QVERIFY(client->newestFrame()); // the last frame stays readable
    }

    void stopEndsDeliveryAtOnce()
    {
        auto server = Server::create(QStringLiteral("Stopping"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        Publisher publisher(server, 320, 240, 60);
        std::atomic<int> calls{0};
        std::atomic<bool> afterStop{false};
        std::atomic<bool> callAfterStop{false};
        auto client = Client::create(server->description(), [&](Client &) {
            if (afterStop)
                callAfterStop = true;
            ++calls;
            QThread::msleep(5); // a frame path at work
        });
        QTRY_VERIFY_WITH_TIMEOUT(calls > 5, 10000);
        client->stop();
        afterStop = true;
        QVERIFY(!client->isValid());
        QTest::qWait(300);
        QVERIFY(!callAfterStop);
    }

    void stopFromTheHandler()
    {
        auto server = Server::create(QStringLiteral("Self-stopping"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        Publisher publisher(server, 64, 64, 60);
        std::atomic<int> calls{0};
        auto client = Client::create(server->description(), [&](Client &self) {
            ++calls;
            self.stop();
        });
        QTRY_VERIFY_WITH_TIMEOUT(calls > 0, 10000);
        QTest::qWait(200);
        QCOMPARE(calls.load(), 1);
    }

    void consumerComesAndGoesRepeatedly()
    {
        auto server = Server::create(QStringLiteral("Revolving door"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        Publisher publisher(server, 320, 180, 60);
        for (int round = 0; round < 8; ++round) {
            HandlerLog log;
            auto client = Client::create(server->description(), log.handler());
            QVERIFY(client->isValid());
            QTRY_VERIFY_WITH_TIMEOUT(log.calls > 0, 10000);
            if (round % 2)
                client->stop(); // and otherwise just released mid-stream
        }
        // Clients released while linking and negotiating, some milliseconds after creation.
        for (int i = 0; i < 60; ++i) {
            auto client = Client::create(server->description(), [](Client &) {});
            QThread::msleep(i % 20);
        }
        // The server still serves a new consumer.
        HandlerLog log;
        auto client = Client::create(server->description(), log.handler());
        QTRY_VERIFY_WITH_TIMEOUT(log.calls > 0, 10000);
    }

private:
    std::unique_ptr<Directory> m_directory;
};

QTEST_GUILESS_MAIN(tst_FrameSharingClient)
#include "tst_FrameSharingClient.moc"
