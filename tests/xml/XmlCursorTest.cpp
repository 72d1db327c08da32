// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "XmlTestSupport.h"
#include "xml/XmlDocument.h"
#include "xml/XmlEntities.h"

namespace zephyl {
namespace {

using test::Outline;

constexpr std::string_view kLanguages =
    "<?xml version=\"1.0\"?>\r\n"
    "<config>\r\n"
    "  <software name=\"Zephyl\"/>\r\n"
    "  <languages>\r\n"
    "    <lan id=\"1033\"/>\r\n"
    "    <other/>\r\n"
    "    <lan id=\"2052\"/>\r\n"
    "    <lan id=\"1031\"></lan>\r\n"
    "  </languages>\r\n"
    "  <empty></empty>\r\n"
    "</config>\r\n";

TEST(XmlCursor, FindElementVisitsEachSiblingOnceAndStaysOnTheLast) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(kLanguages));
    ASSERT_TRUE(doc.FindElement("config"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement("languages"));
    ASSERT_TRUE(doc.EnterElement());
    std::string ids;
    while (doc.FindElement("lan"))
        ids += doc.GetAttribute("id") + ";";
    EXPECT_EQ(ids, "1033;2052;1031;");
    EXPECT_EQ(doc.GetAttribute("id"), "1031");
    EXPECT_FALSE(doc.FindElement("lan"));
    EXPECT_EQ(doc.GetAttribute("id"), "1031");
}

TEST(XmlCursor, SearchesOnlyForwardAmongSiblings) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(kLanguages));
    ASSERT_TRUE(doc.FindElement("config"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement("languages"));
    EXPECT_FALSE(doc.FindElement("software"));  // stands before the current element
    EXPECT_FALSE(doc.FindElement("lan"));       // not a sibling
    EXPECT_TRUE(doc.FindElement("empty"));
}

TEST(XmlCursor, EnterAndLeaveAnElementWithoutChildren) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(kLanguages));
    ASSERT_TRUE(doc.FindElement("config"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement("software"));
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_FALSE(doc.FindElement("lan"));
    EXPECT_FALSE(doc.FindAnyElement());
    EXPECT_EQ(doc.GetAttribute("name"), "");  // no current element inside
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetTagName(), "software");
    EXPECT_EQ(doc.GetAttribute("name"), "Zephyl");
    // The walk goes on from the element just left.
    EXPECT_TRUE(doc.FindElement("languages"));
}

TEST(XmlCursor, EnteringAgainReturnsToTheChildLeftFrom) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(kLanguages));
    ASSERT_TRUE(doc.FindElement("config"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement("languages"));
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetTagName(), "config");
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_EQ(doc.GetTagName(), "languages");
    EXPECT_TRUE(doc.FindElement("empty"));
}

TEST(XmlCursor, FailedMovesLeaveTheCursorWhereItWas) {
    XmlDocument doc;
    EXPECT_FALSE(doc.FindElement("config"));  // empty document
    EXPECT_FALSE(doc.EnterElement());
    EXPECT_FALSE(doc.LeaveElement());
    ASSERT_TRUE(doc.SetText(kLanguages));
    EXPECT_FALSE(doc.EnterElement());  // no current element yet
    EXPECT_FALSE(doc.LeaveElement());  // already at the top
    EXPECT_FALSE(doc.FindElement("Config"));
    ASSERT_TRUE(doc.FindElement("config"));
    EXPECT_FALSE(doc.LeaveElement());
    EXPECT_FALSE(doc.FindElement("config"));
    EXPECT_EQ(doc.GetTagName(), "config");
}

TEST(XmlCursor, LetterCaseIsIgnoredOnlyWithTheFlag) {
    XmlDocument doc;
    doc.SetFlags(XmlDocument::kFlagIgnoreCase);
    ASSERT_TRUE(doc.SetText("<Config><LAN ID=\"7\"></lan></config>"));
    ASSERT_TRUE(doc.FindElement("config"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement("lan"));
    EXPECT_EQ(doc.GetAttribute("id"), "7");

    XmlDocument exact;
    EXPECT_FALSE(exact.SetText("<Config><LAN ID=\"7\"></lan></config>"));
}

TEST(XmlCursor, TagNamesEndAtTheirDelimiters) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText("<r><key;x a=\"1\"/><key\tb=\"2\"/><keys c=\"3\"/></r>"));
    ASSERT_TRUE(doc.FindElement("r"));
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_EQ(Outline(doc), "key,key,keys");
}

TEST(XmlCursor, GetAttributeReadsValuesAndDecodesEntities) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(
        "<e v=\"plain\" v1=\"a&amp;lt;b\" v2=\"&#65;&#x42;&#X43;\" v3=\"&#0;\" v4=\"&bogus;\"\r\n"
        "\tsingle='it&apos;s' bare=x/y spaced = \"s\" flag gt=\"a>b\"\n"
        " named=\"&eacute;&Eacute;&euro;&nbsp;&thetasym;&quot;\" astral=\"&#x1F600;&#128512;\"\n"
        " big=\"&#1114112;&#x110000;\" open=\"&amp\" wide=\"&\xC3\xA9;\" nine=\"&#00000065;\"\n"
        " ten=\"&#000000065;\" cased=\"&Agrave;&agrave;&AGRAVE;\" bad=\"&#x;&#;&#1a;&;\"\n"
        " empty=\"\" unclosed=\"a&b\"/>"));
    ASSERT_TRUE(doc.FindElement("e"));
    const struct {
        const char* name;
        std::string expected;
    } cases[] = {
        {"missing", ""},
        {"v", "plain"},
        {"v1", "a&lt;b"},
        {"v2", "ABC"},
        {"v3", "&#0;"},
        {"v4", "&bogus;"},
        {"single", "it's"},
        {"bare", "x/y"},
        {"spaced", "s"},
        {"flag", ""},
        {"gt", "a>b"},
        {"named", "\xC3\xA9\xC3\x89\xE2\x82\xAC\xC2\xA0\xCF\x91\""},
        {"astral", "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"},
        {"big", "&#1114112;&#x110000;"},
        {"open", "&amp"},
        {"wide", "&\xC3\xA9;"},
        {"nine", "A"},
        {"ten", "&#000000065;"},
        {"cased", "\xC3\x80\xC3\xA0&AGRAVE;"},
        {"bad", "&#x;&#;&#1a;&;"},
        {"empty", ""},
        {"unclosed", "a&b"},
        {"V", ""},
        {"v1x", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(doc.GetAttribute(c.name), c.expected) << c.name;
    }
}

TEST(XmlEntities, TableHoldsEveryHtml4EntityWithItsCodePoint) {
    EXPECT_EQ(xml::NamedEntityCount(), 253u);
    const struct {
        const char16_t* name;
        char32_t codePoint;
    } cases[] = {
        {u"lt", 60},     {u"gt", 62},        {u"amp", 38},       {u"quot", 34},
        {u"apos", 39},   {u"nbsp", 160},     {u"yuml", 255},     {u"Yuml", 376},
        {u"fnof", 402},  {u"thetasym", 977}, {u"alefsym", 8501}, {u"diams", 9830},
        {u"zwj", 8205},  {u"euro", 8364},    {u"lArr", 8656},    {u"larr", 8592},
        {u"Sigma", 931}, {u"sigmaf", 962},   {u"image", 8465},   {u"weierp", 8472},
        {u"AGRAVE", 0},  {u"ampx", 0},       {u"", 0},           {u"thetasyms", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xml::LookupEntity(c.name), c.codePoint);
    }
}

}  // namespace
}  // namespace zephyl
