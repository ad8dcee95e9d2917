// SPDX-License-Identifier: GPL-3.0-or-later
#include "NotificationCenter.h"

#include <algorithm>

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void *observer, const QString &name, Handler handler)
{
    auto registration = std::make_shared<Registration>();
    registration->observer = observer;
    registration->name = name;
    registration->handler = std::move(handler);
    std::lock_guard guard(m_mutex);
    m_registrations.push_back(std::move(registration));
}

void NotificationCenter::removeObserver(const void *observer)
{
    std::vector<std::shared_ptr<Registration>> removed;
    {
        std::lock_guard guard(m_mutex);
        auto split = std::stable_partition(
            m_registrations.begin(), m_registrations.end(),
            [observer](const auto &registration) { return registration->observer != observer; });
        removed.assign(std::make_move_iterator(split),
                       std::make_move_iterator(m_registrations.end()));
        m_registrations.erase(split, m_registrations.end());
    }
    for (const auto &registration : removed) {
        std::lock_guard delivery(registration->deliveryMutex);
        registration->retired = true;
    }
}

void NotificationCenter::post(const Notification &notification)
{
    std::vector<std::shared_ptr<Registration>> matching;
    {
        std::lock_guard guard(m_mutex);
        for (const auto &registration : m_registrations) {
            if (registration->name == notification.name)
                matching.push_back(registration);
        }
    }
    for (const auto &registration : matching) {
        std::lock_guard delivery(registration->deliveryMutex);
        if (!registration->retired)
            registration->handler(notification);
    }
}
