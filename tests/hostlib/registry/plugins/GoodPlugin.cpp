// Two node types: a new one, described in full, and one that takes the type of the host's
// standard Number node, which the host must skip.
#include <cstdint>

#include "tests/hostlib/registry/plugins/TestLibraryInterface.h"
#include "tests/hostlib/registry/plugins/TestNodeFactory.h"
#include "tests/hostlib/registry/plugins/TestNodeInterface.h"
#include "tests/hostlib/registry/plugins/TestPluginExport.h"

namespace {

class DescribedNodeInterface : public TestNodeInterface {
public:
    using TestNodeInterface::TestNodeInterface;
    std::string GetCategory() const override { return "Test"; }
    std::string GetIconPath() const override { return ":/Test/Good.png"; }
    std::string GetSmallIconPath() const override { return ":/Test/Good12.png"; }
    std::string GetDisplayMode() const override { return "mask"; }
};

}  // namespace

QM_TEST_PLUGIN_EXPORT LibraryInterface* GetLibraryInterface() {
    return new TestLibraryInterface("Good");
}

QM_TEST_PLUGIN_EXPORT uint64_t GetNumNodeInterfaces() {
    return 2;
}

QM_TEST_PLUGIN_EXPORT NodeInterface* GetNodeInterface(uint64_t index) {
    if (index == 0) {
        const NodeType type(10, 90, 1);
        return new DescribedNodeInterface(type, "Good Type",
                                          new TestNodeFactory(type, "Good Type"));
    }
    if (index == 1) {
        const NodeType type(10, 2, 0);
        return new TestNodeInterface(type, "Fake Number", new TestNodeFactory(type, "Fake Number"));
    }
    return nullptr;
}
