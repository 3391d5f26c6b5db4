#include "programs/quillmar/ProjectNode.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "host/Engine.h"
#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/PluginLoader.h"

Status ProjectNode::Load(const std::string& path, const std::string& prefix) {
    PluginLoader& loader = PluginLoader::Get();
    loader.LoadDefault();
    for (const std::string& error : loader.GetErrors()) {
        std::cerr << prefix << error << '\n';
    }
    m_node = Engine::Get()->GetDocument()->CreateNode(kNodeGraphType);
    if (!m_node) {
        return Status(StatusCode::Error, "No Node Graph node (type " + kNodeGraphType.ToString() +
                                             ") can be made: the Project plug-in is not loaded.");
    }
    std::error_code code;
    const std::filesystem::path absolute = std::filesystem::absolute(path, code);
    return m_node->ReadFileReference(0, code ? path : absolute.string());
}

uint32_t ProjectNode::GetFirstInput() const {
    return m_node->GetInplugIdFromRegularInputId(0);
}

uint32_t ProjectNode::FindInput(const std::string& name) const {
    for (uint32_t inplug = GetFirstInput(); inplug < m_node->GetNumInplugs(); ++inplug) {
        if (m_node->GetInplugName(inplug) == name) {
            return inplug;
        }
    }
    return Node::kNone;
}
