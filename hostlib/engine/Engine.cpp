#include "host/Engine.h"

#include "host/Node.h"
#include "host/Update.h"

Engine* Engine::Get() {
    // Never destroyed: the document's nodes may come from plug-ins unloaded before static
    // destruction.
    static Engine* const engine = new Engine();
    return engine;
}

Engine::Engine() : m_document(new NodeGraph()) {}

void Engine::SetDocument(NodeGraph* document) {
    m_document = document ? document : new NodeGraph();
}

size_t Engine::GetNumNodes() const {
    return m_document->GetNumNodes();
}

Node* Engine::GetNode(size_t index) const {
    return m_document->GetNode(index);
}

bool Engine::ConnectNodes(Node* from, uint32_t outplug, Node* to, uint32_t inplug) {
    if (!from || !to || outplug >= from->m_outplugs.size() || inplug >= to->m_inplugs.size() ||
        from->m_outplugs[outplug].m_type != to->m_inplugs[inplug].m_type) {
        return false;
    }
    Node::Inplug& target = to->m_inplugs[inplug];
    if (target.m_source == from && target.m_source_outplug == outplug) {
        return true;
    }
    const bool was_free = target.m_source == nullptr;
    if (!was_free) {
        to->DetachSource(inplug);
    }
    to->AttachSource(inplug, from, outplug);
    bool grew = false;
    if (was_free && target.m_expanding && !to->ExpandingGroupHasFreePlug(inplug)) {
        Node::Inplug free_plug;
        free_plug.m_name = target.m_name;
        free_plug.m_type = target.m_type;
        free_plug.m_declaration = target.m_declaration;
        free_plug.m_expanding = true;
        free_plug.m_own_value.m_owner = to;
        to->InsertInplug(to->ExpandingGroupEnd(inplug), std::move(free_plug));
        grew = true;
    }
    to->DirtyDownstream();
    to->PostEvent(kEventConnectionChanged, inplug);
    if (grew) {
        to->PostEvent(kEventPlugsChanged, 0);
    }
    return true;
}

bool Engine::DisconnectInplug(Node* to, uint32_t inplug) {
    if (!to || inplug >= to->m_inplugs.size() || !to->m_inplugs[inplug].m_source) {
        return false;
    }
    to->DetachSource(inplug);
    // The freed plug goes; the group keeps its one free plug at the end.
    const bool shrank =
        to->m_inplugs[inplug].m_expanding && inplug + 1 < to->ExpandingGroupEnd(inplug);
    if (shrank) {
        to->EraseInplug(inplug);
    }
    to->DirtyDownstream();
    to->PostEvent(kEventConnectionChanged, inplug);
    if (shrank) {
        to->PostEvent(kEventPlugsChanged, 0);
    }
    return true;
}

void Engine::DisconnectAll(Node* node) {
    if (!node) {
        return;
    }
    while (!node->m_outgoing.empty()) {
        const Node::Connection connection = node->m_outgoing.back();
        DisconnectInplug(connection.m_target, connection.m_inplug);
    }
    for (size_t i = node->m_inplugs.size(); i-- > 0;) {
        if (i < node->m_inplugs.size()) {
            DisconnectInplug(node, uint32_t(i));
        }
    }
}
