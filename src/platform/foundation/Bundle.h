// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <optional>

// The application bundle: its identifier, its info dictionary and its resources.
//
// The main bundle is built from what CMake compiles in (identifier, version, build number) and
// finds resources in the Qt resource system under ":/resources". Tests replace it with
// setMain() to give the program another info dictionary, another resource root, or none.
class Bundle
{
public:
    Bundle(std::optional<QString> identifier, QVariantMap infoDictionary,
           QString resourceRoot = QStringLiteral(":/resources"));

    // The process's main bundle. Replacing it is meant for tests and start-up only: it is not
    // synchronised with readers on other threads.
    static const Bundle &main();
    static void setMain(Bundle bundle);
    // The bundle this build would describe itself with.
    static Bundle builtIn();

    const std::optional<QString> &identifier() const { return m_identifier; }
    const QVariantMap &infoDictionary() const { return m_infoDictionary; }

    // The value for key when it holds text, else "—".
    QString infoText(const QString &key) const;

    // Path (":/..." in the resource system) of the resource name.ext, or nothing when absent.
    std::optional<QString> pathForResource(const QString &name, const QString &extension) const;
    std::optional<QUrl> urlForResource(const QString &name, const QString &extension) const;

    // "CFBundleShortVersionString" and "CFBundleVersion" of the main bundle, or "—".
    // Computed once, on first use, and kept for the life of the process.
    static const QString &appVersion();
    static const QString &appBuild();

    // The logging subsystem: the main bundle's identifier, or "Kinolith" without one.
    static QString loggingSubsystem();

private:
    std::optional<QString> m_identifier;
    QVariantMap m_infoDictionary;
    QString m_resourceRoot;
};
