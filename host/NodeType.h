#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/HostExport.h"

// Names a node type by three numbers: library, group and type within the group.
class QM_HOST_API NodeType {
public:
    NodeType() = default;
    NodeType(uint32_t library, uint32_t group, uint32_t type)
        : m_library(library), m_group(group), m_type(type) {}

    uint32_t GetLibrary() const { return m_library; }
    uint32_t GetGroup() const { return m_group; }
    uint32_t GetType() const { return m_type; }

    bool operator==(const NodeType& other) const = default;
    auto operator<=>(const NodeType& other) const = default;

    // "10,1,26", the form used in project files.
    std::string ToString() const;
    // Parses "a,b,c" (spaces allowed around the numbers); false on anything else.
    static bool FromString(const std::string& text, NodeType& type);

private:
    uint32_t m_library = 0;
    uint32_t m_group = 0;
    uint32_t m_type = 0;
};

template <>
struct std::hash<NodeType> {
    size_t operator()(const NodeType& type) const noexcept {
        return (size_t(type.GetLibrary()) << 40) ^ (size_t(type.GetGroup()) << 20) ^ type.GetType();
    }
};
