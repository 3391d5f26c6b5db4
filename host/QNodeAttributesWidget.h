#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "host/HostExport.h"
#include "host/NodeListener.h"
#include "host/RefPtr.h"

class Node;
class NodeInterface;
class QAttributeManager;
class QToolButton;

// The host's standard attribute panel: one row per attribute with the editors of its type (the same
// widget sets as QAttributeManager), built once at construction. The panel listens to the node and
// shows values changed elsewhere. Rows of attributes added or deleted later are not built: the host
// asks the node interface for a new panel instead. The name column fits the longest name (each
// name also in its label's tooltip), number fields grow to fit their numbers, and the fields of
// points and frames are labelled x, y, w and h.
//
// Object names, for programs and tests that look widgets up: each attribute's name label is
// "label_<name>"; a group title is "group_<index>" (index of the entry it stands above); the file
// actions of an attribute are the tool buttons "read_<name>" and "reread_<name>".
//
// GUI thread only. The node must outlive the panel.
class QM_HOST_API QNodeAttributesWidget : public QWidget, public NodeListener {
    Q_OBJECT
public:
    // Display options, one entry per attribute in attribute order. Entries beyond the attribute
    // count are ignored; attributes without an entry take the defaults.
    struct AdditionalInfo {
        uint8_t m_shown = 1;    // 0: no row for the attribute
        uint8_t m_enabled = 1;  // 0: the row is shown but cannot be edited
        uint8_t m_reserved_0 = 0;
        uint8_t m_reserved_1 = 0;
        // 1 on a STRING attribute: the row gets read and reread buttons that call the delegates.
        uint8_t m_file_actions = 0;
        uint8_t m_reserved_2 = 0;
        uint64_t m_reserved_3 = 0;
        double m_reserved_4 = 1.0;
        std::string m_tool_tip;     // on the name label
        std::string m_group_title;  // a title line above the row
        std::string m_suffix;       // a label after the editors (a unit, for example)
        uint8_t m_expose_as_input =
            1;  // 0: the editors ignore connections (DontExposeAttributeAsInput)
    };

    // Called with the node and the attribute index.
    using FileDelegate = std::function<void(Node* node, unsigned attribute)>;

    // `info` points at one entry per attribute of the node, or is null for the defaults; the panel
    // copies the entries. With `read_only` every editor is disabled.
    QNodeAttributesWidget(QWidget* parent, Node* node, NodeInterface* interface,
                          const AdditionalInfo* info, bool read_only);
    ~QNodeAttributesWidget() override;

    // The read action (a file chooser, for example) and the reread action of file attributes.
    // Unset delegates leave their buttons disabled.
    void SetDelegateStringFileRead(FileDelegate delegate);
    void SetDelegateStringFileReread(FileDelegate delegate);

    // Enables or disables every editor and action of the panel.
    void SetEnabled(bool enabled);

    Node* GetNode() const { return m_node; }
    const std::vector<AdditionalInfo>& GetAdditionalInfo() const { return m_info; }
    // The manager of an attribute's row; null for attributes without a row.
    QAttributeManager* GetManager(unsigned attribute) const;

    void OnNodeEvent(Node* node, const NodeEvent& event) override;

signals:
    // Raised from OnNodeEvent; queued to the panel's thread when raised elsewhere.
    void ProcessEventSignal();
    // After an editor of the panel changed an attribute.
    void AttributeEditedSignal(unsigned attribute);

private slots:
    void OnProcessEventSignal();

private:
    void BuildRow(unsigned attribute, bool read_only);

    Node* m_node;
    NodeInterface* m_interface;
    std::vector<AdditionalInfo> m_info;
    std::vector<QAttributeManager*> m_managers;  // one per attribute, null when not shown
    std::vector<QToolButton*> m_read_buttons;
    std::vector<QToolButton*> m_reread_buttons;
    FileDelegate m_read_delegate;
    FileDelegate m_reread_delegate;
    bool m_enabled = true;
    int m_label_width = 0;
};
