#pragma once

#include <string>

#include "host/HostExport.h"
#include "host/NodeType.h"
#include "host/RefCounter.h"

class Node;

// Makes nodes of one type. The caller owns the node it returns.
class QM_HOST_API NodeFactory : public RefCounter {
public:
    virtual NodeType GetNodeType() const = 0;
    virtual Node* CreateNode() = 0;
    virtual std::string GetName() const = 0;
};
