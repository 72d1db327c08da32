// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XmlTestSupport.h"
#include "xml/ElementIndex.h"
#include "xml/XmlDocument.h"

namespace zephyl {
namespace {

using test::LogHas;
using test::Outline;

struct IndexCase {
    const char* text;
    bool wellFormed;
    std::vector<std::string> records;  // log records expected
    const char* outline;               // element structure that results
};

TEST(XmlIndex, WellFormednessAndTheRecordsLogged) {
    const IndexCase cases[] = {
        {"", false, {"no_root_element"}, ""},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n", false, {"no_root_element"}, ""},
        {"<a/><b/>", false, {"root_has_sibling"}, "a,b"},
        {"<a><b></a>", false, {"unended_start_tag"}, "a(b)"},
        {"<a></b></a>", false, {"lone_end_tag"}, "a"},
        {"</a><a/>", false, {"lone_end_tag"}, "a"},
        {"<a>", false, {"unended_start_tag"}, "a"},
        {"<a x=\"1>2\" y='/>'>text &amp; more<b/></a>", true, {}, "a(b)"},
        {"<a><!-- <b> --><![CDATA[<c>]]><?pi <d>?><e/></a>", true, {}, "a(e)"},
        {"<!DOCTYPE a [<!ELEMENT a ANY><!ATTLIST a x CDATA \"1>\"><!ENTITY e \"v\">"
         "<!NOTATION n SYSTEM \"n\"><!-- <x> -->]><a/>",
         true,
         {},
         "a"},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\" \"x>y.dtd\"><html/>",
         true,
         {},
         "html"},
        {"<!DOCTYPE a [<!X>]><a/>", false, {"doctype_tag_syntax"}, "a"},
        {"<a>< b/><1/></a>", false, {"first_tag_syntax"}, "a"},
        {"<{x/>", true, {}, "{x"},
        {"<!x><a/>", false, {"exclamation_tag_syntax"}, "a"},
        {"<!-x--><a/>", false, {"comment_tag_syntax"}, "a"},
        {"<![X[ ]]><a/>", false, {"cdata_section_syntax"}, "a"},
        {"<a/><", false, {"unterminated_tag_syntax"}, "a"},
        {"<a><b", false, {"unterminated_tag_syntax", "unended_start_tag"}, "a"},
        {"<a></a", false, {"unterminated_tag_syntax", "unended_start_tag"}, "a"},
        {"<a/><!-- x", false, {"unterminated_tag_syntax"}, "a"},
        {"<a/><?pi", false, {"unterminated_tag_syntax"}, "a"},
        {"<a/><![CDATA[x", false, {"unterminated_tag_syntax"}, "a"},
        {"<!DOCTYPE a [<!ELEMENT a ANY>",
         false,
         {"unterminated_tag_syntax", "no_root_element"},
         ""},
        {"<a b=\"x/>", false, {"unterminated_tag_syntax", "no_root_element"}, ""},
        // Elements that are never closed keep only their start tags; what they held follows them.
        {"<r><a><b/><c/></r>", false, {"unended_start_tag"}, "r(a,b,c)"},
        {"<r><a><b><c/></r>", false, {"unended_start_tag"}, "r(a,b,c)"},
        {"<r><x><a><b><c/></a></r>", false, {"unended_start_tag"}, "r(x,a(b,c))"},
        {"<a><b><c/>", false, {"unended_start_tag", "root_has_sibling"}, "a,b,c"},
        {"<r><a><b></a><c/></r>", false, {"unended_start_tag"}, "r(a(b),c)"},
    };
    for (const IndexCase& c : cases) {
        XmlDocument doc;
        EXPECT_EQ(doc.SetText(c.text), c.wellFormed) << c.text << "\n" << doc.ResultLog();
        for (const std::string& record : c.records) {
            EXPECT_TRUE(LogHas(doc, record))
                << c.text << " lacks " << record << ": " << doc.ResultLog();
        }
        if (c.records.empty()) {
            EXPECT_EQ(doc.ResultLog(), "") << c.text;
        }
        EXPECT_EQ(Outline(doc), c.outline) << c.text;
    }
}

TEST(XmlIndex, LogRecordsCarryTheirAttributes) {
    XmlDocument doc;
    EXPECT_FALSE(doc.SetText("<r>\r\n<a><b></a></c></r><!-- x"));
    EXPECT_EQ(doc.ResultLog(),
              "<unended_start_tag tagname=\"b\" offset=\"8\" offset2=\"11\"/>"
              "<lone_end_tag tagname=\"c\" offset=\"15\"/>"
              "<unterminated_tag_syntax type=\"comment\" offset=\"23\"/>");
    // SetText starts the log afresh.
    EXPECT_TRUE(doc.SetText("<r/>"));
    EXPECT_EQ(doc.ResultLog(), "");
}

TEST(XmlIndex, LogStopsTakingRecordsAtAThousandCharacters) {
    std::string text = "<r>";
    for (int i = 0; i < 2000; ++i)
        text += "</x>";
    text += "</r>";
    XmlDocument doc;
    EXPECT_FALSE(doc.SetText(text));
    const std::string log = doc.ResultLog();
    EXPECT_GE(log.size(), 1000u);
    EXPECT_LT(log.size(), 1100u);
}

TEST(XmlIndex, NestingUpToTheLevelLimitIsKept) {
    constexpr int kLimit = 65535;
    std::string text;
    for (int i = 0; i < kLimit; ++i)
        text += "<d>";
    text += "<leaf v=\"deep\"/>";  // one level too deep: passed over
    for (int i = 0; i < kLimit; ++i)
        text += "</d>";
    XmlDocument doc;
    EXPECT_FALSE(doc.SetText(text));
    EXPECT_TRUE(LogHas(doc, "nesting_limit")) << doc.ResultLog();
    int depth = 0;
    while (doc.FindElement("d") && doc.EnterElement())
        ++depth;
    EXPECT_EQ(depth, kLimit);
    EXPECT_FALSE(doc.FindElement("leaf"));

    text.replace(text.find("<leaf"), 16, "");
    EXPECT_TRUE(doc.SetText(text)) << doc.ResultLog();
}

TEST(XmlIndex, DeeperNestingIsIllFormedButSafe) {
    std::string text;
    for (int i = 0; i < 70000; ++i)
        text += "<d>";
    for (int i = 0; i < 70000; ++i)
        text += "</d>";
    XmlDocument doc;
    EXPECT_FALSE(doc.SetText(text));
    EXPECT_TRUE(LogHas(doc, "nesting_limit"));
    EXPECT_TRUE(doc.FindElement("d"));
}

TEST(XmlIndex, TagLengthsAtAndPastTheirLimits) {
    constexpr size_t kMaxStartTag = 4194303;
    const std::string head = "<a v=\"";
    const std::string tail = "\"/>";
    const std::string fits(kMaxStartTag - head.size() - tail.size(), 'x');
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(head + fits + tail)) << doc.ResultLog();
    ASSERT_TRUE(doc.FindElement("a"));
    EXPECT_EQ(doc.GetAttribute("v").size(), fits.size());
    // The attribute cannot grow past the limit either.
    EXPECT_FALSE(doc.SetAttribute("w", "1"));
    EXPECT_EQ(doc.GetAttribute("w"), "");

    EXPECT_FALSE(doc.SetText(head + fits + "x" + tail));
    EXPECT_TRUE(LogHas(doc, "tag_length_limit")) << doc.ResultLog();
    EXPECT_FALSE(doc.FindElement("a"));

    const std::string endTagFits = "<a></a" + std::string(1019, ' ') + ">";
    EXPECT_TRUE(doc.SetText(endTagFits)) << doc.ResultLog();
    const std::string endTagTooLong = "<a></a" + std::string(1020, ' ') + ">";
    EXPECT_FALSE(doc.SetText(endTagTooLong));
    EXPECT_TRUE(LogHas(doc, "tag_length_limit"));
    EXPECT_TRUE(LogHas(doc, "unended_start_tag"));
}

TEST(XmlIndex, RecordsSpanSeveralPages) {
    constexpr int kCount = 140000;  // more than two pages of 65,536 records
    std::string text = "<r>";
    for (int i = 0; i < kCount; ++i)
        text += "<k i=\"" + std::to_string(i) + "\"/>";
    text += "</r>";
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(text));
    ASSERT_TRUE(doc.FindElement("r"));
    ASSERT_TRUE(doc.EnterElement());
    int seen = 0;
    bool inOrder = true;
    while (doc.FindElement("k")) {
        inOrder = inOrder && doc.GetAttribute("i") == std::to_string(seen);
        ++seen;
    }
    EXPECT_EQ(seen, kCount);
    EXPECT_TRUE(inOrder);
    // The index keeps growing while elements are added.
    for (int i = 0; i < 70000; ++i)
        ASSERT_TRUE(doc.AddElement("n"));
    EXPECT_TRUE(doc.SetAttribute("last", "yes"));
    EXPECT_EQ(doc.GetAttribute("last"), "yes");
}

TEST(ElementIndex, SizedByTextLengthGrowsByHalfAndKeepsRecordsAcrossPages) {
    xml::ElementIndex index;
    index.Reset(6400);
    EXPECT_EQ(index.Capacity(), 6400 / 64 + 8);
    EXPECT_EQ(index.Count(), 1);
    EXPECT_EQ(index[0].length, 6400);
    while (index.Count() < index.Capacity())
        index.Append();
    index.Append();
    EXPECT_EQ(index.Capacity(), 108 + 54);

    index.Reset(0);
    constexpr int32_t kRecords = 3 * xml::ElementIndex::kPageSize + 17;
    for (int32_t n = 1; n < kRecords; ++n) {
        const int32_t record = index.Append();
        ASSERT_EQ(record, n);
        index[record].start = n;
        index[record].SetTagLengths(static_cast<uint32_t>(n) & 0x3FFFFF, 1023);
        index[record].SetLevel(static_cast<uint32_t>(n));
        index[record].SetFlag(xml::ElementRecord::kNotEnded);
    }
    bool intact = true;
    for (int32_t n = 1; n < kRecords; ++n) {
        const xml::ElementRecord& record = index[n];
        intact = intact && record.start == n &&
                 record.StartTagLength() == (static_cast<uint32_t>(n) & 0x3FFFFF) &&
                 record.EndTagLength() == 1023 && record.Level() == (n & 0xFFFF) &&
                 record.Flags() == xml::ElementRecord::kNotEnded;
    }
    EXPECT_TRUE(intact);
}

}  // namespace
}  // namespace zephyl
