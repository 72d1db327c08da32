// SPDX-License-Identifier: GPL-2.0-or-later
#include "../dialogs/DialogTestSupport.h"

#include "keys/AssignmentKinds.h"
#include "ui/desktop/DesktopHostActions.h"

#include <QDir>
#include <QStandardPaths>

#include <deque>
#include <filesystem>
#include <thread>

namespace zephyl::test {
namespace {

/// Records what the actions ask of the desktop; delayed steps wait until the test runs them.
class RecordingLauncher : public DesktopLauncher {
public:
    struct Start {
        QString program;
        QStringList arguments;
        QString folder;
        bool operator==(const Start&) const = default;
    };
    std::vector<Start> starts;
    std::vector<std::string> keys;
    std::vector<QString> clipboardWrites;
    QString clipboard = QStringLiteral("copied by the user");
    bool canSendKeys = true;
    bool startable = true;  ///< false: nothing starts, as without xdg-open
    std::deque<std::function<void()>> later;
    std::vector<std::thread::id> threads;

    bool StartProgram(const QString& program, const QStringList& arguments,
                      const QString& folder) override {
        threads.push_back(std::this_thread::get_id());
        starts.push_back({program, arguments, folder});
        return startable;
    }
    void SetClipboardText(const QString& text) override {
        threads.push_back(std::this_thread::get_id());
        clipboard = text;
        clipboardWrites.push_back(text);
    }
    QString ClipboardText() const override { return clipboard; }
    bool CanSendKeys() const override { return canSendKeys; }
    void SendKey(PasteKey key, bool down) override {
        keys.push_back(std::string(key == PasteKey::kControl ? "Ctrl" : "V") +
                       (down ? " down" : " up"));
    }
    void After(int, std::function<void()> step) override { later.push_back(std::move(step)); }

    /// Runs the delayed steps, including those they add.
    void RunLater() {
        while (!later.empty()) {
            auto step = std::move(later.front());
            later.pop_front();
            step();
        }
    }
};

class HostActionsTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        m_folder = QString::fromStdString((m_environment->Root() / "files").string());
        QDir().mkpath(m_folder);
    }

    /// A file of the test's own; executable when asked.
    QString MakeFile(const QString& name, bool executable) {
        const QString path = m_folder + QLatin1Char('/') + name;
        WriteFile(path.toStdString(), "#!/bin/sh\n");
        if (executable) {
            std::filesystem::permissions(path.toStdString(), std::filesystem::perms::owner_all);
        }
        return path;
    }

    std::shared_ptr<RecordingLauncher> m_launcher = std::make_shared<RecordingLauncher>();
    QObject m_context;
    std::vector<int> m_profiles;
    std::vector<QString> m_told;
    DesktopHostActions m_actions{&m_context, m_launcher,
                                 [this](int profile) { m_profiles.push_back(profile); },
                                 [this](const QString& message) { m_told.push_back(message); }};
    QString m_folder;
};

using Start = RecordingLauncher::Start;

TEST_F(HostActionsTest, ProgramsStartInTheirFolderAndOtherFilesOpenOnTheDesktop) {
    const QString program = MakeFile(QStringLiteral("tool"), true);
    const QString document = MakeFile(QStringLiteral("notes.txt"), false);
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sh"));
    ASSERT_FALSE(shell.isEmpty());
    const struct {
        const char* name;
        QString path;
        std::vector<Start> expected;
    } cases[] = {
        {"executable", program, {{program, {}, m_folder}}},
        {"document", document, {{QStringLiteral("xdg-open"), {document}, {}}}},
        {"folder", m_folder, {{QStringLiteral("xdg-open"), {m_folder}, {}}}},
        {"bare program name", QStringLiteral("sh"), {{shell, {}, QFileInfo(shell).absolutePath()}}},
        {"missing", m_folder + QStringLiteral("/gone"), {}},
        {"empty", QString(), {}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        m_launcher->starts.clear();
        m_actions.RunProgram(entry.path.toStdString());
        Settle();
        EXPECT_EQ(m_launcher->starts, entry.expected);
    }
}

TEST_F(HostActionsTest, AddressesOpenWithTheDesktopOpener) {
    const struct {
        const char* typed;
        std::vector<Start> expected;
    } cases[] = {
        {"example.com",
         {{QStringLiteral("xdg-open"), {QStringLiteral("http://www.example.com")}, {}}}},
        {"www.example.com/a?b=1",
         {{QStringLiteral("xdg-open"), {QStringLiteral("http://www.example.com/a?b=1")}, {}}}},
        {"https://example.org",
         {{QStringLiteral("xdg-open"), {QStringLiteral("https://example.org")}, {}}}},
        {"", {}},
        {"--help://www.", {}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.typed);
        m_launcher->starts.clear();
        // As the keyboard's report reaches it: the stored row's plan, then the desktop.
        const HostActionPlan plan = PlanHostAction(kKindOpenAddress, entry.typed, "");
        m_actions.OpenAddress(plan.text);
        Settle();
        EXPECT_EQ(m_launcher->starts, entry.expected);
    }
}

// Without xdg-open (a system without xdg-utils) nothing opens; the user is told which page or
// file did not and why, and a program that does not start is named too.
TEST_F(HostActionsTest, WhatCannotBeOpenedIsToldToTheUser) {
    const QString program = MakeFile(QStringLiteral("tool"), true);
    const QString document = MakeFile(QStringLiteral("notes.txt"), false);
    m_launcher->startable = false;
    m_actions.OpenAddress("example.com");
    m_actions.RunProgram(document.toStdString());
    m_actions.RunProgram(program.toStdString());
    Settle();
    ASSERT_EQ(m_told.size(), 3u);
    EXPECT_TRUE(m_told[0].startsWith(QStringLiteral("http://example.com could not be opened")))
        << m_told[0].toStdString();
    EXPECT_TRUE(m_told[0].contains(QStringLiteral("xdg-utils")));
    EXPECT_TRUE(m_told[1].startsWith(document + QStringLiteral(" could not be opened")));
    EXPECT_EQ(m_told[2],
              QStringLiteral("The program ") + program + QStringLiteral(" could not be started."));

    // What opened says nothing.
    m_told.clear();
    m_launcher->startable = true;
    m_actions.OpenAddress("example.com");
    m_actions.RunProgram(document.toStdString());
    Settle();
    EXPECT_TRUE(m_told.empty());
}

TEST_F(HostActionsTest, PasteTypesCtrlVAndEmptiesTheClipboardUnlessTheUserCopiedMeanwhile) {
    const struct {
        const char* name;
        bool canSendKeys;
        bool userCopies;  ///< the user copies something while the paste runs
        std::vector<std::string> keys;
        std::vector<QString> writes;
        QString clipboard;
    } cases[] = {
        {"pasted and emptied",
         true,
         false,
         {"Ctrl down", "V down", "V up", "Ctrl up"},
         {QStringLiteral("hello"), QString()},
         QString()},
        {"the user's copy stays",
         true,
         true,
         {"Ctrl down", "V down", "V up", "Ctrl up"},
         {QStringLiteral("hello")},
         QStringLiteral("mine")},
        {"no keys: the text waits on the clipboard",
         false,
         false,
         {},
         {QStringLiteral("hello")},
         QStringLiteral("hello")},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        *m_launcher = RecordingLauncher();
        m_launcher->canSendKeys = entry.canSendKeys;
        m_actions.PasteText("hello");
        Settle();
        if (entry.canSendKeys) {
            // V is held until the delayed step lets it go.
            EXPECT_EQ(m_launcher->keys, (std::vector<std::string>{"Ctrl down", "V down"}));
        }
        if (entry.userCopies) {
            m_launcher->clipboard = QStringLiteral("mine");
        }
        m_launcher->RunLater();
        EXPECT_EQ(m_launcher->keys, entry.keys);
        EXPECT_EQ(m_launcher->clipboardWrites, entry.writes);
        EXPECT_EQ(m_launcher->clipboard, entry.clipboard);
    }
}

TEST_F(HostActionsTest, WorkerCallsAreHandedToTheWindowThreadWithoutWaiting) {
    const QString program = MakeFile(QStringLiteral("tool"), true);
    std::thread worker([&] {
        m_actions.RunProgram(program.toStdString());
        m_actions.OpenAddress("example.com");
        m_actions.PasteText("text");
        m_actions.SwitchProfile(3);
    });
    worker.join();
    EXPECT_TRUE(m_launcher->starts.empty());
    EXPECT_TRUE(m_launcher->clipboardWrites.empty());
    EXPECT_TRUE(m_profiles.empty());
    Settle();
    EXPECT_EQ(m_launcher->starts.size(), 2u);
    EXPECT_EQ(m_launcher->clipboardWrites, std::vector<QString>{QStringLiteral("text")});
    EXPECT_EQ(m_profiles, std::vector<int>{3});
    for (const auto& id : m_launcher->threads) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
}

}  // namespace
}  // namespace zephyl::test
