// SPDX-License-Identifier: GPL-2.0-or-later
// The follower on an Xvfb server of the test's own, with two windows of different classes; the
// test plays the window manager and names the active window on the root. What the keyboard
// holds is read from the virtual keyboard's memory and report log.
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "appprofiles/AppBindings.h"
#include "appprofiles/AppProfileFollower.h"
#include "appprofiles/X11FocusSource.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "keys/KeyCommands.h"
#include "platform/SettingsStore.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
// Xlib after GoogleTest: its macros (None, Bool) would break GoogleTest's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

namespace zephyl {
namespace {

using namespace std::chrono_literals;

class FollowerXvfbTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access("/usr/bin/Xvfb", X_OK) != 0) {
            GTEST_SKIP() << "no Xvfb to run a test display (make deps)";
        }
        const int number = 600 + static_cast<int>(getpid() % 300);
        m_displayName = ":" + std::to_string(number);
        m_pid = fork();
        if (m_pid == 0) {
            execl("/usr/bin/Xvfb", "Xvfb", m_displayName.c_str(), "-screen", "0", "640x480x24",
                  "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(50ms);
        }
        m_environment.SetVariable("DISPLAY", m_displayName);
        m_environment.SetVariable("WAYLAND_DISPLAY", std::nullopt);
        m_environment.SetVariable("XDG_SESSION_TYPE", "x11");
        for (int i = 0; i < 50 && !m_display; ++i) {
            m_display = XOpenDisplay(m_displayName.c_str());
            if (!m_display) {
                std::this_thread::sleep_for(50ms);
            }
        }
        ASSERT_NE(m_display, nullptr);
        m_alpha = MakeWindow("alpha", "Alpha");
        m_beta = MakeWindow("beta", "Beta");
        StartKeyboard();
    }

    void TearDown() override {
        m_follower.reset();
        if (m_controller) {
            m_controller->Shutdown();
        }
        m_controller.reset();
        m_database.CloseDatabase();
        if (m_display) {
            XCloseDisplay(m_display);
        }
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    Window MakeWindow(const char* instance, const char* windowClass) {
        const Window window =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 40, 30, 0, 0, 0);
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(windowClass)};
        XSetClassHint(m_display, window, &hint);
        const unsigned long pid = static_cast<unsigned long>(getpid());
        XChangeProperty(m_display, window, XInternAtom(m_display, "_NET_WM_PID", False),
                        XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pid), 1);
        XMapWindow(m_display, window);
        XFlush(m_display);
        return window;
    }

    /// What a window manager does when the focus moves; 0 for no window.
    void Activate(Window window) {
        const unsigned long value = window;
        XChangeProperty(m_display, DefaultRootWindow(m_display),
                        XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
        XFlush(m_display);
    }

    void StartKeyboard() {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::string(ZEPHYL_RUNTIME_DIR));
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        m_logPath = (m_environment.Root() / "reports.jsonl").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", m_logPath);
        SetSoftwareName("Zephyl Keyboard Driver");
        m_devices = std::make_unique<DeviceManager>(HidLibrary::LoadVirtual("101:0"));
        ASSERT_TRUE(m_devices->Library().Loaded());
        m_controller = std::make_shared<KeyboardController>(
            *m_devices, m_database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
            std::string(ZEPHYL_RUNTIME_DIR) + "/", DataFolder());
        RegisterKeysFeature(*m_controller);
        m_controller->LoadDeviceDescriptions();
        m_controller->RunCommand(kCommandStart);
        Drain();
        ASSERT_TRUE(m_controller->Ready());
        std::vector<Profile> profiles;
        m_database.PrepareProfiles("Profile", profiles);
        ASSERT_GE(profiles.size(), 3u);
        // Each profile changes a different key, so every profile's table is told apart.
        for (int profile : {2, 3}) {
            KeyAssignment assignment;
            assignment.profile = profile;
            assignment.key_code = 2 + profile;
            assignment.macro_type = 2;
            assignment.macro_value = 5;
            ASSERT_GT(m_database.SaveKeyAssignment(assignment), 0);
        }
        for (int profile : {2, 3, 1}) {
            m_controller->SetCurrentProfile(profile);
            ASSERT_TRUE(m_controller->RunCommand(kCommandWriteKeyLayers).done);
            m_tables[profile] = BaseTable();
        }
        ASSERT_NE(m_tables[1], m_tables[2]);
        ASSERT_NE(m_tables[2], m_tables[3]);
        ASSERT_TRUE(m_database.MarkProfileActive(1));
    }

    void Follow() {
        m_follower = std::make_unique<AppProfileFollower>(*m_controller,
                                                          X11FocusSource::Open(m_displayName));
        m_follower->Start();
    }

    void Drain() {
        for (int i = 0; i < 32 && m_controller->QueueLength() > 0; ++i) {
            m_controller->Work();
        }
    }

    /// Runs the queue as the worker would until the keyboard holds `profile`'s table.
    bool KeyboardHolds(int profile) {
        for (int i = 0; i < 250; ++i) {
            Drain();
            if (BaseTable() == m_tables[profile] && m_controller->QueueLength() == 0) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    /// Runs the queue for a while: long enough for any pending focus to settle.
    void Settle() {
        for (int i = 0; i < 50; ++i) {
            Drain();
            std::this_thread::sleep_for(20ms);
        }
    }

    std::string BaseTable() {
        auto stateJson = reinterpret_cast<size_t (*)(char*, size_t)>(
            m_devices->Library().Symbol("zephyl_virtual_state_json"));
        std::string text(stateJson(nullptr, 0) + 1, '\0');
        stateJson(text.data(), text.size());
        std::smatch match;
        if (std::regex_search(text, match, std::regex("\"key_tables\": *\\[\"([0-9a-f]*)\""))) {
            return match[1];
        }
        return {};
    }

    /// Base-layer key tables sent so far.
    long TableWrites() {
        std::ifstream log(m_logPath);
        std::string line;
        long count = 0;
        while (std::getline(log, line)) {
            count += line.find("\"op\":\"set_feature\",\"hex\":\"000411") != std::string::npos;
        }
        return count;
    }

    test::TempEnvironment m_environment;
    std::string m_displayName;
    pid_t m_pid = -1;
    Display* m_display = nullptr;
    Window m_alpha = 0;
    Window m_beta = 0;
    std::string m_logPath;
    std::unique_ptr<DeviceManager> m_devices;
    ProfileDatabase m_database;
    std::shared_ptr<KeyboardController> m_controller;
    std::map<int, std::string> m_tables;
    std::unique_ptr<AppProfileFollower> m_follower;
};

TEST_F(FollowerXvfbTest, FocusSwitchesTheKeyTablesAndLeavingRestoresTheUsersProfile) {
    ASSERT_EQ(BindProgram(m_database, 2, "Alpha"), BindingChange::kDone);
    ASSERT_EQ(BindProgram(m_database, 3, "beta"), BindingChange::kDone);
    Follow();
    const long before = TableWrites();

    Activate(m_alpha);
    EXPECT_TRUE(KeyboardHolds(2));
    EXPECT_EQ(m_controller->CurrentProfile(), 2);
    EXPECT_EQ(m_database.GetActiveProfile(), 1) << "the user's choice stays stored";
    EXPECT_EQ(TableWrites(), before + 1);

    // Alt+Tab through both windows, ending on the second, the worker running meanwhile: one
    // write, of the last.
    for (Window window : {m_beta, m_alpha, m_beta}) {
        Activate(window);
        Drain();
        std::this_thread::sleep_for(80ms);
    }
    EXPECT_TRUE(KeyboardHolds(3));
    Settle();
    EXPECT_EQ(TableWrites(), before + 2);

    Activate(0);
    EXPECT_TRUE(KeyboardHolds(1));
    EXPECT_EQ(m_controller->CurrentProfile(), 1);
    EXPECT_EQ(TableWrites(), before + 3);
}

TEST_F(FollowerXvfbTest, WithoutBindingsNothingChangesOrIsWritten) {
    m_controller->SetCurrentProfile(3);
    Follow();
    const long before = TableWrites();
    for (Window window : {m_alpha, m_beta, Window(0), m_beta}) {
        Activate(window);
        std::this_thread::sleep_for(400ms);
    }
    Settle();
    EXPECT_EQ(TableWrites(), before);
    EXPECT_EQ(m_controller->CurrentProfile(), 3);
}

TEST_F(FollowerXvfbTest, TopLevelWindowsNameTheirPrograms) {
    const auto source = X11FocusSource::Open(m_displayName);
    ASSERT_NE(source, nullptr);
    const auto programs = source->TopLevelPrograms();
    // Longer than the kernel keeps of a process name: the whole name is read all the same.
    const std::string process = "test_appprofiles";
    for (const char* windowClass : {"Alpha", "Beta"}) {
        const auto found = std::find_if(programs.begin(), programs.end(), [&](const auto& p) {
            return p.windowClass == windowClass;
        });
        ASSERT_NE(found, programs.end()) << windowClass;
        EXPECT_EQ(found->process, process);
    }
    Activate(m_beta);
    bool changed = false;
    for (int i = 0; i < 100 && !changed; ++i) {
        changed = source->ActiveWindowChanged();
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(changed);
    EXPECT_EQ(source->ActiveProgram().instance, "beta");
}

}  // namespace
}  // namespace zephyl
