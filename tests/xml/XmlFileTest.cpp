// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "XmlTestSupport.h"
#include "support/TempEnvironment.h"
#include "xml/XmlDocument.h"

namespace zephyl {
namespace {

using test::LogHas;

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

class XmlFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) {
        const auto path = m_env.Root() / ("file" + std::to_string(m_files++) + ".xml");
        test::WriteFile(path, bytes);
        return path.string();
    }
    std::string PathOf(const std::string& name) const { return (m_env.Root() / name).string(); }

private:
    test::TempEnvironment m_env;
    int m_files = 0;
};

struct LoadCase {
    const char* label;
    std::string bytes;
    bool wellFormed;
    int flags;
    std::string value;  // attribute v of the root, as UTF-8
    std::vector<std::string> records;
};

TEST_F(XmlFileTest, LoadDetectsMarksDeclarationsAndUtf8) {
    const std::string eAcute = "\xC3\xA9";
    const LoadCase cases[] = {
        {"UTF-8 mark",
         "\xEF\xBB\xBF<a v=\"\xC3\xA9\"/>",
         true,
         XmlDocument::kFlagUtf8Bom,
         eAcute,
         {"bom", "read", "converted_to"}},
        {"UTF-16LE mark",
         "\xFF\xFE" + Utf16Bytes(u"<a v=\"\u00E9\"/>", false),
         true,
         XmlDocument::kFlagUtf16Le,
         eAcute,
         {"bom", "read"}},
        {"UTF-16BE mark",
         "\xFE\xFF" + Utf16Bytes(u"<a v=\"\u00E9\"/>", true),
         true,
         XmlDocument::kFlagUtf16Be,
         eAcute,
         {"bom", "read", "endian_swap"}},
        {"undeclared UTF-8",
         "\r\n<a v=\"\xC3\xA9\"/>",
         true,
         0,
         eAcute,
         {"read", "utf8_detection", "converted_to"}},
        {"undeclared 8-bit", "\r\n<a v=\"\xE9t\"/>", true, 0, "\xC3\xA9t", {"utf8_detection"}},
        {"ISO-8859-1 declared",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a v=\"\xE9t\x80\"/>",
         true,
         0,
         "\xC3\xA9t\xC2\x80",
         {"read", "converted_to"}},
        {"windows-1251 declared",
         "<?xml encoding=\"windows-1251\"?><a v=\"\xC0\"/>",
         true,
         0,
         "\xD0\x90",
         {}},
        {"html meta",
         "<html><head><meta http-equiv=\"Content-Type\" "
         "content=\"text/html; charset=koi8-r\"/></head><body v=\"\xC1\"/></html>",
         true,
         0,
         "",
         {}},
        {"UTF-16 declared on bytes",
         "<?xml encoding=\"UTF-16\"?><a v=\"\xC3\xA9\"/>",
         true,
         0,
         eAcute,
         {}},
        {"zero bytes", std::string("<a\0 v=\"1\"/>\0", 13), true, 0, "1", {"nulls_removed"}},
        {"UTF-16LE without mark",
         Utf16Bytes(u"<a v=\"1\"/>", false),
         true,
         0,
         "1",
         {"nulls_removed"}},
        {"UTF-16 zero units",
         "\xFF\xFE" + Utf16Bytes(std::u16string(u"<a\0 v=\"1\"/>", 11), false),
         true,
         XmlDocument::kFlagUtf16Le,
         "1",
         {"nulls_removed"}},
        {"odd UTF-16 length",
         "\xFF\xFE" + Utf16Bytes(u"<a v=\"1\"/>", false) + "x",
         true,
         XmlDocument::kFlagUtf16Le,
         "1",
         {}},
        {"lone surrogate",
         "\xFE\xFF" + Utf16Bytes(std::u16string{u'<', u'a', u' ', u'v', u'=', u'"',
                                                char16_t(0xD800), u'"', u'/', u'>'},
                                 true),
         true,
         XmlDocument::kFlagUtf16Be,
         "\xEF\xBF\xBD",
         {}},
    };
    for (const LoadCase& c : cases) {
        XmlDocument doc;
        EXPECT_EQ(doc.Load(Write(c.bytes)), c.wellFormed) << c.label << ": " << doc.ResultLog();
        EXPECT_EQ(doc.Flags(), c.flags) << c.label;
        EXPECT_TRUE(doc.Text().empty() || doc.Text()[0] != 0xFEFF) << c.label;
        EXPECT_TRUE(doc.FindAnyElement()) << c.label;
        EXPECT_EQ(doc.GetAttribute("v"), c.value) << c.label;
        for (const std::string& record : c.records) {
            EXPECT_TRUE(LogHas(doc, record))
                << c.label << " lacks " << record << ": " << doc.ResultLog();
        }
    }
}

TEST_F(XmlFileTest, HtmlCharsetDecidesTheBytes) {
    XmlDocument doc;
    ASSERT_TRUE(
        doc.Load(Write("<html><head><meta charset=\"koi8-r\"/></head><body v=\"\xC1\"/>"
                       "</html>")));
    ASSERT_TRUE(doc.FindElement("html"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement("body"));
    EXPECT_EQ(doc.GetAttribute("v"), "\xD0\xB0");
}

TEST_F(XmlFileTest, LoadLogsTheReadInDetail) {
    XmlDocument doc;
    ASSERT_TRUE(doc.Load(Write(std::string("\r\n<a\0/>", 7))));
    EXPECT_EQ(doc.ResultLog(),
              "<read encoding=\"UTF-8\" length=\"7\"/><nulls_removed count=\"1\"/>"
              "<utf8_detection/><converted_to encoding=\"UTF-16\" length=\"6\"/>");
}

TEST_F(XmlFileTest, BadFilesFailWithoutHarm) {
    const std::filesystem::path folder = PathOf("folder");
    std::filesystem::create_directory(folder);
    XmlDocument doc;

    EXPECT_FALSE(doc.Load(PathOf("missing.xml")));
    EXPECT_EQ(doc.ResultLog(), "<file_error msg=\"No such file or directory\" n=\"2\"/>");
    EXPECT_FALSE(doc.Load(folder.string()));
    EXPECT_TRUE(LogHas(doc, "file_error"));

    const struct {
        const char* label;
        std::string bytes;
        const char* record;
    } cases[] = {
        {"empty", "", "no_root_element"},
        {"declaration only", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n", "no_root_element"},
        {"two roots", "<a/>\r\n<b/>", "root_has_sibling"},
        {"truncated", "<?xml version=\"1.0\"?>\r\n<layout name=\"x\">\r\n<key code=\"4\" na",
         "unterminated_tag_syntax"},
        {"mark only", "\xFF\xFE", "no_root_element"},
        {"half a unit", "\xFE\xFF\x00", "no_root_element"},
        {"UTF-8 mark only", "\xEF\xBB\xBF", "no_root_element"},
        {"binary",
         std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0<\x01\xFF\xFE>",
                     16),
         "no_root_element"},
        {"huge attribute", "<a v=\"" + std::string(5 << 20, 'x') + "\"/>", "tag_length_limit"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(doc.Load(Write(c.bytes))) << c.label;
        EXPECT_TRUE(LogHas(doc, c.record)) << c.label << ": " << doc.ResultLog();
    }
    // Whatever failed before, the document is still usable.
    EXPECT_TRUE(doc.Load(Write("<a v=\"1\"/>")));
    ASSERT_TRUE(doc.FindElement("a"));
    EXPECT_EQ(doc.GetAttribute("v"), "1");
}

TEST_F(XmlFileTest, OverlongDeclaredEncodingFallsBackToTheDefault) {
    const std::string name(5000, 'x');
    XmlDocument doc;
    ASSERT_TRUE(doc.Load(Write("<?xml version=\"1.0\" encoding=\"" + name + "\"?><a v=\"\x80\"/>")))
        << doc.ResultLog();
    ASSERT_TRUE(doc.FindElement("a"));
    EXPECT_EQ(doc.GetAttribute("v"), "\xE2\x82\xAC");
}

TEST_F(XmlFileTest, RandomBytesNeverBreakTheReader) {
    std::mt19937 random(20240611);
    const std::string alphabet = "<>/?!-=\"' \r\n[]CDATAabc&;#x\xC3\xA9\xFF\xFE\xEF\xBB\xBF";
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 400, '\0');
        for (char& b : bytes) {
            b = (round % 2 == 0) ? static_cast<char>(random() & 0xFF)
                                 : alphabet[random() % alphabet.size()];
        }
        XmlDocument doc;
        const bool loaded = doc.Load(Write(bytes));
        EXPECT_LT(doc.ResultLog().size(), 1200u);
        // The cursor and the editor work on whatever was read.
        while (doc.FindAnyElement()) {
            doc.GetAttribute("v");
            doc.SetAttribute("v", "1");
            if (doc.EnterElement()) {
                doc.AddElement("n");
                doc.LeaveElement();
            }
        }
        XmlDocument again;
        if (loaded) {
            EXPECT_TRUE(again.SetText(doc.Text())) << round;
        }
    }
}

TEST_F(XmlFileTest, SaveKeepsTheMarkAndEncodingOfTheDocument) {
    const std::u16string body = u"<a v=\"\u00E9\u20AC\"/>\r\n";
    const struct {
        int flags;
        std::string bytes;
        std::vector<std::string> records;
    } cases[] = {
        {XmlDocument::kFlagUtf8Bom,
         "\xEF\xBB\xBF<a v=\"\xC3\xA9\xE2\x82\xAC\"/>\r\n",
         {"bom", "converted_from", "write"}},
        {XmlDocument::kFlagUtf16Le, "\xFF\xFE" + Utf16Bytes(body, false), {"bom", "write"}},
        {XmlDocument::kFlagUtf16Be,
         "\xFE\xFF" + Utf16Bytes(body, true),
         {"bom", "endian_swap", "write"}},
        {XmlDocument::kFlagUtf8Bom | XmlDocument::kFlagUtf16Le,
         "\xEF\xBB\xBF<a v=\"\xC3\xA9\xE2\x82\xAC\"/>\r\n",
         {"bom"}},
    };
    for (const auto& c : cases) {
        XmlDocument doc;
        ASSERT_TRUE(doc.SetText(body));
        doc.SetFlags(c.flags);
        const std::string path = PathOf("saved.xml");
        ASSERT_TRUE(doc.Save(path));
        EXPECT_EQ(test::ReadFile(path), c.bytes) << c.flags;
        for (const std::string& record : c.records) {
            EXPECT_TRUE(LogHas(doc, record)) << c.flags << " lacks " << record;
        }
        XmlDocument back;
        ASSERT_TRUE(back.Load(path)) << back.ResultLog();
        EXPECT_EQ(back.Text(), body);
    }
}

TEST_F(XmlFileTest, SaveConvertsToTheDeclaredEncoding) {
    const struct {
        const char* encoding;
        std::u16string value;
        std::string valueBytes;
        bool loss;
    } cases[] = {
        {"ISO-8859-1", u"\u00E9t\u00E9", "\xE9t\xE9", false},
        {"ISO-8859-1", u"5\u20AC", "5?", true},
        {"windows-1252", u"5\u20AC", "5\x80", false},
        {"Shift_JIS", u"\u3042", "\x82\xA0", false},
        {"koi8-r", u"\u0430", "\xC1", false},
        {"x-bogus", u"\u20AC", "\x80", false},   // unknown names write the default code page
        {"ISO-2022-JP", u"\u00E9", "?", false},  // this family cannot report what it lost
    };
    for (const auto& c : cases) {
        const std::u16string declaration =
            u"<?xml version=\"1.0\" encoding=\"" +
            std::u16string(c.encoding, c.encoding + std::char_traits<char>::length(c.encoding)) +
            u"\"?>";
        XmlDocument doc;
        ASSERT_TRUE(doc.SetText(declaration + u"<a v=\"" + c.value + u"\"/>"));
        const std::string path = PathOf("declared.xml");
        ASSERT_TRUE(doc.Save(path));
        const std::string bytes = test::ReadFile(path);
        EXPECT_EQ(bytes.substr(declaration.size() + 6, c.valueBytes.size()), c.valueBytes)
            << c.encoding;
        EXPECT_EQ(LogHas(doc, "conversion_loss"), c.loss) << c.encoding << doc.ResultLog();
        if (!c.loss && std::string(c.encoding) != "ISO-2022-JP") {
            XmlDocument back;
            ASSERT_TRUE(back.Load(path));
            ASSERT_TRUE(back.FindElement("a"));
            EXPECT_EQ(back.Text(), doc.Text()) << c.encoding;
        }
    }
}

TEST_F(XmlFileTest, SaveReportsAFileThatCannotBeWritten) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText("<a/>"));
    EXPECT_FALSE(doc.Save(PathOf("no/such/folder/a.xml")));
    EXPECT_TRUE(LogHas(doc, "file_error"));
    EXPECT_EQ(doc.TextUtf8(), "<a/>");
}

}  // namespace
}  // namespace zephyl
