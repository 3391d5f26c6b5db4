#include "interfaces/NodeGraphNodeInterface.h"

#include <memory>
#include <string>
#include <vector>

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QToolButton>
#include <boost/filesystem/path.hpp>

#include "host/Attribute.h"
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
    ConnectPathField(*panel, *graph_node);
    return panel;
}

void NodeGraphNodeInterface::ConnectPathField(QNodeAttributesWidget& panel, NodeGraphNode& node) {
    Attribute* path = node.GetAttributeByIndex(NodeGraphNode::kPathAttribute);
    // The field shares its row with the read button.
    auto* read = panel.findChild<QToolButton*>(QString::fromStdString("read_" + path->GetName()));
    QLineEdit* field = read ? read->parentWidget()->findChild<QLineEdit*>() : nullptr;
    if (!field) {
        return;
    }
    // The panel's own handler has already written the typed text into the attribute when this
    // one runs (it was connected first); the path of the project the node holds is kept here.
    // The error box takes the focus, which may end the editing again: `busy` ignores that.
    struct Field {
        std::string loaded;
        bool busy = false;
    };
    auto state = std::make_shared<Field>(Field{path->GetString()});
    // A long path shows its end, the file name, with the whole path in the tooltip.
    auto show_file_name = [field](const QString& text) {
        field->setToolTip(text);
        const QString name =
            QString::fromStdString(boost::filesystem::path(text.toStdString()).filename().string());
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(name + QStringLiteral("  ")));
        if (!field->hasFocus()) {
            field->setCursorPosition(int(text.size()));
        }
    };
    show_file_name(field->text());
    QObject::connect(field, &QLineEdit::textChanged, &panel, show_file_name);
    QObject::connect(field, &QLineEdit::editingFinished, &panel, [this, &node, field, state] {
        const std::string typed = field->text().toStdString();
        if (state->busy || typed == state->loaded) {
            return;
        }
        state->busy = true;
        if (ReadChosenFile(node, typed)) {
            state->loaded = typed;
        } else {
            node.GetAttributeByIndex(NodeGraphNode::kPathAttribute)->SetString(state->loaded, true);
            field->setText(QString::fromStdString(state->loaded));
        }
        state->busy = false;
    });
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
    const QStringList selected = dialog.selectedFiles();
    const QString file = selected.isEmpty() ? QString("") : selected.first();
    if (file.isNull()) {
        return;
    }
    ReadChosenFile(*graph_node, file.toStdString());
}

bool NodeGraphNodeInterface::ReadChosenFile(NodeGraphNode& node, const std::string& path) {
    if (m_panel) {
        m_panel->SetEnabled(false);
    }
    const Status status = node.ReadProject(path);
    if (status.GetCode() != 0) {
        if (m_panel) {
            m_panel->SetEnabled(true);
        }
        QMessageBox box(m_panel);
        box.setWindowTitle("Node Graph");
        box.setIcon(QMessageBox::Warning);
        box.setTextFormat(Qt::RichText);
        // Rich text: the message may carry mark-up of its own, so only its line breaks are
        // translated; the reason quotes the file's own contents and is shown as plain text.
        QString text = "Error reading project:<br><br>" +
                       QString::fromStdString(status.GetMessage()).replace('\n', "<br>");
        if (!status.GetReason().empty()) {
            text +=
                "<br>" +
                QString::fromStdString(status.GetReason()).toHtmlEscaped().replace('\n', "<br>");
        }
        box.setText(text);
        box.exec();
        return false;
    }
    const boost::filesystem::path chosen(path);
    node.SetName(chosen.stem().string());
    Manager::Get()->SetDirectory(kDirectoryKey, chosen.parent_path().string());
    QMessageBox::information(m_panel, "Node Graph", kReactivateText, QMessageBox::Ok);
    return true;
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
