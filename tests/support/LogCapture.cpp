// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogCapture.h"

LogCapture::LogCapture()
{
    m_sinkId = Logger::addSink([this](const LogEntry &entry) {
        std::lock_guard guard(m_mutex);
        m_entries.append(entry);
    });
}

LogCapture::~LogCapture()
{
    Logger::removeSink(m_sinkId);
}

QList<LogEntry> LogCapture::entries() const
{
    std::lock_guard guard(m_mutex);
    return m_entries;
}

QList<LogEntry> LogCapture::entries(const QString &category) const
{
    std::lock_guard guard(m_mutex);
    QList<LogEntry> matching;
    for (const auto &entry : m_entries) {
        if (entry.category == category)
            matching.append(entry);
    }
    return matching;
}

void LogCapture::clear()
{
    std::lock_guard guard(m_mutex);
    m_entries.clear();
}
