#include "host/QAttributeManager.h"

#include <functional>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "host/Attribute.h"
#include "host/Engine.h"
#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"
#include "tests/hostlib/widgets/WidgetsTest.h"

namespace {
// Slider width giving a track of exactly 100 pixels between the handle margins.
constexpr int kSliderWidth = 109;
constexpr int kTrackStart = 4;

// The widget set of one attribute, built the way a panel builds it, with its manager.
struct Rig {
    Rig(Node* node, unsigned index) {
        label = new QLabel(&parent);
        auto spinner = [this] { return new QDragSpinner(&parent); };
        auto slider = [this] {
            auto* s = new QMultiSlider(&parent);
            s->setFixedSize(kSliderWidth, 22);
            return s;
        };
        switch (node->GetAttributeByIndex(index)->GetType()) {
            case Attribute::BOOLEAN:
                check_box = new QCheckBox(&parent);
                manager = new QAttributeManager(&parent, node, index, nullptr, label, check_box);
                break;
            case Attribute::NUMBER:
                spinners[0] = spinner();
                sliders[0] = slider();
                manager = new QAttributeManager(&parent, node, index, nullptr, label, spinners[0],
                                                sliders[0]);
                break;
            case Attribute::POINT:
                spinners[0] = spinner();
                spinners[1] = spinner();
                sliders[0] = slider();
                manager = new QAttributeManager(&parent, node, index, nullptr, label, spinners[0],
                                                spinners[1], sliders[0]);
                break;
            case Attribute::FRAME:
                for (QDragSpinner*& s : spinners) {
                    s = spinner();
                }
                sliders[0] = slider();
                sliders[1] = slider();
                manager = new QAttributeManager(&parent, node, index, nullptr, label, spinners[0],
                                                spinners[1], sliders[0], new QLabel(&parent),
                                                spinners[2], spinners[3], sliders[1]);
                break;
            case Attribute::RGBO:
                color_button = new QColorButton(&parent);
                spinners[0] = spinner();
                sliders[0] = slider();
                manager = new QAttributeManager(&parent, node, index, nullptr, label, color_button,
                                                spinners[0], sliders[0]);
                break;
            case Attribute::CHOICE:
                combo_box = new QComboBox(&parent);
                manager = new QAttributeManager(&parent, node, index, nullptr, label, combo_box);
                break;
            case Attribute::STRING:
                line_edit = new QLineEdit(&parent);
                manager = new QAttributeManager(&parent, node, index, nullptr, label, line_edit);
                break;
        }
    }
    void Start() {
        manager->connect();
        manager->update();
    }
    // Clicks the slider at a fraction of its track.
    static void Click(QMultiSlider* slider, double fraction) {
        QTest::mouseClick(slider, Qt::LeftButton, {},
                          QPoint(kTrackStart + int(fraction * 100.0), 11));
    }

    QWidget parent;
    QLabel* label = nullptr;
    QCheckBox* check_box = nullptr;
    QDragSpinner* spinners[4] = {nullptr, nullptr, nullptr, nullptr};
    QMultiSlider* sliders[2] = {nullptr, nullptr};
    QColorButton* color_button = nullptr;
    QComboBox* combo_box = nullptr;
    QLineEdit* line_edit = nullptr;
    QAttributeManager* manager = nullptr;
};

std::string Num(double value) {
    return QString::number(value).toStdString();
}

struct BindingCase {
    const char* what;
    unsigned attribute;
    std::function<void(Rig&)> edit;
    std::string edited;  // the attribute's value text after the edit
    std::function<void(Attribute&)> set;
    std::function<std::string(const Rig&)> shown;
    std::string expected_shown;  // what the widgets show after set and update
};
}  // namespace

using QAttributeManagerTest = WidgetsTest;

TEST_F(QAttributeManagerTest, BindsEveryWidgetSetBothWays) {
    const BindingCase cases[] = {
        {"check box", TypesNode::kFlag, [](Rig& r) { r.check_box->setChecked(true); }, "1",
         [](Attribute& a) { a.SetBoolean(false, false); },
         [](const Rig& r) { return std::string(r.check_box->isChecked() ? "1" : "0"); }, "0"},
        {"number spinner", TypesNode::kAmount, [](Rig& r) { r.spinners[0]->setValue(7.5); }, "7.5",
         [](Attribute& a) { a.SetNumber(3.5, false); },
         [](const Rig& r) {
             return Num(r.spinners[0]->value()) + "/" + Num(r.sliders[0]->GetValue(0));
         },
         "3.5/3.5"},
        {"number slider", TypesNode::kAmount, [](Rig& r) { Rig::Click(r.sliders[0], 0.8); }, "8",
         [](Attribute& a) { a.SetNumber(0.5, false); },
         [](const Rig& r) { return Num(r.sliders[0]->GetValue(0)); }, "0.5"},
        {"point y spinner", TypesNode::kCenter, [](Rig& r) { r.spinners[1]->setValue(-1.5); },
         "1,-1.5",
         [](Attribute& a) {
             a.SetPoint({-1.25, 4.0}, false);
         },
         [](const Rig& r) {
             return Num(r.spinners[0]->value()) + "," + Num(r.spinners[1]->value()) + "/" +
                    Num(r.sliders[0]->GetValue(0));
         },
         "-1.25,4/-1.25"},
        {"point slider moves both", TypesNode::kCenter,
         [](Rig& r) { Rig::Click(r.sliders[0], 0.75); }, "2.5,3.5", [](Attribute&) {},
         [](const Rig& r) { return Num(r.spinners[1]->value()); }, "3.5"},
        {"point slider clamps the other component", TypesNode::kCenter,
         [](Rig& r) { Rig::Click(r.sliders[0], 1.0); }, "5,5", [](Attribute&) {},
         [](const Rig& r) { return Num(r.spinners[0]->value()); }, "5"},
        {"frame width spinner", TypesNode::kCrop, [](Rig& r) { r.spinners[2]->setValue(640.0); },
         "10,20,640,400",
         [](Attribute& a) {
             a.SetFrame({1.0, 2.0, 3.0, 4.0}, false);
         },
         [](const Rig& r) {
             std::string text;
             for (QDragSpinner* s : r.spinners) {
                 text += Num(s->value()) + ",";
             }
             return text + Num(r.sliders[0]->GetValue(0)) + "/" + Num(r.sliders[1]->GetValue(0));
         },
         "1,2,3,4,1/3"},
        {"frame size slider", TypesNode::kCrop, [](Rig& r) { Rig::Click(r.sliders[1], 0.5); },
         "10,20,2048,2148", [](Attribute&) {},
         [](const Rig& r) { return Num(r.spinners[3]->value()); }, "2148"},
        {"opacity spinner", TypesNode::kTint, [](Rig& r) { r.spinners[0]->setValue(0.25); },
         "0.2,0.4,0.6,0.25",
         [](Attribute& a) {
             a.SetRgbo({1.0, 0.0, 1.0, 0.3}, false);
         },
         [](const Rig& r) {
             return r.color_button->GetColor().name().toStdString() + "/" +
                    Num(r.spinners[0]->value()) + "/" + Num(r.sliders[0]->GetValue(0));
         },
         "#ff00ff/0.3/0.3"},
        {"colour button", TypesNode::kTint,
         [](Rig& r) { emit r.color_button->ColorChangedSignal(QColor(255, 0, 0)); }, "1,0,0,0.8",
         [](Attribute&) {}, [](const Rig& r) { return Num(r.spinners[0]->value()); }, "0.8"},
        {"opacity slider", TypesNode::kTint, [](Rig& r) { Rig::Click(r.sliders[0], 0.5); },
         "0.2,0.4,0.6,0.5", [](Attribute&) {},
         [](const Rig& r) { return Num(r.spinners[0]->value()); }, "0.5"},
        {"combo box", TypesNode::kMode, [](Rig& r) { r.combo_box->setCurrentIndex(2); }, "Screen",
         [](Attribute& a) { a.SetChoice("Multiply", false); },
         [](const Rig& r) {
             return r.combo_box->currentText().toStdString() + " of " + Num(r.combo_box->count());
         },
         "Multiply of 3"},
        {"line edit", TypesNode::kPath,
         [](Rig& r) {
             r.line_edit->clear();
             QTest::keyClicks(r.line_edit, "b.qmr");
             QTest::keyClick(r.line_edit, Qt::Key_Return);
         },
         "b.qmr", [](Attribute& a) { a.SetString("c.qmr", false); },
         [](const Rig& r) { return r.line_edit->text().toStdString(); }, "c.qmr"},
    };
    for (const BindingCase& c : cases) {
        SCOPED_TRACE(c.what);
        TypesNode* node = Make();
        Update::Get()->FlushEventsToProcess();
        Rig rig(node, c.attribute);
        rig.Start();
        QSignalSpy edited(rig.manager, &QAttributeManager::AttributeEditedSignal);

        c.edit(rig);
        EXPECT_EQ(Text(node, c.attribute), c.edited);
        ASSERT_GE(edited.count(), 1);
        EXPECT_EQ(edited.last().at(0).toUInt(), c.attribute);
        // Written with notification; the flush comes from the event loop.
        EXPECT_GT(Update::Get()->GetNumPending(), 0u);
        QCoreApplication::processEvents();
        EXPECT_EQ(Update::Get()->GetNumPending(), 0u);

        c.set(*node->GetAttributeByIndex(c.attribute));
        rig.manager->update();
        EXPECT_EQ(c.shown(rig), c.expected_shown);
    }
}

TEST_F(QAttributeManagerTest, AppliesRangeStepAndDecimalsAndReappliesThemOnChange) {
    TypesNode* node = Make();
    Update::Get()->FlushEventsToProcess();
    Rig amount(node, TypesNode::kAmount);
    amount.Start();
    QDragSpinner* spinner = amount.spinners[0];
    EXPECT_EQ(spinner->decimals(), 1);
    EXPECT_EQ(spinner->minimum(), 0.0);
    EXPECT_EQ(spinner->maximum(), 10.0);
    EXPECT_EQ(spinner->singleStep(), 0.5);
    EXPECT_EQ(amount.sliders[0]->GetMaximum(), 10.0);

    Attribute* attribute = node->GetAttributeByIndex(TypesNode::kAmount);
    attribute->SetNumber(50.0, false);
    attribute->m_minimum = 20.0;  // upside down: the widgets take -20 to 20
    attribute->m_maximum = -20.0;
    attribute->m_decimals = 3;
    attribute->m_single_step = 0.125;
    amount.manager->attributeParametersChanged();
    EXPECT_EQ(spinner->decimals(), 3);
    EXPECT_EQ(spinner->minimum(), -20.0);
    EXPECT_EQ(spinner->maximum(), 20.0);
    EXPECT_EQ(spinner->singleStep(), 0.125);
    EXPECT_EQ(amount.sliders[0]->GetMinimum(), -20.0);
    EXPECT_EQ(spinner->value(), 20.0);
    EXPECT_EQ(attribute->GetNumber(), 50.0) << "showing a value must not write it back";
    EXPECT_EQ(Update::Get()->GetNumPending(), 0u);

    Rig mode(node, TypesNode::kMode);
    mode.Start();
    node->GetAttributeByIndex(TypesNode::kMode)->SetChoiceNames("Low,High");
    mode.manager->attributeParametersChanged();
    ASSERT_EQ(mode.combo_box->count(), 2);
    EXPECT_EQ(mode.combo_box->itemText(1), "High");
    EXPECT_EQ(Text(node, TypesNode::kMode), "Low");

    Rig crop(node, TypesNode::kCrop);
    Rig tint(node, TypesNode::kTint);
    EXPECT_EQ(crop.sliders[1]->GetMaximum(), QAttributeManager::kFrameSliderMaximum);
    EXPECT_GE(crop.spinners[2]->maximum(), 1e6);
    EXPECT_EQ(tint.spinners[0]->maximum(), 1.0);
    EXPECT_EQ(tint.sliders[0]->GetMaximum(), 1.0);
}

TEST_F(QAttributeManagerTest, BlockSignalsStopsEditsUntilUnblocked) {
    TypesNode* node = Make();
    Rig rig(node, TypesNode::kCenter);
    rig.Start();
    EXPECT_FALSE(rig.manager->blockSignals(true));
    rig.spinners[0]->setValue(4.0);
    EXPECT_EQ(Text(node, TypesNode::kCenter), "1,2");
    EXPECT_TRUE(rig.spinners[1]->signalsBlocked());
    EXPECT_TRUE(rig.manager->blockSignals(false));
    rig.spinners[1]->setValue(-3.0);
    EXPECT_EQ(Text(node, TypesNode::kCenter), "1,-3");
    EXPECT_EQ(rig.spinners[0]->value(), 1.0) << "the edit shows the whole value again";
    // A second connect must not wire the widgets twice (one edit, one signal).
    rig.manager->connect();
    QSignalSpy edited(rig.manager, &QAttributeManager::AttributeEditedSignal);
    rig.spinners[1]->setValue(-2.0);
    EXPECT_EQ(edited.count(), 1);
}

TEST_F(QAttributeManagerTest, ConnectionDisablesExposedEditorsOnly) {
    TypesNode* source = Make();
    TypesNode* target = Make();
    Rig exposed(target, TypesNode::kAmount);
    exposed.Start();
    Rig unexposed(target, TypesNode::kAmount);
    unexposed.manager->DontExposeAttributeAsInput();
    EXPECT_FALSE(unexposed.manager->IsExposedAsInput());
    unexposed.Start();
    // Disabled by someone else; the manager leaves it so while no connection changes.
    Rig other(target, TypesNode::kFlag);
    other.Start();
    other.check_box->setEnabled(false);
    other.manager->update();
    EXPECT_FALSE(other.check_box->isEnabled());

    ASSERT_TRUE(
        Engine::Get()->ConnectNodes(source, source->FindOutplug("amount"), target,
                                    target->GetInplugIdFromAttributeId(TypesNode::kAmount)));
    exposed.manager->update();
    unexposed.manager->update();
    EXPECT_FALSE(exposed.spinners[0]->isEnabled());
    EXPECT_FALSE(exposed.sliders[0]->isEnabled());
    EXPECT_TRUE(unexposed.spinners[0]->isEnabled());
    EXPECT_TRUE(unexposed.sliders[0]->isEnabled());

    ASSERT_TRUE(Engine::Get()->DisconnectInplug(
        target, target->GetInplugIdFromAttributeId(TypesNode::kAmount)));
    exposed.manager->update();
    EXPECT_TRUE(exposed.spinners[0]->isEnabled());
    EXPECT_TRUE(exposed.sliders[0]->isEnabled());
}

TEST_F(QAttributeManagerTest, DeletedAttributeLeavesTheManagerInert) {
    TypesNode* node = Make();
    Rig rig(node, TypesNode::kAmount);
    rig.Start();
    ASSERT_TRUE(node->DeleteAttribute(TypesNode::kFlag));
    // Index 1 now holds the POINT attribute; the manager must not write a number into it.
    EXPECT_EQ(rig.manager->GetAttribute(), nullptr);
    rig.spinners[0]->setValue(9.0);
    rig.manager->update();
    rig.manager->attributeParametersChanged();
    EXPECT_EQ(Text(node, TypesNode::kAmount), "1,2");
}
