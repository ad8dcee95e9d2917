// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/foundation/NotificationCenter.h"

#include <QTest>
#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

class TestNotificationCenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deliversByNameWithUserInfo()
    {
        NotificationCenter center;
        int observer = 0;
        QStringList seen;
        center.addObserver(&observer, QStringLiteral("announce"), [&](const Notification &n) {
            seen << n.name + u'=' + n.userInfo.value(QStringLiteral("uuid")).toString();
        });
        center.addObserver(&observer, QStringLiteral("retire"),
                           [&](const Notification &n) { seen << n.name; });
        center.post(
            {QStringLiteral("announce"), nullptr, {{QStringLiteral("uuid"), QStringLiteral("7")}}});
        center.post({QStringLiteral("update"), nullptr, {}});
        center.post({QStringLiteral("retire"), nullptr, {}});
        QCOMPARE(seen, (QStringList{QStringLiteral("announce=7"), QStringLiteral("retire")}));
    }

    void removeObserverDropsAllItsRegistrationsOnly()
    {
        NotificationCenter center;
        int first = 0, second = 0;
        int firstCalls = 0, secondCalls = 0;
        for (const char *name : {"a", "b"}) {
            center.addObserver(&first, QString::fromLatin1(name),
                               [&](const Notification &) { ++firstCalls; });
            center.addObserver(&second, QString::fromLatin1(name),
                               [&](const Notification &) { ++secondCalls; });
        }
        center.removeObserver(&first);
        center.post({QStringLiteral("a"), nullptr, {}});
        center.post({QStringLiteral("b"), nullptr, {}});
        QCOMPARE(firstCalls, 0);
        QCOMPARE(secondCalls, 2);
        center.removeObserver(&first); // twice is harmless
    }

    void defaultCenterIsProcessWide()
    {
        QCOMPARE(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
    }

    void postsFromManyThreads()
    {
        NotificationCenter center;
        int observer = 0;
        std::atomic<int> received{0};
        center.addObserver(&observer, QStringLiteral("frame"),
                           [&](const Notification &) { received.fetch_add(1); });
        std::vector<std::thread> posters;
        for (int t = 0; t < 4; ++t) {
            posters.emplace_back([&center] {
                for (int i = 0; i < 2500; ++i)
                    center.post({QStringLiteral("frame"), nullptr, {}});
            });
        }
        for (auto &poster : posters)
            poster.join();
        QCOMPARE(received.load(), 10000);
    }

    void removalWaitsForADeliveryOnAnotherThread()
    {
        // An observer that removes itself must be able to free what its handler uses right
        // after: no handler may still be running, or start, once removeObserver() returns.
        NotificationCenter center;
        int observer = 0;
        std::atomic<bool> inHandler{false};
        std::atomic<bool> handlerFinished{false};
        center.addObserver(&observer, QStringLiteral("slow"), [&](const Notification &) {
            inHandler = true;
            std::this_thread::sleep_for(200ms);
            handlerFinished = true;
        });
        std::thread poster([&center] { center.post({QStringLiteral("slow"), nullptr, {}}); });
        while (!inHandler)
            std::this_thread::yield();
        center.removeObserver(&observer);
        QVERIFY(handlerFinished);
        poster.join();
    }

    void handlerMayRemoveItself()
    {
        NotificationCenter center;
        int observer = 0;
        int calls = 0;
        center.addObserver(&observer, QStringLiteral("once"), [&](const Notification &) {
            ++calls;
            center.removeObserver(&observer);
        });
        center.post({QStringLiteral("once"), nullptr, {}});
        center.post({QStringLiteral("once"), nullptr, {}});
        QCOMPARE(calls, 1);
    }

    void handlerMayPostAndRegister()
    {
        NotificationCenter center;
        int observer = 0;
        QStringList order;
        center.addObserver(&observer, QStringLiteral("first"), [&](const Notification &) {
            order << QStringLiteral("first");
            center.addObserver(&observer, QStringLiteral("second"),
                               [&](const Notification &) { order << QStringLiteral("second"); });
            center.post({QStringLiteral("second"), nullptr, {}});
        });
        center.post({QStringLiteral("first"), nullptr, {}});
        QCOMPARE(order, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    }
};

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_notificationcenter.moc"
