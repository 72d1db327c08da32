// SPDX-License-Identifier: GPL-2.0-or-later
// The settings page: stored values, the settings block, the resets and the firmware hand-over.
#include "app/Autostart.h"
#include "app/CommandFailures.h"
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "app/SettingsFailures.h"
#include "device/DeviceManager.h"
#include "platform/ContainedPath.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "protocol/SettingsReports.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"

#include <chrono>
#include <spawn.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zephyl {
namespace {

struct SettingRange {
    const char* key;
    int minimum;
    int maximum;
};

constexpr SettingRange kSettingRanges[] = {
    {kConfigKeyResponseTime, 1, 5}, {kConfigSleepTime, 0, 3},     {kConfigFnSwitch, 0, 1},
    {kConfigDisableWin, 0, 1},      {kConfigDisableAltTab, 0, 1}, {kConfigDisableAltF4, 0, 1},
};

void Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace

KeyboardSettings KeyboardController::ReadSettings() {
    KeyboardSettings settings;
    settings.keyResponseTime = ReadConfigNumber(m_database, kConfigKeyResponseTime);
    settings.sleepTime = ReadConfigNumber(m_database, kConfigSleepTime);
    settings.fnSwitch = ReadConfigNumber(m_database, kConfigFnSwitch);
    settings.disableWin = ReadConfigFlag(m_database, kConfigDisableWin);
    settings.disableAltTab = ReadConfigFlag(m_database, kConfigDisableAltTab);
    settings.disableAltF4 = ReadConfigFlag(m_database, kConfigDisableAltF4);
    return settings;
}

bool KeyboardController::StoreSetting(const std::string& key, int value) {
    for (const auto& range : kSettingRanges) {
        if (key == range.key) {
            if (value < range.minimum || value > range.maximum) {
                return false;
            }
            return WriteConfigNumber(m_database, key, value);
        }
    }
    return false;
}

void KeyboardController::LoadSettingsPage() {
    const std::shared_ptr<const KeyboardLayout> layout = Layout();
    SettingsPageView page;
    page.settings = ReadSettings();
    page.fnArrangementVisible = layout->secondFnLayer;
    page.responseTimeVisible = layout->responseTimeSetting;
    page.sleepTimeVisible = layout->sleepTimeSetting;
    page.sideLightVisible = layout->HasCableFeature(kFeatureSideLight);
    WithView([&page](ControllerView& view) { view.ShowSettingsPage(page); });
}

bool KeyboardController::SendSettings() {
    const KeyboardSettings settings = ReadSettings();
    switch (m_connectionMode.load()) {
        case kModeCable:
            return m_devices.SendCableBlock(kDataSettings, kSettingsArgumentKeyboard,
                                            BuildSettingsBlock(settings));
        case kModeReceiver:
            return m_devices.SendReceiverFrame(BuildSettingsReceiverFrame(settings));
        default:
            return false;  // nothing goes over Bluetooth
    }
}

int KeyboardController::ResetKeyAssignments() {
    m_database.DeleteProfileAssignments(m_selection.CurrentProfile());
    // The key page shows the emptied profile; whose keys are current does not change.
    WithView([](ControllerView& view) { view.OnPageLoaded(kFeatureKeys); });
    switch (m_connectionMode.load()) {
        case kModeCable:
            PostCommand(kCommandWriteKeyLayers);
            return kCommandWriteKeyLayers;
        case kModeReceiver:
            PostCommand(kCommandResetKeysReceiver);
            return kCommandResetKeysReceiver;
        default:
            return 0;
    }
}

bool KeyboardController::RestoreDefaults(int defaultLanguage, std::string* problem) {
    // The program's own preferences come back whether or not a keyboard is there. When they
    // cannot be stored, nothing is reset: half a reset that reports itself done is worse than
    // none that says why.
    SettingsWriteResult stored = m_settingsStore->StoreValue("exit_mode", "0");
    if (stored.Ok()) {
        stored = m_settingsStore->StoreValue("LCID", std::to_string(defaultLanguage));
    }
    if (!stored.Ok()) {
        const std::string message =
            SettingsFailureMessage(kTextDefaultsNotRestored, {SettingsWriteMessage(stored)});
        Log(kLogWarning, "%s", message.c_str());
        if (problem != nullptr) {
            *problem = message;
        }
        return false;
    }
    SetCurrentLanguageId(defaultLanguage);
    SetAutostart(false);
    if (!m_connected.load()) {
        return false;
    }
    m_database.DeleteModelDatabase(m_dataFolder, Layout()->modelName);
    LoadLayoutFor(m_listSelection.load());
    std::vector<Profile> profiles;
    m_database.PrepareProfiles(DefaultProfileBaseName(), profiles);
    const ConnectionState state = ConnectionStateFor(m_connectionMode.load(), *Layout());
    WithView([&state](ControllerView& view) { view.ShowConnectionMode(state); });
    PostCommand(kCommandRestoreDefaults);
    return true;
}

void KeyboardController::RunRestoreDefaults() {
    const std::shared_ptr<const KeyboardLayout> shared = Layout();
    const KeyboardLayout& layout = *shared;
    if (layout.HasCableFeature(kFeatureScreen)) {
        // The screen's files go first: the screen page's load below finds an empty library and
        // imports the default animations and slot pictures anew. Deleted after the load, they
        // would take the pictures the load had just made.
        const std::string folder = SafeFileComponent(layout.modelName);
        DeleteTree(m_dataFolder + "led/" + folder);
        DeleteTree(m_dataFolder + "default_led/" + folder);
        m_database.DeleteAllScreenLayers();
        m_database.DeleteAllTftImages();
    }
    LoadFeaturePages();
    LoadSettingsPage();
    switch (m_connectionMode.load()) {
        case kModeCable:
            if (layout.HasCableFeature(kFeatureMacros)) {
                RunHandler(kCommandWriteMacros);
            }
            if (layout.HasCableFeature(kFeatureKeys)) {
                RunHandler(kCommandWriteKeyLayers);
            }
            if (layout.HasCableFeature(kFeatureUserLight)) {
                RunHandler(kCommandWriteUserLight);
            }
            if (layout.HasCableFeature(kFeatureLightModes)) {
                RunHandler(kCommandSendLightEffect);
            }
            if (layout.HasCableFeature(kFeatureSideLight)) {
                RunHandler(kCommandSendSideLight);
            }
            if (!SendSettings()) {
                FailCommand(FailureMessage(kTextKeyboardRefused));
            }
            break;
        case kModeReceiver: {
            if (!m_devices.SendReceiverFrame(BuildRestoreDefaultsFrame())) {
                FailCommand(FailureMessage(kTextKeyboardRefused));
            }
            if (layout.HasCableFeature(kFeatureLightModes)) {
                Pause(50);
                RunHandler(kCommandSendLightEffect);
            }
            if (layout.HasCableFeature(kFeatureSideLight)) {
                Pause(50);
                RunHandler(kCommandSendSideLight);
            }
            break;
        }
        default:
            break;
    }
}

KeyboardController::FirmwareUpdateResult KeyboardController::FirmwareUpdate() {
    const std::shared_ptr<const KeyboardLayout> shared = Layout();
    const KeyboardLayout& layout = *shared;
    int release = 0;
    m_devices.FirmwareVersion(release);
    if (!IsNewerFirmware(release, layout.firmwareVersion)) {
        return FirmwareUpdateResult::kNotNewer;
    }
    // The file name comes from a layout file: it may name only a program of the firmware
    // folder, wherever links inside it lead.
    std::string tool;
    switch (ResolveContainedFile(m_resourceFolder + "firmware", layout.firmwareFile, tool)) {
        case ContainedFile::kOutside:
            Log(kLogError, "the layout's firmware tool \"%s\" lies outside the firmware folder",
                layout.firmwareFile.c_str());
            return FirmwareUpdateResult::kToolOutside;
        case ContainedFile::kMissing:
            return FirmwareUpdateResult::kNoTool;
        case ContainedFile::kInside:
            break;
    }
    if (access(tool.c_str(), X_OK) != 0) {
        return FirmwareUpdateResult::kNoTool;
    }
    m_devices.CloseAll();
    pid_t process = 0;
    char* arguments[] = {const_cast<char*>(tool.c_str()), nullptr};
    if (posix_spawn(&process, tool.c_str(), nullptr, nullptr, arguments, environ) != 0) {
        Log(kLogError, "cannot start %s", tool.c_str());
        return FirmwareUpdateResult::kStartFailed;
    }
    WithView([](ControllerView& view) { view.SetUpdaterRunning(true); });
    m_externalProcess.store(process);
    return FirmwareUpdateResult::kStarted;
}

}  // namespace zephyl
