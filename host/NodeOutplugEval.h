#pragma once

#include <cstdint>

class Node;

// One outplug an EvaluateNodeOutplugs run must compute.
struct NodeOutplugEval {
    Node* m_node = nullptr;
    uint32_t m_outplug = 0;
    // Reserved; false.
    bool m_flag = false;
};
