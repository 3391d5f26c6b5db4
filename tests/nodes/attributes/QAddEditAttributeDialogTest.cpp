#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "host/Engine.h"
#include "host/NodeGraph.h"
#include "host/RefPtr.h"
#include "nodes/attributes/AttributesNode.h"
#include "nodes/attributes/QAddEditAttributeDialog.h"
#include "nodes/control/LoopIterationsNode.h"
#include "nodes/io/BooleanIoNode.h"
#include "nodes/io/CurvesIoNode.h"
#include "nodes/io/FrameIoNode.h"
#include "nodes/io/ImageIoNode.h"
#include "nodes/io/MaterialIoNode.h"
#include "nodes/io/NumberIoNode.h"
#include "nodes/io/PointIoNode.h"
#include "nodes/io/RgboIoNode.h"

namespace {

const QString kTooLongOrShort = "<b>Name</b> is too long or too short.";
const QString kInvalidName = "<b>Name</b> has invalid characters.";
const QString kChoicesRequired = "<b>Choices</b> is required.";
const QString kInvalidChoices = "<b>Choices</b> has invalid characters.";
const QString kTwoChoices = "Please enter at least 2 <b>Choices</b>.";

QString InUse(const QString& name) {
    return "<b>Name</b> is already defined. <b>" + name + "</b>";
}

// Each test starts from an empty document.
class QAddEditAttributeDialogTest : public testing::Test {
protected:
    void SetUp() override { Engine::Get()->SetDocument(nullptr); }
    void TearDown() override { Engine::Get()->SetDocument(nullptr); }

    // An Attributes node of the document.
    AttributesNode* AddAttributesNode() {
        auto* node = new AttributesNode;
        EXPECT_TRUE(Engine::Get()->GetDocument()->AddNode(node));
        return node;
    }

    void AddNamed(Node* node, const std::string& name) {
        node->SetName(name);
        EXPECT_TRUE(Engine::Get()->GetDocument()->AddNode(node));
    }
};

template <typename T>
T* Child(const QWidget& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// The fields of a dialog, found by their object names.
struct Fields {
    explicit Fields(const QAddEditAttributeDialog& dialog)
        : name(Child<QLineEdit>(dialog, "m_name_qtext")),
          type(Child<QComboBox>(dialog, "m_type_qcombo")),
          default_value(Child<QDoubleSpinBox>(dialog, "m_default_qspin")),
          minimum(Child<QDoubleSpinBox>(dialog, "m_minimum_qspin")),
          maximum(Child<QDoubleSpinBox>(dialog, "m_maximum_qspin")),
          single_step(Child<QDoubleSpinBox>(dialog, "m_single_step_qspin")),
          decimals(Child<QDoubleSpinBox>(dialog, "m_decimals_qspin")),
          choices(Child<QLineEdit>(dialog, "m_choices_qtext")),
          status(Child<QLabel>(dialog, "m_status_qlabel")),
          ok(Child<QDialogButtonBox>(dialog, "m_ok_cancel_buttons")->button(QDialogButtonBox::Ok)) {
    }

    QLineEdit* name;
    QComboBox* type;
    QDoubleSpinBox* default_value;
    QDoubleSpinBox* minimum;
    QDoubleSpinBox* maximum;
    QDoubleSpinBox* single_step;
    QDoubleSpinBox* decimals;
    QLineEdit* choices;
    QLabel* status;
    QPushButton* ok;
};

TEST_F(QAddEditAttributeDialogTest, FreshAddDialogHasItsFormAndWaitsForAName) {
    QAddEditAttributeDialog dialog(nullptr, QAddEditAttributeDialog::kAdd, nullptr);
    Fields f(dialog);
    EXPECT_EQ(dialog.objectName(), "QAddEditAttributeDialog");
    EXPECT_EQ(dialog.windowTitle(), "Dialog");

    QStringList items;
    for (int k = 0; k < f.type->count(); ++k) {
        items << f.type->itemText(k);
    }
    EXPECT_EQ(items,
              QStringList({"Boolean", "Number", "Point", "Frame", "Rgbo", "Choice", "String"}));
    EXPECT_EQ(f.type->currentIndex(), 0);

    // Ranges, initial values and decimals of the spin boxes.
    const struct {
        QDoubleSpinBox* spin;
        double minimum, maximum, value;
    } spins[] = {{f.default_value, -1e6, 1e6, 0},
                 {f.minimum, -1e6, 1e6, 0},
                 {f.maximum, -1e6, 1e6, 100},
                 {f.single_step, 0, 10000, 1},
                 {f.decimals, 0, 10, 0}};
    for (const auto& expected : spins) {
        SCOPED_TRACE(expected.spin->objectName().toStdString());
        EXPECT_EQ(expected.spin->minimum(), expected.minimum);
        EXPECT_EQ(expected.spin->maximum(), expected.maximum);
        EXPECT_EQ(expected.spin->value(), expected.value);
        EXPECT_EQ(expected.spin->decimals(), 0);
        // typeChanged has not run yet: everything starts enabled.
        EXPECT_TRUE(expected.spin->isEnabled());
    }
    EXPECT_TRUE(f.choices->isEnabled());
    EXPECT_TRUE(f.name->isEnabled());
    EXPECT_TRUE(f.name->text().isEmpty());
    EXPECT_TRUE(f.status->text().isEmpty());
    EXPECT_FALSE(f.ok->isEnabled());

    // One typed letter is a valid, unused name.
    QTest::keyClicks(f.name, "a");
    EXPECT_EQ(f.name->text(), "a");
    EXPECT_TRUE(f.status->text().isEmpty());
    EXPECT_TRUE(f.ok->isEnabled());
    EXPECT_EQ(dialog.GetName(), "a");

    // The validator keeps out what cannot start or continue a name.
    f.name->clear();
    QTest::keyClicks(f.name, "9x-y z");
    EXPECT_EQ(f.name->text(), "xyz");
}

TEST_F(QAddEditAttributeDialogTest, NameMessagesFollowLengthCharactersAndUse) {
    AttributesNode* first = AddAttributesNode();
    first->AddNumberAttribute("Scale", 1, 0, 10, 1, 0);
    // Longer than a typed name may be: a clash still outranks the length message.
    first->AddStringAttribute("abcdefghijklmnopq", "");
    AttributesNode* second = AddAttributesNode();
    second->AddBooleanAttribute("Enabled", true);
    // A node that is not an IO node does not reserve its name.
    AddNamed(new LoopIterationsNode, "loops");
    // Free-standing nodes are not part of the document.
    RefPtr<NumberIoNode> outside = new NumberIoNode;
    outside->SetName("outside");

    const struct {
        const char* name;
        QString message;
    } cases[] = {
        {"a", ""},
        {"abcdefghijklmnop", ""},
        {"abcdefghijklmnoz", ""},
        {"abcdefghijklmnopr", kTooLongOrShort},
        {"", kTooLongOrShort},
        {"1abc", kInvalidName},
        {"_abc", kInvalidName},
        {"ab-c", kInvalidName},
        {"ab c", kInvalidName},
        {"SCALE", InUse("scale")},
        {"scale", InUse("scale")},
        {"enabled", InUse("enabled")},
        {"ABCDEFGHIJKLMNOPQ", InUse("abcdefghijklmnopq")},
        {"scale2", ""},
        {"loops", ""},
        {"outside", ""},
    };
    QAddEditAttributeDialog dialog(nullptr, QAddEditAttributeDialog::kAdd, nullptr);
    Fields f(dialog);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Set directly so that the validator does not filter the text; "x" first so that every
        // case is a change.
        f.name->setText("x");
        f.name->setText(QString::fromUtf8(c.name));
        EXPECT_EQ(f.status->text(), c.message);
        EXPECT_EQ(f.ok->isEnabled(), c.message.isEmpty());
    }
}

TEST_F(QAddEditAttributeDialogTest, IoNodeNamesOfEveryIoTypeAreInUse) {
    const std::function<Node*()> makers[] = {
        [] { return new BooleanIoNode; }, [] { return new NumberIoNode; },
        [] { return new PointIoNode; },   [] { return new FrameIoNode; },
        [] { return new RgboIoNode; },    [] { return new ImageIoNode; },
        [] { return new CurvesIoNode; },  [] { return new MaterialIoNode; },
    };
    int k = 0;
    for (const auto& make : makers) {
        Engine::Get()->SetDocument(nullptr);
        Node* node = make();
        SCOPED_TRACE(node->GetTypeName());
        AddNamed(node, "Input_" + std::to_string(k++));

        QAddEditAttributeDialog dialog(nullptr, QAddEditAttributeDialog::kAdd, nullptr);
        Fields f(dialog);
        f.name->setText(QString::fromStdString("INPUT_" + std::to_string(k - 1)));
        EXPECT_EQ(f.status->text(), InUse(QString::fromStdString(node->GetName()).toLower()));
        EXPECT_FALSE(f.ok->isEnabled());
        f.name->setText("Input_99");
        EXPECT_TRUE(f.ok->isEnabled());
    }
}

TEST_F(QAddEditAttributeDialogTest, EditModeShowsTheAttributeAndSkipsItsOwnName) {
    AttributesNode* node = AddAttributesNode();
    node->AddNumberAttribute("Gain", 2.75, -0.5, 9.9, 0.25, 2);
    AttributesNode* other = AddAttributesNode();
    other->AddNumberAttribute("offset", 0, 0, 1, 1, 0);

    Attribute* gain = node->GetAttributeByIndex(0);
    QAddEditAttributeDialog dialog(nullptr, QAddEditAttributeDialog::kEdit, gain);
    Fields f(dialog);
    EXPECT_EQ(f.name->text(), "Gain");
    EXPECT_FALSE(f.name->isEnabled());
    EXPECT_EQ(f.type->currentIndex(), int(Attribute::NUMBER));
    EXPECT_FALSE(f.type->isEnabled());
    // The attribute's own name does not count as in use.
    EXPECT_TRUE(f.status->text().isEmpty());
    EXPECT_TRUE(f.ok->isEnabled());

    // Number fields enabled for a number, choices not.
    EXPECT_TRUE(f.default_value->isEnabled());
    EXPECT_TRUE(f.decimals->isEnabled());
    EXPECT_FALSE(f.choices->isEnabled());
    // The attribute's exact values, with its decimals.
    EXPECT_EQ(dialog.GetDecimals(), 2);
    EXPECT_EQ(f.default_value->text(), "2.75");
    EXPECT_EQ(f.minimum->text(), "-0.50");
    EXPECT_EQ(f.maximum->text(), "9.90");
    EXPECT_EQ(f.single_step->value(), 0.25);

    // Another attribute's name is still in use.
    f.name->setText("OFFSET");
    EXPECT_EQ(f.status->text(), InUse("offset"));
    EXPECT_FALSE(f.ok->isEnabled());
}

// Values beyond what the boxes offer, or with more decimals than the attribute shows, appear as
// they are, and untouched fields count as unchanged whatever the boxes can hold.
TEST_F(QAddEditAttributeDialogTest, EditShowsExactValuesAndTracksChanges) {
    AttributesNode* node = AddAttributesNode();
    const double infinity = std::numeric_limits<double>::infinity();
    node->AddNumberAttribute("wide", std::nan(""), -infinity, infinity, 2e7, INT_MAX);
    node->AddNumberAttribute("contrast", 1.2345, 0, 2, 0.5, 0);
    QAddEditAttributeDialog wide(nullptr, QAddEditAttributeDialog::kEdit,
                                 node->GetAttributeByIndex(0));
    Fields w(wide);
    EXPECT_EQ(w.minimum->value(), -infinity);
    EXPECT_EQ(w.maximum->value(), infinity);
    EXPECT_EQ(w.single_step->value(), 2e7);
    EXPECT_TRUE(w.ok->isEnabled());

    QAddEditAttributeDialog contrast(nullptr, QAddEditAttributeDialog::kEdit,
                                     node->GetAttributeByIndex(1));
    Fields c(contrast);
    EXPECT_EQ(c.default_value->value(), 1.2345);
    for (QAddEditAttributeDialog* dialog : {&wide, &contrast}) {
        for (auto field :
             {QAddEditAttributeDialog::kDefaultField, QAddEditAttributeDialog::kMinimumField,
              QAddEditAttributeDialog::kMaximumField, QAddEditAttributeDialog::kSingleStepField,
              QAddEditAttributeDialog::kDecimalsField}) {
            EXPECT_FALSE(dialog->IsChanged(field)) << field;
        }
    }
    w.minimum->setValue(-5);
    EXPECT_TRUE(wide.IsChanged(QAddEditAttributeDialog::kMinimumField));
    EXPECT_FALSE(wide.IsChanged(QAddEditAttributeDialog::kMaximumField));
}

TEST_F(QAddEditAttributeDialogTest, EditAndDuplicateOfAChoiceShowItsChoices) {
    AttributesNode* node = AddAttributesNode();
    node->AddChoiceAttribute("level", "low,mid,high");
    Attribute* level = node->GetAttributeByIndex(0);

    QAddEditAttributeDialog edit(nullptr, QAddEditAttributeDialog::kEdit, level);
    Fields e(edit);
    EXPECT_EQ(e.choices->text(), "low,mid,high");
    EXPECT_TRUE(e.choices->isEnabled());
    EXPECT_FALSE(e.default_value->isEnabled());
    EXPECT_TRUE(e.ok->isEnabled());
    e.choices->setText("low");
    EXPECT_EQ(e.status->text(), kTwoChoices);
    EXPECT_FALSE(e.ok->isEnabled());

    // A duplicate needs a new name first.
    QAddEditAttributeDialog duplicate(nullptr, QAddEditAttributeDialog::kDuplicate, level);
    Fields d(duplicate);
    EXPECT_TRUE(d.name->text().isEmpty());
    EXPECT_TRUE(d.name->isEnabled());
    EXPECT_FALSE(d.type->isEnabled());
    EXPECT_EQ(d.type->currentIndex(), int(Attribute::CHOICE));
    EXPECT_EQ(d.choices->text(), "low,mid,high");
    EXPECT_EQ(d.status->text(), kTooLongOrShort);
    EXPECT_FALSE(d.ok->isEnabled());
    QTest::keyClicks(d.name, "level");
    EXPECT_EQ(d.status->text(), InUse("level"));
    QTest::keyClicks(d.name, "2");
    EXPECT_TRUE(d.status->text().isEmpty());
    EXPECT_TRUE(d.ok->isEnabled());
}

TEST_F(QAddEditAttributeDialogTest, DuplicateOfANumberStartsFromItsParameters) {
    AttributesNode* node = AddAttributesNode();
    node->AddPointAttribute("centre", {3, 4}, -20.5, 20.5, 0.5, 1);
    QAddEditAttributeDialog dialog(nullptr, QAddEditAttributeDialog::kDuplicate,
                                   node->GetAttributeByIndex(0));
    Fields f(dialog);
    EXPECT_EQ(f.type->currentIndex(), int(Attribute::POINT));
    EXPECT_EQ(f.status->text(), kTooLongOrShort);
    EXPECT_EQ(dialog.GetDecimals(), 1);
    EXPECT_EQ(f.default_value->value(), 3.0);
    EXPECT_EQ(f.minimum->value(), -20.5);
    EXPECT_EQ(f.maximum->value(), 20.5);
    EXPECT_EQ(f.single_step->value(), 0.5);
}

TEST_F(QAddEditAttributeDialogTest, TypeEnablesItsFields) {
    const struct {
        int type;
        bool numbers;
        bool choices;
    } cases[] = {{Attribute::NUMBER, true, false}, {Attribute::BOOLEAN, false, false},
                 {Attribute::POINT, true, false},  {Attribute::RGBO, false, false},
                 {Attribute::FRAME, true, false},  {Attribute::CHOICE, false, true},
                 {Attribute::STRING, false, false}};
    QAddEditAttributeDialog dialog(nullptr, QAddEditAttributeDialog::kAdd, nullptr);
    Fields f(dialog);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        f.type->setCurrentIndex(c.type);
        EXPECT_EQ(dialog.GetTypeIndex(), c.type);
        for (QDoubleSpinBox* spin :
             {f.decimals, f.default_value, f.minimum, f.maximum, f.single_step}) {
            EXPECT_EQ(spin->isEnabled(), c.numbers) << spin->objectName().toStdString();
        }
        EXPECT_EQ(f.choices->isEnabled(), c.choices);
        // The name is never touched.
        EXPECT_TRUE(f.name->isEnabled());
    }
}

TEST_F(QAddEditAttributeDialogTest, ChoicesAreValidatedOnlyForAChoiceWithAValidName) {
    const struct {
        const char* name;
        const char* choices;
        QString message;
    } cases[] = {
        {"level", "a,b", ""},
        {"level", "a,b,", ""},
        {"level", "a,,b", ""},
        {"level", "0,1", ""},
        {"level", "a,", kTwoChoices},
        {"level", "a", kTwoChoices},
        {"level", "a,,,", kTwoChoices},
        {"level", "", kChoicesRequired},
        {"level", ",a,b", kInvalidChoices},
        {"level", "a b,c", kInvalidChoices},
        {"level", "a;b", kInvalidChoices},
        {"", "", kTooLongOrShort},
        {"1level", "a", kInvalidName},
    };
    QAddEditAttributeDialog dialog(nullptr, QAddEditAttributeDialog::kAdd, nullptr);
    Fields f(dialog);
    f.type->setCurrentIndex(Attribute::CHOICE);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.choices);
        f.name->setText("x");
        f.name->setText(QString::fromUtf8(c.name));
        f.choices->setText("x");
        f.choices->setText(QString::fromUtf8(c.choices));
        EXPECT_EQ(f.status->text(), c.message);
        EXPECT_EQ(f.ok->isEnabled(), c.message.isEmpty());
        EXPECT_EQ(dialog.GetChoices(), c.choices);
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

TEST_F(QAddEditAttributeDialogTest, DecimalsReachTheNumberBoxesAndResetTheStep) {
    QAddEditAttributeDialog dialog(nullptr, QAddEditAttributeDialog::kAdd, nullptr);
    Fields f(dialog);
    f.type->setCurrentIndex(Attribute::NUMBER);
    f.single_step->setValue(5);

    const struct {
        double decimals;
        int expected;
        double step;
    } cases[] = {{3, 3, 0.001}, {2, 2, 0.01}, {0, 0, 1}, {10, 10, 1e-10}, {1, 1, 0.1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.decimals);
        f.decimals->setValue(c.decimals);
        EXPECT_EQ(dialog.GetDecimals(), c.expected);
        for (QDoubleSpinBox* spin : {f.default_value, f.minimum, f.maximum, f.single_step}) {
            EXPECT_EQ(spin->decimals(), c.expected) << spin->objectName().toStdString();
        }
        EXPECT_DOUBLE_EQ(f.single_step->value(), c.step);
        // The decimals box itself shows whole numbers.
        EXPECT_EQ(f.decimals->decimals(), 0);
    }
    // A step typed after the decimals is kept.
    f.single_step->setValue(0.5);
    EXPECT_EQ(dialog.GetSingleStep(), 0.5);
}

}  // namespace
