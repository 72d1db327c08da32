// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <cstdlib>

namespace zephyl::glint::test {
namespace {

using ButtonsTest = GlintTest;

TEST_F(ButtonsTest, ClicksReportTheirEventAndValue) {
    auto* colour = m_window->CreateControlAs<CColorButton>(110, QRect(0, 200, 30, 30));
    colour->SetColor(0x80FF);
    const struct {
        const char* className;
        std::vector<Event> expected;  // after two clicks
    } cases[] = {
        {"MButton", {{1, kEventClick, 0}, {1, kEventClick, 0}}},
        {"CImageButton", {{1, kEventClick, 0}, {1, kEventClick, 0}}},
        {"CTextButton", {{1, kEventClick, 0}, {1, kEventClick, 0}}},
        {"UpgradeButton", {{1, kEventClick, 0}, {1, kEventClick, 0}}},
        {"CHelpButton", {{1, kEventClick, 0}, {1, kEventClick, 0}}},
        {"MPicture", {{1, kEventClick, 0}, {1, kEventClick, 0}}},
        {"CCheckButton", {{1, kEventClick, 1}, {1, kEventClick, 0}}},
        {"CRadioButton", {{1, kEventClick, 1}, {1, kEventClick, 1}}},
        {"KeyLayerButton", {{1, kEventClick, 1}, {1, kEventClick, 1}}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.className);
        MControl* control = m_window->CreateControl(entry.className, 1, QRect(10, 10, 120, 30));
        ASSERT_NE(control, nullptr);
        m_window->events.clear();
        Click(control, QPoint(20, 15));
        Click(control, QPoint(20, 15));
        EXPECT_EQ(m_window->events, entry.expected);

        // Disabled, or released outside, nothing is reported.
        m_window->events.clear();
        QTest::mousePress(control, Qt::LeftButton, Qt::NoModifier, QPoint(20, 15));
        QTest::mouseRelease(control, Qt::LeftButton, Qt::NoModifier, QPoint(300, 15));
        control->SetEnabled(false);
        Click(control, QPoint(20, 15));
        EXPECT_TRUE(m_window->events.empty());
        delete control;
    }
    m_window->events.clear();
    Click(colour, QPoint(15, 15));
    EXPECT_EQ(m_window->events, (std::vector<Event>{{110, kEventClick, 0x80FF}}));
}

TEST_F(ButtonsTest, RadioButtonsCheckOnlyOneOfTheirGroup) {
    std::vector<CRadioButton*> buttons;
    const char* groups[] = {"MACRO_EVENT", "MACRO_EVENT", "MACRO_EVENT", "DELAY_TIME"};
    for (int i = 0; i < 4; ++i) {
        auto* button = m_window->CreateControlAs<CRadioButton>(
            255 + i, QRect(10, 10 + 35 * i, 150, 30), QStringLiteral("choice"));
        button->SetGroupName(QString::fromLatin1(groups[i]));
        buttons.push_back(button);
    }
    buttons[3]->SetCheck(1);
    buttons[0]->SetCheck(1);
    const auto checks = [&] {
        std::vector<int> result;
        for (auto* button : buttons) {
            result.push_back(button->GetCheck());
        }
        return result;
    };
    EXPECT_EQ(checks(), (std::vector<int>{1, 0, 0, 1}));
    Click(buttons[2], QPoint(10, 15));
    EXPECT_EQ(checks(), (std::vector<int>{0, 0, 1, 1}));
    // Unchecking leaves the others alone; a radio without a group is on its own.
    buttons[2]->SetCheck(0);
    EXPECT_EQ(checks(), (std::vector<int>{0, 0, 0, 1}));
    auto* loner = m_window->CreateControlAs<CRadioButton>(300, QRect(200, 10, 100, 30));
    loner->SetCheck(1);
    EXPECT_EQ(checks(), (std::vector<int>{0, 0, 0, 1}));
}

TEST_F(ButtonsTest, SwatchesMarkOnlyOneOfTheirGroup) {
    std::vector<CColorButton*> swatches;
    for (int i = 0; i < 3; ++i) {
        auto* swatch =
            m_window->CreateControlAs<CColorButton>(178 + i, QRect(10 + 40 * i, 10, 30, 30));
        swatch->SetGroupName(QStringLiteral("IDC_LIGHT_STC_DEFAULTCOLOR"));
        swatches.push_back(swatch);
    }
    Click(swatches[0], QPoint(15, 15));
    Click(swatches[2], QPoint(15, 15));
    EXPECT_FALSE(swatches[0]->IsSelected());
    EXPECT_FALSE(swatches[1]->IsSelected());
    EXPECT_TRUE(swatches[2]->IsSelected());
}

// Counts the pixels of `image` inside `area` that are close to `colour`.
int PixelsNear(const QImage& image, const QRect& area, QColor colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) <
                60) {
                ++count;
            }
        }
    }
    return count;
}

TEST_F(ButtonsTest, TextButtonOnASkinFaceKeepsItsCaptionReadableOnHover) {
    Manager::SetSkinFolder(QStringLiteral(ZEPHYL_SOURCE_DATA_DIR "/skins/default/"));
    auto* button = m_window->CreateControlAs<CTextButton>(1, QRect(10, 10, 140, 36));
    button->SetImage(QStringLiteral("btn_apply.png"), 4);
    button->SetTitle(QStringLiteral("MMMMMMMM"));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(button->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(button, &enter);
    const QImage hovered = button->grab().toImage();
    Manager::SetSkinFolder({});
    // White caption strokes over the lit face, not accent on accent.
    EXPECT_GT(PixelsNear(hovered, QRect(30, 10, 80, 16), Qt::white), 20);
}

TEST_F(ButtonsTest, HelpBubbleShowsTheTitleWhileTheMouseRests) {
    auto* help = m_window->CreateControlAs<CHelpButton>(294, QRect(10, 10, 22, 22));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(help->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(help, &enter);
    EXPECT_FALSE(help->IsBubbleShown());  // no help text, no bubble
    help->SetTitle(QStringLiteral("Sleep time: the keyboard's lights go out after it."));
    QApplication::sendEvent(help, &enter);
    EXPECT_TRUE(help->IsBubbleShown());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(help, &leave);
    EXPECT_FALSE(help->IsBubbleShown());
}

TEST_F(ButtonsTest, MenuReturnsTheChosenCommandOrNothing) {
    const struct {
        const char* name;
        std::vector<Qt::Key> keys;
        int command;
    } cases[] = {
        {"first", {Qt::Key_Down, Qt::Key_Return}, 606},
        {"disabled item skipped", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, 608},
        {"dismissed", {Qt::Key_Escape}, 0},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        MenuWnd menu;
        menu.AddMenuItem(606, QStringLiteral("Own function"));
        menu.AddMenuItem(607, QStringLiteral("Disable key"), false);
        menu.AddSeparator();
        menu.AddMenuItem(608, QStringLiteral("Assign..."));
        EXPECT_EQ(menu.GetItemCount(), 3);
        QTimer::singleShot(0, m_window, [&] {
            ASSERT_NE(menu.GetMenu(), nullptr);
            for (Qt::Key key : entry.keys) {
                QTest::keyClick(menu.GetMenu(), key);
            }
        });
        EXPECT_EQ(menu.TrackPopupMenu(m_window->mapToGlobal(QPoint(50, 50)), m_window),
                  entry.command);
        EXPECT_EQ(menu.GetMenu(), nullptr);
    }
}

}  // namespace
}  // namespace zephyl::glint::test
