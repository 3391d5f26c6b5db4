#include "python/RunOutput.h"

#include "host/BezierSpline.h"
#include "host/Frame.h"
#include "host/Image.h"
#include "host/Material.h"
#include "host/Rgbo.h"

RunOutput::Pixels RunOutput::CopyPixels(const Image* image) {
    Pixels pixels;
    if (!image || image->IsEmpty()) {
        return pixels;
    }
    pixels.m_present = true;
    pixels.m_width = image->GetWidth();
    pixels.m_height = image->GetHeight();
    pixels.m_data.assign(image->GetData(), image->GetData() + image->GetNumFloats());
    return pixels;
}

RunOutput::RunOutput(Node& node, uint32_t outplug)
    : m_name(node.GetOutplugName(outplug)), m_type(node.GetOutplugValueType(outplug)) {
    switch (m_type) {
        case Node::Value::Boolean:
            m_boolean = node.GetBooleanValue(outplug);
            break;
        case Node::Value::Number:
            m_numbers[0] = node.GetNumberValue(outplug);
            break;
        case Node::Value::Point: {
            const Point point = node.GetPointValue(outplug);
            m_numbers = {point.x, point.y, 0.0, 0.0};
            break;
        }
        case Node::Value::Frame: {
            const Frame frame = node.GetFrameValue(outplug);
            m_numbers = {frame.x, frame.y, frame.width, frame.height};
            break;
        }
        case Node::Value::Rgbo: {
            const Rgbo rgbo = node.GetRgboValue(outplug);
            m_numbers = {rgbo.r, rgbo.g, rgbo.b, rgbo.o};
            break;
        }
        case Node::Value::String:
            m_text = node.GetStringValue(outplug);
            break;
        case Node::Value::Image:
            m_image = CopyPixels(node.GetImageValue(outplug));
            break;
        case Node::Value::Material:
            if (const Material* material = node.GetMaterialValue(outplug)) {
                for (const std::string& name : material->GetImageNames()) {
                    m_material.emplace_back(name, CopyPixels(material->GetImage(name)));
                }
            }
            break;
        case Node::Value::Curve:
            if (const std::vector<BezierSpline*>* curves = node.GetCurveValue(outplug)) {
                for (const BezierSpline* spline : *curves) {
                    m_curves.push_back(spline->GetControlPoints());
                }
            }
            break;
        default:
            break;
    }
}
