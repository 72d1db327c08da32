// SPDX-License-Identifier: GPL-2.0-or-later
// The window builds every control of every page, of the right class, in the right order.
#include "WindowTestSupport.h"

#include "glint/ControlFactory.h"

#include <algorithm>

namespace zephyl::window::test {
namespace {

struct ControlRange {
    int first;
    int last;
    const char* className;
    int container;  ///< the page container it lives in; 0 for the window itself
};

constexpr ControlRange kControls[] = {
    // Frame, title bar, containers, tab strip, home page and footer.
    {30, 30, "MPicture", 0},
    {31, 31, "CGifPicture", 0},
    {32, 37, "CArea", 0},
    {38, 38, "MPicture", 0},
    {39, 40, "MText", 0},
    {41, 41, "MPicture", 0},
    {42, 43, "CImageButton", 0},
    {45, 45, "CImageButton", 0},
    {47, 47, "BatteryCtrl", 0},
    {48, 48, "MPicture", 0},
    {49, 49, "MTabCtrl", 0},
    {50, 59, "MTabLayout", 0},
    {60, 60, "MText", 50},
    {62, 62, "CDeviceList", 50},
    {63, 64, "MText", 0},
    // Custom keys.
    {65, 69, "CImageButton", 51},
    {70, 70, "CArea", 51},
    {71, 71, "MListBox", 51},
    {72, 73, "MText", 51},
    {74, 74, "KeyboardCtrl", 51},
    {76, 76, "KeyFuncControl", 51},
    {77, 78, "MButton", 51},
    {79, 80, "KeyLayerButton", 51},
    // Lighting modes.
    {81, 81, "CArea", 52},
    {82, 82, "MListBox", 52},
    {83, 83, "MText", 52},
    {84, 84, "MComboBox", 52},
    {85, 85, "KeyboardCtrl", 52},
    {86, 86, "CArea", 52},
    {87, 87, "MText", 52},
    {88, 88, "MSlider", 52},
    {89, 89, "MText", 52},
    {90, 90, "MSlider", 52},
    {91, 91, "MText", 52},
    {92, 95, "CRadioButton", 52},
    {96, 96, "CColorButton", 52},
    {97, 97, "CCheckButton", 52},
    {98, 98, "MText", 52},
    {99, 99, "CArea", 52},
    {100, 100, "CirclePalette", 52},
    {101, 103, "MText", 52},
    {104, 106, "MSlider", 52},
    {107, 109, "MEdit", 52},
    {110, 118, "CColorButton", 52},
    // User lighting (212 and 213 are the user lighting page's; the custom page has its own).
    {155, 155, "CArea", 54},
    {156, 160, "CImageButton", 54},
    {163, 163, "MListBox", 54},
    {164, 164, "CArea", 54},
    {165, 165, "KeyboardCtrl", 54},
    {168, 168, "CirclePalette", 54},
    {169, 171, "MText", 54},
    {172, 174, "MSlider", 54},
    {175, 177, "MEdit", 54},
    {178, 186, "CColorButton", 54},
    {187, 187, "MText", 54},
    {188, 188, "MSlider", 54},
    {189, 191, "CCheckButton", 54},
    {212, 212, "MText", 54},
    {213, 213, "CArea", 54},
    // Custom lighting.
    {192, 196, "CImageButton", 55},
    {197, 197, "CArea", 55},
    {199, 199, "MListBox", 55},
    {200, 200, "MText", 55},
    {201, 201, "CArea", 55},
    {202, 202, "MListBox", 55},
    {203, 205, "CCheckButton", 55},
    {206, 206, "CustomLightMode", 55},
    {207, 207, "CArea", 55},
    {208, 208, "MText", 55},
    {209, 209, "MSlider", 55},
    {210, 210, "CColorButton", 55},
    {211, 211, "CCheckButton", 55},
    {214, 214, "CirclePalette", 55},
    {215, 217, "MText", 55},
    {218, 220, "MSlider", 55},
    {221, 223, "MEdit", 55},
    {224, 232, "CColorButton", 55},
    // Music.
    {233, 233, "CArea", 58},
    {234, 236, "CImageButton", 58},
    {237, 237, "CArea", 58},
    {238, 238, "MListBox", 58},
    {240, 240, "KeyboardCtrl", 58},
    {241, 241, "CArea", 58},
    {242, 242, "MText", 58},
    {243, 243, "MComboBox", 58},
    {244, 244, "MText", 58},
    {245, 245, "MSlider", 58},
    {246, 246, "MText", 58},
    {247, 247, "MComboBox", 58},
    {248, 248, "MText", 58},
    {249, 249, "MSlider", 58},
    // Macros.
    {250, 250, "CArea", 56},
    {251, 251, "MText", 56},
    {252, 252, "MListBox", 56},
    {253, 253, "MText", 56},
    {254, 254, "MComboBox", 56},
    {255, 257, "CRadioButton", 56},
    {258, 259, "MEdit", 56},
    {260, 260, "MComboBox", 56},
    {261, 267, "MButton", 56},
    {268, 268, "MText", 56},
    {269, 269, "MEdit", 56},
    {270, 270, "MText", 56},
    {271, 273, "CRadioButton", 56},
    {274, 274, "MEdit", 56},
    {275, 275, "MText", 56},
    {276, 277, "MButton", 56},
    {278, 278, "CArea", 56},
    {279, 279, "MText", 56},
    {280, 282, "CImageButton", 56},
    {283, 283, "CArea", 56},
    {284, 286, "MText", 56},
    {287, 287, "CRecordList", 56},
    {288, 288, "MButton", 56},
    // Settings.
    {289, 289, "CArea", 57},
    {290, 290, "MText", 57},
    {291, 291, "MComboBox", 57},
    {292, 292, "MText", 57},
    {293, 293, "MComboBox", 57},
    {294, 294, "CHelpButton", 57},
    {295, 295, "MText", 57},
    {296, 296, "MComboBox", 57},
    {297, 297, "CCheckButton", 57},
    {298, 299, "MButton", 57},
    {300, 301, "UpgradeButton", 57},
    {302, 302, "CArea", 57},
    {303, 305, "CCheckButton", 57},
    {306, 306, "KeyboardCtrl", 57},
    // Screen.
    {307, 316, "CArea", 59},
    {317, 317, "MText", 59},
    {318, 318, "CHelpButton", 59},
    {319, 319, "LCDViewCtrl", 59},
    {320, 320, "MText", 59},
    {321, 321, "LCDViewList", 59},
    {322, 324, "CTextButton", 59},
    {325, 326, "CArea", 59},
    {327, 327, "MText", 59},
    {328, 328, "CHelpButton", 59},
    {329, 329, "CCheckButton", 59},
    {330, 330, "ImageView", 59},
    {331, 331, "CTextButton", 59},
    {332, 332, "CArea", 59},
    {333, 333, "CTextButton", 59},
    {334, 334, "ImageViewList", 59},
    {335, 335, "MText", 59},
    {337, 337, "MEdit", 59},
    {338, 338, "MPicture", 59},
    {339, 339, "MText", 59},
    {340, 340, "MEdit", 59},
    {341, 347, "CImageButton", 59},
    {348, 348, "MText", 59},
    {349, 349, "LCDPalette3", 59},
    {350, 350, "LCDPalette2", 59},
    {351, 353, "MText", 59},
    {354, 356, "MEdit", 59},
    {357, 362, "CColorButton", 59},
    {363, 367, "MButton", 59},
};

bool ClassInThisBuild(const std::string& className) {
    const auto names = glint::ControlFactory::ClassNames();
    return std::find(names.begin(), names.end(), className) != names.end();
}

class BuildTest : public WindowTest {};

TEST_F(BuildTest, EveryControlExistsWithItsClassInItsPage) {
    Start("101:0");
    int checked = 0;
    for (const ControlRange& range : kControls) {
        for (int id = range.first; id <= range.last; ++id) {
            SCOPED_TRACE(testing::Message() << "control " << id << " " << range.className);
            glint::MControl* control = m_window->GetControl(id);
            if (!ClassInThisBuild(range.className)) {
                // A control of a later feature stays out until its class exists.
                EXPECT_EQ(control, nullptr);
                continue;
            }
            ASSERT_NE(control, nullptr);
            EXPECT_STREQ(control->ClassName(), range.className);
            QWidget* expectedParent =
                range.container == 0 ? static_cast<QWidget*>(m_window.get())
                                     : static_cast<QWidget*>(m_window->GetControl(range.container));
            EXPECT_EQ(control->parentWidget(), expectedParent);
            ++checked;
        }
    }
    EXPECT_GT(checked, 250);
    // The second 212 and 213 belong to the custom lighting page.
    int customPanels = 0;
    for (glint::MControl* control : m_window->GetControls()) {
        if ((control->GetID() == 212 || control->GetID() == 213) &&
            control->parentWidget() == m_window->GetControl(55)) {
            ++customPanels;
        }
    }
    EXPECT_EQ(customPanels, 2);
}

TEST_F(BuildTest, FrameThenHomeThenPagesInTheirOrder) {
    Start("101:0");
    const std::vector<glint::MControl*> controls = m_window->GetControls();
    // Background, containers, tab strip, home list, footer, then the first control of each page
    // in the order custom keys, macros, lighting, user lighting, custom lighting, music,
    // settings, screen.
    const int order[] = {30, 48, 50, 59, 49, 62, 60, 64, 63, 65, 250, 81, 155, 192, 233, 289, 307};
    // A control that was never built has no place in the order: that fails here, before the
    // comparison could take the end of the list for a place.
    std::vector<std::ptrdiff_t> positions;
    for (const int id : order) {
        const auto found = std::find_if(controls.begin(), controls.end(),
                                        [id](glint::MControl* c) { return c->GetID() == id; });
        ASSERT_NE(found, controls.end()) << "control " << id << " was not built";
        positions.push_back(found - controls.begin());
    }
    for (size_t i = 1; i < std::size(order); ++i) {
        EXPECT_LT(positions[i - 1], positions[i]) << order[i - 1] << " before " << order[i];
    }
}

TEST_F(BuildTest, StartsOnTheHomePage) {
    Start("101:0");
    EXPECT_TRUE(m_window->OnHomePage());
    EXPECT_FALSE(Control<glint::MTabCtrl>(49)->IsVisible());
    EXPECT_FALSE(Control<glint::MText>(60)->IsVisible());
    EXPECT_TRUE(Control<glint::MTabLayout>(50)->IsVisible());
    for (int container = 51; container <= 59; ++container) {
        EXPECT_FALSE(m_window->GetControl(container)->IsVisible()) << container;
    }
    auto* tabs = Control<glint::MTabCtrl>(49);
    ASSERT_EQ(tabs->GetItemCount(), kTabCount);
    const int itemIds[] = {0, 1, 2, 3, 9, 5, 6, 7, 8};
    const int containers[] = {50, 51, 56, 52, 59, 54, 55, 58, 57};
    for (int i = 0; i < kTabCount; ++i) {
        EXPECT_EQ(tabs->GetItemID(i), itemIds[i]);
        EXPECT_EQ(tabs->GetItemInfo(i).container, m_window->GetControl(containers[i]));
    }
    // Version and footer come from config.xml; its website shows the website button.
    EXPECT_EQ(Control<glint::MText>(64)->GetTitle(), QStringLiteral("Ver: 0.1.0"));
    EXPECT_TRUE(Control<glint::MText>(63)->GetTitle().startsWith(QStringLiteral("Copyright")));
    EXPECT_TRUE(m_window->GetControl(45)->IsVisible());
    EXPECT_EQ(Control<glint::CDeviceList>(62)->GetDeviceCount(), 3);
}

}  // namespace
}  // namespace zephyl::window::test
