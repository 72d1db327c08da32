// SPDX-License-Identifier: GPL-2.0-or-later
#include "sdkserver/SdkKeyboard.h"

#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "device/DeviceManager.h"
#include "lighting/LightModes.h"
#include "platform/SoftwareIdentity.h"
#include "protocol/StreamReports.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "text/LanguageText.h"

#include <algorithm>
#include <map>

namespace zephyl {
namespace {

constexpr const char* kBackgroundStepName = "sdk server";

struct KeyboardTable {
    std::mutex mutex;
    std::map<const KeyboardController*, std::weak_ptr<SdkKeyboard>> keyboards;
};

KeyboardTable& Keyboards() {
    static KeyboardTable table;
    return table;
}

/// Lighting goes over the cable and the receiver; Bluetooth carries none.
bool LightingConnection(const KeyboardController& controller) {
    const int mode = controller.ConnectionMode();
    return controller.Connected() && controller.Ready() &&
           (mode == kModeCable || mode == kModeReceiver);
}

std::uint32_t ModeFlags(int configFunc, bool hasColour) {
    const EffectControls controls = ControlsOf(configFunc);
    std::uint32_t flags = 0;
    flags |= controls.speed ? kSdkModeHasSpeed : 0;
    flags |= controls.brightness ? kSdkModeHasBrightness : 0;
    flags |= controls.leftRight ? kSdkModeHasDirectionLR : 0;
    flags |= controls.upDown ? kSdkModeHasDirectionUD : 0;
    flags |= hasColour ? kSdkModeHasModeSpecificColour | kSdkModeHasRandomColour : 0;
    return flags;
}

/// An effect's colour setting counts only where the keyboard takes it: per-key colour models.
bool EffectTakesColour(int configFunc, const KeyboardLayout& layout) {
    return layout.perKeyColour && ControlsOf(configFunc).colour;
}

SdkMode EffectMode(const EffectRow& row, const LightEffect& stored, const KeyboardLayout& layout) {
    SdkMode mode;
    mode.name = LanguageText(row.textId);
    mode.value = row.mode;
    const bool colour = EffectTakesColour(row.configFunc, layout);
    mode.flags = ModeFlags(row.configFunc, colour);
    mode.speedMax = static_cast<std::uint32_t>(std::max(0, layout.speedMax));
    mode.brightnessMax = static_cast<std::uint32_t>(std::max(0, layout.brightnessMax));
    mode.speed = static_cast<std::uint32_t>(std::clamp(stored.speed, 0, layout.speedMax));
    mode.brightness =
        static_cast<std::uint32_t>(std::clamp(stored.brightness, 0, layout.brightnessMax));
    mode.direction = static_cast<std::uint32_t>(std::clamp(stored.direction, 0, 3));
    if (colour) {
        mode.coloursMin = 1;
        mode.coloursMax = 1;
        mode.colours = {static_cast<SdkColour>(stored.color_value) & 0xFFFFFF};
        mode.colourMode = stored.colorful ? kSdkColourModeRandom : kSdkColourModeModeSpecific;
    }
    return mode;
}

SdkZone KeyZone(const KeyboardLayout& layout) {
    SdkZone zone;
    zone.name = "Keys";
    zone.type = kSdkZoneTypeMatrix;
    zone.ledsMin = zone.ledsMax = zone.ledsCount = static_cast<std::uint32_t>(layout.keys.size());
    const int rows = std::max(layout.matrixRows, 0);
    const int columns = std::max(layout.matrixColumns, 0);
    if (rows > 0 && columns > 0) {
        zone.matrixHeight = static_cast<std::uint32_t>(rows);
        zone.matrixWidth = static_cast<std::uint32_t>(columns);
        zone.matrix.assign(size_t(rows) * size_t(columns), kSdkNoLed);
        for (size_t led = 0; led < layout.keys.size(); ++led) {
            const LayoutKey& key = layout.keys[led];
            if (key.row >= 0 && key.row < rows && key.column >= 0 && key.column < columns) {
                zone.matrix[size_t(key.row) * size_t(columns) + size_t(key.column)] =
                    static_cast<std::uint32_t>(led);
            }
        }
    }
    return zone;
}

}  // namespace

std::uint32_t SdkKeyboard::ControllerCount() {
    const auto controller = Controller();
    return controller && LightingConnection(*controller) && !controller->Layout()->keys.empty() ? 1
                                                                                                : 0;
}

std::optional<SdkController> SdkKeyboard::Describe(std::uint32_t index) {
    const auto controller = Controller();
    if (index != 0 || !controller || ControllerCount() == 0) {
        return std::nullopt;
    }
    const std::shared_ptr<const KeyboardLayout> layout = controller->Layout();
    SdkController description;
    description.type = kSdkDeviceTypeKeyboard;
    description.name = layout->modelName;
    description.vendor = SoftwareName();
    description.description = layout->modelName + " (" + SoftwareName() + ")";
    description.version = layout->firmwareVersion;
    description.location =
        controller->ConnectionMode() == kModeCable ? "USB cable" : "wireless receiver";

    ProfileDatabase& database = controller->Database();
    SeedLightEffects(database, *layout);
    const int activeEffect = database.GetActiveLightEffect(kSettingsProfile);

    SdkMode direct;
    direct.name = "Direct";
    direct.flags = kSdkModeHasPerLedColour;
    direct.colourMode = kSdkColourModePerLed;
    description.modes.push_back(direct);
    std::int32_t activeMode = kDirectMode;
    for (const EffectRow& row : kEffectTable) {
        LightEffect stored;
        if (!database.GetLightEffect(row.mode, stored)) {
            stored.brightness = layout->defaultBrightness;
            stored.speed = layout->defaultSpeed;
            stored.colorful = 1;
        }
        if (row.mode == activeEffect) {
            activeMode = static_cast<std::int32_t>(description.modes.size());
        }
        description.modes.push_back(EffectMode(row, stored, *layout));
    }
    description.zones.push_back(KeyZone(*layout));
    for (const LayoutKey& key : layout->keys) {
        description.leds.push_back({key.name, static_cast<std::uint32_t>(key.code)});
    }
    std::lock_guard lock(m_mutex);
    description.activeMode = m_direct ? kDirectMode : activeMode;
    description.colours = m_colours;
    description.colours.resize(layout->keys.size(), 0);
    return description;
}

std::optional<std::uint32_t> SdkKeyboard::ZoneFirstLed(std::uint32_t index, std::uint32_t zone) {
    if (index != 0 || zone != 0 || ControllerCount() == 0) {
        return std::nullopt;
    }
    return 0;
}

void SdkKeyboard::SetColours(std::uint32_t index, std::uint32_t firstLed,
                             std::span<const SdkColour> colours) {
    const auto controller = Controller();
    if (index != 0 || !controller || ControllerCount() == 0) {
        return;
    }
    const size_t ledCount = controller->Layout()->keys.size();
    if (firstLed >= ledCount) {
        return;
    }
    const size_t count = std::min(colours.size(), ledCount - firstLed);
    std::lock_guard lock(m_mutex);
    m_colours.resize(ledCount, 0);
    for (size_t i = 0; i < count; ++i) {
        m_colours[firstLed + i] = colours[i] & 0xFFFFFF;
    }
    // Colours are what Direct shows: a client that sends them wants to see them.
    m_direct = true;
    ++m_generation;
}

void SdkKeyboard::SetCustomMode(std::uint32_t index) {
    if (index != 0 || ControllerCount() == 0) {
        return;
    }
    std::lock_guard lock(m_mutex);
    if (!m_direct) {
        m_direct = true;
        ++m_generation;  // the keyboard shows an effect now: the colours go again
    }
}

void SdkKeyboard::UpdateMode(std::uint32_t index, std::int32_t modeIndex, const SdkMode& mode,
                             std::uint32_t version) {
    const auto controller = Controller();
    if (index != 0 || !controller || ControllerCount() == 0) {
        return;
    }
    if (modeIndex == kDirectMode) {
        SetCustomMode(index);
        return;
    }
    if (modeIndex < 1 || modeIndex > kEffectCount) {
        return;
    }
    const EffectRow& row = kEffectTable[modeIndex - 1];
    const std::shared_ptr<const KeyboardLayout> layout = controller->Layout();
    ProfileDatabase& database = controller->Database();
    SeedLightEffects(database, *layout);
    LightEffect effect;
    if (!database.GetLightEffect(row.mode, effect)) {
        return;
    }
    const EffectControls controls = ControlsOf(row.configFunc);
    if (controls.speed) {
        effect.speed = std::clamp(static_cast<int>(std::min<std::uint32_t>(mode.speed, 0xFFFF)), 0,
                                  layout->speedMax);
    }
    // Before version 3 a mode carries no brightness: the stored one stays.
    if (controls.brightness && version >= 3) {
        effect.brightness =
            std::clamp(static_cast<int>(std::min<std::uint32_t>(mode.brightness, 0xFFFF)), 0,
                       layout->brightnessMax);
    }
    const bool horizontal = mode.direction == kDirectionLeft || mode.direction == kDirectionRight;
    const bool vertical = mode.direction == kDirectionUp || mode.direction == kDirectionDown;
    if ((controls.leftRight && horizontal) || (controls.upDown && vertical)) {
        effect.direction = static_cast<int>(mode.direction);
    }
    if (EffectTakesColour(row.configFunc, *layout)) {
        if (mode.colourMode == kSdkColourModeRandom) {
            effect.colorful = 1;
        } else if (mode.colourMode == kSdkColourModeModeSpecific && !mode.colours.empty()) {
            effect.colorful = 0;
            effect.color_value = static_cast<int>(mode.colours.front() & 0xFFFFFF);
        }
    }
    database.UpdateLightEffect(row.mode, effect);
    database.SetActiveLightEffect(row.mode);
    {
        std::lock_guard lock(m_mutex);
        m_direct = false;
    }
    controller->PostCommand(kCommandSendLightEffect);
}

void SdkKeyboard::StreamStep(KeyboardController& controller) {
    if (controller.ConnectionMode() != kModeCable) {
        return;
    }
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    std::vector<SdkColour> colours;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_direct || m_generation == m_sentGeneration) {
            return;
        }
        colours = m_colours;
        generation = m_generation;
    }
    std::vector<StreamKey> keys;
    keys.reserve(layout->keys.size());
    for (size_t led = 0; led < layout->keys.size(); ++led) {
        const SdkColour colour = led < colours.size() ? colours[led] : 0;
        StreamKey key;
        key.lightIndex = layout->keys[led].lightIndex;
        key.colour = colour;
        key.lit = colour != 0;
        // A single-colour keyboard shows each key's level: its brightest channel.
        key.level =
            layout->perKeyColour
                ? 255
                : int(std::max({colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF}));
        keys.push_back(key);
    }
    const bool perKey = layout->perKeyColour;
    StreamBuffer buffer;
    const size_t length = FillStreamBuffer(keys, perKey, buffer);
    DeviceManager& devices = controller.Devices();
    const bool sent = devices.SendFeatureTimed(BuildStreamFrameCommand(perKey)) &&
                      devices.SendFeatureTimed(std::span<const uint8_t>(buffer).first(length)) &&
                      devices.SendFeatureTimed(BuildStreamCloseCommand());
    if (sent) {
        std::lock_guard lock(m_mutex);
        m_sentGeneration = generation;
        ++m_framesSent;
    }
}

std::uint64_t SdkKeyboard::FramesSent() const {
    std::lock_guard lock(m_mutex);
    return m_framesSent;
}

bool SdkKeyboard::DirectMode() const {
    std::lock_guard lock(m_mutex);
    return m_direct;
}

void RegisterSdkServerFeature(KeyboardController& controller) {
    auto keyboard = std::make_shared<SdkKeyboard>(controller.weak_from_this());
    {
        KeyboardTable& table = Keyboards();
        std::lock_guard lock(table.mutex);
        for (auto it = table.keyboards.begin(); it != table.keyboards.end();) {
            it = it->second.expired() ? table.keyboards.erase(it) : std::next(it);
        }
        table.keyboards[&controller] = keyboard;
    }
    controller.SetBackgroundStep(kBackgroundStepName,
                                 [keyboard](KeyboardController& c) { keyboard->StreamStep(c); });
}

std::shared_ptr<SdkKeyboard> SdkKeyboardOf(const KeyboardController& controller) {
    KeyboardTable& table = Keyboards();
    std::lock_guard lock(table.mutex);
    const auto found = table.keyboards.find(&controller);
    return found == table.keyboards.end() ? nullptr : found->second.lock();
}

}  // namespace zephyl
