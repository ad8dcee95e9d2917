// SPDX-License-Identifier: GPL-3.0-or-later
#include "CrashReportDirectory.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

QString CrashReportDirectory::path()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG base directories must be absolute; a relative one is ignored.
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Kinolith/crash-reports");
}

std::optional<QString> CrashReportDirectory::ensure()
{
    const QString folder = path();
    if (!QDir().mkpath(folder))
        return std::nullopt;
    const QByteArray native = QFile::encodeName(folder);
    struct stat info
    {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return std::nullopt;
    if ((info.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return std::nullopt;
    return folder;
}

QStringList CrashReportDirectory::pendingReports()
{
    const QDir dir(path());
    QStringList result;
    for (const QString &name : dir.entryList({QStringLiteral("*") + QLatin1String(reportSuffix)},
                                             QDir::Files, QDir::Name))
        result << dir.filePath(name);
    return result;
}
