// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/MusicCli.h"

#include "app/KeyboardController.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "lighting/MusicFeature.h"
#include "lighting/MusicLayers.h"
#include "lighting/ScreenLight.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <thread>

namespace zephyl::cli {
namespace {

constexpr const char* kUsage =
    "zephylctl: usage: zephylctl music layers | run --seconds N [--layer ID]\n";
/// How long `run` waits for the sound server before it gives up.
constexpr auto kConnectWait = std::chrono::seconds(3);

const char* CaptureName(CaptureState state) {
    switch (state) {
        case CaptureState::kCapturing:
            return "capturing";
        case CaptureState::kConnecting:
            return "connecting";
        case CaptureState::kNoServer:
            return "no sound server";
        case CaptureState::kEnded:
            return "ended";
        default:
            return "stopped";
    }
}

bool PerKeyColour(const KeyboardController& controller) {
    const auto layout = controller.Layout();
    return layout && layout->perKeyColour;
}

int Layers(const Invocation& invocation, KeyboardController& controller, std::ostream& out) {
    MusicLayers layers(controller.Database());
    const bool perKeyColour = PerKeyColour(controller);
    const std::vector<MusicLayerEntry> entries = layers.Entries(perKeyColour);
    if (invocation.json) {
        out << "[";
    }
    bool first = true;
    for (const MusicLayerEntry& entry : entries) {
        const std::optional<MusicLayer> layer = layers.Read(entry.id);
        const int fore = layer ? layer->foremode : 0;
        const int back = layer ? layer->backmode : 0;
        const int gain = layer ? layer->fore_amplitude : 0;
        const int brightness = layer ? layer->backb_right : 0;
        if (invocation.json) {
            out << (first ? "" : ",") << "{\"id\":" << entry.id
                << ",\"name\":" << JsonString(entry.shownName)
                << ",\"selected\":" << (entry.selected ? "true" : "false") << ",\"fore\":" << fore
                << ",\"back\":" << back << ",\"gain\":" << gain
                << ",\"back_brightness\":" << brightness << "}";
        } else {
            out << entry.id << "\t" << Printable(entry.shownName)
                << (entry.selected ? "\t(selected)" : "") << "\tfore " << fore << "\tback " << back
                << "\tgain " << gain << "\tback brightness " << brightness << "\n";
        }
        first = false;
    }
    if (invocation.json) {
        out << "]\n";
    }
    return kExitOk;
}

int Run(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
        std::ostream& err) {
    if (!invocation.seconds) {
        err << "zephylctl: music run needs --seconds N (1..3600)\n";
        return kExitUsage;
    }
    const std::shared_ptr<MusicLighting> music = MusicLightingOf(controller);
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    if (!music || !layout) {
        err << "zephylctl: music lighting is not available in this build\n";
        return kExitFailed;
    }
    MusicLayers layers(controller.Database());
    const int id = invocation.layer ? *invocation.layer : layers.SelectedId(layout->perKeyColour);
    const std::optional<MusicLayer> layer = layers.Read(id);
    if (!layer) {
        err << "zephylctl: no music layer " << id << " (see zephylctl music layers)\n";
        return kExitUsage;
    }
    const int mode = controller.ConnectionMode();
    if (!controller.Connected() || (mode != kModeCable && mode != kModeReceiver)) {
        err << "zephylctl: music lighting needs a keyboard on the cable or the receiver\n";
        return kExitFailed;
    }
    music->SetKeyMap(BuildMusicKeyMap(*layout));
    music->ApplyLayer(layer->foremode, layer->fore_amplitude, layer->backmode, layer->backb_right);
    music->SetShown(true);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    while (music->Analyser().Capture() == CaptureState::kConnecting &&
           Clock::now() - start < kConnectWait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const bool screen = layer->foremode == kSchemeScreen;
    if (!screen && music->Analyser().Capture() != CaptureState::kCapturing) {
        music->SetShown(false);
        err << "zephylctl: no sound server to capture from ("
            << CaptureName(music->Analyser().Capture()) << ")\n";
        return kExitFailed;
    }

    // Frames go out at the worker's pace, as the window sends them on idle passes.
    const auto end = start + std::chrono::seconds(*invocation.seconds);
    int sent = 0;
    bool ended = false;
    while (Clock::now() < end) {
        if (!screen && music->Analyser().Capture() != CaptureState::kCapturing) {
            ended = true;
            break;
        }
        sent += music->SendFrame(controller) ? 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(KeyboardController::kWorkerPeriodMs));
    }
    music->SetShown(false);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (invocation.json) {
        out << "{\"layer\":" << id << ",\"frames\":" << sent << ",\"seconds\":" << seconds
            << ",\"capture\":\"" << (ended ? "ended" : "capturing") << "\"}\n";
    } else {
        out << "sent " << sent << " music frames of layer " << id << " in " << seconds << " s\n";
    }
    if (ended) {
        err << "zephylctl: the sound server went away; capture ended\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

const char* MusicHelpText() {
    return "Usage: zephylctl [OPTIONS] music [layers]\n"
           "       zephylctl [OPTIONS] music run --seconds N [--layer ID]\n"
           "Music-reactive lighting: the spectrum of what the computer plays, coloured by the\n"
           "schemes of a layer. layers lists the layers with their schemes. run records the\n"
           "default output's monitor through the sound server (PulseAudio or PipeWire) and\n"
           "sends music frames to the keyboard for N seconds (1..3600); without --layer the\n"
           "selected layer is used. It fails when no sound server answers or the server goes\n"
           "away while it runs. Over Bluetooth nothing is sent.\n";
}

int RunMusic(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
             std::ostream& err) {
    const std::vector<std::string>& words = invocation.words;
    const std::string action = words.size() > 1 ? words[1] : "layers";
    if (action == "layers" && words.size() <= 2) {
        return Layers(invocation, controller, out);
    }
    if (action == "run" && words.size() == 2) {
        return Run(invocation, controller, out, err);
    }
    err << kUsage;
    return kExitUsage;
}

}  // namespace zephyl::cli
