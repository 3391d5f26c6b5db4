#include "nodes/io/NumberIoNode.h"

#include "library/ProjectNodeTypes.h"

NumberIoNode::NumberIoNode()
    : IoNode(Value::Number, "number", "replace,summation,average,minimum,maximum") {}

NodeType NumberIoNode::GetNodeType() const {
    return ProjectNodeTypes::kNumberIoType;
}

std::string NumberIoNode::GetTypeName() const {
    return ProjectNodeTypes::kNumberIoName;
}

void NumberIoNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    m_number = {};
    const Value* value = InputValue(inplug_values);
    if (value && !value->IsEmpty()) {
        m_number = value->m_number;
    }
}

double NumberIoNode::GetNumberValue(uint32_t) {
    return m_number;
}
