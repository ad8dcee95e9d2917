// SPDX-License-Identifier: GPL-3.0-or-later
#include "SyphonServerInfo.h"

#include "platform/framesharing/DescriptionKeys.h"

namespace {

std::optional<QString> textEntry(const QVariantMap &description, const QString &key)
{
    const auto it = description.constFind(key);
    if (it == description.constEnd() || it->typeId() != QMetaType::QString)
        return std::nullopt;
    return it->toString();
}

} // namespace

std::optional<SyphonServerInfo> SyphonServerInfo::fromDescription(const QVariantMap &description)
{
    auto uuid = textEntry(description, framesharing::keys::uuid);
    if (!uuid)
        return std::nullopt;
    SyphonServerInfo info;
    info.uuid = std::move(*uuid);
    info.name = textEntry(description, framesharing::keys::name).value_or(QString());
    info.appName =
        textEntry(description, framesharing::keys::appName).value_or(QStringLiteral("Unknown"));
    info.serverDescription = description;
    return info;
}

QString SyphonServerInfo::displayName() const
{
    if (name.isEmpty())
        return appName;
    return appName + QStringLiteral(" \u2014 ") + name;
}
