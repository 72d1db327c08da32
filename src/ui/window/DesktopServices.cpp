// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/DesktopServices.h"

#include "keys/KeyCommands.h"
#include "ui/desktop/DesktopHostActions.h"
#include "ui/desktop/DesktopLauncher.h"

#include "app/KeyboardController.h"
#include "glint/Look.h"
#include "glint/MWindow.h"
#include "glint/MenuWnd.h"
#include "platform/Log.h"
#include "platform/SettingsStore.h"
#include "app/Autostart.h"
#include "ui/desktop/ClosingBehaviour.h"
#include "ui/desktop/TrayIcon.h"
#include "ui/dialogs/CUIMessageBox.h"
#include "ui/dialogs/WaitDialogs.h"
#include "ui/keydialog/CustomKeyDlg.h"
#include "text/LanguageText.h"

#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>

namespace zephyl::window {
namespace {

constexpr int kTextChooseProgram = 1091;

/// A page, file or program the user asked for did not open: never silently.
void TellOpenFailed(glint::MWindow* owner, const QString& message) {
    zephyl::ShowMessageBox(message, owner, QString::fromStdString(LanguageText(kCaptionSection, 1)),
                           kMessageOk);
}

}  // namespace

DesktopServices::DesktopServices(glint::MWindow* owner, std::shared_ptr<SettingsStore> settings,
                                 ProfileDatabase& database, KeyNameSource keyNames)
    : m_owner(owner),
      m_settings(std::move(settings)),
      m_database(database),
      m_keyNames(std::move(keyNames)),
      m_waits(std::make_unique<WaitDialogs>(owner)) {}

DesktopServices::~DesktopServices() {
    if (m_tray) {
        m_tray->RemoveTrayIcon();
    }
}

void DesktopServices::StartDesktop(KeyboardController& controller,
                                   std::function<void(int profile)> switchProfile,
                                   std::function<void()> closingChanged) {
    // Keys that ask the computer to act: run, open, paste, switch profile.
    InstallHostActions(controller, std::make_shared<DesktopHostActions>(
                                       m_owner, std::make_shared<SystemLauncher>(m_owner),
                                       switchProfile, [owner = m_owner](const QString& message) {
                                           TellOpenFailed(owner, message);
                                       }));
    m_tray = std::make_unique<TrayIcon>(m_owner);
    m_tray->SetRestoreHandler([owner = m_owner] {
        owner->ShowWindow(glint::kShowNormal);
        owner->raise();
        owner->activateWindow();
    });
    m_tray->SetCommandHandler([this, closingChanged](int command) {
        if (command == TrayIcon::kCommandExit) {
            EndProgram(m_tray.get());
        } else if (command == TrayIcon::kCommandClosingBehaviour) {
            OnClosingBehaviourCommand(m_owner, *m_settings);
            if (closingChanged) {
                closingChanged();
            }
        }
    });
    m_tray->AddTrayIcon();
}

int DesktopServices::ShowMessageBox(const QString& title, const QString& message, int kind) {
    return zephyl::ShowMessageBox(message, m_owner, title, kind);
}

void DesktopServices::OpenWaitDialog() {
    m_waits->ShowWaitDlg();
}

void DesktopServices::CloseWaitDialog() {
    m_waits->CloseWaitDlg();
    m_waits->CloseDownloadWaitDlg();
}

void DesktopServices::OpenDownloadDialog(std::function<void()> cancel) {
    m_waits->ShowDownloadWaitDlg(std::move(cancel));
}

void DesktopServices::SetDownloadProgress(int percent) {
    m_waits->SetDownloadProgress(percent);
}

void DesktopServices::CloseMainWindow() {
    PerformCloseAction(OnClose(*m_settings, m_owner, m_tray.get()), m_owner, m_tray.get());
}

void DesktopServices::Quit() {
    EndProgram(m_tray.get());
}

void DesktopServices::OpenAddress(const QString& address) {
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {address})) {
        Log(kLogWarning, "cannot open %s", address.toUtf8().constData());
        TellOpenFailed(m_owner, OpenFailedMessage(address));
    }
}

bool DesktopServices::AutostartEnabled() const {
    return IsAutostart();
}

void DesktopServices::SetAutostart(bool enabled) {
    zephyl::SetAutostart(enabled);
}

int DesktopServices::RunKeyAssignmentDialog(int keyCode, int profile, int layer) {
    CustomKeyDlg dialog(m_database, keyCode, profile, layer);
    dialog.SetKeyNames(m_keyNames);
    dialog.SetMessageFunction([this](int text, int caption) {
        ShowMessageBox(QString::fromStdString(LanguageText(caption)),
                       QString::fromStdString(LanguageText(text)), kMessageOk);
    });
    dialog.SetBrowseFunction([this] {
        return ChooseOpenFile(QString::fromStdString(LanguageText(kTextChooseProgram)), {})
            .toStdString();
    });
    return dialog.Run(m_owner);
}

int DesktopServices::TrackMenu(const std::vector<std::pair<int, QString>>& items) {
    glint::MenuWnd menu;
    for (const auto& [command, text] : items) {
        menu.AddMenuItem(command, text);
    }
    return menu.TrackPopupMenu(QCursor::pos(), m_owner);
}

QString FileDialogFolder(const QString& lastFolder) {
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir()) {
        return lastFolder;
    }
    return QDir::homePath();
}

void DesktopServices::RememberFolderOf(const QString& path, bool isFolder) {
    if (!path.isEmpty()) {
        m_lastFolder = isFolder ? path : QFileInfo(path).absolutePath();
    }
}

QStringList RunFileDialog(QWidget* owner, const QString& title, QFileDialog::FileMode mode,
                          QFileDialog::AcceptMode accept, const QString& start,
                          const QString& filter) {
    QFileDialog dialog(owner, title, start, filter);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    if (mode == QFileDialog::Directory) {
        dialog.setOption(QFileDialog::ShowDirsOnly);
    }
    if (accept == QFileDialog::AcceptSave && !QFileInfo(start).isDir()) {
        dialog.selectFile(start);
    }
    // The desktop's own chooser follows the desktop's theme; where the toolkit draws the
    // chooser itself, it takes the program's dark colours instead of a light default.
    dialog.setPalette(glint::look::DarkPalette());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString DesktopServices::ChooseOpenFile(const QString& title, const QString& filter) {
    const QStringList files =
        RunFileDialog(m_owner, title, QFileDialog::ExistingFile, QFileDialog::AcceptOpen,
                      FileDialogFolder(m_lastFolder), filter);
    const QString file = files.isEmpty() ? QString() : files.front();
    RememberFolderOf(file);
    return file;
}

std::vector<QString> DesktopServices::ChooseOpenFiles(const QString& title, const QString& filter) {
    const QStringList files =
        RunFileDialog(m_owner, title, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen,
                      FileDialogFolder(m_lastFolder), filter);
    if (!files.isEmpty()) {
        RememberFolderOf(files.front());
    }
    return {files.begin(), files.end()};
}

QString DesktopServices::ChooseSaveFile(const QString& title, const QString& suggestedName,
                                        const QString& filter) {
    const QString suggested = QFileInfo(suggestedName).isAbsolute()
                                  ? suggestedName
                                  : QDir(FileDialogFolder(m_lastFolder)).filePath(suggestedName);
    const QStringList files = RunFileDialog(m_owner, title, QFileDialog::AnyFile,
                                            QFileDialog::AcceptSave, suggested, filter);
    const QString file = files.isEmpty() ? QString() : files.front();
    RememberFolderOf(file);
    return file;
}

QString DesktopServices::ChooseFolder(const QString& title) {
    const QStringList folders =
        RunFileDialog(m_owner, title, QFileDialog::Directory, QFileDialog::AcceptOpen,
                      FileDialogFolder(m_lastFolder), {});
    const QString folder = folders.isEmpty() ? QString() : folders.front();
    RememberFolderOf(folder, true);
    return folder;
}

void DesktopServices::NotInThisBuild(const char* action) {
    std::lock_guard lock(m_reportedMutex);
    if (m_reported.insert(action).second) {
        Log(kLogInfo, "%s: not in this build yet", action);
    }
}

void DesktopServices::ShowTrayStatus(const QString& line) {
    if (m_tray) {
        m_tray->SetStatusLine(line);
    }
}

}  // namespace zephyl::window
