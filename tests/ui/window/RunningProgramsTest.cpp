// SPDX-License-Identifier: GPL-2.0-or-later
// The key page's programs on an X display of the test's own (Xvfb): the programs offered are
// those of the windows open when the page is shown or the list is opened, never the driver's
// own; the line over them names the profile in force, however it was chosen.
#include "WindowTestSupport.h"

#include "text/LanguageText.h"
#include "ui/window/KeyPage.h"

// Xlib after GoogleTest and Qt: its macros (None, Bool) would break their headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace zephyl::window::test {
namespace {

using namespace std::chrono_literals;

class RunningProgramsTest : public WindowTest {
protected:
    void SetUp() override {
        if (access("/usr/bin/Xvfb", X_OK) != 0) {
            GTEST_SKIP() << "no Xvfb to run a test display (make deps)";
        }
        const int number = 300 + static_cast<int>(getpid() % 300);
        const std::string name = ":" + std::to_string(number);
        m_server = fork();
        if (m_server == 0) {
            execl("/usr/bin/Xvfb", "Xvfb", name.c_str(), "-screen", "0", "640x480x24", "-nolisten",
                  "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(50ms);
        }
        m_environment.SetVariable("DISPLAY", name);
        m_environment.SetVariable("WAYLAND_DISPLAY", std::nullopt);
        m_environment.SetVariable("XDG_SESSION_TYPE", "x11");
        for (int i = 0; i < 50 && !m_display; ++i) {
            m_display = XOpenDisplay(name.c_str());
            if (!m_display) {
                std::this_thread::sleep_for(50ms);
            }
        }
        ASSERT_NE(m_display, nullptr);
    }

    void TearDown() override {
        WindowTest::TearDown();
        if (m_display) {
            XCloseDisplay(m_display);
        }
        if (m_server > 0) {
            kill(m_server, SIGTERM);
            waitpid(m_server, nullptr, 0);
        }
    }

    /// A top-level window of class `windowClass`, owned by process `pid` (0: none named).
    void OpenWindow(const char* windowClass, unsigned long pid) {
        const Window window =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 40, 30, 0, 0, 0);
        XClassHint hint{const_cast<char*>(windowClass), const_cast<char*>(windowClass)};
        XSetClassHint(m_display, window, &hint);
        if (pid != 0) {
            XChangeProperty(m_display, window, XInternAtom(m_display, "_NET_WM_PID", False),
                            XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&pid), 1);
        }
        XMapWindow(m_display, window);
        XSync(m_display, False);
    }

    QStringList Offered() {
        QStringList names;
        auto* choice = Control<glint::MComboBox>(KeyPage::kAppChoice);
        for (int i = 0; i < choice->GetItemCount(); ++i) {
            names << choice->GetItemText(i);
        }
        return names;
    }

    Display* m_display = nullptr;
    pid_t m_server = -1;
};

TEST_F(RunningProgramsTest, ProgramsOpenedLaterAreOfferedAndTheDriverNever) {
    // The driver's own window, and a program's.
    OpenWindow("ZephylOwnWindow", static_cast<unsigned long>(getpid()));
    OpenWindow("Alpha", 0);
    Start("101:0");
    Connect();
    m_window->OnMessage(49, glint::kEventClick, kTabKeys);
    Drain();
    EXPECT_TRUE(Offered().contains(QStringLiteral("Alpha"))) << Offered().join(',').toStdString();
    EXPECT_FALSE(Offered().contains(QStringLiteral("ZephylOwnWindow")))
        << "the driver is not a program to bind";
    EXPECT_FALSE(Offered().contains(QStringLiteral("test_window")));

    // A program started meanwhile is offered when the page is shown again...
    OpenWindow("Beta", 0);
    m_window->OnMessage(49, glint::kEventClick, kTabMacros);
    m_window->OnMessage(49, glint::kEventClick, kTabKeys);
    Drain();
    EXPECT_TRUE(Offered().contains(QStringLiteral("Beta"))) << Offered().join(',').toStdString();
    // ...and when the list is opened.
    OpenWindow("Gamma", 0);
    auto* choice = Control<glint::MComboBox>(KeyPage::kAppChoice);
    choice->ShowDropDown();
    Settle();
    choice->HideDropDown();
    EXPECT_TRUE(Offered().contains(QStringLiteral("Gamma"))) << Offered().join(',').toStdString();
}

TEST_F(RunningProgramsTest, TheCurrentProfileLineFollowsAProfileChosenByHand) {
    Start("101:0");
    Connect();
    m_window->OnMessage(49, glint::kEventClick, kTabKeys);
    Drain();
    auto* profiles = Control<glint::MListBox>(KeyPage::kProfiles);
    auto* line = Control<glint::MText>(KeyPage::kAppStatus);
    const auto lineFor = [](const QString& name) {
        return QString::fromStdString(LanguageText(994)).replace(QStringLiteral("%s"), name);
    };
    EXPECT_EQ(line->GetTitle(), lineFor(profiles->GetItemText(profiles->GetCurSel())));

    profiles->SetCurSel(1);
    m_window->OnMessage(KeyPage::kProfiles, glint::kEventClick, 1);
    Drain();
    EXPECT_EQ(line->GetTitle(), lineFor(profiles->GetItemText(1)));

    // A rename shows the new name.
    profiles->ModifyItemString(1, QStringLiteral("Gaming"));
    m_window->OnMessage(KeyPage::kProfiles, glint::kEventEditFinished, 0);
    EXPECT_EQ(line->GetTitle(), lineFor(QStringLiteral("Gaming")));
}

}  // namespace
}  // namespace zephyl::window::test
