#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/LibraryInterface.h"
#include "host/Node.h"
#include "host/NodeFactory.h"
#include "host/NodeInterface.h"
#include "host/RefPtr.h"
#include "library/ProjectExports.h"

namespace {

// Loaded once per process and never unloaded, as the host does.
void* Module() {
    static void* const handle = dlopen(QM_PROJECT_MODULE, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function>
Function* EntryPoint(const char* name) {
    EXPECT_NE(Module(), nullptr) << dlerror();
    Function* found = Module() ? reinterpret_cast<Function*>(dlsym(Module(), name)) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST(ProjectModuleSymbols, ExportsOnlyTheThreeEntryPoints) {
    QProcess nm;
    nm.start(QM_NM, {"-D", "--defined-only", "--format=posix", QM_PROJECT_MODULE});
    ASSERT_TRUE(nm.waitForFinished()) << nm.errorString().toStdString();
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();

    std::set<std::string> names;
    for (const QString& line : QString::fromUtf8(nm.readAllStandardOutput()).split('\n')) {
        if (!line.isEmpty()) {
            names.insert(line.section(' ', 0, 0).toStdString());
        }
    }
    const std::set<std::string> expected = {"GetLibraryInterface", "GetNodeInterface",
                                            "GetNumNodeInterfaces"};
    EXPECT_EQ(names, expected);
}

// "<name> <type> <icon sizes> <made node's name and type>", then for a published type whether it
// builds the host's panel for its own node (extra argument 0, then 1) and for `other`.
std::string Describe(NodeInterface& node_interface, const RefPtr<Node>& own, Node* other) {
    std::string text = node_interface.GetName() + " " + node_interface.GetNodeType().ToString();
    for (const std::string& icon :
         {node_interface.GetIconPath(), node_interface.GetSmallIconPath()}) {
        const QSize size = QImage(QString::fromStdString(icon)).size();
        text += " " + std::to_string(size.width()) + "x" + std::to_string(size.height());
    }
    text += " " + own->GetTypeName() + " " + own->GetNodeType().ToString();
    QWidget parent;  // panels need their node to outlive them
    for (const auto& [node, extra] : {std::pair{own.Get(), 0}, {own.Get(), 1}, {other, 0}}) {
        QWidget* panel =
            node ? node_interface.CreateAttributesWidget(node, &parent, extra) : nullptr;
        text += !node ? "" : panel ? std::string(" ") + panel->metaObject()->className() : " -";
    }
    return text;
}

// In index order: the name users see and the type id project files store; then the unpublished
// IO types the host creates while reading projects. The Attributes and Node Graph panels are
// tested with their nodes.
TEST(ProjectModule, PublishesTheTenTypesAndOffersTheUnpublishedIoTypes) {
    auto* get_node_interface = EntryPoint<decltype(GetNodeInterface)>("GetNodeInterface");
    auto* get_num = EntryPoint<decltype(GetNumNodeInterfaces)>("GetNumNodeInterfaces");
    auto* get_library = EntryPoint<decltype(GetLibraryInterface)>("GetLibraryInterface");
    ASSERT_TRUE(get_node_interface && get_num && get_library);
    std::vector<std::string> seen;
    std::vector<RefPtr<Node>> made;
    for (uint64_t index = 0; index < get_num(); ++index) {
        RefPtr<NodeInterface> node_interface = get_node_interface(index);
        ASSERT_TRUE(node_interface && node_interface->GetFactory());
        // Every call makes a fresh interface that owns its own factory.
        EXPECT_NE(node_interface->GetFactory(),
                  RefPtr<NodeInterface>(get_node_interface(index))->GetFactory());
        EXPECT_EQ(node_interface->GetCategory(), "Project");
        made.emplace_back(node_interface->GetFactory()->CreateNode());
        ASSERT_TRUE(made.back());
        Node* other = index == 0 || index == 9 ? nullptr : made[index == 1 ? 0 : 1].Get();
        seen.push_back(Describe(*node_interface, made.back(), other));
    }
    for (uint64_t index : {uint64_t{10}, uint64_t{1} << 32, UINT64_MAX}) {
        EXPECT_EQ(get_node_interface(index), nullptr) << index;
    }
    // The host keeps the descriptor for the life of the process and never deletes it (it has no
    // virtual destructor); so does the test.
    static LibraryInterface* const descriptor = get_library();
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->GetName(), "Project");
    for (const auto& type : descriptor->GetUnpublishedNodeTypes()) {
        ASSERT_NE(type.m_create, nullptr);
        const RefPtr<Node> node = type.m_create();
        ASSERT_TRUE(node);
        seen.push_back(type.m_name + " " + type.m_type.ToString() + " " + node->GetTypeName() +
                       " " + node->GetNodeType().ToString());
    }
    const std::string panel = " QNodeAttributesWidget";
    const std::vector<std::string> expected = {
        "Attributes 10,1,0 32x32 12x12 Attributes 10,1,0 QAttributesWidget -",
        "Number IO 10,1,26 32x32 12x12 Number IO 10,1,26" + panel + " - -",
        "Point IO 10,1,32 32x32 12x12 Point IO 10,1,32" + panel + " - -",
        "Frame IO 10,1,37 32x32 12x12 Frame IO 10,1,37" + panel + " - -",
        "Image IO 10,1,53 32x32 12x12 Image IO 10,1,53" + panel + " - -",
        "Material IO 10,1,69 32x32 12x12 Material IO 10,1,69" + panel + " - -",
        "Image Switch 10,1,74 32x32 12x12 Image Switch 10,1,74" + panel + " -" + panel,
        "Material Switch 10,1,80 32x32 12x12 Material Switch 10,1,80" + panel + " -" + panel,
        "Loop Iterations 10,1,10 32x32 12x12 Loop Iterations 10,1,10" + panel + " - -",
        "Node Graph 10,1,5 32x32 12x12 Node Graph 10,1,5" + panel + " -",
        "Boolean IO 10,1,21 Boolean IO 10,1,21",
        "Rgbo IO 10,1,42 Rgbo IO 10,1,42",
        "Curves IO 10,1,64 Curves IO 10,1,64",
    };
    EXPECT_EQ(seen, expected);
}

}  // namespace
