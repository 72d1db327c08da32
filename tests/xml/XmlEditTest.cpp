// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "XmlTestSupport.h"
#include "support/TempEnvironment.h"
#include "xml/XmlDocument.h"

namespace zephyl {
namespace {

using test::Outline;

TEST(XmlWriter, BuildsTheDocumentLineByLine) {
    test::TempEnvironment env;
    const std::string path = (env.Root() / "profile.xml").string();
    XmlDocument doc;
    EXPECT_FALSE(doc.SetText(XmlDocument::kDeclaration));  // no root yet
    ASSERT_TRUE(doc.AddElement("profile"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.AddElement("profileinfo"));
    ASSERT_TRUE(doc.SetAttribute("name", "x"));
    ASSERT_TRUE(doc.AddElement("keyitems"));
    ASSERT_TRUE(doc.Save(path));
    EXPECT_EQ(test::ReadFile(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<profile>\r\n"
              "<profileinfo name=\"x\"/>\r\n"
              "<keyitems/>\r\n"
              "</profile>\r\n");
    EXPECT_EQ(doc.ResultLog(),
              "<no_root_element/>"  // from SetText; saving appends to the log
              "<converted_from encoding=\"UTF-16\" length=\"101\"/>"
              "<write encoding=\"UTF-8\" length=\"101\"/>");
}

TEST(XmlWriter, NestedListsAndTheirReadBack) {
    XmlDocument doc;
    doc.SetText(XmlDocument::kDeclaration);
    ASSERT_TRUE(doc.AddElement("root"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.AddElement("keys"));
    ASSERT_TRUE(doc.EnterElement());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(doc.AddElement("key"));
        ASSERT_TRUE(doc.SetAttribute("code", i));
    }
    ASSERT_TRUE(doc.LeaveElement());
    ASSERT_TRUE(doc.AddElement("macros"));
    EXPECT_EQ(doc.TextUtf8(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<root>\r\n<keys>\r\n"
              "<key code=\"0\"/>\r\n<key code=\"1\"/>\r\n<key code=\"2\"/>\r\n</keys>\r\n"
              "<macros/>\r\n</root>\r\n");
    XmlDocument back;
    ASSERT_TRUE(back.SetText(doc.Text()));
    EXPECT_EQ(Outline(back, "code"),
              "root[code=](keys[code=](key[code=0],key[code=1],"
              "key[code=2]),macros[code=])");
}

struct EditCase {
    const char* text;
    const char* path;  // elements to find and enter, the last one only found
    const char* name;
    const char* value;
    const char* expected;
};

/// Finds each element of a slash-separated path, entering all but the last.
bool Walk(XmlDocument& doc, std::string path) {
    for (;;) {
        const size_t slash = path.find('/');
        if (!doc.FindElement(path.substr(0, slash)))
            return false;
        if (slash == std::string::npos)
            return true;
        if (!doc.EnterElement())
            return false;
        path.erase(0, slash + 1);
    }
}

TEST(XmlWriter, SetAttributeReplacesOrAppends) {
    const EditCase cases[] = {
        {"<r k='1'/>", "r", "k", "2", "<r k=\"2\"/>"},
        {"<item/>", "item", "k", "2", "<item k=\"2\"/>"},
        {"<item />", "item", "k", "2", "<item k=\"2\" />"},
        {"<item a=\"1\"\r\n  />", "item", "k", "2", "<item a=\"1\" k=\"2\"\r\n  />"},
        {"<item></item>", "item", "k", "a\"b<c", "<item k=\"a&quot;b&lt;c\"></item>"},
        {"<r k=bare ></r>", "r", "k", "v", "<r k=\"v\" ></r>"},
        {"<r flag/>", "r", "flag", "on", "<r flag=\"on\"/>"},
        {"<r a = \"1\" b=\"2\"/>", "r", "a", "long value", "<r a = \"long value\" b=\"2\"/>"},
        {"<r a=\"1\"/>", "r", "v", "<>&'\"", "<r a=\"1\" v=\"&lt;&gt;&amp;&apos;&quot;\"/>"},
        {"<r/>", "r", "v", "&amp;", "<r v=\"&amp;amp;\"/>"},
        {"<r><a x=\"1\"/></r>", "r/a", "x", "", "<r><a x=\"\"/></r>"},
    };
    for (const EditCase& c : cases) {
        XmlDocument doc;
        ASSERT_TRUE(doc.SetText(c.text)) << c.text;
        ASSERT_TRUE(Walk(doc, c.path)) << c.text;
        ASSERT_TRUE(doc.SetAttribute(c.name, c.value)) << c.text;
        EXPECT_EQ(doc.TextUtf8(), c.expected) << c.text;
        EXPECT_EQ(doc.GetAttribute(c.name), c.value) << c.text;
    }
}

struct AddCase {
    const char* text;
    const char* path;  // to the current element before AddElement
    bool enter;        // enter it first, so the new element becomes its child
    const char* expected;
};

TEST(XmlWriter, AddElementPlacesTheElementAsTheLayoutRequires) {
    const AddCase cases[] = {
        {"<r/>", "r", true, "<r>\r\n<n/>\r\n</r>"},
        {"<r a=\"1\" />", "r", true, "<r a=\"1\" >\r\n<n/>\r\n</r>"},
        {"<r></r>", "r", true, "<r>\r\n<n/>\r\n</r>"},
        {"<r>\r\n<a/>\r\n</r>", "r", true, "<r>\r\n<a/>\r\n<n/>\r\n</r>"},
        {"<r>\r\n<a/>\r\n<b/>\r\n</r>", "r/a", false, "<r>\r\n<a/>\r\n<n/>\r\n<b/>\r\n</r>"},
        {"<r><a/>  text<b/></r>", "r/a", false, "<r><a/><n/>\r\n  text<b/></r>"},
        {"<r/>", "r", false, "<r/><n/>\r\n"},
        {"<r><p/></r>", "r/p", true, "<r><p>\r\n<n/>\r\n</p></r>"},
    };
    for (const AddCase& c : cases) {
        XmlDocument doc;
        ASSERT_TRUE(doc.SetText(c.text)) << c.text;
        ASSERT_TRUE(Walk(doc, c.path)) << c.text;
        if (c.enter) {
            ASSERT_TRUE(doc.EnterElement()) << c.text;
        }
        ASSERT_TRUE(doc.AddElement("n")) << c.text;
        EXPECT_EQ(doc.GetTagName(), "n") << c.text;
        EXPECT_EQ(doc.TextUtf8(), c.expected) << c.text;
    }
}

TEST(XmlWriter, EditsInsideADocumentKeepEveryPositionRight) {
    XmlDocument doc;
    ASSERT_TRUE(
        doc.SetText("<r>\r\n<a v=\"1\">\r\n<b v=\"2\"/>\r\n<c v=\"3\"><d v=\"4\"/></c>\r\n"
                    "</a>\r\n<e v=\"5\"/>\r\n<f v=\"6\"></f>\r\n</r>"));
    ASSERT_TRUE(Walk(doc, "r/a"));
    ASSERT_TRUE(doc.SetAttribute("v", "one"));  // shifts a's children and later siblings
    ASSERT_TRUE(doc.SetAttribute("w", "new"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement("b"));
    ASSERT_TRUE(doc.AddElement("x"));  // between b and c
    ASSERT_TRUE(doc.SetAttribute("v", "x"));
    ASSERT_TRUE(doc.FindElement("c"));
    ASSERT_TRUE(doc.SetAttribute("v", ""));  // shrinks
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.AddElement("y"));  // inside c, after its content
    ASSERT_TRUE(doc.SetAttribute("v", "y"));
    ASSERT_TRUE(doc.LeaveElement());
    ASSERT_TRUE(doc.LeaveElement());
    ASSERT_TRUE(doc.FindElement("f"));
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.AddElement("z"));  // into <f></f>
    ASSERT_TRUE(doc.SetAttribute("v", "z"));

    // The edited index reads exactly as a fresh parse of the edited text.
    const std::string expected =
        "r[v=](a[v=one](b[v=2],x[v=x],c[v=](d[v=4],y[v=y])),e[v=5],f[v=6](z[v=z]))";
    doc.ResetPosition();
    EXPECT_EQ(Outline(doc, "v"), expected);
    XmlDocument fresh;
    ASSERT_TRUE(fresh.SetText(doc.Text())) << fresh.ResultLog();
    EXPECT_EQ(Outline(fresh, "v"), expected);
    EXPECT_EQ(doc.TextUtf8(),
              "<r>\r\n<a v=\"one\" w=\"new\">\r\n<b v=\"2\"/>\r\n<x v=\"x\"/>\r\n"
              "<c v=\"\"><d v=\"4\"/><y v=\"y\"/>\r\n</c>\r\n</a>\r\n<e v=\"5\"/>\r\n"
              "<f v=\"6\">\r\n<z v=\"z\"/>\r\n</f>\r\n</r>");
}

TEST(XmlWriter, EditsNeverChangeHowATagReads) {
    XmlDocument doc;
    // An unquoted value before "/>" is replaced without taking the '/' with it.
    ASSERT_TRUE(doc.SetText("<r v=x/>"));
    ASSERT_TRUE(doc.FindElement("r"));
    EXPECT_EQ(doc.GetAttribute("v"), "x/");
    ASSERT_TRUE(doc.SetAttribute("v", "2"));
    EXPECT_EQ(doc.TextUtf8(), "<r v=\"2\"/>");

    // Here the attribute scan and the tag's quote pairing disagree; writing x would leave the
    // tag unterminated, so the edit is refused and the text kept.
    const std::string odd = "<r a=\"1\"\" x=y\"/>";
    ASSERT_TRUE(doc.SetText(odd));
    ASSERT_TRUE(doc.FindElement("r"));
    EXPECT_EQ(doc.GetAttribute("x"), "y\"/");
    EXPECT_FALSE(doc.SetAttribute("x", "2"));
    EXPECT_EQ(doc.TextUtf8(), odd);
    EXPECT_TRUE(doc.SetAttribute("a", "2"));
    EXPECT_EQ(doc.TextUtf8(), "<r a=\"2\"\" x=y\"/>");
    XmlDocument fresh;
    EXPECT_TRUE(fresh.SetText(doc.Text()));
}

TEST(XmlWriter, RejectsNamesThatWouldNotReadBack) {
    XmlDocument doc;
    EXPECT_FALSE(doc.SetAttribute("k", "1"));  // no current element
    for (const char* bad : {"", "a b", "1a", "a/b", "a>b", "-a", "a=b"}) {
        EXPECT_FALSE(doc.AddElement(bad)) << bad;
    }
    EXPECT_EQ(doc.TextUtf8(), "");
    ASSERT_TRUE(doc.AddElement("r"));
    for (const char* bad : {"", "a b", "a=b", "/a", "a>", "a?", "a\"", "'a", "a<"}) {
        EXPECT_FALSE(doc.SetAttribute(bad, "1")) << bad;
    }
    EXPECT_TRUE(doc.SetAttribute("n", -42));
    EXPECT_EQ(doc.TextUtf8(), "<r n=\"-42\"/>\r\n");
}

TEST(XmlWriter, SavedFileReadsBackUnchanged) {
    test::TempEnvironment env;
    const std::string path = (env.Root() / "roundtrip.xml").string();
    const std::string values[] = {
        "plain",
        "",
        "a&b<c>d\"e'f",
        "&amp;&#65;",
        "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
        "line\r\nbreak\ttab",
        "   spaces   ",
    };
    XmlDocument doc;
    doc.SetText(XmlDocument::kDeclaration);
    ASSERT_TRUE(doc.AddElement("exchange"));
    ASSERT_TRUE(doc.EnterElement());
    for (size_t i = 0; i < std::size(values); ++i) {
        ASSERT_TRUE(doc.AddElement("item"));
        ASSERT_TRUE(doc.SetAttribute("index", static_cast<int>(i)));
        ASSERT_TRUE(doc.SetAttribute("value", values[i]));
    }
    ASSERT_TRUE(doc.Save(path));

    XmlDocument back;
    ASSERT_TRUE(back.Load(path)) << back.ResultLog();
    EXPECT_EQ(back.Flags(), 0);
    EXPECT_EQ(back.Text(), doc.Text());
    ASSERT_TRUE(back.FindElement("exchange"));
    ASSERT_TRUE(back.EnterElement());
    for (size_t i = 0; i < std::size(values); ++i) {
        ASSERT_TRUE(back.FindElement("item"));
        EXPECT_EQ(back.GetAttribute("index"), std::to_string(i));
        // Line breaks inside values are kept as written; the reader does not normalise them.
        EXPECT_EQ(back.GetAttribute("value"), values[i]) << i;
    }
    EXPECT_FALSE(back.FindElement("item"));
}

}  // namespace
}  // namespace zephyl
