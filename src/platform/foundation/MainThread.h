// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

// The main thread is the Qt application's thread. Tasks posted from any thread run there, on the
// event loop, in the order they were posted by one thread.
namespace MainThread {

bool isCurrent();

// Queues task on the main thread's event loop. Requires a QCoreApplication.
void post(std::function<void()> task);

} // namespace MainThread
