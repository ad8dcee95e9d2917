// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiFixture.h"

#include <QQmlComponent>
#include <QSignalSpy>
#include <QTest>

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

    void cleanup() { m_fixture.clearCards(); }

    void smoke()
    {
        CaptureSession *session = m_fixture.factory().create();
        QQuickItem *card = m_fixture.makeCard(session);
        QVERIFY(card);
        QVERIFY(card->height() > 100);
    }

private:
    UiFixture m_fixture;
};

QTEST_MAIN(TestSessionViews)
#include "tst_sessionviews.moc"
