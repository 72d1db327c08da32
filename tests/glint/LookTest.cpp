// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include "glint/SkinImage.h"
#include "support/TempEnvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>

namespace zephyl::glint::test {
namespace {

using LookTest = GlintTest;

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            colours.insert(image.pixel(x, y));
        }
    }
    return int(colours.size());
}

TEST_F(LookTest, EveryControlDrawsItselfWithoutItsImages) {
    zephyl::test::TempEnvironment environment;
    Manager::SetSkinFolder(QString::fromStdString(environment.Root().string()));
    const char* classes[] = {
        "MText",         "MButton",      "CImageButton", "CTextButton",    "CHelpButton",
        "UpgradeButton", "CCheckButton", "CRadioButton", "KeyLayerButton", "MEdit",
        "MSlider",       "MProgress",    "CColorButton", "CirclePalette",  "LCDPalette2",
        "LCDPalette3",   "BatteryCtrl",  "CDeviceCtrl",  "CDeviceList",    "MTabCtrl",
        "MListBox",      "MComboBox",    "KeyboardCtrl", "CGifPicture",
    };
    for (const char* name : classes) {
        SCOPED_TRACE(name);
        MControl* control =
            m_window->CreateControl(name, 1, QRect(0, 0, 120, 90), QStringLiteral("Caption"));
        control->SetImage(QStringLiteral("missing.png"), 4);
        control->SetTooltip(QStringLiteral("Tip"));
        if (auto* list = dynamic_cast<MListBox*>(control)) {
            list->AddString(QStringLiteral("Item"), 1);
        } else if (auto* combo = dynamic_cast<MComboBox*>(control)) {
            combo->AddItem(QStringLiteral("Item"), 1);
            combo->SetCurSel(0);
        } else if (auto* tabs = dynamic_cast<MTabCtrl*>(control)) {
            tabs->InsertItem(0, QStringLiteral("Home"), QStringLiteral("missing.png"), nullptr);
        } else if (auto* devices = dynamic_cast<CDeviceList*>(control)) {
            devices->AddDevice(QStringLiteral("K100"), 101, QString(), QString());
        } else if (auto* keyboard = dynamic_cast<KeyboardCtrl*>(control)) {
            keyboard->AddKeyItem(QStringLiteral("Esc"), QString(), 41, QRect(10, 10, 40, 40));
        } else if (auto* gif = dynamic_cast<CGifPicture*>(control)) {
            gif->SetRunState(1, 0);
        } else if (auto* progress = dynamic_cast<MProgress*>(control)) {
            progress->SetProgress(50);
        }
        Settle();
        const QImage image = control->grab().toImage();
        EXPECT_GE(DistinctColours(image), 2);
        delete control;
    }
    Manager::SetSkinFolder({});
}

TEST_F(LookTest, PanelsFillWithTheirColourAndTransparency) {
    auto* panel = m_window->CreateAreaAs<CArea>(70, QRect(0, 0, 40, 40));
    panel->SetTransparent(0, 0, 0x282828);
    Settle();
    EXPECT_EQ(panel->grab().toImage().pixelColor(20, 20), QColor(0x28, 0x28, 0x28));
    panel->SetTransparent(50, 0, 0xC8C8C8);
    Settle();
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Qt::black);
    panel->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QColor blended = image.pixelColor(20, 20);
    EXPECT_NEAR(blended.red(), 0xC8 * 50 / 255, 2);
}

TEST_F(LookTest, AWindowBackgroundRepaintedInPartsMatchesTheWholePicture) {
    // At the window's size and stretched from a picture of half of it.
    for (const QSize pictureSize : {QSize(160, 90), QSize(80, 45)}) {
        SCOPED_TRACE(pictureSize.width());
        zephyl::test::TempEnvironment environment;
        const QString folder = QString::fromStdString(environment.Root().string());
        QImage source(pictureSize, QImage::Format_RGB32);
        for (int y = 0; y < source.height(); ++y) {
            for (int x = 0; x < source.width(); ++x) {
                source.setPixel(x, y, qRgb(x * 3, y * 5, (x * y) % 256));
            }
        }
        ASSERT_TRUE(source.save(folder + QStringLiteral("/back.png")));
        Manager::SetSkinFolder(folder);
        auto* background = m_window->CreateAreaAs<MPicture>(30, QRect(0, 0, 160, 90));
        background->SetImage(QStringLiteral("back.png"));
        background->SetShowMode(1);
        Settle();

        QImage whole(160, 90, QImage::Format_RGB32);
        background->render(&whole, QPoint(), QRegion(), QWidget::RenderFlags());
        if (pictureSize == background->size()) {
            ASSERT_EQ(whole, source);
        }
        // A ragged region, as an animation's changed tiles make it, odd places included.
        QRegion ragged;
        for (const QRect& part : {QRect(0, 0, 16, 16), QRect(48, 16, 32, 16),
                                  QRect(144, 74, 16, 16), QRect(97, 41, 15, 13)}) {
            ragged += part;
        }
        QImage painted(160, 90, QImage::Format_RGB32);
        painted.fill(Qt::black);
        background->render(&painted, QPoint(), ragged, QWidget::RenderFlags());
        for (int y = 0; y < painted.height(); ++y) {
            for (int x = 0; x < painted.width(); ++x) {
                const QRgb expected =
                    ragged.contains(QPoint(x, y)) ? whole.pixel(x, y) : qRgb(0, 0, 0);
                ASSERT_EQ(painted.pixel(x, y), expected) << x << "," << y;
            }
        }
        delete background;
        Manager::SetSkinFolder({});
    }
}

TEST(SkinImageTest, ARoundKeepsOnlyThePicturesLoadedDuringIt) {
    App();
    zephyl::test::TempEnvironment environment;
    const QString folder = QString::fromStdString(environment.Root().string());
    for (const char* name : {"/old.png", "/shared.png", "/new.png"}) {
        QImage image(8, 8, QImage::Format_ARGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(folder + QLatin1String(name)));
    }
    Manager::SetSkinFolder(folder);
    SkinImage::NewRound();
    const qint64 oldKey = SkinImage::Load(QStringLiteral("old.png")).cacheKey();
    const qint64 sharedKey = SkinImage::Load(QStringLiteral("shared.png")).cacheKey();
    EXPECT_EQ(SkinImage::CachedCount(), 2);

    // The next page shows one picture of the last and one of its own.
    SkinImage::NewRound();
    SkinImage::Load(QStringLiteral("shared.png"));
    SkinImage::Load(QStringLiteral("new.png"));
    EXPECT_EQ(SkinImage::ReleaseUnused(), 1);
    EXPECT_EQ(SkinImage::CachedCount(), 2);
    EXPECT_EQ(SkinImage::Load(QStringLiteral("shared.png")).cacheKey(), sharedKey);
    // A freed picture is read again when it is next shown.
    const QPixmap reloaded = SkinImage::Load(QStringLiteral("old.png"));
    EXPECT_FALSE(reloaded.isNull());
    EXPECT_NE(reloaded.cacheKey(), oldKey);
    Manager::SetSkinFolder({});
}

/// Every image the windows name, with the state count they give it.
struct SkinCase {
    const char* file;
    int states;
};

const SkinCase kSkin[] = {
    {"main_bkg.png", 1},
    {"home_bkg.png", 1},
    {"main_bkg.gif", 1},
    {"loading.gif", 1},
    {"bk_prompt.png", 1},
    {"updatetips_bkg.png", 1},
    {"img_loading_bkg.png", 1},
    {"img_lcdedit_bkg.png", 1},
    {"btn_apply.png", 4},
    {"btn_checkbox.png", 8},
    {"btn_radiobox.png", 8},
    {"img_combobox.png", 4},
    {"img_edit.png", 4},
    {"img_edit2.png", 4},
    {"img_key_edit.png", 4},
    {"img_slider_back.png", 2},
    {"img_thumb.png", 4},
    {"img_circlepalette.png", 1},
    {"img_direction_right.png", 8},
    {"img_direction_left.png", 8},
    {"img_direction_top.png", 8},
    {"img_direction_bottom.png", 8},
    {"img_help.png", 1},
    {"imgbtn_add.png", 4},
    {"imgbtn_del.png", 4},
    {"imgbtn_edit.png", 4},
    {"imgbtn_import.png", 4},
    {"imgbtn_export.png", 4},
    {"imgbtn_lcd_addtext.png", 4},
    {"imgbtn_lcd_add.png", 4},
    {"imgbtn_lcd_copy.png", 4},
    {"imgbtn_lcd_edit.png", 4},
    {"imgbtn_lcd_revoke.png", 4},
    {"imgbtn_lcd_erase.png", 4},
    {"imgbtn_lcd_del.png", 4},
    {"btn_record_up.png", 4},
    {"btn_record_down.png", 4},
    {"btn_record_del.png", 4},
    {"btn_openfile.png", 4},
    {"img_btn_layer_p.png", 4},
    {"img_btn_layer_n.png", 4},
    {"img_button_check.png", 4},
    {"img_button_nocheck.png", 4},
    {"main_sysbtn_close.png", 4},
    {"main_sysbtn_min.png", 4},
    {"main_sysbtn_website.png", 4},
    {"sysbtn_close.png", 4},
    {"imageview_item_hover.png", 1},
    {"imageview_item_normal.png", 1},
    {"lcdlist_item_hover.png", 1},
    {"lcdlist_item_normal.png", 1},
    {"loadgif.png", 1},
    {"DeviceDriver.ico", 1},
    {"logo/logo.png", 1},
    {"logo/icon_keyboard.png", 1},
    {"icon/tab_home.png", 4},
    {"icon/tab_customkey.png", 4},
    {"icon/tab_macro.png", 4},
    {"icon/tab_light.png", 4},
    {"icon/tab_tft.png", 4},
    {"icon/tab_userlight.png", 4},
    {"icon/tab_customlight.png", 4},
    {"icon/tab_music.png", 4},
    {"icon/tab_config.png", 4},
    {"icon/icon_keyboard.png", 1},
    {"icon/icon_macro.png", 1},
    {"icon/icon_light.png", 1},
    {"icon/icon_tft.png", 1},
    {"icon/icon_userlight.png", 1},
    {"icon/icon_customlight.png", 1},
    {"icon/icon_music.png", 1},
    {"icon/icon_config.png", 1},
    {"icon/icon_circle.png", 2},
    {"icon/icon_palette_bar1.png", 1},
    {"icon/icon_palette_bar2.png", 1},
    {"icon/usb_mode.png", 1},
    {"icon/24g_mode.png", 1},
    {"icon/bt_mode.png", 1},
    {"icon/icon_battery_bkg.png", 1},
    {"icon/icon_batteryvalue.png", 1},
    {"icon/icon_charge.png", 1},
    {"icon/icon_lcd_add.png", 1},
    {"keyboard/home_keyboard_connected.png", 1},
    {"keyboard/home_keyboard_disconnected.png", 1},
};

TEST(SkinTest, TheSkinHoldsEveryImageTheWindowsName) {
    App();
    const QString folder = QStringLiteral(ZEPHYL_SOURCE_DATA_DIR "/skins/default/");
    for (const SkinCase& entry : kSkin) {
        SCOPED_TRACE(entry.file);
        const QImage image(folder + QString::fromLatin1(entry.file));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width() % entry.states, 0);
        if (entry.states > 1) {
            EXPECT_GE(image.width() / entry.states * 2, image.height());
        }
    }
}

TEST(SkinTest, TheHomeAnimationStaysClearOfTheTitleBarAndTheKeyboardCards) {
    // A spark over a control makes the window repaint that control on every frame, and a frame is
    // repainted in 16-pixel tiles: the sparks keep out of the tile rows that touch the title bar
    // (the top 50 rows) and the keyboard cards (from 150 rows above the bottom).
    App();
    QImageReader reader(QStringLiteral(ZEPHYL_SOURCE_DATA_DIR "/skins/default/main_bkg.gif"));
    constexpr int kTile = 16;
    int frames = 0;
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read()) {
        SCOPED_TRACE(frames);
        ++frames;
        frame = frame.convertToFormat(QImage::Format_ARGB32);
        const int top = (50 + kTile - 1) / kTile * kTile;
        const int bottom = (frame.height() - 150) / kTile * kTile;
        int painted = 0;
        for (int y = 0; y < frame.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            for (int x = 0; x < frame.width(); ++x) {
                if (qAlpha(line[x]) == 0) {
                    continue;
                }
                ++painted;
                ASSERT_GE(y, top);
                ASSERT_LT(y, bottom);
            }
        }
        EXPECT_GT(painted, 0);
    }
    EXPECT_GT(frames, 1);
}

TEST(SkinTest, EveryModelHasItsPicturesAndPlate) {
    App();
    const QString data = QStringLiteral(ZEPHYL_SOURCE_DATA_DIR "/");
    const auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QStringList pictures;
    const QRegularExpression modelPicture(QStringLiteral("img_(?:dis)?connected=\"([^\"]+)\""));
    for (const auto& match : modelPicture.globalMatch(read(data + "config.xml"))) {
        pictures << QStringLiteral("device/") + match.captured(1);
    }
    const QRegularExpression plate(QStringLiteral("<Keyboard [^>]*image=\"([^\"]+)\""));
    for (const QString& layout : QDir(data + "layouts").entryList({"*.xml"})) {
        for (const auto& match : plate.globalMatch(read(data + "layouts/" + layout))) {
            pictures << QStringLiteral("keyboard/") + match.captured(1);
        }
    }
    ASSERT_GE(pictures.size(), 3);
    for (const QString& picture : pictures) {
        SCOPED_TRACE(picture.toStdString());
        EXPECT_FALSE(QImage(data + "skins/default/" + picture).isNull());
    }
}

}  // namespace
}  // namespace zephyl::glint::test
