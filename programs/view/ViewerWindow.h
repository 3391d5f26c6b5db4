#pragma once

#include <string>

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include "host/NodeListener.h"
#include "host/Status.h"
#include "programs/quillmar/ProjectNode.h"

class EvaluationControl;
class EvaluationProgress;
class InputHold;
class GraphView;
class NodeInterface;
class OutputsView;
class QScrollArea;
class QTabWidget;

// A project run as one Node Graph node: the node's panel on the left, its outputs on the right
// and, in a second tab, the picture of its project's graph.
// Outputs are evaluated again whenever the node reports an event (an attribute edited in the
// panel, a project read through the panel's actions). When the node's interface changes (another
// project, or the same file changed on disk and read again), the panel is rebuilt, as a host
// rebuilds the panel of a node that is activated again.
//
// A long evaluation keeps the window answering: the evaluation turns the event loop between its
// steps and shows its progress with a Cancel button above the outputs. Meanwhile input that could
// edit the node is held; the first such input cancels the evaluation, and once it has unwound the
// input is delivered and the outputs are evaluated again. Edits start an evaluation only once they
// pause for a moment, so dragging a slider does not ask for every value it passes.
//
// GUI thread only.
class ViewerWindow : public QMainWindow, public NodeListener {
    Q_OBJECT
public:
    explicit ViewerWindow(QWidget* parent = nullptr);
    ~ViewerWindow() override;

    // Loads the plug-ins, makes the Node Graph node and reads the project. Code 2: the project
    // cannot be shown; the message says why.
    Status Open(const std::string& path);

    // Delivers queued node events, then rebuilds what changed and evaluates every output now.
    // During an evaluation, cancels it and refreshes once it has unwound instead.
    void Refresh();
    bool IsEvaluating() const { return m_control != nullptr; }

    Node* GetNode() const { return m_project.Get(); }
    QWidget* GetPanel() const { return m_panel; }
    OutputsView* GetOutputs() const { return m_outputs; }
    EvaluationProgress* GetProgress() const { return m_progress; }
    QTabWidget* GetTabs() const { return m_tabs; }
    GraphView* GetGraph() const { return m_graph; }

    void OnNodeEvent(Node* node, const NodeEvent& event) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OnRefreshSignal();
    void OnFileChangedSignal();

private:
    // Cancels the running evaluation; with `again`, evaluates once it has unwound.
    void StopEvaluation(bool again);
    // Names and types of the node's attributes and plugs, and its project path: a change means a
    // new panel.
    std::string Interface() const;
    void RebuildPanel();
    void Evaluate();
    void WatchProjectFile();

    ProjectNode m_project;
    NodeInterface* m_interface = nullptr;
    QScrollArea* m_panel_area;
    QPointer<QWidget> m_panel;
    OutputsView* m_outputs;
    EvaluationProgress* m_progress;
    InputHold* m_hold;
    // The running evaluation's control, or null.
    EvaluationControl* m_control = nullptr;
    bool m_evaluate_again = false;
    QTabWidget* m_tabs;
    GraphView* m_graph;
    std::string m_interface_text;
    QFileSystemWatcher m_watcher;
    QTimer m_event_pump;
    QTimer m_refresh_timer;
    QTimer m_reread_timer;
};
