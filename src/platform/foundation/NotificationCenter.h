// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct Notification
{
    QString name;
    const void *object = nullptr; // the poster, for observers that tell senders apart
    QVariantMap userInfo;
};

// Delivers named notifications to the observers registered for that name. post() may be called
// from any thread; observers run synchronously on the posting thread, so an observer that touches
// main-thread state hands the work over with MainThread::post().
class NotificationCenter
{
public:
    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    static NotificationCenter &defaultCenter();

    using Handler = std::function<void(const Notification &)>;

    // Registers handler for notifications named name, on behalf of observer (any address that
    // identifies the observer; it is never dereferenced).
    void addObserver(const void *observer, const QString &name, Handler handler);

    // Removes every registration of observer. When it returns, no handler of the observer runs
    // any more, except one that is running on this very thread (a handler removing itself); a
    // delivery in progress on another thread is waited for.
    void removeObserver(const void *observer);

    void post(const Notification &notification);

private:
    struct Registration
    {
        const void *observer;
        QString name;
        Handler handler;
        // Held while the handler runs and while the registration is retired. Recursive, so a
        // handler may remove its own observer.
        std::recursive_mutex deliveryMutex;
        bool retired = false;
    };

    std::mutex m_mutex; // guards m_registrations; never held while a handler runs
    std::vector<std::shared_ptr<Registration>> m_registrations;
};
