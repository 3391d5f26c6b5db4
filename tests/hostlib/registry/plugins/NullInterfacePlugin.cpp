// Claims two interfaces but gives only the first; the host skips the second index.
#include <cstdint>

#include "tests/hostlib/registry/plugins/TestLibraryInterface.h"
#include "tests/hostlib/registry/plugins/TestNodeFactory.h"
#include "tests/hostlib/registry/plugins/TestNodeInterface.h"
#include "tests/hostlib/registry/plugins/TestPluginExport.h"

QM_TEST_PLUGIN_EXPORT LibraryInterface* GetLibraryInterface() {
    return new TestLibraryInterface("Null Interface");
}

QM_TEST_PLUGIN_EXPORT uint64_t GetNumNodeInterfaces() {
    return 2;
}

QM_TEST_PLUGIN_EXPORT NodeInterface* GetNodeInterface(uint64_t index) {
    if (index != 0) {
        return nullptr;
    }
    const NodeType type(10, 94, 0);
    return new TestNodeInterface(type, "Survivor", new TestNodeFactory(type, "Survivor"));
}
