// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>
#include <QString>
#include <functional>

enum class LogLevel { info, error };

struct LogEntry
{
    QString subsystem;
    QString category;
    LogLevel level = LogLevel::info;
    QString message;
};

// A logger for one class: its category is the class name ("CaptureSession", "MetalShared"), its
// subsystem the main bundle's identifier (or "Kinolith" without one), read when the logger is
// made. Each category is a Qt logging category, so QT_LOGGING_RULES can silence it.
//
// Entries go to the systemd journal with the subsystem and category as fields, to stderr where no
// journal runs (and also when stderr is a terminal), and to every sink added with addSink().
// Callable from any thread.
class Logger
{
public:
    // category must outlive the logger: pass a string literal.
    explicit Logger(const char *category);
    Logger(const Logger &) = delete;
    Logger &operator=(const Logger &) = delete;

    void info(const QString &message) const;
    void error(const QString &message) const;

    const QString &subsystem() const { return m_subsystem; }
    const QLoggingCategory &category() const { return m_category; }

    using Sink = std::function<void(const LogEntry &)>;
    // Sinks see every entry written after they are added; they are called on the writing thread.
    static int addSink(Sink sink);
    static void removeSink(int id);

    // Routes Qt's own messages (qWarning and friends) to the same destinations.
    static void installQtMessageHandler();

    static void write(const LogEntry &entry);

private:
    QLoggingCategory m_category;
    QString m_subsystem;
};
