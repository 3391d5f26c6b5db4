#pragma once

#include <cstdint>
#include <string>

#include "host/Attribute.h"
#include "host/Frame.h"
#include "host/Point.h"
#include "host/Rgbo.h"

class Node;

// One project attribute as a Node Graph node exposes it: where it comes from, its definition and
// its value. Also used for the values of the node's own attributes saved before a re-read. Only
// the value field of the attribute's type is meaningful.
struct AttributeInfo {
    // Filled from `attribute` of `source` (index `index` there): name, type, decimals, the value
    // and, for numbers and points, the range.
    static AttributeInfo FromAttribute(const Attribute& attribute, Node* source, uint64_t index);

    Node* m_source_node = nullptr;
    uint64_t m_source_index = 0;
    std::string m_name;
    Attribute::Type m_type = Attribute::BOOLEAN;
    int32_t m_decimals = 0;
    bool m_boolean = false;
    double m_number = 0.0;
    Point m_point;
    Frame m_frame;
    Rgbo m_rgbo;
    // STRING: the text; CHOICE: the selected choice's name.
    std::string m_text;
    // CHOICE: the choice names joined with ",".
    std::string m_choice_names;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
    double m_single_step = 0.0;
};
