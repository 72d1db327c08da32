// SPDX-License-Identifier: GPL-2.0-or-later
// The custom lighting page offscreen against the virtual keyboard: its sets, its effects and
// the frames the worker streams while it is shown.
#include "WindowTestSupport.h"

#include "lighting/CustomLightEngine.h"
#include "store/ConfigValues.h"
#include "text/LanguageText.h"
#include "ui/window/CustomLightPage.h"

#include <filesystem>
#include <regex>

namespace zephyl::window::test {
namespace {

constexpr int kTabStrip = 49;

class CustomLightPageTest : public WindowTest {
protected:
    void Open() {
        Start("101:0");
        Connect();
        m_window->OnMessage(kTabStrip, glint::kEventClick, kTabCustomLight);
        Drain();
    }
    CustomLightPage& Page() { return m_window->CustomLight(); }
    void Click(int id) { m_window->OnMessage(id, glint::kEventClick, 0); }
    int StreamedFrames() {
        std::smatch match;
        const std::string state = KeyboardState();
        return std::regex_search(state, match, std::regex("\"streamed_frames\": *([0-9]+)"))
                   ? std::stoi(match[1])
                   : -1;
    }
    std::vector<CustomLightKey> Rows(int id) {
        std::vector<CustomLightKey> rows;
        m_database.ListCustomLightKeys(id, rows);
        return rows;
    }
};

TEST_F(CustomLightPageTest, SetsAndEffectsAreStoredAndFramesStreamWhileThePageIsShown) {
    Open();
    glint::MListBox* sets = Page().SetList();
    ASSERT_EQ(sets->GetItemCount(), 1);
    EXPECT_EQ(sets->GetItemText(0).toStdString(), LanguageText(369) + " 1");
    const int id = sets->GetItemData(0);
    EXPECT_TRUE(Page().AnimationRunning());

    // WASD checked, then the effect "flash" (list entry 5) written for them.
    Control<glint::CCheckButton>(CustomLightPage::kWasd)->SetCheck(1);
    Click(CustomLightPage::kWasd);
    EXPECT_EQ(Page().Picture()->GetCheckedKeys().size(), 4u);
    Page().EffectList()->SetCurSel(5);
    Click(CustomLightPage::kEffects);
    const auto rows = Rows(id);
    ASSERT_EQ(rows.size(), 4u);
    for (const CustomLightKey& row : rows) {
        EXPECT_EQ(row.light_mode, 10);
    }

    // Frames arrive on idle passes, showing the animation as it runs.
    const auto before = Page().Engine().Snapshot()->sequence;
    Page().AnimationTick();
    EXPECT_GT(Page().Engine().Snapshot()->sequence, before);
    m_controller->Work();
    m_controller->Work();
    EXPECT_EQ(StreamedFrames(), 2);

    // Another page: no animation, no frames.
    m_window->OnMessage(kTabStrip, glint::kEventClick, kTabKeys);
    EXPECT_FALSE(Page().AnimationRunning());
    m_controller->Work();
    EXPECT_EQ(StreamedFrames(), 2);

    // New set: selected and shown empty; deleting it goes back to the first.
    Click(CustomLightPage::kAdd);
    ASSERT_EQ(sets->GetItemCount(), 2);
    EXPECT_EQ(sets->GetCurSel(), 1);
    EXPECT_TRUE(Page().Picture()->GetCheckedKeys().empty());
    Click(CustomLightPage::kDelete);
    ASSERT_EQ(sets->GetItemCount(), 1);
    EXPECT_EQ(sets->GetCurData(), id);
    EXPECT_EQ(Page().Engine().KeyInfo(26)->lightMode, 10) << "the first set is shown again";
}

TEST_F(CustomLightPageTest, ExportWithoutASetIsRefusedAndTheOffEffectHidesTheColourGroup) {
    Open();
    Page().SetList()->SetCurSel(-1);
    Click(CustomLightPage::kExport);
    const auto calls = m_services->Calls();
    EXPECT_NE(std::find_if(calls.begin(), calls.end(),
                           [](const std::string& c) { return c.find("message") == 0; }),
              calls.end());

    Page().EffectList()->SetCurSel(8);
    Click(CustomLightPage::kEffects);
    EXPECT_FALSE(m_window->GetControl(CustomLightPage::kSpeed)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(CustomLightPage::kFirstSwatch)->IsVisible());
    Page().EffectList()->SetCurSel(2);
    Click(CustomLightPage::kEffects);
    EXPECT_TRUE(m_window->GetControl(CustomLightPage::kSpeed)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(CustomLightPage::kColour)->IsVisible());
}

// "Always on" takes its colour from the chooser alone: without its colour button the caption of
// that button goes too. The chooser's wheel keeps a size worth aiming at beside the settings.
TEST_F(CustomLightPageTest, AlwaysOnHidesTheColourCaptionAndTheWheelKeepsItsSize) {
    Open();
    // Id 212 is on the user lighting page too: the custom page's own caption is looked at.
    glint::MControl* caption = nullptr;
    for (QWidget* widget : Page().Container()->findChildren<QWidget*>()) {
        auto* control = dynamic_cast<glint::MControl*>(widget);
        if (control && control->GetID() == CustomLightPage::kColourText) {
            caption = control;
        }
    }
    ASSERT_NE(caption, nullptr);
    Page().EffectList()->SetCurSel(0);  // always on
    Click(CustomLightPage::kEffects);
    EXPECT_FALSE(m_window->GetControl(CustomLightPage::kColour)->IsVisible());
    EXPECT_FALSE(caption->IsVisible());
    EXPECT_TRUE(m_window->GetControl(CustomLightPage::kWheel)->IsVisible());
    Page().EffectList()->SetCurSel(1);  // breathing: its colour button, with its caption
    Click(CustomLightPage::kEffects);
    EXPECT_TRUE(m_window->GetControl(CustomLightPage::kColour)->IsVisible());
    EXPECT_TRUE(caption->IsVisible());

    const QRect wheel = m_window->GetControl(CustomLightPage::kWheel)->GetRect();
    EXPECT_GE(std::min(wheel.width(), wheel.height()), 120) << "a wheel, not a dot";
    for (int id = CustomLightPage::kFirstSlider; id <= CustomLightPage::kLastSwatch; ++id) {
        const QRect other = m_window->GetControl(id)->GetRect();
        EXPECT_FALSE(wheel.intersects(other)) << id;
        EXPECT_GE(other.width(), 16) << id;
    }
}

TEST_F(CustomLightPageTest, TheSetListMenuRunsTheButtonsOperations) {
    Open();
    glint::MListBox* sets = Page().SetList();
    const int first = sets->GetItemData(0);
    Control<glint::CCheckButton>(CustomLightPage::kWasd)->SetCheck(1);
    Click(CustomLightPage::kWasd);
    Page().EffectList()->SetCurSel(5);
    Click(CustomLightPage::kEffects);
    const std::string file = (m_environment.Root() / "menu set.xml").string();
    m_services->chosenFile = QString::fromStdString(file);
    auto menu = [this](int command) {
        m_services->menuChoice = command;
        m_window->OnMessage(CustomLightPage::kSets, glint::kEventRightButton, 0);
    };

    menu(CustomLightPage::kMenuExport);
    ASSERT_EQ(m_services->lastMenu.size(), 4u);
    const std::pair<int, int> items[] = {{CustomLightPage::kMenuNew, 28},
                                         {CustomLightPage::kMenuDelete, 30},
                                         {CustomLightPage::kMenuImport, 26},
                                         {CustomLightPage::kMenuExport, 27}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(m_services->lastMenu[i].first, items[i].first);
        EXPECT_EQ(m_services->lastMenu[i].second.toStdString(), LanguageText(items[i].second));
    }
    EXPECT_TRUE(std::filesystem::exists(file));

    menu(CustomLightPage::kMenuImport);
    ASSERT_EQ(sets->GetItemCount(), 2);
    EXPECT_EQ(sets->GetCurData(), first) << "an imported set is added, not selected";
    const int imported = sets->GetItemData(1);
    EXPECT_EQ(Rows(imported).size(), 4u);

    menu(CustomLightPage::kMenuNew);
    ASSERT_EQ(sets->GetItemCount(), 3);
    EXPECT_EQ(sets->GetCurSel(), 2);
    EXPECT_EQ(sets->GetItemText(2).toStdString(), LanguageText(369) + " 3");

    // Delete acts on the entry the right click selected; dismissing the menu changes nothing.
    sets->SetCurSel(1);
    menu(CustomLightPage::kMenuDelete);
    ASSERT_EQ(sets->GetItemCount(), 2);
    EXPECT_TRUE(Rows(imported).empty()) << "the key rows go with their set";
    EXPECT_NE(sets->GetItemData(1), imported);
    menu(0);
    EXPECT_EQ(sets->GetItemCount(), 2);
}

}  // namespace
}  // namespace zephyl::window::test
