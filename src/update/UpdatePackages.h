// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "update/Download.h"
#include "update/Unpack.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace zephyl {

/// A package the program fetches, and the program inside it that is run.
struct PackageNames {
    const char* packageName;
    const char* programName;
};

inline constexpr PackageNames kApplicationPackage{"Keyboard-Software-Setup.zip",
                                                  "Keyboard-Software-Setup"};
inline constexpr PackageNames kFirmwarePackage{"FirmwareUpdateTool.zip", "FirmwareUpdateTool"};

/// Suffix of the companion file that holds a package's SHA-256.
inline constexpr const char* kDigestSuffix = ".sha256";
/// The manifest beside the application package that names the newest version.
inline constexpr const char* kManifestName = "latest.xml";

/// Why an update did not reach the point of running its program. The values are the language
/// texts that tell the user.
enum class PackageOutcome : int {
    kReady = 0,
    kDownloadFailed = 940,
    kDigestMissing = 941,
    kDigestMismatch = 942,
    kUnpackRefused = 943,
    kFromDistribution = 944,
    kCheckFailed = 946,
    kCancelled = 947,
    kNoFirmwareTool = 948,
    kNotSecure = 949,
    kNotAnArchive = 1040,
    kUnpackFailed = 1041,
    kUnpackTooLarge = 1042,
    kProgramMissing = 1043,
    kProgramIsLink = 1044,
    kProgramNotAFile = 1045,
    kToolOutsideFolder = 1046,
};

struct PreparedPackage {
    PackageOutcome outcome = PackageOutcome::kDownloadFailed;
    std::string programPath;  ///< the checked, unpacked program when ready
};

/// Fetches `baseAddress` + the package name and its `.sha256` companion into `tempFolder`,
/// checks the digest, unpacks the package into its own sub-folder of `tempFolder` and gives the
/// path of the program in it. Nothing of a refused package is left to run: its archive is
/// deleted, and so is its sub-folder unless the package was checked and unpacked whole.
PreparedPackage PreparePackage(Downloader& downloader, const std::string& baseAddress,
                               const PackageNames& names, const std::string& tempFolder,
                               const Downloader::ProgressFunction& progress = {});

/// What an unpack result means for the update.
PackageOutcome UnpackOutcome(UnpackResult result);

/// Whether what the package unpacked under the program's name can be run: `status` as lstat
/// gives it, null when there is nothing of that name.
PackageOutcome ProgramOutcome(const struct stat* status);

/// Compares dotted version numbers ("0.10.2" > "0.9"); missing parts count as 0, and reading
/// a part stops at its first non-digit. Negative, 0 or positive as strcmp.
int CompareVersions(const std::string& left, const std::string& right);

/// The manifest names one version in a few hundred bytes: a larger answer, with or without a
/// length, is no manifest, and fetching it may take a short while only.
inline constexpr std::int64_t kManifestMaxBytes = 64 * 1024;
inline constexpr long kManifestTimeoutMs = 30000;

/// `options` for fetching the manifest: its size cap and whole-transfer time limit, kept where
/// `options` already asks for less.
DownloadOptions ManifestDownloadOptions(DownloadOptions options);

/// The version the manifest text names (`<latest version="…"/>`); empty when it names none.
std::string ParseManifestVersion(const std::string& text);

/// Whether the program in `resourceFolder` was installed by the system's package manager, which
/// then owns its updates: the data lies below /usr/share (not /usr/local), or the package
/// recipe left a `distribution-package` marker there.
bool InstalledByDistribution(const std::string& resourceFolder);

/// The user's text for an outcome, in the current language.
std::string PackageOutcomeText(PackageOutcome outcome);

/// Starts `program` with no arguments as a process of its own; its id, or 0.
int StartProgram(const std::string& program);

}  // namespace zephyl
