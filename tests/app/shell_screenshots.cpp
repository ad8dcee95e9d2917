// SPDX-License-Identifier: GPL-3.0-or-later
// Saves pictures of the About window, its notices sheet and the update dialog (a newer release
// served on the loopback interface), for review against the intended layout. Run by
// scripts/screenshots; the first argument is the folder to write to.
#include "ShellFixture.h"
#include "app/AboutWindowController.h"
#include "app/StandardUpdaterController.h"
#include "app/Updater.h"
#include "support/LoopbackHttpServer.h"

#include <QDir>
#include <QGuiApplication>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(KinolithPlugin)

namespace {

bool save(QQuickWindow *window, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    const QImage image = window ? window->grabWindow() : QImage();
    if (image.isNull() || !image.save(path)) {
        std::fprintf(stderr, "shell screenshots: could not save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    if (!QDir().mkpath(dir.path()))
        return 1;

    LoopbackHttpServer server;
    if (!server.listen())
        return 1;
    server.respond(
        200, "<?xml version=\"1.0\"?><rss version=\"2.0\" "
             "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel><item>"
             "<title>Kinolith 0.2.0</title><link>https://nordvane.com/kinolith</link><description>"
             "<![CDATA[<h3>What's new</h3><ul><li>Window capture follows resized windows.</li>"
             "<li>PipeWire inputs reconnect when their source comes back.</li>"
             "<li>Lower CPU use at 4K.</li></ul>]]></description>"
             "<enclosure url=\"https://nordvane.com/k.deb\" sparkle:version=\"2\" "
             "sparkle:shortVersionString=\"0.2.0\"/></item></channel></rss>");
    StandardUpdaterController::setFeedUrlForTesting(server.url());

    ShellFixture shell;
    if (!shell.load())
        return 1;
    bool ok = shell.choose(QStringLiteral("Kinolith"), QStringLiteral("About Kinolith"));
    QQuickWindow *about = AboutWindowController::shared().window();
    if (!ok || !about || !QTest::qWaitForWindowExposed(about))
        return 1;
    QTest::qWait(300);
    ok = save(about, dir, QStringLiteral("about.png")) && ok;

    QObject *view = ShellFixture::find(about, QStringLiteral("aboutView"));
    view->setProperty("showNotices", true);
    QObject *loader = ShellFixture::find(about, QStringLiteral("noticesLoader"));
    (void)QTest::qWaitFor([&] { return loader->property("item").value<QObject *>() != nullptr; });
    auto *sheet = qobject_cast<QQuickWindow *>(loader->property("item").value<QObject *>());
    if (!sheet || !QTest::qWaitForWindowExposed(sheet))
        return 1;
    QTest::qWait(300);
    ok = save(sheet, dir, QStringLiteral("notices.png")) && ok;
    view->setProperty("showNotices", false);

    ok = shell.choose(QStringLiteral("Help"), QStringLiteral("Check for Updates\u2026")) && ok;
    StandardUpdaterController &updates = Updater::shared().controller();
    (void)QTest::qWaitFor(
        [&] { return updates.state() == StandardUpdaterController::State::updateAvailable; });
    if (!updates.dialog() || !QTest::qWaitForWindowExposed(updates.dialog()))
        return 1;
    QTest::qWait(300);
    ok = save(updates.dialog(), dir, QStringLiteral("update-available.png")) && ok;
    return ok ? 0 : 1;
}
