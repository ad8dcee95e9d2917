// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/foundation/Logger.h"

#include <QList>
#include <mutex>

// Collects every log entry written while it lives, from any thread.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QList<LogEntry> entries() const;
    // The entries of one category.
    QList<LogEntry> entries(const QString &category) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    QList<LogEntry> m_entries;
    int m_sinkId = 0;
};
