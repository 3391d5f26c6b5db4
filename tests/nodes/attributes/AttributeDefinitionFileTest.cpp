#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "host/Attribute.h"
#include "host/RefPtr.h"
#include "host/ScopedTemporaryDirectory.h"
#include "host/StringJoin.h"
#include "nodes/attributes/AttributesNode.h"
#include "tests/nodes/attributes/AttributesTestHelpers.h"

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" ?>\n";
const std::string kRoot = "<QuillmarAttributesNode major=\"0\" minor=\"0\">\n";

// Every definition field of every attribute, numbers to the last bit.
std::string Describe(const Node& node) {
    std::string text;
    for (size_t index = 0; index < node.GetNumAttributes(); ++index) {
        const Attribute& a = *node.GetAttributeByIndex(index);
        text += a.GetName() + " " + a.GetTypeName() + " " + Describe(a) + "\n";
    }
    return text;
}

class AttributesNodeDefinitionFileTest : public ::testing::Test {
protected:
    // The host runs with the user's locale while the file always uses '.': every test runs under
    // a decimal comma when one is installed (./dev.sh test installs de_DE).
    void SetUp() override {
        for (const char* locale : {"de_DE.UTF-8", "fr_FR.UTF-8"}) {
            if (std::setlocale(LC_ALL, locale)) {
                break;
            }
        }
        std::string error;
        ASSERT_TRUE(m_directory.Create(error)) << error;
        m_base = m_directory.GetPath() + "/node3_definitions";
    }
    void TearDown() override { std::setlocale(LC_ALL, m_locale.c_str()); }

    // Saves the node's definitions and returns the file's text.
    std::string Save(AttributesNode& node) {
        EXPECT_EQ(node.SaveDefinitions(m_base), std::vector<std::string>{m_base + ".xml"});
        std::ostringstream text;
        text << std::ifstream(m_base + ".xml", std::ios::binary).rdbuf();
        return text.str();
    }
    // Has the node load the given file text.
    bool Load(AttributesNode& node, const std::string& text) {
        const std::string path = m_directory.GetPath() + "/given.xml";
        std::ofstream(path, std::ios::binary) << text;
        return node.LoadDefinitions({path});
    }
    static std::string File(const std::string& attributes, const std::string& count = "1") {
        return kDeclaration + kRoot + "<Attributes num_attributes=\"" + count + "\">\n" +
               attributes + "</Attributes>\n</QuillmarAttributesNode>\n";
    }

    const std::string m_locale = std::setlocale(LC_ALL, nullptr);
    ScopedTemporaryDirectory m_directory;
    std::string m_base;
};

TEST_F(AttributesNodeDefinitionFileTest, WritesTheDocumentedText) {
    RefPtr<AttributesNode> node = new AttributesNode;
    EXPECT_EQ(Save(*node), kDeclaration + kRoot + "    <Attributes num_attributes=\"0\" />\n" +
                               "</QuillmarAttributesNode>\n");
    EXPECT_TRUE(node->LoadDefinitions({m_base + ".xml"}));
    EXPECT_EQ(node->GetNumAttributes(), 0u);

    node->AddNumberAttribute("gain", 0.5, 0.0, 1.0, 0.01, 2);
    node->AddChoiceAttribute("mode", "low,mid,high");
    node->AddBooleanAttribute("on", true);
    // Below half a millionth the six decimals round to zero.
    node->AddPointAttribute("at", {-3, -3}, -1e6, 1e6, 0.0000001, 7);
    EXPECT_EQ(Save(*node),
              kDeclaration + kRoot + "    <Attributes num_attributes=\"4\">\n" +
                  "        <Attribute id=\"0\" name=\"gain\" type=\"NUMBER\" decimals=\"2\" "
                  "default=\"0.500000\" min=\"0.000000\" max=\"1.000000\" step=\"0.010000\" />\n"
                  "        <Attribute id=\"1\" name=\"mode\" type=\"CHOICE\" "
                  "choices=\"low,mid,high\" />\n"
                  "        <Attribute id=\"2\" name=\"on\" type=\"BOOLEAN\" />\n"
                  "        <Attribute id=\"3\" name=\"at\" type=\"POINT\" decimals=\"7\" "
                  "default=\"-3.000000\" min=\"-1000000.000000\" max=\"1000000.000000\" "
                  "step=\"0.000000\" />\n"
                  "    </Attributes>\n"
                  "</QuillmarAttributesNode>\n");

    // An unwritable place still gives the name.
    EXPECT_EQ(node->SaveDefinitions(m_base + "/missing/node"),
              std::vector<std::string>{m_base + "/missing/node.xml"});
    EXPECT_FALSE(std::filesystem::exists(m_base + "/missing/node.xml"));
}

// Each made as the reader makes it, so that every field must come back.
TEST_F(AttributesNodeDefinitionFileTest, EveryTypeSurvivesAWriteAndARead) {
    RefPtr<AttributesNode> node = new AttributesNode;
    node->AddBooleanAttribute("flag", false);
    node->AddNumberAttribute("gain", 2.25, -10, 10, 0.125, 3);
    node->AddPointAttribute("centre", {0.5, 0.5}, -4, 4, 0.25, 2);
    node->AddFrameAttribute("crop", {0, 0, 7.5, 7.5});
    node->AddRgboAttribute("tint", {0, 0, 0, 0});
    node->AddChoiceAttribute("mode", "fast,slow,best");
    node->AddStringAttribute("label", "");
    // Too wide for six fixed decimals in the buffer: still read back exactly.
    node->AddNumberAttribute("huge", 0, -1e300, 1.5e299, 1, 0);
    Save(*node);

    RefPtr<AttributesNode> loaded = new AttributesNode;
    ASSERT_TRUE(loaded->LoadDefinitions({m_base + ".xml"}));
    EXPECT_EQ(Describe(*loaded), Describe(*node));
}

TEST_F(AttributesNodeDefinitionFileTest, RefusedFilesLeaveTheNodeUnchanged) {
    RefPtr<AttributesNode> node = new AttributesNode;
    ASSERT_TRUE(Load(*node, File("<Attribute id=\"0\" name=\"a\" type=\"STRING\" />\n")));
    ASSERT_EQ(node->GetNumAttributes(), 1u);
    const std::string path = m_directory.GetPath() + "/given.xml";
    EXPECT_FALSE(node->LoadDefinitions({}));
    EXPECT_FALSE(node->LoadDefinitions({path, path}));
    EXPECT_FALSE(node->LoadDefinitions({m_directory.GetPath() + "/absent.xml"}));

    const std::string list = "<Attributes num_attributes=\"0\"/>";
    const std::string refused[] = {
        "",
        kDeclaration + "<QuillmarProject major=\"0\" minor=\"0\">" + list + "</QuillmarProject>",
        kDeclaration + "<QuillmarAttributesNode major=\"x\" minor=\"0\">" + list +
            "</QuillmarAttributesNode>",
        kDeclaration + "<QuillmarAttributesNode major=\"0\">" + list + "</QuillmarAttributesNode>",
        kDeclaration + kRoot + "<Attribute id=\"0\" name=\"a\" type=\"STRING\"/>" +
            "</QuillmarAttributesNode>",
        File("<Attribute id=\"0\" name=\"a\" type=\"STRING\" />\n", "many"),
        // Deep enough to overflow TinyXML's recursive parser.
        File([] {
            std::string deep;
            for (int i = 0; i < 100000; ++i) {
                deep += "<Attribute>";
            }
            return deep;
        }()),
    };
    for (const std::string& text : refused) {
        EXPECT_FALSE(Load(*node, text)) << text;
        EXPECT_EQ(node->GetNumAttributes(), 1u) << text;
    }
}

TEST_F(AttributesNodeDefinitionFileTest, ReadsWhatItCanOfOddElements) {
    RefPtr<AttributesNode> node = new AttributesNode;
    // Any version; neither the count nor the ids are checked; no type word, no attribute.
    ASSERT_TRUE(Load(*node, kDeclaration + "<QuillmarAttributesNode major=\"7\" minor=\"3\">\n" +
                                "<Attributes num_attributes=\"5\">\n" +
                                "<Attribute id=\"9\" name=\"a\" type=\"NUMBRE\" />\n" +
                                "<Attribute id=\"9\" name=\"b\" type=\"POINT\" default=\"3\" />\n" +
                                "<Attribute id=\"9\" name=\"c\" />\n" +
                                "<Attribute id=\"9\" type=\"RGBO\" />\n" +
                                "</Attributes></QuillmarAttributesNode>\n"));
    ASSERT_EQ(node->GetNumAttributes(), 2u);
    const Attribute &b = *node->GetAttributeByIndex(0), &unnamed = *node->GetAttributeByIndex(1);
    EXPECT_EQ(b.GetName() + " " + b.GetValueText() + " [" + unnamed.GetName() + "] " +
                  unnamed.GetTypeName(),
              "b 3,3 [] RGBO");

    // Numbers read as atof and atoi read them; an infinite limit or step is kept, while NaN and
    // an infinite default read as 0.
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const struct {
        std::string m_number, m_decimals;
        double m_default, m_limit;
        int m_decimals_read;
    } cases[] = {{" +2.5xyz", "3.7", 2.5, 2.5, 3},
                 {"abc", "abc", 0, 0, 0},
                 {"0x10", "99", 16, 16, 99},
                 {"nan", "-3", 0, 0, -3},
                 {"-1e999", "99999999999999999999", 0, -kInfinity, INT_MAX},
                 {"+-1", " 12", 0, 0, 12}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_number);
        const std::string n = "\"" + c.m_number + "\"";
        RefPtr<AttributesNode> target = new AttributesNode;
        ASSERT_TRUE(Load(
            *target, File("<Attribute name=\"n\" type=\"NUMBER\" decimals=\"" + c.m_decimals +
                          "\" default=" + n + " min=" + n + " max=" + n + " step=" + n + " />\n")));
        const Attribute& read = *target->GetAttributeByIndex(0);
        EXPECT_EQ((std::vector<double>{read.GetNumber(), read.GetMinimum(), read.GetMaximum(),
                                       read.GetSingleStep(), double(read.GetDecimals())}),
                  (std::vector<double>{c.m_default, c.m_limit, c.m_limit, c.m_limit,
                                       double(c.m_decimals_read)}));
    }
}

}  // namespace
