// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Writes a report when the process dies of a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT, SIGTRAP). Everything a report needs that is not async-signal-safe to find out (the
// folder, version, build, user and host names) is prepared at install(); the handler itself only
// formats numbers into fixed buffers and calls open/write/rename. It runs on its own stack, so a
// stack overflow is reported too, and then lets the signal end the process as it would have.
class CrashReportWriter
{
public:
    // The lines every report carries, each "key: value\n".
    static QByteArray fixedFields(const QString &version, const QString &build, bool withPii);

    // Installs the handler. directory must exist; fixedFields is copied. Returns false when the
    // fields do not fit the handler's buffers or the handler cannot be installed.
    static bool install(const QString &directory, const QByteArray &fixedFields);
};
