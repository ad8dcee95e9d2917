// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QMetaType>
#include <QString>
#include <QVariantMap>
#include <optional>

// One frame-sharing server seen in the directory. Records are equal, and hash alike, when their
// uuids are: the other fields may differ between two readings of the same server.
struct SyphonServerInfo
{
    Q_GADGET
    Q_PROPERTY(QString uuid MEMBER uuid CONSTANT)
    Q_PROPERTY(QString name MEMBER name CONSTANT)
    Q_PROPERTY(QString appName MEMBER appName CONSTANT)
    Q_PROPERTY(QString displayName READ displayName CONSTANT)

public:
    QString uuid;
    QString name;
    QString appName;
    QVariantMap serverDescription;

    // From a directory description: nothing without a text uuid entry; an empty name and the
    // application name "Unknown" where those entries are missing or not text.
    static std::optional<SyphonServerInfo> fromDescription(const QVariantMap &description);

    // "appName — name", or appName alone when name is empty.
    QString displayName() const;

    friend bool operator==(const SyphonServerInfo &a, const SyphonServerInfo &b)
    {
        return a.uuid == b.uuid;
    }
};

inline size_t qHash(const SyphonServerInfo &info, size_t seed = 0) noexcept
{
    return qHash(info.uuid, seed);
}

Q_DECLARE_METATYPE(SyphonServerInfo)
