// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyCommands.h"

#include "app/CommandFailures.h"
#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "device/DeviceManager.h"
#include "keys/HostActions.h"
#include "keys/KeySending.h"
#include "keys/MacroSending.h"
#include "platform/Log.h"
#include "store/ProfileDatabase.h"

namespace zephyl {
namespace {

constexpr int kReceiverTablesPauseMs = 10;

int LayerCount(const KeyboardLayout& layout) {
    return layout.secondFnLayer ? 2 : 1;
}

int MacroFeatures(const KeyboardLayout& layout, int mode) {
    return mode == kModeReceiver ? layout.wirelessFeatures : layout.cableFeatures;
}

/// A profile switch makes the profile current before the desktop shows it.
class ProfileSwitchingExecutor : public HostActionExecutor {
public:
    ProfileSwitchingExecutor(KeyboardController& controller, HostActionExecutor& desktop)
        : m_controller(controller), m_desktop(desktop) {}
    void RunProgram(const std::string& path) override { m_desktop.RunProgram(path); }
    void OpenAddress(const std::string& address) override { m_desktop.OpenAddress(address); }
    void PasteText(const std::string& text) override { m_desktop.PasteText(text); }
    void SwitchProfile(int profile) override {
        m_controller.SetCurrentProfile(profile);
        m_desktop.SwitchProfile(profile);
    }

private:
    KeyboardController& m_controller;
    HostActionExecutor& m_desktop;
};

}  // namespace

void WriteKeyLayers(KeyboardController& controller, const PauseFunction& pause) {
    const std::shared_ptr<const KeyboardLayout> shared = controller.Layout();
    const KeyboardLayout& layout = *shared;
    const int profile = controller.CurrentProfile();
    bool sent = true;
    switch (controller.ConnectionMode()) {
        case kModeCable:
            for (int layer = 0; layer < LayerCount(layout); ++layer) {
                const PreparedKeyTable prepared =
                    PrepareKeyTable(controller.Database(), layout, profile, layer);
                sent = SendKeyTable(controller.Devices(), layer, prepared.build.table) && sent;
            }
            break;
        case kModeReceiver:
            if (pause) {
                pause(kReceiverTablesPauseMs);
            }
            for (int layer = 0; layer < LayerCount(layout); ++layer) {
                const PreparedKeyTable prepared =
                    PrepareKeyTable(controller.Database(), layout, profile, layer);
                sent = SendKeyTableReceiver(controller.Devices(), layer, prepared, pause) && sent;
            }
            break;
        default:
            break;
    }
    if (!sent) {
        controller.FailCommand(FailureMessage(kTextKeyboardRefused));
    }
}

void WriteKeyLayer(KeyboardController& controller) {
    const std::shared_ptr<const KeyboardLayout> shared = controller.Layout();
    const KeyboardLayout& layout = *shared;
    const KeySelection& selection = controller.Selection();
    const int profile = selection.CurrentProfile();
    const int layer = selection.CurrentLayer();
    bool sent = true;
    switch (controller.ConnectionMode()) {
        case kModeCable:
            if (layer == 0 || (layer == 1 && layout.secondFnLayer)) {
                const PreparedKeyTable prepared =
                    PrepareKeyTable(controller.Database(), layout, profile, layer);
                sent = SendKeyTable(controller.Devices(), layer, prepared.build.table);
            }
            break;
        case kModeReceiver:
            if (layer == 0 || layer == 1) {
                // No key selected, or one without a slot: there is nothing to write.
                const auto write = PrepareKeySlot(controller.Database(), layout, profile, layer,
                                                  selection.SelectedKey());
                sent = !write || SendKeySlotReceiver(controller.Devices(), layer, write);
            }
            break;
        default:
            break;
    }
    if (!sent) {
        controller.FailCommand(FailureMessage(kTextKeyboardRefused));
    }
}

void WriteMacros(KeyboardController& controller, const PauseFunction& pause) {
    const int mode = controller.ConnectionMode();
    if ((MacroFeatures(*controller.Layout(), mode) & kFeatureMacros) == 0) {
        return;
    }
    const PreparedMacros macros = PrepareMacros(controller.Database());
    switch (SendMacros(controller.Devices(), mode, macros, pause)) {
        case MacroUpload::kTooLarge:
            controller.FailCommand(FailureMessage(
                kTextMacrosTooLarge, StepsOverUpload(mode == kModeReceiver, macros.totalSteps,
                                                     static_cast<int>(macros.macros.size()))));
            break;
        case MacroUpload::kFailed:
            controller.FailCommand(FailureMessage(kTextKeyboardRefused));
            break;
        case MacroUpload::kSent:
        case MacroUpload::kNotSent:
            break;
    }
}

void RegisterKeysFeature(KeyboardController& controller, KeysFeatureOptions options) {
    const PauseFunction pause = options.pause;
    controller.SetCommandHandler(kCommandWriteKeyLayers,
                                 [pause](KeyboardController& c) { WriteKeyLayers(c, pause); });
    controller.SetCommandHandler(kCommandWriteKeyLayer,
                                 [](KeyboardController& c) { WriteKeyLayer(c); });
    controller.SetCommandHandler(kCommandWriteMacros,
                                 [pause](KeyboardController& c) { WriteMacros(c, pause); });
    controller.SetPageLoader(kFeatureKeys, [](KeyboardController& c) {
        c.Selection().SetCurrentProfile(c.Database().GetActiveProfile());
        c.Selection().SetCurrentLayer(0);
    });
}

void InstallHostActions(KeyboardController& controller,
                        std::shared_ptr<HostActionExecutor> executor) {
    // The controller outlives its handlers; the executor is kept alive by them.
    KeyboardController* target = &controller;
    controller.SetHostActionHandler([target, executor](int action) {
        if (!executor) {
            return;
        }
        ProfileSwitchingExecutor switching(*target, *executor);
        PerformHostAction(target->Database(), action, switching);
    });
}

}  // namespace zephyl
