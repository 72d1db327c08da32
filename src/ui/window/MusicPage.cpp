// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/MusicPage.h"

#include "app/KeyboardController.h"
#include "lighting/MusicFeature.h"
#include "lighting/MusicLayers.h"
#include "lighting/ScreenLight.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"

#include <QTimer>

#include <algorithm>
#include <optional>

namespace zephyl::window {
namespace {

constexpr int kNoticeDelayMs = 1000;

}  // namespace

MusicPage::MusicPage(const PageContext& context) : Page(context, kContainer) {
    m_music = context.controller ? MusicLightingOf(*context.controller) : nullptr;
}

MusicPage::~MusicPage() {
    if (m_music) {
        m_music->SetObserver(nullptr);  // the feature outlives the window
        m_music->SetShown(false);
    }
}

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
    m_sensitivity = MakeColourSlider(kSensitivity, 60);
    m_sensitivity->SetMaxProgress(100);
    m_sensitivity->SetProgress(60);
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
    m_brightness = MakeColourSlider(kBackBrightness, 100);
    m_brightness->SetMaxProgress(100);
    m_brightness->SetProgress(100);
    m_audioNotice = MakeText(kAudioNotice, kAudioNotice);
    m_audioNotice->SetVisible(false);
    m_screenNotice = MakeText(kScreenNotice, kScreenNotice);
    m_screenNotice->SetVisible(false);
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
    at(kAudioNotice, glint::RectLTRB(left + 30, rowTop + 100, right - 30, rowTop + 126));
    at(kScreenNotice, glint::RectLTRB(left + 30, rowTop + 100, right - 30, rowTop + 126));
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
            return OnLayerTool(id);
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
    if (m_music) {
        m_music->SetShown(true);
        // The server answers (or not) shortly after the capture opens.
        QTimer::singleShot(kNoticeDelayMs, m_keyboard, [this] { RefreshNotices(); });
    }
}

void MusicPage::RefreshNotices() {
    if (!m_music) {
        return;
    }
    const bool screen = m_music->ForeMode() == kSchemeScreen;
    const CaptureState capture = m_music->Analyser().Capture();
    const bool noSound = !screen && m_running.load() &&
                         (capture == CaptureState::kNoServer || capture == CaptureState::kEnded);
    m_audioNotice->SetVisible(noSound);
    m_screenNotice->SetVisible(screen && m_running.load() && !m_music->Screen().Available());
}

void MusicPage::StopMusicLighting() {
    m_running.store(false);
    if (m_music) {
        m_music->SetShown(false);
    }
}

void MusicPage::OnFeatureLoaded(int feature) {
    if (feature == kFeatureMusic && m_music) {
        std::lock_guard lock(m_mutex);
        LoadPageLocked();
    }
}

bool MusicPage::PerKeyColour() const {
    const auto layout = Controller().Layout();
    return layout && layout->perKeyColour;
}

void MusicPage::LoadPageLocked() {
    glint::KeyboardCtrl* keyboard = m_keyboard;
    m_music->SetObserver([this, keyboard](const MusicKeyMap& map, const MusicKeyFrame& frame) {
        std::vector<std::pair<int, std::uint32_t>> colours;
        colours.reserve(map.keys.size());
        for (size_t k = 0; k < map.keys.size() && k < frame.colours.size(); ++k) {
            if (map.keys[k].inGrid) {
                colours.emplace_back(map.keys[k].code, frame.colours[k]);
            }
        }
        keyboard->SetKeyColors(colours);
        RefreshNotices();
    });
    MusicLayers layers(Controller().Database());
    m_layers->DeleteAllItems();
    int selected = 0;
    for (const MusicLayerEntry& entry : layers.Entries(PerKeyColour())) {
        m_layers->AddString(QString::fromStdString(entry.shownName), entry.id);
        if (entry.selected || selected == 0) {
            selected = entry.id;
        }
    }
    m_layers->SetCurData(selected);
    LoadLayerLocked(selected);
}

void MusicPage::LoadLayerLocked(int id) {
    m_fore->SetCurSel(0);
    m_back->SetCurSel(0);
    m_sensitivity->SetProgress(60);
    m_brightness->SetProgress(100);
    const std::optional<MusicLayer> layer = MusicLayers(Controller().Database()).Read(id);
    if (!layer) {
        return;
    }
    m_fore->SelectData(layer->foremode);
    m_back->SelectData(layer->backmode);
    m_sensitivity->SetProgress(layer->fore_amplitude / kMusicGainStep);
    m_brightness->SetProgress(layer->backb_right);
    m_music->ApplyLayer(layer->foremode, layer->fore_amplitude, layer->backmode,
                        layer->backb_right);
    m_music->Analyser().RestartCapture();
    ShowLevelControls(layer->foremode != kSchemeScreen);
}

void MusicPage::StoreLayerLocked() {
    const int id = m_layers->GetCurData();
    MusicLayers layers(Controller().Database());
    std::optional<MusicLayer> layer = layers.Read(id);
    const int fore = m_fore->GetCurData();
    const int back = std::max(m_back->GetCurData(), 0);
    const int gain = m_sensitivity->GetProgress() * kMusicGainStep;
    const int brightness = m_brightness->GetProgress();
    m_music->ApplyLayer(fore, gain, back, brightness);
    ShowLevelControls(fore != kSchemeScreen);
    RefreshNotices();
    if (layer) {
        layer->deviceindex = 0;
        layer->foremode = fore;
        layer->fore_amplitude = gain;
        layer->backmode = back;
        layer->backb_right = brightness;
        layers.Store(*layer);
    }
}

void MusicPage::ShowLevelControls(bool shown) {
    for (int id :
         {kSensitivityText, kSensitivity, kBackText, kBack, kBackBrightnessText, kBackBrightness}) {
        if (glint::MControl* control = Window().GetControl(id)) {
            control->SetVisible(shown);
        }
    }
}

int MusicPage::OnLayerTool(int sender) {
    if (!m_music) {
        return NotInThisBuild("music lighting");
    }
    std::lock_guard lock(m_mutex);
    MusicLayers layers(Controller().Database());
    if (sender == kRename) {
        m_layers->ShowEdit();
        return 1;
    }
    if (sender == kAdd) {
        const int id = layers.Add(PerKeyColour());
        if (id > 0) {
            LoadPageLocked();
        }
        return 1;
    }
    if (layers.Delete(m_layers->GetCurData(), PerKeyColour())) {
        LoadPageLocked();
    }
    return 1;
}

int MusicPage::OnLayerChosen() {
    if (!m_music) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    const int id = m_layers->GetCurData();
    if (id > 0) {
        MusicLayers(Controller().Database()).Select(id);
        LoadLayerLocked(id);
    }
    return 1;
}

int MusicPage::OnLayerRenamed() {
    if (!m_music) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    const int index = m_layers->GetCurSel();
    if (index < 0) {
        return 1;
    }
    const int id = m_layers->GetItemData(index);
    MusicLayers layers(Controller().Database());
    const std::string text = m_layers->GetItemText(index).toStdString();
    if (text.empty()) {
        // An emptied name keeps the stored one.
        if (const std::optional<MusicLayer> layer = layers.Read(id)) {
            m_layers->ModifyItemString(index,
                                       QString::fromStdString(MusicLayers::ShownName(layer->name)));
        }
        return 1;
    }
    layers.Rename(id, text);
    return 1;
}

int MusicPage::OnSchemeChosen() {
    if (!m_music) {
        return 0;
    }
    std::lock_guard lock(m_mutex);
    StoreLayerLocked();
    return 1;
}

int MusicPage::OnLevelChanged() {
    return OnSchemeChosen();
}

}  // namespace zephyl::window
