// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/foundation/Bundle.h"

#include <QTest>

// appVersion and appBuild are computed once per process, so this test has a process of its own:
// its main bundle lacks the version and holds a number where the build should be text.
class TestBundleAccessors : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        Bundle::setMain(Bundle(QStringLiteral("test.bundle"),
                               {{QStringLiteral("CFBundleVersion"), 17},
                                {QStringLiteral("CFBundleName"), QStringLiteral("Kinolith")}}));
    }

    void missingOrNonTextValuesReadAsDash()
    {
        QCOMPARE(Bundle::appVersion(), QStringLiteral("\u2014"));
        QCOMPARE(Bundle::appBuild(), QStringLiteral("\u2014"));
    }

    void computedOnce()
    {
        const QString version = Bundle::appVersion();
        const QString build = Bundle::appBuild();
        Bundle::setMain(Bundle::builtIn());
        QCOMPARE(Bundle::appVersion(), version);
        QCOMPARE(Bundle::appBuild(), build);
    }
};

QTEST_GUILESS_MAIN(TestBundleAccessors)
#include "tst_bundle_accessors.moc"
