// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/KeyboardController.h"
#include "device/DeviceManager.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"
#include "ui/window/KeyboardDlg.h"
#include "ui/window/WindowServices.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zephyl::window::test {

/// The one application object of the test program (offscreen), made on first use.
QApplication& App();

/// Runs pending events and control updates until nothing is left.
void Settle();

/// Answers the window's questions as told and writes down what it asked of the desktop.
class FakeServices : public WindowServices {
public:
    void StartDesktop(KeyboardController&, std::function<void(int)> switchProfile,
                      std::function<void()>) override {
        switchProfileHandler = std::move(switchProfile);
        Add("desktop");
    }
    int ShowMessageBox(const QString& title, const QString& message, int kind) override;
    void OpenWaitDialog() override { Add("wait"); }
    void CloseWaitDialog() override { Add("close wait"); }
    void OpenDownloadDialog(std::function<void()> cancel) override;
    void SetDownloadProgress(int percent) override;
    void CloseMainWindow() override { Add("close window"); }
    void Quit() override { Add("quit"); }
    void OpenAddress(const QString& address) override { Add("open " + address.toStdString()); }
    bool AutostartEnabled() const override { return autostart; }
    void SetAutostart(bool enabled) override {
        autostart = enabled;
        Add(enabled ? "autostart on" : "autostart off");
    }
    int RunKeyAssignmentDialog(int keyCode, int profile, int layer) override {
        Add("key dialog " + std::to_string(keyCode) + " " + std::to_string(profile) + " " +
            std::to_string(layer));
        return keyDialog ? keyDialog(keyCode, profile, layer) : keyDialogResult;
    }
    int TrackMenu(const std::vector<std::pair<int, QString>>& items) override;
    QString ChooseOpenFile(const QString& title, const QString&) override {
        chooserTitles.push_back(title);
        return chosenFile;
    }
    QString ChooseSaveFile(const QString& title, const QString&, const QString&) override {
        chooserTitles.push_back(title);
        return chosenFile;
    }
    QString ChooseFolder(const QString& title) override {
        chooserTitles.push_back(title);
        return chosenFile;
    }
    void NotInThisBuild(const char* action) override { Add(std::string("later: ") + action); }

    std::vector<std::string> Calls();
    void Clear();

    std::deque<int> answers;  ///< message box answers in turn; OK when none is left
    int menuChoice = 0;
    int keyDialogResult = 2;
    /// Runs in place of the assignment dialog when set (the real dialog, driven by a test).
    std::function<int(int keyCode, int profile, int layer)> keyDialog;
    QString chosenFile;
    /// The titles of the file and folder choosers opened, in turn.
    std::vector<QString> chooserTitles;
    bool autostart = false;
    std::vector<std::pair<int, QString>> lastMenu;
    std::function<void(int)> switchProfileHandler;
    /// The Cancel of the open download dialog; empty when none was opened.
    std::function<void()> downloadCancel;
    /// Runs with each progress value of the download dialog (on the thread that set it).
    std::function<void(int percent)> onDownloadProgress;
    /// The progress values the download dialog was given, in turn.
    std::vector<int> DownloadProgress();

private:
    void Add(const std::string& call);
    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::vector<int> m_downloadProgress;
};

/// A main window over a controller on the virtual keyboard, in temporary folders. The worker
/// does not run: tests run its commands with Drain.
class WindowTest : public ::testing::Test {
protected:
    void TearDown() override;

    /// Builds the window for `scenario` of the virtual keyboard ("101:0", or JSON), in the
    /// language m_startLanguage. `resourceFolder` replaces the program's data (its config.xml)
    /// when given.
    void Start(const std::string& scenario, const std::string& resourceFolder = {});
    /// Ends the window and its controller as the program's exit does; the data folders stay
    /// for the next Start.
    void Stop();
    /// Runs the queued worker commands as the worker would, then the window's updates.
    void Drain();
    /// Connects: command 1 as at start-up.
    void Connect();

    template <class T>
    T* Control(int id) {
        return dynamic_cast<T*>(m_window->GetControl(id));
    }
    /// The virtual keyboard's memory as JSON.
    std::string KeyboardState();

    zephyl::test::TempEnvironment m_environment;
    int m_startLanguage = 1033;
    std::unique_ptr<DeviceManager> m_devices;
    ProfileDatabase m_database;
    std::shared_ptr<KeyboardController> m_controller;
    FakeServices* m_services = nullptr;
    std::unique_ptr<KeyboardDlg> m_window;
};

}  // namespace zephyl::window::test
