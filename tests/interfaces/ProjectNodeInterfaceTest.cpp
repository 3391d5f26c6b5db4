#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QWidget>

#include "host/RefPtr.h"
#include "interfaces/BooleanIoNodeInterface.h"
#include "interfaces/CurvesIoNodeInterface.h"
#include "interfaces/FrameIoNodeInterface.h"
#include "interfaces/ImageIoNodeInterface.h"
#include "interfaces/ImageSwitchNodeInterface.h"
#include "interfaces/LoopIterationsNodeInterface.h"
#include "interfaces/MaterialIoNodeInterface.h"
#include "interfaces/MaterialSwitchNodeInterface.h"
#include "interfaces/NumberIoNodeInterface.h"
#include "interfaces/PointIoNodeInterface.h"
#include "interfaces/RgboIoNodeInterface.h"
#include "nodes/control/ImageSwitchNode.h"
#include "nodes/control/LoopIterationsNode.h"
#include "nodes/control/MaterialSwitchNode.h"
#include "nodes/io/BooleanIoNode.h"
#include "nodes/io/CurvesIoNode.h"
#include "nodes/io/FrameIoNode.h"
#include "nodes/io/ImageIoNode.h"
#include "nodes/io/MaterialIoNode.h"
#include "nodes/io/NumberIoNode.h"
#include "nodes/io/PointIoNode.h"
#include "nodes/io/RgboIoNode.h"

namespace {

template <typename T>
NodeInterface* Make() {
    return new T;
}

template <typename T>
Node* MakeNode() {
    return new T;
}

struct PanelCase {
    const char* m_name;
    NodeInterface* (*m_make)();
    Node* (*m_own)();
    Node* (*m_other)();
    bool m_any_class;
};

// IO and Loop Iterations interfaces build the host panel for their own nodes only; switches for
// any node. None builds one for a non-zero extra argument. The icons of the unpublished IO types,
// which no entry point hands out, are borrowed from published ones: they must exist too.
TEST(ProjectNodeInterfaces, StandardPanelsOnlyForTheirNodes) {
    const PanelCase cases[] = {
        {"Boolean IO", &Make<BooleanIoNodeInterface>, &MakeNode<BooleanIoNode>,
         &MakeNode<NumberIoNode>, false},
        {"Number IO", &Make<NumberIoNodeInterface>, &MakeNode<NumberIoNode>, &MakeNode<PointIoNode>,
         false},
        {"Point IO", &Make<PointIoNodeInterface>, &MakeNode<PointIoNode>, &MakeNode<NumberIoNode>,
         false},
        {"Frame IO", &Make<FrameIoNodeInterface>, &MakeNode<FrameIoNode>, &MakeNode<NumberIoNode>,
         false},
        {"Rgbo IO", &Make<RgboIoNodeInterface>, &MakeNode<RgboIoNode>, &MakeNode<NumberIoNode>,
         false},
        {"Image IO", &Make<ImageIoNodeInterface>, &MakeNode<ImageIoNode>, &MakeNode<MaterialIoNode>,
         false},
        {"Curves IO", &Make<CurvesIoNodeInterface>, &MakeNode<CurvesIoNode>, &MakeNode<ImageIoNode>,
         false},
        {"Material IO", &Make<MaterialIoNodeInterface>, &MakeNode<MaterialIoNode>,
         &MakeNode<ImageIoNode>, false},
        {"Loop Iterations", &Make<LoopIterationsNodeInterface>, &MakeNode<LoopIterationsNode>,
         &MakeNode<NumberIoNode>, false},
        {"Image Switch", &Make<ImageSwitchNodeInterface>, &MakeNode<ImageSwitchNode>,
         &MakeNode<NumberIoNode>, true},
        {"Material Switch", &Make<MaterialSwitchNodeInterface>, &MakeNode<MaterialSwitchNode>,
         &MakeNode<NumberIoNode>, true},
    };
    for (const PanelCase& expected : cases) {
        SCOPED_TRACE(expected.m_name);
        RefPtr<NodeInterface> node_interface = expected.m_make();
        RefPtr<Node> own = expected.m_own();
        RefPtr<Node> other = expected.m_other();
        EXPECT_EQ(node_interface->GetNodeType(), own->GetNodeType());
        EXPECT_TRUE(QFile::exists(QString::fromStdString(node_interface->GetIconPath())));
        EXPECT_TRUE(QFile::exists(QString::fromStdString(node_interface->GetSmallIconPath())));
        // Panels need their node to outlive them.
        QWidget parent;
        QWidget* panel = node_interface->CreateAttributesWidget(own.Get(), &parent, 0);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->parentWidget(), &parent);
        EXPECT_STREQ(panel->metaObject()->className(), "QNodeAttributesWidget");
        EXPECT_EQ(node_interface->CreateAttributesWidget(own.Get(), &parent, 1), nullptr);
        EXPECT_EQ(node_interface->CreateAttributesWidget(other.Get(), &parent, 0) != nullptr,
                  expected.m_any_class);
    }
}

}  // namespace
