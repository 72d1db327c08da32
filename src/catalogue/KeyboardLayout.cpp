// SPDX-License-Identifier: GPL-2.0-or-later
#include "catalogue/KeyboardLayout.h"

#include "platform/Log.h"
#include "platform/SettingsStore.h"
#include "xml/XmlDocument.h"

#include <cctype>
#include <tuple>

namespace zephyl {
namespace {

// A piece of `row_col` that does not begin with a digit reads as 0.
int LeadingNumber(const std::string& piece) {
    int value = 0;
    for (char c : piece) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > 1000000) {
            break;
        }
    }
    return value;
}

bool FlagAttribute(const XmlDocument& document, const char* name) {
    return document.GetAttribute(name) == "1";
}

int Number(const XmlDocument& document, const char* name) {
    return ParseDecimal(document.GetAttribute(name));
}

int FeatureFlags(const XmlDocument& document) {
    struct Bit {
        const char* attribute;
        int flag;
    };
    static constexpr Bit kBits[] = {
        {"macro", kFeatureMacros},         {"light_mode", kFeatureLightModes},
        {"user_light", kFeatureUserLight}, {"custom_light", kFeatureCustomLight},
        {"music", kFeatureMusic},          {"screen", kFeatureScreen},
        {"sidelight", kFeatureSideLight},
    };
    int flags = kFeatureKeys | kFeatureSettings;
    for (const auto& bit : kBits) {
        if (FlagAttribute(document, bit.attribute)) {
            flags |= bit.flag;
        }
    }
    return flags;
}

int KeyViewFeatures(const KeyboardLayout& layout) {
    int features = 0;
    for (int flag : kKeyViewFeatures) {
        features |= layout.cableFeatures & flag;
    }
    return features;
}

void ReadKeys(XmlDocument& document, KeyboardLayout& layout, LayoutView* view) {
    const int features = KeyViewFeatures(layout);
    while (document.FindElement("key")) {
        LayoutKey key;
        key.code = ParseHex(document.GetAttribute("code"));
        key.name = document.GetAttribute("name");
        key.description = document.GetAttribute("desc");
        key.keyIndex = Number(document, "key_index");
        key.lightIndex = Number(document, "light_index");
        key.fnLocked = document.GetAttribute("fnlayer_disable") == "1";
        const int left = Number(document, "rect_left");
        const int top = Number(document, "rect_top");
        key.rect = {left, top, left + Number(document, "rect_width"),
                    top + Number(document, "rect_height")};
        const std::string rowColumn = document.GetAttribute("row_col");
        std::tie(key.row, key.column) = ParseRowColumn(rowColumn);

        if (key.keyIndex > 0 && key.lightIndex > 0) {
            layout.keyIndexMap[key.code] = key.keyIndex;
            layout.lightIndexMap[key.code] = key.lightIndex;
        }
        if (key.fnLocked) {
            layout.fnLockedKeys[key.code] = 1;
        }
        if (key.row < kMatrixRows && key.column < kMatrixColumns) {
            const auto low = static_cast<std::uint8_t>(key.code & 0xFF);
            layout.workMap[key.row + kMatrixRows * key.column] = low;
            layout.keyMatrix[kMatrixColumns * key.row + key.column] = low;
        } else {
            // Outside the keyboard's matrix: the key is drawn but has no matrix position.
            Log(kLogWarning, "layout key %#x: row_col \"%s\" outside the 8 x 32 matrix", key.code,
                rowColumn.c_str());
        }
        if (view) {
            view->AddKey(features, key, layout.perKeyColour);
        }
        layout.keys.push_back(std::move(key));
    }
}

}  // namespace

std::pair<int, int> ParseRowColumn(const std::string& text) {
    const int row = LeadingNumber(text.substr(0, 1));
    std::string columnText;
    if (text.size() == 3) {
        columnText = text.substr(2);
    } else if (text.size() < 3) {
        columnText = text;
    } else {
        columnText = text.substr(text.size() - 2);
    }
    return {row, LeadingNumber(columnText)};
}

bool LoadLayout(KeyboardLayout& layout, int modelId, const std::vector<KeyboardModel>& models,
                const std::string& resourceFolder, const std::string& skinFolder,
                LayoutHooks* hooks, LayoutView* view) {
    layout.firmwareUrl.clear();
    std::string layoutName;
    std::string modelName;
    if (const int index = FindModelIndex(models, modelId); index >= 0) {
        const KeyboardModel& model = models[index];
        layoutName = model.layoutName;
        modelName = model.name;
        layout.connectedPicture = model.connectedPicture;
        layout.disconnectedPicture = model.disconnectedPicture;
    }
    if (view) {
        view->ShowModel(modelName, layout.disconnectedPicture);
    }
    layout.modelId = modelId;
    layout.modelName = modelName;
    if (hooks) {
        hooks->OpenModelDatabase(modelName);
    }

    XmlDocument document;
    if (layoutName.empty() || !document.Load(resourceFolder + "layouts/" + layoutName + ".xml") ||
        !document.FindElement("device.info")) {
        Log(kLogWarning, "no layout for model %d (\"%s\")", modelId, layoutName.c_str());
        return false;
    }
    document.EnterElement();

    if (document.FindElement("menu")) {
        layout.cableFeatures = FeatureFlags(document);
    }
    if (document.FindElement("menu_wireless")) {
        layout.wirelessFeatures = FeatureFlags(document);
    }
    if (document.FindElement("function")) {
        layout.secondFnLayer = FlagAttribute(document, "fn_layer");
        layout.sleepTimeSetting = FlagAttribute(document, "sleep_time");
        layout.responseTimeSetting = FlagAttribute(document, "key_respondtime");
    }
    if (document.FindElement("firmware")) {
        layout.firmwareVersion = document.GetAttribute("version");
        layout.firmwareFile = document.GetAttribute("file");
        layout.firmwareUrl = document.GetAttribute("url");
        if (view) {
            view->ShowFirmwareButton(!layout.firmwareVersion.empty() &&
                                     !layout.firmwareFile.empty());
        }
    }
    if (document.FindElement("cmd_delaytime")) {
        layout.commandDelayMs = Number(document, "value");
        if (hooks) {
            hooks->SetPacingDelay(layout.commandDelayMs);
        }
    }
    if (document.FindElement("screen")) {
        layout.screenHeaderLength = Number(document, "gif_headlength");
        layout.screenMaxFrames = Number(document, "gif_maxframes");
        layout.screenFrameCount = Number(document, "gif_count");
        layout.screenWidth = Number(document, "width");
        layout.screenHeight = Number(document, "height");
    }
    if (document.FindElement("light")) {
        layout.perKeyColour = FlagAttribute(document, "rgb_keyboard");
        layout.defaultMode = Number(document, "default_mode");
        layout.defaultBrightness = Number(document, "default_brightness");
        layout.defaultSpeed = Number(document, "default_speed");
        layout.brightnessMax = Number(document, "brightness_max");
        layout.speedMax = Number(document, "speed_max");
        if (view) {
            view->SetLightSliderMaxima(layout.brightnessMax, layout.speedMax);
        }
    }

    layout.keyIndexMap.clear();
    layout.lightIndexMap.clear();
    layout.fnLockedKeys.clear();
    layout.matrixRows = 0;
    layout.matrixColumns = 0;
    layout.keyMatrix.fill(kNoKey);
    layout.workMap.fill(0);
    layout.keys.clear();
    if (view) {
        view->ClearKeyViews(KeyViewFeatures(layout));
    }

    if (document.FindElement("Keyboard")) {
        layout.keyboardColour =
            static_cast<std::uint32_t>(ParseHex(document.GetAttribute("bk_color")));
        const int x = Number(document, "xpos");
        const int y = Number(document, "ypos");
        const int width = Number(document, "width");
        const int height = Number(document, "height");
        layout.keyboardRect = {x, y, x + width, y + height};
        layout.keyboardPicture = skinFolder + "keyboard/" + document.GetAttribute("image");
        layout.matrixRows = Number(document, "row_count");
        layout.matrixColumns = Number(document, "col_count");
        if (view) {
            view->PlaceKeyViews(KeyViewFeatures(layout), layout.keyboardRect,
                                layout.keyboardPicture, width, height, layout.keyboardColour);
        }
        document.EnterElement();
        if (document.FindElement("KeyItems")) {
            document.EnterElement();
            ReadKeys(document, layout, view);
            document.LeaveElement();
        }
        document.LeaveElement();
    }

    if (view) {
        if (layout.HasCableFeature(kFeatureCustomLight)) {
            view->SetCustomLightKeyMap(layout.workMap, layout.matrixRows, layout.matrixColumns);
        }
        view->ApplyLayoutVisibility(layout);
    }
    return true;
}

}  // namespace zephyl
