#include "programs/view/ViewerWindow.h"

#include <filesystem>

#include <QApplication>
#include <QFileInfo>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>

#include "host/Attribute.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/Update.h"
#include "programs/view/GraphView.h"
#include "programs/view/OutputsView.h"

namespace {
// Host events are delivered from the GUI loop at this period (edits also flush at once).
constexpr int kEventPumpMilliseconds = 50;
// A file that is being written fires several changes; read it once they stop.
constexpr int kRereadDelayMilliseconds = 300;
// While a dialog is open the panel may be on the call stack: wait for it.
constexpr int kBusyRetryMilliseconds = 100;
}  // namespace

ViewerWindow::ViewerWindow(QWidget* parent)
    : QMainWindow(parent),
      m_panel_area(new QScrollArea),
      m_outputs(new OutputsView),
      m_tabs(new QTabWidget),
      m_graph(new GraphView) {
    auto* splitter = new QSplitter(this);
    m_panel_area->setWidgetResizable(true);
    m_panel_area->setMinimumWidth(380);
    auto* outputs_area = new QScrollArea;
    outputs_area->setWidgetResizable(true);
    outputs_area->setWidget(m_outputs);
    m_tabs->addTab(outputs_area, "Outputs");
    m_tabs->addTab(m_graph, "Graph");
    splitter->addWidget(m_panel_area);
    splitter->addWidget(m_tabs);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    resize(1000, 700);

    connect(&m_event_pump, &QTimer::timeout, this, [] {
        if (Update::Get()->GetNumPending() > 0) {
            Update::Get()->FlushEventsToProcess();
        }
    });
    m_event_pump.start(kEventPumpMilliseconds);
    m_refresh_timer.setSingleShot(true);
    connect(&m_refresh_timer, &QTimer::timeout, this, &ViewerWindow::OnRefreshSignal);
    m_reread_timer.setSingleShot(true);
    m_reread_timer.setInterval(kRereadDelayMilliseconds);
    connect(&m_reread_timer, &QTimer::timeout, this, &ViewerWindow::OnFileChangedSignal);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_reread_timer,
            qOverload<>(&QTimer::start));
}

ViewerWindow::~ViewerWindow() {
    if (Node* node = m_project.Get()) {
        node->RemoveNodeListener(this);
    }
}

Status ViewerWindow::Open(const std::string& path) {
    const Status status = m_project.Load(path, "quillmar-view: ");
    Node* node = m_project.Get();
    if (status.GetCode() == 2 || !node) {
        return status;
    }
    const NodeTypeRegistry::Entry* entry = NodeTypeRegistry::Get().Find(node->GetNodeType());
    m_interface = entry ? entry->m_interface.Get() : nullptr;
    node->AddNodeListener(this);
    m_graph->SetProjectNode(node);
    if (status.GetCode() == 1) {
        statusBar()->showMessage(QString::fromStdString(status.GetMessage()));
    }
    Refresh();
    return status;
}

void ViewerWindow::Refresh() {
    Update::Get()->FlushEventsToProcess();
    m_refresh_timer.stop();
    const std::string text = Interface();
    if (text != m_interface_text || !m_panel) {
        m_interface_text = text;
        RebuildPanel();
        WatchProjectFile();
    }
    Evaluate();
}

void ViewerWindow::OnNodeEvent(Node*, const NodeEvent&) {
    if (!m_refresh_timer.isActive()) {
        m_refresh_timer.start(0);
    }
}

void ViewerWindow::OnRefreshSignal() {
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        m_refresh_timer.start(kBusyRetryMilliseconds);
        return;
    }
    Refresh();
}

void ViewerWindow::OnFileChangedSignal() {
    Node* node = m_project.Get();
    if (!node) {
        return;
    }
    if (QApplication::activeModalWidget()) {
        m_reread_timer.start(kBusyRetryMilliseconds);
        return;
    }
    const std::string path = node->GetAttributeByIndex(0)->GetString();
    // Editors often replace the file rather than write it in place; the watcher then forgets it.
    WatchProjectFile();
    if (!std::filesystem::exists(path)) {
        statusBar()->showMessage(QString::fromStdString(path + " was removed."));
        return;
    }
    // The same read as the panel's reread action: values that still fit are kept.
    const Status status = node->ReadFileReference(0, path);
    statusBar()->showMessage(
        status.GetCode() == 2
            ? QString::fromStdString("Error reading project: " + status.GetFullMessage())
            : QString::fromStdString("Read " + path + " again."));
    Refresh();
}

std::string ViewerWindow::Interface() const {
    const Node* node = m_project.Get();
    if (!node) {
        return {};
    }
    std::string text = node->GetName();
    for (size_t index = 0; index < node->GetNumAttributes(); ++index) {
        const Attribute* attribute = node->GetAttributeByIndex(index);
        text += "|a:" + attribute->GetName() + ":" + attribute->GetTypeName();
        if (attribute->GetType() == Attribute::CHOICE) {
            for (const std::string& choice : attribute->GetChoiceNames()) {
                text += "," + choice;
            }
        }
    }
    for (uint32_t inplug = 0; inplug < node->GetNumInplugs(); ++inplug) {
        text += "|i:" + node->GetInplugName(inplug);
    }
    for (uint32_t outplug = 0; outplug < node->GetNumOutplugs(); ++outplug) {
        text += "|o:" + node->GetOutplugName(outplug) + ":" +
                std::to_string(int(node->GetOutplugValueType(outplug)));
    }
    return text + "|path:" + node->GetAttributeByIndex(0)->GetString();
}

void ViewerWindow::RebuildPanel() {
    Node* node = m_project.Get();
    QWidget* panel = m_interface ? m_interface->CreateAttributesWidget(node, nullptr, 0) : nullptr;
    // The old panel may still have an event of its own on the stack.
    if (QWidget* old = m_panel_area->takeWidget()) {
        old->deleteLater();
    }
    m_panel = panel;
    if (panel) {
        m_panel_area->setWidget(panel);
    }
    const std::string path = node->GetAttributeByIndex(0)->GetString();
    setWindowTitle(QString::fromStdString(node->GetName() + " - quillmar-view"));
    setWindowFilePath(QString::fromStdString(path));
}

void ViewerWindow::Evaluate() {
    Node* node = m_project.Get();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (uint32_t outplug = 0; outplug < node->GetNumOutplugs(); ++outplug) {
        EvaluateNodeOutplugs({{node, outplug, false}}).EvaluateAll();
    }
    QApplication::restoreOverrideCursor();
    m_outputs->Show(node);
}

void ViewerWindow::WatchProjectFile() {
    if (!m_watcher.files().isEmpty()) {
        m_watcher.removePaths(m_watcher.files());
    }
    const QString path =
        QString::fromStdString(m_project.Get()->GetAttributeByIndex(0)->GetString());
    if (QFileInfo::exists(path)) {
        m_watcher.addPath(path);
    }
}
