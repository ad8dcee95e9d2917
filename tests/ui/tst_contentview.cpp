// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiFixture.h"
#include "platform/foundation/Bundle.h"

#include <QRegularExpression>
#include <QTest>

namespace {

QQuickItem *find(QQuickItem *root, const QString &name)
{
    return root ? root->findChild<QQuickItem *>(name) : nullptr;
}

void click(QQuickItem *item)
{
    QVERIFY(item);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

QString pillLabel(QQuickItem *view, const QString &name)
{
    return find(view, name)->property("label").toString();
}

// The card shown for list row `row`, when it is built.
QQuickItem *cardAt(QQuickItem *view, int row)
{
    QQuickItem *list = find(view, QStringLiteral("sessionList"));
    QQuickItem *card = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, card),
                              Q_ARG(int, row));
    return card;
}

} // namespace

class TestContentView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_fixture.load());
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture.window()));
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QObject *manager = m_fixture.manager();
        manager->setProperty("refreshCount", 0);
        manager->setProperty("status", QStringLiteral("Idle"));
        // The manager starts with one session.
        manager->setProperty(
            "sessions", QVariantList{QVariant::fromValue<QObject *>(m_fixture.factory().create())});
    }

    void cleanup() { m_fixture.clearCards(); }

    void showingRefreshesOnceAndEachPressOnceMore()
    {
        QQuickItem *view = m_fixture.makeContentView();
        QVERIFY(view);
        QCOMPARE(m_fixture.manager()->property("refreshCount").toInt(), 1);
        click(find(view, QStringLiteral("refreshButton")));
        click(find(view, QStringLiteral("refreshButton")));
        QCOMPARE(m_fixture.manager()->property("refreshCount").toInt(), 3);
    }

    void countsAndAddButton()
    {
        QQuickItem *view = m_fixture.makeContentView();
        QVERIFY(view);
        QCOMPARE(pillLabel(view, "outputCount"), QStringLiteral("1 output"));
        QVERIFY(!find(view, "liveCount")->isVisible());
        QTRY_VERIFY(cardAt(view, 0));

        click(find(view, QStringLiteral("addButton")));
        const auto sessions = m_fixture.manager()->property("sessions").toList();
        QCOMPARE(sessions.size(), 2);
        QCOMPARE(pillLabel(view, "outputCount"), QStringLiteral("2 outputs"));
        QTRY_VERIFY(cardAt(view, 1));
        QCOMPARE(cardAt(view, 1)->property("session").value<QObject *>(),
                 sessions.last().value<QObject *>());

        auto *session = qobject_cast<CaptureSession *>(sessions.first().value<QObject *>());
        session->setIsRunning(true);
        QVERIFY(find(view, "liveCount")->isVisible());
        QCOMPARE(pillLabel(view, "liveCount"), QStringLiteral("1 live"));
        session->setIsRunning(false);
        QVERIFY(!find(view, "liveCount")->isVisible());
    }

    void cardsKeepTheirStateAcrossListChanges()
    {
        QObject *manager = m_fixture.manager();
        QQuickItem *view = m_fixture.makeContentView();
        QVERIFY(view);
        QMetaObject::invokeMethod(manager, "addSession");
        QMetaObject::invokeMethod(manager, "addSession");
        QTRY_VERIFY(cardAt(view, 2));
        QQuickItem *second = cardAt(view, 1);
        QQuickItem *third = cardAt(view, 2);
        // The first session leaves the list; the others keep their cards.
        QVariantList sessions = manager->property("sessions").toList();
        sessions.removeFirst();
        manager->setProperty("sessions", sessions);
        QTRY_COMPARE(cardAt(view, 0), second);
        QCOMPARE(cardAt(view, 1), third);
        QCOMPARE(pillLabel(view, "outputCount"), QStringLiteral("2 outputs"));
    }

    void duplicateKeepsTheCopiedTransformWhenItsCardIsBuilt()
    {
        QQuickItem *view = m_fixture.makeContentView();
        QVERIFY(view);
        QTRY_VERIFY(cardAt(view, 0));
        auto *session =
            qobject_cast<CaptureSession *>(cardAt(view, 0)->property("session").value<QObject *>());
        // A syphon session with a transform other than the syphon defaults.
        session->setSourceType(SourceType::syphon);
        session->setRotation(Rotation::r180);
        session->setFlipHorizontal(true);
        click(find(cardAt(view, 0), QStringLiteral("duplicateButton")));
        QTRY_VERIFY(cardAt(view, 1));
        auto *copy =
            qobject_cast<CaptureSession *>(cardAt(view, 1)->property("session").value<QObject *>());
        QVERIFY(copy && copy != session);
        QCOMPARE(copy->sourceType(), SourceType::syphon);
        QCOMPARE(copy->rotation(), Rotation::r180);
        QCOMPARE(copy->flipHorizontal(), true);
        QCOMPARE(pillLabel(view, "outputCount"), QStringLiteral("2 outputs"));
    }

    void headerAndStatusBarTexts()
    {
        QQuickItem *view = m_fixture.makeContentView();
        QVERIFY(view);
        QVERIFY(find(view, "logo")->property("loaded").toBool());
        QCOMPARE(find(view, "versionText")->property("text").toString(),
                 "v" + Bundle::appVersion() + " (" + Bundle::appBuild() + ")");
        m_fixture.manager()->setProperty("status",
                                         QStringLiteral("Loading sources\u2026 ").repeated(40));
        QQuickItem *status = find(view, "managerStatus");
        QCOMPARE(status->property("lineCount").toInt(), 1);
        QVERIFY(status->property("truncated").toBool());
    }

private:
    UiFixture m_fixture;
};

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
