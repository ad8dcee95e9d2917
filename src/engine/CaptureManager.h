// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>

// The session manager: owns the list of sessions, the catalogue of sources and the GPU context
// they share.
class CaptureManager : public QObject
{
    Q_OBJECT

public:
    // The output size preset of a screen-capture session; its raw value is its display label.
    enum class OutputResolution {
        native,
        r640x360,
        r960x540,
        r1280x720,
        r1600x900,
        r1920x1080,
        r2560x1440,
        r3840x2160,
        custom,
    };
    Q_ENUM(OutputResolution)

    static constexpr std::array<OutputResolution, 9> allOutputResolutions{
        OutputResolution::native,     OutputResolution::r640x360,   OutputResolution::r960x540,
        OutputResolution::r1280x720,  OutputResolution::r1600x900,  OutputResolution::r1920x1080,
        OutputResolution::r2560x1440, OutputResolution::r3840x2160, OutputResolution::custom,
    };

    static QString rawValue(OutputResolution resolution);
    static std::optional<OutputResolution> outputResolutionFromRawValue(const QString &raw);

    explicit CaptureManager(QObject *parent = nullptr);
};
