#pragma once

#include <vector>

#include "host/Node.h"

// The input a switch node's "index" attribute (attribute 0) picks among the regular inputs that
// follow the attribute inplugs: index 1 is the first input. Null when the index lands outside the
// inputs (0 lands on the index's own inplug, which is not of the switched type) or the input's
// value is not of `type`. Shared by the image and the material switch, which differ only in what
// they copy.
class SwitchInput {
public:
    static const Node::Value* Find(const Node& node,
                                   const std::vector<const Node::Value*>& inplug_values,
                                   Node::Value::Type type);
};
