// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Commands.h"

#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "cli/CommandLine.h"
#include "cli/CustomLightCli.h"
#include "cli/KeysCli.h"
#include "cli/UpdateCli.h"
#include "cli/LightCli.h"
#include "cli/MusicCli.h"
#include "cli/ScreenCli.h"
#include "cli/SdkServerCli.h"
#include "cli/Output.h"
#include "device/DeviceManager.h"
#include "device/KeyboardSettings.h"
#include "platform/SettingsStore.h"
#include "protocol/StatusReports.h"
#include "store/ConfigValues.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <ostream>
#include <sstream>

namespace zephyl::cli {
namespace {

const char* ModeName(int mode) {
    switch (mode) {
        case kModeCable:
            return "cable";
        case kModeBluetooth:
            return "bluetooth";
        case kModeReceiver:
            return "receiver";
        default:
            return "none";
    }
}

/// Runs what the worker would have run by now: the queued commands, oldest first.
/// Runs what the operation queued; exit 1 with the reason when a write did not happen.
int DrainQueue(KeyboardController& controller, std::ostream& err) {
    const CommandOutcome outcome = controller.RunQueuedCommands();
    if (!outcome.done) {
        err << "zephylctl: " << Printable(outcome.failure) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

bool RequireReady(KeyboardController& controller, std::ostream& err) {
    if (!controller.Connected() || controller.ConnectionMode() == kModeNone) {
        err << "zephylctl: " << NoKeyboardReason(controller, "no keyboard connected") << "\n";
        return false;
    }
    if (!controller.Ready()) {
        err << "zephylctl: the keyboard does not answer (asleep or out of range)\n";
        return false;
    }
    return true;
}

struct ModelStatus {
    int deviceType = 0;
    std::string name;
    std::vector<int> connectedModes;
    int activeMode = kModeNone;
    std::string accessProblem;  ///< plugged in, but this user may not open it
    int battery = 0;
    int firmwareRelease = 0;
    std::string firmwareAvailable;
};

int Devices(const Invocation& invocation, KeyboardController& controller, std::ostream& out) {
    DeviceManager& devices = controller.Devices();
    const auto modes = controller.Modes();
    std::vector<ModelStatus> statuses;
    const int selected = controller.SelectedDeviceType();
    const std::vector<int> refused = controller.RefusedDeviceTypes();
    for (const auto& model : controller.Descriptions().models) {
        ModelStatus status;
        status.deviceType = model.deviceType;
        status.name = model.name;
        if (std::find(refused.begin(), refused.end(), model.deviceType) != refused.end()) {
            status.accessProblem = controller.AccessProblemOf(model.deviceType);
        }
        for (const auto& mode : modes) {
            if (mode.deviceType == model.deviceType && mode.connected) {
                status.connectedModes.push_back(mode.mode);
            }
        }
        if (!status.connectedModes.empty()) {
            devices.SetSelectedDeviceType(model.deviceType);
            status.activeMode = devices.CurrentConnectionMode();
            devices.FirmwareVersion(status.firmwareRelease);
            if (status.activeMode == kModeReceiver) {
                ReceiverFrame frame = BuildBatteryQuery();
                if (devices.Query(frame)) {
                    status.battery = BatteryLevelFromAnswer(frame).value_or(0);
                }
            }
        }
        statuses.push_back(status);
    }
    devices.SetSelectedDeviceType(selected);

    if (invocation.json) {
        out << "[";
        for (std::size_t i = 0; i < statuses.size(); ++i) {
            const auto& s = statuses[i];
            out << (i ? "," : "") << "{\"model\":" << s.deviceType
                << ",\"name\":" << JsonString(s.name)
                << ",\"selected\":" << (s.deviceType == selected ? "true" : "false")
                << ",\"connections\":[";
            for (std::size_t m = 0; m < s.connectedModes.size(); ++m) {
                out << (m ? "," : "") << JsonString(ModeName(s.connectedModes[m]));
            }
            out << "],\"active\":" << JsonString(ModeName(s.activeMode));
            out << ",\"battery\":" << (s.battery ? std::to_string(s.battery) : "null");
            out << ",\"firmware\":"
                << (s.firmwareRelease ? JsonString(FirmwareReleaseDigits(s.firmwareRelease))
                                      : "null");
            out << ",\"access_refused\":" << (s.accessProblem.empty() ? "false" : "true")
                << ",\"problem\":"
                << (s.accessProblem.empty() ? "null" : JsonString(s.accessProblem)) << "}";
        }
        out << "]\n";
        return kExitOk;
    }
    for (const auto& s : statuses) {
        out << (s.deviceType == selected ? "* " : "  ") << s.deviceType << "  " << s.name;
        if (!s.accessProblem.empty()) {
            out << "  plugged in, but this user may not open it\n    " << s.accessProblem << "\n";
            continue;
        }
        if (s.connectedModes.empty()) {
            out << "  not connected\n";
            continue;
        }
        out << "  connected by ";
        for (std::size_t m = 0; m < s.connectedModes.size(); ++m) {
            out << (m ? ", " : "") << ModeName(s.connectedModes[m]);
        }
        out << " (using " << ModeName(s.activeMode) << ")";
        if (s.battery) {
            out << ", battery " << s.battery << "%";
        }
        if (s.firmwareRelease) {
            out << ", firmware " << FirmwareReleaseDigits(s.firmwareRelease);
        }
        out << "\n";
    }
    return kExitOk;
}

const char* const kSettingKeys[] = {kConfigKeyResponseTime, kConfigSleepTime,
                                    kConfigFnSwitch,        kConfigDisableWin,
                                    kConfigDisableAltTab,   kConfigDisableAltF4};

void PrintSettings(const KeyboardSettings& settings, bool json, std::ostream& out) {
    const std::map<std::string, int> values = {{kConfigKeyResponseTime, settings.keyResponseTime},
                                               {kConfigSleepTime, settings.sleepTime},
                                               {kConfigFnSwitch, settings.fnSwitch},
                                               {kConfigDisableWin, settings.disableWin},
                                               {kConfigDisableAltTab, settings.disableAltTab},
                                               {kConfigDisableAltF4, settings.disableAltF4}};
    if (json) {
        out << "{";
        bool first = true;
        for (const char* key : kSettingKeys) {
            out << (first ? "" : ",") << JsonString(key) << ":" << values.at(key);
            first = false;
        }
        out << "}\n";
        return;
    }
    for (const char* key : kSettingKeys) {
        out << key << " " << values.at(key) << "\n";
    }
}

int Settings(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
             std::ostream& err) {
    const auto& words = invocation.words;
    const std::string action = words.size() > 1 ? words[1] : "show";
    if (action == "show" && words.size() <= 2) {
        PrintSettings(controller.ReadSettings(), invocation.json, out);
        return kExitOk;
    }
    if (action == "send" && words.size() == 2) {
        if (controller.Connected() && controller.ConnectionMode() == kModeBluetooth) {
            err << "zephylctl: settings cannot be sent over Bluetooth; connect the cable or the "
                   "receiver\n";
            return kExitFailed;
        }
        if (!RequireReady(controller, err)) {
            return kExitFailed;
        }
        if (!controller.SendSettings()) {
            err << "zephylctl: the keyboard did not take the settings\n";
            return kExitFailed;
        }
        return kExitOk;
    }
    if (action == "set" && words.size() == 4) {
        const std::string& key = words[2];
        bool known = false;
        for (const char* name : kSettingKeys) {
            known = known || key == name;
        }
        if (!known) {
            err << "zephylctl: unknown setting: " << Printable(key)
                << " (see zephylctl settings --help)\n";
            return kExitUsage;
        }
        // A number too large for an int is out of range, never cut to a small valid one.
        const auto value = ParseWholeNumber(words[3], INT_MIN, INT_MAX);
        if (!value || !controller.StoreSetting(key, *value)) {
            err << "zephylctl: value out of range for " << Printable(key) << ": "
                << Printable(words[3]) << " (see zephylctl settings --help)\n";
            return kExitUsage;
        }
        if (controller.Connected() && controller.ConnectionMode() == kModeBluetooth) {
            err << "zephylctl: stored; settings are not sent over Bluetooth\n";
            return kExitFailed;
        }
        if (!controller.Connected() || !controller.Ready() ||
            controller.ConnectionMode() == kModeNone) {
            err << "zephylctl: "
                << NoKeyboardReason(controller,
                                    "stored, but no keyboard is ready to take it; it is sent "
                                    "with the next change",
                                    true)
                << "\n";
            return kExitFailed;
        }
        if (!controller.SendSettings()) {
            err << "zephylctl: stored, but the keyboard did not take the settings\n";
            return kExitFailed;
        }
        return kExitOk;
    }
    err << "zephylctl: usage: zephylctl settings show | set KEY VALUE | send\n";
    return kExitUsage;
}

}  // namespace

std::string NoKeyboardReason(const KeyboardController& controller, const std::string& fallback,
                             bool stored) {
    const std::string problem = controller.Connected() ? std::string() : controller.AccessProblem();
    if (problem.empty()) {
        return fallback;
    }
    return stored ? "stored, but not sent: " + problem : problem;
}

int RunCommand(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
               std::ostream& err) {
    const std::string command = invocation.words.empty() ? "" : invocation.words[0];
    if (command == "devices") {
        return Devices(invocation, controller, out);
    }
    if (command == "settings") {
        return Settings(invocation, controller, out, err);
    }
    if (command == "profiles") {
        return RunProfiles(invocation, controller, out, err);
    }
    if (command == "keys") {
        if (invocation.layer && *invocation.layer > 1) {
            err << "zephylctl: --layer of the keys commands is 0 (base) or 1 (Fn)\n";
            return kExitUsage;
        }
        return RunKeys(invocation, controller, out, err);
    }
    if (command == "macros") {
        return RunMacros(invocation, controller, out, err);
    }
    if (command == "customlight") {
        return RunCustomLight(invocation, controller, out, err);
    }
    if (command == "music") {
        return RunMusic(invocation, controller, out, err);
    }
    if (command == "light") {
        return RunLight(invocation, controller, out, err);
    }
    if (command == "userlight") {
        return RunUserLight(invocation, controller, out, err);
    }
    if (command == "screen") {
        return RunScreen(invocation, controller, out, err);
    }
    if (command == "sdk-server") {
        return RunSdkServer(invocation, controller, out, err);
    }
    if (command == "update") {
        return RunUpdate(invocation, controller, out, err);
    }
    if (command == "firmware") {
        return RunFirmware(invocation, controller, out, err);
    }
    if (command == "reset-keys") {
        if (!RequireReady(controller, err)) {
            return kExitFailed;
        }
        controller.ResetKeyAssignments();
        return DrainQueue(controller, err);
    }
    if (command == "restore-defaults") {
        if (!RequireReady(controller, err)) {
            return kExitFailed;
        }
        const int defaultLanguage = controller.Descriptions().hasDefaultLanguage
                                        ? controller.Descriptions().defaultLanguage
                                        : kEnglishLanguageId;
        std::string problem;
        if (!controller.RestoreDefaults(defaultLanguage, &problem)) {
            err << "zephylctl: "
                << (problem.empty() ? std::string("no keyboard connected") : problem) << "\n";
            return kExitFailed;
        }
        return DrainQueue(controller, err);
    }
    err << "zephylctl: unknown command: " << command << " (see zephylctl --help)\n";
    return kExitUsage;
}

}  // namespace zephyl::cli
