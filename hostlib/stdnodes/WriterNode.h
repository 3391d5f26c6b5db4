#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// Passes a copy of its input on; the host's render action writes that image to GetPath().
class WriterNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 16, 0};
    static constexpr const char* kTypeName = "Writer";

    WriterNode();
    // The "path" attribute's text, as the user gave it (relative paths are the renderer's
    // business).
    const std::string& GetPath() const;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Image* GetImageValue(uint32_t outplug) override;

private:
    enum : uint32_t { kPath };
    RefPtr<Image> m_image;
};
