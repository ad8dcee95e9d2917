// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>

// The host media clock: monotonic seconds as a double, unaffected by changes of the wall clock.
inline double hostTime() noexcept
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}
