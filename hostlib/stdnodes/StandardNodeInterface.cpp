#include "hostlib/stdnodes/StandardNodeInterface.h"

StandardNodeInterface::StandardNodeInterface(NodeFactory* factory, std::string category)
    : m_factory(factory), m_category(std::move(category)) {}

NodeFactory* StandardNodeInterface::GetFactory() const {
    return m_factory.Get();
}

std::string StandardNodeInterface::GetName() const {
    return m_factory->GetName();
}

NodeType StandardNodeInterface::GetNodeType() const {
    return m_factory->GetNodeType();
}

std::string StandardNodeInterface::GetCategory() const {
    return m_category;
}
