#include "host/QNodeAttributesWidget.h"

#include <thread>
#include <utility>
#include <vector>

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "host/Attribute.h"
#include "host/Engine.h"
#include "host/QAttributeManager.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"
#include "tests/hostlib/widgets/WidgetsTest.h"

using QNodeAttributesWidgetTest = WidgetsTest;

// Which rows show, their titles and the panel's file actions come from the tests of the node
// interfaces that set them; here the rest of the info and the delegates.
TEST_F(QNodeAttributesWidgetTest, InfoAndFileActionsShapeTheRows) {
    TypesNode* node = Make();
    std::vector<QNodeAttributesWidget::AdditionalInfo> info(TypesNode::kCount);
    info[TypesNode::kPath].m_file_actions = 1;
    info[TypesNode::kFlag].m_file_actions = 1;  // not a STRING: no buttons
    info[TypesNode::kMode].m_enabled = 0;
    info[TypesNode::kAmount].m_tool_tip = "How much";
    info[TypesNode::kCrop].m_suffix = "px";
    QNodeAttributesWidget panel(nullptr, node, nullptr, info.data(), false);
    QStringList texts;
    for (QLabel* label : RowWidgets<QLabel>(panel, "crop")) {
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains("px")) << texts.join(',').toStdString();
    EXPECT_EQ(panel.findChild<QLabel*>("label_amount")->toolTip(), "How much");
    EXPECT_EQ(panel.findChildren<QToolButton*>().size(), 2);
    QToolButton* read = panel.findChild<QToolButton*>("read_path");
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(read->isEnabled()) << "no delegate yet";

    // The delegates' calls are checked through the node interfaces that set them.
    panel.SetDelegateStringFileRead([](Node*, unsigned) {});
    auto enabled = [&] {
        return QString("%1%2%3%4")
            .arg(read->isEnabled())
            .arg(RowWidgets<QLineEdit>(panel, "path").front()->isEnabled())
            .arg(RowWidgets<QCheckBox>(panel, "flag").front()->isEnabled())
            .arg(RowWidgets<QComboBox>(panel, "mode").front()->isEnabled());
    };
    EXPECT_EQ(enabled(), "1110");
    panel.SetEnabled(false);
    EXPECT_EQ(enabled(), "0000");
    panel.SetEnabled(true);
    EXPECT_EQ(enabled(), "1110") << "a disabled entry stays disabled";
    panel.SetDelegateStringFileRead({});
    EXPECT_FALSE(read->isEnabled());

    QNodeAttributesWidget read_only(nullptr, node, nullptr, nullptr, true);
    for (QWidget* editor : read_only.findChildren<QAbstractSpinBox*>()) {
        EXPECT_FALSE(editor->isEnabled());
    }
    EXPECT_FALSE(RowWidgets<QLineEdit>(read_only, "path").front()->isEnabled());
}

TEST_F(QNodeAttributesWidgetTest, FollowsTheNodeAndReportsEdits) {
    TypesNode* node = Make();
    TypesNode* source = Make();
    std::vector<QNodeAttributesWidget::AdditionalInfo> info(TypesNode::kCount);
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
    EXPECT_EQ(edited, QList<QList<QVariant>>({{TypesNode::kFlag}}));
    EXPECT_TRUE(node->GetAttributeByIndex(TypesNode::kFlag)->GetBoolean());
    QCoreApplication::processEvents();
    EXPECT_EQ(Update::Get()->GetNumPending(), 0u);

    // A connection made elsewhere disables the exposed row once its event arrives.
    ASSERT_TRUE(Engine::Get()->ConnectNodes(source, source->FindOutplug("amount"), node,
                                            node->GetInplugIdFromAttributeId(TypesNode::kAmount)));
    ASSERT_TRUE(Engine::Get()->ConnectNodes(source, source->FindOutplug("flag"), node,
                                            node->GetInplugIdFromAttributeId(TypesNode::kFlag)));
    QMultiSlider* slider = RowWidgets<QMultiSlider>(*panel, "amount").front();
    auto enabled = [&] {
        Update::Get()->FlushEventsToProcess();
        return QString("%1%2%3")
            .arg(amount->isEnabled())
            .arg(slider->isEnabled())
            .arg(flag->isEnabled());
    };
    EXPECT_EQ(enabled(), "001") << "the flag is not exposed as an input";
    ASSERT_TRUE(Engine::Get()->DisconnectInplug(
        node, node->GetInplugIdFromAttributeId(TypesNode::kAmount)));
    EXPECT_EQ(enabled(), "111");

    // Once destroyed the panel no longer listens.
    delete panel;
    node->GetAttributeByIndex(TypesNode::kAmount)->SetNumber(1.0, true);
    Update::Get()->FlushEventsToProcess();
}
