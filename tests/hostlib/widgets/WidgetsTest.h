#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QLabel>
#include <QList>

#include "host/DynamicNode.h"
#include "host/QNodeAttributesWidget.h"
#include "host/RefPtr.h"
#include "host/Update.h"

// One attribute of every type, in type order; outplugs mirror the attributes, so that one such node
// can drive another's attribute inplugs.
class TypesNode : public DynamicNode {
public:
    enum : unsigned { kFlag, kAmount, kCenter, kCrop, kTint, kMode, kPath, kCount };

    TypesNode() : DynamicNode(true) {
        AddBooleanAttribute("flag", false);
        AddNumberAttribute("amount", 2.5, 0.0, 10.0, 0.5, 1);
        AddPointAttribute("center", {1.0, 2.0}, -5.0, 5.0, 0.25, 2);
        AddFrameAttribute("crop", {10.0, 20.0, 300.0, 400.0});
        AddRgboAttribute("tint", {0.2, 0.4, 0.6, 0.8});
        AddChoiceAttribute("mode", "Add,Multiply,Screen");
        AddStringAttribute("path", "a.qmr");
    }

    NodeType GetNodeType() const override { return NodeType(99, 7, 0); }
    std::string GetTypeName() const override { return "Types"; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}
};

// The editors of an attribute's row in a panel: the widgets beside its name label.
template <typename T>
QList<T*> RowWidgets(QNodeAttributesWidget& panel, const QString& name) {
    QLabel* label = panel.findChild<QLabel*>(QStringLiteral("label_") + name);
    return label ? label->parentWidget()->findChildren<T*>() : QList<T*>();
}

// Starts and ends each test with an empty event queue.
class WidgetsTest : public ::testing::Test {
protected:
    void SetUp() override { Update::Get()->FlushEventsToProcess(); }
    void TearDown() override { Update::Get()->FlushEventsToProcess(); }

    TypesNode* Make() { return m_nodes.emplace_back(new TypesNode).Get(); }
    static std::string Text(Node* node, unsigned attribute) {
        return node->GetAttributeByIndex(attribute)->GetValueText();
    }

    std::vector<RefPtr<TypesNode>> m_nodes;
};
