// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/MusicPage.h"

#include "text/DefaultNames.h"

#include <algorithm>

namespace zephyl::window {

void MusicPage::BuildControls() {
    MakePanel(kListPanel);
    MakePanel(kPicturePanel);
    MakePanel(kSettingsPanel);
    MakeToolButton(kAdd, "imgbtn_add.png", 28);
    MakeToolButton(kDelete, "imgbtn_del.png", 30);
    MakeToolButton(kRename, "imgbtn_edit.png", 29);
    m_layers = MakeList(kLayers);
    m_keyboard = Make<glint::KeyboardCtrl>(kKeyboard);
    m_keyboard->SetKeyboardCtrlMode(glint::kKeyboardModeMusic);

    MakeText(kForeText, 102);
    m_fore = MakeCombo(kFore);
    m_fore->SetCurSel(0);
    MakeText(kSensitivityText, 103);
    auto* sensitivity = MakeColourSlider(kSensitivity, 60);
    sensitivity->SetMaxProgress(100);
    sensitivity->SetProgress(60);
    MakeText(kBackText, 104);
    m_back = MakeCombo(kBack);
    LanguageItems(m_back, {{117, 0},
                           {111, 6},
                           {112, 7},
                           {113, 8},
                           {114, 9},
                           {118, 10},
                           {115, 11},
                           {106, 1},
                           {107, 2},
                           {108, 3},
                           {109, 4},
                           {110, 5}});
    m_back->SetCurSel(0);
    MakeText(kBackBrightnessText, 105);
    auto* brightness = MakeColourSlider(kBackBrightness, 100);
    brightness->SetMaxProgress(100);
    brightness->SetProgress(100);
}

void MusicPage::Layout(const QSize& size) {
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    const int bottom = size.height() - kFooterRoom - 10;
    constexpr int kListRight = 250;
    at(kListPanel, glint::RectLTRB(10, 10, kListRight, bottom));
    int x = 20;
    for (int id = kAdd; id <= kRename; ++id) {
        at(id, QRect(x, 20, 32, 32));
        x += 44;
    }
    m_layers->SetRect(glint::RectLTRB(20, 62, kListRight - 10, bottom - 10));

    const int left = kListRight + 10;
    const int right = size.width() - 10;
    const int pictureBottom = 10 + (bottom - 10) * 62 / 100;
    at(kPicturePanel, glint::RectLTRB(left, 10, right, pictureBottom));
    m_keyboard->SetRect(glint::RectLTRB(left + 20, 20, right - 20, pictureBottom - 10));

    at(kSettingsPanel, glint::RectLTRB(left, pictureBottom + 10, right, bottom));
    const int middle = (left + right) / 2;
    const int rowTop = pictureBottom + 10 + std::max(20, (bottom - pictureBottom - 10 - 90) / 2);
    auto rowPair = [&](int textId, int fieldId, int column, int y) {
        const int columnLeft = column == 0 ? left + 30 : middle + 20;
        const int columnRight = column == 0 ? middle - 20 : right - 30;
        at(textId, QRect(columnLeft, y, 190, 32));
        const bool slider = fieldId == kSensitivity || fieldId == kBackBrightness;
        at(fieldId, slider ? glint::RectLTRB(columnLeft + 200, y + 6, columnRight, y + 26)
                           : glint::RectLTRB(columnLeft + 200, y, columnRight, y + 32));
    };
    rowPair(kForeText, kFore, 0, rowTop);
    rowPair(kSensitivityText, kSensitivity, 1, rowTop);
    rowPair(kBackText, kBack, 0, rowTop + 58);
    rowPair(kBackBrightnessText, kBackBrightness, 1, rowTop + 58);
}

bool MusicPage::AcceptsEvent(int id, int code) const {
    return id == kLayers || Page::AcceptsEvent(id, code);
}

int MusicPage::OnEvent(int id, int code, int) {
    if (id == kLayers) {
        if (code == glint::kEventClick) {
            return OnLayerChosen();
        }
        return code == glint::kEventEditFinished ? OnLayerRenamed() : 0;
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    switch (id) {
        case kAdd:
        case kDelete:
        case kRename:
            return OnLayerTool();
        case kFore:
        case kBack:
            return OnSchemeChosen();
        case kSensitivity:
        case kBackBrightness:
            return OnLevelChanged();
        default:
            return 0;
    }
}

void MusicPage::ApplyLanguageTexts() {
    Page::ApplyLanguageTexts();
    LocalizeDefaultNames(m_layers, DefaultNameList::kMusicLayers);
    std::lock_guard lock(m_foreMutex);
    for (size_t i = 0; i < m_foreItems.size(); ++i) {
        m_fore->SetItemText(int(i), Text(m_foreItems[i].textId));
    }
}

void MusicPage::ShowForeColours(const std::vector<ListItem>& items, bool colourControlsVisible) {
    std::lock_guard lock(m_foreMutex);
    m_foreItems = items;
    m_fore->DelAllItems();
    for (const ListItem& item : items) {
        m_fore->AddItem(Text(item.textId), item.value);
    }
    m_fore->SetCurSel(0);
    for (int id : {kForeText, kFore, kBackText, kBack}) {
        if (glint::MControl* control = Window().GetControl(id)) {
            control->SetVisible(colourControlsVisible);
        }
    }
}

void MusicPage::StartMusicLighting() {
    m_running.store(true);
}

void MusicPage::StopMusicLighting() {
    m_running.store(false);
}

int MusicPage::OnLayerTool() {
    return NotInThisBuild("music lighting: layer list tools");
}

int MusicPage::OnLayerChosen() {
    return NotInThisBuild("music lighting: layer chosen");
}

int MusicPage::OnLayerRenamed() {
    return NotInThisBuild("music lighting: layer renamed");
}

int MusicPage::OnSchemeChosen() {
    return NotInThisBuild("music lighting: colour scheme");
}

int MusicPage::OnLevelChanged() {
    return NotInThisBuild("music lighting: sensitivity or brightness");
}

}  // namespace zephyl::window
