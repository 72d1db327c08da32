// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace zephyl {
namespace {

std::mutex g_logMutex;
std::string g_logName = "KBLog";

// -1 until the first message, so a ZEPHYL_LOG set by a test before the first call is honoured.
std::atomic<int> g_threshold{-1};

int Threshold() {
    int value = g_threshold.load();
    if (value < 0) {
        const char* text = std::getenv("ZEPHYL_LOG");
        value = text ? std::atoi(text) : 0;
        g_threshold.store(value < 0 ? 0 : value);
    }
    return g_threshold.load();
}

}  // namespace

void LogSetup(int /*level*/, const char* name) {
    std::lock_guard lock(g_logMutex);
    g_logName = name ? name : "";
    g_threshold.store(-1);
}

void Log(int level, const char* format, ...) {
    if (level > Threshold()) {
        return;
    }
    char buffer[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    std::lock_guard lock(g_logMutex);
    std::fprintf(stderr, "%s[%d]: %s\n", g_logName.c_str(), level, buffer);
}

}  // namespace zephyl
