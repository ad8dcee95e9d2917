// SPDX-License-Identifier: GPL-3.0-or-later
#include "Updater.h"

namespace {
Updater *g_instance = nullptr;
}

Updater::Updater() : m_controller(/*startingUpdater=*/true) {}

Updater &Updater::shared()
{
    if (!g_instance)
        g_instance = new Updater;
    return *g_instance;
}

bool Updater::exists()
{
    return g_instance != nullptr;
}
