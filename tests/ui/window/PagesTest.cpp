// SPDX-License-Identifier: GPL-2.0-or-later
// The pages' own behaviour: profiles, macros, settings, languages, page switching rules.
#include "WindowTestSupport.h"

#include "app/Environment.h"
#include "appprofiles/AppBindings.h"
#include "catalogue/KeyboardLayout.h"
#include "platform/SettingsStore.h"
#include "store/ConfigValues.h"
#include "text/CurrentLanguage.h"
#include "text/LanguageText.h"
#include "ui/window/KeyPage.h"
#include "ui/window/MacroPage.h"
#include "ui/window/MusicPage.h"

namespace zephyl::window::test {
namespace {

class PagesTest : public WindowTest {
protected:
    glint::MListBox* Profiles() { return Control<glint::MListBox>(71); }
    QStringList Texts(glint::MListBox* list) {
        QStringList texts;
        for (int i = 0; i < list->GetItemCount(); ++i) {
            texts << list->GetItemText(i);
        }
        return texts;
    }
};

TEST_F(PagesTest, ProfileListOperations) {
    Start("101:0");
    Connect();
    ASSERT_EQ(Texts(Profiles()), (QStringList{"My Config 1", "My Config 2", "My Config 3"}));
    EXPECT_EQ(Profiles()->GetCurSel(), 0);
    EXPECT_EQ(m_controller->CurrentProfile(), 1);

    // Choosing a profile makes it current and sends its tables.
    Profiles()->SetCurSel(1);
    m_services->Clear();
    m_window->OnMessage(71, 2, 1);
    EXPECT_EQ(m_controller->CurrentProfile(), Profiles()->GetItemData(1));
    EXPECT_EQ(m_services->Calls(), std::vector<std::string>{"wait"});

    // A new profile is numbered after the entries and becomes current.
    m_window->OnMessage(65, 2, 0);
    ASSERT_EQ(Profiles()->GetItemCount(), 4);
    EXPECT_EQ(Profiles()->GetItemText(3), QStringLiteral("My Config 4"));
    EXPECT_EQ(Profiles()->GetCurSel(), 3);
    EXPECT_EQ(m_controller->CurrentProfile(), Profiles()->GetItemData(3));

    // Deleting selects the entry before it.
    m_window->OnMessage(66, 2, 0);
    EXPECT_EQ(Texts(Profiles()), (QStringList{"My Config 1", "My Config 2", "My Config 3"}));
    EXPECT_EQ(Profiles()->GetCurSel(), 2);
    EXPECT_EQ(m_controller->CurrentProfile(), Profiles()->GetItemData(2));

    // A rename stores the edited text; an empty one is refused and the stored name comes back.
    Profiles()->ModifyItemString(2, QStringLiteral("Gaming"));
    m_window->OnMessage(71, 29, 0);
    std::string stored;
    m_database.GetProfileName(Profiles()->GetItemData(2), stored);
    EXPECT_EQ(stored, "Gaming");
    Profiles()->ModifyItemString(2, QString());
    m_services->Clear();
    m_window->OnMessage(71, 29, 0);
    EXPECT_EQ(Profiles()->GetItemText(2), QStringLiteral("Gaming"));
    ASSERT_EQ(m_services->Calls().size(), 1u);
    EXPECT_EQ(m_services->Calls()[0].rfind("message 0", 0), 0u);

    // Deleting stops at the last profile.
    m_window->OnMessage(66, 2, 0);
    m_window->OnMessage(66, 2, 0);
    EXPECT_EQ(Profiles()->GetItemCount(), 1);
    m_services->Clear();
    const size_t queued = m_controller->QueueLength();
    m_window->OnMessage(66, 2, 0);
    EXPECT_EQ(Profiles()->GetItemCount(), 1);
    EXPECT_EQ(m_controller->QueueLength(), queued);
    EXPECT_TRUE(m_services->Calls().empty());
}

TEST_F(PagesTest, LayerButtonsSwapImagesAndFnArrangementIsStored) {
    Start("101:0");
    Connect();
    m_window->OnMessage(78, 2, 0);
    EXPECT_EQ(m_window->Keys().CurrentLayer(), 1);
    EXPECT_EQ(Control<glint::MButton>(77)->GetImage(), QStringLiteral("img_btn_layer_n.png"));
    EXPECT_EQ(Control<glint::MButton>(78)->GetImage(), QStringLiteral("img_btn_layer_p.png"));
    m_window->OnMessage(77, 2, 0);
    EXPECT_EQ(m_window->Keys().CurrentLayer(), 0);
    EXPECT_EQ(Control<glint::MButton>(77)->GetImage(), QStringLiteral("img_btn_layer_p.png"));

    m_window->OnMessage(80, 2, 0);
    EXPECT_EQ(m_controller->ReadSettings().fnSwitch, 1);
    EXPECT_EQ(Control<glint::KeyLayerButton>(80)->GetCheck(), 1);
    EXPECT_EQ(Control<glint::KeyLayerButton>(79)->GetCheck(), 0);
    m_window->OnMessage(79, 2, 0);
    EXPECT_EQ(m_controller->ReadSettings().fnSwitch, 0);
    EXPECT_EQ(Control<glint::KeyLayerButton>(79)->GetCheck(), 1);
}

// A key write the keyboard refused is told to the user and the assignment stays stored.
TEST_F(PagesTest, KeyWriteTheKeyboardRefusedIsShownAndKept) {
    Start(R"({"keyboards": [{"model": 101, "modes": [0]}]})");
    Connect();
    auto* keyboard = Control<glint::KeyboardCtrl>(74);
    const int code = keyboard->GetKeyItems().front().code;
    keyboard->SetCurKey(code);
    auto setFault = reinterpret_cast<int (*)(const char*, int)>(
        m_devices->Library().Symbol("zephyl_virtual_inject_fault"));
    ASSERT_NE(setFault, nullptr);
    ASSERT_EQ(setFault("busy", 1000), 0);
    m_services->Clear();
    m_services->menuChoice = KeyPage::kMenuDisable;
    m_window->OnMessage(74, 5, code);
    Drain();
    const auto calls = m_services->Calls();
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const std::string& call) {
        return call.find("did not take the change") != std::string::npos;
    })) << (calls.empty() ? "no call" : calls.back());
    KeyAssignment stored;
    EXPECT_TRUE(m_database.GetKeyAssignment(m_controller->CurrentProfile(), 0, code, stored))
        << "kept for the next write";
}

TEST_F(PagesTest, KeyContextMenuDisablesAndRestoresAKey) {
    Start("101:0");
    Connect();
    auto* keyboard = Control<glint::KeyboardCtrl>(74);
    const std::vector<glint::KeyInfo> keys = keyboard->GetKeyItems();
    ASSERT_FALSE(keys.empty());
    const int code = keys.front().code;
    keyboard->SetCurKey(code);
    m_services->menuChoice = KeyPage::kMenuDisable;
    m_window->OnMessage(74, 5, code);
    ASSERT_EQ(m_services->lastMenu.size(), 3u);
    EXPECT_EQ(keyboard->GetKeyCheck(code), 1);
    KeyAssignment stored;
    ASSERT_TRUE(m_database.GetKeyAssignment(m_controller->CurrentProfile(), 0, code, stored));
    EXPECT_EQ(stored.macro_type, 1);

    m_services->menuChoice = KeyPage::kMenuOwnFunction;
    m_window->OnMessage(74, 5, code);
    EXPECT_EQ(keyboard->GetKeyCheck(code), 0);
    EXPECT_FALSE(m_database.GetKeyAssignment(m_controller->CurrentProfile(), 0, code, stored));

    // The assignment dialog: what it stored is shown and the key's layer written.
    m_services->menuChoice = KeyPage::kMenuAssign;
    m_services->keyDialogResult = 1;
    KeyAssignment record;
    record.profile = m_controller->CurrentProfile();
    record.key_code = code;
    record.macro_type = 2;
    record.macro_value = 0x04;
    record.macro_desc = "A";
    m_database.SaveKeyAssignment(record);
    m_services->Clear();
    const size_t before = m_controller->QueueLength();
    m_window->OnMessage(74, 5, code);
    EXPECT_EQ(m_services->Calls().back(), "key dialog " + std::to_string(code) + " " +
                                              std::to_string(m_controller->CurrentProfile()) +
                                              " 0");
    EXPECT_EQ(keyboard->GetKeyCheck(code), 1);
    EXPECT_EQ(m_controller->QueueLength(), before + 1);
}

TEST_F(PagesTest, MacroListOperations) {
    Start("101:0");
    Connect();
    auto* macros = Control<glint::MListBox>(252);
    EXPECT_EQ(macros->GetItemCount(), 0);
    EXPECT_FALSE(m_window->GetControl(288)->IsEnabled());

    m_window->OnMessage(262, 2, 0);
    m_window->OnMessage(262, 2, 0);
    ASSERT_EQ(Texts(macros), (QStringList{"New Macro 1", "New Macro 2"}));
    EXPECT_EQ(macros->GetCurSel(), 1);
    EXPECT_TRUE(m_window->GetControl(288)->IsEnabled());

    // The play count is stored clamped and shown as stored.
    Control<glint::MEdit>(269)->SetEditText(QStringLiteral("250"));
    m_window->OnMessage(288, 2, 0);
    EXPECT_EQ(Control<glint::MEdit>(269)->GetEditText(), QStringLiteral("99"));

    // The fixed pause field follows the delay choice.
    m_window->OnMessage(273, 2, 0);
    EXPECT_TRUE(m_window->GetControl(274)->IsEnabled());
    m_window->OnMessage(272, 2, 0);
    EXPECT_FALSE(m_window->GetControl(274)->IsEnabled());
    // The event kind shows its own field.
    m_window->OnMessage(256, 2, 0);
    EXPECT_TRUE(m_window->GetControl(260)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(258)->IsVisible());

    // Copy makes the copy at once; the list's menu pastes another.
    m_window->OnMessage(264, 2, 0);
    ASSERT_EQ(macros->GetItemCount(), 3);
    EXPECT_EQ(macros->GetItemText(2), QStringLiteral("New Macro 2 - 1"));
    m_services->menuChoice = MacroPage::kMenuPaste;
    m_window->OnMessage(252, 5, 0);
    ASSERT_EQ(macros->GetItemCount(), 4);
    EXPECT_EQ(macros->GetItemText(3), QStringLiteral("New Macro 2 - 2"));

    for (int i = 0; i < 4; ++i) {
        m_window->OnMessage(263, 2, 0);
    }
    EXPECT_EQ(macros->GetItemCount(), 0);
    EXPECT_FALSE(m_window->GetControl(288)->IsEnabled());
}

TEST_F(PagesTest, SettingsAreStoredAndSent) {
    Start("101:0");
    Connect();
    struct Case {
        int id;
        int value;  ///< item value chosen, or check state
        const char* key;
    };
    const Case cases[] = {
        {296, 3, kConfigSleepTime},     {293, 5, kConfigKeyResponseTime},
        {305, 1, kConfigDisableWin},    {304, 1, kConfigDisableAltF4},
        {303, 1, kConfigDisableAltTab}, {305, 0, kConfigDisableWin},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        if (auto* combo = Control<glint::MComboBox>(c.id)) {
            ASSERT_TRUE(combo->SelectData(c.value));
        } else {
            Control<glint::CCheckButton>(c.id)->SetCheck(c.value);
        }
        Drain();  // a settings write still waiting would take in the same request
        const size_t before = m_controller->QueueLength();
        EXPECT_EQ(m_window->OnMessage(c.id, 2, 0), 1);
        EXPECT_EQ(ReadConfigNumber(m_database, c.key), c.value);
        EXPECT_EQ(m_controller->QueueLength(), before + 1);
    }
    // The response time's help follows the value chosen.
    EXPECT_EQ(Control<glint::CHelpButton>(294)->GetTitle().split('\n').front(),
              QString::fromStdString(LanguageText(620)));
}

TEST_F(PagesTest, ResetsAskFirst) {
    Start("101:0");
    Connect();
    m_services->answers = {kAnswerCancel, kAnswerCancel};
    m_services->Clear();
    const size_t before = m_controller->QueueLength();
    m_window->OnMessage(298, 2, 0);
    m_window->OnMessage(299, 2, 0);
    EXPECT_EQ(m_controller->QueueLength(), before);
    const auto calls = m_services->Calls();
    ASSERT_EQ(calls.size(), 2u) << calls.back();
    EXPECT_EQ(calls[0].rfind("message 4 Reset keys:", 0), 0u);
    EXPECT_EQ(calls[1].rfind("message 4 Restore defaults:", 0), 0u);

    // Confirmed, restoring defaults resets the program's own preferences and the keyboard.
    m_controller->Settings().WriteInt("exit_mode", 2);
    m_services->autostart = true;
    m_services->Clear();
    m_window->OnMessage(299, 2, 0);
    EXPECT_EQ(m_controller->Settings().ReadInt("exit_mode"), 0);
    EXPECT_EQ(m_services->Calls()[1], "wait");
    Drain();
    EXPECT_EQ(m_services->Calls().back(), "close wait");
}

TEST_F(PagesTest, FirmwareNotNewerIsSaid) {
    Start("101:0");
    Connect();
    m_window->OnMessage(301, 2, 0);
    const auto calls = m_services->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "message 0 Firmware update: You already have the latest version.");
}

// A language the program started in (Chinese from the locale) can be chosen again later.
TEST_F(PagesTest, EveryShippedLanguageOfTheConfigurationIsOffered) {
    SetLanguageSet({1033, 1049, 2052});
    Start("101:0");
    SetCurrentLanguageId(2052);
    m_window->ApplyLanguageTexts();
    auto* languages = Control<glint::MComboBox>(291);
    EXPECT_EQ(languages->GetCurData(), 2052) << "the box shows the language in use";
    ASSERT_TRUE(languages->SelectData(1033));
    m_window->OnMessage(291, 2, 0);
    EXPECT_EQ(CurrentLanguageId(), 1033);
    EXPECT_TRUE(languages->SelectData(2052)) << "and it stays on offer";
    SetLanguageSet({});
}

TEST_F(PagesTest, LanguageSwitchRewritesCaptionsAndDefaultNames) {
    Start("101:0");
    Connect();
    m_window->OnMessage(262, 2, 0);  // "New Macro 1"
    m_window->OnMessage(49, 2, kTabSettings);
    Profiles()->ModifyItemString(0, QStringLiteral("Office"));
    m_database.RenameProfile(Profiles()->GetItemData(0), "Office");
    // The lighting lists of later features follow the same rule.
    const std::pair<int, const char*> otherLists[] = {
        {163, "Custom Light 2"}, {199, "Real-time Lighting 1"}, {238, "New Music Effect 3"}};
    for (const auto& [id, name] : otherLists) {
        Control<glint::MListBox>(id)->AddString(QString::fromUtf8(name), 1);
    }

    ASSERT_TRUE(Control<glint::MComboBox>(291)->SelectData(1049));
    ASSERT_EQ(m_window->OnMessage(291, 2, 0), 1);
    EXPECT_EQ(CurrentLanguageId(), 1049);
    EXPECT_EQ(m_controller->Settings().ReadInt("LCID"), 1049);

    const QString text65 = QString::fromStdString(LanguageText(65));
    ASSERT_FALSE(text65.isEmpty());
    EXPECT_NE(text65, QStringLiteral("My Config"));
    EXPECT_EQ(Profiles()->GetItemText(0), QStringLiteral("Office"));  // the user's own name
    EXPECT_EQ(Profiles()->GetItemText(1), text65 + QStringLiteral(" 2"));
    EXPECT_EQ(Profiles()->GetCurSel(), 0);
    EXPECT_EQ(Control<glint::MListBox>(252)->GetItemText(0),
              QString::fromStdString(LanguageText(331)) + QStringLiteral(" 1"));
    const std::pair<int, int> otherTexts[] = {{163, 78}, {199, 369}, {238, 101}};
    for (const auto& [id, text] : otherTexts) {
        const QString shown = Control<glint::MListBox>(id)->GetItemText(0);
        EXPECT_TRUE(shown.startsWith(QString::fromStdString(LanguageText(text)) + ' ')) << id;
        EXPECT_FALSE(shown.startsWith(QStringLiteral("Custom Light")) ||
                     shown.startsWith(QStringLiteral("Real-time")) ||
                     shown.startsWith(QStringLiteral("New Music")))
            << id;
    }
    EXPECT_EQ(Control<glint::MText>(39)->GetTitle(),
              QString::fromStdString(LanguageText(kCaptionSection, 1)));
    EXPECT_EQ(Control<glint::MText>(40)->GetTitle(), QString::fromStdString(LanguageText(57)));
    EXPECT_EQ(Control<glint::MTabCtrl>(49)->GetItemInfo(kTabMacros).text,
              QString::fromStdString(LanguageText(52)));
    EXPECT_EQ(Control<glint::MButton>(298)->GetTitle(), QString::fromStdString(LanguageText(152)));
    EXPECT_EQ(Control<glint::MComboBox>(296)->GetItemText(0),
              QString::fromStdString(LanguageText(142)));
    EXPECT_EQ(Control<glint::MListBox>(202)->GetItemText(0),
              QString::fromStdString(LanguageText(370)));

    // And back: the Russian default names become the English ones.
    ASSERT_TRUE(Control<glint::MComboBox>(291)->SelectData(1033));
    m_window->OnMessage(291, 2, 0);
    EXPECT_EQ(Profiles()->GetItemText(1), QStringLiteral("My Config 2"));
    EXPECT_EQ(Control<glint::MListBox>(252)->GetItemText(0), QStringLiteral("New Macro 1"));
}

TEST_F(PagesTest, ProgramsAreBoundAndUnboundOnTheKeyPage) {
    Start("101:0");
    Connect();
    m_window->OnMessage(49, 2, kTabKeys);
    Drain();
    auto* name = Control<glint::MEdit>(985);
    auto* programs = Control<glint::MListBox>(983);
    const auto boundToCurrent = [this] {
        for (const ProfileBinding& binding : ReadBindings(m_database)) {
            if (binding.profile == m_controller->CurrentProfile()) {
                return binding.programs;
            }
        }
        return std::vector<std::string>{};
    };

    name->SetEditText(QStringLiteral("firefox"));
    m_window->OnMessage(986, glint::kEventClick, 0);
    Settle();
    EXPECT_EQ(boundToCurrent(), std::vector<std::string>{"firefox"});
    ASSERT_EQ(programs->GetItemCount(), 1);
    EXPECT_EQ(programs->GetItemText(0), QStringLiteral("firefox"));
    EXPECT_TRUE(name->GetEditText().isEmpty());

    // A name no program file can have is refused with a message, and stays to be corrected.
    m_services->Clear();
    name->SetEditText(QStringLiteral("bin/sh"));
    m_window->OnMessage(986, glint::kEventClick, 0);
    Settle();
    EXPECT_EQ(boundToCurrent(), std::vector<std::string>{"firefox"});
    ASSERT_EQ(m_services->Calls().size(), 1u);
    EXPECT_NE(m_services->Calls()[0].find(LanguageText(964)), std::string::npos);
    EXPECT_EQ(name->GetEditText(), QStringLiteral("bin/sh"));

    programs->SetCurSel(0);
    m_window->OnMessage(987, glint::kEventClick, 0);
    Settle();
    EXPECT_TRUE(boundToCurrent().empty());
    EXPECT_EQ(programs->GetItemCount(), 0);
}

TEST_F(PagesTest, MusicLightingRunsOnlyOnTheMusicPage) {
    Start("101:0");
    Connect();
    m_window->OnMessage(49, 2, kTabMusic);
    EXPECT_TRUE(m_window->Music().MusicLightingRunning());
    m_window->OnMessage(49, 2, kTabSettings);
    EXPECT_FALSE(m_window->Music().MusicLightingRunning());
    m_window->OnMessage(49, 2, kTabMusic);
    m_window->OnMessage(49, 2, kTabHome);
    EXPECT_FALSE(m_window->Music().MusicLightingRunning());
}

TEST_F(PagesTest, NoKeyboardShowsOnlyTheHomePage) {
    Start(R"({"keyboards": []})");
    Connect();
    EXPECT_FALSE(m_controller->Connected());
    EXPECT_TRUE(m_window->OnHomePage());
    EXPECT_FALSE(m_window->GetControl(49)->IsVisible());
    EXPECT_TRUE(m_window->GetControl(60)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(47)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(48)->IsVisible());
    auto* devices = Control<glint::CDeviceList>(62);
    ASSERT_EQ(devices->GetDeviceCount(), 3);
    for (int type : {101, 102, 103}) {
        EXPECT_EQ(devices->GetDeviceState(type), 0) << type;
    }
    // Choosing a model while nothing is there stays on the home page.
    m_window->OnMessage(62, 2, 0);
    Drain();
    EXPECT_TRUE(m_window->OnHomePage());
}

}  // namespace
}  // namespace zephyl::window::test
