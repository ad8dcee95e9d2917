// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CaptureManager.h"
#include "engine/CaptureSession.h"
#include "engine/SessionTypes.h"

#include <QtQml/qqml.h>

// The engine's types as QML sees them. The engine itself stays free of QtQml: these shims name
// its classes and enumerations for the Kinolith module.
//
//   Kinolith.SourceType.syphon, Kinolith.Rotation.r180, Kinolith.HealthState.live
//   CaptureManager.OutputResolution.custom
//   CaptureSession (only ever handed in from C++)
namespace KinolithForeign {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(Kinolith)
QML_NAMED_ELEMENT(Kinolith)
} // namespace KinolithForeign

struct CaptureSessionForeign
{
    Q_GADGET
    QML_FOREIGN(CaptureSession)
    QML_NAMED_ELEMENT(CaptureSession)
    QML_UNCREATABLE("Sessions are made by the session manager")
};

struct CaptureManagerForeign
{
    Q_GADGET
    QML_FOREIGN(CaptureManager)
    QML_NAMED_ELEMENT(CaptureManager)
    QML_UNCREATABLE("The main window makes its own session manager")
};
