// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Every text a session's status line can hold.
namespace SessionStatus {

inline QString idle()
{
    return QStringLiteral("Idle");
}
inline QString starting()
{
    return QStringLiteral("Starting\u2026");
}
inline QString pickSource()
{
    return QStringLiteral("Pick a source first");
}
inline QString noCaptureFilter()
{
    return QStringLiteral("Could not create capture filter");
}
inline QString pickSyphonSource()
{
    return QStringLiteral("Pick a Syphon source first");
}
inline QString syphonSourceNotFound()
{
    return QStringLiteral("Syphon source not found");
}
inline QString startFailed(const QString &errorDescription)
{
    return QStringLiteral("Start failed: ") + errorDescription;
}
inline QString running(const QString &prefix, const QString &transformLabel)
{
    return prefix + QStringLiteral(" \u2014 ") + transformLabel;
}
inline QString stopping()
{
    return QStringLiteral("Stopping\u2026");
}
inline QString stopped()
{
    return QStringLiteral("Stopped");
}

// The first half of the running status, before any start and for each kind of source.
inline QString defaultPrefix()
{
    return QStringLiteral("Capturing");
}
inline QString capturingPrefix(const QString &sourceLabel)
{
    return QStringLiteral("Capturing \"") + sourceLabel + u'"';
}
inline QString capturingSyphonPrefix(const QString &serverDisplayName)
{
    return QStringLiteral("Capturing Syphon \"") + serverDisplayName + u'"';
}

} // namespace SessionStatus
