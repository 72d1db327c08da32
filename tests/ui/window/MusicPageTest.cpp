// SPDX-License-Identifier: GPL-2.0-or-later
// The music page offscreen against the virtual keyboard: its layers, its schemes and levels as
// stored, the controls that the screen scheme hides, and the notice without a sound server.
#include "WindowTestSupport.h"

#include "lighting/MusicFeature.h"
#include "lighting/ScreenLight.h"
#include "text/LanguageText.h"
#include "ui/window/MusicPage.h"

#include <QTest>

namespace zephyl::window::test {
namespace {

constexpr int kTabStrip = 49;

class MusicPageTest : public WindowTest {
protected:
    void Open() {
        // No sound server answers in the test's folders.
        m_environment.SetVariable("PULSE_SERVER",
                                  "unix:" + (m_environment.Root() / "no-server").string());
        Start("101:0");
        Connect();
        m_window->OnMessage(kTabStrip, glint::kEventClick, kTabMusic);
        Drain();
    }
    MusicPage& Page() { return m_window->Music(); }
    void Click(int id) { m_window->OnMessage(id, glint::kEventClick, 0); }
    MusicLayer Stored(int id) {
        MusicLayer layer;
        m_database.GetMusicLayer(id, layer);
        return layer;
    }
    bool Visible(int id) { return m_window->GetControl(id)->IsVisible(); }
};

TEST_F(MusicPageTest, LayersKeepTheirSchemesAndLevels) {
    Open();
    glint::MListBox* layers = Page().LayerList();
    ASSERT_EQ(layers->GetItemCount(), 1);
    EXPECT_EQ(layers->GetItemText(0).toStdString(), LanguageText(101) + " 1");
    EXPECT_EQ(Page().ForeList()->GetCurData(), 4);
    EXPECT_EQ(Page().BackList()->GetCurData(), 0);
    auto* gain = Control<glint::MSlider>(MusicPage::kSensitivity);
    EXPECT_EQ(gain->GetProgress(), 60) << "fore_amplitude 300 shows as 60";
    const int first = layers->GetItemData(0);

    // Deleting the only layer is refused.
    Click(MusicPage::kDelete);
    EXPECT_EQ(layers->GetItemCount(), 1);

    // A new layer: the six-colour gradient, selected.
    Click(MusicPage::kAdd);
    ASSERT_EQ(layers->GetItemCount(), 2);
    EXPECT_EQ(layers->GetItemText(1).toStdString(), LanguageText(101) + " 2");
    EXPECT_EQ(layers->GetCurSel(), 1);
    EXPECT_EQ(Page().ForeList()->GetCurData(), 2);
    const int second = layers->GetItemData(1);

    // The back scheme and the gain go into the selected layer and drive the analyser.
    Page().BackList()->SelectData(10);
    Click(MusicPage::kBack);
    gain->SetProgress(20);
    Click(MusicPage::kSensitivity);
    EXPECT_EQ(Stored(second).backmode, 10);
    EXPECT_EQ(Stored(second).fore_amplitude, 100);
    const auto music = MusicLightingOf(*m_controller);
    ASSERT_TRUE(music);
    EXPECT_EQ(music->Analyser().Settings().gain, 100);
    EXPECT_EQ(music->Analyser().Settings().backType, 10);
    EXPECT_EQ(Stored(first).backmode, 0) << "the other layer is untouched";

    // Back to the first: its values come back.
    layers->SetCurSel(0);
    Click(MusicPage::kLayers);
    EXPECT_EQ(Page().BackList()->GetCurData(), 0);
    EXPECT_EQ(gain->GetProgress(), 60);
    EXPECT_EQ(music->ForeMode(), 4);

    // Deleting the second selects the one before it.
    layers->SetCurSel(1);
    Click(MusicPage::kLayers);
    Click(MusicPage::kDelete);
    EXPECT_EQ(layers->GetItemCount(), 1);
    EXPECT_EQ(layers->GetCurData(), first);
}

TEST_F(MusicPageTest, ScreenColoursHideTheLevelControls) {
    Open();
    const int controls[] = {MusicPage::kSensitivityText,    MusicPage::kSensitivity,
                            MusicPage::kBackText,           MusicPage::kBack,
                            MusicPage::kBackBrightnessText, MusicPage::kBackBrightness};
    ASSERT_TRUE(Page().ForeList()->SelectData(kSchemeScreen));
    Click(MusicPage::kFore);
    for (int id : controls) {
        EXPECT_FALSE(Visible(id)) << id;
    }
    EXPECT_EQ(Stored(Page().LayerList()->GetCurData()).foremode, kSchemeScreen);
    ASSERT_TRUE(Page().ForeList()->SelectData(7));
    Click(MusicPage::kFore);
    for (int id : controls) {
        EXPECT_TRUE(Visible(id)) << id;
    }
}

TEST_F(MusicPageTest, WithoutASoundServerThePageSaysSo) {
    Open();
    const auto music = MusicLightingOf(*m_controller);
    ASSERT_TRUE(music);
    ASSERT_TRUE(music->Shown());
    for (int i = 0; i < 100 && music->Analyser().Capture() == CaptureState::kConnecting; ++i) {
        QTest::qWait(20);
    }
    Page().RefreshNotices();
    EXPECT_TRUE(Visible(MusicPage::kAudioNotice));
    m_window->OnMessage(kTabStrip, glint::kEventClick, kTabKeys);
    EXPECT_FALSE(music->Shown());
    EXPECT_FALSE(music->Analyser().Active());
}

TEST_F(MusicPageTest, InAWaylandOnlySessionThePageSaysScreenColoursAreNotAvailable) {
    m_environment.SetVariable("DISPLAY", std::nullopt);
    m_environment.SetVariable("WAYLAND_DISPLAY", "wayland-0");
    Open();
    const auto music = MusicLightingOf(*m_controller);
    ASSERT_TRUE(music);
    Page().RefreshNotices();
    EXPECT_FALSE(Visible(MusicPage::kScreenNotice)) << "only with screen colours chosen";
    ASSERT_TRUE(Page().ForeList()->SelectData(kSchemeScreen));
    Click(MusicPage::kFore);
    // The sampler tries the screen as soon as the scheme is active.
    for (int i = 0; i < 100 && music->Screen().Available(); ++i) {
        QTest::qWait(20);
    }
    Page().RefreshNotices();
    EXPECT_TRUE(Visible(MusicPage::kScreenNotice));
    EXPECT_EQ(Control<glint::MText>(MusicPage::kScreenNotice)->GetTitle().toStdString(),
              LanguageText(MusicPage::kScreenNotice));
}

}  // namespace
}  // namespace zephyl::window::test
