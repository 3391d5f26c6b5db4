#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostExport.h"
#include "host/Node.h"
#include "host/NodeType.h"
#include "host/RefCounter.h"
#include "host/RefPtr.h"
#include "host/Status.h"

class TiXmlElement;

// An ordered list of nodes, holding a reference to each, and the file it came from. Connections
// live in the nodes; deleting a node or the graph disconnects the nodes first.
class QM_HOST_API NodeGraph : public RefCounter {
public:
    // Called once per connection the reader makes, with the source and the target node.
    using ProjectReadCallback = void (*)(Node* from, Node* to);

    NodeGraph();
    ~NodeGraph() override;

    size_t GetNumNodes() const { return m_nodes.size(); }
    Node* GetNode(size_t index) const;
    // Index of the node, or kNone.
    size_t IndexOf(const Node* node) const;
    // First node of that name, or null.
    Node* FindNode(const std::string& name) const;

    // Creates a node of that type through the node-type registry and inserts it at `position`
    // (any position past the end appends). Null when the type is unknown or its factory fails.
    Node* CreateNode(const NodeType& type, uint32_t position = 0xFFFFFFFFu);
    // Inserts a node made elsewhere, taking a reference. False (nothing changes) for a null node or
    // one that a graph holds already.
    bool AddNode(Node* node, uint32_t position = 0xFFFFFFFFu);
    // Disconnects and removes the node; false when the graph does not hold it.
    bool DeleteNode(Node* node);
    // Disconnects and removes every node.
    void Clear();

    // Connects plugs by name; the indices pick among plugs of the same name in plug order. False
    // when a plug is missing or the value types differ.
    bool ConnectNodes(Node* from, const std::string& outplug_name, uint32_t from_index, Node* to,
                      const std::string& inplug_name, uint32_t to_index);

    // The project file the graph was read from, stored absolute so that it stays valid when the
    // working directory changes. An empty path stays empty.
    const std::string& GetFilePath() const { return m_file_path; }
    void SetFilePath(const std::string& path);

    // Builds the graph from the children of a "QuillmarProject" element (Node, Value and
    // Connection elements; definitions paths are relative to the working directory). Code 1 names
    // every skipped problem; code 2 refuses a project that includes itself.
    Status ProjectRead(int minor, int major, TiXmlElement* root, ProjectReadCallback callback);
    // Adds a problem, as a warning, to the ProjectRead under way on this thread (ignored when
    // there is none): for nodes whose own reading fails while the reader loads them.
    static void ReportReadProblem(const std::string& problem);
    // Writes the graph as "Project.xml" and its side files into `folder`; returns the names of the
    // files written, relative to the folder.
    Status ProjectWrite(const std::string& folder, std::vector<std::string>& files) const;

    static constexpr size_t kNone = size_t(-1);

private:
    std::vector<RefPtr<Node>> m_nodes;
    std::string m_file_path;
};
