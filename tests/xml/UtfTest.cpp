// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/Utf.h"

#include <gtest/gtest.h>

#include <string>

namespace zephyl {
namespace {

struct Utf8Case {
    const char* label;
    std::string utf8;
    std::u16string utf16;
};

TEST(Utf, Utf8ToUtf16DecodesAndReplacesEachBadSequence) {
    const Utf8Case cases[] = {
        {"ascii", "key", u"key"},
        {"two three four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"\u00E9\u20AC\U0001F600"},
        {"stray continuation", "a\x80z", u"a\uFFFDz"},
        {"truncated at end", "a\xE2\x82", u"a\uFFFD"},
        {"truncated before ascii", "\xE2\x82z", u"\uFFFDz"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"overlong three byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"invalid lead bytes", "\xF8\xFF", u"\uFFFD\uFFFD"},
        {"embedded zero", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"empty", "", u""},
    };
    for (const Utf8Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.label;
    }
}

TEST(Utf, LongAsciiRunsWidenAroundEveryOtherByte) {
    // ASCII is widened in runs; a sequence anywhere in or after a run, cut or whole, still decodes
    // as it would alone.
    const std::string run(40, 'x');
    const std::u16string wide(40, u'x');
    for (size_t at = 0; at <= run.size(); ++at) {
        SCOPED_TRACE(at);
        EXPECT_EQ(Utf8ToUtf16(run.substr(0, at) + "\xC3\xA9" + run.substr(at)),
                  wide.substr(0, at) + u"\u00E9" + wide.substr(at));
        EXPECT_EQ(Utf8ToUtf16(run.substr(0, at) + "\xE2\x82"), wide.substr(0, at) + u"\uFFFD");
        EXPECT_EQ(Utf8ToUtf16(run.substr(0, at) + std::string(1, '\0') + run.substr(at)),
                  wide.substr(0, at) + std::u16string(1, u'\0') + wide.substr(at));
    }
}

TEST(Utf, Utf16ToUtf8EncodesPairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"\u00E9\u20AC\U0001F600"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD83D))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDE00), u'a'}),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xD83D), u'a'}),
              "\xEF\xBF\xBD"
              "a");
}

TEST(Utf, EveryCodePointSurvivesARoundTrip) {
    for (char32_t cp = 1; cp <= 0x10FFFF; cp += (cp < 0x3000 ? 1 : 97)) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        std::u16string one;
        if (cp >= 0x10000) {
            one = {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                   static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
        } else {
            one = {static_cast<char16_t>(cp)};
        }
        ASSERT_EQ(Utf8ToUtf16(Utf16ToUtf8(one)), one) << static_cast<uint32_t>(cp);
    }
}

}  // namespace
}  // namespace zephyl
