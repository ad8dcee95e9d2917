// SPDX-License-Identifier: GPL-3.0-or-later
// Servers as PipeWire nodes, received by GStreamer's pipewiresrc.
#include "Publisher.h"
#include "SharingTestHelpers.h"
#include "platform/framesharing/Client.h"
#include "platform/framesharing/Directory.h"
#include "platform/framesharing/Server.h"
#include "support/GstPeer.h"
#include "support/TestPicture.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace framesharing;

namespace {

bool directoryHas(Directory &directory, const QString &uuid)
{
    const QList<QVariantMap> servers = directory.servers();
    return std::any_of(servers.begin(), servers.end(), [&uuid](const QVariantMap &server) {
        return server.value(keys::uuid).toString() == uuid;
    });
}

QString pwCliNodes()
{
    QProcess cli;
    cli.start(QStringLiteral("pw-cli"), {QStringLiteral("ls"), QStringLiteral("Node")});
    cli.waitForFinished(5000);
    return QString::fromUtf8(cli.readAllStandardOutput());
}

// A pipewiresrc consumer of the node with serial `uuid` writing each frame into its own file.
QStringList consumer(const QString &uuid, const QString &directory, int buffers = 0,
                     const QStringList &before = {})
{
    QStringList pipeline{QStringLiteral("pipewiresrc"), QStringLiteral("target-object=") + uuid};
    if (buffers > 0)
        pipeline << QStringLiteral("num-buffers=%1").arg(buffers);
    pipeline << QStringLiteral("!") << QStringLiteral("video/x-raw,format=BGRA")
             << QStringLiteral("!") << before << QStringLiteral("multifilesink")
             << QStringLiteral("location=%1/frame%05d.raw").arg(directory)
             << QStringLiteral("max-files=3");
    return pipeline;
}

// The newest frame file a consumer wrote and how many it wrote in all.
struct Received
{
    int count = 0;
    QByteArray newest;
};

Received received(const QString &directory)
{
    const QStringList files =
        QDir(directory).entryList({QStringLiteral("frame*.raw")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        return {};
    const QString last = files.last();
    QFile file(QDir(directory).filePath(last));
    file.open(QIODevice::ReadOnly);
    return {last.mid(5, 5).toInt() + 1, file.readAll()};
}

QByteArray bytes(const std::vector<std::uint8_t> &pixels)
{
    return QByteArray(reinterpret_cast<const char *>(pixels.data()), qsizetype(pixels.size()));
}

} // namespace

class tst_FrameSharingServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nodeIsListedAndWithdrawnOnRelease()
    {
        auto directory = Directory::create();
        QVERIFY(directory);
        const QString name = QStringLiteral("Mixer — Main Output ✓");
        auto server = Server::create(name);
        QVERIFY(server);

        const QVariantMap description = server->description();
        QCOMPARE(description.value(keys::name).toString(), name);
        QCOMPARE(description.value(keys::appName).toString(), QStringLiteral("Kinolith"));
        QCOMPARE(description.value(QStringLiteral("media.class")).toString(),
                 QStringLiteral("Video/Source"));
        QCOMPARE(description.value(QStringLiteral("media.role")).toString(),
                 QStringLiteral("Camera"));
        QCOMPARE(description.value(QStringLiteral("node.description")).toString(), name);
        const QString nodeName = description.value(QStringLiteral("node.name")).toString();
        QVERIFY(!nodeName.isEmpty());

        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        const QString uuid = uuidOf(*server);
        QTRY_VERIFY_WITH_TIMEOUT(directoryHas(*directory, uuid), 5000);
        QVERIFY2(pwCliNodes().contains(nodeName), qPrintable(pwCliNodes()));

        server.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!directoryHas(*directory, uuid), 5000);
        QVERIFY(!pwCliNodes().contains(nodeName));
    }

    void sameNameGivesDistinctNodes()
    {
        auto first = Server::create(QStringLiteral("Twin"));
        auto second = Server::create(QStringLiteral("Twin"));
        QVERIFY(first && second);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*first).isEmpty() && !uuidOf(*second).isEmpty(), 5000);
        QVERIFY(uuidOf(*first) != uuidOf(*second));
        QVERIFY(first->description().value(QStringLiteral("node.name")) !=
                second->description().value(QStringLiteral("node.name")));
        QCOMPARE(first->description().value(keys::name), second->description().value(keys::name));
    }

    void nothingIsHandedOutWithoutConsumer()
    {
        auto server = Server::create(QStringLiteral("Lonely"));
        QVERIFY(server);
        const TestPicture picture(64, 48);
        for (int i = 0; i < 100; ++i)
            QVERIFY(!server->publish(picture.asTexture()));
        QVERIFY(!server->beginFrame(64, 48));
        QVERIFY(!server->isStreaming());
    }

    void gstreamerReceivesPictureUpright_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("byNodeName"); // target-object: object.serial or node.name
        QTest::addRow("320x240") << 320 << 240 << false;
        QTest::addRow("odd 333x101") << 333 << 101 << false;
        QTest::addRow("1920x1080") << 1920 << 1080 << false;
        QTest::addRow("320x240 by node.name") << 320 << 240 << true;
    }

    void gstreamerReceivesPictureUpright()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, byNodeName);
        auto server = Server::create(QStringLiteral("Upright"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        Publisher publisher(server, width, height, 30);
        const TestPicture picture(width, height);

        QTemporaryDir out;
        const QString target =
            byNodeName ? server->description().value(QStringLiteral("node.name")).toString()
                       : uuidOf(*server);
        GstPeer peer(consumer(target, out.path(), 5));
        QVERIFY(peer.start());
        QVERIFY2(peer.waitForFinished(20000), qPrintable(peer.output()));
        QCOMPARE(peer.exitCode(), 0);
        const Received frames = received(out.path());
        QCOMPARE(frames.count, 5);
        // The file holds the picture top-down: upright, the texture's last row first.
        QVERIFY(frames.newest == bytes(picture.topDown()));
        QVERIFY(publisher.published() >= 5);
    }

    void gstreamerFollowsSizeChange()
    {
        auto server = Server::create(QStringLiteral("Resizing"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        Publisher publisher(server, 320, 240, 30);
        QTemporaryDir out;
        GstPeer peer(consumer(uuidOf(*server), out.path()));
        QVERIFY(peer.start());
        const TestPicture small(320, 240);
        QTRY_VERIFY2_WITH_TIMEOUT(received(out.path()).newest == bytes(small.topDown()),
                                  qPrintable(peer.output()), 10000);

        auto large = std::make_shared<TestPicture>(640, 360, 1);
        publisher.setPicture(large);
        QTRY_VERIFY2_WITH_TIMEOUT(received(out.path()).newest == bytes(large->topDown()),
                                  qPrintable(peer.output()), 10000);
        QVERIFY(peer.isRunning());
    }

    void consumersLeavingAtAnyMomentLeaveTheNodeServing()
    {
        auto server = Server::create(QStringLiteral("Revolving door"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        Publisher publisher(server, 160, 120, 60);
        // pipewiresrc consumers that leave while connecting, negotiating or streaming, half of
        // them in order (SIGINT) and half by dying (SIGTERM).
        for (int i = 0; i < 24; ++i) {
            GstPeer peer({QStringLiteral("pipewiresrc"),
                          QStringLiteral("target-object=") + uuidOf(*server), QStringLiteral("!"),
                          QStringLiteral("video/x-raw,format=BGRA"), QStringLiteral("!"),
                          QStringLiteral("fakesink"), QStringLiteral("sync=false")});
            QVERIFY(peer.start());
            QTest::qWait((i * 37) % 300);
            if (i % 2)
                peer.interrupt();
            else
                peer.stop();
        }
        QTemporaryDir out;
        GstPeer last(consumer(uuidOf(*server), out.path(), 3));
        QVERIFY(last.start());
        QVERIFY2(last.waitForFinished(20000), qPrintable(last.output()));
        QCOMPARE(received(out.path()).newest, bytes(TestPicture(160, 120).topDown()));
    }

    void clientsLinkedBeforeTheFirstFrameGetIt()
    {
        // A server offers a size before its first frame, and the first frame brings another. With
        // a client linking at about that moment PipeWire can lose the new size: the node keeps
        // the old one, or takes the new one without buffers, and publishes nothing. Several
        // servers at once, their first frames a few milliseconds apart, make that likely.
        constexpr int count = 12;
        std::vector<std::shared_ptr<Server>> servers;
        for (int i = 0; i < count; ++i) {
            servers.push_back(Server::create(QStringLiteral("First frame %1").arg(i)));
            QVERIFY(servers.back());
        }
        std::vector<std::shared_ptr<Client>> clients;
        for (int i = 0; i < count; ++i) {
            QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*servers[i]).isEmpty(), 5000);
            clients.push_back(Client::create(servers[i]->description(), [](Client &) {}));
            QVERIFY(clients.back()->isValid());
        }
        std::vector<std::unique_ptr<Publisher>> publishers;
        for (int i = 0; i < count; ++i) {
            QTest::qWait(3 * i);
            publishers.push_back(std::make_unique<Publisher>(servers[i], 320, 240, 60));
        }
        const QByteArray expected = TestPicture(320, 240).textureBytes();
        for (int i = 0; i < count; ++i) {
            QTRY_VERIFY2_WITH_TIMEOUT(frameBytes(clients[i]->newestFrame()) == expected,
                                      qPrintable(QStringLiteral("client %1, %2 frames published")
                                                     .arg(i)
                                                     .arg(publishers[i]->published())),
                                      5000);
        }
    }

    void slowConsumerDoesNotStallFastOne_data()
    {
        QTest::addColumn<QString>("slowConsumer");
        QTest::addRow("our client, 200 ms handler") << QStringLiteral("client");
        QTest::addRow("pipewiresrc dropping late frames") << QStringLiteral("leaky");
        QTest::addRow("pipewiresrc holding every frame") << QStringLiteral("holding");
    }

    void slowConsumerDoesNotStallFastOne()
    {
        QFETCH(QString, slowConsumer);
        auto server = Server::create(QStringLiteral("Shared"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*server).isEmpty(), 5000);
        // No consumer takes this frame, but from now on the node offers its size: the consumers
        // link at the size they will get.
        QVERIFY(!server->publish(TestPicture(320, 240).asTexture()));
        QTemporaryDir slowOut, fastOut;
        // Each slow consumer takes 200 ms per frame.
        QStringList slowStage{QStringLiteral("identity"), QStringLiteral("sleep-time=200000"),
                              QStringLiteral("!")};
        if (slowConsumer == QLatin1String("leaky"))
            slowStage = QStringList{QStringLiteral("queue"), QStringLiteral("leaky=downstream"),
                                    QStringLiteral("max-size-buffers=1"), QStringLiteral("!")} +
                        slowStage;
        std::atomic<int> slowCalls{0};
        std::unique_ptr<GstPeer> slowPeer;
        std::shared_ptr<Client> slowClient;
        if (slowConsumer == QLatin1String("client")) {
            slowClient = Client::create(server->description(), [&slowCalls](Client &) {
                ++slowCalls;
                QThread::msleep(200);
            });
            QVERIFY(slowClient->isValid());
        } else {
            slowPeer =
                std::make_unique<GstPeer>(consumer(uuidOf(*server), slowOut.path(), 0, slowStage));
            QVERIFY(slowPeer->start());
        }
        const auto slowFrames = [&] {
            return slowClient ? slowCalls.load() : received(slowOut.path()).count;
        };
        GstPeer fast(consumer(uuidOf(*server), fastOut.path()));
        QVERIFY(fast.start());
        Publisher publisher(server, 320, 240, 30);
        QTRY_VERIFY_WITH_TIMEOUT(received(fastOut.path()).count > 0, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(slowFrames() > 0, 10000);

        const int fastBefore = received(fastOut.path()).count;
        const int slowBefore = slowFrames();
        const int publishedBefore = publisher.published();
        QTest::qWait(3000);
        const int fastCount = received(fastOut.path()).count - fastBefore;
        const int slowCount = slowFrames() - slowBefore;
        const int published = publisher.published() - publishedBefore;
        qInfo("published %d, fast consumer %d, slow consumer %d", published, fastCount, slowCount);
        QVERIFY(slowCount <= 20);
        // Consumers share the node's buffers. pipewiresrc keeps every buffer it has not yet
        // pushed downstream and gives none back before it does (the unbounded queue of PipeWire
        // issue 190), so one that falls behind without dropping ends up holding them all and the
        // node has nothing to publish into. PipeWire gives the sending side no way to take a
        // buffer back short of reallocating every consumer's buffers.
        if (slowConsumer == QLatin1String("holding"))
            QEXPECT_FAIL("", "a pipewiresrc that holds every buffer throttles the node", Continue);
        QVERIFY2(fastCount >= 75, qPrintable(QString::number(fastCount)));
    }
};

QTEST_GUILESS_MAIN(tst_FrameSharingServer)
#include "tst_FrameSharingServer.moc"
