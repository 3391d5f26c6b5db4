#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "host/Status.h"

class Node;
class NodeGraph;

// A picture of a project's graph, laid out by Graphviz (dot, left to right): one box per node
// showing its name and type, inputs and outputs (the IO nodes) marked and coloured, nodes in an
// error state outlined in red, one arrow per connection. Renders to SVG or PNG and gives the
// layout to programs that draw the picture themselves.
//
// The nodes must outlive the picture.
class GraphPicture {
public:
    enum class Role { kNode, kInput, kOutput };

    // Geometry in points, the origin at the top left.
    struct Box {
        const Node* m_node = nullptr;
        Role m_role = Role::kNode;
        bool m_error = false;
        std::string m_label;
        double m_x = 0, m_y = 0, m_width = 0, m_height = 0;  // the centre and the size
    };
    struct Arrow {
        size_t m_from = 0;
        size_t m_to = 0;
        std::string m_label;
        // Cubic Bezier control points: the first point, then three per segment.
        std::vector<double> m_points;  // x, y, x, y, ...
        double m_label_x = 0, m_label_y = 0;
    };

    GraphPicture();
    ~GraphPicture();
    GraphPicture(const GraphPicture&) = delete;
    GraphPicture& operator=(const GraphPicture&) = delete;

    // Lays out the graph. A node counts as in error when its own state says so, or when one of
    // `reports` (as a Node Graph node reports its project's states: "Type:name:outplug:message",
    // or "Type:outplug:message" for a node without a name) names it. Code 2 when Graphviz fails.
    Status Build(const NodeGraph& graph, const std::vector<std::string>& reports = {});

    // Renders the laid-out picture into `path`, in the format its extension names (.svg or
    // .png). Nothing is written unless the whole picture was rendered.
    Status Write(const std::string& path) const;
    // The picture in a Graphviz output format ("svg", "png"); code 2 when Graphviz fails.
    Status Render(const std::string& format, std::string& data) const;

    const std::vector<Box>& GetBoxes() const { return m_boxes; }
    const std::vector<Arrow>& GetArrows() const { return m_arrows; }
    double GetWidth() const { return m_width; }
    double GetHeight() const { return m_height; }

    // The role a node plays in its project: an IO node whose outplug is connected is an input,
    // one whose inplug only is connected an output.
    static Role RoleOf(const Node& node);

private:
    struct Graphviz;

    void ReadLayout();

    std::unique_ptr<Graphviz> m_graphviz;
    std::vector<Box> m_boxes;
    std::vector<Arrow> m_arrows;
    double m_width = 0;
    double m_height = 0;
};
