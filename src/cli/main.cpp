// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl: the command-line front end on the program's core.
#include "app/CommandFailures.h"
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "core/Core.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "store/ProfileDatabase.h"
#include "store/SQLiteDB.h"
#include "text/LanguageText.h"

#include <iostream>
#include <memory>
#include <sstream>

namespace {

/// "%s": the settings file that is left alone.
constexpr int kTextSettingsFileRefused = 1003;

int Run(int argc, char** argv) {
    using namespace zephyl;
    std::string error;
    const auto invocation =
        cli::ParseInvocation(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!invocation) {
        std::cerr << "zephylctl: " << error << " (see zephylctl --help)\n";
        return cli::kExitUsage;
    }
    const std::string command = invocation->words.empty() ? "" : invocation->words[0];
    if (invocation->help) {
        std::cout << cli::HelpText(command);
        return cli::kExitOk;
    }
    if (command.empty()) {
        std::cerr << cli::HelpText("");
        return cli::kExitUsage;
    }

    LogSetup(kLogWarning, "zephylctl");
    if (invocation->virtualKeyboard) {
        HidLibrary::RequestVirtualKeyboard(invocation->scenario);
    }
    const std::string resources = ResourceFolder();
    const StartupConfig config = ReadConfig(resources + "config.xml");
    if (!config.loaded) {
        std::cerr << "zephylctl: cannot read " << resources << "config.xml\n";
        return cli::kExitFailed;
    }
    if (!config.softwareName.empty()) {
        SetSoftwareName(config.softwareName);
    }
    SetLanguageSet(config.languageSet);
    auto settingsStore = std::make_shared<SettingsStore>(SoftwareName());
    if (settingsStore->Refused()) {
        std::string message = LanguageText(kTextSettingsFileRefused);
        if (message.empty()) {
            message =
                "The settings file %s is not a regular file or is larger than 1 MB. It is "
                "left as it is; settings are neither read from it nor stored in it.";
        }
        message.replace(message.find("%s"), 2, settingsStore->Path());
        std::cerr << "zephylctl: " << message << "\n";
    }
    const int storedLanguage = settingsStore->ReadInt("LCID");
    SetCurrentLanguageId(config.languageSet.contains(storedLanguage) ? storedLanguage
                                                                     : kEnglishLanguageId);
    CreatePrivateDirectory(DataFolder());
    CreateDirectoryPath(DataFolder() + "db");

    auto controller = BuildCore(DeviceManager::Instance(), DatabaseInstance(), settingsStore,
                                resources, DataFolder());
    if (invocation->virtualKeyboard && !DeviceManager::Instance().Library().Loaded()) {
        // Without it every command would report a keyboard that is simply not plugged in.
        std::cerr
            << "zephylctl: the virtual keyboard (libzephyl-virtual-hid.so) cannot be loaded\n";
        return cli::kExitFailed;
    }
    if (DeviceManager::Instance().Library().ScenarioRefused()) {
        std::cerr << "zephylctl: the virtual keyboard does not know the scenario \""
                  << cli::Printable(invocation->scenario) << "\" (see zephylctl --help)\n";
        return cli::kExitUsage;
    }
    controller->SetKeyboardClockWhenPagesLoad(false);
    controller->LoadDeviceDescriptions();
    if (const std::string problem = DatabaseInstance().OpenProblem(); !problem.empty()) {
        std::cerr << "zephylctl: the profile database " << problem << "\n";
        return cli::kExitFailed;
    }
    if (invocation->model) {
        if (FindModelIndex(controller->Descriptions().models, *invocation->model) < 0) {
            std::cerr << "zephylctl: unknown keyboard model " << *invocation->model
                      << " (zephylctl devices lists them)\n";
            return cli::kExitFailed;
        }
        std::string problem;
        if (!controller->OnModelChosen(*invocation->model, &problem)) {
            // Nothing is run: a command that exits with a failure has done none of its work.
            std::cerr << "zephylctl: " << problem << "\n";
            return cli::kExitFailed;
        }
    } else {
        controller->PostCommand(kCommandStart);
    }
    for (int guard = 0; guard < 64 && controller->QueueLength() > 0; ++guard) {
        controller->Work();
    }
    // Errors are held back until the end: when the database was held by another program past
    // the busy timeout, whatever the command concluded from a failed read or write is beside
    // the point, and the one true reason is said instead.
    std::ostringstream errors;
    const int exitCode = cli::RunCommand(*invocation, *controller, std::cout, errors);
    if (SQLiteBusyFailures() > 0) {
        std::cerr << "zephylctl: " << FailureMessage(kTextDatabaseBusy) << "\n";
        return cli::kExitFailed;
    }
    std::cerr << errors.str();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    return Run(argc, argv);
}
