// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/UpdateCli.h"

#include "app/KeyboardController.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "device/KeyboardSettings.h"
#include "update/UpdateFeature.h"

#include <ostream>

namespace zephyl::cli {
namespace {

const char* SoftwareStateName(SoftwareCheck::State state) {
    switch (state) {
        case SoftwareCheck::State::kUpToDate:
            return "up-to-date";
        case SoftwareCheck::State::kAvailable:
            return "available";
        case SoftwareCheck::State::kFromDistribution:
            return "distribution";
        case SoftwareCheck::State::kFailed:
            break;
    }
    return "failed";
}

std::shared_ptr<UpdateService> ServiceOrSay(KeyboardController& controller, std::ostream& err) {
    std::shared_ptr<UpdateService> service = UpdateServiceOf(controller);
    if (!service) {
        err << "zephylctl: updates are not part of this build\n";
    }
    return service;
}

}  // namespace

const char* UpdateHelpText(const std::string& command) {
    if (command == "update") {
        return "Usage: zephylctl [OPTIONS] update check\n"
               "Ask the update server which version of the program is available (the manifest\n"
               "latest.xml beside the package named by config.xml's upgrade address) and compare\n"
               "the connected keyboard's firmware with the version its layout names.\n"
               "Exit status: 0 when both are up to date, 1 with the reason when an update is\n"
               "available or the check failed. A program installed by the distribution gets\n"
               "its updates from the distribution's package manager.\n";
    }
    if (command == "firmware") {
        return "Usage: zephylctl [OPTIONS] firmware run\n"
               "When the layout's firmware is newer than the keyboard's, close the keyboard,\n"
               "run the model's firmware tool from the program's firmware folder, wait for it\n"
               "to end and open the keyboard again.\n";
    }
    return "";
}

int RunUpdate(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
              std::ostream& err) {
    if (invocation.words.size() != 2 || invocation.words[1] != "check") {
        err << "zephylctl: usage: zephylctl update check\n";
        return kExitUsage;
    }
    const std::shared_ptr<UpdateService> service = ServiceOrSay(controller, err);
    if (!service) {
        return kExitFailed;
    }
    const SoftwareCheck software = service->CheckSoftware();
    const FirmwareCheck firmware = service->CheckFirmware();
    const bool hasRelease = firmware.releaseNumber > 0;
    const std::string release = hasRelease ? FirmwareReleaseDigits(firmware.releaseNumber) : "";
    if (invocation.json) {
        out << "{\"application\":{\"installed\":" << JsonString(software.installed)
            << ",\"available\":" << JsonString(software.available)
            << ",\"state\":" << JsonString(SoftwareStateName(software.state)) << "},"
            << "\"firmware\":{\"keyboard\":" << JsonString(release)
            << ",\"available\":" << JsonString(firmware.available)
            << ",\"out_of_date\":" << (firmware.outOfDate ? "true" : "false") << "}}\n";
    } else {
        out << "application: installed " << software.installed;
        switch (software.state) {
            case SoftwareCheck::State::kFailed:
                out << ", available unknown\n";
                break;
            case SoftwareCheck::State::kFromDistribution:
                out << ", updated by the distribution\n";
                break;
            default:
                out << ", available " << Printable(software.available) << "\n";
                break;
        }
        out << "firmware: keyboard " << (hasRelease ? release : "unknown (no cable connection)")
            << ", available "
            << (firmware.available.empty() ? "none" : Printable(firmware.available)) << "\n";
    }
    switch (software.state) {
        case SoftwareCheck::State::kFailed:
            err << "zephylctl: " << PackageOutcomeText(PackageOutcome::kCheckFailed) << "\n";
            return kExitFailed;
        case SoftwareCheck::State::kAvailable:
            err << "zephylctl: version " << Printable(software.available)
                << " of the program is available\n";
            return kExitFailed;
        default:
            break;
    }
    if (firmware.outOfDate) {
        err << "zephylctl: firmware " << Printable(firmware.available)
            << " is available for the keyboard\n";
        return kExitFailed;
    }
    return kExitOk;
}

int RunFirmware(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                std::ostream& err) {
    if (invocation.words.size() != 2 || invocation.words[1] != "run") {
        err << "zephylctl: usage: zephylctl firmware run\n";
        return kExitUsage;
    }
    const std::shared_ptr<UpdateService> service = ServiceOrSay(controller, err);
    if (!service) {
        return kExitFailed;
    }
    using Run = UpdateService::FirmwareRun;
    switch (service->RunFirmwareTool()) {
        case Run::kRan:
            out << "the firmware tool has ended; the keyboard is open again\n";
            return kExitOk;
        case Run::kUpToDate:
            out << "the keyboard's firmware is up to date\n";
            return kExitOk;
        case Run::kNoRelease:
            err << "zephylctl: the keyboard reports its firmware only over the cable\n";
            return kExitFailed;
        case Run::kNoTool:
            err << "zephylctl: " << PackageOutcomeText(PackageOutcome::kNoFirmwareTool) << "\n";
            return kExitFailed;
        case Run::kToolOutside:
            err << "zephylctl: " << PackageOutcomeText(PackageOutcome::kToolOutsideFolder) << "\n";
            return kExitFailed;
        case Run::kStartFailed:
            err << "zephylctl: the firmware tool could not be started\n";
            return kExitFailed;
    }
    return kExitFailed;
}

}  // namespace zephyl::cli
