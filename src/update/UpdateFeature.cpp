// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/UpdateFeature.h"

#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "device/DeviceManager.h"
#include "device/KeyboardSettings.h"
#include "platform/Log.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "update/Digest.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace zephyl {
namespace {

struct ServiceTable {
    std::mutex mutex;
    std::map<const KeyboardController*, std::weak_ptr<UpdateService>> services;
};

ServiceTable& Services() {
    static ServiceTable table;
    return table;
}

std::mutex g_exitMutex;
std::string g_programAfterExit;

void StartPendingProgram() {
    std::string program;
    {
        std::lock_guard lock(g_exitMutex);
        program.swap(g_programAfterExit);
    }
    if (!program.empty()) {
        StartProgram(program);
    }
}

void WaitFor(int process) {
    int status = 0;
    while (waitpid(process, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

void StartAfterExit(const std::string& program) {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(&StartPendingProgram); });
    std::lock_guard lock(g_exitMutex);
    g_programAfterExit = program;
}

UpdateService::UpdateService(KeyboardController& controller, UpdateFeatureOptions options)
    : m_controller(controller), m_options(std::move(options)) {}

std::string UpdateService::TempFolder() const {
    return DataFolder() + "temp/";
}

void UpdateService::SetProgressObserver(ProgressFunction observer) {
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
    m_cancelled = false;
}

void UpdateService::SetInstallerHandOff(InstallerHandOff handOff) {
    std::lock_guard lock(m_mutex);
    m_handOff = std::move(handOff);
}

void UpdateService::Cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_running != nullptr) {
        m_running->Cancel();
    }
}

PreparedPackage UpdateService::Fetch(const std::string& baseAddress, const PackageNames& names) {
    Downloader downloader(m_options.download);
    {
        std::lock_guard lock(m_mutex);
        m_running = &downloader;
    }
    const PreparedPackage prepared =
        PreparePackage(downloader, baseAddress, names, TempFolder(), [this, &downloader](int p) {
            {
                // The download marks itself running only once it starts, which would undo a
                // Cancel that came before; its first progress step applies that Cancel again.
                std::lock_guard lock(m_mutex);
                if (m_cancelled) {
                    downloader.Cancel();
                }
            }
            Progress(p);
        });
    {
        std::lock_guard lock(m_mutex);
        m_running = nullptr;
        m_cancelled = false;
    }
    return prepared;
}

void UpdateService::Progress(int percent) {
    ProgressFunction observer;
    {
        std::lock_guard lock(m_mutex);
        observer = m_observer;
    }
    if (observer) {
        observer(percent);
    }
}

void UpdateService::Refuse(PackageOutcome outcome) {
    Log(kLogWarning, "update not run: %s", PackageOutcomeText(outcome).c_str());
    m_controller.FailCommand(PackageOutcomeText(outcome));
}

SoftwareCheck UpdateService::CheckSoftware(std::shared_ptr<const std::atomic<bool>> stop) {
    SoftwareCheck check;
    const SoftwareInfo& software = m_controller.Descriptions().software;
    check.installed = software.version;
    if (InstalledByDistribution(ResourceFolder())) {
        check.state = SoftwareCheck::State::kFromDistribution;
        return check;
    }
    const std::string folder = TempFolder();
    CreateDirectoryPath(folder);
    const std::string path = folder + kManifestName;
    DownloadOptions options = ManifestDownloadOptions(m_options.download);
    options.stop = std::move(stop);
    Downloader downloader(std::move(options));
    if (downloader.Download(software.upgradeUrl + kManifestName, path) == kDownloadComplete) {
        check.available = ParseManifestVersion(ReadSmallFile(path));
    }
    unlink(path.c_str());
    if (check.available.empty()) {
        return check;
    }
    check.state = CompareVersions(check.installed, check.available) < 0
                      ? SoftwareCheck::State::kAvailable
                      : SoftwareCheck::State::kUpToDate;
    return check;
}

FirmwareCheck UpdateService::CheckFirmware() const {
    FirmwareCheck check;
    const std::shared_ptr<const KeyboardLayout> layout = m_controller.Layout();
    check.available = layout->firmwareVersion;
    check.offered = !layout->firmwareVersion.empty() && !layout->firmwareFile.empty();
    m_controller.Devices().FirmwareVersion(check.releaseNumber);
    check.outOfDate = check.offered && check.releaseNumber > 0 &&
                      IsNewerFirmware(check.releaseNumber, layout->firmwareVersion);
    return check;
}

int UpdateService::InstallApplication() {
    if (InstalledByDistribution(ResourceFolder())) {
        Refuse(PackageOutcome::kFromDistribution);
        return 0;
    }
    const PreparedPackage prepared =
        Fetch(m_controller.Descriptions().software.upgradeUrl, kApplicationPackage);
    if (prepared.outcome != PackageOutcome::kReady) {
        Refuse(prepared.outcome);
        return 0;
    }
    // The installer replaces this program: the keyboard is let go first, and the program
    // leaves through its own exit path before the installer starts.
    m_controller.Devices().CloseAll();
    InstallerHandOff handOff;
    {
        std::lock_guard lock(m_mutex);
        handOff = m_handOff;
    }
    if (handOff) {
        handOff(prepared.programPath);
        return 0;
    }
    return StartProgram(prepared.programPath);
}

void UpdateService::InstallFirmwareTool() {
    const PreparedPackage prepared = Fetch(m_controller.Layout()->firmwareUrl, kFirmwarePackage);
    if (prepared.outcome != PackageOutcome::kReady) {
        Refuse(prepared.outcome);
        return;
    }
    // The tool opens the keyboard itself; ours come back once it has finished.
    m_controller.Devices().CloseAll();
    const int process = StartProgram(prepared.programPath);
    if (process > 0) {
        WaitFor(process);
    }
    m_controller.Devices().Reopen();
}

UpdateService::FirmwareRun UpdateService::RunFirmwareTool() {
    const FirmwareCheck check = CheckFirmware();
    if (!check.offered) {
        return FirmwareRun::kNoTool;
    }
    // Without the cable the keyboard reports no release: nothing says it is out of date.
    if (check.releaseNumber <= 0) {
        return FirmwareRun::kNoRelease;
    }
    using Result = KeyboardController::FirmwareUpdateResult;
    switch (m_controller.FirmwareUpdate()) {
        case Result::kStarted:
            // The worker's tick waits for the tool and opens the interfaces again; without a
            // worker, that tick runs here.
            m_controller.Work();
            return FirmwareRun::kRan;
        case Result::kNotNewer:
            return FirmwareRun::kUpToDate;
        case Result::kNoTool:
            return FirmwareRun::kNoTool;
        case Result::kToolOutside:
            return FirmwareRun::kToolOutside;
        case Result::kStartFailed:
            break;
    }
    return FirmwareRun::kStartFailed;
}

void RegisterUpdateFeature(KeyboardController& controller, UpdateFeatureOptions options) {
    auto service = std::make_shared<UpdateService>(controller, std::move(options));
    {
        ServiceTable& table = Services();
        std::lock_guard lock(table.mutex);
        table.services[&controller] = service;
    }
    controller.SetCommandHandler(kCommandDownloadInstaller,
                                 [service](KeyboardController&) { service->InstallApplication(); });
    controller.SetCommandHandler(kCommandDownloadFirmwareTool, [service](KeyboardController&) {
        service->InstallFirmwareTool();
    });
}

std::shared_ptr<UpdateService> UpdateServiceOf(const KeyboardController& controller) {
    ServiceTable& table = Services();
    std::lock_guard lock(table.mutex);
    const auto found = table.services.find(&controller);
    return found == table.services.end() ? nullptr : found->second.lock();
}

}  // namespace zephyl
