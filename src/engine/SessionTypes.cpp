// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionTypes.h"

namespace Kinolith {

QString rawValue(SourceType type)
{
    switch (type) {
    case SourceType::window:
        return QStringLiteral("Window");
    case SourceType::syphon:
        return QStringLiteral("Syphon");
    }
    Q_UNREACHABLE();
    return {};
}

int rawValue(Rotation rotation)
{
    return int(rotation);
}

QString rawValue(HealthState state)
{
    switch (state) {
    case HealthState::live:
        return QStringLiteral("Live");
    case HealthState::stalled:
        return QStringLiteral("Stalled");
    case HealthState::stopped:
        return QStringLiteral("Stopped");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<SourceType> sourceTypeFromRawValue(const QString &raw)
{
    for (const auto type : allSourceTypes) {
        if (rawValue(type) == raw)
            return type;
    }
    return std::nullopt;
}

std::optional<Rotation> rotationFromRawValue(int raw)
{
    switch (raw) {
    case 0:
        return Rotation::r0;
    case 180:
        return Rotation::r180;
    default:
        return std::nullopt;
    }
}

std::optional<HealthState> healthStateFromRawValue(const QString &raw)
{
    for (const auto state : {HealthState::live, HealthState::stalled, HealthState::stopped}) {
        if (rawValue(state) == raw)
            return state;
    }
    return std::nullopt;
}

} // namespace Kinolith
