#include "programs/view/ViewerWindow.h"

#include <chrono>
#include <filesystem>

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "host/Attribute.h"
#include "host/EvaluateNodeOutplugs.h"
#include "host/EvaluationControl.h"
#include "host/Node.h"
#include "host/NodeTypeRegistry.h"
#include "host/Update.h"
#include "programs/view/EvaluationProgress.h"
#include "programs/view/GraphView.h"
#include "programs/view/InputHold.h"
#include "programs/view/OutputsView.h"

namespace {
// Host events are delivered from the GUI loop at this period (edits also flush at once).
constexpr int kEventPumpMilliseconds = 50;
// A file that is being written fires several changes; read it once they stop.
constexpr int kRereadDelayMilliseconds = 300;
// While a dialog is open the panel may be on the call stack: wait for it.
constexpr int kBusyRetryMilliseconds = 100;
// An edit is evaluated once edits pause this long: a dragged slider is not evaluated at every step.
constexpr int kEditPauseMilliseconds = 150;
// During an evaluation the event loop turns this often, so the window answers within ~100 ms.
constexpr std::chrono::milliseconds kEventTurnInterval(50);
// Shorter evaluations show no progress, so the outputs do not jump for them.
constexpr std::chrono::milliseconds kProgressDelay(250);
}  // namespace

ViewerWindow::ViewerWindow(QWidget* parent)
    : QMainWindow(parent),
      m_panel_area(new QScrollArea),
      m_outputs(new OutputsView),
      m_progress(new EvaluationProgress),
      m_hold(new InputHold(this)),
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
    // The progress stays in view whichever tab is shown.
    auto* outputs_side = new QWidget;
    auto* outputs_layout = new QVBoxLayout(outputs_side);
    outputs_layout->setContentsMargins(0, 0, 0, 0);
    outputs_layout->addWidget(m_progress);
    outputs_layout->addWidget(m_tabs, 1);
    splitter->addWidget(m_panel_area);
    splitter->addWidget(outputs_side);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);
    resize(1000, 700);

    m_hold->LetThrough(outputs_side);
    connect(m_hold, &InputHold::InputHeld, this, [this] { StopEvaluation(true); });
    connect(m_progress, &EvaluationProgress::CancelRequested, this,
            [this] { StopEvaluation(false); });
    // Events reach the node only between evaluations.
    connect(&m_event_pump, &QTimer::timeout, this, [this] {
        if (!m_control && Update::Get()->GetNumPending() > 0) {
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
    if (m_control) {
        StopEvaluation(true);
        return;
    }
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
    m_refresh_timer.start(kEditPauseMilliseconds);
}

void ViewerWindow::closeEvent(QCloseEvent* event) {
    StopEvaluation(false);
    QMainWindow::closeEvent(event);
}

void ViewerWindow::StopEvaluation(bool again) {
    if (m_control) {
        m_control->RequestStop();
        m_evaluate_again = m_evaluate_again || again;
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
    if (QApplication::activeModalWidget() || m_control) {
        StopEvaluation(false);
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
    EvaluationControl control;
    const auto started = std::chrono::steady_clock::now();
    control.SetTick(kEventTurnInterval, [this, started](EvaluationControl& current) {
        if (std::chrono::steady_clock::now() - started >= kProgressDelay) {
            m_progress->Show(current);
        }
        QCoreApplication::processEvents();
    });
    m_control = &control;
    m_evaluate_again = false;
    m_hold->Begin();
    for (uint32_t outplug = 0; outplug < node->GetNumOutplugs() && !control.IsStopRequested();
         ++outplug) {
        EvaluateNodeOutplugs({{node, outplug, false}}).EvaluateAll();
    }
    m_control = nullptr;
    const bool cancelled = control.IsStopRequested();
    m_progress->Finish(cancelled && !m_evaluate_again);
    if (!cancelled) {
        m_outputs->Show(node);
    }
    // The held input arrives before the evaluation that follows it.
    m_hold->End();
    if (m_evaluate_again) {
        m_refresh_timer.start(kEditPauseMilliseconds);
    }
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
