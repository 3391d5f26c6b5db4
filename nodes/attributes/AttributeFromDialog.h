#pragma once

#include <cstdint>

class Attribute;
class DynamicNode;
class QAddEditAttributeDialog;

// Turns an accepted QAddEditAttributeDialog into attribute definitions. A field the author left
// as the dialog showed it keeps the attribute's own value, so that OK without a change leaves the
// definition exactly as it was (the boxes may show a value rounded, an infinity or NaN as they
// can). Changed fields follow the dialog: a changed default is clamped into the limits (the
// minimum first) and becomes (d) for a number, (d, d) for a point and (0, 0, d, d) for a frame.
class AttributeFromDialog {
public:
    // Edit: changes the definition of `attribute` (NUMBER, POINT, FRAME or CHOICE) in place and
    // re-applies its current value.
    static void Apply(const QAddEditAttributeDialog& dialog, Attribute& attribute);
    // Add and Duplicate: appends an attribute of `type` named as the dialog says. A duplicate
    // (the dialog opened on a source) starts from the source's definition.
    static void Create(const QAddEditAttributeDialog& dialog, uint32_t type, DynamicNode& node);
};
