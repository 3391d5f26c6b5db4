// Index 0 gives a valid interface, index 1 throws: the host must register neither.
#include <cstdint>
#include <stdexcept>

#include "tests/hostlib/registry/plugins/TestLibraryInterface.h"
#include "tests/hostlib/registry/plugins/TestNodeFactory.h"
#include "tests/hostlib/registry/plugins/TestNodeInterface.h"
#include "tests/hostlib/registry/plugins/TestPluginExport.h"

QM_TEST_PLUGIN_EXPORT LibraryInterface* GetLibraryInterface() {
    return new TestLibraryInterface("Throwing Interface");
}

QM_TEST_PLUGIN_EXPORT uint64_t GetNumNodeInterfaces() {
    return 2;
}

QM_TEST_PLUGIN_EXPORT NodeInterface* GetNodeInterface(uint64_t index) {
    if (index == 0) {
        const NodeType type(10, 92, 0);
        return new TestNodeInterface(type, "Before The Throw",
                                     new TestNodeFactory(type, "Before The Throw"));
    }
    throw std::runtime_error("interface table is corrupt");
}
