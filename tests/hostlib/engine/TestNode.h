#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/Node.h"

// A number node for engine tests: NUMBER attributes "a0", "a1", ..., regular number inputs "in"
// (optionally one expanding input), number outplugs "out0", "out1", .... Each outplug computes
// the sum of every inplug value plus the outplug index, and counts its evaluations.
class TestNode : public Node {
public:
    TestNode(int num_attributes, int num_inputs, int num_outplugs, bool expanding = false) {
        for (int a = 0; a < num_attributes; ++a) {
            m_attributes.emplace_back(
                new Attribute(this, a, "a" + std::to_string(a), 0.0, -1e9, 1e9, 1.0, 2));
        }
        for (int i = 0; i < num_inputs; ++i) {
            InplugDeclaration declaration;
            declaration.m_id = i;
            declaration.m_type = Value::Number;
            declaration.m_name = "in";
            declaration.m_expanding = expanding ? 1 : 0;
            m_inplug_declarations.push_back(declaration);
        }
        for (int k = 0; k < num_outplugs; ++k) {
            OutplugDeclaration declaration;
            declaration.m_id = k;
            declaration.m_type = Value::Number;
            declaration.m_name = "out" + std::to_string(k);
            m_outplug_declarations.push_back(declaration);
        }
        m_results.resize(num_outplugs);
        UpdateInplugsAndOutplugs();
    }

    NodeType GetNodeType() const override { return NodeType(99, 0, 0); }
    std::string GetTypeName() const override { return "Test"; }

    bool InplugAffectsOutplug(uint32_t inplug, uint32_t outplug) const override {
        return !m_plug_wise || inplug == GetInplugIdFromRegularInputId(outplug);
    }

    void EvaluateOutplug(uint32_t outplug,
                         const std::vector<const Value*>& inplug_values) override {
        ++m_num_evaluations;
        m_last_values = inplug_values;
        double sum = outplug;
        for (const Value* value : inplug_values) {
            sum += value->m_type == Value::Number ? value->m_number : 0.0;
        }
        m_results[outplug] = sum;
        if (m_on_evaluate) {
            m_on_evaluate(outplug);
        }
    }

    double GetNumberValue(uint32_t outplug) override {
        return outplug < m_results.size() ? m_results[outplug] : 0.0;
    }

    // Exposed for tests that edit the declarations and rebuild.
    std::vector<InplugDeclaration>& InplugDeclarations() { return m_inplug_declarations; }
    std::vector<OutplugDeclaration>& OutplugDeclarations() { return m_outplug_declarations; }
    std::vector<RefPtr<Attribute>>& Attributes() { return m_attributes; }

    int m_num_evaluations = 0;
    bool m_plug_wise = false;
    std::vector<double> m_results;
    std::vector<const Value*> m_last_values;
    std::function<void(uint32_t)> m_on_evaluate;
};
