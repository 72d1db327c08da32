// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/UserLightPage.h"

#include "text/DefaultNames.h"

namespace zephyl::window {

void UserLightPage::BuildControls() {
    MakePanel(kListPanel);
    MakeToolButton(kAdd, "imgbtn_add.png", 28);
    MakeToolButton(kDelete, "imgbtn_del.png", 30);
    MakeToolButton(kRename, "imgbtn_edit.png", 29);
    MakeToolButton(kImport, "imgbtn_import.png", 26);
    MakeToolButton(kExport, "imgbtn_export.png", 27);
    m_sets = MakeList(kSets);
    m_keyboard = Make<glint::KeyboardCtrl>(kKeyboard);
    m_keyboard->SetKeyboardCtrlMode(glint::kKeyboardModeColour);
    MakePanel(kSelectionPanel);
    MakePanel(kColourPanel);
    MakeText(kColourText, 81);
    m_colours = MakeColourControls({kWheel, kFirstLabel, kFirstSlider, kFirstField, kFirstSwatch,
                                    kLastSwatch - kFirstSwatch + 1, ":"});
    MakeText(kBrightnessText, 82);
    auto* brightness = MakeColourSlider(kBrightness, 15);
    brightness->SetMaxProgress(15);
    MakeCheck(kAllKeys, 70);
    MakeCheck(kNumberKeys, 71);
    MakeCheck(kWasd, 0)->SetTitle(QStringLiteral("WASD"));
}

void UserLightPage::Layout(const QSize& size) {
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    const int bottom = size.height() - kFooterRoom - 10;
    constexpr int kListRight = 250;
    at(kListPanel, glint::RectLTRB(10, 10, kListRight, bottom));
    int x = 20;
    for (int id = kAdd; id <= kExport; ++id) {
        at(id, QRect(x, 20, 32, 32));
        x += 44;
    }
    m_sets->SetRect(glint::RectLTRB(20, 62, kListRight - 10, bottom - 10));

    const int left = kListRight + 10;
    const int right = size.width() - 10;
    const int pictureBottom = 10 + (bottom - 10) * 52 / 100;
    m_keyboard->SetRect(glint::RectLTRB(left, 10, right, pictureBottom));

    const int lowerTop = pictureBottom + 10;
    const int selectionRight = left + 360;
    at(kSelectionPanel, glint::RectLTRB(left, lowerTop, selectionRight, bottom));
    int y = lowerTop + 20;
    for (int id : {kAllKeys, kNumberKeys, kWasd}) {
        at(id, QRect(left + 20, y, 300, 30));
        y += 42;
    }
    at(kBrightnessText, QRect(left + 20, y + 6, 110, 30));
    at(kBrightness, glint::RectLTRB(left + 140, y + 11, selectionRight - 24, y + 31));

    at(kColourPanel, glint::RectLTRB(selectionRight + 10, lowerTop, right, bottom));
    at(kColourText, QRect(selectionRight + 30, lowerTop + 12, 200, 28));
    LayoutColourControls(
        m_colours, glint::RectLTRB(selectionRight + 30, lowerTop + 44, right - 24, bottom - 14));
}

bool UserLightPage::AcceptsEvent(int id, int code) const {
    return id == kSets || id == kWheel || (id >= kFirstField && id < kFirstField + 3) ||
           Page::AcceptsEvent(id, code);
}

int UserLightPage::OnEvent(int id, int code, int) {
    if (id == kSets) {
        if (code == glint::kEventClick) {
            return OnSetChosen();
        }
        return code == glint::kEventEditFinished ? OnSetRenamed() : 0;
    }
    if (id >= kFirstField && id < kFirstField + 3) {
        return code == glint::kEventEditFinished ? OnColourChosen() : 0;
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    if (id >= kAdd && id <= kExport) {
        return OnSetListTool();
    }
    if (id == kWheel || (id >= kFirstSlider && id < kFirstSlider + 3) ||
        (id >= kFirstSwatch && id <= kLastSwatch)) {
        return OnColourChosen();
    }
    if (id >= kAllKeys && id <= kWasd) {
        return OnKeySelection();
    }
    return 0;
}

void UserLightPage::ApplyLanguageTexts() {
    Page::ApplyLanguageTexts();
    LocalizeDefaultNames(m_sets, DefaultNameList::kUserLighting);
}

int UserLightPage::OnSetListTool() {
    return NotInThisBuild("user lighting: set list tools");
}

int UserLightPage::OnSetChosen() {
    return NotInThisBuild("user lighting: set chosen");
}

int UserLightPage::OnSetRenamed() {
    return NotInThisBuild("user lighting: set renamed");
}

int UserLightPage::OnColourChosen() {
    return NotInThisBuild("user lighting: key colour");
}

int UserLightPage::OnKeySelection() {
    return NotInThisBuild("user lighting: key selection");
}

}  // namespace zephyl::window
