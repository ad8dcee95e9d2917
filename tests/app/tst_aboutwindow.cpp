// SPDX-License-Identifier: GPL-3.0-or-later
// The About window and its notices sheet, opened from the real main window's menu.
#include "ShellFixture.h"
#include "app/AboutWindowController.h"
#include "platform/foundation/Bundle.h"

#include <QDate>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <xcb/xcb_icccm.h>

Q_IMPORT_QML_PLUGIN(KinolithPlugin)

namespace {

const QString aboutTitle = QStringLiteral("About Kinolith");
const QString missingNotices = QStringLiteral(
    "Missing ThirdPartyNotices.txt\n\nAdd a file named:\n  ThirdPartyNotices.txt\n\nAnd ensure it "
    "is included in the app bundle (Target Membership checked).");

AboutWindowController &controller()
{
    return AboutWindowController::shared();
}

void click(QQuickWindow *window, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    QVERIFY(item);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, {}, centre.toPoint());
}

} // namespace

class TestAboutWindow : public QObject
{
    Q_OBJECT

private:
    ShellFixture m_shell;

    QQuickWindow *openAbout()
    {
        if (!m_shell.choose(QStringLiteral("Kinolith"), aboutTitle))
            return nullptr;
        QQuickWindow *window = controller().window();
        if (!window || !QTest::qWaitForWindowExposed(window))
            return nullptr;
        return window;
    }

    void closeAbout()
    {
        if (QQuickWindow *window = controller().window()) {
            QPointer<QQuickWindow> gone(window);
            window->close();
            QTRY_VERIFY(gone.isNull());
        }
    }

    // Opens the notices sheet with the About window's button and returns the sheet's window.
    QQuickWindow *openNotices(QQuickWindow *about)
    {
        click(about, ShellFixture::find(about, QStringLiteral("noticesButton")));
        QObject *loader = ShellFixture::find(about, QStringLiteral("noticesLoader"));
        if (!loader ||
            !QTest::qWaitFor([&] { return loader->property("item").value<QObject *>(); }))
            return nullptr;
        auto *sheet = qobject_cast<QQuickWindow *>(loader->property("item").value<QObject *>());
        if (!sheet || !QTest::qWaitForWindowExposed(sheet))
            return nullptr;
        return sheet;
    }

    static QString shownNotices(QQuickWindow *sheet)
    {
        QObject *text = ShellFixture::find(sheet, QStringLiteral("noticesText"));
        return text ? text->property("text").toString() : QStringLiteral("<no text item>");
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_shell.load()); }

    void cleanup()
    {
        closeAbout();
        Bundle::setMain(Bundle::builtIn());
    }

    void choosingTwiceOpensOneWindow()
    {
        QQuickWindow *first = openAbout();
        QVERIFY(first);
        m_shell.mainWindow()->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(m_shell.mainWindow()));

        QCOMPARE(openAbout(), first);
        QCOMPARE(ShellFixture::windowsTitled(aboutTitle).size(), 1);
        // The second choice brought the open window forward.
        QVERIFY(QTest::qWaitForWindowActive(first));
    }

    void closedWindowIsForgottenAndTheNextIsFresh()
    {
        QQuickWindow *first = openAbout();
        QVERIFY(first);
        QVERIFY(openNotices(first));
        QPointer<QQuickWindow> old(first);
        first->close();
        QTRY_VERIFY(old.isNull());
        QCOMPARE(controller().window(), nullptr);
        QVERIFY(ShellFixture::windowsTitled(aboutTitle).isEmpty());
        QVERIFY(ShellFixture::windowsTitled(QStringLiteral("Third-Party Notices")).isEmpty());

        QQuickWindow *second = openAbout();
        QVERIFY(second);
        QCOMPARE(second->title(), aboutTitle);
        QCOMPARE(second->size(), QSize(740, 440));
        const QRect area = second->screen()->availableGeometry();
        QCOMPARE(second->position(),
                 QPoint(area.x() + (area.width() - 740) / 2, area.y() + (area.height() - 440) / 2));
        QCOMPARE(second->color(), QColor::fromRgbF(0.08f, 0.08f, 0.10f));
        QObject *view = ShellFixture::find(second, QStringLiteral("aboutView"));
        QVERIFY(view);
        QCOMPARE(view->property("showNotices").toBool(), false);
        QVERIFY(ShellFixture::windowsTitled(QStringLiteral("Third-Party Notices")).isEmpty());
    }

    void windowCannotBeResizedButCanBeMinimised()
    {
        QQuickWindow *about = openAbout();
        QVERIFY(about);
        QCOMPARE(about->minimumSize(), QSize(740, 440));
        QCOMPARE(about->maximumSize(), QSize(740, 440));
        QVERIFY(about->flags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(about->flags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(about->flags() & Qt::WindowMaximizeButtonHint));

        // Window managers read the limits from the X server: equal limits mean no resizing.
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11)
            QSKIP("not running on X11");
        xcb_connection_t *connection = x11->connection();
        xcb_size_hints_t hints{};
        const auto cookie = xcb_icccm_get_wm_normal_hints(connection, xcb_window_t(about->winId()));
        QVERIFY(xcb_icccm_get_wm_normal_hints_reply(connection, cookie, &hints, nullptr));
        QVERIFY(hints.flags & XCB_ICCCM_SIZE_HINT_P_MIN_SIZE);
        QVERIFY(hints.flags & XCB_ICCCM_SIZE_HINT_P_MAX_SIZE);
        QCOMPARE(QSize(hints.min_width, hints.min_height), QSize(740, 440));
        QCOMPARE(QSize(hints.max_width, hints.max_height), QSize(740, 440));

        about->showMinimized();
        QTRY_COMPARE(about->visibility(), QWindow::Minimized);
        // Choosing the item again brings it back.
        QCOMPARE(openAbout(), about);
        QTRY_VERIFY(about->visibility() != QWindow::Minimized);
    }

    void content()
    {
        QQuickWindow *about = openAbout();
        QVERIFY(about);
        QCOMPARE(ShellFixture::find(about, QStringLiteral("versionText"))->property("text"),
                 QVariant(QStringLiteral("Version ") + Bundle::appVersion() + QStringLiteral(" (") +
                          Bundle::appBuild() + u')'));
        QCOMPARE(ShellFixture::find(about, QStringLiteral("rightsText"))->property("text"),
                 QVariant(QStringLiteral("\u00a9 %1 Nordvane. All rights reserved.")
                              .arg(QDate::currentDate().year())));
        QCOMPARE(ShellFixture::find(about, QStringLiteral("websiteLink"))->property("text"),
                 QVariant(QStringLiteral("nordvane.com")));
        QVERIFY(ShellFixture::find(about, QStringLiteral("appLogo"))->property("loaded").toBool());
        QVERIFY(
            ShellFixture::find(about, QStringLiteral("makerLogo"))->property("loaded").toBool());
        QVERIFY(!ShellFixture::find(about, QStringLiteral("logoPlaceholder"))
                     ->property("visible")
                     .toBool());
        QCOMPARE(ShellFixture::find(about, QStringLiteral("makerCard"))->property("width"),
                 QVariant(280.0));
    }

    void missingLogosShowThePlaceholder()
    {
        QTemporaryDir empty;
        Bundle::setMain(Bundle(QStringLiteral("com.nordvane.Kinolith"), {}, empty.path()));
        QQuickWindow *about = openAbout();
        QVERIFY(about);
        QVERIFY(!ShellFixture::find(about, QStringLiteral("appLogo"))->property("loaded").toBool());
        QVERIFY(
            !ShellFixture::find(about, QStringLiteral("makerLogo"))->property("loaded").toBool());
        QVERIFY(ShellFixture::find(about, QStringLiteral("logoPlaceholder"))
                    ->property("visible")
                    .toBool());
    }

    void notices_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("expected");
        QTest::addRow("no file") << QByteArray() << false << missingNotices;
        QTest::addRow("invalid UTF-8")
            << QByteArray("Qt\xff\xfe notices\n") << true << missingNotices;
        QTest::addRow("truncated UTF-8 sequence")
            << QByteArray("caf\xc3") << true << missingNotices;
        QTest::addRow("empty file") << QByteArray() << true << QString();
        QTest::addRow("text, verbatim")
            << QByteArray("  Caf\xc3\xa9 \xe2\x80\x94 notices\n\n\tindented\n") << true
            << QStringLiteral("  Caf\u00e9 \u2014 notices\n\n\tindented\n");
    }
    void notices()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, present);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        if (present) {
            QFile notices(root.filePath(QStringLiteral("ThirdPartyNotices.txt")));
            QVERIFY(notices.open(QIODevice::WriteOnly));
            notices.write(file);
        }
        Bundle::setMain(Bundle(QStringLiteral("com.nordvane.Kinolith"), {}, root.path()));
        QQuickWindow *about = openAbout();
        QVERIFY(about);
        QQuickWindow *sheet = openNotices(about);
        QVERIFY(sheet);
        QCOMPARE(shownNotices(sheet), expected);
    }

    void bundledNoticesAreReadOnEachAppearance()
    {
        QQuickWindow *about = openAbout();
        QVERIFY(about);
        QQuickWindow *sheet = openNotices(about);
        QVERIFY(sheet);
        const QString bundled = shownNotices(sheet);
        QVERIFY2(bundled.startsWith(QStringLiteral("Kinolith \u2014 third-party notices")),
                 qPrintable(bundled.left(200)));
        for (const char *package : {"libqt6core6", "libpipewire-0.3-0", "libpixman-1-0", "libxcb1",
                                    "libegl1", "libegl-mesa0", "libsystemd0", "libqcoro6core0",
                                    "fonts-inter", "fonts-materialdesignicons-webfont"})
            QVERIFY2(bundled.contains(QLatin1String(package)), package);
        QVERIFY(sheet->width() >= 700 && sheet->height() >= 460);
        QCOMPARE(sheet->color(), QColor::fromRgbF(0.08f, 0.08f, 0.10f));

        // Closed and shown again, the sheet reads the file again: here, from another bundle.
        click(sheet, ShellFixture::find(sheet, QStringLiteral("sheetCloseButton")));
        QTRY_VERIFY(ShellFixture::windowsTitled(QStringLiteral("Third-Party Notices")).isEmpty());
        QTemporaryDir empty;
        Bundle::setMain(Bundle(QStringLiteral("com.nordvane.Kinolith"), {}, empty.path()));
        sheet = openNotices(about);
        QVERIFY(sheet);
        QCOMPARE(shownNotices(sheet), missingNotices);
    }

    void longLinesWrapToTheSheet()
    {
        QTemporaryDir root;
        QFile notices(root.filePath(QStringLiteral("ThirdPartyNotices.txt")));
        QVERIFY(notices.open(QIODevice::WriteOnly));
        notices.write(QByteArray(4000, 'x') + "\n" + QByteArray("word ").repeated(600) + "\n");
        notices.close();
        Bundle::setMain(Bundle(QStringLiteral("com.nordvane.Kinolith"), {}, root.path()));
        QQuickWindow *about = openAbout();
        QVERIFY(about);
        QQuickWindow *sheet = openNotices(about);
        QVERIFY(sheet);
        QObject *scroll = ShellFixture::find(sheet, QStringLiteral("noticesScroll"));
        auto *text =
            qobject_cast<QQuickItem *>(ShellFixture::find(sheet, QStringLiteral("noticesText")));
        QVERIFY(scroll && text);
        const qreal viewWidth = scroll->property("width").toReal();
        // Only vertical scrolling: the content is as wide as the view, the text within it.
        QCOMPARE(scroll->property("contentWidth").toReal(), viewWidth);
        QVERIFY(text->property("contentWidth").toReal() <= viewWidth);
        QVERIFY(text->property("lineCount").toInt() > 10);
        QVERIFY(scroll->property("contentHeight").toReal() > scroll->property("height").toReal());
    }

    void escapeInTheSheetClosesOnlyTheSheet()
    {
        QQuickWindow *about = openAbout();
        QVERIFY(about);
        QQuickWindow *sheet = openNotices(about);
        QVERIFY(sheet);
        sheet->requestActivate();
        // Not qWaitForWindowActive: a transient window counts as active while its parent has the
        // keyboard, and Escape would then close the About window instead.
        QTRY_COMPARE(QGuiApplication::focusWindow(), sheet);
        QPointer<QQuickWindow> sheetGone(sheet);

        QTest::keyClick(sheet, Qt::Key_Escape);
        QTRY_VERIFY(sheetGone.isNull() || !sheetGone->isVisible());
        QCOMPARE(controller().window(), about);
        QVERIFY(about->isVisible());
        QCOMPARE(ShellFixture::find(about, QStringLiteral("aboutView"))->property("showNotices"),
                 QVariant(false));

        // A second Escape closes the About window.
        about->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(about));
        QPointer<QQuickWindow> aboutGone(about);
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(aboutGone.isNull());
        QCOMPARE(controller().window(), nullptr);
    }

    void closeButtonClosesTheWindow()
    {
        QQuickWindow *about = openAbout();
        QVERIFY(about);
        QPointer<QQuickWindow> gone(about);
        click(about, ShellFixture::find(about, QStringLiteral("closeButton")));
        QTRY_VERIFY(gone.isNull());
        QCOMPARE(controller().window(), nullptr);
    }
};

QTEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
