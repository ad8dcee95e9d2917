// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/foundation/HostClock.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/SerialQueue.h"

#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

class TestSerialQueue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsTasksInOrderOneAtATime()
    {
        std::vector<int> order;
        std::atomic<int> running{0};
        std::atomic<int> overlaps{0};
        {
            SerialQueue queue(QStringLiteral("Kinolith.CaptureQueue.TEST"),
                              SerialQueue::Priority::userInteractive);
            QCOMPARE(queue.label(), QStringLiteral("Kinolith.CaptureQueue.TEST"));
            // Added from several threads; each thread's tasks keep their order.
            std::vector<std::thread> producers;
            std::mutex orderMutex;
            for (int t = 0; t < 3; ++t) {
                producers.emplace_back([&, t] {
                    for (int i = 0; i < 100; ++i) {
                        queue.async([&, t, i] {
                            if (running.fetch_add(1) != 0)
                                overlaps.fetch_add(1);
                            {
                                std::lock_guard guard(orderMutex);
                                order.push_back(t * 1000 + i);
                            }
                            running.fetch_sub(1);
                        });
                    }
                });
            }
            for (auto &producer : producers)
                producer.join();
        } // the destructor runs what was added
        QCOMPARE(order.size(), size_t(300));
        QCOMPARE(overlaps.load(), 0);
        for (int t = 0; t < 3; ++t) {
            int last = -1;
            for (const int value : order) {
                if (value / 1000 != t)
                    continue;
                QVERIFY(value % 1000 > last);
                last = value % 1000;
            }
        }
    }

    void runsOnItsOwnNamedThread()
    {
        SerialQueue queue(QStringLiteral("Kinolith.CaptureQueue.AB12"),
                          SerialQueue::Priority::normal);
        std::thread::id taskThread;
        char name[16] = {};
        bool isCurrentInside = false;
        std::atomic<bool> done{false};
        queue.async([&] {
            taskThread = std::this_thread::get_id();
            pthread_getname_np(pthread_self(), name, sizeof name);
            isCurrentInside = queue.isCurrent();
            done = true;
        });
        while (!done)
            std::this_thread::sleep_for(1ms);
        QVERIFY(taskThread != std::this_thread::get_id());
        QVERIFY(isCurrentInside);
        QVERIFY(!queue.isCurrent());
        // The thread name keeps the label's distinctive end.
        QCOMPARE(QByteArray(name), QByteArray("ptureQueue.AB12"));
    }

    void mainThreadTasksRunInPostingOrder()
    {
        QStringList order;
        SerialQueue queue(QStringLiteral("poster"), SerialQueue::Priority::normal);
        for (int i = 0; i < 50; ++i) {
            queue.async([&order, i] {
                MainThread::post([&order, i] {
                    QVERIFY(MainThread::isCurrent());
                    order << QString::number(i);
                });
            });
        }
        QTRY_COMPARE(order.size(), 50);
        for (int i = 0; i < 50; ++i)
            QCOMPARE(order[i], QString::number(i));
        QVERIFY(MainThread::isCurrent());
    }

    void hostClockIsMonotonicSeconds()
    {
        const double before = hostTime();
        std::this_thread::sleep_for(20ms);
        const double after = hostTime();
        QVERIFY(after - before >= 0.019);
        QVERIFY(after - before < 5.0);
    }
};

QTEST_GUILESS_MAIN(TestSerialQueue)
#include "tst_serialqueue.moc"
