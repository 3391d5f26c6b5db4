#include "hostlib/registry/FunctionNodeFactory.h"

#include <utility>

FunctionNodeFactory::FunctionNodeFactory(const NodeType& type, std::string name, Node* (*create)())
    : m_type(type), m_name(std::move(name)), m_create(create) {}

NodeType FunctionNodeFactory::GetNodeType() const {
    return m_type;
}

Node* FunctionNodeFactory::CreateNode() {
    return m_create();
}

std::string FunctionNodeFactory::GetName() const {
    return m_name;
}
