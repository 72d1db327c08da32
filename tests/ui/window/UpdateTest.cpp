// SPDX-License-Identifier: GPL-2.0-or-later
// The settings page's software update through the window, against a loopback HTTPS server: the
// check beside the window thread, the download's progress and Cancel, and what the user is told.
#include "WindowTestSupport.h"

#include "app/WorkerCommand.h"
#include "text/LanguageText.h"
#include "ui/dialogs/UpdateTipDlg.h"
#include "ui/window/SettingsPage.h"
#include "update/TestServer.h"
#include "update/UpdateFeature.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>

namespace zephyl::window::test {
namespace {

namespace fs = std::filesystem;
using zephyl::test::TestServer;
using zephyl::test::WriteFile;

constexpr const char* kShippedUpgradeUrl = "https://zephyl.invalid/download/";

/// Bytes that do not compress, so the package takes many reads to arrive.
std::string Noise(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

class UpdateTest : public WindowTest {
protected:
    void SetUp() override {
        m_server = std::make_unique<TestServer>(m_environment.Root() / "server");
        if (!m_server->Ready()) {
            GTEST_SKIP() << m_server->Problem();
        }
        // The download trusts the server's own certificate as a trial run of the program would.
        m_environment.SetVariable(kTrialCaVariable, m_server->CaFile());
        Start("101:0", Resources(m_server->Base()));
        Connect();
        m_services->Clear();
    }

    /// The program's data with config.xml naming `upgradeUrl`.
    fs::path Resources(const std::string& upgradeUrl) {
        const fs::path shipped(ZEPHYL_RUNTIME_DIR);
        const fs::path folder = m_environment.Root() / "resources";
        fs::create_directories(folder);
        for (const auto& entry : fs::directory_iterator(shipped)) {
            if (entry.path().filename() != "config.xml") {
                fs::create_symlink(entry.path(), folder / entry.path().filename());
            }
        }
        std::string config = zephyl::test::ReadFile(shipped / "config.xml");
        const std::size_t at = config.find(kShippedUpgradeUrl);
        EXPECT_NE(at, std::string::npos);
        config.replace(at, std::string(kShippedUpgradeUrl).size(), upgradeUrl);
        WriteFile(folder / "config.xml", config);
        return folder;
    }

    void ServeManifest(const std::string& version) {
        WriteFile(m_server->Root() / kManifestName,
                  "<?xml version=\"1.0\"?>\n<latest version=\"" + version + "\"/>\n");
    }

    /// An application package whose installer is a script, and its digest (or a wrong one).
    void ServePackage(bool rightDigest) {
        const fs::path package = m_server->Root() / kApplicationPackage.packageName;
        ASSERT_TRUE(zephyl::test::WriteZip(
            package, {{kApplicationPackage.programName, "#!/bin/sh\nexit 0\n", 0100755},
                      {"filler.bin", Noise(1 << 20)}}));
        WriteFile(package.string() + kDigestSuffix, rightDigest
                                                        ? zephyl::test::Sha256Line(package)
                                                        : std::string(64, '0') + "  package\n");
    }

    /// Presses the software button; the check's answer arrives through the window's events.
    void PressSoftwareUpdate() {
        m_window->OnMessage(SettingsPage::kSoftwareUpdate, glint::kEventClick, 0);
    }

    /// Runs the window's events until a message box was shown (the check's answer).
    void WaitForMessage() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            for (const std::string& call : m_services->Calls()) {
                if (call.rfind("message ", 0) == 0) {
                    return;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << "no answer to the software check";
    }

    std::string Message(int kind, int title, const std::string& text) {
        return "message " + std::to_string(kind) + " " + LanguageText(title) + ": " + text;
    }

    std::vector<std::string> TempFolderEntries() {
        std::vector<std::string> names;
        const fs::path temp = UpdateServiceOf(*m_controller)->TempFolder();
        if (fs::exists(temp)) {
            for (const auto& entry : fs::recursive_directory_iterator(temp)) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    /// Keeps an accepted installer from starting when the test program ends.
    void CatchInstaller() {
        UpdateServiceOf(*m_controller)->SetInstallerHandOff([this](const std::string& program) {
            m_installer = program;
        });
    }

    std::unique_ptr<TestServer> m_server;
    std::string m_installer;
};

TEST_F(UpdateTest, TheSoftwareCheckRunsBesideTheWindowUnderTheWaitDialog) {
    struct Case {
        const char* name;
        const char* manifest;  ///< nullptr: the server has none
        int answerText;
    };
    const Case cases[] = {
        {"newer", "9.0.0", 945},
        {"same", "0.1.0", 175},
        {"older", "0.0.9", 175},
        {"missing", nullptr, 946},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(m_server->Root() / kManifestName);
        if (c.manifest != nullptr) {
            ServeManifest(c.manifest);
        }
        m_services->Clear();
        m_services->answers = {kAnswerCancel};
        PressSoftwareUpdate();
        // Nothing of the answer can come before the window runs its events again.
        EXPECT_EQ(m_services->Calls(), std::vector<std::string>{"wait"});
        WaitForMessage();
        std::string text = LanguageText(c.answerText);
        if (c.answerText == 945) {
            text.replace(text.find("%s"), 2, c.manifest);
        }
        EXPECT_EQ(m_services->Calls(),
                  (std::vector<std::string>{
                      "wait", "close wait",
                      Message(c.answerText == 945 ? kMessageQuestion : kMessageOk, 156, text)}));
        EXPECT_EQ(m_controller->QueueLength(), 0u);  // declined or nothing to install
        EXPECT_TRUE(TempFolderEntries().empty());
    }
    EXPECT_NE(m_server->RequestLog().find(std::string("/files/") + kManifestName),
              std::string::npos);
}

TEST_F(UpdateTest, AnAcceptedUpdateShowsTheDownloadAndHandsTheInstallerOver) {
    ServeManifest("9.0.0");
    ServePackage(true);
    PressSoftwareUpdate();
    WaitForMessage();
    const std::vector<std::string> asked = m_services->Calls();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[2].rfind("message 4 ", 0), 0u);
    EXPECT_EQ(asked[3], "download wait");
    EXPECT_EQ(m_controller->QueueLength(), 1u);
    CatchInstaller();
    m_services->Clear();
    Drain();

    EXPECT_EQ(m_services->Calls(), std::vector<std::string>{"close wait"});
    const std::vector<int> progress = m_services->DownloadProgress();
    ASSERT_GE(progress.size(), 6u);
    EXPECT_EQ((std::vector<int>(progress.begin(), progress.begin() + 4)),
              (std::vector<int>{0, 2, 8, 10}));
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    ASSERT_FALSE(m_installer.empty());
    EXPECT_TRUE(fs::is_regular_file(m_installer));
}

TEST_F(UpdateTest, AFailedOrCancelledDownloadSaysWhyAndLeavesNothing) {
    struct Case {
        const char* name;
        bool served;
        bool rightDigest;
        bool cancelAtTen;   ///< Cancel pressed once the transfer is under way
        bool cancelQueued;  ///< Cancel pressed while the command still waits
        int reason;
    };
    const Case cases[] = {
        {"wrong digest", true, false, false, false, 942},
        {"no package", false, false, false, false, 940},
        {"cancelled during the transfer", true, true, true, false, 947},
        {"cancelled before it began", true, true, false, true, 947},
    };
    ServeManifest("9.0.0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(m_server->Root() / kApplicationPackage.packageName);
        if (c.served) {
            ServePackage(c.rightDigest);
        }
        m_services->Clear();
        m_services->answers = {kAnswerOk};
        PressSoftwareUpdate();
        WaitForMessage();
        ASSERT_EQ(m_services->Calls().back(), "download wait");
        ASSERT_TRUE(m_services->downloadCancel);
        m_services->onDownloadProgress = [&](int percent) {
            if (c.cancelAtTen && percent == 10) {
                m_services->downloadCancel();
            }
        };
        if (c.cancelQueued) {
            m_services->downloadCancel();
        }
        CatchInstaller();
        m_services->Clear();
        const auto started = std::chrono::steady_clock::now();
        Drain();
        m_services->onDownloadProgress = nullptr;

        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
        EXPECT_EQ(m_services->Calls(),
                  (std::vector<std::string>{"close wait", "message 0 " +
                                                              LanguageText(kCaptionSection, 1) +
                                                              ": " + LanguageText(c.reason)}));
        EXPECT_TRUE(m_installer.empty());
        EXPECT_TRUE(TempFolderEntries().empty());
    }
}

/// The firmware button and the offer of timer 300, for a keyboard whose release is the layout's
/// firmware (106) or older. No firmware tool ships in the build, so a run says so.
class FirmwareOfferTest : public WindowTest {
protected:
    void StartWithRelease(const std::string& release) {
        Start(R"({"keyboards": [{"model": 101, "modes": [0], "release": ")" + release + R"("}]})");
        Connect();
        m_services->Clear();
    }

    /// Fires timer 300 as the window's timer would, answering an offer with `answer`; whether
    /// an offer was shown.
    bool FireOfferTimer(int answer) {
        struct TimerAccess : KeyboardDlg {
            using KeyboardDlg::OnTimer;
        };
        bool offered = false;
        QTimer::singleShot(200, [&] {
            if (auto* offer = dynamic_cast<UpdateTipDlg*>(QApplication::activeModalWidget())) {
                offered = true;
                // Pressed as the user would: "update" or "later".
                struct ButtonAccess : glint::MDialog {
                    using glint::MDialog::OnMessage;
                };
                (offer->*(&ButtonAccess::OnMessage))(
                    answer == 1 ? UpdateTipDlg::kUpdateId : UpdateTipDlg::kLaterId,
                    glint::kEventClick, 0);
            }
        });
        (m_window.get()->*(&TimerAccess::OnTimer))(300);
        // Lets the closing shot run when no offer took it.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
        while (std::chrono::steady_clock::now() < until) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return offered;
    }

    std::string Said(int text) {
        return "message 0 " + LanguageText(157) + ": " + LanguageText(text);
    }
};

TEST_F(FirmwareOfferTest, ACurrentFirmwareIsUpToDateAndNotOffered) {
    StartWithRelease("0x0106");
    m_window->OnMessage(SettingsPage::kFirmwareUpdate, glint::kEventClick, 0);
    EXPECT_EQ(m_services->Calls(), std::vector<std::string>{Said(175)});
    m_services->Clear();
    EXPECT_FALSE(FireOfferTimer(1));
    EXPECT_TRUE(m_services->Calls().empty());
}

TEST_F(FirmwareOfferTest, AnOlderFirmwareIsOfferedAndAnAcceptedOfferRunsTheTool) {
    StartWithRelease("0x0105");
    m_window->OnMessage(SettingsPage::kFirmwareUpdate, glint::kEventClick, 0);
    EXPECT_EQ(m_services->Calls(), std::vector<std::string>{Said(948)});
    m_services->Clear();
    EXPECT_TRUE(FireOfferTimer(2));  // later: nothing runs
    EXPECT_TRUE(m_services->Calls().empty());
    EXPECT_TRUE(FireOfferTimer(1));
    EXPECT_EQ(m_services->Calls(), std::vector<std::string>{Said(948)});
}

}  // namespace
}  // namespace zephyl::window::test
