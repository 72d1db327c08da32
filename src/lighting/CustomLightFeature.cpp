// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/CustomLightFeature.h"

#include "app/KeyboardController.h"
#include "lighting/CustomLightEngine.h"
#include "lighting/CustomLightStream.h"

#include <map>
#include <mutex>

namespace zephyl {
namespace {

/// The animation of each controller. The controller's own handlers keep it alive; the table
/// only finds it, so a controller that is gone leaves an expired entry behind, nothing more.
struct EngineTable {
    std::mutex mutex;
    std::map<const KeyboardController*, std::weak_ptr<CustomLightEngine>> engines;
};

EngineTable& Engines() {
    static EngineTable table;
    return table;
}

}  // namespace

void StreamCustomLight(KeyboardController& controller, const CustomLightEngine& engine) {
    if (controller.ConnectionMode() != kModeCable) {
        return;
    }
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    // The snapshot is taken, not locked: the window goes on animating while the frame travels.
    const std::shared_ptr<const CustomLightSnapshot> snapshot = engine.Snapshot();
    if (!layout || !snapshot || snapshot->lights.empty()) {
        return;
    }
    SendCustomLightFrame(controller.Devices(), *snapshot, layout->perKeyColour);
}

void RegisterCustomLightingFeature(KeyboardController& controller,
                                   CustomLightFeatureOptions options) {
    std::shared_ptr<CustomLightEngine> engine =
        options.engine ? options.engine : std::make_shared<CustomLightEngine>();
    {
        EngineTable& table = Engines();
        std::lock_guard lock(table.mutex);
        for (auto it = table.engines.begin(); it != table.engines.end();) {
            it = it->second.expired() ? table.engines.erase(it) : std::next(it);
        }
        table.engines[&controller] = engine;
    }
    controller.SetPageLoader(kFeatureCustomLight, [engine](KeyboardController& c) {
        const std::shared_ptr<const KeyboardLayout> layout = c.Layout();
        if (layout) {
            engine->SetKeys(layout->keys);
        }
    });
    controller.SetIdleStep(kFeatureCustomLight,
                           [engine](KeyboardController& c) { StreamCustomLight(c, *engine); });
}

std::shared_ptr<CustomLightEngine> CustomLightEngineOf(const KeyboardController& controller) {
    EngineTable& table = Engines();
    std::lock_guard lock(table.mutex);
    const auto found = table.engines.find(&controller);
    return found == table.engines.end() ? nullptr : found->second.lock();
}

}  // namespace zephyl
