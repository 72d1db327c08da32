// SPDX-License-Identifier: GPL-2.0-or-later
#include "DialogTestSupport.h"

#include "app/Environment.h"
#include "glint/CRadioButton.h"
#include "glint/MButton.h"
#include "glint/MEdit.h"
#include "glint/MText.h"
#include "glint/TextFit.h"
#include "platform/SettingsStore.h"
#include "text/CurrentLanguage.h"
#include "ui/dialogs/CUIMessageBox.h"
#include "ui/dialogs/CloseWindowTipDlg.h"
#include "ui/dialogs/DialogText.h"
#include "ui/dialogs/LCDDelayEditDlg.h"
#include "ui/dialogs/UpdateTipDlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zephyl::test {
namespace {

using glint::kResultCancel;
using glint::kResultOk;

using DialogsTest = DialogTest;

QString Caption(glint::MDialog& dialog, int id) {
    auto* control = dynamic_cast<glint::MControlFont*>(dialog.GetControl(id));
    return control != nullptr ? control->GetTitle() : QStringLiteral("<none>");
}

void PressKey(QWidget* window, Qt::Key key) {
    QTest::keyClick(window, key);
    Settle();
}

TEST_F(DialogsTest, MessageBoxEndsAsTheCallerExpects) {
    enum Answer { kConfirm, kCancelButton, kEscape, kEnter, kDesktopClose };
    const struct {
        const char* name;
        int kind;
        Answer answer;
        int expected;
    } cases[] = {
        {"one button", kMessageBoxOk, kConfirm, kResultOk},
        {"one button, Enter", kMessageBoxOk, kEnter, kResultOk},
        {"one button, closed by the desktop", kMessageBoxOk, kDesktopClose, kResultCancel},
        {"yes", kMessageBoxYesNo, kConfirm, kResultOk},
        {"no", kMessageBoxYesNo, kCancelButton, kResultCancel},
        {"question, Escape", kMessageBoxYesNo, kEscape, kResultCancel},
        {"question, Enter", kMessageBoxYesNo, kEnter, kResultOk},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        std::vector<QString> buttons;
        QRect confirmRect;
        WhenModal([&] {
            auto* box = dynamic_cast<CUIMessageBox*>(FindWindow(QStringLiteral("MessageBox")));
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(Caption(*box, CUIMessageBox::kTitleId), QStringLiteral("Title"));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Title")) << "the task switcher's name";
            EXPECT_EQ(Caption(*box, CUIMessageBox::kMessageId), QStringLiteral("Message"));
            for (int id : {CUIMessageBox::kConfirmId, CUIMessageBox::kCancelId}) {
                if (box->GetControl(id) != nullptr) {
                    buttons.push_back(Caption(*box, id));
                }
            }
            confirmRect = box->GetControl(CUIMessageBox::kConfirmId)->GetRect();
            switch (entry.answer) {
                case kConfirm:
                    ClickControl(*box, CUIMessageBox::kConfirmId);
                    break;
                case kCancelButton:
                    ClickControl(*box, CUIMessageBox::kCancelId);
                    break;
                case kEscape:
                    PressKey(box, Qt::Key_Escape);
                    break;
                case kEnter:
                    PressKey(box, Qt::Key_Return);
                    break;
                case kDesktopClose:
                    box->close();
                    break;
            }
        });
        const int result =
            ShowMessageBox(QStringLiteral("Message"), nullptr, QStringLiteral("Title"), entry.kind);
        EXPECT_EQ(result, entry.expected);
        EXPECT_EQ(FindWindow(QStringLiteral("MessageBox")), nullptr);
        if (entry.kind == kMessageBoxOk) {
            EXPECT_EQ(buttons, std::vector<QString>{DialogText(20)});
            EXPECT_EQ(confirmRect, glint::RectLTRB(60, 190, 360, 220));
        } else {
            EXPECT_EQ(buttons, (std::vector<QString>{DialogText(23), DialogText(25)}));
            EXPECT_EQ(confirmRect, glint::RectLTRB(90, 190, 190, 220));
        }
    }
}

TEST_F(DialogsTest, MessageBoxByTextIdsShowsTheLanguageTexts) {
    QString title;
    QString message;
    WhenModal([&] {
        auto* box = dynamic_cast<CUIMessageBox*>(FindWindow(QStringLiteral("MessageBox")));
        ASSERT_NE(box, nullptr);
        title = Caption(*box, CUIMessageBox::kTitleId);
        message = Caption(*box, CUIMessageBox::kMessageId);
        ClickControl(*box, CUIMessageBox::kCancelId);
    });
    EXPECT_EQ(ShowMessageBox(167, nullptr, 168, kMessageBoxYesNo), kResultCancel);
    EXPECT_EQ(title, DialogText(168));
    EXPECT_EQ(message, DialogText(167));
    EXPECT_FALSE(title.isEmpty());
}

TEST_F(DialogsTest, CloseQuestionShowsTheStoredChoiceAndStoresTheAnswer) {
    const struct {
        const char* name;
        std::optional<std::string> stored;
        int preselected;
        int click;  ///< 0: leave the choice as it is
        bool confirm;
        int result;
        std::optional<std::string> after;
        int chosen;
    } cases[] = {
        {"absent, confirmed as shown", std::nullopt, 31, 0, true, kResultOk, "1", 1},
        {"2 keeps its choice", "2", 32, 0, true, kResultOk, "2", 2},
        {"1 changed to exit", "1", 31, 32, true, kResultOk, "2", 2},
        {"2 changed to the tray", "2", 32, 31, true, kResultOk, "1", 1},
        {"dismissed", "0", 31, 32, false, kResultCancel, "0", 0},
        {"dismissed, nothing stored", std::nullopt, 31, 0, false, kResultCancel, std::nullopt, 0},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        TempEnvironment environment;
        const SettingsStore store(SoftwareName());
        if (entry.stored) {
            ASSERT_TRUE(store.WriteValue(kExitModeValue, *entry.stored));
        }
        std::vector<int> checked;
        std::vector<QString> texts;
        WhenModal([&] {
            auto* dialog =
                dynamic_cast<CloseWindowTipDlg*>(FindWindow(QStringLiteral("CloseWindowTipDlg")));
            ASSERT_NE(dialog, nullptr);
            for (int id : {30, 31, 32, 33}) {
                texts.push_back(Caption(*dialog, id));
            }
            EXPECT_EQ(dialog->windowTitle(), Caption(*dialog, 30)) << "the task switcher's name";
            for (int id : {31, 32}) {
                if (dialog->GetControlAs<glint::CRadioButton>(id)->GetCheck() != 0) {
                    checked.push_back(id);
                }
            }
            if (entry.click != 0) {
                ClickControl(*dialog, entry.click);
            }
            if (entry.confirm) {
                ClickControl(*dialog, CloseWindowTipDlg::kConfirmId);
            } else {
                PressKey(dialog, Qt::Key_Escape);
            }
        });
        int chosen = -1;
        EXPECT_EQ(CloseWindowTipDlg::Run(nullptr, store, &chosen), entry.result);
        EXPECT_EQ(checked, std::vector<int>{entry.preselected});
        EXPECT_EQ(texts, (std::vector<QString>{DialogText(170), DialogText(171), DialogText(172),
                                               DialogText(22)}));
        EXPECT_EQ(store.ReadValue(kExitModeValue), entry.after);
        EXPECT_EQ(chosen, entry.chosen);
    }
}

TEST_F(DialogsTest, EveryDialogShowsItsCaptionsWholeInEachLanguage) {
    const SettingsStore store(SoftwareName());
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<glint::MDialog>()>>>
        dialogs = {
            {"message box",
             [] {
                 auto box = std::make_unique<CUIMessageBox>(DialogText(167), DialogText(168),
                                                            kMessageBoxYesNo);
                 box->CreateBox(nullptr);
                 return box;
             }},
            {"close question",
             [&store] {
                 auto dialog = std::make_unique<CloseWindowTipDlg>(store);
                 dialog->CreateDlg(nullptr);
                 return dialog;
             }},
            {"close question without a tray",
             [&store] {
                 auto dialog = std::make_unique<CloseWindowTipDlg>(store, false);
                 dialog->CreateDlg(nullptr);
                 return dialog;
             }},
            {"frame delay",
             [] {
                 auto dialog =
                     std::make_unique<LCDDelayEditDlg>(QStringLiteral("3"), QStringLiteral("120"));
                 dialog->CreateDlg(nullptr);
                 return dialog;
             }},
            {"update question",
             [] {
                 auto dialog = std::make_unique<UpdateTipDlg>();
                 dialog->CreateDlg(nullptr);
                 return dialog;
             }},
        };
    glint::SetCutTextRecording(true);
    for (int language : {kEnglishLanguageId, 1049, 2052}) {
        SetCurrentLanguageId(language);
        for (const auto& [name, make] : dialogs) {
            SCOPED_TRACE(std::string(name) + " in " + std::to_string(language));
            std::unique_ptr<glint::MDialog> dialog = make();
            dialog->ShowWindow(glint::kShow);
            Settle();
            glint::TakeCutTexts();
            dialog->grab();
            const std::vector<std::string> cut = glint::TakeCutTexts();
            EXPECT_TRUE(cut.empty()) << cut.front();
        }
    }
    glint::SetCutTextRecording(false);
    SetCurrentLanguageId(kEnglishLanguageId);
}

TEST_F(DialogsTest, CloseQuestionWithoutANotificationAreaOffersToMinimise) {
    const SettingsStore store(SoftwareName());
    QString first;
    WhenModal([&] {
        auto* dialog =
            dynamic_cast<CloseWindowTipDlg*>(FindWindow(QStringLiteral("CloseWindowTipDlg")));
        ASSERT_NE(dialog, nullptr);
        first = Caption(*dialog, CloseWindowTipDlg::kToTrayId);
        ClickControl(*dialog, CloseWindowTipDlg::kConfirmId);
    });
    int chosen = -1;
    EXPECT_EQ(CloseWindowTipDlg::Run(nullptr, store, &chosen, false), kResultOk);
    EXPECT_EQ(first, DialogText(962));
    EXPECT_NE(first, DialogText(171));
    EXPECT_EQ(chosen, kExitModeToTray) << "the same stored choice: hide where the desktop can";
}

TEST_F(DialogsTest, CloseQuestionAnswerSurvivesAStoreThatCannotBeWritten) {
    // The settings folder is a file: nothing can be stored.
    WriteFile(m_environment->ConfigHome() / SoftwareName(), "not a folder");
    const SettingsStore store(SoftwareName());
    WhenModal([] {
        auto* dialog =
            dynamic_cast<CloseWindowTipDlg*>(FindWindow(QStringLiteral("CloseWindowTipDlg")));
        ASSERT_NE(dialog, nullptr);
        ClickControl(*dialog, CloseWindowTipDlg::kConfirmId);
    });
    int chosen = 0;
    EXPECT_EQ(CloseWindowTipDlg::Run(nullptr, store, &chosen), kResultOk);
    EXPECT_EQ(chosen, kExitModeToTray);
    EXPECT_EQ(store.ReadValue(kExitModeValue), std::nullopt);
}

TEST_F(DialogsTest, DelayEditorHandsBackTheFieldsAndTheChoice) {
    const struct {
        const char* name;
        QString typedThisFrame;  ///< typed over the given delay; empty keeps it
        bool allFrames;
        QString typedAllFrames;
        QString thisFrame;
        QString allFramesText;
        int applied;  ///< what the screen page makes of the chosen field
    } cases[] = {
        {"this frame as given", {}, false, {}, QStringLiteral("120"), QStringLiteral("50"), 120},
        {"this frame too short",
         QStringLiteral("20"),
         false,
         {},
         QStringLiteral("20"),
         QStringLiteral("50"),
         30},
        {"all frames too long",
         {},
         true,
         QStringLiteral("900"),
         QStringLiteral("120"),
         QStringLiteral("900"),
         500},
        {"all frames as shown", {}, true, {}, QStringLiteral("120"), QStringLiteral("50"), 50},
        {"letters and a fourth digit are not taken",
         QStringLiteral("4a567"),
         false,
         {},
         QStringLiteral("456"),
         QStringLiteral("50"),
         456},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        LCDDelayEditDlg dialog(QStringLiteral("Frame 3"), QStringLiteral("120"));
        ASSERT_TRUE(dialog.CreateDlg(nullptr));
        auto* thisField = dialog.GetControlAs<glint::MEdit>(LCDDelayEditDlg::kThisFrameEditId);
        auto* allField = dialog.GetControlAs<glint::MEdit>(LCDDelayEditDlg::kAllFramesEditId);
        std::vector<bool> enabled;
        WhenModal([&] {
            const auto type = [](glint::MEdit* field, const QString& text) {
                field->GetEditHwnd()->selectAll();
                QTest::keyClicks(field->GetEditHwnd(), text);
                Settle();
            };
            if (!entry.typedThisFrame.isEmpty()) {
                type(thisField, entry.typedThisFrame);
            }
            if (entry.allFrames) {
                ClickControl(dialog, LCDDelayEditDlg::kAllFramesId);
                if (!entry.typedAllFrames.isEmpty()) {
                    type(allField, entry.typedAllFrames);
                }
            }
            enabled = {thisField->IsEnabled(), allField->IsEnabled()};
            ClickControl(dialog, LCDDelayEditDlg::kConfirmId);
        });
        EXPECT_EQ(dialog.ShowModal(), kResultOk);
        EXPECT_EQ(enabled, (std::vector<bool>{!entry.allFrames, entry.allFrames}));
        EXPECT_EQ(dialog.ThisFrameDelay(), entry.thisFrame);
        EXPECT_EQ(dialog.AllFramesDelay(), entry.allFramesText);
        EXPECT_EQ(dialog.AllFrames(), entry.allFrames);
        EXPECT_EQ(
            FrameDelayFromText(entry.allFrames ? dialog.AllFramesDelay() : dialog.ThisFrameDelay()),
            entry.applied);
    }
}

TEST_F(DialogsTest, DelayEditorSwitchesFieldsAndClosesWithoutAnswer) {
    LCDDelayEditDlg dialog(QStringLiteral("Frame 1"), QStringLiteral("70"));
    ASSERT_TRUE(dialog.CreateDlg(nullptr));
    std::vector<std::vector<bool>> states;
    WhenModal([&] {
        const auto record = [&] {
            states.push_back({dialog.GetControl(LCDDelayEditDlg::kThisFrameEditId)->IsEnabled(),
                              dialog.GetControl(LCDDelayEditDlg::kAllFramesEditId)->IsEnabled()});
        };
        record();
        ClickControl(dialog, LCDDelayEditDlg::kAllFramesId);
        record();
        ClickControl(dialog, LCDDelayEditDlg::kThisFrameId);
        record();
        ClickControl(dialog, LCDDelayEditDlg::kCloseId);
    });
    EXPECT_EQ(dialog.ShowModal(), kResultCancel);
    EXPECT_EQ(states,
              (std::vector<std::vector<bool>>{{true, false}, {false, true}, {true, false}}));
    EXPECT_EQ(dialog.ThisFrameDelay(), QString()) << "nothing handed back without confirming";
    EXPECT_EQ(Caption(dialog, LCDDelayEditDlg::kTitleId), QStringLiteral("Frame 1"));
    EXPECT_EQ(dialog.GetControl(LCDDelayEditDlg::kCloseId)->GetTooltip(), DialogText(2));
}

TEST_F(DialogsTest, FrameDelayIsKeptWithinTheRangeTheScreenTakes) {
    const struct {
        const char* text;
        int delay;
    } cases[] = {{"20", 30},   {"30", 30}, {"250", 250}, {"500", 500}, {"501", 500},
                 {"900", 500}, {"", 30},   {"abc", 30},  {"0", 30},    {"-40", 30}};
    for (const auto& entry : cases) {
        EXPECT_EQ(FrameDelayFromText(QString::fromLatin1(entry.text)), entry.delay) << entry.text;
    }
}

TEST_F(DialogsTest, UpdateOfferIsAcceptedOnlyByTheUpdateButton) {
    const struct {
        int button;
        int result;
    } cases[] = {{UpdateTipDlg::kUpdateId, kResultOk},
                 {UpdateTipDlg::kLaterId, kResultCancel},
                 {UpdateTipDlg::kCloseId, kResultCancel}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.button);
        UpdateTipDlg dialog;
        ASSERT_TRUE(dialog.CreateDlg(nullptr));
        WhenModal([&] { ClickControl(dialog, entry.button); });
        EXPECT_EQ(dialog.ShowModal(), entry.result);
        EXPECT_EQ(Caption(dialog, UpdateTipDlg::kUpdateId), DialogText(185));
        EXPECT_EQ(Caption(dialog, UpdateTipDlg::kLaterId), DialogText(186));
        EXPECT_EQ(Caption(dialog, UpdateTipDlg::kHeadingId), DialogText(183));
    }
}

}  // namespace
}  // namespace zephyl::test
