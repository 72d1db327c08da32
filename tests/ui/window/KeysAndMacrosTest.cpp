// SPDX-License-Identifier: GPL-2.0-or-later
// Keys and macros through the window, down to the virtual keyboard's memory: the assignment
// dialog, the function chooser, the macro steps, key capture and recording.
#include "WindowTestSupport.h"

#include "catalogue/KeyboardLayout.h"
#include "glint/Glint.h"
#include "keys/KeyTexts.h"
#include "text/LanguageText.h"
#include "ui/capture/KeyboardGrab.h"
#include "ui/keydialog/CustomKeyDlg.h"
#include "ui/window/KeyPage.h"
#include "ui/window/MacroPage.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <regex>

namespace zephyl::window::test {
namespace {

constexpr quint32 kNumLockOn = 0x10;

/// One key event as the desktop delivers it while the keyboard is grabbed.
void SendKey(QWidget& target, QEvent::Type type, int linuxCode, Qt::Key key,
             bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, static_cast<quint32>(linuxCode + 8), 0, kNumLockOn,
                    QString(), autoRepeat);
    QCoreApplication::sendEvent(&target, &event);
}

void Type(QWidget& target, int linuxCode, Qt::Key key) {
    SendKey(target, QEvent::KeyPress, linuxCode, key);
    SendKey(target, QEvent::KeyRelease, linuxCode, key);
}

class DrivenDialog : public CustomKeyDlg {
public:
    using CustomKeyDlg::CustomKeyDlg;
    void Send(int id, int code, int value = 0) { OnMessage(id, code, value); }
};

struct StepRow {
    int type;
    int value;
    int delay;
    bool operator==(const StepRow&) const = default;
};

void PrintTo(const StepRow& row, std::ostream* out) {
    *out << "{" << row.type << ", " << row.value << ", " << row.delay << "}";
}

class KeysAndMacrosTest : public WindowTest {
protected:
    /// The key table of `layer` the keyboard keeps, as hex.
    std::string KeyTable(int layer) {
        std::smatch match;
        const std::string state = KeyboardState();
        if (!std::regex_search(
                state, match,
                std::regex(R"re("key_tables": *\[ *"([0-9a-f]*)", *"([0-9a-f]*)")re"))) {
            return {};
        }
        return match[size_t(layer) + 1];
    }

    std::string MacroImage() {
        std::smatch match;
        const std::string state = KeyboardState();
        if (!std::regex_search(state, match, std::regex(R"re("macro_image": *"([0-9a-f]*)")re"))) {
            return {};
        }
        return match[1];
    }

    /// The slot of `code` in a key table (hex).
    std::string Slot(const std::string& table, int code) {
        const int index = m_controller->Layout()->keyIndexMap.at(code);
        return table.substr(size_t(index) * 8, 8);
    }

    /// A key of the base layer with a slot of its own.
    int AssignableKey() {
        for (const auto& [code, index] : m_controller->Layout()->keyIndexMap) {
            if (index > 0 && index < 143) {
                return code;
            }
        }
        return 0;
    }

    void ClickKey(int code) {
        Control<glint::KeyboardCtrl>(KeyPage::kKeyboard)->SetCurKey(code);
        m_window->OnMessage(KeyPage::kKeyboard, glint::kEventClick, code);
    }

    void ChooseFunction(int value1) {
        ASSERT_TRUE(Control<glint::KeyFuncControl>(KeyPage::kFunctions)
                        ->SetItemCheckByItemData(value1, 0, 0));
        m_window->OnMessage(KeyPage::kFunctions, glint::kEventClick, value1);
        Drain();
    }

    std::vector<StepRow> StoredSteps(int macroId) {
        std::vector<MacroStep> steps;
        m_database.ListMacroSteps(macroId, steps);
        std::vector<StepRow> rows;
        for (const MacroStep& step : steps) {
            rows.push_back({step.type, step.value, step.delay_time});
        }
        return rows;
    }

    MacroPage& Macros() { return m_window->Macros(); }
    int SelectedMacro() { return Control<glint::MListBox>(MacroPage::kMacros)->GetCurData(); }
    void Click(int id) { m_window->OnMessage(id, glint::kEventClick, 0); }
};

// The list, the store and the keyboard agree on whose keys are edited, whatever happened since
// the profile was chosen: a reset of the keys, a macro deleted.
TEST_F(KeysAndMacrosTest, ListStoreAndKeyboardAgreeOnTheCurrentProfile) {
    Start("101:0");
    Connect();
    auto* profiles = Control<glint::MListBox>(KeyPage::kProfiles);
    std::vector<int> keys;
    for (const auto& [code, index] : m_controller->Layout()->keyIndexMap) {
        if (index > 0 && index < 143 && keys.size() < 2) {
            keys.push_back(code);
        }
    }
    ASSERT_EQ(keys.size(), 2u);
    const auto disable = [this](int code) {
        Control<glint::KeyboardCtrl>(KeyPage::kKeyboard)->SetCurKey(code);
        m_services->menuChoice = KeyPage::kMenuDisable;
        m_window->OnMessage(KeyPage::kKeyboard, glint::kEventRightButton, code);
        Drain();
    };
    disable(keys[1]);  // in "My Config 1"
    const std::string empty(8, '0');
    ASSERT_NE(Slot(KeyTable(0), keys[1]), empty);

    m_window->OnMessage(KeyPage::kAddProfile, glint::kEventClick, 0);  // "My Config 4", current
    Drain();
    const int fourth = m_controller->CurrentProfile();
    ASSERT_EQ(profiles->GetItemData(profiles->GetCurSel()), fourth);
    ASSERT_EQ(Slot(KeyTable(0), keys[1]), empty) << "the new profile's empty table was written";

    m_window->OnMessage(298, glint::kEventClick, 0);  // Settings: reset keys, confirmed
    Drain();
    EXPECT_EQ(profiles->GetItemData(profiles->GetCurSel()), fourth);
    EXPECT_EQ(m_controller->CurrentProfile(), fourth);

    disable(keys[0]);
    KeyAssignment stored;
    EXPECT_TRUE(m_database.GetKeyAssignment(fourth, 0, keys[0], stored));
    EXPECT_FALSE(m_database.GetKeyAssignment(1, 0, keys[0], stored));
    EXPECT_NE(Slot(KeyTable(0), keys[0]), empty);
    EXPECT_EQ(Slot(KeyTable(0), keys[1]), empty) << "not the first profile's table";

    // Deleting a macro rewrites the tables of the profile shown, not of the first one.
    m_window->OnMessage(MacroPage::kNew, glint::kEventClick, 0);
    Drain();
    m_window->OnMessage(MacroPage::kDelete, glint::kEventClick, 0);
    Drain();
    EXPECT_NE(Slot(KeyTable(0), keys[0]), empty);
    EXPECT_EQ(Slot(KeyTable(0), keys[1]), empty);
    EXPECT_EQ(m_database.GetActiveProfile(), fourth) << "the next start shows it";
}

TEST_F(KeysAndMacrosTest, CombinationChosenInTheAssignmentDialogReachesTheKeyTable) {
    Start("101:0");
    Connect();
    const int code = AssignableKey();
    ASSERT_NE(code, 0);
    m_services->keyDialog = [this](int key, int profile, int layer) {
        DrivenDialog dialog(m_database, key, profile, layer);
        QTimer::singleShot(0, [&dialog] {
            auto* kinds = dialog.GetControlAs<glint::MComboBox>(CustomKeyDlg::kKindList);
            kinds->SetCurSel(1);
            dialog.Send(CustomKeyDlg::kKindList, glint::kEventClick, 1);
            const struct {
                int linuxCode;
                Qt::Key key;
            } keys[] = {{30, Qt::Key_A}, {48, Qt::Key_B}};
            for (int field = 0; field < 2; ++field) {
                dialog.Send(CustomKeyDlg::kCombinationField1 + field, glint::kEventEditStarted);
                Type(dialog, keys[field].linuxCode, keys[field].key);
                dialog.Send(CustomKeyDlg::kCombinationField1 + field, glint::kEventEditFinished);
            }
            dialog.Send(CustomKeyDlg::kApplyButton, glint::kEventClick);
            dialog.DoCancel();  // ends a dialog the apply did not end
        });
        return dialog.Run(nullptr);
    };
    Control<glint::KeyboardCtrl>(KeyPage::kKeyboard)->SetCurKey(code);
    m_services->menuChoice = KeyPage::kMenuAssign;
    m_window->OnMessage(KeyPage::kKeyboard, glint::kEventRightButton, code);
    Drain();

    const std::string table = KeyTable(0);
    ASSERT_EQ(table.size(), 576u * 2);
    EXPECT_EQ(Slot(table, code), "07040500");
    EXPECT_EQ(table.substr(table.size() - 4), "aa55");
    EXPECT_EQ(Control<glint::KeyboardCtrl>(KeyPage::kKeyboard)->GetKeyCheck(code), 1);
}

TEST_F(KeysAndMacrosTest, FunctionChooserAssignsKeysAndConsumerFunctions) {
    Start("101:0");
    Connect();
    const int code = AssignableKey();
    auto* functions = Control<glint::KeyFuncControl>(KeyPage::kFunctions);
    ASSERT_GT(functions->GetGroupCount(), 0);
    ClickKey(code);

    const struct {
        int function;
        int kind;
        const char* slot;
    } cases[] = {
        {224, 2, "02010000"},  // a lone left Ctrl goes as a modifier
        {4, 2, "02000400"},
        {504, 12, "03cd0000"},  // Play/Pause
        {517, 12, "03210200"},  // AC Search
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.function);
        ChooseFunction(entry.function);
        KeyAssignment stored;
        ASSERT_TRUE(m_database.GetKeyAssignment(m_controller->CurrentProfile(), 0, code, stored));
        EXPECT_EQ(stored.macro_type, entry.kind);
        EXPECT_EQ(stored.macro_value, entry.function);
        EXPECT_FALSE(stored.macro_desc.empty());
        EXPECT_EQ(Slot(KeyTable(0), code), entry.slot);
    }

    // Clicking a key shows its function in the chooser, and nothing for a key without one.
    ChooseFunction(4);
    glint::KeyFuncItem item;
    int other = 0;
    for (const auto& [candidate, index] : m_controller->Layout()->keyIndexMap) {
        if (candidate != code && index > 0) {
            other = candidate;
        }
    }
    ClickKey(other);
    EXPECT_FALSE(functions->GetCurItemData(item));
    ClickKey(code);
    ASSERT_TRUE(functions->GetCurItemData(item));
    EXPECT_EQ(item.value1, 4);
    m_services->menuChoice = KeyPage::kMenuOwnFunction;
    m_window->OnMessage(KeyPage::kKeyboard, glint::kEventRightButton, code);
    Drain();
    EXPECT_FALSE(functions->GetCurItemData(item));
    EXPECT_EQ(Slot(KeyTable(0), code), "00000000");
}

TEST_F(KeysAndMacrosTest, FnLockedKeysKeepTheirFunctionOnTheFnLayer) {
    Start("101:0");
    Connect();
    int locked = 0;
    for (const auto& [code, flag] : m_controller->Layout()->fnLockedKeys) {
        if (flag != 0) {
            locked = code;
        }
    }
    ASSERT_NE(locked, 0) << "the model's layout locks keys on the Fn layer";
    Click(KeyPage::kFnLayer);
    Drain();
    m_services->Clear();
    ClickKey(locked);
    ASSERT_FALSE(m_services->Calls().empty());
    EXPECT_EQ(m_services->Calls().front().rfind("message", 0), 0u);
    ChooseFunction(4);
    KeyAssignment stored;
    EXPECT_FALSE(m_database.GetKeyAssignment(m_controller->CurrentProfile(), 1, locked, stored));
}

TEST_F(KeysAndMacrosTest, StepsAreInsertedMovedDeletedAndUploaded) {
    Start("101:0");
    Connect();
    Click(MacroPage::kNew);
    const int macro = SelectedMacro();
    ASSERT_GT(macro, 0);

    // The key field captures a key: Shift then A leaves A.
    m_window->OnMessage(MacroPage::kKeyField, glint::kEventEditStarted, 0);
    ASSERT_TRUE(KeyboardGrab::Instance().Active());
    Type(*m_window, 42, Qt::Key_Shift);
    Type(*m_window, 30, Qt::Key_A);
    m_window->OnMessage(MacroPage::kKeyField, glint::kEventEditFinished, 0);
    EXPECT_FALSE(KeyboardGrab::Instance().Active());
    EXPECT_EQ(Control<glint::MEdit>(MacroPage::kKeyField)->GetEditText(), QStringLiteral("A"));
    EXPECT_EQ(Macros().KeyCapture().CapturedKey(), 'A');
    Click(MacroPage::kInsert);
    // Showing the macro again empties the field: no key is inserted without one shown.
    m_window->OnMessage(MacroPage::kMacros, glint::kEventClick, 0);
    Click(MacroPage::kInsert);

    // A mouse button after the last step.
    Control<glint::MComboBox>(MacroPage::kInsertPosition)->SetCurSel(1);
    Control<glint::CRadioButton>(MacroPage::kInsertMouse)->SetCheck(1);
    Click(MacroPage::kInsertMouse);
    Click(MacroPage::kInsert);
    EXPECT_EQ(StoredSteps(macro),
              (std::vector<StepRow>{{2, 'A', 10}, {3, 'A', 10}, {4, 1, 10}, {5, 1, 10}}));

    auto* steps = Control<glint::CRecordList>(MacroPage::kSteps);
    ASSERT_EQ(steps->GetItemCount(), 4);
    steps->SetCurSel(2);
    Click(MacroPage::kStepUp);
    EXPECT_EQ(steps->GetCurSel(), 1);
    Click(MacroPage::kStepDelete);
    EXPECT_EQ(StoredSteps(macro), (std::vector<StepRow>{{2, 'A', 10}, {3, 'A', 10}, {5, 1, 10}}));

    // A pause edited in place is kept with the next save.
    steps->EditDelay(0);
    Settle();
    ASSERT_NE(steps->GetEditor(), nullptr);
    steps->GetEditor()->setText(QStringLiteral("250"));
    QTest::keyClick(steps->GetEditor(), Qt::Key_Return);
    Settle();
    Click(MacroPage::kSave);
    EXPECT_EQ(StoredSteps(macro), (std::vector<StepRow>{{2, 'A', 250}, {3, 'A', 10}, {5, 1, 10}}));

    // A delay of 200 ms before the second step waits longer after the first.
    steps->SetCurSel(1);
    Control<glint::MComboBox>(MacroPage::kInsertPosition)->SetCurSel(0);
    Control<glint::CRadioButton>(MacroPage::kInsertMouse)->SetCheck(0);
    Control<glint::CRadioButton>(MacroPage::kInsertDelay)->SetCheck(1);
    Click(MacroPage::kInsertDelay);
    Control<glint::MEdit>(MacroPage::kDelayField)->SetEditText(QStringLiteral("200"));
    Click(MacroPage::kInsert);
    EXPECT_EQ(StoredSteps(macro), (std::vector<StepRow>{{2, 'A', 450}, {3, 'A', 10}, {5, 1, 10}}));
    Control<glint::MEdit>(MacroPage::kDelayField)->SetEditText(QStringLiteral("250"));
    steps->SetCurSel(1);
    Click(MacroPage::kInsert);
    EXPECT_EQ(StoredSteps(macro), (std::vector<StepRow>{{2, 'A', 700}, {3, 'A', 10}, {5, 1, 10}}));

    Drain();
    const std::string image = MacroImage();
    ASSERT_GE(image.size(), 412u * 2);
    EXPECT_EQ(image.substr(0, 8), "90010000");             // the block at 400
    EXPECT_EQ(image.substr(800, 4), "0600");               // three steps, six entries
    EXPECT_EQ(image.substr(816, 16), "000004b0bc020050");  // A down, then 700 ms
}

TEST_F(KeysAndMacrosTest, RecordingTakesHeldKeysAndFixedPauses) {
    Start("101:0");
    Connect();
    Click(MacroPage::kNew);
    const int macro = SelectedMacro();
    Control<glint::CRadioButton>(MacroPage::kFixedDelay)->SetCheck(1);
    Click(MacroPage::kFixedDelay);
    Control<glint::MEdit>(MacroPage::kFixedPause)->SetEditText(QStringLiteral("50"));

    Click(MacroPage::kStartRecording);
    ASSERT_TRUE(KeyboardGrab::Instance().Active());
    EXPECT_TRUE(m_window->GetControl(MacroPage::kStopRecording)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(MacroPage::kStartRecording)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(MacroPage::kSave)->IsEnabled());
    SendKey(*m_window, QEvent::KeyPress, 42, Qt::Key_Shift);
    SendKey(*m_window, QEvent::KeyPress, 30, Qt::Key_A);
    SendKey(*m_window, QEvent::KeyPress, 30, Qt::Key_A, true);
    SendKey(*m_window, QEvent::KeyRelease, 30, Qt::Key_A);
    SendKey(*m_window, QEvent::KeyRelease, 42, Qt::Key_Shift);
    EXPECT_EQ(Control<glint::CRecordList>(MacroPage::kSteps)->GetItemCount(), 5);
    Click(MacroPage::kStopRecording);

    EXPECT_FALSE(KeyboardGrab::Instance().Active());
    EXPECT_TRUE(m_window->GetControl(MacroPage::kStartRecording)->IsVisible());
    EXPECT_TRUE(m_window->GetControl(MacroPage::kSave)->IsEnabled());
    EXPECT_EQ(StoredSteps(macro),
              (std::vector<StepRow>{
                  {2, 160, 50}, {2, 'A', 50}, {0, 'A', 50}, {3, 'A', 50}, {3, 160, 0}}));
    Drain();
    // Four presses and releases with their pauses, and the repeat row's pause alone.
    EXPECT_EQ(MacroImage().substr(800, 4), "0900");
}

TEST_F(KeysAndMacrosTest, RecordingSpaceRefusesWarnsAndStops) {
    const struct {
        int storedSteps;  ///< steps of the macro before recording
        bool starts;
        int message;
    } cases[] = {
        {320, false, kTextMacroMemoryFull},       // space 8
        {316, true, kTextMacroMemoryAlmostFull},  // space 16
    };
    Start("101:0");
    Connect();
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.storedSteps);
        Click(MacroPage::kNew);
        const int macro = SelectedMacro();
        std::vector<MacroStep> steps(size_t(entry.storedSteps));
        for (size_t i = 0; i < steps.size(); ++i) {
            steps[i].macro_id = macro;
            steps[i].type = 2;
            steps[i].record_index = int(i);
            steps[i].value = 'B';
        }
        m_database.AddMacroSteps(steps);
        m_services->Clear();

        Click(MacroPage::kStartRecording);
        ASSERT_EQ(m_services->Calls().size(), 1u);
        EXPECT_NE(m_services->Calls()[0].find(LanguageText(entry.message)), std::string::npos);
        EXPECT_EQ(KeyboardGrab::Instance().Active(), entry.starts);
        if (entry.starts) {
            // 17 rows exceed the space of 16: the recording stops with them.
            for (int i = 0; i < 9; ++i) {
                Type(*m_window, 30, Qt::Key_A);
            }
            EXPECT_FALSE(KeyboardGrab::Instance().Active());
            EXPECT_EQ(StoredSteps(macro).size(), 17u);
            EXPECT_EQ(m_services->Calls().back().find("message"), 0u);
        } else {
            EXPECT_EQ(StoredSteps(macro).size(), size_t(entry.storedSteps));
        }
        Click(MacroPage::kDelete);  // its steps go with it
    }
}

}  // namespace
}  // namespace zephyl::window::test
