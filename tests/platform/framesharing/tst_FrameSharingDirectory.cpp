// SPDX-License-Identifier: GPL-3.0-or-later
// The server directory against GStreamer nodes, our servers and nodes with odd properties.
#include "NotificationRecorder.h"
#include "SharingTestHelpers.h"
#include "platform/framesharing/Client.h"
#include "platform/framesharing/Directory.h"
#include "platform/framesharing/Server.h"
#include "support/GstPeer.h"
#include "support/RawPipeWireNode.h"

#include <QTest>

using namespace framesharing;

namespace {

const QString nodeNameKey = QStringLiteral("node.name");

QVariantMap findBy(Directory &directory, const QString &key, const QString &value)
{
    for (const QVariantMap &server : directory.servers()) {
        if (server.value(key).toString() == value)
            return server;
    }
    return {};
}

} // namespace

class tst_FrameSharingDirectory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstReadListsEveryExistingServer()
    {
        std::vector<std::shared_ptr<Server>> servers;
        for (int i = 0; i < 3; ++i) {
            servers.push_back(Server::create(QStringLiteral("Existing %1").arg(i)));
            QVERIFY(servers.back());
            QTRY_VERIFY_WITH_TIMEOUT(!uuidOf(*servers.back()).isEmpty(), 5000);
        }
        auto directory = Directory::create();
        QVERIFY(directory);
        const QList<QVariantMap> listed = directory->servers(); // no waiting here
        for (const auto &server : servers) {
            const auto it = std::find_if(listed.begin(), listed.end(), [&](const QVariantMap &d) {
                return d.value(keys::uuid) == uuidOf(*server);
            });
            QVERIFY(it != listed.end());
            QCOMPARE(it->value(keys::name).toString(), server->name());
            QCOMPARE(it->value(keys::appName).toString(), QStringLiteral("Kinolith"));
            // The full node properties, not only the registry's few.
            QCOMPARE(it->value(QStringLiteral("media.role")).toString(), QStringLiteral("Camera"));
        }
    }

    void gstreamerNodeComesAndGoes()
    {
        NotificationRecorder recorder;
        auto directory = Directory::create();
        QVERIFY(directory);
        const QString nodeName = QStringLiteral("kinolith-test-gst-node");
        auto source = std::make_unique<GstPeer>(
            GstPeer::testSource(nodeName, QStringLiteral("Test Bars"), 160, 120));
        QVERIFY(source->start());
        QTRY_VERIFY2_WITH_TIMEOUT(
            !recorder.about(Directory::announceNotification, nodeNameKey, nodeName).isEmpty(),
            qPrintable(source->output()), 10000);
        const QVariantMap announced =
            recorder.about(Directory::announceNotification, nodeNameKey, nodeName).first();
        QVERIFY(!announced.value(keys::uuid).toString().isEmpty());
        QCOMPARE(announced.value(keys::name).toString(), QStringLiteral("Test Bars"));
        QCOMPARE(announced.value(keys::appName).toString(), QStringLiteral("gst-launch-1.0"));
        const QVariantMap listed = findBy(*directory, nodeNameKey, nodeName);
        QCOMPARE(listed.value(keys::uuid), announced.value(keys::uuid));

        source.reset();
        QTRY_VERIFY_WITH_TIMEOUT(
            !recorder.about(Directory::retireNotification, nodeNameKey, nodeName).isEmpty(), 10000);
        QCOMPARE(recorder.about(Directory::retireNotification, nodeNameKey, nodeName)
                     .first()
                     .value(keys::uuid),
                 announced.value(keys::uuid));
        QVERIFY(findBy(*directory, nodeNameKey, nodeName).isEmpty());
    }

    void descriptionChangeIsAnUpdate()
    {
        NotificationRecorder recorder;
        auto directory = Directory::create();
        const QByteArray nodeName = "kinolith-test-renamed";
        RawPipeWireNode node({{"node.name", nodeName},
                              {"media.class", "Video/Source"},
                              {"node.description", "Before"}});
        QVERIFY(node.isConnected());
        QTRY_COMPARE_WITH_TIMEOUT(
            findBy(*directory, nodeNameKey, nodeName).value(keys::name).toString(),
            QStringLiteral("Before"), 10000);
        node.updateProperties({{"node.description", "After"}});
        QTRY_VERIFY_WITH_TIMEOUT(
            !recorder.about(Directory::updateNotification, nodeNameKey, nodeName).isEmpty(), 10000);
        QCOMPARE(recorder.about(Directory::updateNotification, nodeNameKey, nodeName)
                     .last()
                     .value(keys::name)
                     .toString(),
                 QStringLiteral("After"));
        QCOMPARE(findBy(*directory, nodeNameKey, nodeName).value(keys::name).toString(),
                 QStringLiteral("After"));
    }

    void oddProperties_data()
    {
        QTest::addColumn<RawPipeWireNode::Properties>("properties");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("appName");

        const QByteArray long64k(64 * 1024, 'n');
        // Without application.name on the node, the connection's (this program's) is taken.
        QTest::addRow("only node.name")
            << RawPipeWireNode::Properties{{"media.class", "Video/Source"}}
            << QStringLiteral("NODE") << QVariant(QStringLiteral("tst_FrameSharingDirectory"));
        QTest::addRow("empty description falls back to nick")
            << RawPipeWireNode::Properties{{"media.class", "Video/Source"},
                                           {"node.description", ""},
                                           {"node.nick", "Nick"},
                                           {"application.name", ""}}
            << QStringLiteral("Nick") << QVariant(QString());
        QTest::addRow("not UTF-8")
            << RawPipeWireNode::Properties{{"media.class", "Stream/Output/Video"},
                                           {"node.description", "Caf\xe9 \xff\xfe"},
                                           {"application.name", "Mixer\x80"}}
            << QStringLiteral("Caf\uFFFD \uFFFD\uFFFD") << QVariant(QStringLiteral("Mixer\uFFFD"));
        QTest::addRow("64 KiB description")
            << RawPipeWireNode::Properties{{"media.class", "Video/Source"},
                                           {"node.description", long64k},
                                           {"application.name", "Long"}}
            << QString::fromLatin1(long64k) << QVariant(QStringLiteral("Long"));
    }

    void oddProperties()
    {
        QFETCH(RawPipeWireNode::Properties, properties);
        QFETCH(QString, name);
        QFETCH(QVariant, appName);
        static int serial = 0;
        const QByteArray nodeName = "kinolith-test-odd-" + QByteArray::number(++serial);
        if (name == QLatin1String("NODE"))
            name = QString::fromLatin1(nodeName);
        properties.append({"node.name", nodeName});
        auto directory = Directory::create();
        RawPipeWireNode node(properties);
        QVERIFY(node.isConnected());
        QVariantMap listed;
        QTRY_VERIFY_WITH_TIMEOUT(!(listed = findBy(*directory, nodeNameKey, nodeName)).isEmpty(),
                                 10000);
        QVERIFY(!listed.value(keys::uuid).toString().isEmpty());
        QCOMPARE(listed.value(keys::name).toString(), name);
        QCOMPARE(listed.value(keys::appName), appName);
    }

    void onlyVideoSourcesAreListed()
    {
        auto directory = Directory::create();
        RawPipeWireNode audio(
            {{"node.name", "kinolith-test-audio"}, {"media.class", "Audio/Source"}});
        RawPipeWireNode input(
            {{"node.name", "kinolith-test-input"}, {"media.class", "Stream/Input/Video"}});
        RawPipeWireNode video(
            {{"node.name", "kinolith-test-video"}, {"media.class", "Video/Source"}});
        QTRY_VERIFY_WITH_TIMEOUT(
            !findBy(*directory, nodeNameKey, QStringLiteral("kinolith-test-video")).isEmpty(),
            10000);
        QVERIFY(findBy(*directory, nodeNameKey, QStringLiteral("kinolith-test-audio")).isEmpty());
        QVERIFY(findBy(*directory, nodeNameKey, QStringLiteral("kinolith-test-input")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_FrameSharingDirectory)
#include "tst_FrameSharingDirectory.moc"
