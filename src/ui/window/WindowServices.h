// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::window {

/// Message box kinds: one button, or a question with two.
inline constexpr int kMessageOk = 0;
inline constexpr int kMessageQuestion = 4;
/// Message box answers.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;

/// What the main window asks of the desktop and of its dialogs. The window only talks to this
/// interface, so the dialogs and the desktop integration can change without touching the pages,
/// and tests can answer questions and watch what was asked.
class WindowServices {
public:
    virtual ~WindowServices() = default;

    /// Puts the program on the desktop: the tray icon with its menu, and the computer-side
    /// actions of the keyboard's keys. `switchProfile` shows a profile that a key made current;
    /// `closingChanged` runs after the tray menu changed the closing behaviour.
    virtual void StartDesktop(KeyboardController& controller,
                              std::function<void(int profile)> switchProfile,
                              std::function<void()> closingChanged) = 0;

    /// The skinned message box over the main window; returns kAnswerOk or kAnswerCancel.
    virtual int ShowMessageBox(const QString& title, const QString& message, int kind) = 0;

    /// Opens the waiting dialog, closing one that is still open. Window thread.
    virtual void OpenWaitDialog() = 0;
    /// Closes the waiting dialog if one is open. Any thread, never waits.
    virtual void CloseWaitDialog() = 0;
    /// The waiting dialog of a download: its progress and a Cancel button that runs `cancel`.
    /// CloseWaitDialog closes it too. Window thread.
    virtual void OpenDownloadDialog(std::function<void()> cancel) = 0;
    /// The open download dialog's progress, 0..100. Any thread, never waits.
    virtual void SetDownloadProgress(int percent) = 0;

    /// The close button: asks, hides to the tray or ends the program as `exit_mode` says.
    virtual void CloseMainWindow() = 0;
    /// Ends the program at once with exit code 0, removing the tray icon.
    virtual void Quit() = 0;

    /// Opens a web address with the desktop's browser.
    virtual void OpenAddress(const QString& address) = 0;

    /// Whether the program starts with the desktop session.
    virtual bool AutostartEnabled() const = 0;
    virtual void SetAutostart(bool enabled) = 0;

    /// The key-assignment dialog for a key of (profile, layer); 1 when it stored an assignment.
    virtual int RunKeyAssignmentDialog(int keyCode, int profile, int layer) = 0;

    /// A context menu at the mouse; the chosen command, 0 when dismissed.
    virtual int TrackMenu(const std::vector<std::pair<int, QString>>& items) = 0;

    /// File choices; empty when the user cancelled. `title` says what is chosen.
    virtual QString ChooseOpenFile(const QString& title, const QString& filter) = 0;
    virtual QString ChooseSaveFile(const QString& title, const QString& suggestedName,
                                   const QString& filter) = 0;
    virtual QString ChooseFolder(const QString& title) = 0;
    /// Several files in the order the user chose them; one at most where the desktop's dialog
    /// offers a single choice.
    virtual std::vector<QString> ChooseOpenFiles(const QString& title, const QString& filter) {
        const QString file = ChooseOpenFile(title, filter);
        return file.isEmpty() ? std::vector<QString>{} : std::vector<QString>{file};
    }

    /// A user action whose feature is not part of this build yet: said once in the trace.
    virtual void NotInThisBuild(const char* action) = 0;

    /// A second line for the tray icon's tip (the profile a focused program made current);
    /// empty for none. Any thread.
    virtual void ShowTrayStatus(const QString& /*line*/) {}
};

}  // namespace zephyl::window
