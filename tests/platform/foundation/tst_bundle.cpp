// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/foundation/Bundle.h"

#include <QTemporaryDir>
#include <QTest>

class TestBundle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void builtInDescribesThisBuild()
    {
        const Bundle bundle = Bundle::builtIn();
        QCOMPARE(bundle.identifier(), QStringLiteral("com.nordvane.Kinolith"));
        QCOMPARE(bundle.infoText(QStringLiteral("CFBundleShortVersionString")),
                 QStringLiteral(KINOLITH_VERSION));
        QCOMPARE(bundle.infoText(QStringLiteral("CFBundleVersion")),
                 QStringLiteral(KINOLITH_BUILD_NUMBER));
    }

    void infoText_data()
    {
        QTest::addColumn<QVariantMap>("info");
        QTest::addColumn<QString>("expected");
        const QString key = QStringLiteral("CFBundleVersion");
        QTest::addRow("text") << QVariantMap{{key, QStringLiteral("42")}} << "42";
        QTest::addRow("empty text") << QVariantMap{{key, QString()}} << "";
        QTest::addRow("missing") << QVariantMap{} << "\u2014";
        QTest::addRow("number") << QVariantMap{{key, 42}} << "\u2014";
        QTest::addRow("list") << QVariantMap{{key, QStringList{QStringLiteral("42")}}} << "\u2014";
        QTest::addRow("bytes") << QVariantMap{{key, QByteArray("42")}} << "\u2014";
        QTest::addRow("other key only")
            << QVariantMap{{QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0")}}
            << "\u2014";
    }

    void infoText()
    {
        QFETCH(QVariantMap, info);
        QFETCH(QString, expected);
        const Bundle bundle(QStringLiteral("test.bundle"), info);
        QCOMPARE(bundle.infoText(QStringLiteral("CFBundleVersion")), expected);
    }

    void loggingSubsystem_data()
    {
        QTest::addColumn<std::optional<QString>>("identifier");
        QTest::addColumn<QString>("subsystem");
        QTest::addRow("identifier")
            << std::optional<QString>(QStringLiteral("org.example.Test")) << "org.example.Test";
        QTest::addRow("none") << std::optional<QString>() << "Kinolith";
        QTest::addRow("empty") << std::optional<QString>(QString()) << "Kinolith";
    }

    void loggingSubsystem()
    {
        QFETCH(std::optional<QString>, identifier);
        QFETCH(QString, subsystem);
        Bundle::setMain(Bundle(identifier, {}));
        QCOMPARE(Bundle::loggingSubsystem(), subsystem);
        Bundle::setMain(Bundle::builtIn());
    }

    void findsResources()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QFile notices(root.filePath(QStringLiteral("ThirdPartyNotices.txt")));
        QVERIFY(notices.open(QIODevice::WriteOnly));
        notices.write("notices");
        notices.close();

        const Bundle bundle(QStringLiteral("test.bundle"), {}, root.path());
        QCOMPARE(bundle.pathForResource(QStringLiteral("ThirdPartyNotices"), QStringLiteral("txt")),
                 notices.fileName());
        QCOMPARE(bundle.urlForResource(QStringLiteral("ThirdPartyNotices"), QStringLiteral("txt")),
                 QUrl::fromLocalFile(notices.fileName()));
        QVERIFY(!bundle.pathForResource(QStringLiteral("ThirdPartyNotices"), QStringLiteral("md")));
        QVERIFY(!bundle.pathForResource(QStringLiteral("Missing"), QStringLiteral("txt")));
        // A folder is not a resource.
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("folder.txt")));
        QVERIFY(!bundle.pathForResource(QStringLiteral("folder"), QStringLiteral("txt")));
    }

    void resourceUrlsInTheResourceSystemUseQrc()
    {
        // Qt itself ships resources under :/qt-project.org; any file there will do.
        const Bundle bundle(QStringLiteral("test.bundle"), {},
                            QStringLiteral(":/qt-project.org/qmime"));
        const auto url =
            bundle.urlForResource(QStringLiteral("freedesktop.org"), QStringLiteral("xml"));
        if (!url)
            QSKIP("this Qt build keeps no MIME database in its resources");
        QCOMPARE(url->scheme(), QStringLiteral("qrc"));
    }
};

QTEST_GUILESS_MAIN(TestBundle)
#include "tst_bundle.moc"
