// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include <typeinfo>

namespace zephyl::glint::test {
namespace {

using FactoryTest = GlintTest;

struct ClassCase {
    const char* name;
    const std::type_info& type;
};

const ClassCase kClasses[] = {
    {"MText", typeid(MText)},
    {"MPicture", typeid(MPicture)},
    {"CGifPicture", typeid(CGifPicture)},
    {"CArea", typeid(CArea)},
    {"MButton", typeid(MButton)},
    {"CImageButton", typeid(CImageButton)},
    {"CTextButton", typeid(CTextButton)},
    {"CHelpButton", typeid(CHelpButton)},
    {"UpgradeButton", typeid(UpgradeButton)},
    {"CCheckButton", typeid(CCheckButton)},
    {"CRadioButton", typeid(CRadioButton)},
    {"KeyLayerButton", typeid(KeyLayerButton)},
    {"MEdit", typeid(MEdit)},
    {"MSlider", typeid(MSlider)},
    {"MProgress", typeid(MProgress)},
    {"CColorButton", typeid(CColorButton)},
    {"CirclePalette", typeid(CirclePalette)},
    {"LCDPalette2", typeid(LCDPalette2)},
    {"LCDPalette3", typeid(LCDPalette3)},
    {"BatteryCtrl", typeid(BatteryCtrl)},
    {"CDeviceCtrl", typeid(CDeviceCtrl)},
    {"CDeviceList", typeid(CDeviceList)},
    {"MTabCtrl", typeid(MTabCtrl)},
    {"MTabLayout", typeid(MTabLayout)},
    {"MListBox", typeid(MListBox)},
    {"MComboBox", typeid(MComboBox)},
    {"KeyboardCtrl", typeid(KeyboardCtrl)},
    {"KeyFuncControl", typeid(KeyFuncControl)},
    {"CRecordList", typeid(CRecordList)},
};

TEST_F(FactoryTest, EveryClassNameMakesItsClassWithTheIdAndPlace) {
    int id = 100;
    for (const ClassCase& entry : kClasses) {
        SCOPED_TRACE(entry.name);
        const QRect place(10, 20, 120, 40);
        MControl* control = m_window->CreateControl(entry.name, id, place);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(typeid(*control), entry.type);
        EXPECT_STREQ(control->ClassName(), entry.name);
        EXPECT_EQ(control->GetID(), id);
        EXPECT_EQ(m_window->GetControl(id), control);
        EXPECT_EQ(control->geometry(), place);
        EXPECT_TRUE(control->isVisible());
        ++id;
    }
    EXPECT_EQ(m_window->GetControls().size(), std::size(kClasses));
}

TEST_F(FactoryTest, UnknownClassNamesMakeNothing) {
    EXPECT_EQ(m_window->CreateControl("MNoSuchControl", 1), nullptr);
    EXPECT_EQ(m_window->CreateControl("mtext", 2), nullptr);
    EXPECT_EQ(m_window->GetControl(1), nullptr);
    EXPECT_TRUE(m_window->GetControls().empty());
}

TEST_F(FactoryTest, CaptionFlagsAndContainerTakeEffect) {
    auto* page = m_window->CreateAreaAs<MTabLayout>(50, QRect(60, 60, 400, 300));
    MControl* button = m_window->CreateControl("MButton", 61, QRect(5, 6, 80, 30),
                                               QStringLiteral("Apply"), 0, 0, page);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parentWidget(), page);
    EXPECT_EQ(button->mapTo(m_window, QPoint(0, 0)), QPoint(65, 66));
    EXPECT_EQ(static_cast<MButton*>(button)->GetTitle(), QStringLiteral("Apply"));
    EXPECT_FALSE(button->IsVisible());
    EXPECT_FALSE(button->IsEnabled());
    EXPECT_TRUE(button->isHidden());
    EXPECT_FALSE(button->isEnabled());

    // A caption given to a control without one is dropped, not an error.
    EXPECT_NE(m_window->CreateArea("CArea", 63, {}, QStringLiteral("ignored")), nullptr);
}

TEST_F(FactoryTest, AreasLetTheMouseThroughAndControlsTakeIt) {
    MControl* picture = m_window->CreateArea("MPicture", 30, QRect(0, 0, 100, 100));
    MControl* clickable = m_window->CreateControl("MPicture", 31, QRect(100, 0, 100, 100));
    EXPECT_TRUE(picture->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(clickable->testAttribute(Qt::WA_TransparentForMouseEvents));
    ClickWindow(m_window, QPoint(50, 50));
    ClickWindow(m_window, QPoint(150, 50));
    EXPECT_EQ(m_window->events, (std::vector<Event>{{31, kEventClick, 0}}));
}

TEST_F(FactoryTest, LaterClassesRegisterThemselves) {
    ControlFactory::Register("CFutureControl", [](MDialog* owner, int id, QWidget* parent) {
        return static_cast<MControl*>(new MText(owner, id, parent));
    });
    MControl* control = m_window->CreateControl("CFutureControl", 7);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetID(), 7);
    const auto names = ControlFactory::ClassNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "CFutureControl"), names.end());
}

TEST_F(FactoryTest, DuplicateIdsFindTheFirstAndDeletedControlsAreGone) {
    MControl* first = m_window->CreateArea("MText", 212);
    MControl* second = m_window->CreateArea("MText", 212);
    EXPECT_EQ(m_window->GetControl(212), first);
    delete first;
    EXPECT_EQ(m_window->GetControl(212), second);
    delete second;
    EXPECT_EQ(m_window->GetControl(212), nullptr);
}

}  // namespace
}  // namespace zephyl::glint::test
