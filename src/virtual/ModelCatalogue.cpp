// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/ModelCatalogue.h"

#include "xml/XmlDocument.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#ifndef ZEPHYL_VIRTUAL_INSTALLED_RESOURCE_DIR
#define ZEPHYL_VIRTUAL_INSTALLED_RESOURCE_DIR "/usr/share/zephyl-keyboard-driver"
#endif

namespace zephyl::virtualhid {

namespace {

int Decimal(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || value < -1000000000L || value > 1000000000L) {
        return 0;
    }
    return static_cast<int>(value);
}

int Hex(const std::string& text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 16);
    if (end == text.c_str() || value > 0xFFFFul) {
        return 0;
    }
    return static_cast<int>(value);
}

bool Flag(const XmlDocument& document, const char* name) {
    return document.GetAttribute(name) == "1";
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

void ReadLayout(const std::string& path, ModelInfo& model) {
    XmlDocument document;
    if (!document.Load(path) || !document.FindElement("device.info")) {
        return;
    }
    model.layoutFound = true;
    document.EnterElement();
    if (document.FindElement("menu")) {
        model.hasScreen = Flag(document, "screen");
        model.hasSideLight = Flag(document, "sidelight");
    }
    if (document.FindElement("function")) {
        model.hasFnLayer = Flag(document, "fn_layer");
    }
    if (document.FindElement("firmware")) {
        // The release number the keyboard reports is the layout's version read as BCD digits, so
        // a keyboard fresh from this catalogue counts as up to date.
        if (const int release = Hex(document.GetAttribute("version")); release > 0) {
            model.firmwareRelease = release;
        }
    }
    if (document.FindElement("screen")) {
        model.screenHeaderLength = Decimal(document.GetAttribute("gif_headlength"));
        model.screenMaxFrames = Decimal(document.GetAttribute("gif_maxframes"));
        model.screenSlots = Decimal(document.GetAttribute("gif_count"));
        model.screenWidth = Decimal(document.GetAttribute("width"));
        model.screenHeight = Decimal(document.GetAttribute("height"));
    }
    if (document.FindElement("light")) {
        model.rgb = Flag(document, "rgb_keyboard");
        model.defaultMode = Decimal(document.GetAttribute("default_mode"));
        model.defaultBrightness = Decimal(document.GetAttribute("default_brightness"));
        model.defaultSpeed = Decimal(document.GetAttribute("default_speed"));
        model.brightnessMax = Decimal(document.GetAttribute("brightness_max"));
        model.speedMax = Decimal(document.GetAttribute("speed_max"));
    }
    if (document.FindElement("Keyboard")) {
        document.EnterElement();
        if (document.FindElement("KeyItems")) {
            document.EnterElement();
            while (document.FindElement("key")) {
                KeyInfo key;
                key.code = Hex(document.GetAttribute("code"));
                const std::string keyIndex = document.GetAttribute("key_index");
                const std::string lightIndex = document.GetAttribute("light_index");
                key.keyIndex = keyIndex.empty() ? -1 : Decimal(keyIndex);
                key.lightIndex = lightIndex.empty() ? -1 : Decimal(lightIndex);
                model.keys.push_back(key);
            }
            document.LeaveElement();
        }
        document.LeaveElement();
    }
    document.LeaveElement();
    // Nonsense geometry must not make the keyboard accept unbounded images.
    model.screenSlots = std::clamp(model.screenSlots, 0, 255);
    model.screenWidth = std::clamp(model.screenWidth, 0, 1024);
    model.screenHeight = std::clamp(model.screenHeight, 0, 1024);
    model.screenMaxFrames = std::clamp(model.screenMaxFrames, 0, 256);
    model.screenHeaderLength = std::clamp(model.screenHeaderLength, 0, 65536);
}

}  // namespace

const ModeInfo* ModelInfo::FindMode(int mode) const {
    for (const ModeInfo& info : modes) {
        if (info.mode == mode) {
            return &info;
        }
    }
    return nullptr;
}

const KeyInfo* ModelInfo::FindKey(int code) const {
    for (const KeyInfo& key : keys) {
        if (key.code == code) {
            return &key;
        }
    }
    return nullptr;
}

long long ModelInfo::MaxScreenImageBytes() const {
    // The largest image the host builds: header, every frame, and one unit of padding.
    return static_cast<long long>(screenHeaderLength) +
           static_cast<long long>(screenMaxFrames) * screenWidth * screenHeight * 2 + 4096;
}

int InterfaceNumberFromPattern(const std::string& pattern) {
    std::string upper(pattern);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::size_t at = upper.find("MI_");
    if (at == std::string::npos) {
        return 0;
    }
    return Hex(upper.substr(at + 3, 2));
}

std::string FindResourceFolder() {
    if (const char* folder = std::getenv("ZEPHYL_RESOURCE_DIR"); folder && *folder) {
        return WithSlash(folder);
    }
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&FindResourceFolder), &info) != 0 && info.dli_fname) {
        std::error_code error;
        const std::filesystem::path library =
            std::filesystem::weakly_canonical(info.dli_fname, error);
        const std::filesystem::path folder = library.parent_path();
        if (!error && std::filesystem::exists(folder / "config.xml", error)) {
            return WithSlash(folder.string());
        }
#ifdef ZEPHYL_VIRTUAL_RESOURCE_FROM_LIBDIR
        // Installed in <prefix>/lib: the data is in <prefix>/share, wherever the tree was put.
        const std::filesystem::path installed =
            (folder / ZEPHYL_VIRTUAL_RESOURCE_FROM_LIBDIR).lexically_normal();
        if (!error && std::filesystem::exists(installed / "config.xml", error)) {
            return WithSlash(installed.string());
        }
#endif
    }
    return WithSlash(ZEPHYL_VIRTUAL_INSTALLED_RESOURCE_DIR);
}

std::vector<ModelInfo> LoadModels(const std::string& resourceFolder) {
    std::vector<ModelInfo> models;
    XmlDocument document;
    if (!document.Load(resourceFolder + "config.xml") || !document.FindElement("config")) {
        return models;
    }
    document.EnterElement();
    if (!document.FindElement("device.info")) {
        return models;
    }
    document.EnterElement();
    while (document.FindElement("keyboard")) {
        ModelInfo model;
        model.deviceType = Decimal(document.GetAttribute("device_type"));
        model.name = document.GetAttribute("name");
        model.layoutName = document.GetAttribute("device_info");
        document.EnterElement();
        while (document.FindElement("mode")) {
            ModeInfo mode;
            mode.mode = Decimal(document.GetAttribute("value"));
            mode.vid = Hex(document.GetAttribute("vid"));
            mode.pid = Hex(document.GetAttribute("pid"));
            mode.productName = document.GetAttribute("product_name");
            mode.interfaceNumber =
                InterfaceNumberFromPattern(document.GetAttribute("hid_interface"));
            // A model lists each way of connecting once; a repeated mode would be unreachable.
            if (!model.FindMode(mode.mode) && mode.mode >= 0 && mode.mode <= 2) {
                model.modes.push_back(mode);
            }
        }
        document.LeaveElement();
        models.push_back(std::move(model));
    }
    for (ModelInfo& model : models) {
        if (!model.layoutName.empty() && model.layoutName.find('/') == std::string::npos) {
            ReadLayout(resourceFolder + "layouts/" + model.layoutName + ".xml", model);
        }
    }
    return models;
}

}  // namespace zephyl::virtualhid
