// Exports GetLibraryInterface and GetNumNodeInterfaces but not GetNodeInterface.
#include <cstdint>

#include "tests/hostlib/registry/plugins/TestLibraryInterface.h"
#include "tests/hostlib/registry/plugins/TestPluginExport.h"

QM_TEST_PLUGIN_EXPORT LibraryInterface* GetLibraryInterface() {
    return new TestLibraryInterface("Missing Function");
}

QM_TEST_PLUGIN_EXPORT uint64_t GetNumNodeInterfaces() {
    return 1;
}
