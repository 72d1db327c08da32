// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>

namespace zephyl {

/// Waits between reports of a transfer; tests replace it so nothing really sleeps.
using PauseFunction = std::function<void(int milliseconds)>;

/// Sleeps the calling thread.
void SleepPause(int milliseconds);

}  // namespace zephyl
