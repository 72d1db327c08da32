// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include "catalogue/KeyboardLayout.h"

#include <QImage>

namespace zephyl::glint::test {
namespace {

/// Two keys of a 200 x 100 picture, shown at its size.
class CustomLightModeTest : public GlintTest {
protected:
    void SetUp() override {
        GlintTest::SetUp();
        m_picture = m_window->CreateControlAs<CustomLightMode>(206, QRect(0, 0, 200, 100));
        m_picture->SetWidthAndHeight(200, 100);
        m_picture->SetAnimateRun(1);
        for (const auto& [code, rect] :
             {std::pair{4, Rect{10, 10, 90, 90}}, std::pair{26, Rect{110, 10, 190, 90}}}) {
            LayoutKey key;
            key.code = code;
            key.name = code == 4 ? "A" : "W";
            key.rect = rect;
            m_picture->AddKeyItem(key);
        }
        Settle();
    }

    std::uint32_t Colour(int code) const { return m_picture->GetKeyItem(code)->colour; }

    CustomLightMode* m_picture = nullptr;
};

TEST_F(CustomLightModeTest, LitKeysShowTheirColourAtTheirLevelAndDarkKeysNone) {
    EXPECT_EQ(CustomLightMode::ShownColour({4, 0x80FF40, 255, true}), 0x7FFE3Fu);
    EXPECT_EQ(CustomLightMode::ShownColour({4, 0x80FF40, 128, true}), 0x407F20u);
    EXPECT_EQ(CustomLightMode::ShownColour({4, 0xFFFFFF, 255, false}), 0u);

    const LightKeyRecord records[] = {
        {4, 0x0000FF, 255, true}, {26, 0x00FF00, 200, false}, {99, 0xFFFFFF, 255, true}};
    m_picture->SetKeyRecords(records);
    EXPECT_EQ(m_picture->GetKeyRecords().size(), 3u);
    EXPECT_EQ(Colour(4), 0x0000FEu);
    EXPECT_EQ(Colour(26), 0u);

    // Stopped, it keeps the records but the picture stays; running again shows the latest.
    m_picture->SetAnimateRun(0);
    const LightKeyRecord later[] = {{4, 0xFF0000, 255, true}};
    m_picture->SetKeyRecords(later);
    EXPECT_EQ(Colour(4), 0x0000FEu);
    m_picture->SetAnimateRun(1);
    EXPECT_EQ(Colour(4), 0xFE0000u);
    Settle();
    const QImage shown = m_picture->grab().toImage();
    const QColor middle = shown.pixelColor(QPoint(50, 50));
    EXPECT_GT(middle.blue(), middle.red() + 60) << "the key is drawn in its colour";
    EXPECT_GT(middle.blue(), middle.green() + 60);
}

TEST_F(CustomLightModeTest, KeysAreCheckedWithTheMouse) {
    EXPECT_EQ(m_picture->GetKeyboardCtrlMode(), kKeyboardModeColour);
    Click(m_picture, m_picture->KeyRectInControl(26).center());
    EXPECT_EQ(m_picture->GetCheckedKeys(), std::vector<int>{26});
    EXPECT_EQ(m_window->events, (std::vector<Event>{{206, kEventClick, 26}}));
    Drag(m_picture, QPoint(2, 2), QPoint(198, 98));
    EXPECT_EQ(m_picture->GetCheckedKeys().size(), 2u);
}

}  // namespace
}  // namespace zephyl::glint::test
