// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "lighting/CustomLightEffects.h"
#include "protocol/StreamReports.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace zephyl {

struct LayoutKey;

/// The keys' looks at one moment, in the keyboard's key order: never changed once published,
/// so a reader holds a whole frame whatever the animation does meanwhile.
struct CustomLightSnapshot {
    std::uint64_t sequence = 0;  ///< counts the snapshots published
    std::int64_t timeMs = 0;     ///< animation time of the looks
    std::vector<int> codes;
    std::vector<int> lightTypes;
    std::vector<StreamKey> lights;  ///< light index, colour, level and lit state per key
};

/// The per-key custom lighting animation: every key's effect, colour, colour type and
/// light_type, and its look as time advances at the set's speed.
///
/// Threads: any thread may configure it and advance it (each call takes the engine's lock
/// briefly); Snapshot() takes only the lock of the published snapshot, for as long as it takes
/// to copy a shared pointer, so a reader never waits for an animation step.
class CustomLightEngine {
public:
    CustomLightEngine();

    /// The keyboard's keys, in picture order; every key starts without an effect.
    void SetKeys(std::span<const LayoutKey> keys);
    size_t KeyCount() const;

    /// Every key without an effect and unlit.
    void ResetAllKeyInfo();
    /// One key's stored effect; a code the keyboard lacks is ignored.
    void SetKeyInfo(int code, int lightMode, std::uint32_t colour, int lightType, int colourType);
    void SetSpeed(int speed);
    int Speed() const;
    /// Gives the keys `codes` the effect `lightMode`. Their light_type becomes their place
    /// among `codes`, so keys given an effect together run one after another.
    void SetKeyLightMode(std::span<const int> codes, int lightMode);
    void SetCheckKeyColor(std::span<const int> codes, std::uint32_t colour, int multicolour);
    void SetCheckColorType(std::span<const int> codes, int multicolour);
    std::optional<KeyEffect> KeyInfo(int code) const;

    /// Moves the animation on by `ms` and publishes the new looks.
    void Advance(int ms);
    std::int64_t TimeMs() const;

    /// The looks last published; never null.
    std::shared_ptr<const CustomLightSnapshot> Snapshot() const;

private:
    struct Key {
        int code = 0;
        int lightIndex = 0;
        KeyPlace place;
        KeyEffect effect;
    };
    Key* FindLocked(int code);
    /// Builds the looks at the current time and publishes them; the engine's lock is held.
    void PublishLocked();

    mutable std::mutex m_mutex;
    std::vector<Key> m_keys;
    int m_speed = kCustomLightMaxSpeed;
    std::int64_t m_timeMs = 0;
    std::uint64_t m_sequence = 0;

    mutable std::mutex m_snapshotMutex;
    std::shared_ptr<const CustomLightSnapshot> m_snapshot;
};

}  // namespace zephyl
