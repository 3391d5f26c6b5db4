#pragma once

#include <string>

#include "host/HostExport.h"

class Node;

// Small services the host offers to node implementations.
class QM_HOST_API Helper {
public:
    // An absolute path is returned unchanged. A relative one is taken relative to the folder of
    // the project file that holds the node: the file path of the node's graph, else the open
    // document's file path, else the current working directory.
    static std::string MakeProjectAbsolute(Node* node, const std::string& path);
    // A link to a page of the help, shown with the given title: <a href="help:PAGE">TITLE</a>.
    static std::string GetWikiLink(const std::string& page, const std::string& title);
};
