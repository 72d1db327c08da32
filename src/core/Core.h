// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/KeyCommands.h"
#include "lighting/CustomLightFeature.h"
#include "lighting/LightingFeature.h"
#include "lighting/MusicFeature.h"
#include "screen/ScreenFeature.h"
#include "update/UpdateFeature.h"

#include <memory>
#include <string>

namespace zephyl {

class DeviceManager;
class KeyboardController;
class ProfileDatabase;
class SettingsStore;

/// What the programs and tests may change in the features they get.
struct CoreOptions {
    KeysFeatureOptions keys;
    LightingFeatureOptions lighting;
    CustomLightFeatureOptions customLight;
    MusicFeatureOptions music;
    UpdateFeatureOptions update;
    ScreenFeatureOptions screen;
};

/// Registers every feature of the program on `controller`: its worker commands, page loaders,
/// idle steps and start steps. A new feature adds one line here.
void RegisterFeatures(KeyboardController& controller, const CoreOptions& options = {});

/// The controller the windowed program and zephylctl both run on, with every feature
/// registered. The models are not read yet: the caller does that once its view is attached.
std::shared_ptr<KeyboardController> BuildCore(DeviceManager& devices, ProfileDatabase& database,
                                              std::shared_ptr<SettingsStore> settingsStore,
                                              std::string resourceFolder, std::string dataFolder,
                                              const CoreOptions& options = {});

}  // namespace zephyl
