// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/ControllerView.h"
#include "ui/window/Page.h"

#include <atomic>
#include <memory>
#include <thread>

namespace zephyl {
struct KeyboardLayout;
struct SoftwareCheck;
class SdkServer;
class UpdateService;
}  // namespace zephyl

namespace zephyl::window {

/// The settings page: language, sleep and key response times, start with the system, the two
/// resets, the updates and the game-mode locks. Values are stored through the controller and
/// sent to the keyboard by worker command 12.
class SettingsPage : public Page {
public:
    static constexpr int kContainer = 57;
    enum Id : int {
        kPanelLeft = 289,
        kPanelRight = 302,
        kLanguageText = 290,
        kLanguage = 291,
        kSleepText = 295,
        kSleep = 296,
        kResponseText = 292,
        kResponse = 293,
        kResponseHelp = 294,
        kAutostart = 297,
        kResetKeys = 298,
        kRestoreDefaults = 299,
        kSoftwareUpdate = 300,
        kFirmwareUpdate = 301,
        kKeyboard = 306,
        kLockWin = 305,
        kLockAltF4 = 304,
        kLockAltTab = 303,
        kSdkServer = 1980,
        kSdkPortText = 1981,
        kSdkPort = 1982,
    };
    /// The program settings that keep the SDK server's choice.
    static constexpr const char* kSdkServerKey = "SdkServer";
    static constexpr const char* kSdkPortKey = "SdkServerPort";

    explicit SettingsPage(const PageContext& context);
    ~SettingsPage() override;

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void ApplyLanguageTexts() override;

    /// The stored values, as the controller read them. Any thread.
    void Show(const SettingsPageView& page);
    /// Controls that the model has or lacks. Any thread.
    void ApplyLayoutVisibility(const KeyboardLayout& layout);
    void ShowFirmwareButton(bool shown);
    /// The offer a few seconds after a keyboard was selected: shown only when the keyboard
    /// reports an older firmware than its layout names, and the update runs when accepted.
    void OfferFirmwareUpdate();

    glint::KeyboardCtrl* KeyView() const { return m_keyboard; }
    /// The SDK server the check box runs; null while it is off.
    SdkServer* RunningSdkServer() const { return m_sdkServer.get(); }

protected:
    void BuildControls() override;

private:
    void OnLanguageChosen();
    void OnChoiceStored(glint::MComboBox* combo, const char* key);
    void OnLockChanged(glint::CCheckButton* check, const char* key);
    void OnAutostart();
    void OnResetKeys();
    void OnRestoreDefaults();
    void OnFirmwareUpdate();
    /// Starts the firmware tool and tells the user when it cannot.
    void RunFirmwareUpdate();
    /// Asks the server for the newest version beside the window thread, under the wait dialog.
    int OnSoftwareUpdate();
    /// The answer of that check, on the window thread.
    void OnSoftwareChecked(const SoftwareCheck& check);
    /// Posts download command `command` with the download dialog showing its progress.
    void StartDownload(const std::shared_ptr<UpdateService>& updates, int command);
    /// The help of the response-time box for `value`.
    void ShowResponseHelp(int value);
    /// Starts or stops the SDK server as the check box says, on the port of the field. A port
    /// it cannot listen on clears the box, and is said when `tell` (not at start-up, before the
    /// window shows).
    void ApplySdkServer(bool tell);

    glint::MComboBox* m_language = nullptr;
    glint::MComboBox* m_sleep = nullptr;
    glint::MComboBox* m_response = nullptr;
    glint::MText* m_sleepText = nullptr;
    glint::MText* m_responseText = nullptr;
    glint::CHelpButton* m_help = nullptr;
    glint::CCheckButton* m_autostart = nullptr;
    glint::MButton* m_resetKeys = nullptr;
    glint::MButton* m_restore = nullptr;
    glint::UpgradeButton* m_softwareUpdate = nullptr;
    glint::UpgradeButton* m_firmwareUpdate = nullptr;
    glint::KeyboardCtrl* m_keyboard = nullptr;
    glint::CCheckButton* m_lockWin = nullptr;
    glint::CCheckButton* m_lockAltF4 = nullptr;
    glint::CCheckButton* m_lockAltTab = nullptr;
    glint::CCheckButton* m_sdkCheck = nullptr;
    glint::MEdit* m_sdkPort = nullptr;
    std::unique_ptr<SdkServer> m_sdkServer;
    bool m_checkingSoftware = false;
    /// The software check's thread, and what ends it when the page goes: a thread left in the
    /// transfer library while the program exits crashes as the library is torn down.
    std::thread m_softwareCheck;
    std::shared_ptr<std::atomic<bool>> m_stopChecks = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace zephyl::window
