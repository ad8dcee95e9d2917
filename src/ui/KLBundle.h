// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// The application bundle as the interface reads it: version, build number and image resources.
class KLBundle : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // The version and the build number, each "—" when the bundle does not say.
    Q_PROPERTY(QString appVersion READ appVersion CONSTANT)
    Q_PROPERTY(QString appBuild READ appBuild CONSTANT)

public:
    using QObject::QObject;

    static QString appVersion();
    static QString appBuild();
    // The URL of the bundle's image resource of that name (SVG or PNG); empty when absent.
    Q_INVOKABLE static QUrl imageUrl(const QString &name);
};
