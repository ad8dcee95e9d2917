// SPDX-License-Identifier: GPL-3.0-or-later
#include "KLBundle.h"

#include "platform/foundation/Bundle.h"

QString KLBundle::appVersion()
{
    return Bundle::appVersion();
}

QString KLBundle::appBuild()
{
    return Bundle::appBuild();
}

QUrl KLBundle::imageUrl(const QString &name)
{
    for (const char *extension : {"svg", "png"}) {
        if (const auto url = Bundle::main().urlForResource(name, QLatin1String(extension)))
            return *url;
    }
    return {};
}
