// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/Pause.h"

#include <chrono>
#include <thread>

namespace zephyl {

void SleepPause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace zephyl
