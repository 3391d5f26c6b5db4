#include "host/QNodeAttributesWidget.h"

#include <thread>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "host/Attribute.h"
#include "host/Engine.h"
#include "host/QAttributeManager.h"
#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"
#include "tests/hostlib/widgets/WidgetsTest.h"

namespace {
using Info = QNodeAttributesWidget::AdditionalInfo;

std::vector<Info> Defaults() {
    return std::vector<Info>(TypesNode::kCount);
}

// The editors of an attribute's row: the widgets beside its name label.
template <typename T>
QList<T*> RowWidgets(QNodeAttributesWidget& panel, const char* name) {
    QLabel* label = panel.findChild<QLabel*>(QStringLiteral("label_") + name);
    return label ? label->parentWidget()->findChildren<T*>() : QList<T*>();
}
}  // namespace

using QNodeAttributesWidgetTest = WidgetsTest;

TEST_F(QNodeAttributesWidgetTest, BuildsOneRowPerShownAttributeWithItsWidgetSet) {
    TypesNode* node = Make();
    std::vector<Info> info = Defaults();
    info[TypesNode::kCenter].m_shown = 0;
    info[TypesNode::kTint].m_group_title = "Colour";
    info[TypesNode::kAmount].m_tool_tip = "How much";
    info[TypesNode::kCrop].m_suffix = "px";
    info[TypesNode::kMode].m_enabled = 0;
    info[TypesNode::kFlag].m_file_actions = 1;  // not a STRING: no buttons
    QNodeAttributesWidget panel(nullptr, node, nullptr, info.data(), false);

    struct Row {
        const char* name;
        unsigned index;
        int check_boxes, spinners, sliders, color_buttons, combo_boxes, line_edits;
    };
    const Row rows[] = {
        {"flag", TypesNode::kFlag, 1, 0, 0, 0, 0, 0},
        {"amount", TypesNode::kAmount, 0, 1, 1, 0, 0, 0},
        {"crop", TypesNode::kCrop, 0, 4, 2, 0, 0, 0},
        {"tint", TypesNode::kTint, 0, 1, 1, 1, 0, 0},
        {"mode", TypesNode::kMode, 0, 0, 0, 0, 1, 0},
        {"path", TypesNode::kPath, 0, 0, 0, 0, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QLabel* label = panel.findChild<QLabel*>(QStringLiteral("label_") + row.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), row.name);
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
        EXPECT_EQ(label->alignment(), Qt::AlignRight | Qt::AlignVCenter);
        EXPECT_EQ(RowWidgets<QCheckBox>(panel, row.name).size(), row.check_boxes);
        EXPECT_EQ(RowWidgets<QDragSpinner>(panel, row.name).size(), row.spinners);
        EXPECT_EQ(RowWidgets<QMultiSlider>(panel, row.name).size(), row.sliders);
        EXPECT_EQ(RowWidgets<QColorButton>(panel, row.name).size(), row.color_buttons);
        EXPECT_EQ(RowWidgets<QComboBox>(panel, row.name).size(), row.combo_boxes);
        EXPECT_EQ(RowWidgets<QLineEdit>(panel, row.name).size() -
                      RowWidgets<QDragSpinner>(panel, row.name).size(),
                  row.line_edits)
            << "spin boxes hold a line edit each";
        ASSERT_NE(panel.GetManager(row.index), nullptr);
        EXPECT_EQ(panel.GetManager(row.index)->GetAttributeIndex(), row.index);
    }
    EXPECT_EQ(panel.findChild<QLabel*>("label_center"), nullptr);
    EXPECT_EQ(panel.GetManager(TypesNode::kCenter), nullptr);
    EXPECT_EQ(panel.GetManager(TypesNode::kCount), nullptr);
    EXPECT_EQ(panel.findChildren<QToolButton*>().size(), 0);

    QLabel* title = panel.findChild<QLabel*>(QStringLiteral("group_%1").arg(TypesNode::kTint));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Colour");
    EXPECT_EQ(panel.findChildren<QLabel*>(QRegularExpression("^group_")).size(), 1);
    EXPECT_EQ(panel.findChild<QLabel*>("label_amount")->toolTip(), "How much");
    bool has_suffix = false;
    for (QLabel* label : RowWidgets<QLabel>(panel, "crop")) {
        has_suffix |= label->text() == "px";
    }
    EXPECT_TRUE(has_suffix);

    EXPECT_FALSE(RowWidgets<QComboBox>(panel, "mode").front()->isEnabled());
    EXPECT_TRUE(RowWidgets<QCheckBox>(panel, "flag").front()->isEnabled());
    EXPECT_EQ(panel.GetAdditionalInfo().size(), std::size_t(TypesNode::kCount));
    EXPECT_EQ(panel.GetAdditionalInfo()[TypesNode::kTint].m_group_title, "Colour");

    // Values are shown from the start.
    EXPECT_EQ(RowWidgets<QDragSpinner>(panel, "amount").front()->value(), 2.5);
    EXPECT_EQ(RowWidgets<QComboBox>(panel, "mode").front()->count(), 3);

    QNodeAttributesWidget read_only(nullptr, node, nullptr, nullptr, true);
    ASSERT_NE(read_only.findChild<QLabel*>("label_center"), nullptr) << "null info: all shown";
    for (QWidget* editor : read_only.findChildren<QAbstractSpinBox*>()) {
        EXPECT_FALSE(editor->isEnabled());
    }
    EXPECT_FALSE(RowWidgets<QLineEdit>(read_only, "path").front()->isEnabled());
}

TEST_F(QNodeAttributesWidgetTest, FileActionsCallTheDelegatesAndSetEnabledCoversThem) {
    TypesNode* node = Make();
    std::vector<Info> info = Defaults();
    info[TypesNode::kPath].m_file_actions = 1;
    info[TypesNode::kMode].m_enabled = 0;
    QNodeAttributesWidget panel(nullptr, node, nullptr, info.data(), false);
    QToolButton* read = panel.findChild<QToolButton*>("read_path");
    QToolButton* reread = panel.findChild<QToolButton*>("reread_path");
    ASSERT_NE(read, nullptr);
    ASSERT_NE(reread, nullptr);
    EXPECT_FALSE(read->isEnabled()) << "no delegate yet";

    std::vector<std::pair<Node*, unsigned>> reads, rereads;
    panel.SetDelegateStringFileRead([&](Node* n, unsigned a) { reads.emplace_back(n, a); });
    panel.SetDelegateStringFileReread([&](Node* n, unsigned a) { rereads.emplace_back(n, a); });
    QTest::mouseClick(read, Qt::LeftButton);
    QTest::mouseClick(reread, Qt::LeftButton);
    QTest::mouseClick(reread, Qt::LeftButton);
    const std::vector<std::pair<Node*, unsigned>> one = {{node, TypesNode::kPath}};
    EXPECT_EQ(reads, one);
    EXPECT_EQ(rereads.size(), 2u);
    EXPECT_EQ(rereads.front(), one.front());

    panel.SetEnabled(false);
    QTest::mouseClick(read, Qt::LeftButton);
    EXPECT_EQ(reads.size(), 1u);
    EXPECT_FALSE(RowWidgets<QLineEdit>(panel, "path").front()->isEnabled());
    EXPECT_FALSE(RowWidgets<QCheckBox>(panel, "flag").front()->isEnabled());
    panel.SetEnabled(true);
    EXPECT_TRUE(read->isEnabled());
    EXPECT_TRUE(RowWidgets<QCheckBox>(panel, "flag").front()->isEnabled());
    EXPECT_FALSE(RowWidgets<QComboBox>(panel, "mode").front()->isEnabled())
        << "a disabled entry stays disabled";

    panel.SetDelegateStringFileRead({});
    EXPECT_FALSE(read->isEnabled());
}

TEST_F(QNodeAttributesWidgetTest, FollowsTheNodeAndReportsEdits) {
    TypesNode* node = Make();
    TypesNode* source = Make();
    std::vector<Info> info = Defaults();
    info[TypesNode::kFlag].m_expose_as_input = 0;
    auto* panel = new QNodeAttributesWidget(nullptr, node, nullptr, info.data(), false);
    QDragSpinner* amount = RowWidgets<QDragSpinner>(*panel, "amount").front();
    QCheckBox* flag = RowWidgets<QCheckBox>(*panel, "flag").front();

    // A value set elsewhere shows once the host's events are flushed.
    node->GetAttributeByIndex(TypesNode::kAmount)->SetNumber(7.0, true);
    EXPECT_EQ(amount->value(), 2.5);
    Update::Get()->FlushEventsToProcess();
    EXPECT_EQ(amount->value(), 7.0);

    // Notifications from another thread are queued to the panel's thread.
    node->GetAttributeByIndex(TypesNode::kAmount)->SetNumber(4.0, false);
    std::thread([&] { panel->OnNodeEvent(node, {0, kEventAttributeChanged, 1}); }).join();
    EXPECT_EQ(amount->value(), 7.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(amount->value(), 4.0);

    // Edits through the panel's editors are re-raised and delivered by the event loop.
    QSignalSpy edited(panel, &QNodeAttributesWidget::AttributeEditedSignal);
    flag->setChecked(true);
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.front().at(0).toUInt(), TypesNode::kFlag);
    EXPECT_TRUE(node->GetAttributeByIndex(TypesNode::kFlag)->GetBoolean());
    QCoreApplication::processEvents();
    EXPECT_EQ(Update::Get()->GetNumPending(), 0u);

    // A connection made elsewhere disables the exposed row once its event arrives.
    ASSERT_TRUE(Engine::Get()->ConnectNodes(source, source->FindOutplug("amount"), node,
                                            node->GetInplugIdFromAttributeId(TypesNode::kAmount)));
    ASSERT_TRUE(Engine::Get()->ConnectNodes(source, source->FindOutplug("flag"), node,
                                            node->GetInplugIdFromAttributeId(TypesNode::kFlag)));
    Update::Get()->FlushEventsToProcess();
    EXPECT_FALSE(amount->isEnabled());
    EXPECT_TRUE(flag->isEnabled()) << "not exposed as an input";

    // Once destroyed the panel no longer listens.
    delete panel;
    node->GetAttributeByIndex(TypesNode::kAmount)->SetNumber(1.0, true);
    Update::Get()->FlushEventsToProcess();
}
