// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The folder that holds crash reports: "Kinolith/crash-reports" in the user's state directory
// ($XDG_STATE_HOME, else ~/.local/state), readable by the user alone.
class CrashReportDirectory
{
public:
    static QString path();
    // Creates the folder (and its parents) with mode 0700, and narrows an existing one to 0700.
    // Returns its path, or nothing when it cannot be made.
    static std::optional<QString> ensure();
    // Paths of the finished reports in it, oldest name first.
    static QStringList pendingReports();

    static constexpr const char *reportSuffix = ".crash";
    static constexpr const char *partialSuffix = ".partial";
};
