// SPDX-License-Identifier: GPL-2.0-or-later
// The lighting modes and user lighting pages through the window, down to the virtual keyboard's
// memory: effects, colours, the side light, user lighting sets and the live key colours.
#include "WindowTestSupport.h"

#include "catalogue/KeyboardLayout.h"
#include "glint/Glint.h"
#include "store/ConfigValues.h"
#include "ui/window/LightingPage.h"
#include "ui/window/UserLightPage.h"

#include <regex>
#include <set>

namespace zephyl::window::test {
namespace {

class LightingPagesTest : public WindowTest {
protected:
    /// A value of the keyboard's memory: a hex block or a number.
    std::string Memory(const std::string& name) {
        std::smatch match;
        const std::string state = KeyboardState();
        if (!std::regex_search(state, match, std::regex("\"" + name + "\": *\"?([0-9a-f]*)\"?"))) {
            return {};
        }
        return match[1];
    }

    void Click(int id, int value = 0) { m_window->OnMessage(id, glint::kEventClick, value); }

    void ChooseEffect(int mode) {
        ASSERT_TRUE(Control<glint::MListBox>(LightingPage::kEffects)->SetCurData(mode));
        Click(LightingPage::kEffects);
    }

    bool Shown(int id) { return m_window->GetControl(id)->IsVisible(); }
};

TEST_F(LightingPagesTest, ChosenEffectAndColourReachTheLightingBlock) {
    Start("101:0");
    Connect();
    ASSERT_EQ(Control<glint::MListBox>(LightingPage::kEffects)->GetItemCount(), 20);
    EXPECT_EQ(Control<glint::MListBox>(LightingPage::kEffects)->GetCurData(),
              m_controller->Layout()->defaultMode);

    ChooseEffect(2);
    EXPECT_EQ(Control<glint::CCheckButton>(LightingPage::kMulticolour)->GetCheck(), 1);
    Click(LightingPage::kFirstSwatch + 4);  // blue
    Drain();
    EXPECT_EQ(Control<glint::CCheckButton>(LightingPage::kMulticolour)->GetCheck(), 0)
        << "a chosen colour ends multicolour";
    EXPECT_EQ(Control<glint::MEdit>(LightingPage::kFirstField + 2)->GetEditText(), "255");
    // Mode 2, blue, one colour, brightness 4 and speed 3 (the model's defaults), direction 0.
    EXPECT_EQ(Memory("lighting"), "020000ff00000000000403000000aa55");

    // A number typed out of range is clamped where it was typed, and that colour is sent.
    auto* red = Control<glint::MEdit>(LightingPage::kFirstField);
    red->SetEditText(QStringLiteral("300"));
    m_window->OnMessage(LightingPage::kFirstField, glint::kEventTextChanged, 0);
    EXPECT_EQ(red->GetEditText(), "255");
    EXPECT_EQ(Control<glint::MSlider>(LightingPage::kFirstSlider)->GetProgress(), 255);
    red->SetEditText(QStringLiteral("-4"));
    m_window->OnMessage(LightingPage::kFirstField, glint::kEventTextChanged, 0);
    EXPECT_EQ(red->GetEditText(), "0");
    Drain();
    EXPECT_EQ(Memory("lighting").substr(0, 8), "020000ff");

    // Effect 0 hides every setting and sends only the trailer.
    ChooseEffect(0);
    Drain();
    for (int id : std::initializer_list<int>{LightingPage::kBrightness, LightingPage::kSpeed,
                                             LightingPage::kColour, LightingPage::kMulticolour,
                                             LightingPage::kWheel, LightingPage::kFirstDirection,
                                             LightingPage::kFirstDirection + 2}) {
        EXPECT_FALSE(Shown(id)) << id;
    }
    EXPECT_EQ(Memory("lighting"), std::string(28, '0') + "aa55");
}

// The chooser shows one colour everywhere: the wheel's mark and the marked swatch follow a
// swatch, a typed number and a slider alike.
TEST_F(LightingPagesTest, TheWheelAndTheSwatchesFollowTheColourFromAnySource) {
    Start("101:0");
    Connect();
    ChooseEffect(2);
    auto* wheel = Control<glint::CirclePalette>(LightingPage::kWheel);
    const auto swatch = [this](int i) {
        return Control<glint::CColorButton>(LightingPage::kFirstSwatch + i);
    };
    const auto type = [this](int field, const char* text) {
        Control<glint::MEdit>(LightingPage::kFirstField + field)->SetEditText(text);
        m_window->OnMessage(LightingPage::kFirstField + field, glint::kEventTextChanged, 0);
    };
    swatch(4)->SetSelected(true);  // as a click on it does, before it reports
    Click(LightingPage::kFirstSwatch + 4);
    EXPECT_EQ(wheel->GetColor(), 0xFF0000u) << "blue";

    type(1, "255");  // blue and green: the cyan swatch's colour
    EXPECT_EQ(wheel->GetColor(), 0xFFFF00u);
    EXPECT_TRUE(swatch(5)->IsSelected());
    EXPECT_FALSE(swatch(4)->IsSelected()) << "blue is no longer the colour";

    type(1, "128");  // a colour of no swatch
    EXPECT_EQ(wheel->GetColor(), 0xFF8000u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_FALSE(swatch(i)->IsSelected()) << i;
    }

    auto* redSlider = Control<glint::MSlider>(LightingPage::kFirstSlider);
    redSlider->SetProgress(255);
    Click(LightingPage::kFirstSlider);
    EXPECT_EQ(wheel->GetColor(), 0xFF80FFu);
    Drain();
    EXPECT_EQ(Memory("lighting").substr(0, 8), "02ff80ff");
}

TEST_F(LightingPagesTest, DirectionButtonsFollowTheEffect) {
    Start("101:0");
    Connect();
    ChooseEffect(10);  // 0x3B: up and down
    EXPECT_FALSE(Shown(LightingPage::kFirstDirection));
    EXPECT_FALSE(Shown(LightingPage::kFirstDirection + 1));
    EXPECT_TRUE(Shown(LightingPage::kFirstDirection + 2));
    EXPECT_TRUE(Shown(LightingPage::kFirstDirection + 3));
    Click(LightingPage::kFirstDirection + 2);
    Drain();
    EXPECT_EQ(Memory("lighting").substr(22, 2), "02") << "up";

    ChooseEffect(11);  // 0x37: left and right
    EXPECT_TRUE(Shown(LightingPage::kFirstDirection));
    EXPECT_TRUE(Shown(LightingPage::kFirstDirection + 1));
    EXPECT_FALSE(Shown(LightingPage::kFirstDirection + 2));
    EXPECT_FALSE(Shown(LightingPage::kFirstDirection + 3));
}

TEST_F(LightingPagesTest, SideLightIsStoredAsItsNumberAndSentAsItsItem) {
    Start("101:0");
    Connect();
    auto* sideLight = Control<glint::MComboBox>(LightingPage::kSideLight);
    ASSERT_TRUE(sideLight->SelectData(41));
    Click(LightingPage::kSideLight);
    Drain();
    std::string stored;
    m_database.GetConfigValue(kSettingsProfile, kConfigLightMode, stored);
    EXPECT_EQ(stored, "10");
    EXPECT_EQ(Memory("side_light"), "41");

    ASSERT_TRUE(sideLight->SelectData(32));
    Click(LightingPage::kSideLight);
    Drain();
    m_database.GetConfigValue(kSettingsProfile, kConfigLightMode, stored);
    EXPECT_EQ(stored, "1");
    EXPECT_EQ(Memory("side_light"), "32");
}

TEST_F(LightingPagesTest, UserLightingSetReachesTheKeyboard) {
    Start("101:0");
    Connect();
    auto* sets = Control<glint::MListBox>(UserLightPage::kSets);
    EXPECT_EQ(sets->GetItemCount(), 0);
    EXPECT_FALSE(m_window->GetControl(UserLightPage::kWheel)->IsEnabled());

    Click(UserLightPage::kAdd);
    Drain();
    ASSERT_EQ(sets->GetItemCount(), 1);
    EXPECT_EQ(sets->GetItemText(0), "Custom Light 1");
    EXPECT_TRUE(m_window->GetControl(UserLightPage::kWheel)->IsEnabled());
    EXPECT_EQ(Memory("lighting").substr(0, 2), "80");
    EXPECT_EQ(Memory("user_colors"), std::string(1148, '0') + "aa55");

    // WASD in blue: those keys lit, the others dark.
    Control<glint::CCheckButton>(UserLightPage::kWasd)->SetCheck(1);
    Click(UserLightPage::kWasd);
    Click(UserLightPage::kFirstSwatch + 3);  // 0xFF0000, blue
    Drain();
    const std::string colours = Memory("user_colors");
    ASSERT_EQ(colours.size(), 1152u);
    const KeyboardLayout& layout = *m_controller->Layout();
    const std::set<int> wasd = {26, 4, 22, 7};
    for (const auto& [code, light] : layout.lightIndexMap) {
        if (light <= 0 || light > 142) {
            continue;
        }
        const std::string group = colours.substr(size_t(light) * 8 + 2, 6);
        EXPECT_EQ(group, wasd.count(code) ? "0000ff" : "000000") << "key " << code;
    }

    // Deleting the set takes its key rows along and leaves the page without a set.
    const int id = sets->GetItemData(0);
    Click(UserLightPage::kDelete);
    EXPECT_EQ(sets->GetItemCount(), 0);
    std::vector<UserLightKey> rows;
    EXPECT_EQ(m_database.ListUserLightKeys(id, rows), 0);
    EXPECT_FALSE(m_window->GetControl(UserLightPage::kWheel)->IsEnabled());
}

TEST_F(LightingPagesTest, LiveColoursAreShownOnTheLightingPage) {
    Start("101:0");
    Connect();
    m_window->OnMessage(49, glint::kEventClick, kTabLighting);
    ChooseEffect(2);
    Click(LightingPage::kFirstSwatch + 4);  // blue
    Drain();
    auto* keyboard = Control<glint::KeyboardCtrl>(LightingPage::kKeyboard);
    keyboard->SetLightModeColor(0, 0);
    m_controller->Work();  // an idle pass on the lighting page reads the colours back
    Settle();
    int lit = 0;
    for (const glint::KeyInfo& key : keyboard->GetKeyItems()) {
        if (m_controller->Layout()->lightIndexMap.count(key.code) == 0) {
            continue;
        }
        EXPECT_EQ(key.colour & 0x00FFFF, 0u) << "key " << key.code << " shows only blue";
        lit += key.colour != 0 ? 1 : 0;
    }
    EXPECT_GT(lit, 0);

    // Away from the page nothing is read.
    m_window->OnMessage(49, glint::kEventClick, kTabKeys);
    keyboard->SetLightModeColor(0, 0);
    Drain();
    m_controller->Work();
    Settle();
    for (const glint::KeyInfo& key : keyboard->GetKeyItems()) {
        EXPECT_EQ(key.colour, 0u);
    }
}

}  // namespace
}  // namespace zephyl::window::test
