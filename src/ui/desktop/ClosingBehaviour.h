// SPDX-License-Identifier: GPL-2.0-or-later
// What the close button, the tray menu and the exit request do.
//
//   CloseActionFor(exitMode, inTray)   0 -> kAsk, 1 -> kHideToTray (kMinimize when no
//                                      notification area shows the icon), else kExit
//   OnClose(store, ask, inTray)        the close button: reads `exit_mode`; on 0 calls ask()
//                                      (which runs the question and returns the answer, 0 when
//                                      dismissed) and decides again; never returns kAsk
//   OnClose(store, mainWindow, tray)   the same with CloseWindowTipDlg over the main window
//   PerformCloseAction(action, mainWindow, tray)   hides or minimises the window, or EndProgram
//   OnClosingBehaviourCommand(mainWindow, store)   tray command 200: runs the question, returns
//                                      the stored `exit_mode` afterwards
//   CloseButtonTooltipText(exitMode)   172 when it is 2, else 171
//   EndProgram(tray)                   removes the tray icon and leaves the event loop with 0
//   OnExitRequest(value, tray)         the exit request: EndProgram when value is 610
#pragma once

#include <cstdint>
#include <functional>

namespace zephyl {

namespace glint {
class MWindow;
}

class SettingsStore;
class TrayIcon;

enum class CloseAction { kAsk, kHideToTray, kMinimize, kExit };

/// The value an exit request carries.
inline constexpr std::intptr_t kExitRequestValue = 610;
inline constexpr int kTextCloseToTray = 171;
inline constexpr int kTextCloseExits = 172;

CloseAction CloseActionFor(int exitMode, bool inTray);
CloseAction OnClose(const SettingsStore& store, const std::function<int()>& ask, bool inTray);
CloseAction OnClose(const SettingsStore& store, glint::MWindow* mainWindow, TrayIcon* tray);
void PerformCloseAction(CloseAction action, glint::MWindow* mainWindow, TrayIcon* tray);
int OnClosingBehaviourCommand(glint::MWindow* mainWindow, const SettingsStore& store);
int CloseButtonTooltipText(int exitMode);
void EndProgram(TrayIcon* tray);
bool OnExitRequest(std::intptr_t value, TrayIcon* tray);

}  // namespace zephyl
