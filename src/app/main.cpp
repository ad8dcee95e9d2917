// SPDX-License-Identifier: GPL-3.0-or-later
#include "KinolithApp.h"

#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(KinolithPlugin)

int main(int argc, char **argv)
{
    KinolithApp app(argc, argv);
    return app.run();
}
