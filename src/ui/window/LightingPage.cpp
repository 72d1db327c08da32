// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/LightingPage.h"

#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "catalogue/KeyboardLayout.h"
#include "lighting/LightModes.h"
#include "lighting/LightingFeature.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"

#include <cstdlib>

namespace zephyl::window {
namespace {

constexpr int kFirstSideLightText = 661;
constexpr int kFirstSideLightValue = kSideLightFirstItem;
// The red/green/blue editor: its text, panel, wheel, rows and swatches.
constexpr int kFirstEditorControl = LightingPage::kColourText;
constexpr int kLastEditorControl = LightingPage::kUserColour;
// Radio buttons in id order, with the direction each stands for.
constexpr int kDirectionOfButton[] = {kDirectionRight, kDirectionLeft, kDirectionUp,
                                      kDirectionDown};

const ColourControlIds kColourIds = {LightingPage::kWheel,
                                     LightingPage::kFirstLabel,
                                     LightingPage::kFirstSlider,
                                     LightingPage::kFirstField,
                                     LightingPage::kFirstSwatch,
                                     9,
                                     ""};

}  // namespace

void LightingPage::BuildControls() {
    MakePanel(kListPanel);
    m_effects = MakeList(kEffects);
    OnLanguage([this] {
        std::lock_guard lock(m_mutex);
        for (size_t i = 0; i < m_effectTexts.size(); ++i) {
            m_effects->ModifyItemString(int(i), Text(m_effectTexts[i]));
        }
    });
    m_sideLightText = MakeText(kSideLightText, 660);
    m_sideLight = MakeCombo(kSideLight);
    std::vector<std::pair<int, int>> modes;
    for (int i = 0; i < kSideLightModes; ++i) {
        modes.emplace_back(kFirstSideLightText + i, kFirstSideLightValue + i);
    }
    LanguageItems(m_sideLight, modes);
    m_sideLight->SetCurSel(0);
    m_keyboard = Make<glint::KeyboardCtrl>(kKeyboard);
    m_keyboard->SetKeyboardCtrlMode(glint::kKeyboardModeColour);

    MakePanel(kSettingsPanel);
    m_colour = Make<glint::CColorButton>(kColour);
    m_colour->SetGroupName(QStringLiteral("IDC_CUSTOMLIGHT_STC_LIGHTCOLOR"));
    m_colour->SetColor(0xFF);
    m_multicolour = MakeCheck(kMulticolour, 80);
    MakeText(kColourText, 81);
    MakePanel(kColourPanel);
    m_colours = MakeColourControls(kColourIds);

    MakeText(kBrightnessText, 82);
    m_brightness = MakeColourSlider(kBrightness, 3);
    m_brightness->SetMaxProgress(4);
    m_brightness->SetProgress(3);
    MakeText(kSpeedText, 83);
    m_speed = MakeColourSlider(kSpeed, 0);
    m_speed->SetMaxProgress(4);
    MakeText(kDirectionText, 85);
    static constexpr const char* kDirections[] = {"img_direction_right.png",
                                                  "img_direction_left.png", "img_direction_top.png",
                                                  "img_direction_bottom.png"};
    for (int i = 0; i < 4; ++i) {
        auto* direction = Make<glint::CRadioButton>(kFirstDirection + i);
        direction->SetImage(QString::fromLatin1(kDirections[i]), 8);
        direction->SetGroupName(QStringLiteral("GROUP_LIGHT_DIRECTION"));
        m_directions[size_t(i)] = direction;
    }

    // The worker paints the colours the keyboard shows while this page is open.
    std::weak_ptr<PageGate> gate = m_context.gate;
    glint::KeyboardCtrl* keyboard = m_keyboard;
    LightingStateOf(Controller())
        ->SetLiveColourSink([gate, keyboard](const std::vector<std::pair<int, std::uint32_t>>& c) {
            if (const auto open = gate.lock()) {
                open->Run([keyboard, &c] { keyboard->SetKeyColors(c); });
            }
        });
}

void LightingPage::Layout(const QSize& size) {
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    const int bottom = size.height() - kFooterRoom - 10;
    constexpr int kListRight = 250;
    at(kListPanel, glint::RectLTRB(10, 10, kListRight, bottom));
    m_sideLightText->SetRect(QRect(24, bottom - 92, kListRight - 44, 28));
    m_sideLight->SetRect(QRect(20, bottom - 56, kListRight - 40, 32));
    m_effects->SetRect(glint::RectLTRB(20, 20, kListRight - 10, bottom - 104));

    const int left = kListRight + 10;
    const int right = size.width() - 10;
    const int pictureBottom = 10 + (bottom - 10) * 48 / 100;
    m_keyboard->SetRect(glint::RectLTRB(left, 10, right, pictureBottom));

    const int lowerTop = pictureBottom + 10;
    const int settingsRight = left + 420;
    at(kSettingsPanel, glint::RectLTRB(left, lowerTop, settingsRight, bottom));
    int y = lowerTop + 20;
    const int inner = left + 20;
    at(kColourText, QRect(inner, y, 110, 30));
    at(kColour, QRect(inner + 120, y + 2, 26, 26));
    at(kMulticolour, QRect(inner + 180, y, 200, 30));
    y += 48;
    at(kBrightnessText, QRect(inner, y, 110, 30));
    at(kBrightness, glint::RectLTRB(inner + 120, y + 5, settingsRight - 24, y + 25));
    y += 44;
    at(kSpeedText, QRect(inner, y, 110, 30));
    at(kSpeed, glint::RectLTRB(inner + 120, y + 5, settingsRight - 24, y + 25));
    y += 44;
    at(kDirectionText, QRect(inner, y + 6, 110, 30));
    for (int i = 0; i < 4; ++i) {
        at(kFirstDirection + i, QRect(inner + 120 + i * 58, y, 44, 44));
    }

    at(kColourPanel, glint::RectLTRB(settingsRight + 10, lowerTop, right, bottom));
    LayoutColourControls(
        m_colours, glint::RectLTRB(settingsRight + 30, lowerTop + 20, right - 24, bottom - 20));
}

bool LightingPage::AcceptsEvent(int id, int code) const {
    if (id == kWheel) {
        return code == glint::kEventWheelReleased;  // a drag streams colours; the release counts
    }
    return id == kEffects || id == kSideLight || (id >= kFirstField && id < kFirstField + 3) ||
           Page::AcceptsEvent(id, code);
}

int LightingPage::OnEvent(int id, int code, int) {
    if (id == kEffects || id == kSideLight) {
        if (code != glint::kEventClick) {
            return 0;
        }
        return id == kEffects ? OnEffectChosen() : OnSideLightChosen();
    }
    if (id >= kFirstField && id < kFirstField + 3) {
        // Clamped and applied as typed.
        return code == glint::kEventTextChanged ? OnColourChosen(id) : 0;
    }
    if (id == kWheel) {
        return OnColourChosen(id);
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    switch (id) {
        case kMulticolour:
            return OnMulticolour();
        case kBrightness:
            return OnBrightness();
        case kSpeed:
            return OnSpeed();
        default:
            break;
    }
    if (id >= kFirstDirection && id < kFirstDirection + 4) {
        return OnDirection(id);
    }
    const bool colourSource =
        (id >= kFirstSlider && id < kFirstSlider + 3) || (id >= kFirstSwatch && id <= kUserColour);
    return colourSource ? OnColourChosen(id) : 0;
}

void LightingPage::Refresh() {
    OnEffectChosen();
}

void LightingPage::SetSliderMaxima(int brightnessMax, int speedMax) {
    if (brightnessMax > 0) {
        m_brightness->SetMaxProgress(brightnessMax);
    }
    if (speedMax > 0) {
        m_speed->SetMaxProgress(speedMax);
    }
}

void LightingPage::ShowSideLight(bool shown) {
    m_sideLightText->SetVisible(shown);
    m_sideLight->SetVisible(shown);
}

void LightingPage::OnFeatureLoaded(int feature) {
    if (feature == kFeatureLightModes) {
        LoadEffects();
    } else if (feature == kFeatureSideLight) {
        LoadSideLight();
    }
}

void LightingPage::LoadEffects() {
    std::lock_guard lock(m_mutex);
    ProfileDatabase& database = Controller().Database();
    std::vector<LightEffect> effects;
    database.ListLightEffects(kSettingsProfile, effects);
    m_effects->DeleteAllItems();
    m_effectTexts.clear();
    for (const LightEffect& effect : effects) {
        // The store names an effect by the number of its language text.
        m_effectTexts.push_back(std::atoi(effect.name.c_str()));
        m_effects->AddString(Text(m_effectTexts.back()), effect.mode);
    }
    // Showing what the keyboard already runs sends nothing: the keyboard has it.
    const int active = database.GetActiveLightEffect(kSettingsProfile);
    LightEffect effect;
    if (m_effects->SetCurData(active) && database.GetLightEffect(active, effect)) {
        m_configFunc.store(effect.config_func);
        ShowEffect(effect);
    }
}

void LightingPage::LoadSideLight() {
    std::string stored;
    Controller().Database().GetConfigValue(kSettingsProfile, kConfigLightMode, stored);
    m_sideLight->SelectData(SideLightItem(stored));
}

void LightingPage::ShowEffect(const LightEffect& effect) {
    const EffectControls shown = ControlsOf(effect.config_func);
    auto show = [this](int id, bool visible) {
        if (glint::MControl* control = Window().GetControl(id)) {
            control->SetVisible(visible);
        }
    };
    show(kBrightnessText, shown.brightness);
    show(kBrightness, shown.brightness);
    m_brightness->SetProgress(shown.brightness ? effect.brightness : 0);
    show(kSpeedText, shown.speed);
    show(kSpeed, shown.speed);
    m_speed->SetProgress(shown.speed ? effect.speed : 0);

    show(kDirectionText, shown.leftRight || shown.upDown);
    for (size_t i = 0; i < m_directions.size(); ++i) {
        const int direction = kDirectionOfButton[i];
        const bool sideways = direction == kDirectionLeft || direction == kDirectionRight;
        m_directions[i]->SetVisible(sideways ? shown.leftRight : shown.upDown);
    }
    if (shown.leftRight) {
        const bool right = effect.direction == kDirectionRight;
        m_directions[0]->SetCheck(right ? 1 : 0);
        m_directions[1]->SetCheck(right ? 0 : 1);
    } else if (shown.upDown) {
        const bool up = effect.direction == kDirectionUp;
        m_directions[2]->SetCheck(up ? 1 : 0);
        m_directions[3]->SetCheck(up ? 0 : 1);
    }

    m_colour->SetVisible(shown.colour);
    m_multicolour->SetVisible(shown.colour);
    if (shown.colour) {
        m_colour->SetColor(std::uint32_t(effect.color_value));
        m_multicolour->SetCheck(effect.colorful == 1 ? 1 : 0);
        m_keyboard->SetLightModeColor(effect.colorful == 1 ? 1 : 0,
                                      std::uint32_t(effect.color_value));
    }
    for (int id = kFirstEditorControl; id <= kLastEditorControl; ++id) {
        show(id, shown.rgbEditor);
    }
    if (shown.rgbEditor) {
        ShowColourComponents(m_colours, EditorColour(effect));
    }
}

int LightingPage::OnEffectChosen() {
    std::lock_guard lock(m_mutex);
    const int mode = m_effects->GetCurData();
    ProfileDatabase& database = Controller().Database();
    LightEffect effect;
    if (m_effects->GetCurSel() < 0 || !database.GetLightEffect(mode, effect)) {
        return 1;
    }
    m_configFunc.store(effect.config_func);
    database.SetActiveLightEffect(mode);
    ShowEffect(effect);
    Controller().PostCommand(kCommandSendLightEffect);
    return 1;
}

int LightingPage::OnSideLightChosen() {
    const auto stored = StoredSideLight(m_sideLight->GetCurData());
    if (!stored) {
        return 1;
    }
    Controller().Database().SetConfigValue(kSettingsProfile, kConfigLightMode, *stored);
    Controller().PostCommand(kCommandSendSideLight);
    return 1;
}

bool LightingPage::ChangeActive(const std::function<void(LightEffect&)>& change) {
    ProfileDatabase& database = Controller().Database();
    LightEffect effect;
    if (!database.GetLightEffect(database.GetActiveLightEffect(kSettingsProfile), effect)) {
        return false;
    }
    change(effect);
    database.UpdateLightEffect(effect.mode, effect);
    Controller().PostCommand(kCommandSendLightEffect);
    return true;
}

int LightingPage::OnBrightness() {
    const int position = m_brightness->GetProgress();
    ChangeActive([position](LightEffect& effect) { effect.brightness = position; });
    return 1;
}

int LightingPage::OnSpeed() {
    const int position = m_speed->GetProgress();
    ChangeActive([position](LightEffect& effect) { effect.speed = position; });
    return 1;
}

int LightingPage::OnDirection(int id) {
    const int direction = kDirectionOfButton[id - kFirstDirection];
    ChangeActive([direction](LightEffect& effect) { effect.direction = direction; });
    return 1;
}

void LightingPage::SetColour(std::uint32_t colour) {
    m_colour->SetColor(colour);
    if ((m_configFunc.load() & kEffectColourShownOnly) != 0) {
        return;
    }
    const bool changed = ChangeActive(
        [colour](LightEffect& effect) { effect.color_value = static_cast<int>(colour); });
    if (changed) {
        m_keyboard->SetLightModeColor(0, colour);
    }
}

int LightingPage::OnColourChosen(int id) {
    const std::optional<std::uint32_t> colour = TakeColourFrom(m_colours, kColourIds, id);
    if (!colour) {
        return 0;
    }
    SetColour(*colour);
    // A chosen colour ends multicolour; the colour stays.
    if (m_multicolour->GetCheck() != 0) {
        m_multicolour->SetCheck(0);
        ChangeActive([](LightEffect& effect) { effect.colorful = 0; });
    }
    return 1;
}

int LightingPage::OnMulticolour() {
    const bool colorful = m_multicolour->GetCheck() != 0;
    std::uint32_t colour = m_colour->GetColor();
    ChangeActive([colorful, &colour](LightEffect& effect) {
        effect.colorful = colorful ? 1 : 0;
        // Clearing the box by hand starts again from red.
        if (!colorful) {
            effect.color_value = static_cast<int>(kDefaultEffectColour);
        }
        colour = std::uint32_t(effect.color_value);
    });
    m_colour->SetColor(colour);
    ShowColourComponents(m_colours, colorful ? kDefaultEffectColour : colour);
    m_keyboard->SetLightModeColor(colorful ? 1 : 0, colour);
    return 1;
}

}  // namespace zephyl::window
