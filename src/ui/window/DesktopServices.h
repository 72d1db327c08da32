// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/KeyNames.h"
#include "ui/window/WindowServices.h"

#include <QFileDialog>
#include <QStringList>

#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace zephyl {
class ProfileDatabase;
class SettingsStore;
class TrayIcon;
class WaitDialogs;
}  // namespace zephyl

namespace zephyl::glint {
class MWindow;
}

namespace zephyl::window {

/// The desktop the main window runs on: the skinned dialogs, the tray icon, the browser, the
/// autostart entry and the end of the program.
/// Where a file dialog opens: the folder used last while it still exists, else the user's home
/// (never the program's own folder, where no user file belongs).
QString FileDialogFolder(const QString& lastFolder);

/// Runs a file chooser starting at `start` (a folder, or a suggested file to save) and returns
/// what the user chose, empty when cancelled. The desktop's own chooser where it has one, else
/// the toolkit's in the program's dark colours.
QStringList RunFileDialog(QWidget* owner, const QString& title, QFileDialog::FileMode mode,
                          QFileDialog::AcceptMode accept, const QString& start,
                          const QString& filter);

class DesktopServices : public WindowServices {
public:
    DesktopServices(glint::MWindow* owner, std::shared_ptr<SettingsStore> settings,
                    ProfileDatabase& database, KeyNameSource keyNames = EnglishKeyName);
    ~DesktopServices() override;

    void StartDesktop(KeyboardController& controller,
                      std::function<void(int profile)> switchProfile,
                      std::function<void()> closingChanged) override;
    int ShowMessageBox(const QString& title, const QString& message, int kind) override;
    void OpenWaitDialog() override;
    void CloseWaitDialog() override;
    void OpenDownloadDialog(std::function<void()> cancel) override;
    void SetDownloadProgress(int percent) override;
    void CloseMainWindow() override;
    void Quit() override;
    void OpenAddress(const QString& address) override;
    bool AutostartEnabled() const override;
    void SetAutostart(bool enabled) override;
    int RunKeyAssignmentDialog(int keyCode, int profile, int layer) override;
    int TrackMenu(const std::vector<std::pair<int, QString>>& items) override;
    QString ChooseOpenFile(const QString& title, const QString& filter) override;
    std::vector<QString> ChooseOpenFiles(const QString& title, const QString& filter) override;
    QString ChooseSaveFile(const QString& title, const QString& suggestedName,
                           const QString& filter) override;
    QString ChooseFolder(const QString& title) override;
    void NotInThisBuild(const char* action) override;
    void ShowTrayStatus(const QString& line) override;

private:
    /// Remembers the folder of what the user chose, for the next dialog.
    void RememberFolderOf(const QString& path, bool isFolder = false);

    glint::MWindow* m_owner;
    QString m_lastFolder;
    std::shared_ptr<SettingsStore> m_settings;
    ProfileDatabase& m_database;
    KeyNameSource m_keyNames;
    std::unique_ptr<WaitDialogs> m_waits;
    std::unique_ptr<TrayIcon> m_tray;

    std::mutex m_reportedMutex;
    std::set<std::string> m_reported;
};

}  // namespace zephyl::window
