// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/Startup.h"
#include "platform/SettingsStore.h"
#include "support/TempEnvironment.h"
#include "ui/desktop/CoreApplication.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <filesystem>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

constexpr const char* kConfig =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<config><device.info/>"
    "<language.info default_lan=\"1033\"><lan value=\"1033\"/><lan value=\"1049\"/></language.info>"
    "<software name=\"Startup Test\"/></config>";

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::CoreApplication();
        m_resources = m_environment.Root() / "resources";
        test::WriteFile(m_resources / "config.xml", kConfig);
        test::WriteFile(m_resources / "language" / "1033.lan", "[KB.DIALOG]\n1=One\n");
        test::WriteFile(m_resources / "language" / "1049.lan", "[KB.DIALOG]\n1=Один\n");
        m_environment.SetVariable("LANGUAGE", std::nullopt);
        m_environment.SetVariable("LC_ALL", std::nullopt);
        m_environment.SetVariable("LC_MESSAGES", std::nullopt);
        m_environment.SetVariable("LANG", "ru_RU.UTF-8");
    }

    std::string Resources() const { return m_resources.string() + "/"; }
    fs::path DataFolderPath() const { return m_environment.DataHome() / "Startup Test Files"; }

    test::TempEnvironment m_environment;
    fs::path m_resources;
};

TEST_F(StartupTest, FirstStartPreparesFoldersAndLanguage) {
    // Left from an earlier run: edit is scratch space, db and default_led are the user's.
    test::WriteFile(DataFolderPath() / "edit" / "old" / "frame.png", "x");
    test::WriteFile(DataFolderPath() / "db" / "K_datav2.db", "profiles");
    test::WriteFile(DataFolderPath() / "default_led" / "K" / "1.png", "slot");

    auto result = Startup(Resources(), false);
    ASSERT_EQ(result.outcome, StartupOutcome::kRun);
    EXPECT_EQ(SoftwareName(), "Startup Test");
    EXPECT_EQ(result.languageId, 1049);
    EXPECT_EQ(CurrentLanguageId(), 1049);
    EXPECT_EQ(SettingsStore("Startup Test").ReadInt("LCID"), 1049);

    EXPECT_TRUE(fs::is_directory(DataFolderPath() / "edit"));
    EXPECT_TRUE(fs::is_empty(DataFolderPath() / "edit"));
    EXPECT_EQ(test::ReadFile(DataFolderPath() / "db" / "K_datav2.db"), "profiles");
    EXPECT_EQ(test::ReadFile(DataFolderPath() / "default_led" / "K" / "1.png"), "slot");
}

TEST_F(StartupTest, SecondStartSignalsTheFirstAndTouchesNothing) {
    auto first = Startup(Resources(), false);
    ASSERT_EQ(first.outcome, StartupOutcome::kRun);
    QStringList received;
    QObject::connect(first.instance.get(), &SingleInstance::MessageReceived,
                     [&received](const QString& message) { received << message; });
    test::WriteFile(DataFolderPath() / "edit" / "work.png", "in progress");

    auto second = Startup(Resources(), false);
    EXPECT_EQ(second.outcome, StartupOutcome::kOtherInstance);
    EXPECT_EQ(second.instance, nullptr);
    EXPECT_EQ(test::ReadFile(DataFolderPath() / "edit" / "work.png"), "in progress");

    auto quit = Startup(Resources(), true);
    EXPECT_EQ(quit.outcome, StartupOutcome::kQuitSent);
    for (int i = 0; i < 100 && received.size() < 2; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(received, QStringList({"show", "exit 610"}));
}

TEST_F(StartupTest, QuitWithNothingRunningSaysSo) {
    auto result = Startup(Resources(), true);
    EXPECT_EQ(result.outcome, StartupOutcome::kQuitNothingRunning);
    EXPECT_FALSE(fs::exists(DataFolderPath() / "edit")) << "--quit prepares no folders";
}

TEST_F(StartupTest, LanguageWithoutFileRunsInEnglishButKeepsTheStoredChoice) {
    SettingsStore store("Startup Test");
    test::WriteFile(store.Path(), "[SOFTWARE]\nLCID=1049\n");
    fs::remove(m_resources / "language" / "1049.lan");
    auto result = Startup(Resources(), false);
    EXPECT_EQ(result.languageId, 1033);
    EXPECT_EQ(store.ReadInt("LCID"), 1049);
}

#ifdef ZEPHYL_HAVE_GUI_PROGRAM
// The real program: a second start exits with 0 at once, `--quit` ends the first.
TEST_F(StartupTest, ProgramStartedTwiceKeepsOneWindow) {
    const QString program = QString(ZEPHYL_RUNTIME_DIR) + "/zephyl-keyboard-driver";
    QProcessEnvironment processEnvironment = QProcessEnvironment::systemEnvironment();
    processEnvironment.insert("QT_QPA_PLATFORM", "offscreen");
    processEnvironment.insert("ZEPHYL_RESOURCE_DIR", QString::fromStdString(Resources()));

    QProcess first;
    first.setProcessEnvironment(processEnvironment);
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    // The first instance holds the lock once its socket exists.
    const fs::path socket = m_environment.RuntimeDir() / "Startup Test.socket";
    for (int i = 0; i < 200 && !fs::exists(socket); ++i) {
        QThread::msleep(50);
    }
    ASSERT_TRUE(fs::exists(socket));

    QProcess second;
    second.setProcessEnvironment(processEnvironment);
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    QProcess quit;
    quit.setProcessEnvironment(processEnvironment);
    quit.start(program, {"--quit"});
    ASSERT_TRUE(quit.waitForFinished(10000));
    EXPECT_EQ(quit.exitCode(), 0);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
}

// The damaged-database message opens while the window is being made, before the program's
// main event loop runs: `--quit` must end the program from inside it all the same.
TEST_F(StartupTest, QuitEndsTheProgramWhileItShowsTheDamagedDatabaseMessage) {
    const QString program = QString(ZEPHYL_RUNTIME_DIR) + "/zephyl-keyboard-driver";
    QProcessEnvironment processEnvironment = QProcessEnvironment::systemEnvironment();
    processEnvironment.insert("QT_QPA_PLATFORM", "offscreen");
    processEnvironment.remove("ZEPHYL_RESOURCE_DIR");
    processEnvironment.remove("ZEPHYL_VIRTUAL_STATE");
    processEnvironment.insert("ZEPHYL_LOG", "1");  // the damaged database is said on stderr
    const QStringList keyboard = {"--virtual-keyboard=101:0"};
    const auto quit = [&] {
        QProcess sender;
        sender.setProcessEnvironment(processEnvironment);
        sender.start(program, {"--quit"});
        return sender.waitForFinished(10000) && sender.exitCode() == 0;
    };

    // A first run selects the keyboard and creates its database.
    fs::path database;
    {
        QProcess first;
        first.setProcessEnvironment(processEnvironment);
        first.start(program, keyboard);
        ASSERT_TRUE(first.waitForStarted(10000));
        for (int i = 0; i < 200 && database.empty(); ++i) {
            QThread::msleep(50);
            std::error_code error;
            for (const auto& entry :
                 fs::recursive_directory_iterator(m_environment.DataHome(), error)) {
                if (entry.path().extension() == ".db") {
                    database = entry.path();
                }
            }
        }
        ASSERT_FALSE(database.empty());
        ASSERT_TRUE(quit());
        ASSERT_TRUE(first.waitForFinished(10000));
    }

    test::WriteFile(database, std::string(4096, '\x5a'));
    QProcess damaged;
    damaged.setProcessEnvironment(processEnvironment);
    damaged.start(program, keyboard);
    ASSERT_TRUE(damaged.waitForStarted(10000));
    QByteArray errors;
    for (int i = 0; i < 200 && !errors.contains("cannot open the profile database"); ++i) {
        damaged.waitForReadyRead(50);
        errors += damaged.readAllStandardError();
    }
    ASSERT_TRUE(errors.contains("cannot open the profile database")) << errors.toStdString();
    const fs::path socket = m_environment.RuntimeDir() / "Zephyl Keyboard Driver.socket";
    for (int i = 0; i < 200 && !fs::exists(socket); ++i) {
        QThread::msleep(50);
    }
    EXPECT_TRUE(quit());
    EXPECT_TRUE(damaged.waitForFinished(10000)) << "still running after --quit";
}
#endif

}  // namespace
}  // namespace zephyl
