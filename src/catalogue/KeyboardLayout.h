// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/DeviceCatalogue.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zephyl {

/// Feature bits of a layout, one set for the cable and one for the receiver.
enum FeatureFlag : int {
    kFeatureKeys = 0x001,
    kFeatureMacros = 0x002,
    kFeatureLightModes = 0x004,
    kFeatureCustomLight = 0x008,
    kFeatureUserLight = 0x010,
    kFeatureMusic = 0x020,
    kFeatureSettings = 0x040,
    kFeatureScreen = 0x080,
    kFeatureSideLight = 0x100,
};

/// The pages that draw the keyboard, in the order their views are built.
inline constexpr int kKeyViewFeatures[] = {kFeatureKeys,      kFeatureLightModes,
                                           kFeatureUserLight, kFeatureCustomLight,
                                           kFeatureMusic,     kFeatureSettings};

inline constexpr int kMatrixRows = 8;
inline constexpr int kMatrixColumns = 32;
inline constexpr int kMatrixSize = kMatrixRows * kMatrixColumns;
inline constexpr std::uint8_t kNoKey = 0xFF;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

/// One `key` of a layout as the key views draw it.
struct LayoutKey {
    int code = 0;
    std::string name;
    std::string description;
    int keyIndex = 0;
    int lightIndex = 0;
    bool fnLocked = false;
    int row = 0;
    int column = 0;
    Rect rect;
};

/// The selected model's layout. Initial values are those before any layout was loaded; a file
/// that leaves an element out keeps the previous model's values for it.
struct KeyboardLayout {
    int modelId = 0;
    std::string modelName;
    std::string connectedPicture;
    std::string disconnectedPicture;
    int cableFeatures = 0x7F;
    int wirelessFeatures = 0x7F;
    bool secondFnLayer = false;
    bool sleepTimeSetting = false;
    bool responseTimeSetting = false;
    std::string firmwareVersion;
    std::string firmwareFile;
    std::string firmwareUrl;
    int commandDelayMs = 10;
    int screenHeaderLength = 256;
    int screenMaxFrames = 256;
    int screenFrameCount = 1;
    int screenWidth = 128;
    int screenHeight = 128;
    bool perKeyColour = false;
    int defaultMode = 0;
    int defaultBrightness = 0;
    int defaultSpeed = 0;
    int brightnessMax = 0;
    int speedMax = 0;
    std::map<int, int> keyIndexMap;
    std::map<int, int> lightIndexMap;
    std::map<int, int> fnLockedKeys;
    int matrixRows = 0;
    int matrixColumns = 0;
    /// Key code (low byte) at row × 32 + column.
    std::array<std::uint8_t, kMatrixSize> keyMatrix{};
    /// Key code (low byte) at row + 8 × column, as the per-key lighting view takes it.
    std::array<std::uint8_t, kMatrixSize> workMap{};
    std::uint32_t keyboardColour = 0;
    Rect keyboardRect;
    std::string keyboardPicture;
    std::vector<LayoutKey> keys;

    KeyboardLayout() { keyMatrix.fill(kNoKey); }

    bool HasCableFeature(int flag) const { return (cableFeatures & flag) != 0; }
};

/// What loading a layout shows in the window; the window implements it.
class LayoutView {
public:
    virtual ~LayoutView() = default;
    virtual void ShowModel(const std::string& name, const std::string& disconnectedPicture) = 0;
    virtual void ShowFirmwareButton(bool shown) = 0;
    virtual void SetLightSliderMaxima(int brightnessMax, int speedMax) = 0;
    /// Empties the key views of the pages whose feature bit is in `features`.
    virtual void ClearKeyViews(int features) = 0;
    virtual void PlaceKeyViews(int features, const Rect& rect, const std::string& picture,
                               int width, int height, std::uint32_t backgroundColour) = 0;
    virtual void AddKey(int features, const LayoutKey& key, bool perKeyColour) = 0;
    virtual void SetCustomLightKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap,
                                      int rows, int columns) = 0;
    /// Settings controls, side light and the update marker follow the loaded layout.
    virtual void ApplyLayoutVisibility(const KeyboardLayout& layout) = 0;
};

/// What loading a layout changes outside the catalogue.
class LayoutHooks {
public:
    virtual ~LayoutHooks() = default;
    /// Closes the open profile database and opens the model's.
    virtual void OpenModelDatabase(const std::string& modelName) = 0;
    virtual void SetPacingDelay(int milliseconds) = 0;
};

/// Reads "<resource folder>layouts/<layout name>.xml" of the first model with this id into
/// `layout`. Returns whether the layout file was read; when it was not, only the model's name,
/// pictures and database changed.
bool LoadLayout(KeyboardLayout& layout, int modelId, const std::vector<KeyboardModel>& models,
                const std::string& resourceFolder, const std::string& skinFolder,
                LayoutHooks* hooks = nullptr, LayoutView* view = nullptr);

/// Row and column of a `row_col` text: the row is its first character, the column its last
/// character when it has exactly three, else its last two (the whole text when shorter).
std::pair<int, int> ParseRowColumn(const std::string& text);

}  // namespace zephyl
