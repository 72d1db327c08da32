// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/Core.h"

#include "app/KeyboardController.h"
#include "lighting/LightingFeature.h"
#include "sdkserver/SdkKeyboard.h"

namespace zephyl {

void RegisterFeatures(KeyboardController& controller, const CoreOptions& options) {
    RegisterKeysFeature(controller, options.keys);
    RegisterLightingFeature(controller, options.lighting);
    RegisterCustomLightingFeature(controller, options.customLight);
    RegisterMusicFeature(controller, options.music);
    RegisterUpdateFeature(controller, options.update);
    RegisterScreenFeature(controller, options.screen);
    RegisterSdkServerFeature(controller);
}

std::shared_ptr<KeyboardController> BuildCore(DeviceManager& devices, ProfileDatabase& database,
                                              std::shared_ptr<SettingsStore> settingsStore,
                                              std::string resourceFolder, std::string dataFolder,
                                              const CoreOptions& options) {
    auto controller =
        std::make_shared<KeyboardController>(devices, database, std::move(settingsStore),
                                             std::move(resourceFolder), std::move(dataFolder));
    RegisterFeatures(*controller, options);
    return controller;
}

}  // namespace zephyl
