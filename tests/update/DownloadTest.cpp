// SPDX-License-Identifier: GPL-2.0-or-later
// Downloads from a loopback HTTPS server: progress, refusals and the packages' checks.
#include "support/TempEnvironment.h"
#include "update/Download.h"
#include "update/TestServer.h"
#include "update/UpdatePackages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace zephyl {
namespace {

namespace fs = std::filesystem;
using test::TempEnvironment;
using test::TestServer;
using test::WriteFile;

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_server = std::make_unique<TestServer>(m_env.Root() / "server");
        if (!m_server->Ready()) {
            GTEST_SKIP() << m_server->Problem();
        }
        m_temp = m_env.Root() / "temp";
        fs::create_directories(m_temp);
    }

    DownloadOptions Options() const {
        DownloadOptions options;
        options.caFile = m_server->CaFile();
        options.connectTimeoutSeconds = 5;
        options.stallTimeoutSeconds = 5;
        return options;
    }

    /// The temporary folder's files, none expected after a refusal.
    std::vector<std::string> TempFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(m_temp)) {
            names.push_back(fs::relative(entry.path(), m_temp).string());
        }
        return names;
    }

    /// A package whose program writes `marker` when it runs, with its digest beside it.
    void ServePackage(const fs::path& marker, bool withDigest = true,
                      const std::string& digestOverride = {}) {
        const fs::path package = m_server->Root() / kApplicationPackage.packageName;
        ASSERT_TRUE(test::WriteZip(
            package, {{kApplicationPackage.programName,
                       "#!/bin/sh\necho ran > '" + marker.string() + "'\n", 0100755}}));
        if (withDigest) {
            WriteFile(package.string() + kDigestSuffix,
                      digestOverride.empty() ? test::Sha256Line(package) : digestOverride);
        }
    }

    TempEnvironment m_env;
    std::unique_ptr<TestServer> m_server;
    fs::path m_temp;
};

TEST_F(DownloadTest, ProgressFollowsTheBytesReceived) {
    const struct {
        const char* kind;
        std::size_t size;
        std::vector<int> progress;
    } cases[] = {
        // Without a length only the fixed steps and the end are known.
        {"nolength", 20480, {0, 2, 8, 10, 100}},
        {"files", 20480, {0, 2, 8, 10, 55, 100}},
        // A last short read ends at 100 and is not posted again.
        {"files", 25000, {0, 2, 8, 10, 46, 83, 100}},
        {"files", 0, {0, 2, 8, 10, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.size));
        std::string body(c.size, '\0');
        for (std::size_t i = 0; i < body.size(); ++i) {
            body[i] = static_cast<char>(i * 7 + 3);
        }
        WriteFile(m_server->Root() / "package.bin", body);
        Downloader downloader(Options());
        std::vector<int> seen;
        const fs::path target = m_temp / "package.bin";
        EXPECT_EQ(downloader.Download(m_server->Base(c.kind) + "package.bin", target.string(),
                                      [&seen](int p) { seen.push_back(p); }),
                  kDownloadComplete)
            << downloader.LastError();
        EXPECT_EQ(seen, c.progress);
        EXPECT_EQ(test::ReadFile(target), body);
    }
}

TEST_F(DownloadTest, RefusedAddressesLeaveNoFileAndAskNothingOfPlainHttp) {
    WriteFile(m_server->Root() / "package.bin", std::string(5000, 'x'));
    const struct {
        const char* what;
        std::string address;
        int result;
    } cases[] = {
        {"plain http", m_server->PlainBase() + "package.bin", kDownloadFailed},
        {"redirect to http", m_server->Base("to-http") + "package.bin", kDownloadFailed},
        {"missing file", m_server->Base() + "absent.bin", kDownloadFailed},
        {"redirect to https", m_server->Base("to-https") + "package.bin", kDownloadComplete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path target = m_temp / "package.bin";
        Downloader downloader(Options());
        EXPECT_EQ(downloader.Download(c.address, target.string()), c.result);
        EXPECT_EQ(fs::exists(target), c.result == kDownloadComplete);
        fs::remove(target);
    }
    // Neither the plain address nor the redirect's plain target was ever fetched.
    EXPECT_EQ(m_server->RequestLog(),
              "/to-http/package.bin\n/files/absent.bin\n/to-https/package.bin\n"
              "/files/package.bin\n");
}

TEST_F(DownloadTest, AStalledServerTimesOutAndACancelEndsTheTransfer) {
    WriteFile(m_server->Root() / "package.bin", std::string(50000, 'x'));
    DownloadOptions options = Options();
    options.stallTimeoutSeconds = 1;
    Downloader stalled(options);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(stalled.Download(m_server->Base("stall") + "package.bin",
                               (m_temp / "package.bin").string()),
              kDownloadFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));

    Downloader cancelled(Options());
    std::thread canceller([&cancelled] {
        while (!cancelled.Running()) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancelled.Cancel();
    });
    EXPECT_EQ(cancelled.Download(m_server->Base("stall") + "package.bin",
                                 (m_temp / "package.bin").string()),
              kDownloadFailed);
    canceller.join();
    EXPECT_EQ(cancelled.LastError(), "cancelled");
    EXPECT_TRUE(TempFiles().empty());

    // A stop flag ends the transfer too, and one set before the download starts keeps it from
    // starting (Cancel cannot: the download marks itself running as it starts).
    for (const int stopAfterMs : {-1, 300}) {
        SCOPED_TRACE(stopAfterMs);
        auto stop = std::make_shared<std::atomic<bool>>(stopAfterMs < 0);
        DownloadOptions stopping = Options();
        stopping.stop = stop;
        Downloader stopped(stopping);
        std::thread stopper([&stop, stopAfterMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::max(stopAfterMs, 0)));
            stop->store(true);
        });
        const auto begun = std::chrono::steady_clock::now();
        EXPECT_EQ(stopped.Download(m_server->Base("stall") + "package.bin",
                                   (m_temp / "package.bin").string()),
                  kDownloadFailed);
        stopper.join();
        EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(10));
        EXPECT_EQ(stopped.LastError(), "cancelled");
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST(DownloadLimitsTest, TimeAllowedFollowsTheBytesReceivedUnlessTheWholeIsLimited) {
    DownloadOptions sized;
    sized.sizeTimeoutBaseMs = 60000;
    sized.minAverageBytesPerSecond = 4096;
    DownloadOptions whole = sized;
    whole.totalTimeoutMs = 1500;
    const struct {
        const DownloadOptions* options;
        std::int64_t received;
        std::int64_t allowedMs;
    } cases[] = {
        {&sized, 0, 60000}, {&sized, 4096 * 10, 70000}, {&sized, 2048, 60500},
        {&whole, 0, 1500},  {&whole, 1 << 30, 1500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.received);
        EXPECT_EQ(AllowedTransferMs(*c.options, c.received), c.allowedMs);
    }

    // The manifest: a small cap and a limit of its own, kept where the options ask for less.
    const DownloadOptions manifest = ManifestDownloadOptions(DownloadOptions{});
    EXPECT_EQ(manifest.maxBytes, kManifestMaxBytes);
    EXPECT_EQ(manifest.totalTimeoutMs, kManifestTimeoutMs);
    DownloadOptions tight;
    tight.maxBytes = 100;
    tight.totalTimeoutMs = 200;
    EXPECT_EQ(ManifestDownloadOptions(tight).maxBytes, 100);
    EXPECT_EQ(ManifestDownloadOptions(tight).totalTimeoutMs, 200);
}

TEST_F(DownloadTest, ATrickleIsGivenUpWhenItsTimeRunsOut) {
    // 40 bytes at one byte every 0.2 s: 8 s, and never slow enough for the stall limit.
    WriteFile(m_server->Root() / "package.bin", std::string(40, 'x'));
    WriteFile(m_server->Root() / "large.bin", std::string(50000, 'y'));
    DownloadOptions whole = Options();
    whole.totalTimeoutMs = 1000;
    DownloadOptions sized = Options();
    sized.sizeTimeoutBaseMs = 1000;
    sized.minAverageBytesPerSecond = 1000;
    const struct {
        const char* name;
        const DownloadOptions* options;
        std::string address;
        int result;
    } cases[] = {
        {"whole-transfer limit", &whole, m_server->Base("trickle") + "package.bin",
         kDownloadFailed},
        {"limit by the bytes received", &sized, m_server->Base("trickle") + "package.bin",
         kDownloadFailed},
        {"a prompt server is given the time its size needs", &sized,
         m_server->Base("files") + "large.bin", kDownloadComplete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Downloader downloader(*c.options);
        const std::string target = (m_temp / "package.bin").string();
        EXPECT_EQ(downloader.Download(c.address, target), c.result);
        if (c.result == kDownloadFailed) {
            EXPECT_EQ(downloader.LastError(),
                      "the server sent too slowly: the time allowed ran out");
            EXPECT_TRUE(TempFiles().empty());
        } else {
            EXPECT_EQ(fs::file_size(target), 50000u);
            fs::remove(target);
        }
    }
}

TEST_F(DownloadTest, AManifestWithoutALengthIsRefusedPastItsCap) {
    WriteFile(m_server->Root() / "large.xml",
              "<latest version=\"9.9.9\"/>" + std::string(kManifestMaxBytes, ' '));
    WriteFile(m_server->Root() / "latest.xml", "<latest version=\"9.9.9\"/>");
    const struct {
        const char* name;
        int result;
    } cases[] = {{"large.xml", kDownloadFailed}, {"latest.xml", kDownloadComplete}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Downloader downloader(ManifestDownloadOptions(Options()));
        const std::string target = (m_temp / "latest.xml").string();
        EXPECT_EQ(downloader.Download(m_server->Base("nolength") + c.name, target), c.result);
        if (c.result == kDownloadComplete) {
            EXPECT_EQ(ParseManifestVersion(test::ReadFile(target)), "9.9.9");
            fs::remove(target);
        }
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST_F(DownloadTest, WithoutItsLibraryADownloadFailsAndSaysWhy) {
    WriteFile(m_server->Root() / "package.bin", "content");
    m_env.SetVariable("ZEPHYL_CURL_LIBRARY", (m_env.Root() / "libcurl-gone.so.4").string());
    Downloader downloader(Options());
    EXPECT_EQ(downloader.Download(m_server->Base("files") + "package.bin",
                                  (m_temp / "package.bin").string()),
              kDownloadNoHandle);
    EXPECT_NE(downloader.LastError().find("libcurl-gone.so.4 could not be loaded"),
              std::string::npos)
        << downloader.LastError();
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(DownloadTest, ASizeCapRefusesALargerPackage) {
    WriteFile(m_server->Root() / "package.bin", std::string(30000, 'x'));
    for (const char* kind : {"files", "nolength"}) {
        SCOPED_TRACE(kind);
        DownloadOptions options = Options();
        options.maxBytes = 20000;
        Downloader downloader(options);
        EXPECT_EQ(downloader.Download(m_server->Base(kind) + "package.bin",
                                      (m_temp / "package.bin").string()),
                  kDownloadFailed);
        EXPECT_TRUE(TempFiles().empty());
    }
}

TEST_F(DownloadTest, OnlyAPackageMatchingItsDigestIsUnpackedAndRun) {
    const fs::path marker = m_env.Root() / "marker";
    const struct {
        const char* what;
        bool withDigest;
        std::string digest;  ///< the companion's text; empty for the package's own
        std::string base;
        PackageOutcome outcome;
    } cases[] = {
        {"digest mismatch", true, std::string(64, 'a') + "  x.zip\n", m_server->Base(),
         PackageOutcome::kDigestMismatch},
        {"missing digest", false, "", m_server->Base(), PackageOutcome::kDigestMissing},
        {"unreadable digest", true, "not a digest\n", m_server->Base(),
         PackageOutcome::kDigestMissing},
        {"http address", true, "", m_server->PlainBase(), PackageOutcome::kNotSecure},
        {"redirect to http", true, "", m_server->Base("to-http"), PackageOutcome::kDownloadFailed},
        {"digest match", true, "", m_server->Base(), PackageOutcome::kReady},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_server->Root());
        fs::create_directories(m_server->Root());
        ServePackage(marker, c.withDigest, c.digest);
        Downloader downloader(Options());
        const PreparedPackage prepared =
            PreparePackage(downloader, c.base, kApplicationPackage, m_temp.string() + "/");
        EXPECT_EQ(prepared.outcome, c.outcome);
        if (prepared.outcome != PackageOutcome::kReady) {
            EXPECT_TRUE(prepared.programPath.empty());
            EXPECT_TRUE(TempFiles().empty());
            EXPECT_FALSE(fs::exists(marker));
            continue;
        }
        // Only the unpacked program is left, and it runs.
        EXPECT_EQ(TempFiles(),
                  (std::vector<std::string>{"Keyboard-Software-Setup",
                                            "Keyboard-Software-Setup/Keyboard-Software-Setup"}));
        const int process = StartProgram(prepared.programPath);
        ASSERT_GT(process, 0);
        int status = 0;
        waitpid(process, &status, 0);
        EXPECT_EQ(test::ReadFile(marker), "ran\n");
    }
}

TEST_F(DownloadTest, APackageThatWouldWriteOutsideIsNotRun) {
    const fs::path marker = m_env.Root() / "marker";
    const fs::path package = m_server->Root() / kApplicationPackage.packageName;
    ASSERT_TRUE(test::WriteZip(package, {{kApplicationPackage.programName,
                                          "#!/bin/sh\ntouch '" + marker.string() + "'\n", 0100755},
                                         {"../escaped", "x"}}));
    WriteFile(package.string() + kDigestSuffix, test::Sha256Line(package));
    Downloader downloader(Options());
    const PreparedPackage prepared =
        PreparePackage(downloader, m_server->Base(), kApplicationPackage, m_temp.string() + "/");
    EXPECT_EQ(prepared.outcome, PackageOutcome::kUnpackRefused);
    EXPECT_TRUE(prepared.programPath.empty());
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_FALSE(fs::exists(m_env.Root() / "escaped"));
}

TEST_F(DownloadTest, AMalformedPackageSaysWhatIsWrongWithIt) {
    const std::string program = kApplicationPackage.programName;
    constexpr unsigned kLink = 0120777;
    const struct {
        const char* what;
        std::vector<test::ZipEntry> entries;  ///< empty: the package is no archive at all
        PackageOutcome outcome;
    } cases[] = {
        {"no archive", {}, PackageOutcome::kNotAnArchive},
        {"program missing", {{"readme.txt", "hello"}}, PackageOutcome::kProgramMissing},
        {"program is a folder",
         {{program + "/", "", 040755}, {program + "/x", "x"}},
         PackageOutcome::kProgramNotAFile},
        {"program is a link",
         {{"real", "#!/bin/sh\n", 0100755}, {program, "real", kLink}},
         PackageOutcome::kProgramIsLink},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path package = m_server->Root() / kApplicationPackage.packageName;
        fs::remove(package);
        if (c.entries.empty()) {
            WriteFile(package, "not a zip archive");
        } else {
            ASSERT_TRUE(test::WriteZip(package, c.entries));
        }
        WriteFile(package.string() + kDigestSuffix, test::Sha256Line(package));
        Downloader downloader(Options());
        const PreparedPackage prepared = PreparePackage(downloader, m_server->Base(),
                                                        kApplicationPackage, m_temp.string() + "/");
        EXPECT_EQ(prepared.outcome, c.outcome);
        EXPECT_TRUE(prepared.programPath.empty());
        EXPECT_TRUE(TempFiles().empty());
        // Each says its own reason, none of them that the download failed.
        EXPECT_NE(PackageOutcomeText(prepared.outcome),
                  PackageOutcomeText(PackageOutcome::kDownloadFailed));
    }
}

}  // namespace
}  // namespace zephyl
