// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/LightingFeature.h"

#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "lighting/LightModes.h"
#include "lighting/LightingCommands.h"

#include <map>

namespace zephyl {
namespace {

// One state per controller. Registering again (a new controller at a freed address) starts a
// fresh state, so nothing of an earlier controller leaks into a later one.
std::mutex g_statesMutex;
std::map<const KeyboardController*, std::shared_ptr<LightingState>>& States() {
    static std::map<const KeyboardController*, std::shared_ptr<LightingState>> states;
    return states;
}

std::shared_ptr<LightingState> NewState(const KeyboardController& controller) {
    auto state = std::make_shared<LightingState>();
    std::lock_guard lock(g_statesMutex);
    States()[&controller] = state;
    return state;
}

}  // namespace

std::shared_ptr<LightingState> LightingStateOf(const KeyboardController& controller) {
    {
        std::lock_guard lock(g_statesMutex);
        const auto found = States().find(&controller);
        if (found != States().end()) {
            return found->second;
        }
    }
    return NewState(controller);
}

void RegisterLightingFeature(KeyboardController& controller, LightingFeatureOptions options) {
    const std::shared_ptr<LightingState> state = NewState(controller);
    const TransferPause pause = options.pause;
    controller.SetCommandHandler(kCommandSendLightEffect,
                                 [](KeyboardController& c) { SendLightEffect(c); });
    controller.SetCommandHandler(kCommandSendSideLight,
                                 [](KeyboardController& c) { SendSideLight(c); });
    controller.SetCommandHandler(kCommandWriteUserLight, [state, pause](KeyboardController& c) {
        WriteUserLight(c, state->SelectedUserLight(), pause);
    });
    // The page itself reads the rows when the window hears of the load.
    controller.SetPageLoader(kFeatureLightModes, [](KeyboardController& c) {
        SeedLightEffects(c.Database(), *c.Layout());
    });
    controller.SetIdleStep(kFeatureLightModes, [state](KeyboardController& c) {
        const LightingState::LiveColourSink sink = state->Sink();
        if (!sink || c.ConnectionMode() != kModeCable || c.CommandWaiting()) {
            return;
        }
        const auto colours = ReadLiveColours(c);
        if (!colours.empty()) {
            sink(colours);
        }
    });
}

}  // namespace zephyl
