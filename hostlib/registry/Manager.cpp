#include "host/Manager.h"

#include "host/Node.h"

Manager* Manager::Get() {
    static Manager* const manager = new Manager;
    return manager;
}

std::string Manager::GetDirectory(const std::string& key) const {
    const auto found = m_directories.find(key);
    return found == m_directories.end() ? std::string() : found->second;
}

void Manager::SetDirectory(const std::string& key, const std::string& directory) {
    m_directories[key] = directory;
}

void Manager::SetDisplayNode(Node* node, uint32_t outplug) {
    m_display_node = node;
    m_display_outplug = outplug;
}
