// SPDX-License-Identifier: GPL-3.0-or-later
#include "KLIntegerFormat.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLocale>

KLIntegerFormat::KLIntegerFormat(QObject *parent) : QObject(parent)
{
    // The application hears of a changed system locale with a LocaleChange event.
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(this);
}

bool KLIntegerFormat::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::LocaleChange && watched == QCoreApplication::instance())
        Q_EMIT localeChanged();
    return QObject::eventFilter(watched, event);
}

QString KLIntegerFormat::format(double value)
{
    return QLocale().toString(value, 'f', 0);
}

QVariant KLIntegerFormat::parse(const QString &text)
{
    bool ok = false;
    const qlonglong value = QLocale().toLongLong(text.trimmed(), &ok);
    // QML holds numbers as doubles: a value beyond 2^53 would not come back as typed.
    constexpr qlonglong exactLimit = (qlonglong(1) << 53) - 1;
    if (!ok || value > exactLimit || value < -exactLimit)
        return {};
    return QVariant::fromValue<qint64>(value);
}
