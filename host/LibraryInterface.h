#pragma once

#include <string>
#include <vector>

#include "host/HostExport.h"
#include "host/NodeType.h"

class Node;

// The descriptor a plug-in library returns from GetLibraryInterface. It has no virtual destructor:
// the host keeps it for as long as the library stays loaded and never deletes it.
class QM_HOST_API LibraryInterface {
public:
    virtual std::string GetName() const = 0;
    virtual std::string GetDescription() const;

    // A node type the library can create without publishing an interface for it: the host makes
    // such nodes when a project names the type, and lists the type as unpublished.
    struct UnpublishedNodeType {
        NodeType m_type;
        std::string m_name;
        Node* (*m_create)() = nullptr;
    };
    // Asked once, before the library's node types are registered. Base: none.
    virtual std::vector<UnpublishedNodeType> GetUnpublishedNodeTypes() const;
    // Called after the library's node interfaces are registered, and before it is unloaded.
    virtual void OnLoaded();
    virtual void OnUnloading();

protected:
    ~LibraryInterface() = default;
};
