// SPDX-License-Identifier: GPL-3.0-or-later
// Runs with an EGL that finds no driver (CTest points libglvnd at a vendor list that does not
// exist), so the real system default device is missing.
#include "engine/MetalShared.h"
#include "support/LogCapture.h"

#include <QTest>

class TestMetalSharedNoDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutADeviceEnsureReadyFailsAndNothingIsMade()
    {
        if (qEnvironmentVariableIsEmpty("__EGL_VENDOR_LIBRARY_FILENAMES"))
            QSKIP("run through CTest, which hides the EGL drivers");
        QVERIFY(!GpuDevice::createSystemDefault());

        MetalShared shared;
        const auto ready = shared.ensureReady();
        QVERIFY(!ready);
        QCOMPARE(ready.error(),
                 (Error{QStringLiteral("Metal"), -1, QStringLiteral("Metal device unavailable")}));
        LogCapture log;
        QVERIFY(!shared.getMetal());
        QCOMPARE(log.entries(QStringLiteral("MetalShared")).size(), 1);
        QVERIFY(!shared.transformPipeline().pipelineState);
    }
};

QTEST_GUILESS_MAIN(TestMetalSharedNoDevice)
#include "tst_metalshared_nodevice.moc"
