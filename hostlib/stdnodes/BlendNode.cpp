#include "hostlib/stdnodes/BlendNode.h"

#include "host/Blend.h"

namespace {

// In the order of the mode's choices.
constexpr int kModes[] = {kBlendOver, kBlendAdd, kBlendMultiply, kBlendMinimum, kBlendMaximum};

}  // namespace

BlendNode::BlendNode() : StandardNode(kNodeType, kTypeName) {
    m_attributes.emplace_back(
        new Attribute(this, kMode, "mode", 0, "over,add,multiply,minimum,maximum"));
    m_attributes.emplace_back(new Attribute(this, kOpacity, "opacity", 1.0, 0.0, 1.0, 0.01, 2));
    m_inplug_declarations.push_back({0, Value::Image, "background", 0, 0});
    m_inplug_declarations.push_back({1, Value::Image, "foreground", 0, 0});
    m_outplug_declarations.push_back({0, Value::Image, "image", 0});
    UpdateInplugsAndOutplugs();
}

void BlendNode::EvaluateOutplug(uint32_t, const std::vector<const Value*>& inplug_values) {
    SetState(0, 0, "");
    const Image* background = ReadImage(inplug_values[GetInplugIdFromRegularInputId(0)]);
    const Image* foreground = ReadImage(inplug_values[GetInplugIdFromRegularInputId(1)]);
    if (!m_active || !background) {
        m_image = nullptr;
        return;
    }
    const int mode = ReadChoice(kMode, inplug_values[kMode]);
    if (mode < 0) {
        m_image = nullptr;
        SetState(0, 1, "Unknown blend mode \"" + ReadString(inplug_values[kMode]) + "\".");
        return;
    }
    const float opacity = float(ReadNumber(inplug_values[kOpacity]));
    BlendInto(OwnImage(m_image), background, foreground, nullptr, kModes[mode], 0, opacity, 1.0f);
}

Image* BlendNode::GetImageValue(uint32_t) {
    return m_image.Get();
}
