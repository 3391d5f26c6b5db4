#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <cstdint>
#include <string>

#include "host/RefPtr.h"
#include "interfaces/BooleanIoNodeInterface.h"
#include "interfaces/CurvesIoNodeInterface.h"
#include "interfaces/RgboIoNodeInterface.h"

namespace {

template <typename T>
NodeInterface* Make() {
    return new T;
}

struct UnpublishedType {
    NodeInterface* (*m_make)();
    const char* m_name;
    uint32_t m_type;
    const char* m_icon;
    const char* m_display_mode;
};

// No entry point hands these out; they borrow the icons of a published type.
TEST(ProjectNodeInterfaces, UnpublishedTypesDescribeThemselvesWithoutFactory) {
    const UnpublishedType types[] = {
        {&Make<BooleanIoNodeInterface>, "Boolean IO", 21, "NumberIO", "mask"},
        {&Make<RgboIoNodeInterface>, "Rgbo IO", 42, "FrameIO", "as_is"},
        {&Make<CurvesIoNodeInterface>, "Curves IO", 64, "ImageIO", "as_is"},
    };
    const std::string folder = ":/Project/Resources/Icons/";
    for (const UnpublishedType& expected : types) {
        SCOPED_TRACE(expected.m_name);
        RefPtr<NodeInterface> node_interface = expected.m_make();
        EXPECT_EQ(node_interface->GetName(), expected.m_name);
        EXPECT_EQ(node_interface->GetNodeType(), NodeType(10, 1, expected.m_type));
        EXPECT_EQ(node_interface->GetCategory(), "Project");
        EXPECT_EQ(node_interface->GetDisplayMode(), expected.m_display_mode);
        EXPECT_EQ(node_interface->GetFactory(), nullptr);

        const std::string icon = node_interface->GetIconPath();
        const std::string small_icon = node_interface->GetSmallIconPath();
        EXPECT_EQ(icon, folder + expected.m_icon + ".png");
        EXPECT_EQ(small_icon, folder + expected.m_icon + "12.png");
        EXPECT_TRUE(QFile::exists(QString::fromStdString(icon)));
        EXPECT_TRUE(QFile::exists(QString::fromStdString(small_icon)));
    }
}

}  // namespace
