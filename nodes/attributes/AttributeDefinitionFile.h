#pragma once

#include <string>

class DynamicNode;
class Node;

// The XML side file that holds an AttributesNode's attribute definitions: names, types and the
// type parameters (decimals, default, minimum, maximum and step of numbers, points and frames; the
// choice names of choices). Values are not part of it; the host saves them with the project.
class AttributeDefinitionFile {
public:
    // Writes the definitions of the node's attributes to `path`; false when the file could not be
    // written.
    static bool Write(const Node& node, const std::string& path);
    // Appends the attributes that the file at `path` defines to the node. False, with the node
    // unchanged, when the file cannot be read or lacks the root, its version or the attribute
    // list. Inside the list, elements of an unknown type are skipped and unreadable numbers read
    // as 0.
    static bool Read(const std::string& path, DynamicNode& node);
};
