#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "host/HostExport.h"
#include "host/RefPtr.h"

class Node;

// The application core's process-wide state: directories remembered under a key (the folder a file
// dialog last used, for example) and the node whose outplug the viewer displays. Directories are
// also written to the user's settings (QSettings, organization and application "Quillmar", group
// "Directories"), so they persist between runs; the display node lives in memory only. GUI thread
// only.
class QM_HOST_API Manager {
public:
    static constexpr uint32_t kNoOutplug = 0xFFFFFFFFu;

    // Never null. The instance is never destroyed, so the display node is not released during
    // process exit.
    static Manager* Get();

    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    // Empty for a key that was never set, in this run or an earlier one.
    std::string GetDirectory(const std::string& key) const;
    void SetDirectory(const std::string& key, const std::string& directory);

    // Holds a reference to the node until another one (or null) is set.
    void SetDisplayNode(Node* node, uint32_t outplug);
    Node* GetDisplayNode() const { return m_display_node.Get(); }
    uint32_t GetDisplayOutplug() const { return m_display_outplug; }

private:
    Manager() = default;

    std::unordered_map<std::string, std::string> m_directories;
    RefPtr<Node> m_display_node;
    uint32_t m_display_outplug = kNoOutplug;
};
