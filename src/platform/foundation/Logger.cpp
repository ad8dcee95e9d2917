// SPDX-License-Identifier: GPL-3.0-or-later
#include "Logger.h"

#include "Bundle.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

namespace {

struct SinkRegistry
{
    std::mutex mutex;
    std::map<int, Logger::Sink> sinks;
    int nextId = 1;
};

SinkRegistry &sinkRegistry()
{
    static SinkRegistry registry;
    return registry;
}

bool journalRuns()
{
    static const bool runs = access("/run/systemd/journal/socket", W_OK) == 0;
    return runs;
}

bool stderrIsTerminal()
{
    static const bool terminal = isatty(STDERR_FILENO) == 1;
    return terminal;
}

void writeToJournal(const LogEntry &entry)
{
    const QByteArray message = entry.message.toUtf8();
    const QByteArray subsystem = entry.subsystem.toUtf8();
    const QByteArray category = entry.category.toUtf8();
    sd_journal_send("MESSAGE=%s", message.constData(), "PRIORITY=%i",
                    entry.level == LogLevel::error ? LOG_ERR : LOG_INFO, "SUBSYSTEM=%s",
                    subsystem.constData(), "CATEGORY=%s", category.constData(),
                    "SYSLOG_IDENTIFIER=kinolith", nullptr);
}

void writeToStderr(const LogEntry &entry)
{
    const QByteArray line =
        QStringLiteral("[%1:%2] %3: %4\n")
            .arg(entry.subsystem, entry.category,
                 entry.level == LogLevel::error ? QStringLiteral("error") : QStringLiteral("info"),
                 entry.message)
            .toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

void handleQtMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool isError = type == QtCriticalMsg || type == QtFatalMsg || type == QtWarningMsg;
    Logger::write({Bundle::loggingSubsystem(),
                   QString::fromUtf8(context.category ? context.category : "default"),
                   isError ? LogLevel::error : LogLevel::info, message});
}

} // namespace

Logger::Logger(const char *category)
    : m_category(category, QtInfoMsg), m_subsystem(Bundle::loggingSubsystem())
{}

void Logger::info(const QString &message) const
{
    if (m_category.isInfoEnabled())
        write({m_subsystem, QString::fromUtf8(m_category.categoryName()), LogLevel::info, message});
}

void Logger::error(const QString &message) const
{
    if (m_category.isCriticalEnabled())
        write(
            {m_subsystem, QString::fromUtf8(m_category.categoryName()), LogLevel::error, message});
}

int Logger::addSink(Sink sink)
{
    auto &registry = sinkRegistry();
    std::lock_guard guard(registry.mutex);
    const int id = registry.nextId++;
    registry.sinks.emplace(id, std::move(sink));
    return id;
}

void Logger::removeSink(int id)
{
    auto &registry = sinkRegistry();
    std::lock_guard guard(registry.mutex);
    registry.sinks.erase(id);
}

void Logger::installQtMessageHandler()
{
    qInstallMessageHandler(handleQtMessage);
}

void Logger::write(const LogEntry &entry)
{
    if (journalRuns())
        writeToJournal(entry);
    if (!journalRuns() || stderrIsTerminal())
        writeToStderr(entry);

    // Sinks are few and cheap (tests capture lines); holding the registry lock while they run
    // keeps a sink from being called after removeSink() returned.
    auto &registry = sinkRegistry();
    std::lock_guard guard(registry.mutex);
    for (const auto &[id, sink] : registry.sinks)
        sink(entry);
}
