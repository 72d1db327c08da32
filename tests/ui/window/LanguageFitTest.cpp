// SPDX-License-Identifier: GPL-2.0-or-later
// Every page, laid out in each shipped language, shows its captions whole.
#include "WindowTestSupport.h"

#include "glint/Look.h"
#include "glint/TextFit.h"
#include "text/CurrentLanguage.h"
#include "ui/window/ScreenPage.h"

namespace zephyl::window::test {
namespace {

class LanguageFitTest : public WindowTest, public ::testing::WithParamInterface<int> {
protected:
    void TearDown() override {
        glint::SetCutTextRecording(false);
        SetLanguageSet({});
        SetCurrentLanguageId(kEnglishLanguageId);
        WindowTest::TearDown();
    }

    /// Shows each page in turn, paints the whole window and returns what had to be cut.
    std::vector<std::string> CutTextsOfEveryPage() {
        std::vector<std::string> cut;
        m_window->show();
        for (int tab = 0; tab < kTabCount; ++tab) {
            // As a click does: the strip selects the item, then tells the window.
            Control<glint::MTabCtrl>(49)->SetSelectItem(tab);
            m_window->OnMessage(49, 2, tab);
            Drain();
            glint::TakeCutTexts();
            m_window->grab();
            for (std::string& text : glint::TakeCutTexts()) {
                cut.push_back("page " + std::to_string(tab) + ": " + std::move(text));
            }
        }
        return cut;
    }
};

TEST_P(LanguageFitTest, NoPageCutsACaption) {
    SetLanguageSet({1033, 1049, 2052});
    // The screen model has every page the window can show.
    Start("102:0");
    SetCurrentLanguageId(GetParam());
    m_window->ApplyLanguageTexts();
    Connect();
    glint::SetCutTextRecording(true);

    const std::vector<std::string> cut = CutTextsOfEveryPage();
    std::string listing;
    for (const std::string& text : cut) {
        listing += "\n  " + text;
    }
    EXPECT_TRUE(cut.empty()) << "cut in language " << GetParam() << ":" << listing;
}

// Shrinking keeps a caption whole, but a button whose caption needs it looks out of place:
// the screen page's actions have the room their captions need at the buttons' own size.
TEST_P(LanguageFitTest, TheScreenActionsShowTheirCaptionsAtFullSize) {
    SetLanguageSet({1033, 1049, 2052});
    Start("102:0");
    SetCurrentLanguageId(GetParam());
    m_window->ApplyLanguageTexts();
    Connect();
    for (int id = ScreenPage::kDefaultPicture; id <= ScreenPage::kSend; ++id) {
        auto* button = Control<glint::MButton>(id);
        ASSERT_NE(button, nullptr) << id;
        // The caption's room inside the button's margins.
        const QRect room = QRect(QPoint(0, 0), button->GetRect().size()).adjusted(6, 0, -6, 0);
        EXPECT_TRUE(glint::TextFits(glint::look::DefaultFont(), button->GetTitle(), room,
                                    int(Qt::AlignCenter) | int(Qt::TextSingleLine)))
            << id << " \"" << button->GetTitle().toStdString() << "\" in " << room.width()
            << " pixels";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, LanguageFitTest, ::testing::Values(1033, 1049, 2052));

}  // namespace
}  // namespace zephyl::window::test
