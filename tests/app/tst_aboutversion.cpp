// SPDX-License-Identifier: GPL-3.0-or-later
// A bundle without version and build: the About window says so with dashes. Its own process,
// because the version and build are read once per process.
#include "ShellFixture.h"
#include "app/AboutWindowController.h"
#include "platform/foundation/Bundle.h"

#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(KinolithPlugin)

class TestAboutVersion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingVersionAndBuildShowDashes()
    {
        Bundle::setMain(Bundle(QStringLiteral("com.nordvane.Kinolith"),
                               {{QStringLiteral("CFBundleVersion"), QVariant(42)}}));
        ShellFixture shell;
        QVERIFY(shell.load());
        QVERIFY(shell.choose(QStringLiteral("Kinolith"), QStringLiteral("About Kinolith")));
        QQuickWindow *about = AboutWindowController::shared().window();
        QVERIFY(about);
        QCOMPARE(ShellFixture::find(about, QStringLiteral("versionText"))->property("text"),
                 QVariant(QStringLiteral("Version \u2014 (\u2014)")));
        about->close();
    }
};

QTEST_MAIN(TestAboutVersion)
#include "tst_aboutversion.moc"
