// SPDX-License-Identifier: GPL-2.0-or-later
// A language chosen on the settings page rewrites every text at once: after the switch each page
// shows what a fresh start in that language shows.
#include "ShownTexts.h"
#include "WindowTestSupport.h"

#include "glint/ImageViewList.h"
#include "text/CurrentLanguage.h"
#include "text/LanguageText.h"

#include <algorithm>

namespace zephyl::window::test {
namespace {

class LiveLanguageTest : public WindowTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override { SetLanguageSet({1033, 1049, 2052}); }
    void TearDown() override {
        WindowTest::TearDown();
        SetLanguageSet({});
        SetCurrentLanguageId(kEnglishLanguageId);
    }

    void ShowTab(int tab) {
        // As a click does: the strip selects the item, then tells the window.
        Control<glint::MTabCtrl>(49)->SetSelectItem(tab);
        m_window->OnMessage(49, glint::kEventClick, tab);
        Drain();
    }

    /// Opens every page once, as a user looking around does, and ends on the settings page.
    void LookAround() {
        for (int tab = kTabKeys; tab < kTabCount; ++tab) {
            ShowTab(tab);
        }
        ShowTab(kTabSettings);
    }

    /// What every page paints, page by page, then what the controls hold.
    QStringList EveryText() {
        QStringList texts;
        for (int tab = 0; tab < kTabCount; ++tab) {
            ShowTab(tab);
            for (const QString& text : PaintedTexts(m_window.get())) {
                texts << QStringLiteral("page %1 shows: %2").arg(tab).arg(text);
            }
        }
        ShowTab(kTabSettings);
        texts << HeldTexts(*m_window);
        return texts;
    }
};

QString Difference(const QStringList& from, const QStringList& to) {
    QString listing;
    for (const QString& text : from) {
        if (!to.contains(text)) {
            listing += QStringLiteral("\n  ") + text;
        }
    }
    return listing;
}

TEST_P(LiveLanguageTest, ASwitchShowsWhatAFreshStartInThatLanguageShows) {
    const int language = GetParam();
    // The screen model has every page the window can show.
    Start("102:0");
    Connect();
    LookAround();
    ASSERT_TRUE(Control<glint::MComboBox>(291)->SelectData(language));
    ASSERT_EQ(m_window->OnMessage(291, glint::kEventClick, 0), 1);
    ASSERT_EQ(CurrentLanguageId(), language);
    const QStringList switched = EveryText();

    Stop();
    m_startLanguage = language;
    Start("102:0");
    Connect();
    LookAround();
    const QStringList fresh = EveryText();

    ASSERT_GT(fresh.size(), 300) << "every page was read";
    EXPECT_TRUE(switched == fresh)
        << "only after the switch:" << Difference(switched, fresh).toStdString()
        << "\nonly after a fresh start:" << Difference(fresh, switched).toStdString();
}

// The way back too: a program started in another language switched to English.
TEST_P(LiveLanguageTest, ASwitchToEnglishShowsWhatAnEnglishStartShows) {
    const int language = GetParam();
    m_startLanguage = language;
    Start("102:0");
    Connect();
    LookAround();
    ASSERT_TRUE(Control<glint::MComboBox>(291)->SelectData(kEnglishLanguageId));
    ASSERT_EQ(m_window->OnMessage(291, glint::kEventClick, 0), 1);
    const QStringList switched = EveryText();

    Stop();
    m_startLanguage = kEnglishLanguageId;
    Start("102:0");
    Connect();
    LookAround();
    const QStringList fresh = EveryText();

    EXPECT_TRUE(switched == fresh)
        << "only after the switch:" << Difference(switched, fresh).toStdString()
        << "\nonly after a fresh start:" << Difference(fresh, switched).toStdString();
}

// The frames' delays carry their unit in the language shown, not a fixed one.
TEST_P(LiveLanguageTest, FrameDelaysSayTheirUnitInTheLanguageShown) {
    Start("102:0");
    Connect();
    ShowTab(kTabScreen);
    auto* frames = Control<glint::ImageViewList>(334);
    ASSERT_GT(frames->GetItemCount(), 0) << "the default animation is shown";
    const int delay = frames->GetItemDelayTime(0);
    const auto shown = [this, frames, delay] {
        ShowTab(kTabScreen);
        const QString caption =
            QStringLiteral("%1 %2").arg(delay).arg(QString::fromStdString(LanguageText(1080)));
        return PaintedTexts(frames).join(QString()).contains(caption);
    };
    EXPECT_TRUE(shown()) << "English";
    ASSERT_TRUE(Control<glint::MComboBox>(291)->SelectData(GetParam()));
    m_window->OnMessage(291, glint::kEventClick, 0);
    ASSERT_NE(LanguageText(1080), "ms");
    EXPECT_TRUE(shown()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(OtherLanguages, LiveLanguageTest, ::testing::Values(1049, 2052));

}  // namespace
}  // namespace zephyl::window::test
