#pragma once

#include <cstdint>
#include <vector>

#include "host/Node.h"

// Base of the IO nodes that mark a project's inputs and outputs. Each passes the value at its one
// regular input to its one outplug of the same name and value type. All but Boolean IO carry the
// choice attribute "loop_action" (id 0, first choice "replace"), which tells a Node Graph node how
// to combine that output over its iterations; it means nothing to the node itself.
//
// Whether a node is an input or an output of its project is decided by its connections, by
// whoever loads the project.
class IoNode : public Node {
public:
    // The node feeding the regular input, or null.
    virtual Node* GetInputNode() const;
    // The outplug of GetInputNode that feeds the regular input.
    virtual uint32_t GetInputNodeOutplug() const;

protected:
    // Declares the attribute (when `loop_actions`, comma-separated, is not null) and the two plugs,
    // and builds them.
    IoNode(Value::Type type, const char* plug_name, const char* loop_actions);

    // The value at the regular input; null while the node is inactive. The value may be empty.
    const Value* InputValue(const std::vector<const Value*>& inplug_values) const;
};
