// SPDX-License-Identifier: GPL-3.0-or-later
// Saves pictures of a session card with every control showing (running, live, custom size, a
// preview), of its output sheet and of the main window's content, for review against the intended
// layout. Run by scripts/screenshots; the first argument is the folder to write to.
#include "../integration/SessionFixture.h"
#include "UiFixture.h"
#include "support/XTestWindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTest>
#include <cstdio>

namespace {

// A picture that shows its orientation: a bright band along its top edge.
QImage orientationPattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(40, 90, 160));
    gradient.setColorAt(1, QColor(150, 60, 120));
    painter.fillRect(image.rect(), gradient);
    painter.fillRect(0, 0, width, height / 8, QColor(250, 220, 80));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(height / 10);
    painter.setFont(font);
    painter.drawText(image.rect().adjusted(0, height / 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("top"));
    return image;
}

bool save(const QImage &image, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    if (image.isNull() || !image.save(path)) {
        std::fprintf(stderr, "screenshots: could not save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The window's own content view and session manager: two sessions, the first capturing a pattern
// window and running, then its output sheet with the live preview.
bool saveLiveWindow(UiFixture &fixture, const QDir &dir)
{
    XTestWindow::Options options;
    options.rect = QRect(1200, 700, 480, 270);
    options.title = QStringLiteral("Pattern");
    options.wmClassInstance = "painter";
    options.wmClassName = "Painter";
    XTestWindow pattern(options);
    QQuickWindow *window = fixture.window();
    auto *manager = window->findChild<CaptureManager *>();
    if (!pattern.isValid() || !manager)
        return false;
    if (!finish(manager->refreshWindows()))
        return false;
    manager->addSession();
    const auto session = manager->sessions().front();
    session->setSelectedWindowID(pattern.id());
    session->start(manager);
    const bool previewing = QTest::qWaitFor(
        [&] {
            pattern.draw();
            return session->isRunning() && session->healthState() == HealthState::live &&
                   !session->previewImage().isNull();
        },
        20000);
    if (!previewing) {
        std::fprintf(stderr, "screenshots: the session did not run: %s\n",
                     qPrintable(session->status()));
        return false;
    }
    QTest::qWait(500);
    bool ok = save(window->grabWindow(), dir, QStringLiteral("main-window-live.png"));

    QQuickItem *list = nullptr;
    QList<QQuickItem *> pending{window->contentItem()};
    while (!list && !pending.isEmpty()) {
        QQuickItem *item = pending.takeFirst();
        if (item->objectName() == QLatin1String("sessionList"))
            list = item;
        pending += item->childItems();
    }
    QQuickItem *card = nullptr;
    if (list)
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, card),
                                  Q_ARG(int, 0));
    if (!card) {
        std::fprintf(stderr, "screenshots: the main window shows no card\n");
        return false;
    }
    card->setProperty("showModifySheet", true);
    QObject *loader = card->findChild<QObject *>(QStringLiteral("modifySheetLoader"));
    auto *sheet = loader ? qobject_cast<QQuickWindow *>(loader->property("item").value<QObject *>())
                         : nullptr;
    if (!sheet || !QTest::qWaitForWindowExposed(sheet))
        return false;
    session->setCropLeftPx(40);
    for (int i = 0; i < 8; ++i) {
        pattern.draw();
        QTest::qWait(100);
    }
    ok = save(sheet->grabWindow(), dir, QStringLiteral("modify-sheet-live.png")) && ok;
    card->setProperty("showModifySheet", false);
    return finish(session->stop(*manager)) && ok;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    if (!QDir().mkpath(dir.path()))
        return 1;

    UiFixture fixture;
    if (!fixture.load())
        return 1;
    QObject *manager = fixture.manager();
    manager->setProperty("displays", QVariantList{QVariantMap{{"displayID", 1}}});
    manager->setProperty("status", QStringLiteral("Ready"));

    CaptureSession *session = fixture.factory().create();
    session->setSelectedDisplayID(1);
    session->setOutputResolution(CaptureManager::OutputResolution::custom);
    session->setCropTopPx(20);
    session->setIsRunning(true);
    session->setHealthState(HealthState::live);
    session->setStatus(QStringLiteral("Capturing \"Display 1\" \u2014 ") +
                       session->transformLabel());
    session->setPreviewImage(orientationPattern(1920, 1080));

    QQuickWindow *window = fixture.window();
    if (!QTest::qWaitForWindowExposed(window))
        return 1;
    // The window's own content view stays out of the pictures of single cards; it comes back for
    // the last pictures.
    // Only the view (the one with a manager): the menu bar shares the content item.
    QList<QQuickItem *> ownContent;
    for (QQuickItem *item : window->property("contentItem").value<QQuickItem *>()->childItems()) {
        if (item->property("manager").isValid())
            ownContent << item;
    }
    for (QQuickItem *item : ownContent)
        item->setVisible(false);
    QQuickItem *card = fixture.makeCard(session);
    if (!card)
        return 1;
    QTest::qWait(300);
    bool ok = save(window->grabWindow(), dir, QStringLiteral("session-card.png"));

    // The same card, stopped and without a preview.
    CaptureSession *stopped = fixture.factory().create();
    fixture.clearCards();
    QQuickItem *stoppedCard = fixture.makeCard(stopped);
    if (!stoppedCard)
        return 1;
    QTest::qWait(300);
    ok = save(window->grabWindow(), dir, QStringLiteral("session-card-stopped.png")) && ok;

    fixture.clearCards();
    card = fixture.makeCard(session);
    card->setProperty("showModifySheet", true);
    QObject *loader = card->findChild<QObject *>(QStringLiteral("modifySheetLoader"));
    auto *sheet = loader ? qobject_cast<QQuickWindow *>(loader->property("item").value<QObject *>())
                         : nullptr;
    if (!sheet || !QTest::qWaitForWindowExposed(sheet))
        return 1;
    QTest::qWait(300);
    ok = save(sheet->grabWindow(), dir, QStringLiteral("modify-sheet.png")) && ok;

    session->setPreviewImage(QImage());
    QTest::qWait(300);
    ok = save(sheet->grabWindow(), dir, QStringLiteral("modify-sheet-no-preview.png")) && ok;

    // The whole window: the running session and a stopped one.
    card->setProperty("showModifySheet", false);
    QTest::qWait(100);
    fixture.clearCards();
    session->setPreviewImage(orientationPattern(1920, 1080));
    manager->setProperty("sessions", QVariantList{QVariant::fromValue<QObject *>(session),
                                                  QVariant::fromValue<QObject *>(stopped)});
    QQuickItem *view = fixture.makeContentView();
    if (!view)
        return 1;
    QTest::qWait(300);
    ok = save(window->grabWindow(), dir, QStringLiteral("main-window.png")) && ok;

    // The dark menus: the stopped card's source menu, then its resolution picker.
    manager->setProperty("applications", QVariantList{QVariantMap{{"processID", 42},
                                                                  {"applicationName", "Editor"}}});
    QQuickItem *list = view->findChild<QQuickItem *>(QStringLiteral("sessionList"));
    QQuickItem *stoppedItem = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, stoppedItem),
                              Q_ARG(int, 1));
    const auto clickOn = [&](const char *name) {
        QQuickItem *item =
            stoppedItem ? stoppedItem->findChild<QQuickItem *>(QLatin1String(name)) : nullptr;
        if (!item)
            return false;
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(window, Qt::LeftButton, {}, centre.toPoint());
        return true;
    };
    if (!clickOn("windowSourceMenu"))
        return 1;
    QTest::qWait(300);
    ok = save(window->grabWindow(), dir, QStringLiteral("source-menu.png")) && ok;
    QTest::keyClick(window, Qt::Key_Escape);
    QTest::qWait(200);
    if (!clickOn("resolutionPicker"))
        return 1;
    QTest::qWait(300);
    ok = save(window->grabWindow(), dir, QStringLiteral("resolution-picker.png")) && ok;
    QTest::keyClick(window, Qt::Key_Escape);
    QTest::qWait(200);
    fixture.clearCards();
    for (QQuickItem *item : ownContent)
        item->setVisible(true);
    return (saveLiveWindow(fixture, dir) && ok) ? 0 : 1;
}
