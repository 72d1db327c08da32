// SPDX-License-Identifier: GPL-2.0-or-later
// The screen page on the virtual keyboard of model 102 (a 160 x 128 screen).
#include "WindowTestSupport.h"

#include "glint/CTextButton.h"
#include "glint/ImageView.h"
#include "glint/ImageViewList.h"
#include "glint/LCDPalette.h"
#include "glint/LCDViewCtrl.h"
#include "glint/LCDViewList.h"
#include "glint/PaletteMath.h"
#include "platform/SoftwareIdentity.h"
#include "screen/GifCodec.h"
#include "screen/Picture.h"
#include "screen/ScreenFeature.h"
#include "screen/ScreenLibrary.h"
#include "text/LanguageText.h"
#include "ui/dialogs/WaitDialogs.h"
#include "ui/window/KeyboardDlg.h"
#include "ui/window/ScreenPage.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include <algorithm>

namespace zephyl::window::test {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 128;

/// The GIF writer keeps 5 bits of red where a frame has one colour.
bool Red(QRgb pixel) {
    return qRed(pixel) >= 0xF8 && qGreen(pixel) == 0 && qBlue(pixel) == 0;
}

class ScreenPageTest : public WindowTest {
protected:
    void OpenScreenPage(const std::string& scenario = "102:0") {
        Start(scenario);
        Connect();
        m_controller->OnModelChosen(102);
        Drain();
        ASSERT_TRUE(m_controller->Connected());
        m_window->OnMessage(49, glint::kEventClick, kTabScreen);
        Drain();
        m_library = Control<glint::LCDViewList>(ScreenPage::kLibrary);
        m_slots = Control<glint::LCDViewCtrl>(ScreenPage::kScreens);
        m_frames = Control<glint::ImageViewList>(ScreenPage::kFrames);
        m_editor = Control<glint::ImageView>(ScreenPage::kEditor);
        ASSERT_TRUE(m_library && m_slots && m_frames && m_editor);
    }

    /// Writes a GIF of solid frames (0xRRGGBB) with these delays.
    std::string MakeGif(const std::vector<std::uint32_t>& colours, const std::vector<int>& delays) {
        std::vector<RgbaImage> frames;
        for (std::uint32_t colour : colours) {
            RgbaImage frame(kWidth, kHeight);
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    std::uint8_t* pixel = frame.Pixel(x, y);
                    pixel[0] = std::uint8_t(colour >> 16);
                    pixel[1] = std::uint8_t(colour >> 8);
                    pixel[2] = std::uint8_t(colour);
                    pixel[3] = 0xFF;
                }
            }
            frames.push_back(std::move(frame));
        }
        const std::string path = (m_environment.Root() / "animation.gif").string();
        std::string error;
        EXPECT_TRUE(EncodeGifFile(path, frames, delays, kWidth, kHeight, &error)) << error;
        return path;
    }

    /// Imports `gif` through the page as the user does: button, file dialog, wait, done.
    void ImportThroughPage(const std::string& gif) {
        m_services->chosenFile = QString::fromStdString(gif);
        ASSERT_EQ(m_window->OnMessage(ScreenPage::kImportGif, glint::kEventClick, 0), 1);
        ASSERT_NE(m_window->Screen().Waits().CurrentLEDWaitDlg(), nullptr);
        Drain();
    }

    std::vector<ScreenFrame> StoredFrames(int ledId) {
        std::vector<ScreenFrame> frames;
        m_database.ListScreenFrames(ledId, frames);
        return frames;
    }

    /// The JSON object of slot `number` (1-based) in the keyboard's state.
    std::string Slot(int number) {
        const std::string state = KeyboardState();
        const std::string key = "{\"slot\":";
        for (std::size_t at = state.find(key); at != std::string::npos;
             at = state.find(key, at + 1)) {
            std::string head = state.substr(at + key.size(), 8);
            head.erase(std::remove(head.begin(), head.end(), ' '), head.end());
            if (head.rfind(std::to_string(number) + ",", 0) == 0) {
                return state.substr(at, state.find('}', at) - at + 1);
            }
        }
        return {};
    }

    static std::string Field(const std::string& object, const std::string& name) {
        std::size_t at = object.find("\"" + name + "\":");
        if (at == std::string::npos) {
            return {};
        }
        at = object.find_first_not_of(' ', at + name.size() + 3);
        std::size_t end = object[at] == '['   ? object.find(']', at) + 1
                          : object[at] == '"' ? object.find('"', at + 1) + 1
                                              : object.find_first_of(",}", at);
        std::string value = object.substr(at, end - at);
        value.erase(std::remove(value.begin(), value.end(), ' '), value.end());
        return value;
    }

    glint::LCDViewList* m_library = nullptr;
    glint::LCDViewCtrl* m_slots = nullptr;
    glint::ImageViewList* m_frames = nullptr;
    glint::ImageView* m_editor = nullptr;
};

TEST_F(ScreenPageTest, ImportedGifUploadedToSlotTwoArrivesDecoded) {
    OpenScreenPage();
    const int before = m_library->GetItemCount();
    ImportThroughPage(MakeGif({0xFF0000, 0x00FF00, 0x0000FF}, {100, 200, 300}));
    // The new animation is the last entry, selected and shown.
    ASSERT_EQ(m_library->GetItemCount(), before + 1);
    EXPECT_EQ(m_library->GetCurSel(), before);
    EXPECT_EQ(m_window->Screen().SelectedAnimation(), m_library->GetItemLEDId(before));
    ASSERT_EQ(m_frames->GetItemCount(), 3);
    EXPECT_EQ(m_frames->GetItemDelayTime(2), 300);
    EXPECT_EQ(m_frames->GetCurSel(), 0);
    EXPECT_TRUE(Red(m_editor->GetImage().pixel(10, 10)));

    ASSERT_GE(m_slots->GetItemCount(), 2);
    m_slots->SetCurSel(1);
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kScreens, glint::kEventClick, 1), 1);
    Drain();
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kSend, glint::kEventClick, 0), 1);
    LEDWaitDlg2* progress = m_window->Screen().Waits().CurrentLEDWaitDlg2();
    ASSERT_NE(progress, nullptr);
    Drain();

    const std::string slot = Slot(2);
    ASSERT_FALSE(slot.empty());
    EXPECT_EQ(Field(slot, "filled"), "true") << slot.substr(0, 300);
    EXPECT_EQ(Field(slot, "frames"), "3");
    // The keyboard counts delays in steps of 2 ms.
    EXPECT_EQ(Field(slot, "delays"), "[50,100,150]");
    EXPECT_EQ(Field(slot, "upload_index"), std::to_string(before + 1));
    std::string red;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        red += "f800";
    }
    EXPECT_EQ(Field(slot, "first_frame_rgb565"), "\"" + red + "\"");
    EXPECT_EQ(Field(Slot(1), "filled"), "false");
    EXPECT_EQ(progress->GetProgress(), 100);
    const auto* title = progress->GetControlAs<glint::MText>(LEDWaitDlg2::kTitleId);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetTitle(), QStringLiteral("Sending... 100%"));
    EXPECT_FALSE(progress->isVisible());
    // The slot strip shows what the slot received.
    const glint::LCDViewSlot shown = m_slots->GetItem(1);
    EXPECT_FALSE(shown.picture.isEmpty());
    EXPECT_TRUE(shown.label.contains(QStringLiteral(" 3\n")));  // frames, then the limit
}

TEST_F(ScreenPageTest, FrameOperationsAreKeptUntilSaved) {
    OpenScreenPage();
    ImportThroughPage(MakeGif({0xFF0000, 0x00FF00, 0x0000FF}, {100, 200, 300}));
    ScreenPage& page = m_window->Screen();
    const int ledId = page.SelectedAnimation();
    ASSERT_EQ(StoredFrames(ledId).size(), 3u);

    // Delays are kept within 30..500 ms, for one frame or all of them.
    struct DelayCase {
        const char* typed;
        bool all;
        std::vector<int> expected;
    };
    const DelayCase delays[] = {
        {"10", false, {30, 200, 300}},
        {"900", true, {500, 500, 500}},
        {"abc", false, {30, 500, 500}},
    };
    for (const DelayCase& delay : delays) {
        SCOPED_TRACE(delay.typed);
        page.SetDelayEditor([&delay](int) {
            return std::optional<ScreenPage::DelayChoice>({delay.typed, delay.all});
        });
        m_frames->SetCurSel(0);
        ASSERT_EQ(m_window->OnMessage(ScreenPage::kFrames, glint::kEventActivate, 0), 1);
        std::vector<int> shown;
        for (int i = 0; i < m_frames->GetItemCount(); ++i) {
            shown.push_back(m_frames->GetItemDelayTime(i));
        }
        EXPECT_EQ(shown, delay.expected);
    }

    // A picture added after frame 1, and a stroke on frame 0.
    QImage yellow(20, 10, QImage::Format_RGB32);
    yellow.fill(qRgb(255, 255, 0));
    const QString picture = QString::fromStdString((m_environment.Root() / "pic.jpg").string());
    ASSERT_TRUE(yellow.save(picture, "PNG"));
    m_services->chosenFile = picture;
    m_frames->SetCurSel(1);
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kFrames, glint::kEventClick, 1), 1);
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kAddPicture, glint::kEventClick, 0), 1);
    ASSERT_EQ(m_frames->GetItemCount(), 4);
    EXPECT_EQ(m_frames->GetItemDelayTime(2), kAddedPictureDelayMs);
    m_frames->SetCurSel(0);
    m_window->OnMessage(ScreenPage::kFrames, glint::kEventClick, 0);
    m_window->OnMessage(ScreenPage::kPen, glint::kEventClick, 0);
    m_editor->Stroke({QPoint(0, 0), QPoint(9, 0)});
    m_window->OnMessage(ScreenPage::kEditor, glint::kEventImageEditor, 0);
    EXPECT_TRUE(page.Edited());
    // Nothing is stored before the save.
    EXPECT_EQ(StoredFrames(ledId).size(), 3u);

    ASSERT_EQ(m_window->OnMessage(ScreenPage::kSave, glint::kEventClick, 0), 1);
    const std::vector<ScreenFrame> saved = StoredFrames(ledId);
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[2].delay_time, kAddedPictureDelayMs);
    EXPECT_EQ(saved[0].delay_time, 30);
    EXPECT_FALSE(page.Edited());
    EXPECT_EQ(m_library->GetItemFrameSize(m_library->GetCurSel()), 4);
    // The stroke went into frame 0's own file; the rest of it is still red.
    const QImage first(m_frames->GetItemImageFile(0));
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.pixel(5, 0), qRgb(255, 255, 255));
    EXPECT_TRUE(Red(first.pixel(5, 5)));

    // Deleting a frame, then leaving for another animation and answering No, keeps the stored
    // frames.
    m_services->answers = {kAnswerOk};
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kDeleteFrame, glint::kEventClick, 0), 1);
    EXPECT_EQ(m_frames->GetItemCount(), 3);
    ASSERT_GT(m_library->GetItemCount(), 1);
    m_services->Clear();
    m_services->answers = {kAnswerCancel};
    m_library->SetCurSel(0);
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kLibrary, glint::kEventClick, 0), 1);
    const auto calls = m_services->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().rfind("message 4", 0), 0u) << calls.front();
    EXPECT_EQ(StoredFrames(ledId).size(), 4u);
    EXPECT_NE(page.SelectedAnimation(), ledId);

    // Export writes the animation shown as one GIF at the screen's size.
    const std::string exported = (m_environment.Root() / "exported.gif").string();
    m_services->chosenFile = QString::fromStdString(exported);
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kExportGif, glint::kEventClick, 0), 1);
    ASSERT_NE(page.Waits().CurrentLEDWaitDlg(), nullptr);
    Drain();
    EXPECT_FALSE(page.Waits().CurrentLEDWaitDlg()->isVisible());
    GifAnimation animation;
    std::string error;
    ASSERT_TRUE(DecodeGifFile(exported, animation, &error)) << error;
    EXPECT_EQ(animation.width, kWidth);
    EXPECT_EQ(int(animation.frames.size()), m_frames->GetItemCount());
}

TEST_F(ScreenPageTest, NewAndDeleteAnimation) {
    OpenScreenPage();
    const int before = m_library->GetItemCount();
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kNewSet, glint::kEventClick, 0), 1);
    ASSERT_EQ(m_library->GetItemCount(), before + 1);
    const int ledId = m_window->Screen().SelectedAnimation();
    EXPECT_EQ(m_library->GetItemLEDId(m_library->GetCurSel()), ledId);
    EXPECT_EQ(m_frames->GetItemCount(), 0);
    // An empty animation cannot be sent.
    m_services->Clear();
    m_window->OnMessage(ScreenPage::kSend, glint::kEventClick, 0);
    EXPECT_EQ(m_controller->QueueLength(), 0u);
    ASSERT_EQ(m_services->Calls().size(), 1u);
    // Declining the question keeps it; agreeing deletes it.
    m_services->answers = {kAnswerCancel};
    m_window->OnMessage(ScreenPage::kDeleteSet, glint::kEventClick, 0);
    EXPECT_EQ(m_library->GetItemCount(), before + 1);
    m_services->answers = {kAnswerOk};
    m_window->OnMessage(ScreenPage::kDeleteSet, glint::kEventClick, 0);
    EXPECT_EQ(m_library->GetItemCount(), before);
    ScreenLayer layer;
    EXPECT_FALSE(m_database.GetScreenLayer(ledId, layer));
}

TEST_F(ScreenPageTest, HueBarGivesTheShadeBarItsShades) {
    OpenScreenPage();
    auto* hue = Control<glint::LCDPalette2>(ScreenPage::kHueBar);
    auto* shade = Control<glint::LCDPalette3>(ScreenPage::kShadeBar);
    ASSERT_TRUE(hue && shade);
    ASSERT_GT(hue->width(), 20);
    const auto pick = [](QWidget* bar, double fraction) {
        const QPoint at(int(bar->width() * fraction), bar->height() / 2);
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, at);
    };
    // The editor holds 0xRRGGBB, the bars 0xBBGGRR.
    const auto rgb = [](std::uint32_t bgr) {
        return (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
    };
    for (const double hueAt : {0.35, 0.7}) {
        pick(hue, hueAt);
        const std::uint32_t chosen = hue->GetSelectColor();
        EXPECT_EQ(shade->GetBaseColor(), chosen) << hueAt;
        EXPECT_EQ(m_editor->GetColorValue(), rgb(chosen)) << hueAt;
        // Several shades in a row: each is the editor's colour, all of the chosen hue.
        for (const double shadeAt : {0.2, 0.8, 0.4}) {
            pick(shade, shadeAt);
            EXPECT_EQ(shade->GetBaseColor(), chosen) << hueAt << " " << shadeAt;
            EXPECT_NEAR(shade->GetFraction(), shadeAt, 0.05) << hueAt << " " << shadeAt;
            EXPECT_EQ(shade->GetSelectColor(), glint::ToBgr(glint::palette::ShadeBarColour(
                                                   glint::FromBgr(chosen), shade->GetFraction())));
            EXPECT_EQ(m_editor->GetColorValue(), rgb(shade->GetSelectColor()))
                << hueAt << " " << shadeAt;
        }
    }
}

TEST_F(ScreenPageTest, DefaultPictureAndClockArriveFromTheirButtons) {
    OpenScreenPage();
    EXPECT_TRUE(m_slots->IsEnabled());
    EXPECT_TRUE(m_window->GetControl(ScreenPage::kDefaultPicture)->IsEnabled());
    ASSERT_GE(m_slots->GetItemCount(), 3);
    m_slots->SetCurSel(2);
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kScreens, glint::kEventClick, 2), 1);
    Drain();
    const QString framesText = QString::fromStdString(LanguageText(866));
    const QString limit = QStringLiteral("\n%1 %2")
                              .arg(QString::fromStdString(LanguageText(867)))
                              .arg(m_controller->Layout()->screenMaxFrames);
    ASSERT_NE(m_slots->GetItem(2).label, framesText + " 1" + limit)
        << "the slot holds an animation of its own before";
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kDefaultPicture, glint::kEventClick, 0), 1);
    Drain();
    // The tile says at once what the slot holds now: one frame.
    EXPECT_EQ(m_slots->GetItem(2).label, framesText + " 1" + limit);
    const std::string slot = Slot(3);
    EXPECT_EQ(Field(slot, "frames"), "1") << slot.substr(0, 300);
    EXPECT_EQ(Field(slot, "delays"), "[10]");
    std::vector<std::uint8_t> expected(kWidth * kHeight * 2);
    ASSERT_TRUE(GetImageRGB565Data(SkinFolder() + "loadgif.png", expected, kWidth, kHeight));
    std::string hex;
    for (std::uint8_t byte : expected) {
        static const char kDigits[] = "0123456789abcdef";
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    EXPECT_EQ(Field(slot, "first_frame_rgb565"), "\"" + hex + "\"");
    EXPECT_FALSE(m_slots->GetItem(2).picture.isEmpty());

    const std::shared_ptr<ScreenFeature> feature = ScreenFeatureOf(*m_controller);
    ASSERT_NE(feature, nullptr);
    feature->SetClockOverride(ScreenClock{2027, 2, 3, 4, 5, 6, 3});
    ASSERT_EQ(m_window->OnMessage(ScreenPage::kSyncClock, glint::kEventClick, 0), 1);
    Drain();
    const std::string state = KeyboardState();
    const std::size_t at = state.find("\"clock\":");
    ASSERT_NE(at, std::string::npos);
    const std::string clock = state.substr(at, state.find('}', at) - at + 1);
    for (const auto& [name, value] :
         {std::pair{"year", "27"}, std::pair{"month", "2"}, std::pair{"day", "3"},
          std::pair{"hour", "4"}, std::pair{"minute", "5"}, std::pair{"second", "6"}}) {
        EXPECT_EQ(Field(clock, name), value) << name;
    }
}

TEST_F(ScreenPageTest, OverTheReceiverNoSlotIsOfferedOrClaimed) {
    // The keyboard fills the slot it shows: the strip and the default picture (a cable-only
    // transfer) say why they wait for the cable, and an event that reaches them sends nothing.
    OpenScreenPage("102:2");
    ASSERT_EQ(m_controller->ConnectionMode(), kModeReceiver);
    glint::MControl* defaultPicture = m_window->GetControl(ScreenPage::kDefaultPicture);
    ASSERT_NE(defaultPicture, nullptr);
    EXPECT_FALSE(m_slots->IsEnabled());
    EXPECT_FALSE(defaultPicture->IsEnabled());
    EXPECT_EQ(m_slots->GetTooltip(), Text(ScreenPage::kTextSlotsNeedCable));
    EXPECT_FALSE(Text(ScreenPage::kTextSlotsNeedCable).isEmpty());

    m_slots->SetCurSel(2);
    m_window->OnMessage(ScreenPage::kScreens, glint::kEventClick, 2);
    Drain();
    m_window->OnMessage(ScreenPage::kDefaultPicture, glint::kEventClick, 0);
    Drain();
    for (int slot = 1; slot <= 3; ++slot) {
        EXPECT_NE(Field(Slot(slot), "filled"), "true") << slot;
    }
}

TEST_F(ScreenPageTest, PreviewAndEditButtonsShowTheEditorsMode) {
    OpenScreenPage();
    ImportThroughPage(MakeGif({0xFF0000, 0x00FF00}, {100, 200}));
    auto* preview = Control<glint::CTextButton>(ScreenPage::kPreview);
    auto* edit = Control<glint::CTextButton>(ScreenPage::kEdit);
    ASSERT_TRUE(preview && edit);
    struct Step {
        int click;
        bool previewing;
    };
    for (const Step step : {Step{ScreenPage::kPreview, true}, Step{ScreenPage::kEdit, false},
                            Step{ScreenPage::kPreview, true}}) {
        ASSERT_EQ(m_window->OnMessage(step.click, glint::kEventClick, 0), 1);
        EXPECT_EQ(m_editor->IsPreviewMode(), step.previewing) << step.click;
        const QString on = step.previewing ? preview->GetImage() : edit->GetImage();
        const QString off = step.previewing ? edit->GetImage() : preview->GetImage();
        EXPECT_TRUE(on.endsWith(QStringLiteral("_on.png"))) << on.toStdString();
        EXPECT_TRUE(off.endsWith(QStringLiteral("_off.png"))) << off.toStdString();
        for (const QString& image : {on, off}) {
            EXPECT_FALSE(QImage(QString::fromStdString(SkinFolder()) + image).isNull())
                << image.toStdString();
        }
    }
}

}  // namespace
}  // namespace zephyl::window::test
