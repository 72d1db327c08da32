// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "lighting/Visualizer.h"
#include "protocol/StreamReports.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace zephyl {

class KeyboardController;
class ScreenLight;
struct KeyboardLayout;

/// One key of the layout grid and the grid cell it samples.
struct MusicKey {
    int code = 0;
    int lightIndex = 0;
    int row = 0;
    int column = 0;
    int level = 0;        ///< grid level of the key's row
    int gridColumn = 0;   ///< grid column of the key's column
    bool inGrid = false;  ///< the key has a place in the layout's rows and columns
};

/// The layout's keys as the music frame reads them.
struct MusicKeyMap {
    int rows = 0;
    int columns = 0;
    bool perKeyColour = false;
    std::vector<MusicKey> keys;  ///< in the layout's order
};

MusicKeyMap BuildMusicKeyMap(const KeyboardLayout& layout);

/// One frame for the keys: a colour per key of the map, and per layout column the height of
/// its lit keys counted from the bottom.
struct MusicKeyFrame {
    std::vector<std::uint32_t> colours;
    std::vector<int> heights;
    bool anyLit = false;  ///< some key got a colour above 1
};

/// Where the screen scheme takes a key's colour from: column, row.
using ScreenColourSource = std::function<std::uint32_t(int column, int row)>;

/// The key colours of a frame: the grid's colour at each key's cell, or with the screen scheme
/// the screen colour at its column and row (and no heights).
void ComputeMusicKeyFrame(const MusicKeyMap& map, const MusicFrame& frame, bool screenScheme,
                          const ScreenColourSource& screen, MusicKeyFrame& out);

/// The cable block of a music frame: a group [light index, red, green, blue] per key on a
/// per-key colour keyboard, 0xFD at the light index of every coloured key otherwise.
size_t FillMusicStreamBuffer(const MusicKeyMap& map, std::span<const std::uint32_t> colours,
                             StreamBuffer& buffer);

/// What the page learns of each frame, on the worker.
using MusicFrameObserver = std::function<void(const MusicKeyMap&, const MusicKeyFrame&)>;

/// The music feature of one controller: its analyser, its screen sampler, the key map and the
/// current schemes.
class MusicLighting {
public:
    MusicLighting(std::shared_ptr<Visualizer> visualizer, std::shared_ptr<ScreenLight> screen);

    Visualizer& Analyser() { return *m_visualizer; }
    ScreenLight& Screen() { return *m_screen; }

    /// Opens the capture and the render loop the first time; later calls do nothing.
    void EnsureStarted();
    /// The page is shown (or left): frames are made only meanwhile.
    void SetShown(bool shown);
    bool Shown() const { return m_shown.load(); }

    void SetKeyMap(MusicKeyMap map);
    MusicKeyMap KeyMap() const;

    /// Applies a layer's values to the analyser between two frames, and restarts the capture.
    void ApplyLayer(int foreMode, int gain, int backMode, int backBrightness);
    int ForeMode() const { return m_foreMode.load(); }
    int BackMode() const { return m_backMode.load(); }
    int BackBrightness() const { return m_backBrightness.load(); }

    void SetObserver(MusicFrameObserver observer);

    /// One music frame on the worker: the key colours from the latest frame, shown to the
    /// observer and sent on the cable or the receiver. Returns whether a frame was sent.
    bool SendFrame(KeyboardController& controller);

private:
    std::shared_ptr<Visualizer> m_visualizer;
    std::shared_ptr<ScreenLight> m_screen;
    std::once_flag m_started;
    std::atomic<bool> m_shown{false};
    std::atomic<int> m_foreMode{kSchemeMovingRainbow};
    std::atomic<int> m_backMode{kSchemeBlack};
    std::atomic<int> m_backBrightness{100};
    mutable std::mutex m_mutex;
    MusicKeyMap m_map;
    MusicKeyFrame m_frame;
    MusicFrameObserver m_observer;
};

struct MusicFeatureOptions {
    /// The analyser and sampler; new ones when null.
    std::shared_ptr<MusicLighting> music;
};

/// Music-reactive and screen-synced lighting: the page load builds the key map and loads the
/// selected layer; while the music page is shown every idle worker pass sends a music frame.
void RegisterMusicFeature(KeyboardController& controller, MusicFeatureOptions options = {});

/// The music feature of `controller`; null when it was not registered.
std::shared_ptr<MusicLighting> MusicLightingOf(const KeyboardController& controller);

/// Loads the selected layer (making the first one when there is none) into `music`.
void LoadSelectedMusicLayer(KeyboardController& controller, MusicLighting& music);

}  // namespace zephyl
