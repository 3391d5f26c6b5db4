#include "nodes/graph/AttributeInfo.h"

#include "host/StringJoin.h"

AttributeInfo AttributeInfo::FromAttribute(const Attribute& attribute, Node* source,
                                           uint64_t index) {
    AttributeInfo info;
    info.m_source_node = source;
    info.m_source_index = index;
    info.m_name = attribute.GetName();
    info.m_type = attribute.GetType();
    info.m_decimals = attribute.GetDecimals();
    switch (info.m_type) {
        case Attribute::BOOLEAN:
            info.m_boolean = attribute.GetBoolean();
            break;
        case Attribute::NUMBER:
            info.m_number = attribute.GetNumber();
            break;
        case Attribute::POINT:
            info.m_point = attribute.GetPoint();
            break;
        case Attribute::FRAME:
            info.m_frame = attribute.GetFrame();
            break;
        case Attribute::RGBO:
            info.m_rgbo = attribute.GetRgbo();
            break;
        case Attribute::STRING:
            info.m_text = attribute.GetString();
            break;
        case Attribute::CHOICE:
            info.m_text = attribute.GetChoice();
            info.m_choice_names = StringJoin(attribute.GetChoiceNames(), ",");
            break;
    }
    if (info.m_type == Attribute::NUMBER || info.m_type == Attribute::POINT) {
        info.m_minimum = attribute.GetMinimum();
        info.m_maximum = attribute.GetMaximum();
        info.m_single_step = attribute.GetSingleStep();
    }
    return info;
}
