// SPDX-License-Identifier: GPL-3.0-or-later
#include "NodeProperties.h"

#include "platform/framesharing/DescriptionKeys.h"

#include <QCoreApplication>
#include <atomic>
#include <cstring>
#include <pipewire/keys.h>
#include <spa/utils/dict.h>
#include <unistd.h>

namespace framesharing::pipewire {

QVariantMap propertiesToMap(const spa_dict *dict)
{
    QVariantMap map;
    if (!dict)
        return map;
    const spa_dict_item *item;
    spa_dict_for_each(item, dict)
    {
        if (item->key)
            map.insert(QString::fromUtf8(item->key),
                       item->value ? QString::fromUtf8(item->value) : QString());
    }
    return map;
}

QVariantMap describeNode(const QVariantMap &properties, const QString &clientApplicationName)
{
    QVariantMap description = properties;
    const QString serial = properties.value(QStringLiteral(PW_KEY_OBJECT_SERIAL)).toString();
    if (!serial.isEmpty())
        description.insert(keys::uuid, serial);
    QString name;
    for (const char *key : {PW_KEY_NODE_DESCRIPTION, PW_KEY_NODE_NICK, PW_KEY_NODE_NAME}) {
        name = properties.value(QString::fromLatin1(key)).toString();
        if (!name.isEmpty())
            break;
    }
    description.insert(keys::name, name);
    const QVariant appName = properties.value(QStringLiteral(PW_KEY_APP_NAME));
    if (appName.isValid())
        description.insert(keys::appName, appName.toString());
    else if (!clientApplicationName.isEmpty())
        description.insert(keys::appName, clientApplicationName);
    return description;
}

bool isServerNode(const spa_dict *dict)
{
    const char *mediaClass = dict ? spa_dict_lookup(dict, PW_KEY_MEDIA_CLASS) : nullptr;
    return mediaClass && (std::strcmp(mediaClass, "Video/Source") == 0 ||
                          std::strcmp(mediaClass, "Stream/Output/Video") == 0);
}

QString uniqueNodeName(const QString &name)
{
    static std::atomic<unsigned> counter{0};
    QString safe;
    for (const QChar c : name.left(64)) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' || c == u'.';
        safe += plain ? c : u'_';
    }
    return QStringLiteral("kinolith.%1.%2-%3").arg(safe).arg(getpid()).arg(++counter);
}

} // namespace framesharing::pipewire
