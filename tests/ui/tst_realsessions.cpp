// SPDX-License-Identifier: GPL-3.0-or-later
// The application's own main window with its own session manager, used as a person would: a test
// window picked from a card's source menu, started from the card, received by a consumer, changed
// in the output sheet while it runs, restarted, stopped, duplicated and removed.
#include "../integration/SessionFixture.h"
#include "UiFixture.h"
#include "support/XTestWindow.h"

#include <QQmlContext>
#include <QQmlProperty>
#include <QRegularExpression>
#include <QTest>

namespace {

constexpr int windowWidth = 160;
constexpr int windowHeight = 120;

QQuickItem *find(QQuickItem *root, const QString &name)
{
    if (!root)
        return nullptr;
    QList<QQuickItem *> pending{root};
    while (!pending.isEmpty()) {
        QQuickItem *item = pending.takeFirst();
        if (item->objectName() == name)
            return item;
        pending += item->childItems();
    }
    return nullptr;
}

QQuickItem *find(QQuickWindow *window, const QString &name)
{
    return find(window->contentItem(), name);
}

void click(QQuickItem *item)
{
    QVERIFY(item);
    QVERIFY(item->isVisible());
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

QString textOf(QQuickItem *item)
{
    return item ? item->property("text").toString() : QString();
}

QStringList visibleNames(QQuickItem *row)
{
    QStringList names;
    for (QQuickItem *child : row->childItems()) {
        if (child->isVisible())
            names << child->objectName();
    }
    return names;
}

QObject *menuItemAt(QObject *menu, int index)
{
    QQuickItem *item = nullptr;
    QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, index));
    return item;
}

// Triggers the entry of the menu's "Windows" submenu whose text contains `text`; false when there
// is none.
bool chooseWindow(QObject *menu, const QString &text)
{
    QMetaObject::invokeMethod(menu, "rebuild");
    const int count = menu->property("count").toInt();
    for (int i = 0; i < count; ++i) {
        QObject *item = menuItemAt(menu, i);
        QObject *sub = item ? item->property("subMenu").value<QObject *>() : nullptr;
        if (!sub || sub->property("title").toString() != QStringLiteral("Windows"))
            continue;
        const int entries = sub->property("count").toInt();
        for (int j = 0; j < entries; ++j) {
            QObject *entry = menuItemAt(sub, j);
            if (entry && entry->property("text").toString().contains(text)) {
                QObject *action = entry->property("action").value<QObject *>();
                return action && QMetaObject::invokeMethod(action, "trigger");
            }
        }
    }
    return false;
}


// Waits until the consumer receives the window through the transform, drawing the window so that
// frames keep coming.
bool receives(const OutputReceiver &receiver, XTestWindow &window, int width, int height,
              const SourceOf &sourceOf, QString *difference)
{
    return QTest::qWaitFor(
        [&] {
            window.draw();
            *difference = comparePicture(receiver.picture(), window, width, height, sourceOf);
            return difference->isEmpty();
        },
        15000);
}

// The colour a preview item shows on screen at a point of its painted picture, given as fractions
// of the picture's width and height from its top left corner.
QColor shownAt(QQuickItem *preview, qreal across, qreal down)
{
    const QRectF painted = preview->property("paintedRect").toRectF();
    const QPointF inItem(painted.left() + painted.width() * across,
                         painted.top() + painted.height() * down);
    const QImage grab = preview->window()->grabWindow();
    return grab.pixelColor((preview->mapToScene(inItem) * grab.devicePixelRatio()).toPoint());
}

// The pattern's red grows from left to right and its green from top to bottom: an upright picture
// is dark in its top left corner, a mirrored one red there.
bool showsUpright(QQuickItem *preview)
{
    const QColor topLeft = shownAt(preview, 0.1, 0.1);
    const QColor bottomLeft = shownAt(preview, 0.1, 0.9);
    return topLeft.red() < 60 && topLeft.green() < 60 && bottomLeft.green() > 190;
}

bool showsMirrored(QQuickItem *preview)
{
    const QColor topLeft = shownAt(preview, 0.1, 0.1);
    const QColor bottomLeft = shownAt(preview, 0.1, 0.9);
    return topLeft.red() > 190 && topLeft.green() < 60 && bottomLeft.green() > 190;
}

} // namespace

class TestRealSessions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        XTestWindow::Options options;
        // Away from the main window, though the capture does not need it to be seen.
        options.rect = QRect(1500, 800, windowWidth, windowHeight);
        options.title = QStringLiteral("Pattern");
        options.wmClassInstance = "painter";
        options.wmClassName = "Painter";
        options.pid = 5301;
        m_pattern = std::make_unique<XTestWindow>(options);
        QVERIFY(m_pattern->isValid());

        QVERIFY(m_fixture.load());
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture.window()));
        m_manager = m_fixture.window()->findChild<CaptureManager *>();
        QVERIFY(m_manager);
        m_view = find(m_fixture.window(), QStringLiteral("sessionList"))->parentItem();
        QVERIFY(m_view);
        // The view read the catalogue when it was shown.
        QTRY_VERIFY_WITH_TIMEOUT(listsPatternWindow(), 10000);
    }

    void init()
    {
        // Any QML warning (a binding error, a missing type) is a failure.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    }

    void cleanup()
    {
        // No sheet left open over the main window; back to one stopped session, as a new window
        // starts.
        for (QQuickItem *card : cards())
            card->setProperty("showModifySheet", false);
        for (const auto &session : m_manager->sessions()) {
            if (session->isRunning())
                QVERIFY(finish(session->stop(*m_manager)));
        }
        while (m_manager->sessions().size() > 1)
            QVERIFY(finish(m_manager->removeSession(m_manager->sessions().back())));
        QTRY_COMPARE(cards().size(), 1);
    }

    void startsWithOneStoppedCard()
    {
        QCOMPARE(m_manager->sessions().size(), size_t(1));
        QCOMPARE(cards().size(), 1);
        QCOMPARE(pill("outputCount"), QStringLiteral("1 output"));
        QVERIFY(!find(m_view, "liveCount")->isVisible());
        QCOMPARE(visibleNames(find(cards().first(), "sessionTransportControls")),
                 (QStringList{"startButton", "duplicateButton", "removeButton"}));

        click(find(m_view, "addButton"));
        QCOMPARE(m_manager->sessions().size(), size_t(2));
        QCOMPARE(pill("outputCount"), QStringLiteral("2 outputs"));
        QTRY_COMPARE(cards().size(), 2);
        QVERIFY(!find(m_view, "liveCount")->isVisible());
    }

    // Picked, started, received, changed in the sheet, restarted and stopped, all from the card.
    void cardRunsASessionEndToEnd()
    {
        QQuickItem *card = cards().first();
        auto *session =
            qobject_cast<CaptureSession *>(card->property("session").value<QObject *>());
        QVERIFY(session);
        QObject *menu = card->findChild<QObject *>(QStringLiteral("sourceMenu"));
        QVERIFY(chooseWindow(menu, QStringLiteral("Pattern")));
        QCOMPARE(session->selectedWindowID(), std::optional<uint32_t>(m_pattern->id()));
        QVERIFY(textOf(find(card, "sourceLabel")).endsWith(QStringLiteral(" \u2014 Pattern")));

        click(find(card, "startButton"));
        QTRY_VERIFY2_WITH_TIMEOUT(session->isRunning(), qPrintable(session->status()), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(textOf(find(find(card, "healthBadge"), "pillLabel")),
                                  QStringLiteral("LIVE"), 10000);
        QQuickItem *controls = find(card, "sessionTransportControls");
        QCOMPARE(visibleNames(controls),
                 (QStringList{"restartButton", "stopButton", "duplicateButton", "removeButton"}));
        QVERIFY(find(m_view, "liveCount")->isVisible());
        QCOMPARE(pill("liveCount"), QStringLiteral("1 live"));
        QVERIFY(find(card, "restartHint")->isVisible());

        // Only the session owns its server; the test keeps its address, to tell a restart.
        const framesharing::Server *server = session->syphonServer().get();
        QVERIFY(server);
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*server).isEmpty(), 10000);
        OutputReceiver receiver(*server);
        QVERIFY(receiver.isValid());
        QString difference;
        const int w = windowWidth, h = windowHeight;
        QVERIFY2(
            receives(
                receiver, *m_pattern, w, h, [](int x, int y) { return QPoint(x, y); }, &difference),
            qPrintable("upright: " + difference));
        // The card's thumbnail shows the running output.
        QTRY_VERIFY_WITH_TIMEOUT(find(card, "previewImage")->property("hasImage").toBool(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(showsUpright(find(card, "previewImage")), 5000);

        // The sheet, opened from the card's "Modify" button, with the live preview.
        click(find(card, "modifyButton"));
        QQuickWindow *sheet = sheetOf(card);
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QQuickItem *preview = find(sheet, "previewImage");
        QTRY_VERIFY_WITH_TIMEOUT(preview->property("hasImage").toBool(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(showsUpright(preview), 5000);

        // The mirror off: the picture turns left to right, from the next frames on.
        click(find(sheet, "mirrorTile"));
        QCOMPARE(session->flipHorizontal(), false);
        QVERIFY2(receives(
                     receiver, *m_pattern, w, h, [w](int x, int y) { return QPoint(w - 1 - x, y); },
                     &difference),
                 qPrintable("mirrored: " + difference));
        QTRY_VERIFY_WITH_TIMEOUT(showsMirrored(preview), 5000);

        // Ten rows off the top, typed into the sheet's field.
        QQuickItem *top = find(find(sheet, "crop_cropTopPx"), "cropField");
        QVERIFY(top);
        top->forceActiveFocus();
        QMetaObject::invokeMethod(top, "selectAll");
        QTest::keyClick(sheet, Qt::Key_1);
        QTest::keyClick(sheet, Qt::Key_0);
        QTest::keyClick(sheet, Qt::Key_Return);
        QCOMPARE(session->cropTopPx(), 10);
        QVERIFY2(receives(
                     receiver, *m_pattern, w, h - 10,
                     [w](int x, int y) { return QPoint(w - 1 - x, y + 10); }, &difference),
                 qPrintable("cropped: " + difference));
        QTRY_COMPARE_WITH_TIMEOUT(session->previewImage().height(), h - 10, 5000);
        // All of it without a restart: the same server, running all along.
        QCOMPARE(session->syphonServer().get(), server);
        QVERIFY(session->isRunning());
        QVERIFY2(session->status().endsWith(session->transformLabel()),
                 qPrintable(session->status()));

        click(find(sheet, "closeButton"));
        QTRY_VERIFY(!sheetOf(card));

        // Restart: running again on a new server, the transform kept.
        click(find(card, "restartButton"));
        QTRY_VERIFY_WITH_TIMEOUT(session->syphonServer() && session->syphonServer().get() != server,
                                 15000);
        QTRY_VERIFY_WITH_TIMEOUT(session->isRunning(), 15000);
        const framesharing::Server *restarted = session->syphonServer().get();
        QTRY_VERIFY_WITH_TIMEOUT(!serverUuid(*restarted).isEmpty(), 10000);
        OutputReceiver again(*restarted);
        QVERIFY2(receives(
                     again, *m_pattern, w, h - 10,
                     [w](int x, int y) { return QPoint(w - 1 - x, y + 10); }, &difference),
                 qPrintable("restarted: " + difference));

        click(find(card, "stopButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!session->isRunning(), 15000);
        QCOMPARE(visibleNames(controls),
                 (QStringList{"startButton", "duplicateButton", "removeButton"}));
        QVERIFY(!find(m_view, "liveCount")->isVisible());
        QCOMPARE(textOf(find(find(card, "healthBadge"), "pillLabel")), QStringLiteral("STOPPED"));
    }

    void duplicateOfARunningSessionDoesNotStart()
    {
        QQuickItem *card = cards().first();
        auto *session =
            qobject_cast<CaptureSession *>(card->property("session").value<QObject *>());
        session->setSelectedWindowID(m_pattern->id());
        session->setCropLeftPx(6);
        click(find(card, "startButton"));
        QTRY_VERIFY_WITH_TIMEOUT(session->isRunning(), 15000);

        click(find(card, "duplicateButton"));
        QCOMPARE(m_manager->sessions().size(), size_t(2));
        const auto copy = m_manager->sessions().back();
        QVERIFY(copy.get() != session);
        QCOMPARE(copy->selectedWindowID(), std::optional<uint32_t>(m_pattern->id()));
        QCOMPARE(copy->cropLeftPx(), 6);
        QTRY_COMPARE(cards().size(), 2);
        QCOMPARE(pill("outputCount"), QStringLiteral("2 outputs"));
        QCOMPARE(pill("liveCount"), QStringLiteral("1 live"));
        QTest::qWait(300);
        QVERIFY(!copy->isRunning());
        QVERIFY(!copy->syphonServer());
        QCOMPARE(visibleNames(find(cards().at(1), "sessionTransportControls")),
                 (QStringList{"startButton", "duplicateButton", "removeButton"}));
    }

    void removingTheOnlyRunningSessionLeavesAFreshCard()
    {
        QQuickItem *card = cards().first();
        auto *session =
            qobject_cast<CaptureSession *>(card->property("session").value<QObject *>());
        const QUuid before = session->id();
        session->setSelectedWindowID(m_pattern->id());
        click(find(card, "startButton"));
        QTRY_VERIFY_WITH_TIMEOUT(session->isRunning(), 15000);
        QVERIFY(find(m_view, "liveCount")->isVisible());

        click(find(card, "removeButton"));
        QTRY_VERIFY_WITH_TIMEOUT(m_manager->sessions().front()->id() != before, 15000);
        QCOMPARE(m_manager->sessions().size(), size_t(1));
        QVERIFY(!m_manager->sessions().front()->isRunning());
        QTRY_COMPARE(cards().size(), 1);
        QTRY_VERIFY(cards().first() != card);
        QCOMPARE(cards().first()->property("session").value<QObject *>(),
                 m_manager->sessions().front().get());
        QCOMPARE(pill("outputCount"), QStringLiteral("1 output"));
        QVERIFY(!find(m_view, "liveCount")->isVisible());
    }

private:
    bool listsPatternWindow() const
    {
        for (const auto &window : m_manager->windows()) {
            if (window.windowID == m_pattern->id())
                return true;
        }
        return false;
    }

    QString pill(const char *name) const
    {
        return find(m_view, QLatin1String(name))->property("label").toString();
    }

    // The cards built in the list, in list order.
    QList<QQuickItem *> cards() const
    {
        QQuickItem *list = find(m_view, QStringLiteral("sessionList"));
        QList<QQuickItem *> result;
        const int count = list->property("count").toInt();
        for (int row = 0; row < count; ++row) {
            QQuickItem *card = nullptr;
            QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, card),
                                      Q_ARG(int, row));
            if (card)
                result << card;
        }
        return result;
    }

    static QQuickWindow *sheetOf(QQuickItem *card)
    {
        QObject *loader = card->findChild<QObject *>(QStringLiteral("modifySheetLoader"));
        return loader ? qobject_cast<QQuickWindow *>(loader->property("item").value<QObject *>())
                      : nullptr;
    }

    std::unique_ptr<XTestWindow> m_pattern;
    UiFixture m_fixture;
    CaptureManager *m_manager = nullptr;
    QQuickItem *m_view = nullptr;
};

QTEST_MAIN(TestRealSessions)
#include "tst_realsessions.moc"
