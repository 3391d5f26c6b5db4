#include "host/NodeType.h"

#include <charconv>

std::string NodeType::ToString() const {
    return std::to_string(m_library) + "," + std::to_string(m_group) + "," + std::to_string(m_type);
}

bool NodeType::FromString(const std::string& text, NodeType& type) {
    uint32_t numbers[3];
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < 3; ++i) {
        while (p < end && *p == ' ') {
            ++p;
        }
        auto [next, error] = std::from_chars(p, end, numbers[i]);
        if (error != std::errc()) {
            return false;
        }
        p = next;
        while (p < end && *p == ' ') {
            ++p;
        }
        if (i < 2) {
            if (p == end || *p != ',') {
                return false;
            }
            ++p;
        }
    }
    if (p != end) {
        return false;
    }
    type = NodeType(numbers[0], numbers[1], numbers[2]);
    return true;
}
