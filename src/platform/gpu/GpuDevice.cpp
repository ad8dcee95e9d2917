// SPDX-License-Identifier: GPL-3.0-or-later
#include "GpuDevice.h"

#include "gles/GlesDevice.h"

std::shared_ptr<GpuDevice> GpuDevice::createSystemDefault()
{
    return GlesDevice::create();
}
