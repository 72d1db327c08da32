// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace zephyl {

/// Levels of the diagnostic trace: lower is more severe.
enum LogLevel { kLogError = 1, kLogWarning = 2, kLogInfo = 3, kLogDebug = 4 };

/// Names the trace and sets the level the program runs with. The trace stays silent unless
/// ZEPHYL_LOG holds a level: then messages of that level or more severe go to stderr.
void LogSetup(int level, const char* name);

/// printf-style diagnostic trace; thread-safe.
void Log(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace zephyl
