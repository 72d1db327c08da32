// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/CustomLightEngine.h"

#include "catalogue/KeyboardLayout.h"

#include <algorithm>
#include <climits>

namespace zephyl {
namespace {

constexpr int kPlaceScale = 1000;

}  // namespace

CustomLightEngine::CustomLightEngine() : m_snapshot(std::make_shared<CustomLightSnapshot>()) {}

void CustomLightEngine::SetKeys(std::span<const LayoutKey> keys) {
    std::lock_guard lock(m_mutex);
    m_keys.clear();
    m_keys.reserve(keys.size());
    int left = INT_MAX;
    int top = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MIN;
    for (const LayoutKey& key : keys) {
        left = std::min(left, key.rect.left);
        top = std::min(top, key.rect.top);
        right = std::max(right, key.rect.right);
        bottom = std::max(bottom, key.rect.bottom);
    }
    const int width = std::max(1, right - left);
    const int height = std::max(1, bottom - top);
    for (const LayoutKey& key : keys) {
        Key entry;
        entry.code = key.code;
        entry.lightIndex = key.lightIndex;
        const int centreX = (key.rect.left + key.rect.right) / 2 - left;
        const int centreY = (key.rect.top + key.rect.bottom) / 2 - top;
        entry.place = {static_cast<int>(std::int64_t(centreX) * kPlaceScale / width),
                       static_cast<int>(std::int64_t(centreY) * kPlaceScale / height)};
        m_keys.push_back(entry);
    }
    PublishLocked();
}

size_t CustomLightEngine::KeyCount() const {
    std::lock_guard lock(m_mutex);
    return m_keys.size();
}

void CustomLightEngine::ResetAllKeyInfo() {
    std::lock_guard lock(m_mutex);
    for (Key& key : m_keys) {
        key.effect = {};
    }
    PublishLocked();
}

void CustomLightEngine::SetKeyInfo(int code, int lightMode, std::uint32_t colour, int lightType,
                                   int colourType) {
    std::lock_guard lock(m_mutex);
    if (Key* key = FindLocked(code)) {
        key->effect = {lightMode, colour, lightType, colourType};
        PublishLocked();
    }
}

void CustomLightEngine::SetSpeed(int speed) {
    std::lock_guard lock(m_mutex);
    m_speed = std::clamp(speed, 0, kCustomLightMaxSpeed);
    PublishLocked();
}

int CustomLightEngine::Speed() const {
    std::lock_guard lock(m_mutex);
    return m_speed;
}

void CustomLightEngine::SetKeyLightMode(std::span<const int> codes, int lightMode) {
    std::lock_guard lock(m_mutex);
    int place = 0;
    for (int code : codes) {
        if (Key* key = FindLocked(code)) {
            key->effect.lightMode = lightMode;
            key->effect.lightType = place++ % kCustomLightPhaseSteps;
        }
    }
    PublishLocked();
}

void CustomLightEngine::SetCheckKeyColor(std::span<const int> codes, std::uint32_t colour,
                                         int multicolour) {
    std::lock_guard lock(m_mutex);
    for (int code : codes) {
        if (Key* key = FindLocked(code)) {
            key->effect.colour = colour & 0xFFFFFF;
            key->effect.colourType = multicolour != 0 ? 1 : 0;
        }
    }
    PublishLocked();
}

void CustomLightEngine::SetCheckColorType(std::span<const int> codes, int multicolour) {
    std::lock_guard lock(m_mutex);
    for (int code : codes) {
        if (Key* key = FindLocked(code)) {
            key->effect.colourType = multicolour != 0 ? 1 : 0;
        }
    }
    PublishLocked();
}

std::optional<KeyEffect> CustomLightEngine::KeyInfo(int code) const {
    std::lock_guard lock(m_mutex);
    for (const Key& key : m_keys) {
        if (key.code == code) {
            return key.effect;
        }
    }
    return std::nullopt;
}

void CustomLightEngine::Advance(int ms) {
    std::lock_guard lock(m_mutex);
    m_timeMs += std::max(0, ms);
    PublishLocked();
}

std::int64_t CustomLightEngine::TimeMs() const {
    std::lock_guard lock(m_mutex);
    return m_timeMs;
}

std::shared_ptr<const CustomLightSnapshot> CustomLightEngine::Snapshot() const {
    std::lock_guard lock(m_snapshotMutex);
    return m_snapshot;
}

CustomLightEngine::Key* CustomLightEngine::FindLocked(int code) {
    for (Key& key : m_keys) {
        if (key.code == code) {
            return &key;
        }
    }
    return nullptr;
}

void CustomLightEngine::PublishLocked() {
    auto snapshot = std::make_shared<CustomLightSnapshot>();
    snapshot->sequence = ++m_sequence;
    snapshot->timeMs = m_timeMs;
    snapshot->codes.reserve(m_keys.size());
    snapshot->lightTypes.reserve(m_keys.size());
    snapshot->lights.reserve(m_keys.size());
    for (const Key& key : m_keys) {
        const KeyLook look = EvaluateKeyEffect(key.effect, key.place, m_speed, m_timeMs);
        snapshot->codes.push_back(key.code);
        snapshot->lightTypes.push_back(key.effect.lightType);
        snapshot->lights.push_back({key.lightIndex, look.colour, look.level, look.lit});
    }
    // The new frame is complete before it is swapped in; the old one lives on with its readers.
    std::shared_ptr<const CustomLightSnapshot> published = std::move(snapshot);
    std::lock_guard lock(m_snapshotMutex);
    m_snapshot.swap(published);
}

}  // namespace zephyl
