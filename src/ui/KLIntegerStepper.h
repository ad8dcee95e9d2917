// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// One step up or down of an integer property of an object, in 64-bit arithmetic: QML's numbers
// are doubles, which cannot step a value beyond 2^53 by one.
class KLIntegerStepper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // v becomes v + 1; the largest 64-bit value stays where it is.
    Q_INVOKABLE static void stepUp(QObject *object, const QString &property);
    // v becomes the larger of 0 and v - 1: it stops at 0, and a negative value becomes 0.
    Q_INVOKABLE static void stepDown(QObject *object, const QString &property);
};
