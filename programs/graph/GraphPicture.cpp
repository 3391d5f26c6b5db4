#include "programs/graph/GraphPicture.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include <gvc.h>

#include "host/Node.h"
#include "host/NodeGraph.h"
#include "host/NodeType.h"

namespace {

// The IO node types of the Project plug-in.
const std::array<NodeType, 8> kIoTypes{{{10, 1, 21},
                                        {10, 1, 26},
                                        {10, 1, 32},
                                        {10, 1, 37},
                                        {10, 1, 42},
                                        {10, 1, 53},
                                        {10, 1, 64},
                                        {10, 1, 69}}};
constexpr double kPointsPerInch = 72.0;

// Graphviz takes its strings as char*; it copies what it keeps.
void Set(void* object, const char* name, const std::string& value) {
    std::string key = name;
    std::string text = value;
    std::string none;
    agsafeset(object, key.data(), text.data(), none.data());
}

// Graphviz reads backslash escapes in labels.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

std::string LabelOf(const Node& node, GraphPicture::Role role) {
    std::string label =
        node.GetName().empty() ? node.GetTypeName() : node.GetName() + "\n" + node.GetTypeName();
    if (role == GraphPicture::Role::kInput) {
        label += "\n(input)";
    } else if (role == GraphPicture::Role::kOutput) {
        label += "\n(output)";
    }
    return label;
}

bool NamedByReport(const Node& node, const std::string& report) {
    const std::string type = node.GetTypeName() + ":";
    if (report.compare(0, type.size(), type) != 0) {
        return false;
    }
    if (!node.GetName().empty()) {
        return report.compare(type.size(), node.GetName().size() + 1, node.GetName() + ":") == 0;
    }
    for (uint32_t outplug = 0; outplug < node.GetNumOutplugs(); ++outplug) {
        const std::string plug = node.GetOutplugName(outplug) + ":";
        if (report.compare(type.size(), plug.size(), plug) == 0) {
            return true;
        }
    }
    return false;
}

Status Failed(const std::string& what) {
    return Status(StatusCode::Error, "Cannot draw the graph: " + what);
}

}  // namespace

struct GraphPicture::Graphviz {
    GVC_t* context = nullptr;
    Agraph_t* graph = nullptr;
    bool laid_out = false;
    std::vector<Agnode_t*> nodes;
    std::vector<Agedge_t*> edges;

    ~Graphviz() {
        if (laid_out) {
            gvFreeLayout(context, graph);
        }
        if (graph) {
            agclose(graph);
        }
        if (context) {
            gvFreeContext(context);
        }
    }
};

GraphPicture::GraphPicture() = default;
GraphPicture::~GraphPicture() = default;

GraphPicture::Role GraphPicture::RoleOf(const Node& node) {
    if (std::find(kIoTypes.begin(), kIoTypes.end(), node.GetNodeType()) == kIoTypes.end()) {
        return Role::kNode;
    }
    if (node.GetNumConnectedToOutplug() > 0) {
        return Role::kInput;
    }
    return node.GetNumConnectedToInplug() > 0 ? Role::kOutput : Role::kNode;
}

Status GraphPicture::Build(const NodeGraph& graph, const std::vector<std::string>& reports) {
    m_graphviz = std::make_unique<Graphviz>();
    m_boxes.clear();
    m_arrows.clear();
    Graphviz& gv = *m_graphviz;
    gv.context = gvContext();
    std::string name = "project";
    gv.graph = gv.context ? agopen(name.data(), Agdirected, nullptr) : nullptr;
    if (!gv.graph) {
        return Failed("Graphviz could not start");
    }
    Set(gv.graph, "rankdir", "LR");
    Set(gv.graph, "fontname", "Helvetica");
    Set(gv.graph, "nodesep", "0.3");

    for (size_t index = 0; index < graph.GetNumNodes(); ++index) {
        const Node& node = *graph.GetNode(index);
        Box box;
        box.m_node = &node;
        box.m_role = RoleOf(node);
        box.m_error = node.GetState() > 0 ||
                      std::any_of(reports.begin(), reports.end(), [&](const std::string& report) {
                          return NamedByReport(node, report);
                      });
        box.m_label = LabelOf(node, box.m_role);
        std::string id = "n" + std::to_string(index);
        Agnode_t* vertex = agnode(gv.graph, id.data(), 1);
        Set(vertex, "shape", "box");
        Set(vertex, "style", "rounded,filled");
        Set(vertex, "fontname", "Helvetica");
        Set(vertex, "fontsize", "11");
        Set(vertex, "label", Escaped(box.m_label));
        Set(vertex, "fillcolor",
            box.m_role == Role::kInput    ? "#d8f0d8"
            : box.m_role == Role::kOutput ? "#d8e4f8"
                                          : "#f4f4f4");
        Set(vertex, "color", box.m_error ? "#d02020" : "#606060");
        Set(vertex, "penwidth", box.m_error ? "3" : "1");
        gv.nodes.push_back(vertex);
        m_boxes.push_back(std::move(box));
    }
    for (size_t index = 0; index < graph.GetNumNodes(); ++index) {
        const Node& node = *graph.GetNode(index);
        for (uint32_t c = 0; c < node.GetNumConnectedToOutplug(); ++c) {
            const Node* target = node.GetOutplugConnectionNode(c);
            const size_t to = graph.IndexOf(target);
            if (to == NodeGraph::kNone) {
                continue;
            }
            const std::string& outplug = node.GetOutplugName(node.GetOutplugConnectionOutplugId(c));
            const std::string& inplug =
                target->GetInplugName(node.GetOuplugConnectionNodeInplugId(c));
            Arrow arrow;
            arrow.m_from = index;
            arrow.m_to = to;
            arrow.m_label = outplug == inplug ? outplug : outplug + " > " + inplug;
            Agedge_t* edge = agedge(gv.graph, gv.nodes[index], gv.nodes[to], nullptr, 1);
            Set(edge, "label", Escaped(arrow.m_label));
            Set(edge, "fontname", "Helvetica");
            Set(edge, "fontsize", "9");
            Set(edge, "color", "#505050");
            gv.edges.push_back(edge);
            m_arrows.push_back(std::move(arrow));
        }
    }
    if (gvLayout(gv.context, gv.graph, "dot") != 0) {
        return Failed("the dot layout failed");
    }
    gv.laid_out = true;
    ReadLayout();
    return {};
}

void GraphPicture::ReadLayout() {
    const boxf bounds = GD_bb(m_graphviz->graph);
    m_width = bounds.UR.x - bounds.LL.x;
    m_height = bounds.UR.y - bounds.LL.y;
    // Graphviz counts y upwards from the bottom left.
    auto x_of = [&](double x) { return x - bounds.LL.x; };
    auto y_of = [&](double y) { return bounds.UR.y - y; };
    for (size_t index = 0; index < m_boxes.size(); ++index) {
        Agnode_t* vertex = m_graphviz->nodes[index];
        Box& box = m_boxes[index];
        box.m_x = x_of(ND_coord(vertex).x);
        box.m_y = y_of(ND_coord(vertex).y);
        box.m_width = ND_width(vertex) * kPointsPerInch;
        box.m_height = ND_height(vertex) * kPointsPerInch;
    }
    for (size_t index = 0; index < m_arrows.size(); ++index) {
        Agedge_t* edge = m_graphviz->edges[index];
        Arrow& arrow = m_arrows[index];
        const splines* spline = ED_spl(edge);
        if (spline && spline->size > 0) {
            const bezier& curve = spline->list[0];
            for (int p = 0; p < curve.size; ++p) {
                arrow.m_points.push_back(x_of(curve.list[p].x));
                arrow.m_points.push_back(y_of(curve.list[p].y));
            }
            // The curve stops short of the arrowhead, which ends at `ep`.
            if (curve.eflag) {
                arrow.m_points.push_back(x_of(curve.ep.x));
                arrow.m_points.push_back(y_of(curve.ep.y));
            }
        }
        if (const textlabel_t* label = ED_label(edge)) {
            arrow.m_label_x = x_of(label->pos.x);
            arrow.m_label_y = y_of(label->pos.y);
        }
    }
}

Status GraphPicture::Render(const std::string& format, std::string& data) const {
    if (!m_graphviz || !m_graphviz->laid_out) {
        return Failed("nothing is laid out");
    }
    std::string name = format;
    char* result = nullptr;
    unsigned int length = 0;
    if (gvRenderData(m_graphviz->context, m_graphviz->graph, name.data(), &result, &length) != 0 ||
        !result) {
        gvFreeRenderData(result);
        return Failed("Graphviz cannot render " + format);
    }
    data.assign(result, length);
    gvFreeRenderData(result);
    return {};
}

Status GraphPicture::Write(const std::string& path) const {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension != ".svg" && extension != ".png") {
        return Status(StatusCode::Error,
                      "Cannot write " + path + ": the file name must end in .svg or .png");
    }
    std::string data;
    Status status = Render(extension.substr(1), data);
    if (!status.IsOk()) {
        return status;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(data.data(), std::streamsize(data.size())) || !file.flush()) {
        file.close();
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        return Status(StatusCode::Error, "Cannot write " + path);
    }
    return {};
}
