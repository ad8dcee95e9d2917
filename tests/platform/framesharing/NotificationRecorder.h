// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/framesharing/Directory.h"

#include <QList>
#include <mutex>

// Records the directory's notifications, posted on whatever thread.
class NotificationRecorder
{
public:
    struct Entry
    {
        QString name;
        QVariantMap description;
    };

    NotificationRecorder()
    {
        for (const QString &name : {framesharing::Directory::announceNotification,
                                    framesharing::Directory::updateNotification,
                                    framesharing::Directory::retireNotification}) {
            NotificationCenter::defaultCenter().addObserver(
                this, name, [this](const Notification &notification) {
                    std::lock_guard lock(m_mutex);
                    m_entries.append({notification.name, notification.userInfo});
                });
        }
    }
    ~NotificationRecorder() { NotificationCenter::defaultCenter().removeObserver(this); }

    // The notifications named `name` about nodes whose `key` property is `value`.
    QList<QVariantMap> about(const QString &name, const QString &key, const QString &value) const
    {
        std::lock_guard lock(m_mutex);
        QList<QVariantMap> found;
        for (const Entry &entry : m_entries) {
            if (entry.name == name && entry.description.value(key).toString() == value)
                found.append(entry.description);
        }
        return found;
    }

    int count(const QString &name) const
    {
        std::lock_guard lock(m_mutex);
        return int(std::count_if(m_entries.begin(), m_entries.end(),
                                 [&name](const Entry &entry) { return entry.name == name; }));
    }

private:
    mutable std::mutex m_mutex;
    QList<Entry> m_entries; // guarded by m_mutex
};
