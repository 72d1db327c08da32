// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include "catalogue/KeyboardLayout.h"

#include <QTest>

#include <set>

namespace zephyl::glint::test {
namespace {

/// Four keys of a 300 x 100 picture, shown at twice its size.
class KeyboardCtrlTest : public GlintTest {
protected:
    void SetUp() override {
        GlintTest::SetUp();
        m_keyboard = m_window->CreateControlAs<KeyboardCtrl>(74, QRect(0, 0, 600, 200));
        m_keyboard->SetWidthAndHeight(300, 100);
        const struct {
            int code;
            const char* name;
            Rect rect;
        } keys[] = {{41, "Esc", {10, 10, 50, 50}},
                    {26, "W", {60, 10, 100, 50}},
                    {4, "A", {110, 10, 150, 50}},
                    {30, "1", {250, 50, 290, 90}}};
        for (const auto& key : keys) {
            LayoutKey layoutKey;
            layoutKey.code = key.code;
            layoutKey.name = key.name;
            layoutKey.description = key.name;
            layoutKey.rect = key.rect;
            m_keyboard->AddKeyItem(layoutKey);
        }
        Settle();
    }

    /// A point inside a key, in the control.
    QPoint On(int code) const { return m_keyboard->KeyRectInControl(code).center(); }

    KeyboardCtrl* m_keyboard = nullptr;
};

TEST_F(KeyboardCtrlTest, KeysComeFromTheLayoutAndAreFoundWhereTheyAreDrawn) {
    ASSERT_EQ(m_keyboard->GetKeyCount(), 4);
    const std::vector<KeyInfo> keys = m_keyboard->GetKeyItems();
    EXPECT_EQ(keys[1].code, 26);
    EXPECT_EQ(keys[1].name, QStringLiteral("W"));
    EXPECT_EQ(keys[1].rect, QRect(60, 10, 40, 40));
    EXPECT_EQ(m_keyboard->KeyRectInControl(26), QRect(120, 20, 80, 80));
    const struct {
        QPoint point;
        int code;
    } cases[] = {{QPoint(121, 21), 26},
                 {QPoint(199, 99), 26},
                 {QPoint(205, 50), 0},
                 {QPoint(560, 170), 30},
                 {QPoint(5, 5), 0}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.point.x());
        EXPECT_EQ(m_keyboard->KeyAt(entry.point), entry.code);
    }
    m_keyboard->ClearItem();
    EXPECT_EQ(m_keyboard->GetKeyCount(), 0);
}

TEST_F(KeyboardCtrlTest, AssignmentModePicksTheCurrentKey) {
    m_keyboard->SetKeyboardCtrlMode(kKeyboardModeAssign);
    Click(m_keyboard, On(4));
    EXPECT_EQ(m_keyboard->GetCurKey(), 4);
    Click(m_keyboard, On(26), Qt::RightButton);
    EXPECT_EQ(m_keyboard->GetCurKey(), 26);
    DoubleClick(m_keyboard, On(41));
    m_window->events.clear();
    Click(m_keyboard, QPoint(400, 30));
    EXPECT_EQ(m_keyboard->GetCurKey(), 0);
    EXPECT_EQ(m_window->events, (std::vector<Event>{{74, kEventKeyCleared, 0}}));
    // Clicks never check keys here: checks mark assignments and belong to the window.
    EXPECT_TRUE(m_keyboard->GetCheckedKeys().empty());
}

TEST_F(KeyboardCtrlTest, EachModeReportsItsOwnEvents) {
    const struct {
        int mode;
        std::vector<Event> expected;
        std::vector<int> checked;
    } cases[] = {
        {kKeyboardModeAssign,
         {{74, kEventClick, 4},
          {74, kEventRightButton, 26},
          {74, kEventClick, 41},
          {74, kEventKeyDoubleClick, 41}},
         {}},
        {kKeyboardModeColour,
         {{74, kEventClick, 4},
          {74, kEventRightButton, 26},
          {74, kEventClick, 41},
          {74, kEventClick, 41}},
         {4}},
        {kKeyboardModeMusic, {}, {}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.mode);
        m_keyboard->SetKeyboardCtrlMode(entry.mode);
        m_keyboard->ResetAllItemCheck(0);
        m_window->events.clear();
        Click(m_keyboard, On(4));
        Click(m_keyboard, On(26), Qt::RightButton);
        DoubleClick(m_keyboard, On(41));
        EXPECT_EQ(m_window->events, entry.expected);
        EXPECT_EQ(m_keyboard->GetCheckedKeys(), entry.checked);
    }
}

TEST_F(KeyboardCtrlTest, ColourModeChecksEveryKeyADragCovers) {
    m_keyboard->SetKeyboardCtrlMode(kKeyboardModeColour);
    Drag(m_keyboard, QPoint(2, 2), QPoint(230, 60));
    EXPECT_EQ(m_keyboard->GetCheckedKeys(), (std::vector<int>{41, 26, 4}));
    EXPECT_EQ(m_window->events, (std::vector<Event>{{74, kEventClick, 0}}));
}

TEST_F(KeyboardCtrlTest, ColoursFollowTheLightingCalls) {
    const auto colours = [this] {
        std::vector<std::uint32_t> result;
        for (const KeyInfo& key : m_keyboard->GetKeyItems()) {
            result.push_back(key.colour);
        }
        return result;
    };
    m_keyboard->SetLightModeColor(0, 0x00FF00);
    EXPECT_EQ(colours(), (std::vector<std::uint32_t>{0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00}));
    m_keyboard->SetLightModeColor(0, 0);
    EXPECT_EQ(colours(), (std::vector<std::uint32_t>{0, 0, 0, 0}));

    m_keyboard->SetKeyCheck(26, 1);
    m_keyboard->SetKeyCheck(30, 1);
    m_keyboard->SetAllSelectColor(0x123456);
    m_keyboard->SetKeyColor(41, 0xFF0000);
    m_keyboard->SetKeyColor(99, 0xFFFFFF);  // no such key: nothing changes
    EXPECT_EQ(colours(), (std::vector<std::uint32_t>{0xFF0000, 0x123456, 0, 0x123456}));

    // Multicolour runs through the hues from left to right.
    m_keyboard->SetLightModeColor(1, 0);
    std::vector<qreal> hues;
    for (std::uint32_t colour : colours()) {
        hues.push_back(FromBgr(colour).hsvHueF());
    }
    EXPECT_TRUE(std::is_sorted(hues.begin(), hues.end()));
    EXPECT_EQ(std::set<qreal>(hues.begin(), hues.end()).size(), hues.size());
}

TEST_F(KeyboardCtrlTest, ChecksTipsAndLocksBelongToTheirKeys) {
    m_keyboard->ResetAllItemCheck(1);
    EXPECT_EQ(m_keyboard->GetCheckedKeys().size(), 4u);
    m_keyboard->ResetAllItemCheck(0);
    m_keyboard->SetKeyCheck(4, 1);
    EXPECT_EQ(m_keyboard->GetKeyCheck(4), 1);
    EXPECT_EQ(m_keyboard->GetKeyCheck(26), 0);

    m_keyboard->SetTipKey(4, QStringLiteral("Macro"), QStringLiteral("Copy"));
    m_keyboard->SetKeyDisable(30, true);
    EXPECT_EQ(m_keyboard->GetKeyItem(4)->tipTitle, QStringLiteral("Macro"));
    EXPECT_EQ(m_keyboard->GetKeyItem(4)->tipDetail, QStringLiteral("Copy"));
    EXPECT_TRUE(m_keyboard->GetKeyItem(30)->disabled);
    m_keyboard->ResetTipKey();
    m_keyboard->ResetAllKeyDisable();
    EXPECT_TRUE(m_keyboard->GetKeyItem(4)->tipTitle.isEmpty());
    EXPECT_FALSE(m_keyboard->GetKeyItem(30)->disabled);
    EXPECT_FALSE(m_keyboard->GetKeyItem(77).has_value());
}

TEST_F(KeyboardCtrlTest, ADisabledPictureReportsNothing) {
    m_keyboard->SetEnabled(false);
    Settle();
    Click(m_keyboard, On(4));
    EXPECT_TRUE(m_window->events.empty());
    EXPECT_EQ(m_keyboard->GetCurKey(), 0);
}

}  // namespace
}  // namespace zephyl::glint::test
