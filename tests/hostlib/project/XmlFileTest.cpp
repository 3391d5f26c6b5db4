#include "host/XmlFile.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <utility>
#include <vector>

#include "SandboxTest.h"
#include "tests/hostlib/project/ElementDepth.h"

namespace {

std::string Repeat(const std::string& text, size_t count) {
    std::string repeated;
    repeated.reserve(text.size() * count);
    for (size_t i = 0; i < count; ++i) {
        repeated += text;
    }
    return repeated;
}

// The depth TinyXML really built, walked without recursion.
size_t ParsedDepth(const std::string& text) {
    TiXmlDocument document;
    document.Parse(text.c_str());
    return ElementDepth(document);
}

// Markup that hides '>' "/>" and "</" from a naive scan, each with the depth TinyXML reaches.
TEST(XmlFile, NestingScanNeverCountsLessThanTinyXmlBuilds) {
    const std::vector<std::pair<std::string, size_t>> cases = {
        {"<a><b/><c><d></d></c></a>", 3},
        {"<a x=\"/>\"><b y='</a>'><c/></b></a>", 3},
        {"<a x=\"1\"/><a><a></a></a>", 2},
        {"<a><!-- <b><b> --><![CDATA[<c><c>]]><d/></a>", 2},
        {"<?xml version=\"1>\" ?><a><b></b></a>", 2},
        {"<?xml other=\"><a>\"?><b></b>", 2},
        {"<!DOCTYPE a [ <!ELEMENT a ANY> ]><a><b/></a>", 2},
        {"</x></x><a><b></b></a>", 2},
        {"<_a><\xc3\xa9><b></b></\xc3\xa9></_a>", 3},
        {"<a>1 < 2 <b></b></a>", 1},
        {std::string("<a><b>\0<c><c><c>", 16), 2},
    };
    for (const auto& [text, depth] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(XmlFile::MaxNestingDepth(text), depth);
        EXPECT_LE(ParsedDepth(text), XmlFile::MaxNestingDepth(text));
    }
}

TEST(XmlFile, TextThatTinyXmlMustNotParseIsRefused) {
    const std::string deep = Repeat("<a>", XmlFile::kMaxDepth + 1);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {deep, "nested deeper than 256"},
        {Repeat("<a x=\"1\">", 100000), "nested deeper"},
        // A lead byte announcing more bytes than follow would make TinyXML swallow the quote
        // and read the markup after it as an attribute value, or read past the end.
        {"<a x=\"\xf0\"/>", "malformed UTF-8 at byte 6"},
        {"<a>\xe2\x82", "malformed UTF-8"},
        // No lead byte above 0xF4, however many continuation bytes follow.
        {"<a x=\"\xf8\x88\x80\x80\"/>", "malformed UTF-8"},
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        std::string error;
        EXPECT_FALSE(XmlFile::CheckText(text, error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    std::string error;
    EXPECT_TRUE(XmlFile::CheckText(Repeat("<a>", XmlFile::kMaxDepth), error)) << error;
    EXPECT_TRUE(
        XmlFile::CheckText("<a name=\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\"/>", error))
        << error;
}

class XmlFileLoadTest : public SandboxTest {};

// Files in another declared encoding load with every string in UTF-8; UTF-8 files must be valid
// UTF-8 throughout, character references included.
TEST_F(XmlFileLoadTest, ReadsDeclaredEncodingsAsUtf8AndRefusesInvalidOrDeepText) {
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    const std::string name =
        "Gr\xc3\xb6\xc3\x9f"
        "e";  // "Größe" in UTF-8
    const std::vector<std::pair<std::string, std::string>> accepted = {
        {latin1 + "<n name=\"Gr\xf6\xdf"
                  "e\">Gr\xf6\xdf"
                  "e</n>",
         name},
        {"<!-- first -->\n<?XML version='1.0' encoding='latin1'?><n name='Gr\xf6\xdf"
         "e'/>",
         name},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><n name=\"\x80\"/>", "\xe2\x82\xac"},
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?><n name=\"" + name + "\"/>", name},
        {"\xef\xbb\xbf" + latin1 + "<n name=\"" + name + "\"/>", name},
        {"<n name=\"&#xF6;\"/>", "\xc3\xb6"},
        // A hundred thousand levels overflow TinyXML's recursive parser; as many siblings are fine.
        {"<n name=\"wide\">" + Repeat("<a x=\"1\"/>", 100000) + "</n>", "wide"},
    };
    for (const auto& [text, expected] : accepted) {
        SCOPED_TRACE(text);
        WriteText(m_folder / "file.xml", text);
        TiXmlDocument document;
        std::string error;
        ASSERT_TRUE(XmlFile::Load(document, (m_folder / "file.xml").string(), error)) << error;
        EXPECT_EQ(document.RootElement()->Attribute("name"), expected);
        if (document.RootElement()->GetText()) {
            EXPECT_EQ(document.RootElement()->GetText(), expected);
        }
    }
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"<n name=\"a\xff"
         "b\"/>",
         "malformed UTF-8 at byte 10"},
        {"<n name=\"\xc0\xaf\"/>", "malformed UTF-8"},
        {"<n name=\"\xed\xa0\x80\"/>", "malformed UTF-8"},
        {"<?xml version=\"1.0\"?><n name=\"\xe9\"/>", "malformed UTF-8"},
        {"<n name=\"&#xD800;\"/>", "character reference"},
        {"<?xml version=\"1.0\" encoding=\"x-no-such\"?><n/>", "unknown encoding \"x-no-such\""},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><n/>", "unknown encoding"},
        {"<?xml version=\"1.0\" encoding=\"US-ASCII\"?><n name=\"\xe9\"/>", "not valid US-ASCII"},
        {Repeat("<a>", 100000), "nested deeper"},
        {"<a><b></a>", "line 1"},
    };
    for (const auto& [text, reason] : refused) {
        SCOPED_TRACE(text);
        WriteText(m_folder / "file.xml", text);
        TiXmlDocument document;
        std::string error;
        EXPECT_FALSE(XmlFile::Load(document, (m_folder / "file.xml").string(), error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        if (reason == "nested deeper") {
            EXPECT_EQ(document.FirstChild(), nullptr) << "refused without parsing";
        }
    }
    TiXmlDocument document;
    std::string error;
    EXPECT_FALSE(XmlFile::Load(document, (m_folder / "absent.xml").string(), error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
