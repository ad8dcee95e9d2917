// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

// The integer number format of the user's current locale (QLocale's default), as the text fields
// for sizes and crops show and read their values: 1920 shows as "1,920" in English and "1.920" in
// German. The locale is looked up on every call; localeChanged() tells the fields to show their
// values again when the application is told that the locale changed.
class KLIntegerFormat : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit KLIntegerFormat(QObject *parent = nullptr);

    // The value with the locale's digit grouping. It arrives as QML's number (a double), which
    // holds every integer up to 2^53 exactly.
    Q_INVOKABLE static QString format(double value);
    // The integer the text spells in the locale's format, with or without grouping and surrounding
    // spaces; undefined when the text is not such an integer (empty, fractional), or when its
    // magnitude is beyond 2^53 - 1, where QML's numbers stop being exact.
    Q_INVOKABLE static QVariant parse(const QString &text);

Q_SIGNALS:
    void localeChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
