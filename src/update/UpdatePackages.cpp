// SPDX-License-Identifier: GPL-2.0-or-later
#include "update/UpdatePackages.h"

#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "text/LanguageText.h"
#include "update/Digest.h"
#include "update/Unpack.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <cctype>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace zephyl {
namespace {

std::string Stem(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

const char* EnglishText(PackageOutcome outcome) {
    switch (outcome) {
        case PackageOutcome::kDownloadFailed:
            return "The update could not be downloaded; nothing was changed.";
        case PackageOutcome::kDigestMissing:
            return "The update has no checksum to verify it with; it was not run.";
        case PackageOutcome::kDigestMismatch:
            return "The downloaded update does not match its checksum; it was not run.";
        case PackageOutcome::kUnpackRefused:
            return "The update package would write outside its folder; it was not run.";
        case PackageOutcome::kFromDistribution:
            return "This program was installed by your distribution: updates come from its "
                   "package manager.";
        case PackageOutcome::kCheckFailed:
            return "Whether an update is available could not be found out.";
        case PackageOutcome::kCancelled:
            return "The update was cancelled; nothing was changed.";
        case PackageOutcome::kNoFirmwareTool:
            return "The firmware update tool is not installed; nothing was started.";
        case PackageOutcome::kNotSecure:
            return "The update address is not a secure (https) address; nothing was downloaded.";
        case PackageOutcome::kNotAnArchive:
            return "The downloaded update is not a ZIP archive; it was not run.";
        case PackageOutcome::kUnpackFailed:
            return "The update package could not be unpacked: it is damaged, or the disk is full; "
                   "it was not run.";
        case PackageOutcome::kUnpackTooLarge:
            return "The update package unpacks to more than 256 MB; it was not run.";
        case PackageOutcome::kProgramMissing:
            return "The update package does not contain the program to run; nothing was started.";
        case PackageOutcome::kProgramIsLink:
            return "The program in the update package is a link, not a file; it was not run.";
        case PackageOutcome::kProgramNotAFile:
            return "The program in the update package is a folder, not a file; it was not run.";
        case PackageOutcome::kToolOutsideFolder:
            return "The keyboard's layout names a firmware tool outside the firmware folder; "
                   "nothing was started.";
        case PackageOutcome::kReady:
            break;
    }
    return "";
}

}  // namespace

PackageOutcome UnpackOutcome(UnpackResult result) {
    switch (result) {
        case UnpackResult::kDone:
            return PackageOutcome::kReady;
        case UnpackResult::kCannotOpen:
            return PackageOutcome::kNotAnArchive;
        case UnpackResult::kRefused:
            return PackageOutcome::kUnpackRefused;
        case UnpackResult::kTooLarge:
            return PackageOutcome::kUnpackTooLarge;
        case UnpackResult::kWriteFailed:
            break;
    }
    return PackageOutcome::kUnpackFailed;
}

PackageOutcome ProgramOutcome(const struct stat* status) {
    if (status == nullptr) {
        return PackageOutcome::kProgramMissing;
    }
    if (S_ISLNK(status->st_mode)) {
        // Even one leading inside the package: what runs must be what was checked, in place.
        return PackageOutcome::kProgramIsLink;
    }
    return S_ISREG(status->st_mode) ? PackageOutcome::kReady : PackageOutcome::kProgramNotAFile;
}

PreparedPackage PreparePackage(Downloader& downloader, const std::string& baseAddress,
                               const PackageNames& names, const std::string& tempFolder,
                               const Downloader::ProgressFunction& progress) {
    PreparedPackage prepared;
    const std::string address = baseAddress + names.packageName;
    if (!IsSecureAddress(address)) {
        prepared.outcome = PackageOutcome::kNotSecure;
        return prepared;
    }
    CreateDirectoryPath(tempFolder);
    const std::string packagePath = tempFolder + names.packageName;
    const std::string digestPath = packagePath + kDigestSuffix;
    const std::string unpackFolder = tempFolder + Stem(names.packageName);
    // An older attempt's files never count for this one.
    unlink(packagePath.c_str());
    unlink(digestPath.c_str());
    DeleteTree(unpackFolder);

    const auto fail = [&](PackageOutcome outcome) {
        unlink(packagePath.c_str());
        unlink(digestPath.c_str());
        DeleteTree(unpackFolder);
        prepared.outcome = outcome;
        return prepared;
    };
    if (downloader.Download(address, packagePath, progress) != kDownloadComplete) {
        return fail(downloader.LastError() == "cancelled" ? PackageOutcome::kCancelled
                                                          : PackageOutcome::kDownloadFailed);
    }
    // The digest comes the same way as the package; without it nothing is run.
    Downloader digestDownloader(downloader.Options());
    if (digestDownloader.Download(address + kDigestSuffix, digestPath) != kDownloadComplete) {
        return fail(PackageOutcome::kDigestMissing);
    }
    const std::string expected = ParseSha256File(ReadSmallFile(digestPath));
    if (expected.empty()) {
        return fail(PackageOutcome::kDigestMissing);
    }
    if (FileSha256(packagePath) != expected) {
        return fail(PackageOutcome::kDigestMismatch);
    }
    if (!CreateDirectoryPath(unpackFolder)) {
        return fail(PackageOutcome::kUnpackFailed);
    }
    if (const PackageOutcome unpacked = UnpackOutcome(UnpackAll(packagePath, unpackFolder));
        unpacked != PackageOutcome::kReady) {
        return fail(unpacked);
    }
    unlink(packagePath.c_str());
    unlink(digestPath.c_str());
    const std::string program = unpackFolder + "/" + names.programName;
    struct stat status {};
    if (const PackageOutcome found =
            ProgramOutcome(lstat(program.c_str(), &status) == 0 ? &status : nullptr);
        found != PackageOutcome::kReady) {
        Log(kLogWarning, "update package %s: %s", names.packageName,
            PackageOutcomeText(found).c_str());
        return fail(found);
    }
    // The package was checked whole: its program may run even if the archive lost the mode.
    chmod(program.c_str(), status.st_mode | S_IXUSR);
    prepared.outcome = PackageOutcome::kReady;
    prepared.programPath = program;
    return prepared;
}

int CompareVersions(const std::string& left, const std::string& right) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() || j < right.size()) {
        const auto part = [](const std::string& text, std::size_t& at) {
            long long value = 0;
            while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
                value = value * 10 + (text[at] - '0');
                if (value > 1000000000LL) {
                    value = 1000000000LL;
                }
                ++at;
            }
            while (at < text.size() && text[at] != '.') {
                ++at;
            }
            if (at < text.size()) {
                ++at;
            }
            return value;
        };
        const long long a = part(left, i);
        const long long b = part(right, j);
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    return 0;
}

DownloadOptions ManifestDownloadOptions(DownloadOptions options) {
    options.maxBytes = std::min(options.maxBytes, kManifestMaxBytes);
    options.totalTimeoutMs = options.totalTimeoutMs > 0
                                 ? std::min(options.totalTimeoutMs, kManifestTimeoutMs)
                                 : kManifestTimeoutMs;
    return options;
}

std::string ParseManifestVersion(const std::string& text) {
    XmlDocument document;
    if (!document.SetText(std::string_view(text)) || !document.FindElement("latest")) {
        return {};
    }
    std::string version = document.GetAttribute("version");
    if (version.empty() || !std::isdigit(static_cast<unsigned char>(version.front()))) {
        return {};
    }
    return version;
}

bool InstalledByDistribution(const std::string& resourceFolder) {
    if (access((resourceFolder + "distribution-package").c_str(), F_OK) == 0) {
        return true;
    }
    return resourceFolder.rfind("/usr/share/", 0) == 0;
}

std::string PackageOutcomeText(PackageOutcome outcome) {
    const std::string text = LanguageText(static_cast<int>(outcome));
    return text.empty() ? EnglishText(outcome) : text;
}

int StartProgram(const std::string& program) {
    pid_t process = 0;
    char* arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    if (posix_spawn(&process, program.c_str(), nullptr, nullptr, arguments, environ) != 0) {
        Log(kLogError, "cannot start %s", program.c_str());
        return 0;
    }
    return process;
}

}  // namespace zephyl
