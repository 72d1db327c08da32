// SPDX-License-Identifier: GPL-2.0-or-later
// Places one of every control on a window and saves the window as a picture, to look at the
// skin as a user would see it:
//   glint_gallery out.png [skin folder]
// An empty skin folder shows how the controls look when their images are missing.
#include "glint/Glint.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace zephyl::glint {
namespace {

class Gallery : public MDialog {
protected:
    void InitUI(const QRect& rect) override {
        auto* background = CreateAreaAs<MPicture>(30, rect);
        background->SetImage(QStringLiteral("main_bkg.png"));
        auto* panel = CreateAreaAs<CArea>(70, QRect(20, 60, 1060, 620));
        panel->SetTransparent(0, 0, 0x282828);
        auto* bar = CreateAreaAs<CArea>(36, QRect(0, 0, 1100, 50));
        bar->SetTransparent(50, 0, 0xC8C8C8);
        auto* logo = CreateAreaAs<MPicture>(38, QRect(10, 10, 150, 30));
        logo->SetImage(QStringLiteral("logo\\logo.png"));
        auto* caption = CreateAreaAs<MText>(39, QRect(300, 0, 500, 50),
                                            QStringLiteral("Zephyl Keyboard Driver"));
        caption->SetAlignment(kAlignCenter);
        const char* sysButtons[] = {"main_sysbtn_website.png", "main_sysbtn_min.png",
                                    "main_sysbtn_close.png"};
        for (int i = 0; i < 3; ++i) {
            auto* button = CreateControlAs<CImageButton>(43 + i, QRect(960 + 40 * i, 10, 30, 30));
            button->SetImage(QString::fromLatin1(sysButtons[i]), 4);
        }
        auto* battery = CreateControlAs<BatteryCtrl>(47, QRect(820, 10, 80, 30));
        battery->SetImage(QStringLiteral("icon\\icon_battery_bkg.png"));
        battery->SetBatteryIcon(QStringLiteral("icon\\icon_batteryvalue.png"),
                                QStringLiteral("icon\\icon_charge.png"));
        battery->SetBatteryInfo(64, 0);
        auto* mode = CreateAreaAs<MPicture>(48, QRect(900, 5, 50, 40));
        mode->SetImage(QStringLiteral("icon\\24g_mode.png"));

        BuildTabs();
        BuildLeftColumn();
        BuildMiddleColumn();
        BuildRightColumn();
        BuildKeyboard();
        BuildKeyFunctions();
        BuildRecordList();
    }

private:
    void BuildTabs() {
        auto* tabs = CreateControlAs<MTabCtrl>(49, QRect(20, 60, 60, 620));
        tabs->SetTextColor(0xFFADADAD);
        const char* icons[] = {"tab_home",        "tab_customkey", "tab_macro",
                               "tab_light",       "tab_tft",       "tab_userlight",
                               "tab_customlight", "tab_music",     "tab_config"};
        const char* texts[] = {"Home", "Keys",   "Macros", "Lighting", "Screen",
                               "User", "Custom", "Music",  "Settings"};
        for (int i = 0; i < 9; ++i) {
            tabs->InsertItem(i, QString::fromLatin1(texts[i]),
                             QStringLiteral("icon\\%1.png").arg(QString::fromLatin1(icons[i])),
                             nullptr, 4, 0);
        }
        tabs->SetSelectItem(1);
    }

    void BuildLeftColumn() {
        for (int i = 0; i < 5; ++i) {
            const char* tools[] = {"imgbtn_add.png", "imgbtn_del.png", "imgbtn_edit.png",
                                   "imgbtn_import.png", "imgbtn_export.png"};
            auto* tool = CreateControlAs<CImageButton>(65 + i, QRect(100 + 34 * i, 75, 28, 28));
            tool->SetImage(QString::fromLatin1(tools[i]), 4);
        }
        auto* list = CreateControlAs<MListBox>(71, QRect(100, 110, 200, 140));
        list->SetImage(QStringLiteral("icon//icon_circle.png"), 2);
        list->SetEditImage(QStringLiteral("img_edit.png"));
        list->AddString(QStringLiteral("My Config 1"), 1);
        list->AddString(QStringLiteral("My Config 2"), 2);
        list->AddString(QStringLiteral("Gaming"), 3);
        list->AddString(QStringLiteral("Office"), 4);
        list->SetCurSel(1);
        auto* apply =
            CreateControlAs<MButton>(288, QRect(100, 260, 100, 30), QStringLiteral("Save"));
        apply->SetImage(QStringLiteral("btn_apply.png"), 4);
        auto* disabled =
            CreateControlAs<MButton>(289, QRect(210, 260, 90, 30), QStringLiteral("Disabled"));
        disabled->SetImage(QStringLiteral("btn_apply.png"), 4);
        disabled->SetEnabled(false);
        auto* layerOn =
            CreateControlAs<MButton>(77, QRect(100, 300, 95, 32), QStringLiteral("Standard"));
        layerOn->SetImage(QStringLiteral("img_btn_layer_p.png"), 4);
        auto* layerOff =
            CreateControlAs<MButton>(78, QRect(205, 300, 95, 32), QStringLiteral("Fn layer"));
        layerOff->SetImage(QStringLiteral("img_btn_layer_n.png"), 4);
        auto* fnOn =
            CreateControlAs<KeyLayerButton>(79, QRect(100, 340, 95, 30), QStringLiteral("Fn + F1"));
        fnOn->SetCheck(1);
        CreateControlAs<KeyLayerButton>(80, QRect(205, 340, 95, 30), QStringLiteral("F1"));
        auto* edit = CreateControlAs<MEdit>(258, QRect(100, 380, 200, 30));
        edit->SetImage(QStringLiteral("img_edit.png"), 4);
        edit->SetTipInfo(QStringLiteral("Press a key"));
        auto* number = CreateControlAs<MEdit>(107, QRect(100, 420, 60, 30));
        number->SetImage(QStringLiteral("img_edit.png"), 4);
        number->SetEditText(QStringLiteral("255"));
        number->SetAlignment(kAlignCenter);
        auto* combo = CreateControlAs<MComboBox>(291, QRect(170, 420, 130, 30));
        combo->SetImage(QStringLiteral("img_combobox.png"), 4);
        combo->AddItem(QStringLiteral("English"), 1033);
        combo->AddItem(QStringLiteral("Русский"), 1049);
        combo->SelectData(1033);
        auto* progress = CreateControlAs<MProgress>(32, QRect(100, 465, 200, 10));
        progress->SetProgress(40);
        auto* upgrade = CreateControlAs<UpgradeButton>(300, QRect(100, 490, 120, 30),
                                                       QStringLiteral("Software"));
        upgrade->SetImage(QStringLiteral("btn_apply.png"), 4);
        upgrade->SetUpgradeState(true);
        auto* help = CreateControlAs<CHelpButton>(294, QRect(230, 494, 22, 22));
        help->SetImage(QStringLiteral("img_help.png"), 1);
        for (int i = 0; i < 3; ++i) {
            const char* records[] = {"btn_record_up.png", "btn_record_down.png",
                                     "btn_record_del.png"};
            auto* record = CreateControlAs<CImageButton>(280 + i, QRect(100 + 34 * i, 530, 28, 28));
            record->SetImage(QString::fromLatin1(records[i]), 4);
        }
        auto* textButton = CreateControlAs<CTextButton>(323, QRect(100, 570, 100, 28),
                                                        QStringLiteral("Import GIF"));
        textButton->SetTextButtonColor(0xFFFFFFFF, 0xFFEE6E01, 0xFFEE6E01, 0xFF808080);
        auto* checkText =
            CreateControlAs<CTextButton>(331, QRect(210, 570, 90, 28), QStringLiteral("Check"));
        checkText->SetImage(QStringLiteral("img_button_check.png"), 4);
        auto* device = CreateControlAs<CDeviceCtrl>(52, QRect(100, 605, 200, 70));
        device->SetImage(QStringLiteral("device\\k100_connected.png"));
        device->SetDeviceStatus(1);
    }

    void BuildMiddleColumn() {
        auto* title = CreateAreaAs<MText>(98, QRect(330, 75, 200, 24), QStringLiteral("Colour"));
        title->SetTextColor(0xFFB4B4B4);
        auto* wheel = CreateControlAs<CirclePalette>(100, QRect(330, 100, 160, 160));
        wheel->SetImage(QStringLiteral("img_circlepalette.png"));
        wheel->SetColor(0x0080FF);
        const char* letters[] = {"R", "G", "B"};
        for (int i = 0; i < 3; ++i) {
            CreateAreaAs<MText>(101 + i, QRect(330, 275 + 32 * i, 20, 24),
                                QString::fromLatin1(letters[i]));
            auto* slider = CreateControlAs<MSlider>(104 + i, QRect(350, 277 + 32 * i, 140, 20));
            slider->SetImage(QStringLiteral("img_slider_back.png"), 2);
            slider->SetThumbImage(QStringLiteral("img_thumb.png"));
            slider->SetMaxProgress(255);
            slider->SetProgress(i == 0 ? 255 : (i == 1 ? 128 : 0));
        }
        const std::uint32_t swatches[] = {0xFF,     0x80FF,   0xFFFF,   0xFF00,
                                          0xFF0000, 0xFFFF00, 0xFF00FF, 0xFFFFFF};
        for (int i = 0; i < 8; ++i) {
            auto* swatch = CreateControlAs<CColorButton>(110 + i, QRect(330 + 20 * i, 375, 18, 18));
            swatch->SetColor(swatches[i]);
            swatch->SetGroupName(QStringLiteral("IDC_LIGHT_STC_DEFAULTCOLOR"));
        }
        static_cast<CColorButton*>(GetControl(111))->SetSelected(true);
        auto* hues = CreateControlAs<LCDPalette2>(350, QRect(330, 405, 160, 16));
        hues->SetImage(QStringLiteral("icon/icon_palette_bar1.png"));
        hues->SetSelectColor(0x0080FF);
        auto* shades = CreateControlAs<LCDPalette3>(349, QRect(330, 430, 160, 16));
        shades->SetImage(QStringLiteral("icon/icon_palette_bar2.png"));
        shades->SetSelectColor(0x0080FF);
        auto* check = CreateControlAs<CCheckButton>(97, QRect(330, 460, 160, 26),
                                                    QStringLiteral("Multicolour"));
        check->SetImage(QStringLiteral("btn_checkbox.png"), 8);
        check->SetCheck(1);
        auto* unchecked = CreateControlAs<CCheckButton>(329, QRect(330, 490, 160, 26),
                                                        QStringLiteral("Grid lines"));
        unchecked->SetImage(QStringLiteral("btn_checkbox.png"), 8);
        for (int i = 0; i < 2; ++i) {
            auto* radio = CreateControlAs<CRadioButton>(
                271 + i, QRect(330, 520 + 30 * i, 160, 26),
                i == 0 ? QStringLiteral("Recorded delay") : QStringLiteral("No delay"));
            radio->SetImage(QStringLiteral("btn_radiobox.png"), 8);
            radio->SetGroupName(QStringLiteral("DELAY_TIME"));
        }
        static_cast<CRadioButton*>(GetControl(271))->SetCheck(1);
        const char* directions[] = {"img_direction_right.png", "img_direction_left.png",
                                    "img_direction_top.png", "img_direction_bottom.png"};
        for (int i = 0; i < 4; ++i) {
            auto* direction =
                CreateControlAs<CRadioButton>(92 + i, QRect(330 + 42 * i, 585, 40, 40));
            direction->SetImage(QString::fromLatin1(directions[i]), 8);
            direction->SetGroupName(QStringLiteral("GROUP_LIGHT_DIRECTION"));
        }
        static_cast<CRadioButton*>(GetControl(92))->SetCheck(1);
        auto* wait = CreateAreaAs<CGifPicture>(31, QRect(330 + 4 * 42 + 6, 585, 40, 40));
        wait->SetImage(QStringLiteral("loading.gif"));
        wait->SetRunState(1, 0);
    }

    void BuildRightColumn() {
        auto* devices = CreateControlAs<CDeviceList>(62, QRect(520, 75, 540, 120));
        const char* models[] = {"k100", "k68_screen", "k87_white"};
        const char* names[] = {"Zephyl K100", "Zephyl K68 Screen", "Zephyl K87 White"};
        for (int i = 0; i < 2; ++i) {
            devices->AddDevice(
                QString::fromLatin1(names[i]), 101 + i,
                QStringLiteral("device\\%1_disconnected.png").arg(QString::fromLatin1(models[i])),
                QStringLiteral("device\\%1_connected.png").arg(QString::fromLatin1(models[i])));
        }
        devices->SetDeviceState(101, 1);
        devices->SetSelectDevice(101);
    }

    void BuildKeyboard() {
        auto* keyboard = CreateControlAs<KeyboardCtrl>(74, QRect(520, 205, 540, 210));
        keyboard->SetKeyboardCtrlMode(kKeyboardModeAssign);
        auto* colours = CreateControlAs<KeyboardCtrl>(165, QRect(520, 430, 540, 210));
        colours->SetKeyboardCtrlMode(kKeyboardModeColour);
        const char* rows[] = {"Esc F1 F2 F3 F4 F5 F6 F7 F8", "` 1 2 3 4 5 6 7 8 9 0 - =",
                              "Tab Q W E R T Y U I O P [ ]", "Caps A S D F G H J K L ; '",
                              "Shift Z X C V B N M , . /",   "Ctrl Win Alt Space Alt Fn Ctrl"};
        int code = 4;
        for (int row = 0; row < 6; ++row) {
            const QStringList names = QString::fromLatin1(rows[row]).split(' ');
            int x = 12;
            for (const QString& name : names) {
                const int width = name.size() > 2 ? (name == "Space" ? 190 : 56) : 36;
                for (KeyboardCtrl* target : {keyboard, colours}) {
                    target->AddKeyItem(name, name, code, QRect(x, 12 + row * 40, width, 36));
                }
                x += width + 4;
                ++code;
            }
        }
        for (KeyboardCtrl* target : {keyboard, colours}) {
            target->SetWidthAndHeight(600, 262);
            target->SetKeyboardColor(0x1E1E1E);
        }
        keyboard->SetKeyCheck(30, 1);
        keyboard->SetTipKey(30, QStringLiteral("Macro"), QStringLiteral("Copy"));
        keyboard->SetCurKey(26);
        keyboard->SetKeyDisable(6, true);
        colours->SetLightModeColor(1, 0);
        colours->SetKeyCheck(26, 1);
        colours->SetKeyCheck(27, 1);
        colours->SetKeyColor(40, 0);
    }

    void BuildKeyFunctions() {
        auto* functions = CreateControlAs<KeyFuncControl>(76, QRect(20, 700, 1060, 180));
        const int letters = functions->AddGroup(QStringLiteral("Letters and digits"));
        for (int i = 0; i < 36; ++i) {
            const QChar name = i < 26 ? QChar('A' + i) : QChar('0' + (i - 25) % 10);
            functions->AddItem(letters, {4 + i, 0, 0, QString(name)});
        }
        const int fKeys = functions->AddGroup(QStringLiteral("Function keys"));
        for (int i = 0; i < 24; ++i) {
            functions->AddItem(fKeys, {0x3A + i, 0, 0, QStringLiteral("F%1").arg(i + 1)});
        }
        const int navigation = functions->AddGroup(QStringLiteral("Navigation and editing"));
        const char* navigationKeys[] = {
            "Esc",    "Tab",  "Caps Lock", "Backspace",   "Enter",        "Space", "Insert",
            "Delete", "Home", "End",       "Page Up",     "Page Down",    "Left",  "Right",
            "Up",     "Down", "Pause",     "Scroll Lock", "Print Screen", "Menu"};
        for (int i = 0; i < 20; ++i) {
            functions->AddItem(navigation,
                               {0x100 + i, 0, 0, QString::fromLatin1(navigationKeys[i])});
        }
        functions->AddGroup(QStringLiteral("Keypad"));
        const int modifiers = functions->AddGroup(QStringLiteral("Modifiers and symbols"));
        const char* modifierKeys[] = {"Left Ctrl",  "Left Shift",  "Left Alt",  "Left Win",
                                      "Right Ctrl", "Right Shift", "Right Alt", "Right Win"};
        for (int i = 0; i < 8; ++i) {
            functions->AddItem(modifiers, {0xE0 + i, 0, 0, QString::fromLatin1(modifierKeys[i])});
        }
        const int media = functions->AddGroup(QStringLiteral("Media and programs"));
        const char* mediaKeys[] = {"Play/Pause",  "Stop",        "Previous", "Next",
                                   "Volume Up",   "Volume Down", "Mute",     "Calculator",
                                   "My Computer", "Browser",     "Mail",     "Media Player"};
        for (int i = 0; i < 12; ++i) {
            functions->AddItem(media, {0x200 + i, 1, 0, QString::fromLatin1(mediaKeys[i])});
        }
        functions->SetItemCheckByItemData(0x10A, 0, 0);
    }

    void BuildRecordList() {
        // The macro page lays its headings out with the list's column proportions.
        const QRect area(20, 900, 520, 210);
        const char* headings[] = {"Event", "Value", "Delay (ms)"};
        const int lefts[] = {0, area.width() / 2, area.width() * 3 / 4, area.width()};
        for (int i = 0; i < 3; ++i) {
            auto* heading = CreateAreaAs<MText>(
                335 + i, QRect(area.left() + lefts[i], area.top(), lefts[i + 1] - lefts[i], 24),
                QString::fromLatin1(headings[i]));
            heading->SetTextColor(0xFFADADAD);
            heading->SetAlignment(i == 0 ? kAlignLeft : kAlignCenter);
        }
        auto* steps = CreateControlAs<CRecordList>(287, area.adjusted(0, 26, 0, 0));
        steps->AddString(QStringLiteral("A"), 2, 65, 10);
        steps->AddString(QStringLiteral("A"), 3, 65, 120);
        steps->AddString(QStringLiteral("Left button"), 4, 1, 35);
        steps->AddString(QStringLiteral("Left button"), 5, 1, 0);
        steps->AddString(QStringLiteral("Shift"), 2, 225, 65535);
        steps->AddString(QStringLiteral("Repeat"), 0, 3, 500);
        steps->AddString(QStringLiteral("Shift"), 3, 225, 0);
        steps->SetCurSel(2);
    }
};

}  // namespace
}  // namespace zephyl::glint

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: glint_gallery out.png [skin folder]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (argc > 2) {
        zephyl::glint::Manager::SetSkinFolder(QString::fromLocal8Bit(argv[2]));
    }
    zephyl::glint::Gallery gallery;
    gallery.Create(nullptr, QStringLiteral("Gallery"), zephyl::glint::kStyleDialog, 0,
                   QRect(0, 0, 1100, 1120));
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
    }
    return gallery.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
