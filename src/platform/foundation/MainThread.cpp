// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainThread.h"

#include <QCoreApplication>
#include <QThread>

namespace MainThread {

bool isCurrent()
{
    const auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void post(std::function<void()> task)
{
    auto *app = QCoreApplication::instance();
    Q_ASSERT(app);
    if (!app)
        return;
    QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
}

} // namespace MainThread
