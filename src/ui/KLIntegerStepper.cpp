// SPDX-License-Identifier: GPL-3.0-or-later
#include "KLIntegerStepper.h"

#include <QVariant>
#include <limits>

namespace {

bool read(QObject *object, const QString &property, qint64 &value)
{
    if (!object)
        return false;
    bool ok = false;
    value = object->property(property.toUtf8().constData()).toLongLong(&ok);
    if (!ok)
        qWarning("KLIntegerStepper: %s is no integer property", qPrintable(property));
    return ok;
}

void write(QObject *object, const QString &property, qint64 value)
{
    object->setProperty(property.toUtf8().constData(), QVariant::fromValue(value));
}

} // namespace

void KLIntegerStepper::stepUp(QObject *object, const QString &property)
{
    qint64 value = 0;
    if (read(object, property, value) && value < std::numeric_limits<qint64>::max())
        write(object, property, value + 1);
}

void KLIntegerStepper::stepDown(QObject *object, const QString &property)
{
    qint64 value = 0;
    if (read(object, property, value))
        write(object, property, value > 0 ? value - 1 : 0);
}
