// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/CustomLightCli.h"

#include "app/KeyboardController.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "lighting/CustomLightEngine.h"
#include "lighting/CustomLightExchange.h"
#include "lighting/CustomLightSets.h"
#include "lighting/CustomLightStream.h"
#include "store/ProfileDatabase.h"
#include "text/LanguageText.h"

#include <chrono>
#include <ostream>
#include <thread>
#include <vector>

namespace zephyl::cli {
namespace {

/// Said when most frames of a stream did not reach the keyboard.
constexpr int kTextStreamMostlyFailed = 1023;

constexpr const char* kUsage =
    "zephylctl: usage: zephylctl customlight list | import FILE | export FILE [--set ID] | "
    "stream --seconds N [--set ID]\n";

CustomLightSets Sets(KeyboardController& controller) {
    return CustomLightSets(controller.Database(), [](int entry) { return LanguageText(entry); });
}

/// The set the command acts on: --set, else the first one as the page selects it. Null with
/// a message when --set names no set.
const CustomLightSetEntry* ChosenSet(const Invocation& invocation,
                                     const std::vector<CustomLightSetEntry>& entries,
                                     std::ostream& err) {
    if (!invocation.set) {
        return entries.empty() ? nullptr : &entries.front();
    }
    for (const CustomLightSetEntry& entry : entries) {
        if (entry.id == *invocation.set) {
            return &entry;
        }
    }
    err << "zephylctl: no lighting set " << *invocation.set
        << " (see zephylctl customlight list)\n";
    return nullptr;
}

int List(const Invocation& invocation, KeyboardController& controller, std::ostream& out) {
    CustomLightSets sets = Sets(controller);
    const std::vector<CustomLightSetEntry> entries = sets.Entries();
    if (invocation.json) {
        out << "[";
    }
    bool first = true;
    for (const CustomLightSetEntry& entry : entries) {
        std::vector<CustomLightKey> rows;
        controller.Database().ListCustomLightKeys(entry.id, rows);
        const int speed = sets.Speed(entry.id);
        if (invocation.json) {
            out << (first ? "" : ",") << "{\"id\":" << entry.id
                << ",\"name\":" << JsonString(entry.shownName) << ",\"speed\":" << speed
                << ",\"keys\":" << rows.size() << "}";
        } else {
            out << entry.id << "\t" << Printable(entry.shownName) << "\tspeed " << speed << "\t"
                << rows.size() << " keys\n";
        }
        first = false;
    }
    if (invocation.json) {
        out << "]\n";
    }
    return kExitOk;
}

int Import(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
           std::ostream& err) {
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    const CustomLightImport result = ImportCustomLight(
        controller.Database(), invocation.words[2],
        layout ? static_cast<int>(layout->keys.size()) : kMostSetFileKeysWithoutLayout);
    if (result.messageText != 0) {
        std::string message = LanguageText(result.messageText);
        if (const auto at = message.find("%d"); at != std::string::npos) {
            message.replace(at, 2, std::to_string(result.messageCount));
        }
        err << "zephylctl: " << Printable(invocation.words[2]) << ": " << message << "\n";
        return kExitFailed;
    }
    if (result.setId == 0) {
        err << "zephylctl: the set could not be stored\n";
        return kExitFailed;
    }
    const std::string shown = Sets(controller).ShownName(result.name);
    if (invocation.json) {
        out << "{\"id\":" << result.setId << ",\"name\":" << JsonString(shown)
            << ",\"speed\":" << result.speed << ",\"keys\":" << result.keys << "}\n";
    } else {
        out << "imported set " << result.setId << " \"" << Printable(shown) << "\" with "
            << result.keys << " keys\n";
    }
    return kExitOk;
}

int Export(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
           std::ostream& err) {
    const std::vector<CustomLightSetEntry> entries = Sets(controller).Entries();
    const CustomLightSetEntry* set = ChosenSet(invocation, entries, err);
    if (!set) {
        return kExitUsage;
    }
    const std::string path =
        ExportCustomLight(controller.Database(), set->id, set->shownName, invocation.words[2]);
    if (path.empty()) {
        err << "zephylctl: could not write " << Printable(WithXmlExtension(invocation.words[2]))
            << "\n";
        return kExitFailed;
    }
    if (invocation.json) {
        out << "{\"id\":" << set->id << ",\"file\":" << JsonString(path) << "}\n";
    } else {
        out << "exported set " << set->id << " to " << Printable(path) << "\n";
    }
    return kExitOk;
}

int Stream(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
           std::ostream& err) {
    if (!invocation.seconds) {
        err << "zephylctl: customlight stream needs --seconds N (1..3600)\n";
        return kExitUsage;
    }
    CustomLightSets sets = Sets(controller);
    const std::vector<CustomLightSetEntry> entries = sets.Entries();
    const CustomLightSetEntry* set = ChosenSet(invocation, entries, err);
    if (!set) {
        return kExitUsage;
    }
    if (!controller.Connected() || controller.ConnectionMode() != kModeCable) {
        err << "zephylctl: "
            << NoKeyboardReason(controller,
                                "real-time lighting streams over the USB cable only, and no "
                                "keyboard is connected by cable")
            << "\n";
        return kExitFailed;
    }
    const std::shared_ptr<const KeyboardLayout> layout = controller.Layout();
    CustomLightEngine engine;
    engine.SetKeys(layout->keys);
    sets.LoadSet(engine, set->id);

    // The animation runs on this program's own clock; each frame shows its latest step.
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(*invocation.seconds);
    auto last = start;
    int sent = 0;
    int failed = 0;
    while (Clock::now() < end) {
        const auto now = Clock::now();
        engine.Advance(static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count()));
        last += std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
        if (SendCustomLightFrame(controller.Devices(), *engine.Snapshot(), layout->perKeyColour) ==
            StreamFrameResult::kSent) {
            ++sent;
        } else {
            ++failed;
            // A keyboard that refuses is not hammered.
            std::this_thread::sleep_for(
                std::chrono::milliseconds(KeyboardController::kWorkerPeriodMs));
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (invocation.json) {
        out << "{\"set\":" << set->id << ",\"frames\":" << sent << ",\"failed\":" << failed
            << ",\"seconds\":" << seconds << "}\n";
    } else {
        out << "streamed " << sent << " frames of set " << set->id << " in " << seconds << " s"
            << (failed > 0 ? ", " + std::to_string(failed) + " failed" : "") << "\n";
    }
    if (sent == 0) {
        err << "zephylctl: the keyboard took none of the " << failed << " frames\n";
        return kExitFailed;
    }
    // A stream the keyboard mostly missed did not show the set: a few frames that got through
    // do not make it a success.
    if (StreamMostlyFailed(sent, failed)) {
        err << "zephylctl: " << LanguageText(kTextStreamMostlyFailed) << " (" << failed << " of "
            << sent + failed << ")\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int RunCustomLight(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                   std::ostream& err) {
    const std::vector<std::string>& words = invocation.words;
    const std::string action = words.size() > 1 ? words[1] : "list";
    if (action == "list" && words.size() <= 2) {
        return List(invocation, controller, out);
    }
    if (action == "import" && words.size() == 3) {
        return Import(invocation, controller, out, err);
    }
    if (action == "export" && words.size() == 3) {
        return Export(invocation, controller, out, err);
    }
    if (action == "stream" && words.size() == 2) {
        return Stream(invocation, controller, out, err);
    }
    err << kUsage;
    return kExitUsage;
}

}  // namespace zephyl::cli
