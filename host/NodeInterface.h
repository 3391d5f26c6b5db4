#pragma once

#include <cstdint>
#include <string>

#include "host/HostExport.h"
#include "host/NodeType.h"
#include "host/RefCounter.h"

class Node;
class NodeFactory;
class QWidget;

// Describes a node type to the host: its name, category, icons, display mode and panel. Owns its
// factory.
class QM_HOST_API NodeInterface : public RefCounter {
public:
    ~NodeInterface() override;
    virtual NodeFactory* GetFactory() const = 0;
    virtual std::string GetName() const = 0;
    virtual NodeType GetNodeType() const = 0;
    // The node's attribute panel, parented to `parent`, or null. No panel is built unless `extra`
    // is zero. Base returns null.
    virtual QWidget* CreateAttributesWidget(Node* node, QWidget* parent, intptr_t extra);
    virtual std::string GetCategory() const;
    virtual std::string GetIconPath() const;
    virtual std::string GetSmallIconPath() const;
    // Base "as_is".
    virtual std::string GetDisplayMode() const;
};
