#include "host/QAttributeManager.h"

#include <functional>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "host/Attribute.h"
#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"
#include "host/QNodeAttributesWidget.h"
#include "host/StringJoin.h"
#include "tests/hostlib/widgets/WidgetsTest.h"

namespace {
// Slider width giving a track of exactly 100 pixels from x = 4.
constexpr int kSliderWidth = 109;
constexpr int kTrackStart = 4;

// One attribute's row of a panel, its editors in the order a user meets them, and its manager.
struct Rig {
    Rig(Node* node, unsigned index)
        : panel(nullptr, node, nullptr, nullptr, false),
          name(QString::fromStdString(node->GetAttributeByIndex(index)->GetName())),
          manager(panel.GetManager(index)) {
        for (QMultiSlider* slider : sliders) {
            slider->setFixedSize(kSliderWidth, 22);
        }
    }
    template <typename T>
    T* One() {
        QList<T*> found = RowWidgets<T>(panel, name);
        return found.isEmpty() ? nullptr : found.front();
    }
    // Clicks the slider at a fraction of its track.
    static void Click(QMultiSlider* slider, double fraction) {
        QTest::mouseClick(slider, Qt::LeftButton, {},
                          QPoint(kTrackStart + int(fraction * 100.0), 11));
    }

    QNodeAttributesWidget panel;
    QString name;
    QAttributeManager* manager;
    QList<QDragSpinner*> spinners = RowWidgets<QDragSpinner>(panel, name);
    QList<QMultiSlider*> sliders = RowWidgets<QMultiSlider>(panel, name);
    QCheckBox* check_box = One<QCheckBox>();
    QColorButton* color_button = One<QColorButton>();
    QComboBox* combo_box = One<QComboBox>();
    QLineEdit* line_edit = One<QLineEdit>();  // of a string's row
};

std::string Num(double value) {
    return QString::number(value).toStdString();
}

// Everything the row's editors show, slider values after a slash.
std::string Shown(const Rig& r) {
    std::vector<std::string> parts;
    if (r.check_box) {
        parts.push_back(r.check_box->isChecked() ? "on" : "off");
    }
    if (r.color_button) {
        parts.push_back(r.color_button->GetColor().name().toStdString());
    }
    for (QDragSpinner* spinner : r.spinners) {
        parts.push_back(Num(spinner->value()));
    }
    for (QMultiSlider* slider : r.sliders) {
        parts.push_back("/" + Num(slider->GetValue(0)));
    }
    if (r.combo_box) {
        parts.push_back(r.combo_box->currentText().toStdString() + " of " +
                        Num(r.combo_box->count()));
    }
    if (r.spinners.isEmpty() && r.line_edit) {
        parts.push_back(r.line_edit->text().toStdString());
    }
    return StringJoin(parts, " ");
}
}  // namespace

using QAttributeManagerTest = WidgetsTest;

// An edit in any editor reaches the attribute, with notification; a value set elsewhere reaches
// every editor of the row on update.
TEST_F(QAttributeManagerTest, BindsEveryWidgetSetBothWays) {
    const struct {
        unsigned attribute;
        std::function<void(Rig&)> edit;
        std::string edited;  // the attribute's value text after the edit
        std::string set;     // then set elsewhere, unless empty
        std::string shown;   // by the row after update
    } cases[] = {
        {TypesNode::kFlag, [](Rig& r) { r.check_box->setChecked(true); }, "1", "0", "off"},
        {TypesNode::kAmount, [](Rig& r) { r.spinners[0]->setValue(7.5); }, "7.5", "3.5",
         "3.5 /3.5"},
        {TypesNode::kAmount, [](Rig& r) { Rig::Click(r.sliders[0], 0.8); }, "8", "0.5", "0.5 /0.5"},
        {TypesNode::kCenter, [](Rig& r) { r.spinners[1]->setValue(-1.5); }, "1,-1.5", "-1.25,4",
         "-1.25 4 /-1.25"},
        {TypesNode::kCenter, [](Rig& r) { Rig::Click(r.sliders[0], 0.75); }, "2.5,3.5", "",
         "2.5 3.5 /2.5"},
        {TypesNode::kCenter, [](Rig& r) { Rig::Click(r.sliders[0], 1.0); }, "5,5", "", "5 5 /5"},
        {TypesNode::kCrop, [](Rig& r) { r.spinners[2]->setValue(640.0); }, "10,20,640,400",
         "1,2,3,4", "1 2 3 4 /1 /3"},
        {TypesNode::kCrop, [](Rig& r) { Rig::Click(r.sliders[1], 0.5); }, "10,20,2048,2148", "",
         "10 20 2048 2148 /10 /2048"},
        {TypesNode::kTint, [](Rig& r) { r.spinners[0]->setValue(0.25); }, "0.2,0.4,0.6,0.25",
         "1,0,1,0.3", "#ff00ff 0.3 /0.3"},
        {TypesNode::kTint,
         [](Rig& r) { emit r.color_button->ColorChangedSignal(QColor(255, 0, 0)); }, "1,0,0,0.8",
         "", "#ff0000 0.8 /0.8"},
        {TypesNode::kTint, [](Rig& r) { Rig::Click(r.sliders[0], 0.5); }, "0.2,0.4,0.6,0.5", "",
         "#336699 0.5 /0.5"},
        {TypesNode::kMode, [](Rig& r) { r.combo_box->setCurrentIndex(2); }, "Screen", "Multiply",
         "Multiply of 3"},
        {TypesNode::kPath,
         [](Rig& r) {
             r.line_edit->clear();
             QTest::keyClicks(r.line_edit, "b.qmr");
             QTest::keyClick(r.line_edit, Qt::Key_Return);
         },
         "b.qmr", "c.qmr", "c.qmr"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edited);
        TypesNode* node = Make();
        Update::Get()->FlushEventsToProcess();
        Rig rig(node, c.attribute);
        QSignalSpy edited(rig.manager, &QAttributeManager::AttributeEditedSignal);

        c.edit(rig);
        EXPECT_EQ(Text(node, c.attribute), c.edited);
        EXPECT_EQ(edited.isEmpty() ? -1 : edited.last().at(0).toInt(), int(c.attribute));
        // Written with notification; the flush comes from the event loop.
        EXPECT_GT(Update::Get()->GetNumPending(), 0u);
        QCoreApplication::processEvents();
        EXPECT_EQ(Update::Get()->GetNumPending(), 0u);

        if (!c.set.empty()) {
            ASSERT_TRUE(node->GetAttributeByIndex(c.attribute)->SetValueText(c.set, false));
        }
        rig.manager->update();
        EXPECT_EQ(Shown(rig), c.shown);
    }
}

TEST_F(QAttributeManagerTest, ReappliesRangeStepAndDecimalsWithoutWritingTheValue) {
    TypesNode* node = Make();
    Update::Get()->FlushEventsToProcess();
    Rig amount(node, TypesNode::kAmount);
    Rig mode(node, TypesNode::kMode);
    auto shown = [&] {
        const QDragSpinner* s = amount.spinners[0];
        return Num(s->minimum()) + ".." + Num(s->maximum()) + " by " + Num(s->singleStep()) + ", " +
               Num(s->decimals()) + " slider " + Num(amount.sliders[0]->GetMinimum()) + ".." +
               Num(amount.sliders[0]->GetMaximum()) + " " + Shown(amount) + " " + Shown(mode);
    };
    EXPECT_EQ(shown(), "0..10 by 0.5, 1 slider 0..10 2.5 /2.5 Add of 3");
    Attribute* attribute = node->GetAttributeByIndex(TypesNode::kAmount);
    attribute->SetNumber(50.0, false);
    attribute->m_minimum = 20.0;  // upside down: the widgets take -20 to 20
    attribute->m_maximum = -20.0;
    attribute->m_decimals = 3;
    attribute->m_single_step = 0.125;
    node->GetAttributeByIndex(TypesNode::kMode)->SetChoiceNames("Low,High");
    amount.manager->attributeParametersChanged();
    mode.manager->attributeParametersChanged();
    EXPECT_EQ(shown(), "-20..20 by 0.125, 3 slider -20..20 20 /20 Low of 2");
    EXPECT_EQ(Text(node, TypesNode::kAmount), "50") << "showing a value must not write it back";
    EXPECT_EQ(Update::Get()->GetNumPending(), 0u);
    EXPECT_EQ(Rig(node, TypesNode::kTint).sliders[0]->GetMaximum(), 1.0) << "opacity";
}

// Blocked, the editors write nothing; a second connect must not wire them twice; a deleted
// attribute leaves its manager inert.
TEST_F(QAttributeManagerTest, WritesOnlyWhileUnblockedConnectedOnceAndAttached) {
    TypesNode* node = Make();
    Rig rig(node, TypesNode::kCenter);
    EXPECT_FALSE(rig.manager->blockSignals(true));
    rig.spinners[0]->setValue(4.0);
    EXPECT_EQ(Text(node, TypesNode::kCenter), "1,2");
    EXPECT_TRUE(rig.manager->blockSignals(false));
    rig.manager->connect();
    QSignalSpy edited(rig.manager, &QAttributeManager::AttributeEditedSignal);
    rig.spinners[1]->setValue(-3.0);
    EXPECT_EQ(Text(node, TypesNode::kCenter), "1,-3");
    EXPECT_EQ(rig.spinners[0]->value(), 1.0) << "the edit shows the whole value again";
    EXPECT_EQ(edited.count(), 1);

    Rig amount(node, TypesNode::kAmount);
    ASSERT_TRUE(node->DeleteAttribute(TypesNode::kFlag));
    // Index 1 now holds the POINT attribute; the manager must not write a number into it.
    EXPECT_EQ(amount.manager->GetAttribute(), nullptr);
    amount.spinners[0]->setValue(9.0);
    amount.manager->update();
    amount.manager->attributeParametersChanged();
    EXPECT_EQ(Text(node, TypesNode::kAmount), "1,-3");
}
