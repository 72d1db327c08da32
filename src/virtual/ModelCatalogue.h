// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <vector>

namespace zephyl::virtualhid {

/// One way of connecting a model, as config.xml declares it.
struct ModeInfo {
    int mode = 0;  ///< 0 cable, 1 Bluetooth, 2 receiver
    int vid = 0;
    int pid = 0;
    std::string productName;  ///< empty: the keyboard reports its own product string
    int interfaceNumber = 0;  ///< from the MI_xx part of hid_interface (0 when absent)
};

/// A key of the model's layout, as far as the keyboard itself knows it.
struct KeyInfo {
    int code = 0;
    int keyIndex = -1;  ///< -1 when the layout gives none
    int lightIndex = -1;
};

/// What the keyboard needs to know of its own model: identities and the layout's features.
struct ModelInfo {
    int deviceType = 0;
    std::string name;
    std::string layoutName;
    std::vector<ModeInfo> modes;  ///< document order

    bool layoutFound = false;
    bool hasFnLayer = false;
    bool rgb = false;        ///< per-key colour
    bool hasScreen = false;  ///< screen on the cable, so the cable carries a bulk interface
    bool hasSideLight = false;
    int firmwareRelease = 0x0100;  ///< bcdDevice reported unless a scenario says otherwise
    int screenHeaderLength = 256;
    int screenMaxFrames = 256;
    int screenSlots = 1;
    int screenWidth = 128;
    int screenHeight = 128;
    int defaultMode = 0;
    int defaultBrightness = 0;
    int defaultSpeed = 0;
    int brightnessMax = 0;
    int speedMax = 0;
    std::vector<KeyInfo> keys;

    const ModeInfo* FindMode(int mode) const;
    const KeyInfo* FindKey(int code) const;
    /// Largest screen image the keyboard accepts, in bytes.
    long long MaxScreenImageBytes() const;
};

/// The resource folder holding config.xml (with a trailing '/'): ZEPHYL_RESOURCE_DIR when set,
/// else the folder of the loaded library when it holds config.xml, else the installed folder.
std::string FindResourceFolder();

/// Reads config.xml and every model's layout file below `resourceFolder`. Models whose layout
/// is missing keep the defaults above. Returns an empty list when config.xml cannot be read.
std::vector<ModelInfo> LoadModels(const std::string& resourceFolder);

/// The interface number in an interface pattern such as "VID_1209&PID_5A10&MI_01"; 0 without one.
int InterfaceNumberFromPattern(const std::string& pattern);

}  // namespace zephyl::virtualhid
