// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/LightingFeature.h"

#include "app/CommandFailures.h"
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

/// Over the cable or the receiver a write that did not go through fails its command; over
/// Bluetooth nothing is sent by design and the stored change waits.
void FailUnlessSent(KeyboardController& controller, bool sent) {
    const int mode = controller.ConnectionMode();
    if (!sent && (mode == kModeCable || mode == kModeReceiver)) {
        controller.FailCommand(FailureMessage(kTextKeyboardRefused));
    }
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
    controller.SetCommandHandler(kCommandSendLightEffect, [](KeyboardController& c) {
        FailUnlessSent(c, SendLightEffect(c));
    });
    controller.SetCommandHandler(
        kCommandSendSideLight, [](KeyboardController& c) { FailUnlessSent(c, SendSideLight(c)); });
    controller.SetCommandHandler(kCommandWriteUserLight, [state, pause](KeyboardController& c) {
        const int set = state->SelectedUserLight();
        if (set > 0) {  // no set chosen: nothing to write
            FailUnlessSent(c, WriteUserLight(c, set, pause));
        }
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
