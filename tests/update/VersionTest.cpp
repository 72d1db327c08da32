// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/TempEnvironment.h"
#include "update/Digest.h"
#include "update/Download.h"
#include "update/UpdatePackages.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

TEST(VersionTest, DottedVersionsCompareByNumber) {
    const struct {
        const char* left;
        const char* right;
        int order;
    } cases[] = {
        {"0.1.0", "0.1.0", 0}, {"0.1", "0.1.0", 0},        {"0.9", "0.10", -1},
        {"1.0", "0.99.9", 1},  {"1.2.3-rc1", "1.2.4", -1}, {"", "0.0.1", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.left) + " vs " + c.right);
        const int order = CompareVersions(c.left, c.right);
        EXPECT_EQ((order > 0) - (order < 0), c.order);
        const int reverse = CompareVersions(c.right, c.left);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.order);
    }
}

TEST(VersionTest, ManifestDigestAndAddressTexts) {
    EXPECT_EQ(ParseManifestVersion("<?xml version=\"1.0\"?>\n<latest version=\"0.2.1\"/>\n"),
              "0.2.1");
    EXPECT_EQ(ParseManifestVersion("<latest/>"), "");
    EXPECT_EQ(ParseManifestVersion("<html>not found</html>"), "");

    const std::string digest(64, 'A');
    EXPECT_EQ(ParseSha256File(digest + "  package.zip\n"), std::string(64, 'a'));
    EXPECT_EQ(ParseSha256File("\n" + digest), std::string(64, 'a'));
    EXPECT_EQ(ParseSha256File(digest.substr(1)), "");
    EXPECT_EQ(ParseSha256File(std::string(63, 'a') + "g"), "");

    EXPECT_TRUE(IsSecureAddress("https://example.invalid/x.zip"));
    EXPECT_TRUE(IsSecureAddress("HTTPS://example.invalid/"));
    EXPECT_FALSE(IsSecureAddress("http://example.invalid/x.zip"));
    EXPECT_FALSE(IsSecureAddress("Keyboard-Software-Setup.zip"));
    EXPECT_FALSE(IsSecureAddress("https:///x.zip"));
    EXPECT_FALSE(IsSecureAddress("file:///etc/passwd"));
}

TEST(VersionTest, DistributionInstallsAreRecognised) {
    test::TempEnvironment env;
    EXPECT_TRUE(InstalledByDistribution("/usr/share/zephyl-keyboard-driver/"));
    EXPECT_FALSE(InstalledByDistribution("/usr/local/share/zephyl-keyboard-driver/"));
    const std::string folder = env.Root().string() + "/";
    EXPECT_FALSE(InstalledByDistribution(folder));
    test::WriteFile(env.Root() / "distribution-package", "");
    EXPECT_TRUE(InstalledByDistribution(folder));
}

TEST(VersionTest, ADigestIsTheFilesSha256) {
    test::TempEnvironment env;
    test::WriteFile(env.Root() / "abc", "abc");
    EXPECT_EQ(FileSha256((env.Root() / "abc").string()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(FileSha256((env.Root() / "missing").string()), "");
}

}  // namespace
}  // namespace zephyl
