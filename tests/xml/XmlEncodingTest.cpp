// SPDX-License-Identifier: GPL-2.0-or-later
#include "xml/XmlEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace zephyl::xml {
namespace {

TEST(XmlEncoding, NamesMapToCodePagesIgnoringLetterCase) {
    const struct {
        std::string name;
        int codePage;
    } cases[] = {
        {"utf-8", 65001},
        {"UTF8", 65001},
        {"Unicode-1-1-UTF-8", 65001},
        {"utf-16", 1200},
        {"UTF-16LE", 1200},
        {"unicode", 1200},
        {"UCS-2", 1200},
        {"utf-16be", 1201},
        {"unicodeFFFE", 1201},
        {"US-ASCII", 20127},
        {"ascii", 20127},
        {"ISO-8859-1", 28591},
        {"Latin1", 28591},
        {"windows-1252", 1252},
        {"Windows-1251", 1251},
        {"Shift_JIS", 932},
        {"sjis", 932},
        {"gb2312", 936},
        {"GBK", 936},
        {"gb18030", 54936},
        {"ks_c_5601-1987", 949},
        {"EUC-KR", 51949},
        {"euc-jp", 51932},
        {"Big5", 950},
        {"koi8-r", 20866},
        {"KOI8-U", 21866},
        {"cp866", 866},
        {"ibm866", 866},
        {"iso-8859-15", 28605},
        {"UTF-32", 12000},
        {"UTF-32BE", 12001},
        {"UTF-32 whatever", 12000},
        {"utf-32 whatever", 0},  // the prefix rule takes exactly upper-case "UTF-32"
        {"", 0},
        {"x-bogus", 0},
        {"utf-8 ", 0},
        {"UTF-32" + std::string(93, 'x'), 12000},  // 99 characters
        {"UTF-32" + std::string(94, 'x'), 0},      // 100 characters: not looked up
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodePageFromName(c.name), c.codePage) << c.name;
    }
}

TEST(XmlEncoding, Utf8TestFollowsLeadBytesAndTopBits) {
    const struct {
        std::string bytes;
        bool utf8;
    } cases[] = {
        {"", true},
        {"plain <a/>", true},
        {"caf\xC3\xA9", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xE2\x82\xAC!", true},
        {"\xC3\xC3", true},  // the second bit of a following byte is not looked at
        {"caf\xE9t", false},
        {"\xC3", false},
        {"\xE2\x82", false},
        {"\x80", false},
        {"\xF8\x80\x80\x80\x80", false},
        {"\xFF", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LooksLikeUtf8(c.bytes), c.utf8) << c.bytes;
    }
}

TEST(XmlEncoding, DeclaredEncodingFromXmlDeclarationOrHtmlMeta) {
    const struct {
        std::u16string text;
        std::string encoding;
    } cases[] = {
        {u"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>", "ISO-8859-1"},
        {u"<?XML encoding='koi8-r' ?>", "koi8-r"},
        {u"<?xml version=\"1.0\"?><a/>", ""},
        {u"<?xml-stylesheet encoding=\"x\"?><a/>", ""},
        {u" <?xml encoding=\"x\"?><a/>", ""},
        {u"<?xml encoding=\"cut off", "cut off"},
        {u"<!DOCTYPE html><!-- <x> --><html><head><meta http-equiv=\"Content-Type\" "
         u"content=\"text/html; charset=windows-1251\"></head>",
         "windows-1251"},
        {u"<HTML><HEAD><META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html;charset=Shift_JIS\"/>",
         "Shift_JIS"},
        {u"<html><head><meta charset=\"utf-8\"><title/>", "utf-8"},
        {u"<html><head></head><body><meta charset=\"koi8-r\">", ""},
        {u"<html><head><meta name=\"x\" content=\"text/html; charset=koi8-r\">", ""},
        {u"<root><meta charset=\"koi8-r\"/></root>", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindDeclaredEncoding(c.text), c.encoding);
    }
}

TEST(XmlEncoding, DecodesCodePagesAndReplacesMalformedBytes) {
    const struct {
        int codePage;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {1252, "\x80\xE9", u"\u20AC\u00E9"},
        {28591, "\x80\xE9", u"\u0080\u00E9"},
        {1251, "\xC0", u"\u0410"},
        {20866, "\xC1", u"\u0430"},
        {866, "\xA0", u"\u0430"},
        {932, "\x82\xA0", u"\u3042"},
        {51932, "\xA4\xA2", u"\u3042"},
        {936, "\xC4\xE3", u"\u4F60"},
        {950, "\xA7\x41", u"\u4F60"},
        {51949, "\xB0\xA1", u"\uAC00"},
        {65001, "\xC3\xA9\xFF", u"\u00E9\uFFFD"},
        {932, "a\x82", u"a\uFFFD"},      // cut off inside a character
        {51932, "\xA4 x", u"\uFFFD x"},  // not a valid second byte
        {20127, "a\xE9z", u"a\uFFFDz"},
        {1200, "\xC3\xA9", u"\u00E9"},  // a wide code page on bytes reads as UTF-8
        {99999, "\x80", u"\u20AC"},     // unknown: the default 8-bit code page
        {57002, "\x80", u"\u20AC"},     // known, but no converter here
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeBytes(c.bytes, c.codePage), c.text) << c.codePage;
    }
}

TEST(XmlEncoding, EncodesAndNotesLostCharacters) {
    const struct {
        int codePage;
        std::u16string text;
        std::string bytes;
        bool lossy;
    } cases[] = {
        {1252, u"\u00E9\u20AC", "\xE9\x80", false},
        {1252, u"a\u3042b", "a?b", true},
        {1252, u"\U0001F600", "?", true},
        {1252, std::u16string{u'a', char16_t(0xD800), u'b'}, "a?b", true},
        {1252, std::u16string{u'a', char16_t(0xD800)}, "a?", true},
        {20866, u"\u0430", "\xC1", false},
        {932, u"\u3042", "\x82\xA0", false},
        {50220, u"\u3042", "\x1B$B$\"\x1B(B", false},
        {28591, u"\u20AC", "?", true},
        {65001, u"\u00E9", "\xC3\xA9", false},
    };
    for (const auto& c : cases) {
        bool lossy = false;
        EXPECT_EQ(EncodeText(c.text, c.codePage, lossy), c.bytes) << c.codePage;
        EXPECT_EQ(lossy, c.lossy) << c.codePage;
    }
}

}  // namespace
}  // namespace zephyl::xml
