// Returns -1 as its count, a bug the host must not take for four billion billion interfaces.
#include <cstdint>

#include "tests/hostlib/registry/plugins/TestLibraryInterface.h"
#include "tests/hostlib/registry/plugins/TestPluginExport.h"

class NodeInterface;

QM_TEST_PLUGIN_EXPORT LibraryInterface* GetLibraryInterface() {
    return new TestLibraryInterface("Broken Count");
}

QM_TEST_PLUGIN_EXPORT uint64_t GetNumNodeInterfaces() {
    return uint64_t(-1);
}

QM_TEST_PLUGIN_EXPORT NodeInterface* GetNodeInterface(uint64_t) {
    return nullptr;
}
