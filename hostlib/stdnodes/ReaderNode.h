#pragma once

#include "hostlib/stdnodes/StandardNode.h"

// The image file at "path", relative paths taken from the project's folder. The decoded image is
// kept and the file read again only when the resolved path changes. An empty path gives none; a
// file that cannot be read gives none and an error state.
class ReaderNode : public StandardNode {
public:
    static inline const NodeType kNodeType{10, 15, 0};
    static constexpr const char* kTypeName = "Reader";

    ReaderNode();
    uint32_t GetNumFileReferences() const override;
    std::string GetFileReference(uint32_t index) const override;
    void SetFileReference(uint32_t index, const std::string& path) override;
    void EvaluateOutplug(uint32_t outplug, const std::vector<const Value*>& inplug_values) override;
    Image* GetImageValue(uint32_t outplug) override;

private:
    enum : uint32_t { kPath };
    // The last image read and its resolved path; kept while the node is inactive.
    RefPtr<Image> m_image;
    std::string m_image_path;
    bool m_has_output = false;
};
