// SPDX-License-Identifier: GPL-3.0-or-later
// Servers, clients and the directory while their PipeWire daemon goes away and comes back. The
// daemon is a private one, so the test command's daemon stays up for the other tests.
#include "NotificationRecorder.h"
#include "Publisher.h"
#include "SharingTestHelpers.h"
#include "platform/framesharing/Client.h"
#include "platform/framesharing/Directory.h"
#include "platform/framesharing/Server.h"
#include "support/PrivatePipeWire.h"

#include <QTest>
#include <cstring>

using namespace framesharing;

namespace {

bool listed(Directory &directory, const QString &uuid)
{
    const QList<QVariantMap> servers = directory.servers();
    return !uuid.isEmpty() &&
           std::any_of(servers.begin(), servers.end(), [&uuid](const QVariantMap &server) {
               return server.value(keys::uuid).toString() == uuid;
           });
}

} // namespace

class tst_FrameSharingDaemonRestart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_daemon.useInThisProcess();
        QVERIFY(m_daemon.start());
    }

    void everythingSurvivesARestart()
    {
        NotificationRecorder recorder;
        auto directory = Directory::create();
        QVERIFY(directory);
        auto server = Server::create(QStringLiteral("Survivor"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(listed(*directory, uuidOf(*server)), 10000);
        const QString firstUuid = uuidOf(*server);
        Publisher publisher(server, 320, 240, 60);
        std::atomic<int> frames{0};
        auto client = Client::create(server->description(), [&frames](Client &) { ++frames; });
        QVERIFY(client->isValid());
        QTRY_VERIFY_WITH_TIMEOUT(frames > 0, 10000);

        // A second server has a frame out, being written, when the daemon goes: its memory
        // stays in place until the frame comes back (the server notices the loss after that).
        auto holder = Server::create(QStringLiteral("Holder"));
        QVERIFY(holder);
        QTRY_VERIFY_WITH_TIMEOUT(listed(*directory, uuidOf(*holder)), 10000);
        auto holderClient = Client::create(holder->description(), {});
        ServerFrame held;
        QTRY_VERIFY_WITH_TIMEOUT((held = holder->beginFrame(64, 64)), 10000);

        m_daemon.stop();
        const TestPicture picture(64, 64);
        for (int row = 0; row < 64; ++row)
            std::memcpy(held.textureRow(row), picture.asTexture().row(row), 64 * 4);
        holder->submitFrame(std::move(held));
        QTRY_VERIFY_WITH_TIMEOUT(uuidOf(*holder).isEmpty(), 10000);
        QVERIFY(!holder->beginFrame(64, 64));
        QTRY_VERIFY_WITH_TIMEOUT(directory->servers().isEmpty(), 10000);
        QVERIFY(!directory->isConnected());
        QVERIFY(!recorder.about(Directory::retireNotification, keys::uuid, firstUuid).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!client->isValid(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(uuidOf(*server).isEmpty(), 10000);
        QVERIFY(!server->beginFrame(320, 240));
        QVERIFY(!Server::create(QStringLiteral("Too early")));
        auto orphan = Client::create(server->description(), {});
        QVERIFY(!orphan->isValid());
        const int framesWhileDown = frames;

        QVERIFY(m_daemon.start());
        // The directory lists again, and the server has made its node anew.
        QTRY_VERIFY_WITH_TIMEOUT(directory->isConnected(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(listed(*directory, uuidOf(*server)), 10000);
        // Announced twice, once per daemon (a new daemon may hand out the same serial again).
        QCOMPARE(recorder.about(Directory::announceNotification, keys::name, server->name()).size(),
                 2);
        // The old client stays dead; a new one receives the running publisher's frames.
        QCOMPARE(frames.load(), framesWhileDown);
        QVERIFY(!client->isValid());
        std::atomic<int> newFrames{0};
        auto newClient =
            Client::create(server->description(), [&newFrames](Client &) { ++newFrames; });
        QVERIFY(newClient->isValid());
        QTRY_VERIFY2_WITH_TIMEOUT(newFrames > 0,
                                  qPrintable(QStringLiteral("client valid %1, server streaming %2")
                                                 .arg(newClient->isValid())
                                                 .arg(server->isStreaming())),
                                  10000);
        auto newServer = Server::create(QStringLiteral("Newcomer"));
        QVERIFY(newServer);
        QTRY_VERIFY_WITH_TIMEOUT(listed(*directory, uuidOf(*newServer)), 10000);
    }

    void directoryMadeWithoutDaemonListsOnceItComes()
    {
        m_daemon.stop();
        auto directory = Directory::create();
        QVERIFY(directory);
        QVERIFY(directory->servers().isEmpty());
        QVERIFY(!directory->isConnected());
        QVERIFY(m_daemon.start());
        auto server = Server::create(QStringLiteral("Late"));
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(listed(*directory, uuidOf(*server)), 10000);
    }

private:
    PrivatePipeWire m_daemon;
};

QTEST_GUILESS_MAIN(tst_FrameSharingDaemonRestart)
#include "tst_FrameSharingDaemonRestart.moc"
