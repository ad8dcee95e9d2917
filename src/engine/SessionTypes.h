// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>

// The enumerations of a session, with their raw values. Each has a failable construction from a
// raw value: an unknown value yields nothing.
namespace Kinolith {
Q_NAMESPACE

enum class SourceType { window, syphon };
Q_ENUM_NS(SourceType)

enum class Rotation { r0 = 0, r180 = 180 };
Q_ENUM_NS(Rotation)

enum class HealthState { live, stalled, stopped };
Q_ENUM_NS(HealthState)

inline constexpr std::array<SourceType, 2> allSourceTypes{SourceType::window, SourceType::syphon};

QString rawValue(SourceType type);
int rawValue(Rotation rotation);
QString rawValue(HealthState state);

std::optional<SourceType> sourceTypeFromRawValue(const QString &raw);
std::optional<Rotation> rotationFromRawValue(int raw);
std::optional<HealthState> healthStateFromRawValue(const QString &raw);

} // namespace Kinolith

using Kinolith::HealthState;
using Kinolith::Rotation;
using Kinolith::SourceType;
