#include "interfaces/ProjectNodeFactory.h"

ProjectNodeFactory::ProjectNodeFactory(const NodeType& type, const std::string& name)
    : m_type(type), m_name(name) {}

NodeType ProjectNodeFactory::GetNodeType() const {
    return m_type;
}

std::string ProjectNodeFactory::GetName() const {
    return m_name;
}
