// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionChoices.h"

#include "engine/CaptureManager.h"
#include "engine/SessionTypes.h"

#include <QVariantMap>

QVariantList SessionChoices::sourceTypes()
{
    QVariantList choices;
    for (const SourceType type : Kinolith::allSourceTypes)
        choices.append(QVariantMap{{QStringLiteral("value"), int(type)},
                                   {QStringLiteral("label"), Kinolith::rawValue(type)}});
    return choices;
}

QVariantList SessionChoices::outputResolutions()
{
    QVariantList choices;
    for (const auto resolution : CaptureManager::allOutputResolutions)
        choices.append(
            QVariantMap{{QStringLiteral("value"), int(resolution)},
                        {QStringLiteral("label"), CaptureManager::rawValue(resolution)}});
    return choices;
}
