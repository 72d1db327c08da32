// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include <QLineEdit>
#include <QTest>

namespace zephyl::glint::test {
namespace {

using EditTest = GlintTest;

TEST_F(EditTest, FocusAndTypingReportTheirEvents) {
    auto* field = m_window->CreateControlAs<MEdit>(258, QRect(10, 10, 150, 30));
    auto* other = m_window->CreateControlAs<MEdit>(259, QRect(10, 50, 150, 30));
    Settle();
    field->SetEditText(QStringLiteral("set by the program"));
    Settle();
    EXPECT_TRUE(m_window->events.empty());

    field->GetEditHwnd()->setFocus();
    Settle();
    QTest::keyClicks(field->GetEditHwnd(), QStringLiteral("ab"));
    other->GetEditHwnd()->setFocus();
    Settle();
    EXPECT_EQ(field->GetEditText(), QStringLiteral("set by the programab"));
    const std::vector<Event> expected = {{258, kEventEditStarted, 0},
                                         {258, kEventTextChanged, 0},
                                         {258, kEventTextChanged, 0},
                                         {258, kEventEditFinished, 0},
                                         {259, kEventEditStarted, 0}};
    EXPECT_EQ(m_window->events, expected);

    // Return ends the editing as leaving does.
    m_window->events.clear();
    QTest::keyClick(other->GetEditHwnd(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(m_window->events, (std::vector<Event>{{259, kEventEditFinished, 0}}));
}

TEST_F(EditTest, NumberFieldsTakeOnlyDigitsUpToTheirLimit) {
    const struct {
        bool numberOnly;
        int limit;
        const char* typed;
        const char* kept;
    } cases[] = {
        {true, 3, "4a5b67", "456"},
        {true, 0, "12x34", "1234"},
        {false, 4, "ab1cd", "ab1c"},
        {false, 0, "Macro 1", "Macro 1"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.typed);
        auto* field = m_window->CreateControlAs<MEdit>(36, QRect(10, 10, 150, 30));
        field->SetNumberOnly(entry.numberOnly);
        field->SetLimitText(entry.limit);
        Settle();
        QTest::keyClicks(field->GetEditHwnd(), QString::fromLatin1(entry.typed));
        EXPECT_EQ(field->GetEditText(), QString::fromLatin1(entry.kept));
        delete field;
    }
}

TEST_F(EditTest, TipShowsWhileEmptyAndReadOnlyKeepsTheText) {
    auto* field = m_window->CreateControlAs<MEdit>(337, QRect(10, 10, 150, 30));
    field->SetTipInfo(QStringLiteral("Text"));
    field->SetReadOnly(true);
    Settle();
    EXPECT_EQ(field->GetEditHwnd()->placeholderText(), QStringLiteral("Text"));
    QTest::keyClicks(field->GetEditHwnd(), QStringLiteral("x"));
    EXPECT_EQ(field->GetEditText(), QString());
}

}  // namespace
}  // namespace zephyl::glint::test
