#pragma once

#include <cstdint>
#include <string>

#include "host/Image.h"
#include "host/Node.h"
#include "host/RefPtr.h"

class Material;

// Base of the host's standard node types. Each has exactly one outplug, so the value getters of
// the derived classes ignore the outplug index. The value readers accept any value: an empty one,
// or one of another type, reads as zero, false, empty or none.
class StandardNode : public Node {
public:
    NodeType GetNodeType() const override { return m_node_type; }
    std::string GetTypeName() const override { return m_type_name; }

protected:
    // Largest width or height of an image a standard node makes.
    static constexpr int64_t kMaxImageSide = 16384;

    StandardNode(const NodeType& node_type, const char* type_name);

    static double ReadNumber(const Value* value);
    static bool ReadBoolean(const Value* value);
    static Point ReadPoint(const Value* value);
    static Rgbo ReadRgbo(const Value* value);
    static const std::string& ReadString(const Value* value);
    static Image* ReadImage(const Value* value);
    static Material* ReadMaterial(const Value* value);
    // The number rounded to the nearest whole number; false when it is not finite or the result
    // lies outside [minimum, maximum].
    static bool ReadWhole(const Value* value, int64_t minimum, int64_t maximum, int64_t& result);
    // Index of the choice of a CHOICE attribute that the value names, or -1.
    int ReadChoice(uint32_t attribute_id, const Value* value) const;
    // Nodes that make an image from nothing have "width" and "height" as attributes 0 and 1
    // (256 by default); the constructor adds them first.
    enum : uint32_t { kWidthAttribute, kHeightAttribute };
    void AddImageSizeAttributes();
    // Start of such a node's evaluation: clears the state and reads width and height, whole
    // numbers from 1 to kMaxImageSide. False, with `image` dropped, when the node is inactive or
    // the size is not valid (then outplug 0 gets an error state).
    bool BeginImage(const std::vector<const Value*>& inplug_values, RefPtr<Image>& image,
                    uint32_t& width, uint32_t& height);

    // An image held by `slot` and by nobody else, to be overwritten: the slot's own when it is
    // the only holder (no allocation), else a new empty one stored there.
    static Image& OwnImage(RefPtr<Image>& slot);
    // `slot` becomes a copy of source, reusing the slot's buffer when it can.
    static void CopyImage(RefPtr<Image>& slot, const Image& source);

private:
    NodeType m_node_type;
    const char* m_type_name;
};
