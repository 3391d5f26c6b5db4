#include "programs/view/EditorWindow.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>

#include "host/Attribute.h"
#include "host/DynamicNode.h"
#include "host/Engine.h"
#include "host/Manager.h"
#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/PluginLoader.h"
#include "host/ProjectFile.h"
#include "host/Update.h"
#include "programs/view/AttributeStateCommand.h"
#include "programs/view/ProjectSaver.h"

namespace {
const NodeType kAttributesType{10, 1, 0};
constexpr int kEventPumpMilliseconds = 50;
constexpr int kBusyRetryMilliseconds = 100;
}  // namespace

EditorWindow::EditorWindow(QWidget* parent) : QMainWindow(parent), m_tabs(new QTabWidget) {
    setCentralWidget(m_tabs);
    QMenu* file = menuBar()->addMenu("&File");
    QAction* save = file->addAction("&Save");
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &EditorWindow::OnSaveSignal);
    QAction* quit = file->addAction("&Quit");
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu("&Edit");
    QAction* undo = m_undo.createUndoAction(this, "&Undo");
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = m_undo.createRedoAction(this, "&Redo");
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit->addAction(undo);
    edit->addAction(redo);
    resize(420, 760);

    connect(&m_event_pump, &QTimer::timeout, this, [this] {
        if (Update::Get()->GetNumPending() > 0) {
            Update::Get()->FlushEventsToProcess();
        }
        RecordChanges();
        UpdateTitle();
    });
    m_event_pump.start(kEventPumpMilliseconds);
    m_rebuild_timer.setSingleShot(true);
    connect(&m_rebuild_timer, &QTimer::timeout, this, &EditorWindow::OnRebuildSignal);
}

EditorWindow::~EditorWindow() {
    for (Node* node : m_attributes_nodes) {
        node->RemoveNodeListener(this);
    }
}

Status EditorWindow::Open(const std::string& path) {
    PluginLoader& loader = PluginLoader::Get();
    loader.LoadDefault();
    for (const std::string& error : loader.GetErrors()) {
        statusBar()->showMessage(QString::fromStdString(error));
    }
    m_path = std::filesystem::absolute(path).string();
    m_graph = new NodeGraph;
    const Status status = ProjectFile::Read(m_path, *m_graph);
    if (status.GetCode() == 2) {
        return status;
    }
    Engine::Get()->SetDocument(m_graph.Get());
    for (size_t index = 0; index < m_graph->GetNumNodes(); ++index) {
        Node* node = m_graph->GetNode(index);
        if (node->GetNodeType() == kAttributesType) {
            m_attributes_nodes.push_back(node);
        }
    }
    if (m_attributes_nodes.empty()) {
        return Status(StatusCode::Error,
                      "The project has no Attributes node: there is nothing to edit.");
    }
    for (size_t index = 0; index < m_attributes_nodes.size(); ++index) {
        Node* node = m_attributes_nodes[index];
        auto* area = new QScrollArea;
        area->setWidgetResizable(true);
        m_areas.push_back(area);
        m_tabs->addTab(
            area, QString::fromStdString(node->GetName().empty() ? "Attributes" : node->GetName()));
        BuildPanel(index);
        node->AddNodeListener(this);
        m_recorded.push_back(AttributeListState::Capture(*static_cast<DynamicNode*>(node)));
    }
    m_saved_snapshot = Snapshot();
    if (status.GetCode() == 1) {
        statusBar()->showMessage(QString::fromStdString(status.GetMessage()));
    }
    UpdateTitle();
    return status;
}

Status EditorWindow::Save() {
    Update::Get()->FlushEventsToProcess();
    const Status status = ProjectSaver::Save(*m_graph, m_path);
    if (status.GetCode() != 2) {
        m_saved_snapshot = Snapshot();
        RecordChanges();
        m_undo.clear();
    }
    UpdateTitle();
    return status;
}

bool EditorWindow::IsModified() const {
    return Snapshot() != m_saved_snapshot;
}

void EditorWindow::OnNodeEvent(Node* node, const NodeEvent& event) {
    // A panel is inert after a deletion; the host's part is to build a fresh one.
    if (event.m_type != kEventAttributeDeleted) {
        return;
    }
    const auto found = std::find(m_attributes_nodes.begin(), m_attributes_nodes.end(), node);
    if (found != m_attributes_nodes.end()) {
        m_pending_rebuilds.push_back(size_t(found - m_attributes_nodes.begin()));
        m_rebuild_timer.start(0);
    }
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (!IsModified()) {
        event->accept();
        return;
    }
    const auto answer = QMessageBox::question(
        this, "quillmar-view",
        QString::fromStdString("Save the changes to " +
                               std::filesystem::path(m_path).filename().string() + "?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Cancel) {
        event->ignore();
        return;
    }
    if (answer == QMessageBox::Save) {
        const Status status = Save();
        if (status.GetCode() == 2) {
            QMessageBox::warning(this, "quillmar-view",
                                 QString::fromStdString(status.GetMessage()));
            event->ignore();
            return;
        }
    }
    event->accept();
}

void EditorWindow::OnSaveSignal() {
    const Status status = Save();
    if (status.GetCode() == 2) {
        QMessageBox::warning(this, "quillmar-view", QString::fromStdString(status.GetMessage()));
        return;
    }
    statusBar()->showMessage(QString::fromStdString("Saved " + m_path), 5000);
}

void EditorWindow::OnRebuildSignal() {
    // The deleting panel is still on the stack while its menu or a dialog is open.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        m_rebuild_timer.start(kBusyRetryMilliseconds);
        return;
    }
    std::vector<size_t> pending;
    pending.swap(m_pending_rebuilds);
    std::sort(pending.begin(), pending.end());
    pending.erase(std::unique(pending.begin(), pending.end()), pending.end());
    for (size_t index : pending) {
        BuildPanel(index);
    }
}

void EditorWindow::RecordChanges() {
    for (size_t index = 0; index < m_attributes_nodes.size(); ++index) {
        AttributeListState now =
            AttributeListState::Capture(*static_cast<DynamicNode*>(m_attributes_nodes[index]));
        if (now == m_recorded[index]) {
            continue;
        }
        AttributeListState before = std::exchange(m_recorded[index], now);
        m_undo.push(new AttributeStateCommand(
            index, std::move(before), std::move(now),
            [this](size_t node, const AttributeListState& state) { ApplyState(node, state); }));
    }
}

void EditorWindow::ApplyState(size_t index, const AttributeListState& state) {
    auto* node = static_cast<DynamicNode*>(m_attributes_nodes[index]);
    Manager::Get()->SetDisplayNode(nullptr, Manager::kNoOutplug);
    if (!state.Restore(*node)) {
        statusBar()->showMessage("Some connections could not be made again.", 5000);
    }
    Update::Get()->FlushEventsToProcess();
    m_recorded[index] = AttributeListState::Capture(*node);
    // The definitions may have changed under the panel's editors.
    BuildPanel(index);
    UpdateTitle();
}

std::string EditorWindow::Snapshot() const {
    std::string text;
    for (const Node* node : m_attributes_nodes) {
        text += "#" + node->GetName();
        for (size_t index = 0; index < node->GetNumAttributes(); ++index) {
            const Attribute& a = *node->GetAttributeByIndex(index);
            text += "|" + a.GetName() + ":" + a.GetTypeName() + "=" + a.GetValueText();
            for (double value : {a.m_default[0], a.m_default[1], a.m_default[2], a.m_default[3],
                                 a.m_minimum, a.m_maximum, a.m_single_step, double(a.m_decimals)}) {
                text += "," + std::to_string(value);
            }
            for (const std::string& choice : a.GetChoiceNames()) {
                text += ";" + choice;
            }
        }
    }
    return text;
}

void EditorWindow::BuildPanel(size_t index) {
    Node* node = m_attributes_nodes[index];
    const NodeTypeRegistry::Entry* entry = NodeTypeRegistry::Get().Find(kAttributesType);
    QWidget* panel = entry && entry->m_interface
                         ? entry->m_interface->CreateAttributesWidget(node, nullptr, 0)
                         : nullptr;
    if (!panel) {
        panel = new QLabel("The Attributes node offers no panel.");
    }
    if (QWidget* old = m_areas[index]->takeWidget()) {
        old->deleteLater();
    }
    m_areas[index]->setWidget(panel);
}

void EditorWindow::UpdateTitle() {
    const std::string name = std::filesystem::path(m_path).filename().string();
    setWindowTitle(QString::fromStdString(name + (IsModified() ? "*" : "") + " - quillmar-view"));
}
