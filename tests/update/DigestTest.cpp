// SPDX-License-Identifier: GPL-2.0-or-later
// The package digest.
#include "support/TempEnvironment.h"
#include "update/Digest.h"

#include <gtest/gtest.h>

#include <string>

namespace zephyl {
namespace {

std::string Digest(const std::string& text) {
    Sha256 digest;
    digest.Update(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return digest.HexDigest();
}

TEST(DigestTest, KnownDigestsAcrossThePaddingBoundaries) {
    const struct {
        std::string input;
        const char* digest;
    } cases[] = {
        // The standard's examples.
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrl"
         "m"
         "nopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        // Where the length field fits in the last block, just does not, and block edges.
        {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
        {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
        {std::string(63, 'x'), "75220b47218278e656f2013bb8f0c455a25eaf01e86c64924e9d48d89776d6f2"},
        {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
        {std::string(65, 'x'), "9537c5fdf120482f7d58d25e9ed583f52c02b4e304ea814db1633ad565aed7e9"},
        {std::string(119, 'x'), "000b48d4edf0fa7bee3c6236ecd2785baa5db4eeb8bb54341b029e0d9fa5fb0c"},
        {std::string(120, 'x'), "13f05a0b594787f5ecd315edc96141bd3243203d1b7d4f0836f37308b276ba98"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.size());
        EXPECT_EQ(Digest(c.input), c.digest);
    }
}

TEST(DigestTest, AFileLargerThanOneReadAndOneThatCannotBeRead) {
    test::TempEnvironment environment;
    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = char((i * 7 + 3) % 251);
    }
    const auto path = environment.Root() / "package.zip";
    test::WriteFile(path, content);
    EXPECT_EQ(FileSha256(path.string()),
              "d2979f63fc353288130be1837d34f088e378e76c5baa67b8a6077c950db3c286");
    EXPECT_EQ(FileSha256((environment.Root() / "missing.zip").string()), "");
}

}  // namespace
}  // namespace zephyl
