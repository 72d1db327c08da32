// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include "glint/PaletteMath.h"

#include <QTest>

#include <cmath>

namespace zephyl::glint::test {
namespace {

using PaletteTest = GlintTest;

TEST_F(PaletteTest, SliderKeepsWithinItsRangeAndReportsOnRelease) {
    auto* slider = m_window->CreateControlAs<MSlider>(88, QRect(10, 10, 214, 20));
    slider->SetMaxProgress(5);
    slider->SetProgress(7);
    EXPECT_EQ(slider->GetProgress(), 5);
    slider->SetMaxProgress(2);
    EXPECT_EQ(slider->GetProgress(), 2);
    slider->SetMaxProgress(0);
    EXPECT_EQ(slider->GetMaxProgress(), 1);
    slider->SetProgress(-4);
    EXPECT_EQ(slider->GetProgress(), 0);

    slider->SetMaxProgress(255);
    Settle();
    const struct {
        int x;
        int position;
    } cases[] = {{0, 0}, {213, 255}, {107, 128}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.x);
        m_window->events.clear();
        Click(slider, QPoint(entry.x, 10));
        EXPECT_EQ(slider->GetProgress(), entry.position);
        EXPECT_EQ(m_window->events, (std::vector<Event>{{88, kEventClick, entry.position}}));
    }
    m_window->events.clear();
    Drag(slider, QPoint(10, 10), QPoint(400, 10));
    EXPECT_EQ(slider->GetProgress(), 255);
    EXPECT_EQ(m_window->events, (std::vector<Event>{{88, kEventClick, 255}}));
}

TEST_F(PaletteTest, WheelReportsTheColourUnderTheReleaseTwice) {
    auto* wheel = m_window->CreateControlAs<CirclePalette>(100, QRect(10, 10, 202, 202));
    Settle();
    const QPoint centre = wheel->WheelCentre().toPoint();
    const int radius = int(wheel->WheelRadius());
    const struct {
        const char* name;
        QPoint offset;
        std::uint32_t colour;
    } cases[] = {
        {"right rim is red", QPoint(radius, 0), 0x0000FF},
        {"left rim is cyan", QPoint(-radius, 0), 0xFFFF00},
        {"centre is white", QPoint(0, 0), 0xFFFFFF},
        {"beyond the rim is the rim", QPoint(radius + 30, 0), 0x0000FF},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        m_window->events.clear();
        Click(wheel, centre + entry.offset);
        EXPECT_EQ(wheel->GetColor(), entry.colour);
        const int value = int(entry.colour);
        EXPECT_EQ(m_window->events, (std::vector<Event>{{100, kEventWheelReleased, value},
                                                        {100, kEventClick, value}}));
    }
}

TEST_F(PaletteTest, WheelPlacesEveryFullColourWhereItPicksIt) {
    const std::uint32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0x0080FF};
    for (std::uint32_t colour : colours) {
        SCOPED_TRACE(colour);
        const QPointF offset = palette::WheelOffset(FromBgr(colour), 100);
        EXPECT_NEAR(std::hypot(offset.x(), offset.y()), 100, 0.5);
        const QColor back = palette::WheelColour(offset, 100);
        EXPECT_NEAR(back.red(), FromBgr(colour).red(), 2);
        EXPECT_NEAR(back.green(), FromBgr(colour).green(), 2);
        EXPECT_NEAR(back.blue(), FromBgr(colour).blue(), 2);
    }
}

TEST_F(PaletteTest, ColourBarsPickAlongTheirLength) {
    auto* hues = m_window->CreateControlAs<LCDPalette2>(350, QRect(10, 10, 206, 16));
    auto* shades = m_window->CreateControlAs<LCDPalette3>(349, QRect(10, 40, 206, 16));
    Settle();
    hues->SetSelectColor(0x00FF00);
    EXPECT_NEAR(hues->GetFraction(), 1.0 / 3.0, 0.01);
    Click(hues, QPoint(3, 8));
    EXPECT_EQ(hues->GetSelectColor(), 0x0000FFu);

    shades->SetSelectColor(0x0000FF);
    EXPECT_EQ(shades->GetSelectColor(), 0x0000FFu);
    EXPECT_DOUBLE_EQ(shades->GetFraction(), 0.5);
    const struct {
        int x;
        std::uint32_t colour;
    } cases[] = {{0, 0x000000}, {205, 0xFFFFFF}};
    for (const auto& entry : cases) {
        m_window->events.clear();
        Click(shades, QPoint(entry.x, 8));
        EXPECT_EQ(shades->GetSelectColor(), entry.colour);
        EXPECT_EQ(m_window->events, (std::vector<Event>{{349, kEventClick, int(entry.colour)}}));
    }
    shades->SetSelectColor(0x0000FF);
    shades->SetBaseColor(0xFF0000);
    EXPECT_EQ(shades->GetSelectColor(), 0xFF0000u);
}

TEST_F(PaletteTest, ProgressAndBatteryKeepWithinTheirRange) {
    auto* progress = m_window->CreateControlAs<MProgress>(32, QRect(30, 80, 160, 10));
    auto* battery = m_window->CreateControlAs<BatteryCtrl>(47, QRect(10, 10, 80, 30));
    const struct {
        int given;
        int shown;
    } cases[] = {{-5, 0}, {55, 55}, {100, 100}, {200, 100}};
    for (const auto& entry : cases) {
        progress->SetProgress(entry.given);
        battery->SetBatteryInfo(entry.given, 0);
        EXPECT_EQ(progress->GetProgress(), entry.shown);
        EXPECT_EQ(battery->GetBatteryPercent(), entry.shown);
    }
}

}  // namespace
}  // namespace zephyl::glint::test
