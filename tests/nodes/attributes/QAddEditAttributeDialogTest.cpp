#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QTest>

#include "host/Engine.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "nodes/attributes/AttributesNode.h"
#include "nodes/control/LoopIterationsNode.h"
#include "nodes/io/BooleanIoNode.h"
#include "nodes/io/CurvesIoNode.h"
#include "nodes/io/FrameIoNode.h"
#include "nodes/io/ImageIoNode.h"
#include "nodes/io/MaterialIoNode.h"
#include "nodes/io/NumberIoNode.h"
#include "nodes/io/PointIoNode.h"
#include "nodes/io/RgboIoNode.h"
#include "tests/nodes/attributes/AttributesTestHelpers.h"

namespace {

const QString kTooLongOrShort = "<b>Name</b> is too long or too short.";
const QString kInvalidName = "<b>Name</b> has invalid characters.";
const QString kChoicesRequired = "<b>Choices</b> is required.";
const QString kInvalidChoices = "<b>Choices</b> has invalid characters.";
const QString kTwoChoices = "Please enter at least 2 <b>Choices</b>.";

QString InUse(const QString& name) {
    return "<b>Name</b> is already defined. <b>" + name + "</b>";
}

using Dialog = QAddEditAttributeDialog;

// Each test starts from an empty document.
class QAddEditAttributeDialogTest : public testing::Test {
protected:
    void SetUp() override { Engine::Get()->SetDocument(nullptr); }
    void TearDown() override { Engine::Get()->SetDocument(nullptr); }

    // Adds `node` to the document under `name`.
    template <typename N>
    N* Add(N* node, const std::string& name = {}) {
        if (!name.empty()) {
            node->SetName(name);
        }
        EXPECT_TRUE(Engine::Get()->GetDocument()->AddNode(node));
        return node;
    }
};

TEST_F(QAddEditAttributeDialogTest, NameMessagesFollowLengthCharactersAndUse) {
    AttributesNode* first = Add(new AttributesNode);
    first->AddNumberAttribute("Scale", 1, 0, 10, 1, 0);
    // Longer than a typed name may be: a clash still outranks the length message.
    first->AddStringAttribute("abcdefghijklmnopq", "");
    Add(new AttributesNode)->AddBooleanAttribute("Enabled", true);
    // A node that is not an IO node does not reserve its name.
    Add(new LoopIterationsNode, "loops");
    // Free-standing nodes are not part of the document.
    RefPtr<NumberIoNode> outside = new NumberIoNode;
    outside->SetName("outside");

    std::vector<std::pair<QString, std::vector<std::string>>> groups = {
        {"", {"a", "abcdefghijklmnop", "abcdefghijklmnoz", "scale2", "loops", "outside"}},
        {kTooLongOrShort, {"abcdefghijklmnopr", ""}},
        {kInvalidName, {"1abc", "_abc", "ab-c", "ab c"}},
        {InUse("scale"), {"SCALE", "scale"}},
        {InUse("enabled"), {"enabled"}},
        {InUse("abcdefghijklmnopq"), {"ABCDEFGHIJKLMNOPQ"}}};
    // The names of IO nodes of every type are in use, whatever their case.
    const std::vector<Node*> io_nodes = {new BooleanIoNode, new NumberIoNode,  new PointIoNode,
                                         new FrameIoNode,   new RgboIoNode,    new ImageIoNode,
                                         new CurvesIoNode,  new MaterialIoNode};
    for (size_t k = 0; k < io_nodes.size(); ++k) {
        Add(io_nodes[k], "Input_" + std::to_string(k));
        groups.push_back({InUse(QString("input_%1").arg(k)), {"INPUT_" + std::to_string(k)}});
    }

    Dialog dialog(nullptr, Dialog::kAdd, nullptr);
    DialogFields f(dialog);
    // A fresh dialog waits for a name.
    EXPECT_TRUE(f.status->text().isEmpty());
    EXPECT_FALSE(f.ok->isEnabled());
    for (const auto& [message, names] : groups) {
        for (const std::string& name : names) {
            // Set directly so that the validator does not filter the text; "x" first so that
            // every case is a change.
            f.name->setText("x");
            f.name->setText(QString::fromStdString(name));
            EXPECT_EQ(f.status->text(), message) << name;
            EXPECT_EQ(f.ok->isEnabled(), message.isEmpty()) << name;
        }
    }
    // The validator keeps out what cannot start or continue a name.
    f.name->clear();
    QTest::keyClicks(f.name, "9x-y z");
    EXPECT_EQ(dialog.GetName(), "xyz");
}

// Edit and duplicate start from the source's exact definition, locked to its type; a duplicate
// needs a new name, and only the edited attribute's own name is not in use.
TEST_F(QAddEditAttributeDialogTest, EditAndDuplicateStartFromTheSource) {
    AttributesNode* node = Add(new AttributesNode);
    node->AddNumberAttribute("Gain", 2.75, -0.5, 9.9, 0.25, 2);
    node->AddChoiceAttribute("level", "low,mid,high");
    node->AddPointAttribute("centre", {3, 4}, -20.5, 20.5, 0.5, 1);
    node->AddNumberAttribute("contrast", 1.2345, 0, 2, 0.5, 0);
    Add(new AttributesNode)->AddNumberAttribute("offset", 0, 0, 1, 1, 0);
    const std::string choice = "[Choice] [0] [0] [100] [1] [0] ";
    const struct {
        Dialog::Mode mode;
        size_t index;
        QString name, choices;
        std::string shown;
    } cases[] = {
        {Dialog::kEdit, 0, "", "", "[Gain] [Number] 2.75 -0.50 9.90 0.25 2 [] |  OK"},
        {Dialog::kEdit, 0, "OFFSET", "",
         "[OFFSET] [Number] 2.75 -0.50 9.90 0.25 2 [] | " + InUse("offset").toStdString()},
        {Dialog::kEdit, 1, "", "", "[level] " + choice + "low,mid,high |  OK"},
        {Dialog::kEdit, 1, "", "low", "[level] " + choice + "low | " + kTwoChoices.toStdString()},
        {Dialog::kDuplicate, 1, "", "",
         " " + choice + "low,mid,high | " + kTooLongOrShort.toStdString()},
        {Dialog::kDuplicate, 1, "level", "",
         "level " + choice + "low,mid,high | " + InUse("level").toStdString()},
        {Dialog::kDuplicate, 1, "level2", "", "level2 " + choice + "low,mid,high |  OK"},
        {Dialog::kDuplicate, 2, "", "",
         " [Point] 3.0 -20.5 20.5 0.5 1 [] | " + kTooLongOrShort.toStdString()},
    };
    for (const auto& c : cases) {
        Dialog dialog(nullptr, c.mode, node->GetAttributeByIndex(c.index));
        DialogFields f(dialog);
        f.name->setText(c.name.isEmpty() ? f.name->text() : c.name);
        f.choices->setText(c.choices.isEmpty() ? f.choices->text() : c.choices);
        EXPECT_EQ(f.Shown(), c.shown);
    }
    // A value with more decimals than the attribute's shows as it is.
    Dialog contrast(nullptr, Dialog::kEdit, node->GetAttributeByIndex(3));
    EXPECT_EQ(DialogFields(contrast).default_value->value(), 1.2345);
}

TEST_F(QAddEditAttributeDialogTest, ChoicesAreValidatedOnlyForAChoiceWithAValidName) {
    // By message; the name's own messages come first.
    const std::pair<QString, std::vector<std::pair<const char*, const char*>>> groups[] = {
        {"", {{"level", "a,b"}, {"level", "a,b,"}, {"level", "a,,b"}, {"level", "0,1"}}},
        {kTwoChoices, {{"level", "a,"}, {"level", "a"}, {"level", "a,,,"}}},
        {kChoicesRequired, {{"level", ""}}},
        {kInvalidChoices, {{"level", ",a,b"}, {"level", "a b,c"}, {"level", "a;b"}}},
        {kTooLongOrShort, {{"", ""}}},
        {kInvalidName, {{"1level", "a"}}}};
    Dialog dialog(nullptr, Dialog::kAdd, nullptr);
    DialogFields f(dialog);
    f.type->setCurrentIndex(Attribute::CHOICE);
    for (const auto& [message, cases] : groups) {
        for (const auto& [name, choices] : cases) {
            f.name->setText("x");
            f.name->setText(QString::fromUtf8(name));
            f.choices->setText("x");
            f.choices->setText(QString::fromUtf8(choices));
            EXPECT_EQ(f.status->text(), message) << name << " / " << choices;
            EXPECT_EQ(f.ok->isEnabled(), message.isEmpty());
            EXPECT_EQ(dialog.GetChoices(), choices);
        }
    }

    // Choices do not matter for another type; coming back to Choice validates them again.
    f.name->setText("level");
    f.choices->setText("");
    EXPECT_EQ(f.status->text(), kChoicesRequired);
    f.type->setCurrentIndex(Attribute::STRING);
    EXPECT_TRUE(f.status->text().isEmpty());
    EXPECT_TRUE(f.ok->isEnabled());
    f.type->setCurrentIndex(Attribute::CHOICE);
    EXPECT_EQ(f.status->text(), kChoicesRequired);
    EXPECT_FALSE(f.ok->isEnabled());

    // The validator keeps a leading comma and other characters from being typed.
    f.choices->clear();
    QTest::keyClicks(f.choices, ",a b,c");
    EXPECT_EQ(f.choices->text(), "ab,c");
    EXPECT_TRUE(f.ok->isEnabled());
}

}  // namespace
