// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiFixture.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlProperty>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <limits>

namespace {

// The item of that name among the object's children or, for items, among the visual children
// (where a Repeater puts its delegates).
QQuickItem *find(QObject *root, const QString &name)
{
    if (!root)
        return nullptr;
    if (auto *found = root->findChild<QQuickItem *>(name))
        return found;
    QList<QQuickItem *> pending;
    if (auto *item = qobject_cast<QQuickItem *>(root))
        pending = item->childItems();
    else if (auto *window = qobject_cast<QQuickWindow *>(root))
        pending = window->contentItem()->childItems();
    while (!pending.isEmpty()) {
        QQuickItem *item = pending.takeFirst();
        if (item->objectName() == name)
            return item;
        pending += item->childItems();
    }
    return nullptr;
}

void click(QQuickItem *item)
{
    QVERIFY(item);
    QVERIFY(item->isVisible());
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

void keyClicks(QWindow *window, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

// Types text into a field as the user does, replacing what it held, without committing it.
void typeWithoutCommit(QQuickItem *field, const QString &text)
{
    QVERIFY(field);
    field->forceActiveFocus();
    QMetaObject::invokeMethod(field, "selectAll");
    if (text.isEmpty())
        QTest::keyClick(field->window(), Qt::Key_Delete);
    keyClicks(field->window(), text);
}

// Types text into a field and commits it with Enter.
void typeInto(QQuickItem *field, const QString &text)
{
    typeWithoutCommit(field, text);
    QTest::keyClick(field->window(), Qt::Key_Return);
}

QString textOf(QQuickItem *item)
{
    return item ? item->property("text").toString() : QString();
}

// The objectNames of the visible children of a row, left to right.
QStringList visibleNames(QQuickItem *row)
{
    QStringList names;
    for (QQuickItem *child : row->childItems()) {
        if (child->isVisible())
            names << child->objectName();
    }
    return names;
}

QColor colorOf(QObject *item, const char *property = "color")
{
    return item->property(property).value<QColor>();
}

// Colours equal to 8 bits a channel.
bool sameColour(const QColor &a, const QColor &b)
{
    return a.rgba() == b.rgba();
}

QObject *menuItemAt(QObject *menu, int index)
{
    QQuickItem *item = nullptr;
    QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, index));
    return item;
}

QObject *submenuAt(QObject *menu, int index)
{
    QObject *item = menuItemAt(menu, index);
    return item ? item->property("subMenu").value<QObject *>() : nullptr;
}

void trigger(QObject *menu, int index)
{
    QObject *item = menuItemAt(menu, index);
    QObject *action = item ? item->property("action").value<QObject *>() : nullptr;
    QVERIFY(action);
    QMetaObject::invokeMethod(action, "trigger");
}

QStringList entryTexts(QObject *menu)
{
    QStringList texts;
    const int count = menu->property("count").toInt();
    for (int i = 0; i < count; ++i) {
        QObject *item = menuItemAt(menu, i);
        texts << (item ? item->property("text").toString() : QString());
    }
    return texts;
}

QVariantMap window(uint windowID, const QString &title, const QVariant &appName)
{
    return {{"windowID", windowID},
            {"title", title},
            {"owningApplication",
             appName.isValid() ? QVariant(QVariantMap{{"applicationName", appName}}) : QVariant()}};
}

} // namespace

class TestSessionViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(m_fixture.load());
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture.window()));
    }

    void init()
    {
        // Any QML warning (a binding error, a missing type) is a failure.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QObject *manager = m_fixture.manager();
        for (const char *list :
             {"displays", "applications", "windows", "syphonServers", "sessions", "removed"})
            manager->setProperty(list, QVariantList());
    }

    void cleanup()
    {
        m_fixture.clearCards();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Design system

    void sectionHeaderTitleAndBadge_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QVariant>("count");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("badge");
        QTest::addRow("no count") << "crop" << QVariant() << "CROP" << QString();
        QTest::addRow("zero count") << "Crop (px)" << QVariant(0) << "CROP (PX)"
                                    << "0";
        QTest::addRow("sharp s") << "straße" << QVariant(12) << "STRASSE"
                                 << "12";
    }

    void sectionHeaderTitleAndBadge()
    {
        QFETCH(QString, title);
        QFETCH(QVariant, count);
        QFETCH(QString, shown);
        QFETCH(QString, badge);
        QVariantMap properties{{"icon", "crop"}, {"title", title}};
        if (count.isValid())
            properties.insert("count", count);
        std::unique_ptr<QObject> header(create("KLSectionHeader {}", properties));
        QVERIFY(header);
        QCOMPARE(textOf(find(header.get(), "sectionTitle")), shown);
        QQuickItem *badgeItem = find(header.get(), "countBadge");
        QCOMPARE(badgeItem->isVisible(), !badge.isEmpty());
        if (!badge.isEmpty())
            QCOMPARE(textOf(badgeItem->childItems().first()), badge);
    }

    void statusPillColours_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<double>("fillAlpha");
        QTest::addRow("live") << QColor(0x33, 0xd1, 0x7a) << 0.12;
        QTest::addRow("stopped") << QColor::fromRgbF(1, 1, 1, 0.15f) << 0.018;
    }

    void statusPillColours()
    {
        QFETCH(QColor, colour);
        QFETCH(double, fillAlpha);
        std::unique_ptr<QObject> pill(
            create("KLStatusPill {}", {{"label", "LIVE"}, {"color", colour}}));
        QVERIFY(pill);
        QVERIFY(sameColour(colorOf(find(pill.get(), "pillDot")), colour));
        QVERIFY(sameColour(colorOf(find(pill.get(), "pillLabel")), colour));
        const QColor fill = colorOf(find(pill.get(), "pillFill"));
        QCOMPARE(fill.rgb(), colour.rgb());
        QVERIFY(qAbs(fill.alphaF() - fillAlpha) < 0.005);
    }

    void buttonsBrightenWhileHeld_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addRow("icon") << "KLIconButtonStyle { symbol: \"plus\"; help: \"Add\" }";
        QTest::addRow("secondary") << "KLSecondaryButtonStyle { text: \"Reset\" }";
    }

    void buttonsBrightenWhileHeld()
    {
        QFETCH(QString, source);
        std::unique_ptr<QQuickItem> button(qobject_cast<QQuickItem *>(create(source.toUtf8(), {})));
        QVERIFY(button);
        button->setParentItem(m_fixture.window()->contentItem());
        QQuickItem *fill = find(button.get(), "buttonFill");
        QVERIFY(fill);
        QVERIFY(sameColour(colorOf(fill), QColor::fromRgbF(1, 1, 1, 0.04f)));
        const QPoint centre =
            button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint();
        QTest::mousePress(m_fixture.window(), Qt::LeftButton, {}, centre);
        QVERIFY(sameColour(colorOf(fill), QColor::fromRgbF(1, 1, 1, 0.10f)));
        QTest::mouseRelease(m_fixture.window(), Qt::LeftButton, {}, centre);
        QVERIFY(sameColour(colorOf(fill), QColor::fromRgbF(1, 1, 1, 0.04f)));
    }

    void dividerIsOnePointHigh()
    {
        std::unique_ptr<QQuickItem> column(qobject_cast<QQuickItem *>(create(
            "import QtQuick.Layouts\nColumnLayout { spacing: 0; KLDivider { objectName: \"d\" } }",
            {})));
        QVERIFY(column);
        QQuickItem *divider = find(column.get(), "d");
        for (const int width : {120, 1800}) {
            column->setWidth(width);
            QTRY_COMPARE(divider->width(), qreal(width));
            QCOMPARE(divider->height(), 1.0);
        }
    }

    void everySymbolNameHasAGlyph()
    {
        std::unique_ptr<QObject> symbol(create("KLSymbol {}", {}));
        QVERIFY(symbol);
        for (const char *name : {"arrow.clockwise", "stop.fill", "plus.square.on.square", "display",
                                 "slider.horizontal.3", "chevron.up.chevron.down", "video.fill",
                                 "crop", "plus", "xmark", "arrow.2.circlepath",
                                 "arrow.left.and.right.righttriangle.left.righttriangle.right"}) {
            symbol->setProperty("name", QString::fromLatin1(name));
            QVERIFY2(symbol->property("text").toString().size() == 1, name);
        }
    }

    // Session card

    void transportButtonsFollowTheRunningState()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QVERIFY(card);
        QQuickItem *controls = find(card, "sessionTransportControls");
        QCOMPARE(visibleNames(controls),
                 (QStringList{"startButton", "duplicateButton", "removeButton"}));
        QCOMPARE(textOf(find(card, "startButton")), QStringLiteral("START"));
        session->setIsRunning(true);
        QCOMPARE(visibleNames(controls),
                 (QStringList{"restartButton", "stopButton", "duplicateButton", "removeButton"}));
        // Icon-only buttons carry their help text as tooltip and accessible name.
        const QList<QPair<QString, QString>> helps{{"restartButton", "Restart"},
                                                   {"stopButton", "Stop"},
                                                   {"duplicateButton", "Duplicate Output"},
                                                   {"removeButton", "Remove Output"}};
        for (const auto &[name, help] : helps) {
            QQuickItem *button = find(card, name);
            QCOMPARE(QQmlProperty::read(button, "ToolTip.text", qmlContext(button)).toString(),
                     help);
            QCOMPARE(QQmlProperty::read(button, "Accessible.name", qmlContext(button)).toString(),
                     help);
        }
        session->setIsRunning(false);
        QCOMPARE(visibleNames(controls),
                 (QStringList{"startButton", "duplicateButton", "removeButton"}));
    }

    void headerShowsTagAndHealth_data()
    {
        QTest::addColumn<HealthState>("health");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QColor>("colour");
        QTest::addRow("live") << HealthState::live << "LIVE" << QColor(0x33, 0xd1, 0x7a);
        QTest::addRow("stalled") << HealthState::stalled << "STALLED" << QColor(0xff, 0x78, 0x00);
        QTest::addRow("stopped") << HealthState::stopped << "STOPPED"
                                 << QColor::fromRgbF(1, 1, 1, 0.15f);
    }

    void headerShowsTagAndHealth()
    {
        QFETCH(HealthState, health);
        QFETCH(QString, label);
        QFETCH(QColor, colour);
        CaptureSession *session = m_fixture.factory().create();
        session->setHealthState(health);
        QQuickItem *card = m_fixture.makeCard(session);
        QCOMPARE(textOf(find(card, "cardTitle")), "OUTPUT " + session->shortTag());
        QQuickItem *badge = find(card, "healthBadge");
        QCOMPARE(badge->property("label").toString(), label);
        QVERIFY(sameColour(colorOf(badge), colour));
    }

    void sourceTypeChangeAppliesTheTypeDefaults()
    {
        CaptureSession *session = m_fixture.factory().create();
        session->setSourceType(SourceType::syphon);
        session->setRotation(Rotation::r180);
        session->setFlipHorizontal(true);
        QQuickItem *card = m_fixture.makeCard(session);
        // Building the card is not a change of type.
        QCOMPARE(session->rotation(), Rotation::r180);
        QCOMPARE(session->flipHorizontal(), true);
        click(find(card, "segmentSyphon"));
        QCOMPARE(session->rotation(), Rotation::r180);

        session->setRotation(Rotation::r0);
        session->setFlipHorizontal(false);
        session->setSelectedSyphonUUID(QStringLiteral("17"));
        click(find(card, "segmentWindow"));
        QCOMPARE(session->sourceType(), SourceType::window);
        QCOMPARE(session->rotation(), Rotation::r180);
        QCOMPARE(session->flipHorizontal(), true);
        click(find(card, "segmentSyphon"));
        QCOMPARE(session->sourceType(), SourceType::syphon);
        QCOMPARE(session->rotation(), Rotation::r0);
        QCOMPARE(session->flipHorizontal(), false);
        // The type switch touches no selection.
        QCOMPARE(session->selectedSyphonUUID(), std::optional<QString>(QStringLiteral("17")));
    }

    void thumbnailOpensTheSheetOnlyWithAPreview()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QVERIFY(find(card, "previewPlaceholder")->isVisible());
        click(find(card, "previewThumb"));
        QCOMPARE(card->property("showModifySheet").toBool(), false);
        click(find(card, "modifyButton"));
        QCOMPARE(card->property("showModifySheet").toBool(), true);
        QVERIFY(sheetOf(card));
        card->setProperty("showModifySheet", false);
        QTRY_VERIFY(!sheetOf(card));
        QTRY_VERIFY(!QGuiApplication::modalWindow());

        QImage image(64, 32, QImage::Format_RGBA8888);
        image.fill(Qt::red);
        session->setPreviewImage(image);
        QVERIFY(!find(card, "previewPlaceholder")->isVisible());
        click(find(card, "previewThumb"));
        QCOMPARE(card->property("showModifySheet").toBool(), true);
    }

    void previewIsDrawnUpright()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        // A picture whose upper half is red and lower half blue, as the engine delivers previews
        // (top row first); a 2:1 frame leaves bands free above and below in the 280 × 160
        // thumbnail.
        QImage image(64, 32, QImage::Format_RGBA8888);
        image.fill(Qt::blue);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 64; ++x)
                image.setPixelColor(x, y, Qt::red);
        session->setPreviewImage(image);
        QQuickItem *thumb = find(card, "previewThumb");
        QCOMPARE(find(card, "previewImage")->property("paintedRect").toRectF(),
                 QRectF(0, 10, 280, 140));
        const auto pixel = [&](qreal x, qreal y) {
            const QImage shot = m_fixture.window()->grabWindow();
            return shot.pixelColor(
                (thumb->mapToScene(QPointF(x, y)) * shot.devicePixelRatio()).toPoint());
        };
        QCOMPARE(pixel(140, 40), QColor(Qt::red));
        QCOMPARE(pixel(140, 120), QColor(Qt::blue));
        // The free band is not painted black: the card shows through.
        QVERIFY(pixel(140, 5).lightness() > 10);

        // A frame of the thumbnail's own shape fills it, but not its rounded corners.
        QImage filling(280, 160, QImage::Format_RGBA8888);
        filling.fill(Qt::green);
        session->setPreviewImage(filling);
        QCOMPARE(pixel(3, 80), QColor(Qt::green));
        QCOMPARE(pixel(140, 157), QColor(Qt::green));
        QVERIFY(pixel(1, 1).green() < 100);
        QVERIFY(pixel(278, 158).green() < 100);

        session->setPreviewImage(QImage());
        QVERIFY(find(card, "previewPlaceholder")->isVisible());
        QCOMPARE(pixel(140, 40), QColor(Qt::black));
    }

    void duplicateCopiesTheSettingsIntoANewStoppedSession()
    {
        CaptureSession *session = m_fixture.factory().create();
        session->setSelectedDisplayID(3);
        session->setSelectedSyphonUUID(QStringLiteral("99"));
        session->setOutputResolution(CaptureManager::OutputResolution::custom);
        session->setCustomWidth(1280);
        session->setCustomHeight(720);
        session->setRotation(Rotation::r180);
        session->setFlipHorizontal(false);
        session->setCropTopPx(20);
        session->setCropBottomPx(-4);
        session->setIsRunning(true);
        session->setStatus(QStringLiteral("Capturing"));
        QQuickItem *card = m_fixture.makeCard(session);
        click(find(card, "duplicateButton"));

        const auto sessions = m_fixture.manager()->property("sessions").toList();
        QCOMPARE(sessions.size(), 1);
        auto *copy = qobject_cast<CaptureSession *>(sessions.last().value<QObject *>());
        QVERIFY(copy && copy != session);
        QVERIFY(copy->id() != session->id());
        QCOMPARE(copy->sourceType(), SourceType::window);
        QCOMPARE(copy->selectedDisplayID(), std::optional<uint32_t>(3));
        QCOMPARE(copy->selectedWindowID(), std::nullopt);
        QCOMPARE(copy->selectedApplicationPID(), std::nullopt);
        QCOMPARE(copy->selectedSyphonUUID(), std::optional<QString>(QStringLiteral("99")));
        QCOMPARE(copy->outputResolution(), CaptureManager::OutputResolution::custom);
        QCOMPARE(copy->customWidth(), 1280);
        QCOMPARE(copy->customHeight(), 720);
        QCOMPARE(copy->rotation(), Rotation::r180);
        QCOMPARE(copy->flipHorizontal(), false);
        QCOMPARE(copy->cropTopPx(), 20);
        QCOMPARE(copy->cropBottomPx(), -4);
        const TransformSnapshot snap = copy->transformSnapshot();
        QCOMPARE(snap.flipHorizontal, false);
        QCOMPARE(snap.cropTopPx, 20);
        QCOMPARE(copy->isRunning(), false);
        QCOMPARE(copy->status(), QStringLiteral("Idle"));
    }

    void removeHandsTheSessionToTheManager()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        click(find(card, "removeButton"));
        const auto removed = m_fixture.manager()->property("removed").toList();
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.first().value<QObject *>(), session);
    }

    // Controls column

    void restartHintFollowsRunning()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QQuickItem *hint = find(card, "restartHint");
        QVERIFY(!hint->isVisible());
        session->setIsRunning(true);
        QVERIFY(hint->isVisible());
        QCOMPARE(textOf(hint), QStringLiteral("Restart to apply"));
        session->setIsRunning(false);
        QVERIFY(!hint->isVisible());
    }

    void resolutionPickerShowsTheCustomRow()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QQuickItem *picker = find(card, "resolutionPicker");
        QCOMPARE(picker->property("displayText").toString(), QStringLiteral("Native"));
        QCOMPARE(picker->property("count").toInt(), 9);
        QVERIFY(!find(card, "customResolutionRow")->isVisible());
        picker->setProperty("currentIndex", 8);
        QMetaObject::invokeMethod(picker, "activated", Q_ARG(int, 8));
        QCOMPARE(session->outputResolution(), CaptureManager::OutputResolution::custom);
        QVERIFY(find(card, "customResolutionRow")->isVisible());
        QCOMPARE(picker->property("displayText").toString(), QStringLiteral("Custom\u2026"));
        session->setOutputResolution(CaptureManager::OutputResolution::r1920x1080);
        QCOMPARE(picker->property("displayText").toString(), QStringLiteral("1920 \u00d7 1080"));
        QVERIFY(!find(card, "customResolutionRow")->isVisible());
        QCOMPARE(session->customWidth(), 1920);
    }

    void customFieldsUseTheLocaleFormat_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("typed");
        QTest::addRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << "1,920"
                                 << "1,080"
                                 << "2,560";
        QTest::addRow("German") << QLocale(QLocale::German, QLocale::Germany) << "1.920"
                                << "1.080"
                                << "2.560";
    }

    void customFieldsUseTheLocaleFormat()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, typed);
        QLocale::setDefault(locale);
        CaptureSession *session = m_fixture.factory().create();
        session->setOutputResolution(CaptureManager::OutputResolution::custom);
        QQuickItem *card = m_fixture.makeCard(session);
        QQuickItem *widthField = find(card, "customWidthField");
        QCOMPARE(textOf(widthField), width);
        QCOMPARE(textOf(find(card, "customHeightField")), height);

        typeInto(widthField, typed);
        QCOMPARE(session->customWidth(), 2560);
        QCOMPARE(textOf(widthField), typed);
        // Text that is no integer leaves the value and shows it again.
        for (const QString &bad : {QStringLiteral("wide"), QString(), QStringLiteral("12.5x")}) {
            typeInto(widthField, bad);
            QCOMPARE(session->customWidth(), 2560);
            QCOMPARE(textOf(widthField), typed);
        }
        typeInto(widthField, QStringLiteral("-3"));
        QCOMPARE(session->customWidth(), -3);
    }

    void customFieldsFollowALocaleChange()
    {
        CaptureSession *session = m_fixture.factory().create();
        session->setOutputResolution(CaptureManager::OutputResolution::custom);
        QQuickItem *card = m_fixture.makeCard(session);
        QCOMPARE(textOf(find(card, "customWidthField")), QStringLiteral("1,920"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QEvent change(QEvent::LocaleChange);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
        QCOMPARE(textOf(find(card, "customWidthField")), QStringLiteral("1.920"));
        QCOMPARE(textOf(find(card, "customHeightField")), QStringLiteral("1.080"));
    }

    void sourceMenuOffersOnlyListsWithEntries()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QObject *menu = card->findChild<QObject *>(QStringLiteral("sourceMenu"));
        QVERIFY(menu);
        QMetaObject::invokeMethod(menu, "rebuild");
        QCOMPARE(menu->property("count").toInt(), 2);
        QCOMPARE(menuItemAt(menu, 0)->property("text").toString(),
                 QStringLiteral("Select a source\u2026"));
        QCOMPARE(menuItemAt(menu, 0)->property("enabled").toBool(), false);
        QCOMPARE(textOf(find(card, "sourceLabel")), QStringLiteral("Select a source\u2026"));

        m_fixture.manager()->setProperty("displays", QVariantList{QVariantMap{{"displayID", 2}}});
        QMetaObject::invokeMethod(menu, "rebuild");
        QCOMPARE(menu->property("count").toInt(), 3);
        QObject *displays = submenuAt(menu, 2);
        QVERIFY(displays);
        QCOMPARE(displays->property("title").toString(), QStringLiteral("Displays"));
        QCOMPARE(entryTexts(displays), QStringList{QStringLiteral("Display 2")});
    }

    void sourceMenuChoicesKeepOneSelection()
    {
        QObject *manager = m_fixture.manager();
        manager->setProperty("displays", QVariantList{QVariantMap{{"displayID", 2}}});
        manager->setProperty(
            "applications",
            QVariantList{QVariantMap{{"processID", 42}, {"applicationName", "Editor"}}});
        manager->setProperty(
            "windows", QVariantList{window(7, QStringLiteral("Notes"), QStringLiteral("Editor")),
                                    window(8, QString(), QVariant())});
        CaptureSession *session = m_fixture.factory().create();
        session->setSelectedSyphonUUID(QStringLiteral("5"));
        QQuickItem *card = m_fixture.makeCard(session);
        QObject *menu = card->findChild<QObject *>(QStringLiteral("sourceMenu"));
        QMetaObject::invokeMethod(menu, "rebuild");
        QCOMPARE(menu->property("count").toInt(), 5);
        QObject *displays = submenuAt(menu, 2);
        QObject *applications = submenuAt(menu, 3);
        QObject *windows = submenuAt(menu, 4);
        QCOMPARE(applications->property("title").toString(), QStringLiteral("Applications"));
        QCOMPARE(windows->property("title").toString(), QStringLiteral("Windows"));
        QCOMPARE(entryTexts(applications), QStringList{QStringLiteral("Editor")});
        QCOMPARE(entryTexts(windows), (QStringList{QStringLiteral("Editor \u2014 Notes"),
                                                   QStringLiteral("Unknown App \u2014 Untitled")}));

        trigger(displays, 0);
        QCOMPARE(session->selectedDisplayID(), std::optional<uint32_t>(2));
        QCOMPARE(session->selectedWindowID(), std::nullopt);
        QCOMPARE(session->selectedApplicationPID(), std::nullopt);
        QCOMPARE(textOf(find(card, "sourceLabel")), QStringLiteral("Display 2"));

        trigger(applications, 0);
        QCOMPARE(session->selectedApplicationPID(), std::optional<int32_t>(42));
        QCOMPARE(session->selectedDisplayID(), std::nullopt);
        QCOMPARE(textOf(find(card, "sourceLabel")), QStringLiteral("Editor"));

        trigger(windows, 0);
        QCOMPARE(session->selectedWindowID(), std::optional<uint32_t>(7));
        QCOMPARE(session->selectedApplicationPID(), std::nullopt);
        QCOMPARE(session->selectedDisplayID(), std::nullopt);
        QCOMPARE(textOf(find(card, "sourceLabel")), QStringLiteral("Editor \u2014 Notes"));
        QCOMPARE(session->selectedSyphonUUID(), std::optional<QString>(QStringLiteral("5")));

        // An application that left the catalogue falls through to the (absent) window.
        trigger(applications, 0);
        manager->setProperty("applications", QVariantList());
        QCOMPARE(textOf(find(card, "sourceLabel")), QStringLiteral("Select a source\u2026"));
        QCOMPARE(session->selectedApplicationPID(), std::optional<int32_t>(42));
        // A display that left the catalogue keeps its name.
        session->setSelectedDisplayID(9);
        QCOMPARE(textOf(find(card, "sourceLabel")), QStringLiteral("Display 9"));
    }

    void syphonPickerWritesTheServerUuid()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QQuickItem *picker = find(card, "syphonSourcePicker");
        QVERIFY(!picker->isVisible());
        session->setSelectedWindowID(7);
        click(find(card, "segmentSyphon"));
        QVERIFY(picker->isVisible());
        QVERIFY(!find(card, "windowSourceMenu")->isVisible());
        QCOMPARE(picker->property("count").toInt(), 1);
        QCOMPARE(picker->property("displayText").toString(),
                 QStringLiteral("Select Syphon source"));

        m_fixture.manager()->setProperty(
            "syphonServers",
            QVariantList{QVariantMap{{"uuid", "41"}, {"displayName", "Cam \u2014 Main"}}});
        QCOMPARE(picker->property("count").toInt(), 2);
        picker->setProperty("currentIndex", 1);
        QMetaObject::invokeMethod(picker, "activated", Q_ARG(int, 1));
        QCOMPARE(session->selectedSyphonUUID(), std::optional<QString>(QStringLiteral("41")));
        QCOMPARE(picker->property("displayText").toString(), QStringLiteral("Cam \u2014 Main"));
        picker->setProperty("currentIndex", 0);
        QMetaObject::invokeMethod(picker, "activated", Q_ARG(int, 0));
        QCOMPARE(session->selectedSyphonUUID(), std::nullopt);
        QCOMPARE(session->selectedWindowID(), std::optional<uint32_t>(7));
    }

    void infoRowShowsServerNameAndStatus()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QCOMPARE(textOf(find(card, "serverName")), "Syphon: Kinolith " + session->shortTag());
        QCOMPARE(textOf(find(card, "sessionStatus")), QStringLiteral("Idle"));
        session->setStatus(QStringLiteral("Pick a source first"));
        QCOMPARE(textOf(find(card, "sessionStatus")), QStringLiteral("Pick a source first"));
    }

    // Output sheet

    void sheetOpensOverTheMainWindow()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QQuickWindow *sheet = openSheet(card);
        QVERIFY(sheet);
        QCOMPARE(sheet->transientParent(), m_fixture.window());
        QCOMPARE(sheet->modality(), Qt::WindowModal);
        QVERIFY(sheet->minimumWidth() >= 1320);
        QVERIFY(sheet->minimumHeight() >= 760);
        // Wider than the main window, yet on its screen.
        QVERIFY(sheet->width() > m_fixture.window()->width());
        QVERIFY(m_fixture.window()->screen()->geometry().contains(sheet->geometry()));
        QCOMPARE(textOf(find(sheet, "sheetTitle")), "MODIFY OUTPUT " + session->shortTag());
        QQuickItem *placeholder = find(sheet, "previewPlaceholder");
        QVERIFY(placeholder->isVisible());
        QVERIFY(placeholder->width() >= 860 && placeholder->height() >= 520);

        QCOMPARE(find(sheet, "controlsPanel")->width(), 340.0);
        sheet->resize(1800, 900);
        QTRY_COMPARE(find(sheet, "previewArea")->width(), 1800.0 - 16 - 16 - 16 - 340);
        QCOMPARE(find(sheet, "controlsPanel")->width(), 340.0);
    }

    void escapeClosesOnlyTheSheet()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QQuickWindow *sheet = openSheet(card);
        QVERIFY(sheet);
        // Keys go to the window with the keyboard: the sheet takes it when it opens. (Not
        // qWaitForWindowActive: a transient window counts as active while its parent has it.)
        QTRY_COMPARE(QGuiApplication::focusWindow(), sheet);
        QTest::keyClick(sheet, Qt::Key_Escape);
        QCOMPARE(card->property("showModifySheet").toBool(), false);
        QTRY_VERIFY(!sheetOf(card));
        QVERIFY(m_fixture.window()->isVisible());

        sheet = openSheet(card);
        click(find(sheet, "closeButton"));
        QCOMPARE(card->property("showModifySheet").toBool(), false);
        QTRY_VERIFY(!sheetOf(card));
        QVERIFY(m_fixture.window()->isVisible());
    }

    void rotateAndMirrorTiles()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickWindow *sheet = openSheet(m_fixture.makeCard(session));
        QVERIFY(sheet);
        click(find(sheet, "rotateTile"));
        QCOMPARE(session->rotation(), Rotation::r0);
        QCOMPARE(session->transformSnapshot().rotation180, false);
        click(find(sheet, "rotateTile"));
        QCOMPARE(session->rotation(), Rotation::r180);
        click(find(sheet, "mirrorTile"));
        QCOMPARE(session->flipHorizontal(), false);
        click(find(sheet, "mirrorTile"));
        QCOMPARE(session->flipHorizontal(), true);
        QCOMPARE(QQmlProperty::read(find(sheet, "rotateTile"), "help").toString(),
                 QStringLiteral("Rotate 180\u00b0"));
    }

    void resetRestoresTheTypeDefaultsAndKeepsTheCrop_data()
    {
        QTest::addColumn<SourceType>("type");
        QTest::addColumn<Rotation>("rotation");
        QTest::addColumn<bool>("flip");
        QTest::addRow("syphon") << SourceType::syphon << Rotation::r0 << false;
        QTest::addRow("window") << SourceType::window << Rotation::r180 << true;
    }

    void resetRestoresTheTypeDefaultsAndKeepsTheCrop()
    {
        QFETCH(SourceType, type);
        QFETCH(Rotation, rotation);
        QFETCH(bool, flip);
        CaptureSession *session = m_fixture.factory().create();
        session->setSourceType(type);
        session->setRotation(rotation == Rotation::r0 ? Rotation::r180 : Rotation::r0);
        session->setFlipHorizontal(!flip);
        session->setCropLeftPx(12);
        QQuickWindow *sheet = openSheet(m_fixture.makeCard(session));
        QVERIFY(sheet);
        click(find(sheet, "resetTransformButton"));
        QCOMPARE(session->rotation(), rotation);
        QCOMPARE(session->flipHorizontal(), flip);
        QCOMPARE(session->cropLeftPx(), 12);
    }

    void cropSteppers()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickWindow *sheet = openSheet(m_fixture.makeCard(session));
        QVERIFY(sheet);
        QQuickItem *top = find(sheet, "crop_cropTopPx");
        QQuickItem *field = find(top, "cropField");
        QCOMPARE(textOf(field), QStringLiteral("0"));
        click(find(top, "stepDown"));
        QCOMPARE(session->cropTopPx(), 0);
        click(find(top, "stepUp"));
        QCOMPARE(session->cropTopPx(), 1);
        QCOMPARE(textOf(field), QStringLiteral("1"));

        // A typed negative value is stored as typed, and becomes 0 at the first step down, even
        // when the step comes before the field was committed.
        typeInto(field, QStringLiteral("-5"));
        QCOMPARE(session->cropTopPx(), -5);
        click(find(top, "stepDown"));
        QCOMPARE(session->cropTopPx(), 0);
        typeWithoutCommit(field, QStringLiteral("-5"));
        click(find(top, "stepDown"));
        QCOMPARE(session->cropTopPx(), 0);

        // The ends of the 64-bit range step without wrapping or losing the exact value.
        constexpr qint64 largest = std::numeric_limits<qint64>::max();
        session->setCropTopPx(largest);
        click(find(top, "stepUp"));
        QCOMPARE(session->cropTopPx(), largest);
        click(find(top, "stepDown"));
        QCOMPARE(session->cropTopPx(), largest - 1);
        session->setCropTopPx(std::numeric_limits<qint64>::min());
        click(find(top, "stepDown"));
        QCOMPARE(session->cropTopPx(), 0);

        typeInto(find(find(sheet, "crop_cropRightPx"), "cropField"), QStringLiteral("1,234"));
        QCOMPARE(session->cropRightPx(), 1234);
        QCOMPARE(session->transformSnapshot().cropRightPx, 1234);
    }

    void resetCropSetsTheFourEdgesToZero()
    {
        CaptureSession *session = m_fixture.factory().create();
        session->setCropTopPx(10);
        session->setCropLeftPx(20);
        session->setCropRightPx(30);
        session->setCropBottomPx(40);
        session->setRotation(Rotation::r0);
        session->setIsRunning(true);
        QQuickWindow *sheet = openSheet(m_fixture.makeCard(session));
        QVERIFY(sheet);
        QSignalSpy statusSpy(session, &CaptureSession::statusChanged);
        QCOMPARE(textOf(find(find(sheet, "crop_cropBottomPx"), "cropField")), QStringLiteral("40"));
        click(find(sheet, "resetCropButton"));
        QCOMPARE(session->cropTopPx(), 0);
        QCOMPARE(session->cropLeftPx(), 0);
        QCOMPARE(session->cropRightPx(), 0);
        QCOMPARE(session->cropBottomPx(), 0);
        QCOMPARE(session->rotation(), Rotation::r0);
        QCOMPARE(session->flipHorizontal(), true);
        // Four assignments, each refreshing the running status line.
        QCOMPARE(statusSpy.count(), 4);
        QVERIFY(session->status().endsWith(QStringLiteral("Rot 0\u00b0, FlipH, NoCrop")));
        QCOMPARE(textOf(find(find(sheet, "crop_cropBottomPx"), "cropField")), QStringLiteral("0"));
    }

private:
    QObject *create(const QByteArray &source, const QVariantMap &properties)
    {
        QQmlComponent component(&m_fixture.engine());
        component.setData("import QtQuick\nimport Kinolith\n" + source, QUrl());
        if (component.isError()) {
            std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
            return nullptr;
        }
        QObject *object = component.createWithInitialProperties(properties);
        if (!object)
            qWarning("%s", qPrintable(component.errorString()));
        return object;
    }

    static QQuickWindow *sheetOf(QQuickItem *card)
    {
        QObject *loader = card->findChild<QObject *>(QStringLiteral("modifySheetLoader"));
        return loader ? qobject_cast<QQuickWindow *>(loader->property("item").value<QObject *>())
                      : nullptr;
    }

    static QQuickWindow *openSheet(QQuickItem *card)
    {
        if (!card)
            return nullptr;
        card->setProperty("showModifySheet", true);
        QQuickWindow *sheet = sheetOf(card);
        if (!sheet || !QTest::qWaitForWindowExposed(sheet))
            return nullptr;
        return sheet;
    }

    UiFixture m_fixture;
};

QTEST_MAIN(TestSessionViews)
#include "tst_sessionviews.moc"
