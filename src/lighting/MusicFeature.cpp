// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/MusicFeature.h"

#include "app/KeyboardController.h"
#include "catalogue/KeyboardLayout.h"
#include "device/DeviceManager.h"
#include "lighting/MusicLayers.h"
#include "lighting/ScreenLight.h"
#include "protocol/MusicReports.h"

#include <algorithm>
#include <map>

namespace zephyl {
namespace {

constexpr std::uint8_t kSingleColourLit = 0xFD;

struct MusicTable {
    std::mutex mutex;
    std::map<const KeyboardController*, std::weak_ptr<MusicLighting>> entries;
};

MusicTable& Table() {
    static MusicTable table;
    return table;
}

bool SendCable(DeviceManager& devices, const MusicKeyMap& map,
               std::span<const std::uint32_t> colours) {
    if (!devices.SendFeatureTimed(BuildStreamFrameCommand(map.perKeyColour))) {
        return false;
    }
    StreamBuffer buffer;
    const size_t length = FillMusicStreamBuffer(map, colours, buffer);
    if (!devices.SendFeatureTimed(std::span<const uint8_t>(buffer).first(length))) {
        return false;
    }
    return devices.SendFeatureTimed(BuildStreamCloseCommand());
}

}  // namespace

MusicKeyMap BuildMusicKeyMap(const KeyboardLayout& layout) {
    MusicKeyMap map;
    map.rows = layout.matrixRows;
    map.columns = layout.matrixColumns;
    map.perKeyColour = layout.perKeyColour;
    for (const LayoutKey& key : layout.keys) {
        MusicKey entry;
        entry.code = key.code;
        entry.lightIndex = key.lightIndex;
        entry.row = key.row;
        entry.column = key.column;
        entry.inGrid =
            key.row >= 0 && key.row < map.rows && key.column >= 0 && key.column < map.columns;
        entry.level = MusicKeyLevel(key.row, map.rows);
        entry.gridColumn = MusicKeyColumn(key.column, map.columns);
        map.keys.push_back(entry);
    }
    return map;
}

void ComputeMusicKeyFrame(const MusicKeyMap& map, const MusicFrame& frame, bool screenScheme,
                          const ScreenColourSource& screen, MusicKeyFrame& out) {
    out.colours.assign(map.keys.size(), 0);
    out.heights.assign(static_cast<size_t>(std::max(map.columns, 0)), 0);
    out.anyLit = false;
    if (map.rows <= 0 || map.columns <= 0) {
        return;
    }
    for (size_t k = 0; k < map.keys.size(); ++k) {
        const MusicKey& key = map.keys[k];
        if (!key.inGrid) {
            continue;
        }
        const size_t cell = MusicCell(key.level, key.gridColumn);
        std::uint32_t colour = 0;
        if (screenScheme) {
            colour = screen ? screen(key.column, key.row) : 0;
        } else {
            colour = frame.colours[cell];
            if (frame.lit[cell] > 1) {
                int& height = out.heights[static_cast<size_t>(key.column)];
                height = std::max(height, map.rows - key.row);
            }
        }
        out.colours[k] = colour;
        out.anyLit = out.anyLit || colour > 1;
    }
}

size_t FillMusicStreamBuffer(const MusicKeyMap& map, std::span<const std::uint32_t> colours,
                             StreamBuffer& buffer) {
    buffer.fill(0);
    const size_t length = StreamBlockLength(map.perKeyColour);
    const size_t count = std::min(map.keys.size(), colours.size());
    size_t position = 0;
    for (size_t k = 0; k < count; ++k) {
        const std::uint32_t colour = colours[k];
        const int light = map.keys[k].lightIndex;
        if (map.perKeyColour) {
            if (position + kStreamRgbGroupLength > length) {
                break;
            }
            buffer[position] = static_cast<uint8_t>(light & 0xFF);
            buffer[position + 1] = static_cast<uint8_t>(colour & 0xFF);
            buffer[position + 2] = static_cast<uint8_t>((colour >> 8) & 0xFF);
            buffer[position + 3] = static_cast<uint8_t>((colour >> 16) & 0xFF);
            position += kStreamRgbGroupLength;
        } else if (colour != 0 && light >= 0 && static_cast<size_t>(light) < length) {
            buffer[static_cast<size_t>(light)] = kSingleColourLit;
        }
    }
    return length;
}

MusicLighting::MusicLighting(std::shared_ptr<Visualizer> visualizer,
                             std::shared_ptr<ScreenLight> screen)
    : m_visualizer(visualizer ? std::move(visualizer) : std::make_shared<Visualizer>()),
      m_screen(screen ? std::move(screen) : std::make_shared<ScreenLight>()) {}

void MusicLighting::EnsureStarted() {
    std::call_once(m_started, [this] {
        m_visualizer->StartAnalyser();
        m_visualizer->StartThread();
    });
}

void MusicLighting::SetShown(bool shown) {
    m_shown.store(shown);
    if (shown) {
        EnsureStarted();
    }
    m_visualizer->SetActive(shown);
    m_screen->SetActive(shown && m_foreMode.load() == kSchemeScreen);
}

void MusicLighting::SetKeyMap(MusicKeyMap map) {
    m_screen->SetSize(map.columns, map.rows);
    std::lock_guard lock(m_mutex);
    m_map = std::move(map);
}

MusicKeyMap MusicLighting::KeyMap() const {
    std::lock_guard lock(m_mutex);
    return m_map;
}

void MusicLighting::ApplyLayer(int foreMode, int gain, int backMode, int backBrightness) {
    m_visualizer->ChangeSettings([&](AnalyserSettings& settings) {
        settings.foreType = foreMode;
        settings.gain = gain;
        settings.backType = backMode;
        settings.backBrightness = std::clamp(backBrightness, 0, 100);
    });
    m_foreMode.store(foreMode);
    m_backMode.store(backMode);
    m_backBrightness.store(std::clamp(backBrightness, 0, 100));
    m_screen->SetActive(m_shown.load() && foreMode == kSchemeScreen);
}

void MusicLighting::SetObserver(MusicFrameObserver observer) {
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

bool MusicLighting::SendFrame(KeyboardController& controller) {
    std::lock_guard lock(m_mutex);
    if (m_map.rows <= 0 || m_map.columns <= 0) {
        return false;
    }
    // Without a screen to read (a Wayland-only session) the screen scheme shows the back colour.
    const bool screenScheme = m_foreMode.load() == kSchemeScreen && m_screen->Available();
    const bool framed = m_visualizer->ReadLatestFrame([&](const MusicFrame& latest) {
        ComputeMusicKeyFrame(
            m_map, latest, screenScheme, [this](int c, int r) { return m_screen->Colour(c, r); },
            m_frame);
    });
    if (!framed) {
        return false;  // the analyser has not rendered since it was last paused
    }
    if (m_observer) {
        m_observer(m_map, m_frame);
    }
    if (!m_frame.anyLit) {
        return false;  // nothing is sent for a dark frame
    }
    switch (controller.ConnectionMode()) {
        case kModeCable:
            return SendCable(controller.Devices(), m_map, m_frame.colours);
        case kModeReceiver: {
            ReceiverFrame frame = BuildMusicHeightsFrame(m_foreMode.load(), m_backMode.load(),
                                                         m_backBrightness.load(), m_frame.heights);
            return controller.Devices().Query(frame, kMusicFrameChecksumLength);
        }
        default:
            return false;  // Bluetooth carries no music frames
    }
}

void LoadSelectedMusicLayer(KeyboardController& controller, MusicLighting& music) {
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    const bool perKeyColour = layout && layout->perKeyColour;
    MusicLayers layers(controller.Database());
    const int id = layers.SelectedId(perKeyColour);
    if (const std::optional<MusicLayer> layer = layers.Read(id)) {
        music.ApplyLayer(layer->foremode, layer->fore_amplitude, layer->backmode,
                         layer->backb_right);
        music.Analyser().RestartCapture();
    }
}

void RegisterMusicFeature(KeyboardController& controller, MusicFeatureOptions options) {
    std::shared_ptr<MusicLighting> music =
        options.music ? options.music : std::make_shared<MusicLighting>(nullptr, nullptr);
    {
        MusicTable& table = Table();
        std::lock_guard lock(table.mutex);
        for (auto it = table.entries.begin(); it != table.entries.end();) {
            it = it->second.expired() ? table.entries.erase(it) : std::next(it);
        }
        table.entries[&controller] = music;
    }
    controller.SetPageLoader(kFeatureMusic, [music](KeyboardController& c) {
        if (const std::shared_ptr<const KeyboardLayout> layout = c.Layout()) {
            music->SetKeyMap(BuildMusicKeyMap(*layout));
        }
        LoadSelectedMusicLayer(c, *music);
    });
    controller.SetIdleStep(kFeatureMusic, [music](KeyboardController& c) { music->SendFrame(c); });
}

std::shared_ptr<MusicLighting> MusicLightingOf(const KeyboardController& controller) {
    MusicTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto found = table.entries.find(&controller);
    return found == table.entries.end() ? nullptr : found->second.lock();
}

}  // namespace zephyl
