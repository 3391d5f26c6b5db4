#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostExport.h"
#include "host/NodeType.h"

// Project files offered as node types of their own. Every "*.qmr" file of the folders of
// QUILLMAR_PROJECT_PATH (colon-separated) becomes a type named after the file (without its
// extension): its nodes are Node Graph nodes made to stand for that project (InitFromProject).
// Needs the plug-in that offers the Node Graph node type to be loaded first. GUI thread only.
class QM_HOST_API ProjectTypeLibrary {
public:
    // Every project type is (10, kGroup, hash of the type name), so a document that uses one reads
    // back on any machine that has a project file of that name.
    static constexpr uint32_t kGroup = 100;
    static NodeType TypeForName(const std::string& name);

    // The folders of QUILLMAR_PROJECT_PATH, empty entries ignored; none when it is unset.
    static std::vector<std::string> GetDefaultDirectories();

    // Registers the project files of each folder, folders in the given order and files in name
    // order. A file that does not read as a usable project, a name already registered and a type
    // already taken are skipped. Returns one error text per skipped file or unreadable folder.
    static std::vector<std::string> LoadDirectories(const std::vector<std::string>& directories);
};
