#include "interfaces/NodeGraphNodeInterface.h"

#include <vector>

#include <QFileDialog>
#include <QMessageBox>
#include <boost/filesystem/path.hpp>

#include "host/Manager.h"
#include "host/QNodeAttributesWidget.h"
#include "interfaces/NodeGraphNodeFactory.h"
#include "library/ProjectNodeTypes.h"
#include "nodes/graph/NodeGraphNode.h"

namespace {
const char* const kDirectoryKey = "Projects";
const char* const kReactivateText = "Reactivate the node to display the project attributes.";
}  // namespace

NodeGraphNodeInterface::NodeGraphNodeInterface()
    : ProjectNodeInterface(new NodeGraphNodeFactory, ProjectNodeTypes::kNodeGraphName,
                           ProjectNodeTypes::kNodeGraphType, "NodeGraph", "mask") {}

QWidget* NodeGraphNodeInterface::CreateAttributesWidget(Node* node, QWidget* parent,
                                                        intptr_t extra) {
    auto* graph_node = dynamic_cast<NodeGraphNode*>(node);
    if (!graph_node || extra != 0) {
        return nullptr;
    }
    std::vector<QNodeAttributesWidget::AdditionalInfo> info(graph_node->GetNumAttributes());
    info[NodeGraphNode::kPathAttribute].m_file_actions = 1;
    if (info.size() > 2) {
        info[2].m_group_title = "Project Attributes";
    }
    if (graph_node->IsProjectNodeType()) {
        info[NodeGraphNode::kPathAttribute].m_shown = 0;
        info[NodeGraphNode::kIterationsAttribute].m_shown = 0;
        if (info.size() > 2) {
            info[2].m_group_title = "Attributes";
        }
    }
    auto* panel = new QNodeAttributesWidget(parent, node, this, info.data(), false);
    m_panel = panel;
    panel->SetDelegateStringFileRead(
        [this](Node* target, unsigned attribute) { OnReadProjectFile(target, attribute); });
    panel->SetDelegateStringFileReread(
        [this](Node* target, unsigned attribute) { OnRereadProjectFile(target, attribute); });
    return panel;
}

void NodeGraphNodeInterface::OnReadProjectFile(Node* node, unsigned /*attribute*/) {
    auto* graph_node = dynamic_cast<NodeGraphNode*>(node);
    if (!graph_node) {
        return;
    }
    const std::string directory = Manager::Get()->GetDirectory(kDirectoryKey);
    QFileDialog dialog(m_panel, "Select Project File", QString::fromStdString(directory),
                       "Quillmar Project (*.qmr)");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!dialog.exec()) {
        return;
    }
    if (m_panel) {
        m_panel->SetEnabled(false);
    }
    const QStringList selected = dialog.selectedFiles();
    const QString file = selected.isEmpty() ? QString("") : selected.first();
    if (file.isNull()) {
        return;
    }
    const std::string path = file.toStdString();
    const Status status = graph_node->ReadProject(path);
    if (status.GetCode() != 0) {
        if (m_panel) {
            m_panel->SetEnabled(true);
        }
        QMessageBox box(m_panel);
        box.setWindowTitle("Node Graph");
        box.setIcon(QMessageBox::Warning);
        box.setTextFormat(Qt::RichText);
        // The reason quotes the file's own contents: shown as plain text.
        QString text =
            QString("Error reading project:\n\n") + QString::fromStdString(status.GetMessage());
        if (!status.GetReason().empty()) {
            text +=
                "<br>" +
                QString::fromStdString(status.GetReason()).toHtmlEscaped().replace('\n', "<br>");
        }
        box.setText(text);
        box.exec();
        return;
    }
    const boost::filesystem::path chosen(path);
    graph_node->SetName(chosen.stem().string());
    Manager::Get()->SetDirectory(kDirectoryKey, chosen.parent_path().string());
    QMessageBox::information(m_panel, "Node Graph", kReactivateText, QMessageBox::Ok);
}

void NodeGraphNodeInterface::OnRereadProjectFile(Node* node, unsigned /*attribute*/) {
    auto* graph_node = dynamic_cast<NodeGraphNode*>(node);
    if (!graph_node) {
        return;
    }
    graph_node->ReadProject(
        graph_node->GetAttributeByIndex(NodeGraphNode::kPathAttribute)->GetString());
    QMessageBox::information(m_panel, "Node Group", kReactivateText, QMessageBox::Ok);
}
