// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/Json.h"
#include "virtual/ModelCatalogue.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zephyl::virtualhid {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kKeyTableBytes = 576;
inline constexpr std::size_t kLightingRecordBytes = 16;
inline constexpr std::size_t kSettingsBlockBytes = 64;
inline constexpr std::size_t kLiveColourBytes = 576;

/// The keyboard's clock as last set.
struct ClockSetting {
    bool set = false;
    int libraryPosition = 0;
    int year = 0;  ///< two digits, as sent
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;
};

/// What a screen slot holds. The image itself is summarised (the whole image can run to
/// megabytes): its length, frame count and delay codes from its header, and a hash of every
/// byte received, so a test can compare it with what it sent.
struct ScreenSlot {
    bool filled = false;
    int uploadIndex = 0;
    std::string transport;  ///< "bulk" or "receiver"
    int unitSize = 0;
    long long units = 0;
    long long bytes = 0;
    int frames = 0;
    std::vector<int> delays;
    std::uint64_t hash = 0;  ///< FNV-1a, 64 bits
    /// The frames as the screen shows them: width × height RGB565 pixels, high byte first, rows
    /// from the top; frame 0 in full, every frame as its FNV-1a hash.
    int width = 0;
    int height = 0;
    Bytes firstFrame;
    std::vector<std::uint64_t> frameHashes;
};

/// The last music frame received.
struct MusicFrame {
    int fore = 0;
    int back = 0;
    int backBrightness = 0;
    std::vector<int> heights;
};

/// Where the keys' present colours come from; not kept across runs.
enum class LiveSource { Effect, Stream };

/// Everything the keyboard keeps, plus the counters a test looks at.
struct KeyboardMemory {
    std::array<Bytes, 2> keyTables;
    Bytes macroImage;
    Bytes lighting;     ///< the 16-byte effect record (mode, colour, settings, trailer)
    int sideLight = 0;  ///< 0x20..0x29, 0 when the model has none
    Bytes userColours;
    std::map<int, Bytes> settings;  ///< 64-byte settings blocks by header argument
    ClockSetting clock;
    int currentSlot = 1;
    std::vector<ScreenSlot> slots;  ///< slot n at n - 1
    std::uint64_t streamedFrames = 0;
    Bytes lastFrame;
    std::uint64_t musicFrames = 0;
    MusicFrame music;

    std::map<std::string, std::uint64_t> counters;  ///< refreshes, restores, key resets, ...
    std::map<std::string, std::uint64_t> refused;   ///< refusals by reason

    LiveSource liveSource = LiveSource::Effect;

    /// The content a keyboard of this model leaves the factory with; counters are kept.
    void FactoryReset(const ModelInfo& model);
    void Count(const std::string& counter) { ++counters[counter]; }
    void Refuse(const std::string& reason) { ++refused[reason]; }
};

/// FNV-1a over bytes, continuing from `hash` (start with kFnvOffset).
inline constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
std::uint64_t Fnv1a(std::uint64_t hash, const std::uint8_t* data, std::size_t length);

/// Memory as JSON (the state file's entry for one model), with decoded views of the blocks.
JsonValue MemoryToJson(const KeyboardMemory& memory);
/// Reads what MemoryToJson wrote; entries of the wrong shape or size are ignored, so a damaged
/// file leaves factory content in their place.
void MemoryFromJson(const JsonValue& json, const ModelInfo& model, KeyboardMemory& memory);

}  // namespace zephyl::virtualhid
