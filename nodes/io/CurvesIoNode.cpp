#include "nodes/io/CurvesIoNode.h"

#include <memory>

#include "host/BezierSpline.h"
#include "library/ProjectNodeTypes.h"

CurvesIoNode::CurvesIoNode() : IoNode(Value::Curve, "curves", "replace") {}

CurvesIoNode::~CurvesIoNode() {
    for (BezierSpline* curve : m_curves) {
        delete curve;
    }
}

NodeType CurvesIoNode::GetNodeType() const {
    return ProjectNodeTypes::kCurvesIoType;
}

std::string CurvesIoNode::GetTypeName() const {
    return ProjectNodeTypes::kCurvesIoName;
}

void CurvesIoNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    const Value* value = InputValue(inplug_values);
    if (!value || value->m_type != Value::Curve || !value->m_curves) {
        return;
    }
    const std::vector<BezierSpline*>& arriving = *value->m_curves;
    for (size_t index = arriving.size(); index < m_curves.size(); ++index) {
        delete m_curves[index];
    }
    m_curves.resize(arriving.size(), nullptr);
    for (size_t index = 0; index < arriving.size(); ++index) {
        // A null entry of the arriving list becomes an empty curve, so the list never holds null.
        auto copy = arriving[index] ? std::make_unique<BezierSpline>(*arriving[index])
                                    : std::make_unique<BezierSpline>();
        delete m_curves[index];
        m_curves[index] = copy.release();
    }
}

std::vector<BezierSpline*>* CurvesIoNode::GetCurveValue(uint32_t) {
    return &m_curves;
}
