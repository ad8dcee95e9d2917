// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/CaptureSession.h"

#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// The per-source-type default transforms of a session, and the cases the session's pickers offer,
// in the engine's case order, each as { value: <enumeration value>, label: <raw value> }. The
// labels are the engine's raw values, so the interface words them exactly as the engine does
// ("Window", "1920 × 1080", "Custom…").
class SessionChoices : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QVariantList sourceTypes READ sourceTypes CONSTANT)
    Q_PROPERTY(QVariantList outputResolutions READ outputResolutions CONSTANT)
    Q_PROPERTY(int defaultWindowRotation READ defaultWindowRotation CONSTANT)
    Q_PROPERTY(bool defaultWindowFlipHorizontal READ defaultWindowFlipHorizontal CONSTANT)
    Q_PROPERTY(int defaultSyphonRotation READ defaultSyphonRotation CONSTANT)
    Q_PROPERTY(bool defaultSyphonFlipHorizontal READ defaultSyphonFlipHorizontal CONSTANT)

public:
    using QObject::QObject;

    static QVariantList sourceTypes();
    static QVariantList outputResolutions();
    static int defaultWindowRotation() { return int(CaptureSession::defaultWindowRotation); }
    static bool defaultWindowFlipHorizontal()
    {
        return CaptureSession::defaultWindowFlipHorizontal;
    }
    static int defaultSyphonRotation() { return int(CaptureSession::defaultSyphonRotation); }
    static bool defaultSyphonFlipHorizontal()
    {
        return CaptureSession::defaultSyphonFlipHorizontal;
    }
};
