// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/Environment.h"
#include "ui/desktop/SingleInstance.h"

#include <memory>
#include <string>

namespace zephyl {

enum class StartupOutcome {
    kRun,                 ///< this is the only instance: go on and build the window
    kOtherInstance,       ///< another instance runs and was asked to come forward
    kQuitSent,            ///< `--quit`: the running instance was asked to exit
    kQuitNothingRunning,  ///< `--quit` with no instance running
};

struct StartupResult {
    StartupOutcome outcome = StartupOutcome::kRun;
    StartupConfig config;
    int languageId = 0;
    /// Held for the life of the process when the outcome is kRun.
    std::unique_ptr<SingleInstance> instance;
};

/// Everything that happens before the main window exists: config.xml, the single-instance rule,
/// logging, the language choice and the data folder. A second instance touches no folder.
/// Needs a QCoreApplication (or QApplication) for the local socket. Only the windowed program
/// starts this way: zephylctl runs beside it and reads the same settings without the lock.
StartupResult Startup(const std::string& resourceFolder, bool quitRequested);

}  // namespace zephyl
