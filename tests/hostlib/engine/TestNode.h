#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/Node.h"

// Number node with NUMBER attributes "a0", "a1"..., number inputs "in" (optionally expanding) and
// number outplugs "out0", "out1"... Outplug k yields k plus the sum of all inplug values. With
// m_plug_wise set, outplug k depends on regular input k only.
class TestNode : public Node {
public:
    TestNode(int num_attributes, int num_inputs, int num_outplugs, bool expanding = false) {
        for (int a = 0; a < num_attributes; ++a) {
            m_attributes.emplace_back(
                new Attribute(this, a, "a" + std::to_string(a), 0.0, -1e9, 1e9, 1.0, 2));
        }
        for (int i = 0; i < num_inputs; ++i) {
            m_inplug_declarations.push_back({uint32_t(i), Value::Number, "in", 0, expanding});
        }
        for (int k = 0; k < num_outplugs; ++k) {
            m_outplug_declarations.push_back(
                {uint32_t(k), Value::Number, "out" + std::to_string(k), 0});
        }
        m_results.resize(num_outplugs);
        UpdateInplugsAndOutplugs();
    }

    NodeType GetNodeType() const override { return NodeType(99, 0, 0); }
    std::string GetTypeName() const override { return "Test"; }
    bool InplugAffectsOutplug(uint32_t inplug, uint32_t outplug) const override {
        return !m_plug_wise || inplug == GetInplugIdFromRegularInputId(outplug);
    }
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& values) override {
        ++m_num_evaluations;
        m_last_values = values;
        m_results[outplug] = outplug;
        for (const Value* value : values) {
            m_results[outplug] += value->m_type == Value::Number ? value->m_number : 0.0;
        }
        if (m_on_evaluate) {
            m_on_evaluate(outplug);
        }
    }
    double GetNumberValue(uint32_t outplug) override { return m_results.at(outplug); }

    using Node::m_attributes;
    using Node::m_inplug_declarations;
    using Node::m_outplug_declarations;

    int m_num_evaluations = 0;
    bool m_plug_wise = false;
    std::vector<double> m_results;
    std::vector<const Value*> m_last_values;
    std::function<void(uint32_t)> m_on_evaluate;
};
