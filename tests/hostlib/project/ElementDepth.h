#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include <tinyxml.h>

// Depth of the deepest element under `document`, walked without recursion, so that it also works
// on documents too deep for TinyXML's own recursive walks. Shared by the XML tests and fuzzer.
inline size_t ElementDepth(const TiXmlNode& document) {
    size_t deepest = 0;
    std::vector<std::pair<const TiXmlNode*, size_t>> pending{{&document, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (const TiXmlElement* child = node->FirstChildElement(); child;
             child = child->NextSiblingElement()) {
            pending.emplace_back(child, depth + 1);
        }
    }
    return deepest;
}
