// Offers no node interface at all.
#include <cstdint>

#include "tests/hostlib/registry/plugins/TestLibraryInterface.h"
#include "tests/hostlib/registry/plugins/TestPluginExport.h"

class NodeInterface;

QM_TEST_PLUGIN_EXPORT LibraryInterface* GetLibraryInterface() {
    return new TestLibraryInterface("No Interface");
}

QM_TEST_PLUGIN_EXPORT uint64_t GetNumNodeInterfaces() {
    return 0;
}

QM_TEST_PLUGIN_EXPORT NodeInterface* GetNodeInterface(uint64_t) {
    return nullptr;
}
