// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "update/Download.h"
#include "update/UpdatePackages.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace zephyl {

class KeyboardController;

struct UpdateFeatureOptions {
    DownloadOptions download;
};

/// What the software button knows after a check of the manifest.
struct SoftwareCheck {
    enum class State { kUpToDate, kAvailable, kFromDistribution, kFailed };
    State state = State::kFailed;
    std::string installed;  ///< config.xml's version
    std::string available;  ///< the manifest's version; empty when the check failed
};

/// The firmware the layout names against the keyboard's, for the offer and `update check`.
struct FirmwareCheck {
    bool offered = false;    ///< the layout names a firmware version and its tool
    int releaseNumber = 0;   ///< the keyboard's, 0 without a cable connection
    std::string available;   ///< the layout's firmware version
    bool outOfDate = false;  ///< the keyboard's release is older than `available`
};

/// The update feature of one controller: worker commands 22 (the application package) and 23
/// (the firmware tool package), and the checks the window and zephylctl ask for.
class UpdateService {
public:
    using ProgressFunction = Downloader::ProgressFunction;
    /// Hands a checked installer over: the program leaves by its normal exit path and the
    /// installer starts after that.
    using InstallerHandOff = std::function<void(const std::string& program)>;

    UpdateService(KeyboardController& controller, UpdateFeatureOptions options);

    /// Fetches `<upgrade url>latest.xml` and compares its version with config.xml's. Any thread
    /// but the worker's while it downloads. Setting `stop` ends the check (as failed).
    SoftwareCheck CheckSoftware(std::shared_ptr<const std::atomic<bool>> stop = nullptr);
    FirmwareCheck CheckFirmware() const;

    /// Where the progress of the next download goes (the wait dialog). Setting it begins a new
    /// run: a Cancel left over from an earlier one is forgotten. Any thread.
    void SetProgressObserver(ProgressFunction observer);
    void SetInstallerHandOff(InstallerHandOff handOff);
    /// Ends a running download; its command then fails with "cancelled". A Cancel that comes
    /// while the command still waits in the queue ends its download as soon as it starts.
    /// Any thread.
    void Cancel();

    /// Command 22: fetch, check and unpack the application package, close the keyboard's
    /// interfaces and hand the installer over. The program started without a hand-off, or 0.
    int InstallApplication();
    /// Command 23: fetch, check and unpack the firmware tool package, close the interfaces, run
    /// the tool, wait for it and open the interfaces again.
    void InstallFirmwareTool();

    enum class FirmwareRun { kRan, kUpToDate, kNoRelease, kNoTool, kToolOutside, kStartFailed };
    /// The firmware hand-over with the tool of the resource folder, waited for: the keyboard's
    /// interfaces are closed while the tool runs and opened again after.
    FirmwareRun RunFirmwareTool();

    /// The folder packages are fetched and unpacked in.
    std::string TempFolder() const;

private:
    void Progress(int percent);
    /// Fetches and unpacks `names` from `baseAddress`, open to Cancel meanwhile.
    PreparedPackage Fetch(const std::string& baseAddress, const PackageNames& names);
    /// Fails the running command with the outcome's text.
    void Refuse(PackageOutcome outcome);

    KeyboardController& m_controller;
    UpdateFeatureOptions m_options;
    std::mutex m_mutex;
    ProgressFunction m_observer;
    InstallerHandOff m_handOff;
    Downloader* m_running = nullptr;
    bool m_cancelled = false;
};

/// Registers the update feature on `controller`.
void RegisterUpdateFeature(KeyboardController& controller, UpdateFeatureOptions options = {});

/// The update feature registered for `controller`; null when it was not registered.
std::shared_ptr<UpdateService> UpdateServiceOf(const KeyboardController& controller);

/// Starts `program` once this process ends normally (at exit).
void StartAfterExit(const std::string& program);

}  // namespace zephyl
