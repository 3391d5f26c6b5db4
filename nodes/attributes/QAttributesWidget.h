#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include <QWidget>

#include "host/NodeListener.h"

class AttributesNode;
class NodeInterface;
class QAddEditAttributeDialog;
class QAttributeManager;
class QAWMouseEventSignaler;
class QCheckBox;
class QColorButton;
class QComboBox;
class QDragSpinner;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QMultiSlider;
class QPushButton;
class QSpacerItem;
class QVBoxLayout;

// The Attributes node's panel: one row of editors per attribute, an "Add Attribute" button, and a
// context menu on each attribute's name to edit, duplicate, rename, reset or delete it. Adding,
// editing, duplicating and renaming go through QAddEditAttributeDialog. The panel listens to the
// node and appends the row of each attribute the node reports as added. After a deletion or a
// rename the panel disables itself; the host builds a new one for the node.
//
// The constructor makes the panel a tool window; a host that embeds it reparents it with
// QWidget::setParent (or a scroll area or layout of another widget does), which drops that flag.
// GUI thread only for everything but OnNodeEvent. The node must outlive the panel.
class QAttributesWidget : public QWidget, public NodeListener {
    Q_OBJECT
public:
    static constexpr uint32_t kNoPendingAttribute = 0xFFFFFFFFu;
    static constexpr uint32_t kMaxAttributes = 25;

    // The widgets of one attribute row; those the type does not use stay null.
    struct AttributeRow {
        QLabel* m_name_label = nullptr;
        QHBoxLayout* m_row_layout = nullptr;
        QCheckBox* m_check_box = nullptr;
        QLineEdit* m_line_edit = nullptr;
        QColorButton* m_color_button = nullptr;
        QSpacerItem* m_spacer = nullptr;
        QDragSpinner* m_first_spinner = nullptr;
        QDragSpinner* m_second_spinner = nullptr;
        QMultiSlider* m_slider = nullptr;
        QComboBox* m_combo_box = nullptr;
        QLabel* m_second_name_label = nullptr;       // FRAME only
        QHBoxLayout* m_second_row_layout = nullptr;  // FRAME only
        QDragSpinner* m_third_spinner = nullptr;     // FRAME only
        QDragSpinner* m_fourth_spinner = nullptr;    // FRAME only
        QMultiSlider* m_second_slider = nullptr;
        QAWMouseEventSignaler* m_signaler = nullptr;  // watches m_name_label
    };

    QAttributesWidget(QWidget* parent, AttributesNode* node, NodeInterface* interface);
    ~QAttributesWidget() override;

    // May be called from another thread: the rows are built through ProcessEventSignal.
    void OnNodeEvent(Node* node, const NodeEvent& event) override;

    const std::vector<AttributeRow>& GetRows() const { return m_rows; }
    const std::vector<QAttributeManager*>& GetManagers() const { return m_managers; }

signals:
    void ProcessEventSignal();

public slots:
    void OnProcessEventSignal();
    void OnAddAttributeEvent();

private slots:
    void OnEditAttributeEvent();
    void OnDuplicateAttributeEvent();
    void OnRenameAttributeEvent();
    void OnResetAttributeEvent();
    // Asks first: the attribute's connections go with it.
    void OnDeleteAttributeEvent();

private:
    // The panel's fixed widgets, built by the constructor.
    struct Form {
        QVBoxLayout* m_vertical_layout = nullptr;
        QVBoxLayout* m_main_qvlayout = nullptr;
        QHBoxLayout* m_title_layout = nullptr;
        QLabel* m_title_0 = nullptr;
        QHBoxLayout* m_attributes_box = nullptr;
        QLabel* m_height_qlabel = nullptr;
        QFormLayout* m_attributes_qlayout = nullptr;
        QLabel* m_label_qlabel = nullptr;
        QLabel* m_widgets_qlabel = nullptr;
        QHBoxLayout* m_button_layout = nullptr;
        QPushButton* m_add_attribute_qbutton = nullptr;
    };

    void BuildForm();
    void AddAttributeRow(uint32_t index);
    void RefreshRows();
    void ShowContextMenu(QMouseEvent* event, QLabel* label);
    // Index of the row whose name label (either label of a FRAME row) is `label`, or -1.
    int FindRow(const QLabel* label) const;
    // Creates an attribute of `type` on the node from the dialog's fields, as Add and Duplicate do.
    void CreateAttribute(uint32_t type, const QAddEditAttributeDialog& dialog);
    // Disables every row and the add button for good: the rows no longer match the attributes.
    void GoInert();
    // Lets the host deliver the events the node just queued.
    void ScheduleEvents();

    QLabel* NewNameLabel(const QString& text);
    // Sizes every name label to the longest name (at least 80 pixels).
    void FitNameColumn();
    // `component` labels the field of a point or frame ("x", "w"...).
    QDragSpinner* NewSpinner(const QString& component = {});
    QMultiSlider* NewSlider();
    // Two spinners and a slider, appended to `layout`; `components` holds their two letters.
    void AddTwoSpinnersAndSlider(QHBoxLayout* layout, QDragSpinner*& first, QDragSpinner*& second,
                                 QMultiSlider*& slider, const char* components);

    AttributesNode* m_node;
    NodeInterface* m_interface;
    std::unique_ptr<Form> m_ui;
    std::vector<AttributeRow> m_rows;
    std::vector<QAttributeManager*> m_managers;
    // Written by OnNodeEvent, which may run on another thread.
    std::atomic<uint32_t> m_pending_attribute_index{kNoPendingAttribute};
    QLabel* m_context_label = nullptr;
    uint32_t m_max_attributes = kMaxAttributes;
    // Set by a deletion: the rows no longer match the attributes, so nothing is built or enabled.
    bool m_inert = false;
};
