#include "nodes/graph/NodeGraphNode.h"

#include <algorithm>

#include "host/BezierSpline.h"
#include "host/Blend.h"
#include "host/ImageOp.h"
#include "host/MaterialTemplate.h"
#include "nodes/io/IoNode.h"

// The loop actions: how the outputs of the runs combine into the node's results.

namespace {

// Loop action choice indices, per output type.
constexpr int kReplace = 0;
constexpr int kSummation = 1;
constexpr int kAverage = 2;
constexpr int kMinimum = 3;
constexpr int kMaximum = 4;
constexpr int kFrameCompOver = 1;
constexpr int kImageCompOver = 1;
constexpr int kImageAddition = 2;
constexpr int kImageAverage = 3;
constexpr int kImageMinimum = 4;
constexpr int kImageMaximum = 5;
constexpr int kColorCompOver = 1;
constexpr int kColorAverage = 2;

int LoopAction(const Node* io_node) {
    const Attribute* attribute = io_node->GetAttributeByIndex(0);
    return attribute ? attribute->GetInteger() : kReplace;
}

// Straight-alpha "over" of a colour onto another.
Rgbo ColorOver(const Rgbo& background, const Rgbo& foreground) {
    const double alpha = foreground.o + background.o * (1.0 - foreground.o);
    if (alpha <= 0.0) {
        return {0.0, 0.0, 0.0, 0.0};
    }
    auto channel = [&](double b, double f) {
        return (f * foreground.o + b * background.o * (1.0 - foreground.o)) / alpha;
    };
    return {channel(background.r, foreground.r), channel(background.g, foreground.g),
            channel(background.b, foreground.b), alpha};
}

void DeleteCurves(std::vector<BezierSpline*>& curves) {
    for (BezierSpline* curve : curves) {
        delete curve;
    }
    curves.clear();
}

}  // namespace

void NodeGraphNode::ClearCurveResults() {
    for (std::vector<BezierSpline*>& curves : m_curve_results) {
        DeleteCurves(curves);
    }
}

void NodeGraphNode::InitialiseResults() {
    for (const LoopPair& pair : m_loop_pairs) {
        if (!pair.m_output_node) {
            continue;
        }
        const size_t output = pair.m_output_index;
        const Value& value = *m_inner_input_values[pair.m_input_index];
        switch (ValueType(pair.m_input_node)) {
            case Value::Number:
                m_number_results[output] = value.IsEmpty() ? 0.0 : value.m_number;
                break;
            case Value::Frame:
                m_frame_results[output] = value.IsEmpty() ? Frame() : value.m_frame;
                break;
            case Value::Material:
                m_material_results[output].Reset();
                if (!value.IsEmpty() && value.m_material) {
                    const Material& source = *value.m_material;
                    RefPtr<Material> copy(new Material(source.GetTemplate()));
                    for (const std::string& name : source.GetTemplate().GetImageNames()) {
                        // An image the template names but the material lacks stays absent.
                        if (const Image* image = source.GetImage(name)) {
                            copy->SetImage(name, new Image(*image));
                        }
                    }
                    m_material_results[output] = std::move(copy);
                }
                break;
            default:
                break;
        }
    }
}

void NodeGraphNode::ReadOutput(size_t output, int iteration) {
    const IoNode* output_node = m_output_nodes[output];
    const uint32_t inplug = ValueInplug(output_node);
    Node* source = output_node->GetInplugNode(inplug);
    const Value::Type type = output_node->GetInplugValueType(inplug);
    Value value = source ? source->LockValue(output_node->GetInplugNodeOutplug(inplug)) : Value();
    const bool empty = value.IsEmpty();
    // The first run, and the replace action, take the run's value as it is.
    const int action = iteration == 0 ? kReplace : LoopAction(output_node);
    Value& carried = m_carried_values[output];
    carried.m_type = type;

    switch (type) {
        case Value::Number: {
            const double number = empty ? 0.0 : value.m_number;
            m_iteration_numbers[output] = number;
            double& result = m_number_results[output];
            if (action == kReplace) {
                result = number;
            } else if (action == kSummation || action == kAverage) {
                result += number;
            } else if (action == kMinimum) {
                result = std::min(result, number);
            } else if (action == kMaximum) {
                result = std::max(result, number);
            }
            carried.m_number = number;
            break;
        }
        case Value::Point: {
            const Point point = empty ? Point() : value.m_point;
            m_iteration_points[output] = point;
            Point& result = m_point_results[output];
            if (action == kReplace) {
                result = point;
            } else if (action == kSummation || action == kAverage) {
                result.x += point.x;
                result.y += point.y;
            }
            carried.m_point = point;
            break;
        }
        case Value::Frame: {
            const Frame frame = empty ? Frame() : value.m_frame;
            m_iteration_frames[output] = frame;
            Frame& result = m_frame_results[output];
            if (action == kReplace) {
                result = frame;
            } else if (action == kFrameCompOver) {
                const double left = std::min(result.x, frame.x);
                const double top = std::min(result.y, frame.y);
                const double right = std::max(result.x + result.width, frame.x + frame.width);
                const double bottom = std::max(result.y + result.height, frame.y + frame.height);
                result = {left, top, right - left, bottom - top};
            }
            carried.m_frame = frame;
            break;
        }
        case Value::Image: {
            if (!empty && value.m_image) {
                m_iteration_images[output] = new Image(*value.m_image);
                const Image* image = m_iteration_images[output].Get();
                RefPtr<Image>& result = m_image_results[output];
                if (action == kReplace) {
                    result = m_iteration_images[output];
                } else if (action == kImageCompOver) {
                    result = Blend(result.Get(), image, nullptr, kBlendOver, 0, 1.0f, 1.0f);
                } else {
                    const char* mode = action == kImageMinimum   ? "min"
                                       : action == kImageMaximum ? "max"
                                                                 : "add";
                    result = ImageOp::MixBgFgImages(result.Get(), image, mode);
                }
            }
            carried.m_image = m_iteration_images[output].Get();
            break;
        }
        case Value::Material:
            m_material_results[output].Reset();
            if (!empty && value.m_material) {
                m_material_results[output] = new Material(*value.m_material);
            }
            carried.m_material = m_material_results[output].Get();
            break;
        case Value::Curve:
            if (!empty && value.m_curves) {
                std::vector<BezierSpline*>& curves = m_curve_results[output];
                const std::vector<BezierSpline*>& arriving = *value.m_curves;
                DeleteCurves(curves);
                curves.reserve(arriving.size());
                for (const BezierSpline* curve : arriving) {
                    curves.push_back(curve ? new BezierSpline(*curve) : new BezierSpline());
                }
            }
            carried.m_curves = &m_curve_results[output];
            break;
        case Value::Boolean:
        case Value::Rgbo:
        case Value::String:
            ReadOtherOutput(output, action, empty ? Value() : value);
            carried = m_iteration_other[output];
            carried.m_owner = this;
            break;
        default:
            carried.m_type = Value::None;
            break;
    }
    if (source) {
        source->ReleaseValue(value);
    }
}

void NodeGraphNode::ReadOtherOutput(size_t output, int action, const Value& value) {
    Value& latest = m_iteration_other[output];
    latest.m_type = value.IsEmpty() ? ValueType(m_output_nodes[output]) : value.m_type;
    latest.m_boolean = value.m_boolean;
    latest.m_rgbo = value.m_rgbo;
    latest.m_string = value.m_string;
    Value& result = m_other_results[output];
    if (action == kReplace || latest.m_type != Value::Rgbo) {
        result = latest;
    } else if (action == kColorCompOver) {
        result.m_rgbo = ColorOver(result.m_rgbo, latest.m_rgbo);
    } else if (action == kColorAverage) {
        result.m_rgbo = {result.m_rgbo.r + latest.m_rgbo.r, result.m_rgbo.g + latest.m_rgbo.g,
                         result.m_rgbo.b + latest.m_rgbo.b, result.m_rgbo.o + latest.m_rgbo.o};
    }
}

void NodeGraphNode::FinishResults(int count) {
    for (size_t output = 0; output < m_output_nodes.size(); ++output) {
        const IoNode* output_node = m_output_nodes[output];
        const int action = LoopAction(output_node);
        const Value::Type type = ValueType(output_node);
        // Without a run there is nothing to average.
        if (count >= 1 && action == kAverage) {
            if (type == Value::Number) {
                m_number_results[output] /= double(count);
            } else if (type == Value::Point) {
                m_point_results[output].x /= double(count);
                m_point_results[output].y /= double(count);
            } else if (type == Value::Rgbo) {
                Rgbo& sum = m_other_results[output].m_rgbo;
                const double n = double(count);
                sum = {sum.r / n, sum.g / n, sum.b / n, sum.o / n};
            }
        }
        Image* image = m_image_results[output].Get();
        if (type != Value::Image || !image) {
            continue;
        }
        if (action == kImageAverage) {
            ImageOp::Multiply(image, float(1.0 / double(count)));
        } else if (action == kImageAddition && image->GetColorMode() != 2) {
            ImageOp::Clamp(image);
        }
    }
}

void NodeGraphNode::ResizeResults(size_t outputs) {
    m_iteration_numbers.resize(outputs);
    m_number_results.resize(outputs);
    m_iteration_points.resize(outputs);
    m_point_results.resize(outputs);
    m_iteration_frames.resize(outputs);
    m_frame_results.resize(outputs);
    m_iteration_images.resize(outputs);
    m_image_results.resize(outputs);
    m_material_results.resize(outputs);
    for (size_t output = outputs; output < m_curve_results.size(); ++output) {
        DeleteCurves(m_curve_results[output]);
    }
    m_curve_results.resize(outputs);
    m_iteration_other.resize(outputs);
    m_other_results.resize(outputs);
}
