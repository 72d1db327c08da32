// SPDX-License-Identifier: GPL-2.0-or-later
// The assignment dialog as the user drives it: choose a kind, type keys, confirm.
#include "glint/CCheckButton.h"
#include "glint/MComboBox.h"
#include "glint/MEdit.h"
#include "glint/TextFit.h"
#include "keys/AssignmentKinds.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"
#include "text/CurrentLanguage.h"
#include "ui/capture/KeyboardGrab.h"
#include "ui/keydialog/CustomKeyDlg.h"

#include <QApplication>
#include <filesystem>
#include <QKeyEvent>
#include <QTimer>
#include <gtest/gtest.h>

namespace zephyl {
namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "test_keydialog";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the platform's input devices must outlive every static that uses them.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

// A key typed on the keyboard, as the desktop delivers it while a field captures.
void Type(QWidget& target, int linuxCode, Qt::Key key) {
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier, static_cast<quint32>(linuxCode + 8), 0, 0x10);
        QCoreApplication::sendEvent(&target, &event);
    }
}

// Control events reach the dialog by id, as the window's controls report them.
class DrivenDialog : public CustomKeyDlg {
public:
    using CustomKeyDlg::CustomKeyDlg;
    void Send(int id, int code, int value = 0) { OnMessage(id, code, value); }
};

class CustomKeyDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application();
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::string(ZEPHYL_RUNTIME_DIR));
        std::filesystem::create_directories(m_environment.Root() / "db");
        ASSERT_TRUE(m_database.OpenModelDatabase(m_environment.Root().string() + "/", "K1"));
        std::vector<Profile> profiles;
        m_database.PrepareProfiles("My Config", profiles);
    }

    /// Runs the dialog; `drive` acts on it once it is shown, as the user would.
    int RunDialog(DrivenDialog& dialog, const std::function<void()>& drive) {
        QTimer::singleShot(0, [&dialog, drive] {
            drive();
            dialog.DoCancel();  // ends a dialog the drive did not confirm
        });
        return dialog.Run(nullptr);
    }

    KeyAssignment Stored(int key) {
        KeyAssignment record;
        m_database.GetKeyAssignment(1, 0, key, record);
        return record;
    }

    test::TempEnvironment m_environment;
    ProfileDatabase m_database;
};

TEST_F(CustomKeyDlgTest, ShiftCtrlAndATypedIntoTheKeyFieldAreStored) {
    DrivenDialog dialog(m_database, 4, 1, 0);
    const int result = RunDialog(dialog, [&dialog] {
        dialog.GetControlAs<glint::CCheckButton>(CustomKeyDlg::kShiftBox)->SetCheck(1);
        dialog.GetControlAs<glint::CCheckButton>(CustomKeyDlg::kCtrlBox)->SetCheck(1);
        dialog.Send(CustomKeyDlg::kTextField, glint::kEventEditStarted);
        Type(dialog, 42, Qt::Key_Shift);  // a modifier key is not the key
        Type(dialog, 30, Qt::Key_A);
        EXPECT_EQ(dialog.GetControlAs<glint::MEdit>(CustomKeyDlg::kTextField)->GetEditText(), "A");
        dialog.Send(CustomKeyDlg::kTextField, glint::kEventEditFinished);
        EXPECT_FALSE(KeyboardGrab::Instance().Active()) << "the grab ends with the field";
        dialog.Send(CustomKeyDlg::kApplyButton, glint::kEventClick);
    });
    EXPECT_EQ(result, 1);
    const KeyAssignment stored = Stored(4);
    EXPECT_EQ(stored.macro_type, kKindKey);
    EXPECT_EQ(stored.macro_value, 4);
    EXPECT_EQ(stored.macro_value2, 3);
}

TEST_F(CustomKeyDlgTest, CombinationOfTwoKeys) {
    DrivenDialog dialog(m_database, 5, 1, 0);
    const int result = RunDialog(dialog, [&dialog] {
        auto* kinds = dialog.GetControlAs<glint::MComboBox>(CustomKeyDlg::kKindList);
        kinds->SetCurSel(1);
        dialog.Send(CustomKeyDlg::kKindList, glint::kEventClick, 1);
        EXPECT_TRUE(dialog.GetControl(CustomKeyDlg::kCombinationField1)->IsVisible());
        EXPECT_FALSE(dialog.GetControl(CustomKeyDlg::kShiftBox)->IsVisible());
        for (int field = 0; field < 2; ++field) {
            dialog.Send(CustomKeyDlg::kCombinationField1 + field, glint::kEventEditStarted);
            Type(dialog, field == 0 ? 30 : 48, field == 0 ? Qt::Key_A : Qt::Key_B);
            dialog.Send(CustomKeyDlg::kCombinationField1 + field, glint::kEventEditFinished);
        }
        dialog.Send(CustomKeyDlg::kApplyButton, glint::kEventClick);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Stored(5).macro_type, kKindCombination);
    EXPECT_EQ(Stored(5).macro_value, 4);
    EXPECT_EQ(Stored(5).macro_value2, 5);
}

TEST_F(CustomKeyDlgTest, CloseStoresNothingAndMacroWithoutStepsAsksFirst) {
    m_database.AddMacro("New Macro 1");
    DrivenDialog dialog(m_database, 6, 1, 0);
    std::vector<int> messages;
    dialog.SetMessageFunction([&messages](int text, int) { messages.push_back(text); });
    const int result = RunDialog(dialog, [&dialog] {
        auto* kinds = dialog.GetControlAs<glint::MComboBox>(CustomKeyDlg::kKindList);
        kinds->SetCurSel(2);
        dialog.Send(CustomKeyDlg::kKindList, glint::kEventClick, 2);
        dialog.Send(CustomKeyDlg::kApplyButton, glint::kEventClick);
        dialog.Send(CustomKeyDlg::kCloseButton, glint::kEventClick);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(messages, std::vector<int>{876});
    EXPECT_EQ(Stored(6).key_id, 0);
}

TEST_F(CustomKeyDlgTest, EveryKindShowsItsCaptionsWholeInEachLanguage) {
    for (int language : {kEnglishLanguageId, 1049, 2052}) {
        SetCurrentLanguageId(language);
        std::vector<std::string> cut;
        DrivenDialog dialog(m_database, 4, 1, 0);
        RunDialog(dialog, [&] {
            glint::SetCutTextRecording(true);
            auto* kinds = dialog.GetControlAs<glint::MComboBox>(CustomKeyDlg::kKindList);
            for (int item = 0; item < kinds->GetItemCount(); ++item) {
                kinds->SetCurSel(item);
                dialog.Send(CustomKeyDlg::kKindList, glint::kEventClick, item);
                glint::TakeCutTexts();
                dialog.grab();
                for (const std::string& text : glint::TakeCutTexts()) {
                    cut.push_back("kind " + std::to_string(item) + ": " + text);
                }
            }
            glint::SetCutTextRecording(false);
        });
        std::string listing;
        for (const std::string& text : cut) {
            listing += "\n  " + text;
        }
        EXPECT_TRUE(cut.empty()) << "cut in language " << language << ":" << listing;
    }
    SetCurrentLanguageId(kEnglishLanguageId);
}

}  // namespace
}  // namespace zephyl
