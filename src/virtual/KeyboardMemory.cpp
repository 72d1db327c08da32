// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/KeyboardMemory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zephyl::virtualhid {

namespace {

// Largest blocks the state file may hand back; anything bigger is not something the keyboard
// could have stored.
constexpr std::size_t kMaxMacroImageBytes = 256 * 28;
constexpr std::size_t kMaxFrameBytes = 576;

JsonValue CounterObject(const std::map<std::string, std::uint64_t>& counters) {
    JsonValue object = JsonValue::MakeObject();
    for (const auto& [name, value] : counters) {
        object.Set(name, JsonValue(value));
    }
    return object;
}

void ReadCounters(const JsonValue& json, std::map<std::string, std::uint64_t>& counters) {
    for (const auto& [name, value] : json.Members()) {
        const std::int64_t count = value.AsInt(-1, 0, INT64_MAX / 2);
        if (count >= 0) {
            counters[name] = static_cast<std::uint64_t>(count);
        }
    }
}

bool ReadBlock(const JsonValue& json, std::size_t minimum, std::size_t maximum, Bytes& out) {
    Bytes bytes;
    if (!json.IsString() || !FromHex(json.AsString(), bytes) || bytes.size() < minimum ||
        bytes.size() > maximum) {
        return false;
    }
    out = std::move(bytes);
    return true;
}

int ReadInt(const JsonValue& json, int minimum, int maximum, int fallback) {
    return static_cast<int>(json.AsInt(fallback, minimum, maximum));
}

JsonValue LightingView(const Bytes& record) {
    JsonValue view = JsonValue::MakeObject();
    if (record.size() < kLightingRecordBytes) {
        return view;
    }
    view.Set("mode", JsonValue(record[0]));
    view.Set("red", JsonValue(record[1]));
    view.Set("green", JsonValue(record[2]));
    view.Set("blue", JsonValue(record[3]));
    view.Set("colorful", JsonValue(record[8]));
    view.Set("brightness", JsonValue(record[9]));
    view.Set("speed", JsonValue(record[10]));
    view.Set("direction", JsonValue(record[11]));
    return view;
}

JsonValue SettingsView(const Bytes& block) {
    JsonValue view = JsonValue::MakeObject();
    if (block.size() < 9) {
        return view;
    }
    view.Set("disable_alttab", JsonValue(block[2]));
    view.Set("disable_altf4", JsonValue(block[3]));
    view.Set("disable_win", JsonValue(block[4]));
    view.Set("fn_switch", JsonValue(block[5]));
    view.Set("sleep_time", JsonValue(block[6]));
    view.Set("key_respondtime", JsonValue(block[8]));
    return view;
}

std::string HashText(std::uint64_t hash) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

JsonValue SlotToJson(int number, const ScreenSlot& slot) {
    JsonValue json = JsonValue::MakeObject();
    json.Set("slot", JsonValue(number));
    json.Set("filled", JsonValue(slot.filled));
    if (!slot.filled) {
        return json;
    }
    json.Set("upload_index", JsonValue(slot.uploadIndex));
    json.Set("transport", JsonValue(slot.transport));
    json.Set("unit_size", JsonValue(slot.unitSize));
    json.Set("units", JsonValue(static_cast<std::int64_t>(slot.units)));
    json.Set("bytes", JsonValue(static_cast<std::int64_t>(slot.bytes)));
    json.Set("frames", JsonValue(slot.frames));
    JsonValue delays = JsonValue::MakeArray();
    for (const int delay : slot.delays) {
        delays.Append(JsonValue(delay));
    }
    json.Set("delays", std::move(delays));
    json.Set("fnv1a64", JsonValue(HashText(slot.hash)));
    if (slot.frameHashes.empty()) {
        return json;  // no frame arrived whole: nothing decoded to show
    }
    json.Set("width", JsonValue(slot.width));
    json.Set("height", JsonValue(slot.height));
    json.Set("first_frame_rgb565", JsonValue(ToHex(slot.firstFrame)));
    JsonValue frameHashes = JsonValue::MakeArray();
    for (const std::uint64_t frameHash : slot.frameHashes) {
        frameHashes.Append(JsonValue(HashText(frameHash)));
    }
    json.Set("frame_fnv1a64", std::move(frameHashes));
    return json;
}

void SlotFromJson(const JsonValue& json, ScreenSlot& slot) {
    if (!json["filled"].AsBool()) {
        return;
    }
    const std::string& hash = json["fnv1a64"].AsString();
    char* end = nullptr;
    const unsigned long long value = std::strtoull(hash.c_str(), &end, 16);
    if (hash.size() != 16 || end != hash.c_str() + hash.size()) {
        return;
    }
    slot.filled = true;
    slot.hash = value;
    slot.uploadIndex = ReadInt(json["upload_index"], 0, 255, 0);
    slot.transport = json["transport"].AsString() == "receiver" ? "receiver" : "bulk";
    slot.unitSize = ReadInt(json["unit_size"], 0, 4096, 0);
    slot.units = json["units"].AsInt(0, 0, 1LL << 40);
    slot.bytes = json["bytes"].AsInt(0, 0, 1LL << 40);
    slot.frames = ReadInt(json["frames"], 0, 255, 0);
    for (const JsonValue& delay : json["delays"].Items()) {
        if (slot.delays.size() >= 256) {
            break;
        }
        slot.delays.push_back(ReadInt(delay, 0, 255, 0));
    }
    slot.width = ReadInt(json["width"], 0, 1024, 0);
    slot.height = ReadInt(json["height"], 0, 1024, 0);
    if (!FromHex(json["first_frame_rgb565"].AsString(), slot.firstFrame) ||
        slot.firstFrame.size() != static_cast<std::size_t>(slot.width) * slot.height * 2) {
        slot.firstFrame.clear();
    }
    for (const JsonValue& frameHash : json["frame_fnv1a64"].Items()) {
        if (slot.frameHashes.size() >= 256) {
            break;
        }
        slot.frameHashes.push_back(std::strtoull(frameHash.AsString().c_str(), nullptr, 16));
    }
}

}  // namespace

std::uint64_t Fnv1a(std::uint64_t hash, const std::uint8_t* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        hash ^= data[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

void KeyboardMemory::FactoryReset(const ModelInfo& model) {
    keyTables[0].assign(kKeyTableBytes, 0);
    keyTables[1].assign(kKeyTableBytes, 0);
    macroImage.clear();
    // The built-in default effect in red with the keyboard's own defaults.
    lighting.assign(kLightingRecordBytes, 0);
    lighting[0] = static_cast<std::uint8_t>(model.defaultMode);
    lighting[1] = 0xFF;
    lighting[8] = 1;
    lighting[9] = static_cast<std::uint8_t>(model.defaultBrightness);
    lighting[10] = static_cast<std::uint8_t>(model.defaultSpeed);
    lighting[14] = 0xAA;
    lighting[15] = 0x55;
    sideLight = model.hasSideLight ? 0x20 : 0;
    userColours.clear();
    settings.clear();
    clock = ClockSetting{};
    currentSlot = 1;
    slots.assign(static_cast<std::size_t>(model.hasScreen ? model.screenSlots : 0), ScreenSlot{});
    lastFrame.clear();
    music = MusicFrame{};
    liveSource = LiveSource::Effect;
}

// The memory of one model, as the state file and zephyl_virtual_state_json give it (blocks as
// lower-case hex; the *_view objects decode them and are not read back):
//
//   key_tables       [base layer, Fn layer], 576 bytes each (4-byte slots, 0xAA 0x55 at 574)
//   macro_image      as last written (64-byte packets on the cable, 28-byte pieces by receiver)
//   lighting         the 16-byte effect record; lighting_view: mode, red, green, blue, colorful,
//                    brightness, speed, direction
//   side_light       0x20..0x29 (0 on a model without one)
//   user_colors      576 (per-key colour) or 192 (single colour) bytes
//   settings         {"<header argument>": 64-byte block}; settings_view: the lock boxes,
//                    fn_switch, sleep_time, key_respondtime
//   clock            {library_position, year, month, day, hour, minute, second, weekday} or null
//   screen           {current_slot, slots: [{slot, filled, upload_index, transport, unit_size,
//                    units, bytes, frames, delays, fnv1a64}]}
//   streamed_frames, last_frame, music_frames, music {fore, back, back_brightness, heights}
//   counters         writes, refreshes, live_reads, restores, key_resets, handshakes,
//                    busy_answers, abandoned_sequences, unanswered_asleep
//   refused          checksum, sequence, unknown, malformed, trailer, incomplete
JsonValue MemoryToJson(const KeyboardMemory& memory) {
    JsonValue json = JsonValue::MakeObject();
    JsonValue tables = JsonValue::MakeArray();
    tables.Append(JsonValue(ToHex(memory.keyTables[0])));
    tables.Append(JsonValue(ToHex(memory.keyTables[1])));
    json.Set("key_tables", std::move(tables));
    json.Set("macro_image", JsonValue(ToHex(memory.macroImage)));
    json.Set("lighting", JsonValue(ToHex(memory.lighting)));
    json.Set("lighting_view", LightingView(memory.lighting));
    json.Set("side_light", JsonValue(memory.sideLight));
    json.Set("user_colors", JsonValue(ToHex(memory.userColours)));

    JsonValue settings = JsonValue::MakeObject();
    JsonValue settingsView = JsonValue::MakeObject();
    for (const auto& [argument, block] : memory.settings) {
        settings.Set(std::to_string(argument), JsonValue(ToHex(block)));
        settingsView.Set(std::to_string(argument), SettingsView(block));
    }
    json.Set("settings", std::move(settings));
    json.Set("settings_view", std::move(settingsView));

    if (memory.clock.set) {
        JsonValue clock = JsonValue::MakeObject();
        clock.Set("library_position", JsonValue(memory.clock.libraryPosition));
        clock.Set("year", JsonValue(memory.clock.year));
        clock.Set("month", JsonValue(memory.clock.month));
        clock.Set("day", JsonValue(memory.clock.day));
        clock.Set("hour", JsonValue(memory.clock.hour));
        clock.Set("minute", JsonValue(memory.clock.minute));
        clock.Set("second", JsonValue(memory.clock.second));
        clock.Set("weekday", JsonValue(memory.clock.weekday));
        json.Set("clock", std::move(clock));
    } else {
        json.Set("clock", JsonValue());
    }

    JsonValue screen = JsonValue::MakeObject();
    screen.Set("current_slot", JsonValue(memory.currentSlot));
    JsonValue slots = JsonValue::MakeArray();
    for (std::size_t i = 0; i < memory.slots.size(); ++i) {
        slots.Append(SlotToJson(static_cast<int>(i + 1), memory.slots[i]));
    }
    screen.Set("slots", std::move(slots));
    json.Set("screen", std::move(screen));

    json.Set("streamed_frames", JsonValue(memory.streamedFrames));
    json.Set("last_frame", JsonValue(ToHex(memory.lastFrame)));
    json.Set("music_frames", JsonValue(memory.musicFrames));
    JsonValue music = JsonValue::MakeObject();
    music.Set("fore", JsonValue(memory.music.fore));
    music.Set("back", JsonValue(memory.music.back));
    music.Set("back_brightness", JsonValue(memory.music.backBrightness));
    JsonValue heights = JsonValue::MakeArray();
    for (const int height : memory.music.heights) {
        heights.Append(JsonValue(height));
    }
    music.Set("heights", std::move(heights));
    json.Set("music", std::move(music));
    json.Set("counters", CounterObject(memory.counters));
    json.Set("refused", CounterObject(memory.refused));
    return json;
}

void MemoryFromJson(const JsonValue& json, const ModelInfo& model, KeyboardMemory& memory) {
    memory.FactoryReset(model);
    if (!json.IsObject()) {
        return;
    }
    const auto& tables = json["key_tables"].Items();
    for (std::size_t layer = 0; layer < 2 && layer < tables.size(); ++layer) {
        ReadBlock(tables[layer], kKeyTableBytes, kKeyTableBytes, memory.keyTables[layer]);
    }
    ReadBlock(json["macro_image"], 0, kMaxMacroImageBytes, memory.macroImage);
    ReadBlock(json["lighting"], kLightingRecordBytes, kLightingRecordBytes, memory.lighting);
    memory.sideLight = ReadInt(json["side_light"], 0, 0x29, memory.sideLight);
    ReadBlock(json["user_colors"], 0, kLiveColourBytes, memory.userColours);
    for (const auto& [name, block] : json["settings"].Members()) {
        char* end = nullptr;
        const long argument = std::strtol(name.c_str(), &end, 10);
        Bytes bytes;
        if (end != name.c_str() && *end == '\0' && argument >= 0 && argument <= 255 &&
            ReadBlock(block, kSettingsBlockBytes, kSettingsBlockBytes, bytes)) {
            memory.settings[static_cast<int>(argument)] = std::move(bytes);
        }
    }
    const JsonValue& clock = json["clock"];
    if (clock.IsObject()) {
        memory.clock.set = true;
        memory.clock.libraryPosition = ReadInt(clock["library_position"], 0, 255, 0);
        memory.clock.year = ReadInt(clock["year"], 0, 255, 0);
        memory.clock.month = ReadInt(clock["month"], 0, 255, 0);
        memory.clock.day = ReadInt(clock["day"], 0, 255, 0);
        memory.clock.hour = ReadInt(clock["hour"], 0, 255, 0);
        memory.clock.minute = ReadInt(clock["minute"], 0, 255, 0);
        memory.clock.second = ReadInt(clock["second"], 0, 255, 0);
        memory.clock.weekday = ReadInt(clock["weekday"], 0, 255, 0);
    }
    const JsonValue& screen = json["screen"];
    const int slotCount = static_cast<int>(memory.slots.size());
    memory.currentSlot = ReadInt(screen["current_slot"], 1, std::max(1, slotCount), 1);
    const auto& slots = screen["slots"].Items();
    for (std::size_t i = 0; i < slots.size() && i < memory.slots.size(); ++i) {
        SlotFromJson(slots[i], memory.slots[i]);
    }
    memory.streamedFrames =
        static_cast<std::uint64_t>(json["streamed_frames"].AsInt(0, 0, INT64_MAX / 2));
    ReadBlock(json["last_frame"], 0, kMaxFrameBytes, memory.lastFrame);
    memory.musicFrames =
        static_cast<std::uint64_t>(json["music_frames"].AsInt(0, 0, INT64_MAX / 2));
    const JsonValue& music = json["music"];
    memory.music.fore = ReadInt(music["fore"], 0, 255, 0);
    memory.music.back = ReadInt(music["back"], 0, 255, 0);
    memory.music.backBrightness = ReadInt(music["back_brightness"], 0, 255, 0);
    for (const JsonValue& height : music["heights"].Items()) {
        if (memory.music.heights.size() >= 21) {
            break;
        }
        memory.music.heights.push_back(ReadInt(height, 0, 255, 0));
    }
    ReadCounters(json["counters"], memory.counters);
    ReadCounters(json["refused"], memory.refused);
}

}  // namespace zephyl::virtualhid
