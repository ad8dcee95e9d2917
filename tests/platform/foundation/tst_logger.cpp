// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Logger.h"
#include "support/LogCapture.h"

#include <QTest>
#include <thread>

class TestLogger : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entriesCarrySubsystemCategoryAndLevel()
    {
        LogCapture capture;
        const Logger log("MetalShared");
        log.info(QStringLiteral("ready"));
        log.error(QStringLiteral("not ready"));
        const auto entries = capture.entries(QStringLiteral("MetalShared"));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].subsystem, QStringLiteral("com.nordvane.Kinolith"));
        QCOMPARE(entries[0].level, LogLevel::info);
        QCOMPARE(entries[0].message, QStringLiteral("ready"));
        QCOMPARE(entries[1].level, LogLevel::error);
        QCOMPARE(entries[1].message, QStringLiteral("not ready"));
    }

    void subsystemWithoutBundleIdentifier()
    {
        Bundle::setMain(Bundle(std::nullopt, {}));
        LogCapture capture;
        const Logger log("CaptureSession");
        log.error(QStringLiteral("x"));
        Bundle::setMain(Bundle::builtIn());
        QCOMPARE(capture.entries().value(0).subsystem, QStringLiteral("Kinolith"));
        QCOMPARE(capture.entries().value(0).category, QStringLiteral("CaptureSession"));
    }

    void loggingRulesSilenceACategory()
    {
        LogCapture capture;
        QLoggingCategory::setFilterRules(QStringLiteral("Quiet.info=false"));
        const Logger quiet("Quiet");
        quiet.info(QStringLiteral("hidden"));
        quiet.error(QStringLiteral("shown"));
        QLoggingCategory::setFilterRules(QString());
        const auto entries = capture.entries(QStringLiteral("Quiet"));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].message, QStringLiteral("shown"));
    }

    void qtMessagesTakeTheSameRoad()
    {
        Logger::installQtMessageHandler();
        LogCapture capture;
        qWarning("a warning from Qt");
        qInstallMessageHandler(nullptr);
        bool found = false;
        for (const auto &entry : capture.entries())
            found =
                found || (entry.message == u"a warning from Qt" && entry.level == LogLevel::error);
        QVERIFY(found);
    }

    void manyThreadsAtOnce()
    {
        LogCapture capture;
        const Logger log("Threads");
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < 250; ++i)
                    log.info(QStringLiteral("%1-%2").arg(t).arg(i));
            });
        }
        for (auto &thread : threads)
            thread.join();
        QCOMPARE(capture.entries(QStringLiteral("Threads")).size(), 1000);
    }
};

QTEST_GUILESS_MAIN(TestLogger)
#include "tst_logger.moc"
