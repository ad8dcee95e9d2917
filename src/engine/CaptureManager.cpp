// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureManager.h"

QString CaptureManager::rawValue(OutputResolution resolution)
{
    switch (resolution) {
    case OutputResolution::native:
        return QStringLiteral("Native");
    case OutputResolution::r640x360:
        return QStringLiteral("640 \u00d7 360");
    case OutputResolution::r960x540:
        return QStringLiteral("960 \u00d7 540");
    case OutputResolution::r1280x720:
        return QStringLiteral("1280 \u00d7 720");
    case OutputResolution::r1600x900:
        return QStringLiteral("1600 \u00d7 900");
    case OutputResolution::r1920x1080:
        return QStringLiteral("1920 \u00d7 1080");
    case OutputResolution::r2560x1440:
        return QStringLiteral("2560 \u00d7 1440");
    case OutputResolution::r3840x2160:
        return QStringLiteral("3840 \u00d7 2160");
    case OutputResolution::custom:
        return QStringLiteral("Custom\u2026");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<CaptureManager::OutputResolution>
CaptureManager::outputResolutionFromRawValue(const QString &raw)
{
    for (const auto resolution : allOutputResolutions) {
        if (rawValue(resolution) == raw)
            return resolution;
    }
    return std::nullopt;
}

CaptureManager::CaptureManager(QObject *parent) : QObject(parent) {}
