// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ScreenCli.h"

#include "app/KeyboardController.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "screen/Picture.h"
#include "screen/ScreenFeature.h"
#include "screen/ScreenLibrary.h"
#include "screen/ScreenText.h"
#include "store/ProfileDatabase.h"
#include "text/LanguageText.h"

#include <cstdio>
#include <ctime>
#include <ostream>
#include <unistd.h>

namespace zephyl::cli {
namespace {

/// Why an upload over the receiver takes no --slot.
constexpr int kTextNoSlotOverReceiver = 1021;

int Usage(std::ostream& err, const std::string& message) {
    err << "zephylctl: " << message << " (see zephylctl screen --help)\n";
    return kExitUsage;
}

bool Ready(KeyboardController& controller, std::ostream& err) {
    if (!controller.Connected() || controller.ConnectionMode() == kModeNone) {
        err << "zephylctl: " << NoKeyboardReason(controller, "no keyboard connected") << "\n";
        return false;
    }
    if (!controller.Ready()) {
        err << "zephylctl: the keyboard does not answer (asleep or out of range)\n";
        return false;
    }
    if (!controller.Layout()->HasCableFeature(kFeatureScreen)) {
        err << "zephylctl: this keyboard has no screen\n";
        return false;
    }
    return true;
}

/// The value of `--name VALUE` or `--name=VALUE` among the words, and whether it was given.
bool WordOption(const std::vector<std::string>& words, const std::string& name,
                std::string& value) {
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i] == name && i + 1 < words.size()) {
            value = words[i + 1];
            return true;
        }
        if (words[i].rfind(name + "=", 0) == 0) {
            value = words[i].substr(name.size() + 1);
            return true;
        }
    }
    return false;
}

/// The positional words after the action, options and their values left out.
std::vector<std::string> Positional(const std::vector<std::string>& words) {
    std::vector<std::string> result;
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (words[i] == "--slot" || words[i] == "--at") {
            ++i;
        } else if (words[i].rfind("--", 0) != 0) {
            result.push_back(words[i]);
        }
    }
    return result;
}

/// `--slot N`, numbered 1..gif_count as the keyboard numbers its slots; -1 when wrong.
int SlotOption(const std::vector<std::string>& words, const KeyboardLayout& layout,
               std::ostream& err) {
    std::string text;
    if (!WordOption(words, "--slot", text)) {
        Usage(err, "--slot N is needed");
        return -1;
    }
    const auto slot = ParseWholeNumber(text, 1, std::max(1, layout.screenFrameCount));
    if (!slot) {
        Usage(err, "not a slot (1.." + std::to_string(layout.screenFrameCount) +
                       "): " + Printable(text));
        return -1;
    }
    return *slot - 1;
}

int Finish(const CommandOutcome& outcome, std::ostream& err) {
    if (!outcome.done) {
        // The reason may name the user's file.
        err << "zephylctl: " << Printable(outcome.failure) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int List(const Invocation& invocation, KeyboardController& controller, ScreenFeature& feature,
         std::ostream& out) {
    const KeyboardLayout& layout = *controller.Layout();
    ProfileDatabase& database = controller.Database();
    const ScreenPaths paths = feature.Paths(layout);
    ImportDefaultAnimations(database, paths, layout.screenFrameCount,
                            ScreenFeature::Geometry(layout));
    std::vector<ScreenLayer> layers;
    database.ListScreenLayers(kScreenProfile, layers);
    std::vector<TftImage> slots;
    database.ListTftImages(kScreenProfile, slots);
    if (invocation.json) {
        out << "{\"width\":" << layout.screenWidth << ",\"height\":" << layout.screenHeight
            << ",\"max_frames\":" << layout.screenMaxFrames << ",\"animations\":[";
        for (std::size_t i = 0; i < layers.size(); ++i) {
            out << (i ? "," : "") << "{\"id\":" << layers[i].led_id
                << ",\"name\":" << JsonString(layers[i].name)
                << ",\"frames\":" << layers[i].frame_size
                << ",\"folder\":" << JsonString(paths.AnimationFolder(layers[i].file_dir)) << "}";
        }
        out << "],\"slots\":[";
        for (std::size_t i = 0; i < slots.size(); ++i) {
            out << (i ? "," : "") << "{\"slot\":" << slots[i].tft_id
                << ",\"frames\":" << slots[i].frame_size
                << ",\"picture\":" << JsonString(slots[i].file_name) << "}";
        }
        out << "]}\n";
        return kExitOk;
    }
    out << "Screen " << layout.screenWidth << " x " << layout.screenHeight << ", at most "
        << layout.screenMaxFrames << " frames, " << layout.screenFrameCount << " slots\n";
    out << "Animations:\n";
    for (const ScreenLayer& layer : layers) {
        out << "  " << layer.led_id << "  " << Printable(layer.name) << "  " << layer.frame_size
            << " frames\n";
    }
    out << "Slots:\n";
    for (const TftImage& slot : slots) {
        out << "  " << slot.tft_id << "  " << slot.frame_size << " frames  "
            << Printable(slot.file_name) << "\n";
    }
    return kExitOk;
}

int Upload(const Invocation& invocation, KeyboardController& controller, ScreenFeature& feature,
           std::ostream& out, std::ostream& err) {
    const std::vector<std::string> files = Positional(invocation.words);
    if (files.size() != 1) {
        return Usage(err, "usage: zephylctl screen upload FILE [--slot N]");
    }
    // Over the receiver no slot is chosen: the keyboard fills the slot it shows, which the
    // program cannot know. A slot asked for there would be a promise nothing keeps.
    const bool receiver = controller.Connected() && controller.ConnectionMode() == kModeReceiver;
    std::string slotText;
    if (receiver && WordOption(invocation.words, "--slot", slotText)) {
        err << "zephylctl: --slot " << Printable(slotText) << ": "
            << LanguageText(kTextNoSlotOverReceiver) << "\n";
        return kExitUsage;
    }
    const int slot = receiver ? 0 : SlotOption(invocation.words, *controller.Layout(), err);
    if (slot < 0) {
        return kExitUsage;
    }
    // Refused before anything is sent: a file that is no picture, or declares more than the
    // screen can use, never reaches the keyboard. Only its header is read here; the upload
    // decodes it, once.
    std::string error;
    if (!InspectPictureFile(files[0], &error, controller.Layout()->screenMaxFrames)) {
        err << "zephylctl: " << Printable(files[0]) << ": " << error << "\n";
        return kExitFailed;
    }
    if (!Ready(controller, err)) {
        return kExitFailed;
    }
    const bool terminal = !invocation.json && isatty(STDERR_FILENO);
    if (terminal) {
        feature.SetProgressSink([&err, last = -1](int percent) mutable {
            if (percent != last) {
                last = percent;
                err << "\rUploading " << percent << "%" << std::flush;
            }
        });
    }
    feature.SetSelectedSlot(slot);
    feature.SetUploadFile(files[0]);
    const CommandOutcome outcome = controller.RunCommand(kCommandUploadScreen);
    feature.SetProgressSink(nullptr);
    if (terminal) {
        err << "\n";
    }
    if (!outcome.done) {
        return Finish(outcome, err);
    }
    const ScreenUploadSummary summary = feature.LastUpload();
    if (invocation.json) {
        out << "{\"slot\":" << (receiver ? std::string("null") : std::to_string(slot + 1))
            << ",\"frames\":" << summary.frames << ",\"units\":" << summary.units
            << ",\"unit_bytes\":" << summary.unit << "}\n";
    } else {
        out << "Sent " << summary.frames << " frame" << (summary.frames == 1 ? "" : "s") << " to "
            << (receiver ? std::string("the slot the keyboard shows")
                         : "slot " + std::to_string(slot + 1))
            << " in " << summary.units << " units\n";
    }
    return kExitOk;
}

int DefaultPicture(const Invocation& invocation, KeyboardController& controller,
                   ScreenFeature& feature, std::ostream& out, std::ostream& err) {
    const int slot = SlotOption(invocation.words, *controller.Layout(), err);
    if (slot < 0) {
        return kExitUsage;
    }
    if (!Ready(controller, err)) {
        return kExitFailed;
    }
    if (controller.ConnectionMode() != kModeCable) {
        err << "zephylctl: the default picture is sent over the USB cable only\n";
        return kExitFailed;
    }
    feature.SetSelectedSlot(slot);
    const int result = Finish(controller.RunCommand(kCommandScreenSlot), err);
    if (result == kExitOk) {
        out << (invocation.json
                    ? "{\"slot\":" + std::to_string(slot + 1) + "}\n"
                    : "Slot " + std::to_string(slot + 1) + " shows the default picture\n");
    }
    return result;
}

/// "YYYY-MM-DD HH:MM:SS" as a clock with its weekday; false for anything else or a date that
/// does not exist.
bool ParseClock(const std::string& text, ScreenClock& clock) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute,
                    &second, &end) != 6 ||
        year < 1 || hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_hour = 12;
    const std::time_t at = timegm(&date);
    std::tm check{};
    gmtime_r(&at, &check);
    if (check.tm_mon != month - 1 || check.tm_mday != day) {
        return false;
    }
    clock = ScreenClock{year, month, day, hour, minute, second, check.tm_wday};
    return true;
}

int Clock(const Invocation& invocation, KeyboardController& controller, ScreenFeature& feature,
          std::ostream& out, std::ostream& err) {
    std::string text;
    ScreenClock clock = ScreenFeature::LocalClock();
    if (WordOption(invocation.words, "--at", text)) {
        if (!ParseClock(text, clock)) {
            return Usage(err, "not a time \"YYYY-MM-DD HH:MM:SS\": " + Printable(text));
        }
        if (!ClockYearFits(clock.year)) {
            err << "zephylctl: " << ScreenMessage(kTextClockYearNotKept, std::to_string(clock.year))
                << "\n";
            return kExitUsage;
        }
    }
    if (!Ready(controller, err)) {
        return kExitFailed;
    }
    if (controller.ConnectionMode() == kModeBluetooth) {
        err << "zephylctl: the clock is not set over Bluetooth\n";
        return kExitFailed;
    }
    feature.SetClockOverride(clock);
    const int result = Finish(controller.RunCommand(kCommandSetClock), err);
    feature.SetClockOverride(std::nullopt);
    if (result == kExitOk) {
        char line[64];
        std::snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d", clock.year, clock.month,
                      clock.day, clock.hour, clock.minute, clock.second);
        if (invocation.json) {
            out << "{\"clock\":" << JsonString(line) << ",\"weekday\":" << clock.weekday << "}\n";
        } else {
            out << "Clock set to " << line << "\n";
        }
    }
    return result;
}

}  // namespace

const char* ScreenHelpText() {
    return "Usage: zephylctl [OPTIONS] screen list\n"
           "       zephylctl [OPTIONS] screen upload FILE [--slot N]\n"
           "       zephylctl [OPTIONS] screen default --slot N\n"
           "       zephylctl [OPTIONS] screen clock [--at \"YYYY-MM-DD HH:MM:SS\"]\n"
           "The keyboard's colour screen. list shows the animation library and what each of\n"
           "the keyboard's screen slots last received. upload sends FILE (an animated GIF with\n"
           "its frame delays, or a PNG, JPEG or BMP picture) to slot N (1..the model's slot\n"
           "count), fitted whole to the screen with black bars where the proportions differ;\n"
           "a progress line shows on a terminal. --slot N is needed on the USB cable and\n"
           "refused over the receiver, where the keyboard fills the slot it shows.\n"
           "default sends the default picture to slot N\n"
           "(USB cable only). clock sets the keyboard's clock to the local time, or to the\n"
           "time given with --at; the keyboard's clock holds the years 2000 to 2099.\n";
}

int RunScreen(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
              std::ostream& err) {
    const std::string action = invocation.words.size() > 1 ? invocation.words[1] : "list";
    const std::shared_ptr<ScreenFeature> feature = ScreenFeatureOf(controller);
    if (!feature) {
        err << "zephylctl: the screen is not part of this build\n";
        return kExitFailed;
    }
    if (action == "list") {
        return List(invocation, controller, *feature, out);
    }
    if (action == "upload") {
        return Upload(invocation, controller, *feature, out, err);
    }
    if (action == "default") {
        return DefaultPicture(invocation, controller, *feature, out, err);
    }
    if (action == "clock") {
        return Clock(invocation, controller, *feature, out, err);
    }
    return Usage(err, "unknown screen action: " + Printable(action));
}

}  // namespace zephyl::cli
