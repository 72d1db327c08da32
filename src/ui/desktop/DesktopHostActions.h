// SPDX-License-Identifier: GPL-2.0-or-later
// The keys' host actions on this desktop. The worker reports them; every call here only hands
// the work to the window thread and returns at once.
//
//   DesktopHostActions(context, launcher, switchProfile, tellUser)
//     context        an object of the window thread (the main window); it must outlive the
//                    worker's calls (the program stops the worker before its window goes);
//                    work still queued to it is dropped when it goes
//     launcher       SystemLauncher in the program, a recording one in tests
//     switchProfile  called on the window thread with the profile of a "switch profile" key
//     tellUser       called on the window thread with a sentence for the user when a page,
//                    file or program could not be opened (may be empty: then only logged)
//   OpenFailedMessage(target)   the sentence for a page or file xdg-open could not open
//   RunProgram(path)     an executable file (or a bare name found on PATH) is started in its own
//                        folder; any other existing file or folder is opened with xdg-open
//   OpenAddress(text)    xdg-open on the address, "http://" put in front when it has no scheme
//   PasteText(text)      the text goes on the clipboard; where keys can be synthesised, Ctrl+V
//                        follows (Ctrl down, V down, 100 ms, V up, Ctrl up) and the clipboard is
//                        emptied a moment later unless it changed meanwhile; elsewhere the text
//                        stays on the clipboard for the user to paste
//   SwitchProfile(id)    switchProfile(id)
//   InstallHostActions(controller, executor)   (keys/KeyCommands.h) lets the worker run them
#pragma once

#include "keys/HostActions.h"
#include "ui/desktop/DesktopLauncher.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace zephyl {

class KeyboardController;

class DesktopHostActions : public HostActionExecutor {
public:
    static constexpr int kKeyHoldMs = 100;
    /// The target reads the clipboard when it handles the paste; emptying it must wait that long.
    static constexpr int kClipboardKeepMs = 500;

    DesktopHostActions(QObject* context, std::shared_ptr<DesktopLauncher> launcher,
                       std::function<void(int profile)> switchProfile,
                       std::function<void(const QString& message)> tellUser = {});

    void RunProgram(const std::string& path) override;
    void OpenAddress(const std::string& address) override;
    void PasteText(const std::string& text) override;
    void SwitchProfile(int profile) override;

private:
    /// Queues `work` for the window thread.
    void Post(std::function<void()> work) const;

    QObject* m_context;
    std::shared_ptr<DesktopLauncher> m_launcher;
    std::function<void(int)> m_switchProfile;
    std::function<void(const QString&)> m_tellUser;
};

/// Language texts of the desktop's own messages.
enum DesktopText : int {
    kTextOpenFailed = 1101,         ///< "%s": the page or file that xdg-open could not open
    kTextProgramNotStarted = 1102,  ///< "%s": the program that could not be started
};

/// The text in the current language with `target` in place of "%s"; English when the language
/// file lacks it.
QString DesktopMessage(int textId, const QString& target);
inline QString OpenFailedMessage(const QString& target) {
    return DesktopMessage(kTextOpenFailed, target);
}

}  // namespace zephyl
