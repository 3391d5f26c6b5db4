#pragma once

#include <string>
#include <vector>

#include <QMainWindow>
#include <QTimer>
#include <QUndoStack>

#include "host/AttributeListState.h"
#include "host/NodeGraph.h"
#include "host/NodeListener.h"
#include "host/RefPtr.h"
#include "host/Status.h"

class QScrollArea;
class QTabWidget;

// Edits the Attributes nodes of a project: one tab per Attributes node with the node's own editor
// panel, where the author adds, edits, duplicates, renames and deletes attributes and sets their
// values. Every change can be undone and redone until Save, which writes the project back
// (definitions and values). Closing with unsaved changes asks first.
//
// The project becomes the open document while the window edits it, so that the attribute dialog
// sees the project's node names. GUI thread only.
class EditorWindow : public QMainWindow, public NodeListener {
    Q_OBJECT
public:
    explicit EditorWindow(QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Code 2: the project cannot be edited; the message says why.
    Status Open(const std::string& path);
    Status Save();
    // Whether any attribute definition or value differs from the file as last read or saved.
    bool IsModified() const;

    QTabWidget* GetTabs() const { return m_tabs; }
    QUndoStack& GetUndoStack() { return m_undo; }
    // Turns the changes made to the nodes since the last call into undo steps; the event pump
    // calls it.
    void RecordChanges();
    const std::vector<Node*>& GetAttributesNodes() const { return m_attributes_nodes; }

    void OnNodeEvent(Node* node, const NodeEvent& event) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OnSaveSignal();
    void OnRebuildSignal();

private:
    // Every attribute definition and value of the Attributes nodes, as text.
    std::string Snapshot() const;
    void BuildPanel(size_t index);
    void UpdateTitle();
    // Puts node `index` into `state` (undo and redo) and rebuilds its panel.
    void ApplyState(size_t index, const AttributeListState& state);

    std::string m_path;
    RefPtr<NodeGraph> m_graph;
    std::vector<Node*> m_attributes_nodes;
    std::vector<QScrollArea*> m_areas;
    std::vector<size_t> m_pending_rebuilds;
    std::string m_saved_snapshot;
    // Each node's state as last recorded in the undo stack.
    std::vector<AttributeListState> m_recorded;
    QUndoStack m_undo;
    QTabWidget* m_tabs;
    QTimer m_event_pump;
    QTimer m_rebuild_timer;
};
