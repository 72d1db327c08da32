// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/ClosingBehaviour.h"

#include "glint/MWindow.h"
#include "platform/SettingsStore.h"
#include "ui/desktop/TrayIcon.h"
#include "ui/dialogs/CloseWindowTipDlg.h"

#include <QCoreApplication>

namespace zephyl {

CloseAction CloseActionFor(int exitMode, bool inTray) {
    switch (exitMode) {
        case kExitModeAsk:
            return CloseAction::kAsk;
        case kExitModeToTray:
            // Hidden without an icon to click, the window could only come back by starting the
            // program again; a desktop without a notification area gets it minimised instead.
            return inTray ? CloseAction::kHideToTray : CloseAction::kMinimize;
        default:
            return CloseAction::kExit;
    }
}

CloseAction OnClose(const SettingsStore& store, const std::function<int()>& ask, bool inTray) {
    int mode = store.ReadInt(kExitModeValue);
    if (mode == kExitModeAsk) {
        const int answer = ask ? ask() : kExitModeAsk;
        mode = store.ReadInt(kExitModeValue);
        if (mode == kExitModeAsk) {
            // The answer could not be stored: it still decides this close. A dismissed
            // question leaves 0, which exits.
            mode = answer;
        }
    }
    const CloseAction action = CloseActionFor(mode, inTray);
    return action == CloseAction::kAsk ? CloseAction::kExit : action;
}

CloseAction OnClose(const SettingsStore& store, glint::MWindow* mainWindow, TrayIcon* tray) {
    const bool inTray = tray != nullptr && tray->InTray();
    const auto ask = [mainWindow, &store, inTray] {
        int chosen = kExitModeAsk;
        CloseWindowTipDlg::Run(mainWindow, store, &chosen, inTray);
        return chosen;
    };
    return OnClose(store, ask, inTray);
}

void PerformCloseAction(CloseAction action, glint::MWindow* mainWindow, TrayIcon* tray) {
    switch (action) {
        case CloseAction::kHideToTray:
            if (mainWindow != nullptr) {
                mainWindow->ShowWindow(glint::kShowHide);
            }
            break;
        case CloseAction::kMinimize:
            if (mainWindow != nullptr) {
                mainWindow->ShowWindow(glint::kShowMinimize);
            }
            break;
        case CloseAction::kExit:
            EndProgram(tray);
            break;
        case CloseAction::kAsk:
            break;
    }
}

int OnClosingBehaviourCommand(glint::MWindow* mainWindow, const SettingsStore& store) {
    CloseWindowTipDlg::Run(mainWindow, store);
    return store.ReadInt(kExitModeValue);
}

int CloseButtonTooltipText(int exitMode) {
    return exitMode == kExitModeExit ? kTextCloseExits : kTextCloseToTray;
}

void EndProgram(TrayIcon* tray) {
    if (tray != nullptr) {
        tray->RemoveTrayIcon();
    }
    // Leaving the event loop, rather than ending the process where it stands, lets the program
    // stop the worker in its bounded time: a keyboard write is never cut half way.
    QCoreApplication::exit(0);
}

bool OnExitRequest(std::intptr_t value, TrayIcon* tray) {
    if (value != kExitRequestValue) {
        return false;
    }
    EndProgram(tray);
    return true;
}

}  // namespace zephyl
