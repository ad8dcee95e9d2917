// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CaptureManager.h"
#include "engine/SessionTypes.h"

#include <QTest>

using Resolution = CaptureManager::OutputResolution;

class TestSessionTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sourceTypeRawValues()
    {
        QCOMPARE(Kinolith::allSourceTypes.size(), 2u);
        QCOMPARE(Kinolith::allSourceTypes[0], SourceType::window);
        QCOMPARE(Kinolith::allSourceTypes[1], SourceType::syphon);
        QCOMPARE(Kinolith::rawValue(SourceType::window), QStringLiteral("Window"));
        QCOMPARE(Kinolith::rawValue(SourceType::syphon), QStringLiteral("Syphon"));
    }

    void fromRawValue_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<int>("expected"); // -1: nothing
        QTest::addRow("source Window") << "source"
                                       << "Window" << int(SourceType::window);
        QTest::addRow("source Syphon") << "source"
                                       << "Syphon" << int(SourceType::syphon);
        QTest::addRow("source lower case") << "source"
                                           << "window" << -1;
        QTest::addRow("source empty") << "source"
                                      << "" << -1;
        QTest::addRow("health Live") << "health"
                                     << "Live" << int(HealthState::live);
        QTest::addRow("health Stalled") << "health"
                                        << "Stalled" << int(HealthState::stalled);
        QTest::addRow("health Stopped") << "health"
                                        << "Stopped" << int(HealthState::stopped);
        QTest::addRow("health lower case") << "health"
                                           << "live" << -1;
        QTest::addRow("health trailing space") << "health"
                                               << "Live " << -1;
    }

    void fromRawValue()
    {
        QFETCH(QString, kind);
        QFETCH(QString, raw);
        QFETCH(int, expected);
        std::optional<int> made;
        if (kind == u"source") {
            if (const auto type = Kinolith::sourceTypeFromRawValue(raw))
                made = int(*type);
        } else if (const auto state = Kinolith::healthStateFromRawValue(raw)) {
            made = int(*state);
        }
        QCOMPARE(made.value_or(-1), expected);
    }

    void healthRawValuesRoundTrip()
    {
        for (const auto state : {HealthState::live, HealthState::stalled, HealthState::stopped})
            QCOMPARE(Kinolith::healthStateFromRawValue(Kinolith::rawValue(state)), state);
    }

    void rotationRawValues()
    {
        QCOMPARE(Kinolith::rawValue(Rotation::r0), 0);
        QCOMPARE(Kinolith::rawValue(Rotation::r180), 180);
        QCOMPARE(Kinolith::rotationFromRawValue(0), Rotation::r0);
        QCOMPARE(Kinolith::rotationFromRawValue(180), Rotation::r180);
        for (const int other : {90, -180, 360, 1})
            QVERIFY(!Kinolith::rotationFromRawValue(other));
    }

    void outputResolutionLabels()
    {
        const QStringList expected{
            QStringLiteral("Native"),           QStringLiteral("640 \u00d7 360"),
            QStringLiteral("960 \u00d7 540"),   QStringLiteral("1280 \u00d7 720"),
            QStringLiteral("1600 \u00d7 900"),  QStringLiteral("1920 \u00d7 1080"),
            QStringLiteral("2560 \u00d7 1440"), QStringLiteral("3840 \u00d7 2160"),
            QStringLiteral("Custom\u2026"),
        };
        QStringList labels;
        for (const auto resolution : CaptureManager::allOutputResolutions)
            labels << CaptureManager::rawValue(resolution);
        QCOMPARE(labels, expected);
        for (const auto resolution : CaptureManager::allOutputResolutions) {
            QCOMPARE(
                CaptureManager::outputResolutionFromRawValue(CaptureManager::rawValue(resolution)),
                resolution);
        }
    }

    void outputResolutionRejectsLookalikes_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addRow("ascii x") << "1920x1080";
        QTest::addRow("no spaces") << "1920\u00d71080";
        QTest::addRow("three dots") << "Custom...";
        QTest::addRow("lower case") << "native";
        QTest::addRow("empty") << "";
    }

    void outputResolutionRejectsLookalikes()
    {
        QFETCH(QString, raw);
        QVERIFY(!CaptureManager::outputResolutionFromRawValue(raw));
    }
};

QTEST_GUILESS_MAIN(TestSessionTypes)
#include "tst_sessiontypes.moc"
