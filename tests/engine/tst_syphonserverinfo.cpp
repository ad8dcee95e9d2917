// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SyphonServerInfo.h"
#include "platform/framesharing/DescriptionKeys.h"

#include <QSet>
#include <QTest>

namespace keys = framesharing::keys;

class TestSyphonServerInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromDescription_data()
    {
        QTest::addColumn<QVariantMap>("description");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("displayName");
        QTest::addRow("complete") << QVariantMap{{keys::uuid, "41"},
                                                 {keys::name, "Main"},
                                                 {keys::appName, "Mixer"}}
                                  << true << "Main"
                                  << "Mixer"
                                  << "Mixer \u2014 Main";
        QTest::addRow("empty name")
            << QVariantMap{{keys::uuid, "41"}, {keys::name, ""}, {keys::appName, "Mixer"}} << true
            << ""
            << "Mixer"
            << "Mixer";
        QTest::addRow("no name") << QVariantMap{{keys::uuid, "41"}, {keys::appName, "Mixer"}}
                                 << true << ""
                                 << "Mixer"
                                 << "Mixer";
        QTest::addRow("no application")
            << QVariantMap{{keys::uuid, "41"}, {keys::name, "Main"}} << true << "Main"
            << "Unknown"
            << "Unknown \u2014 Main";
        QTest::addRow("non-text entries") << QVariantMap{{keys::uuid, "41"},
                                                         {keys::name, 7},
                                                         {keys::appName, QStringList{"Mixer"}}}
                                          << true << ""
                                          << "Unknown"
                                          << "Unknown";
        QTest::addRow("no uuid") << QVariantMap{{keys::name, "Main"}, {keys::appName, "Mixer"}}
                                 << false << ""
                                 << ""
                                 << "";
        QTest::addRow("numeric uuid")
            << QVariantMap{{keys::uuid, 41}, {keys::appName, "Mixer"}} << false << ""
            << ""
            << "";
    }

    void fromDescription()
    {
        QFETCH(QVariantMap, description);
        QFETCH(bool, listed);
        QFETCH(QString, name);
        QFETCH(QString, appName);
        QFETCH(QString, displayName);
        const auto info = SyphonServerInfo::fromDescription(description);
        QCOMPARE(info.has_value(), listed);
        if (!info)
            return;
        QCOMPARE(info->uuid, QStringLiteral("41"));
        QCOMPARE(info->name, name);
        QCOMPARE(info->appName, appName);
        QCOMPARE(info->displayName(), displayName);
        QCOMPARE(info->serverDescription, description);
    }

    void equalityAndHashingByUuidOnly()
    {
        const SyphonServerInfo a{
            QStringLiteral("41"), QStringLiteral("Main"), QStringLiteral("Mixer"), {}};
        const SyphonServerInfo b{QStringLiteral("41"),
                                 QStringLiteral("Other"),
                                 QStringLiteral("Tool"),
                                 {{QStringLiteral("x"), 1}}};
        const SyphonServerInfo c{
            QStringLiteral("42"), QStringLiteral("Main"), QStringLiteral("Mixer"), {}};
        QVERIFY(a == b);
        QVERIFY(!(a == c));
        QCOMPARE(qHash(a), qHash(b));
        QCOMPARE((QSet<SyphonServerInfo>{a, b, c}).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSyphonServerInfo)
#include "tst_syphonserverinfo.moc"
