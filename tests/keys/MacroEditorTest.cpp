// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/MacroEditor.h"
#include "keys/MacroRecorder.h"

#include "app/WorkerCommand.h"
#include "KeysTestSupport.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

class MacroEditorTest : public test::DatabaseTest {
protected:
    MacroEditor m_editor{m_db, test::EnglishTexts()};

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& entry : m_editor.Entries()) {
            texts.push_back(entry.text);
        }
        return texts;
    }
    std::vector<std::string> StoredSteps(int id) {
        std::vector<MacroStep> steps;
        m_db.ListMacroSteps(id, steps);
        std::vector<std::string> out;
        for (const MacroStep& s : steps) {
            out.push_back(s.desc + ":" + std::to_string(s.type) + ":" +
                          std::to_string(s.record_index));
        }
        return out;
    }
};

TEST_F(MacroEditorTest, NewMacrosAreNumberedAndTheHundredAndFirstIsRefused) {
    m_editor.LoadMacroPage();
    EXPECT_FALSE(m_editor.EditingEnabled());
    EXPECT_TRUE(m_editor.NewMacro().changed);
    EXPECT_TRUE(m_editor.NewMacro().changed);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"New Macro 1", "New Macro 2"}));
    EXPECT_EQ(m_editor.SelectedIndex(), 1);
    EXPECT_TRUE(m_editor.EditingEnabled());
    for (int i = 3; i <= 100; ++i) {
        ASSERT_TRUE(m_editor.NewMacro().changed) << i;
    }
    const PageOutcome refused = m_editor.NewMacro();
    EXPECT_FALSE(refused.changed);
    EXPECT_EQ(refused.messageText, 894);
    std::vector<Macro> macros;
    EXPECT_EQ(m_db.ListMacros(macros), 100);
    // Pasting is creating too.
    m_editor.CopyMacro();
    EXPECT_EQ(m_editor.PasteMacro().messageText, 894);
    EXPECT_EQ(m_db.ListMacros(macros), 100);
}

TEST_F(MacroEditorTest, DefaultNamesFollowTheLanguage) {
    m_db.AddMacro("新建宏 4");
    m_db.AddMacro("Mine");
    m_editor.LoadMacroPage();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"New Macro 4", "Mine"}));
    EXPECT_EQ(m_editor.Entries()[0].name, "新建宏 4");
}

TEST_F(MacroEditorTest, ShowingAMacroLoadsItsSettingsAndSteps) {
    Macro macro;
    macro.name = "Fixed";
    macro.play_times = 7;
    macro.delay_type = kDelayFixed;
    macro.delay_time = 50;
    const int id = m_db.AddMacroWithSettings(macro);
    MacroStep step;
    step.macro_id = id;
    step.type = 2;
    step.desc = "A";
    step.value = 'A';
    m_db.AddMacroSteps({step});
    m_editor.LoadMacroPage();
    EXPECT_EQ(m_editor.SelectedId(), id);
    EXPECT_EQ(m_editor.Settings().playTimes, "7");
    EXPECT_EQ(m_editor.Settings().delayType, kDelayFixed);
    EXPECT_EQ(m_editor.Settings().fixedPause, "50");
    ASSERT_EQ(m_editor.Rows().size(), 1u);
    EXPECT_EQ(m_editor.Rows()[0], (MacroStepRow{"A", 2, 'A', 0}));
}

TEST_F(MacroEditorTest, DeletingShowsTheEntryThatTakesTheSelection) {
    const int a = m_db.AddMacro("A");
    const int b = m_db.AddMacro("B");
    MacroStep step;
    step.macro_id = a;
    step.desc = "kept";
    m_db.AddMacroSteps({step});
    m_editor.LoadMacroPage();
    m_editor.SelectEntry(1);
    const PageOutcome deleted = m_editor.DeleteMacroEntry();
    EXPECT_TRUE(deleted.changed);
    // Later macros move up in the image: both the image and the key tables are rewritten.
    EXPECT_EQ(deleted.commands, (std::vector<int>{kCommandWriteMacros, kCommandWriteKeyLayers}));
    EXPECT_EQ(m_editor.SelectedId(), a);
    // The selected macro's steps are shown, so saving keeps them.
    ASSERT_EQ(m_editor.Rows().size(), 1u);
    m_editor.SaveMacro();
    EXPECT_EQ(StoredSteps(a), (std::vector<std::string>{"kept:0:0"}));
    Macro gone;
    EXPECT_FALSE(m_db.GetMacro(b, gone));

    // Deleting the first entry selects the one now first; deleting the last leaves none.
    const int c = m_db.AddMacro("C");
    m_editor.LoadMacroPage();
    m_editor.SelectEntry(0);
    m_editor.DeleteMacroEntry();
    EXPECT_EQ(m_editor.SelectedId(), c);
    m_editor.DeleteMacroEntry();
    EXPECT_EQ(m_editor.SelectedIndex(), -1);
    EXPECT_FALSE(m_editor.EditingEnabled());
    EXPECT_FALSE(m_editor.DeleteMacroEntry().changed);
}

TEST_F(MacroEditorTest, RenamingToNothingKeepsTheName) {
    const int id = m_db.AddMacro("Old");
    m_editor.LoadMacroPage();
    const PageOutcome refused = m_editor.RenameMacroEntry("");
    EXPECT_EQ(refused.messageText, 914);
    EXPECT_EQ(refused.messageCaption, 52);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Old"});
    EXPECT_TRUE(m_editor.RenameMacroEntry("New").changed);
    Macro macro;
    ASSERT_TRUE(m_db.GetMacro(id, macro));
    EXPECT_EQ(macro.name, "New");
    EXPECT_EQ(Texts(), std::vector<std::string>{"New"});
}

TEST_F(MacroEditorTest, PastedCopiesTakeTheFirstFreeNumber) {
    Macro source;
    source.name = "A";
    source.play_times = 3;
    source.delay_type = kDelayNone;
    source.link_count = 2;
    const int id = m_db.AddMacroWithSettings(source);
    MacroStep step;
    step.macro_id = id;
    step.desc = "x";
    step.type = 2;
    m_db.AddMacroSteps({step, step});
    m_db.AddMacro("A - 2");
    m_editor.LoadMacroPage();
    m_editor.CopyMacro();
    m_editor.PasteMacro();
    m_editor.PasteMacro();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"A", "A - 2", "A - 1", "A - 3"}));
    // The pasted entry is not selected; its settings and steps are the source's.
    EXPECT_EQ(m_editor.SelectedId(), id);
    const int copy = m_editor.Entries()[2].id;
    Macro pasted;
    ASSERT_TRUE(m_db.GetMacro(copy, pasted));
    EXPECT_EQ(pasted.play_times, 3);
    EXPECT_EQ(pasted.delay_type, kDelayNone);
    EXPECT_EQ(pasted.link_count, 2);
    EXPECT_EQ(StoredSteps(copy).size(), 2u);
    // Showing a macro forgets the copy source.
    m_editor.SelectEntry(1);
    EXPECT_EQ(m_editor.CopySource(), 0);
    EXPECT_FALSE(m_editor.PasteMacro().changed);
}

TEST_F(MacroEditorTest, InsertedStepsGoBeforeOrAfterTheSelection) {
    const int id = m_db.AddMacro("M");
    m_editor.LoadMacroPage();
    const PageOutcome first = m_editor.InsertKeySteps(InsertPosition::kAfter, 'A', "A");
    EXPECT_EQ(first.commands, std::vector<int>{kCommandWriteMacros});
    EXPECT_TRUE(first.showWaitDialog);
    EXPECT_EQ(StoredSteps(id), (std::vector<std::string>{"A:2:0", "A:3:1"}));
    EXPECT_EQ(m_editor.Rows()[0].delay, 10);

    m_editor.SelectRow(0);
    m_editor.InsertMouseSteps(InsertPosition::kBefore, 1, "L");
    EXPECT_EQ(StoredSteps(id), (std::vector<std::string>{"L:4:0", "L:5:1", "A:2:2", "A:3:3"}));
    EXPECT_EQ(m_editor.SelectedRow(), 2);  // still on the same row
    m_editor.SelectRow(3);
    m_editor.InsertMouseSteps(InsertPosition::kBefore, 3, "R");
    EXPECT_EQ(StoredSteps(id),
              (std::vector<std::string>{"L:4:0", "L:5:1", "A:2:2", "R:4:3", "R:5:4", "A:3:5"}));
    m_editor.SelectRow(0);
    m_editor.InsertKeySteps(InsertPosition::kAfter, 'B', "B");
    EXPECT_EQ(StoredSteps(id)[1], "B:2:1");
    // Without a captured key nothing is inserted or saved.
    EXPECT_TRUE(m_editor.InsertKeySteps(InsertPosition::kAfter, 0, "").commands.empty());
    EXPECT_EQ(StoredSteps(id).size(), 8u);
}

TEST_F(MacroEditorTest, InsertedDelaysLengthenThePauseAtTheInsertionPoint) {
    struct Case {
        int selected;  ///< −1: none
        InsertPosition position;
        int milliseconds;
        std::vector<int> pauses;  ///< after the insert; empty: nothing stored
    };
    const Case cases[] = {
        {1, InsertPosition::kAfter, 200, {1, 202, 3}},
        {1, InsertPosition::kBefore, 200, {201, 2, 3}},
        {-1, InsertPosition::kBefore, 50, {1, 2, 53}},  // no selection: after the last step
        {0, InsertPosition::kBefore, 200, {}},          // nothing plays before the first step
        {2, InsertPosition::kAfter, 0, {}},
        {2, InsertPosition::kAfter, 70000, {1, 2, 65535}},  // the longest wait a step has
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.selected << " " << c.milliseconds);
        m_db.AddMacro("M");
        m_editor.LoadMacroPage();
        m_editor.SelectEntry(static_cast<int>(m_editor.Entries().size()) - 1);
        m_editor.ReplaceRows({{"a", 2, 'A', 1}, {"b", 2, 'B', 2}, {"c", 2, 'C', 3}});
        m_editor.SelectRow(c.selected);
        const PageOutcome outcome = m_editor.InsertDelay(c.position, c.milliseconds);
        EXPECT_EQ(outcome.commands.empty(), c.pauses.empty());
        std::vector<int> pauses;
        for (const MacroStepRow& row : m_editor.Rows()) {
            pauses.push_back(row.delay);
        }
        EXPECT_EQ(pauses, (c.pauses.empty() ? std::vector<int>{1, 2, 3} : c.pauses));
    }
}

TEST_F(MacroEditorTest, MovingAndDeletingSteps) {
    const int id = m_db.AddMacro("M");
    m_editor.LoadMacroPage();
    m_editor.ReplaceRows({{"a", 2, 'A', 1}, {"b", 2, 'B', 2}, {"c", 2, 'C', 3}});
    m_editor.SelectRow(0);
    EXPECT_TRUE(m_editor.MoveStepUp().commands.empty());
    m_editor.MoveStepDown();
    EXPECT_EQ(m_editor.SelectedRow(), 1);
    m_editor.SelectRow(2);
    EXPECT_TRUE(m_editor.MoveStepDown().commands.empty());
    m_editor.MoveStepUp();
    EXPECT_EQ(StoredSteps(id), (std::vector<std::string>{"b:2:0", "c:2:1", "a:2:2"}));
    m_editor.DeleteStep();  // row 1
    EXPECT_EQ(StoredSteps(id), (std::vector<std::string>{"b:2:0", "a:2:1"}));
    EXPECT_EQ(m_editor.SelectedRow(), 1);
    m_editor.DeleteStep();
    EXPECT_EQ(m_editor.SelectedRow(), -1);
    EXPECT_TRUE(m_editor.DeleteStep().commands.empty());
}

TEST_F(MacroEditorTest, SavingClampsThePlayCount) {
    const int id = m_db.AddMacro("M");
    m_editor.LoadMacroPage();
    const struct {
        std::string typed;
        int type;
        std::string pause;
        int storedTimes;
        std::string shown;
        int storedType;
        int storedDelay;
    } cases[] = {
        {"0", kDelayRecorded, "10", 1, "1", 1, 10},
        {"150", kDelayNone, "10", 99, "99", 2, 10},
        {"abc", kDelayFixed, "75", 1, "1", 3, 75},
        {"42", 7, "75", 42, "42", 1, 10},
    };
    for (const auto& c : cases) {
        m_editor.Settings().playTimes = c.typed;
        m_editor.Settings().delayType = c.type;
        m_editor.Settings().fixedPause = c.pause;
        EXPECT_EQ(m_editor.SaveMacro().commands, std::vector<int>{kCommandWriteMacros});
        EXPECT_EQ(m_editor.Settings().playTimes, c.shown) << c.typed;
        Macro macro;
        ASSERT_TRUE(m_db.GetMacro(id, macro));
        EXPECT_EQ(macro.play_times, c.storedTimes) << c.typed;
        EXPECT_EQ(macro.delay_type, c.storedType) << c.typed;
        EXPECT_EQ(macro.delay_time, c.storedDelay) << c.typed;
    }
}

}  // namespace
}  // namespace zephyl
