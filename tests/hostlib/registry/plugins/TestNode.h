#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/Node.h"
#include "host/NodeType.h"

// A node without plugs that reports the type it was made for.
class TestNode : public Node {
public:
    TestNode(const NodeType& type, std::string type_name)
        : m_type(type), m_type_name(std::move(type_name)) {
        UpdateInplugsAndOutplugs();
    }

    NodeType GetNodeType() const override { return m_type; }
    std::string GetTypeName() const override { return m_type_name; }
    void EvaluateOutplug(uint32_t, const std::vector<const Value*>&) override {}

private:
    NodeType m_type;
    std::string m_type_name;
};
