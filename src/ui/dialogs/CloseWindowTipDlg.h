// SPDX-License-Identifier: GPL-2.0-or-later
// The question what the close button should do from now on.
//
//   kExitModeValue ("exit_mode"), kExitModeAsk 0, kExitModeToTray 1, kExitModeExit 2
//   class CloseWindowTipDlg : glint::MDialog — window "CloseWindowTipDlg", 360 x 200
//     CloseWindowTipDlg(store, trayAvailable)   reads and writes `exit_mode` of that settings
//                                      store; without a notification area the first choice
//                                      says the window is minimised instead (text 962)
//     bool CreateDlg(owner)            makes the window centred over `owner`, not yet shown
//     static int Run(owner, store, chosenMode = nullptr, trayAvailable = true)
//                                      creates and runs it modally: 1 after confirm (33) has
//                                      stored "1" (choice 31) or "2" (choice 32); 2 dismissed.
//                                      *chosenMode: the answer (1 or 2), 0 when dismissed
//     int ChosenMode()                 the answer confirmed, 0 before
//   controls: 30 title (text 170), 31 and 32 radio choices of group "exit_mode" (texts 171,
//   172), 33 confirm (text 22).
#pragma once

#include "glint/MDialog.h"

namespace zephyl {

class SettingsStore;

/// The stored closing behaviour: absent or 0 asks, 1 hides to the tray, 2 exits.
inline constexpr const char* kExitModeValue = "exit_mode";
inline constexpr int kExitModeAsk = 0;
inline constexpr int kExitModeToTray = 1;
inline constexpr int kExitModeExit = 2;

class CloseWindowTipDlg : public glint::MDialog {
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 200;
    static constexpr int kTitleId = 30;
    static constexpr int kToTrayId = 31;
    static constexpr int kExitId = 32;
    static constexpr int kConfirmId = 33;

    explicit CloseWindowTipDlg(const SettingsStore& store, bool trayAvailable = true);

    bool CreateDlg(glint::MWindow* owner);
    static int Run(glint::MWindow* owner, const SettingsStore& store, int* chosenMode = nullptr,
                   bool trayAvailable = true);
    int ChosenMode() const { return m_chosenMode; }

protected:
    void InitUI(const QRect& rect) override;
    void UISize(const QRect& rect) override;
    bool OnInitDialog() override;
    int OnMessage(int id, int code, int value) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const SettingsStore& m_store;
    bool m_trayAvailable = true;
    int m_chosenMode = kExitModeAsk;
};

}  // namespace zephyl
