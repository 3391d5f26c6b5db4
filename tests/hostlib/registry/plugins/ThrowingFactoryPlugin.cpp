// Loads normally; its factory throws when asked for a node.
#include <cstdint>

#include "tests/hostlib/registry/plugins/TestLibraryInterface.h"
#include "tests/hostlib/registry/plugins/TestNodeFactory.h"
#include "tests/hostlib/registry/plugins/TestNodeInterface.h"
#include "tests/hostlib/registry/plugins/TestPluginExport.h"

QM_TEST_PLUGIN_EXPORT LibraryInterface* GetLibraryInterface() {
    return new TestLibraryInterface("Throwing Factory");
}

QM_TEST_PLUGIN_EXPORT uint64_t GetNumNodeInterfaces() {
    return 1;
}

QM_TEST_PLUGIN_EXPORT NodeInterface* GetNodeInterface(uint64_t index) {
    if (index != 0) {
        return nullptr;
    }
    const NodeType type(10, 91, 0);
    return new TestNodeInterface(type, "Throwing Factory",
                                 new TestNodeFactory(type, "Throwing Factory", true));
}
