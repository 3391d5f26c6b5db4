#pragma once

#include <cstdint>
#include <memory>

#include <QObject>

#include "host/HostExport.h"
#include "host/RefPtr.h"

class Attribute;
class Node;
class NodeInterface;
class QCheckBox;
class QColorButton;
class QComboBox;
class QDragSpinner;
class QLabel;
class QLineEdit;
class QMultiSlider;
class QWidget;

// Binds the editor widgets of one attribute to that attribute, both ways. One constructor per
// widget set; widgets a set does not use stay null. The widgets are not owned (they are Qt children
// of the panel); the manager is a Qt child of `parent`.
//
// Usage: construct, optionally DontExposeAttributeAsInput, then connect() and update(). After the
// attribute's definition changes (range, step, decimals, choices) call attributeParametersChanged.
//
// Edits write the attribute with notification, so the node posts kEventAttributeChanged; the
// manager then schedules a flush of the host's event queue on the GUI event loop, so listeners
// (panels, viewers) hear of the edit without the program pumping events itself.
//
// Widget behaviour per type:
// - BOOLEAN: the check box.
// - NUMBER: spinner and slider show the value over the attribute's range, step and decimals.
// - POINT: one spinner per component; the slider moves both components together.
// - FRAME: x and y spinners with a slider moving both, then width and height spinners with a slider
//   moving both. Frames declare no range; the sliders span 0 to kFrameSliderMaximum.
// - RGBO: the colour button holds red, green and blue; spinner and slider hold the opacity (0 to
// 1).
// - CHOICE: the combo box lists the choice names.
// - STRING: the line edit; the value is written when editing finishes.
//
// While an attribute is exposed as an input (the default) and its inplug is connected, the editors
// are disabled: the value comes from the connection. GUI thread only.
class QM_HOST_API QAttributeManager : public QObject {
    Q_OBJECT
public:
    static constexpr double kFrameSliderMaximum = 4096.0;

    QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                      NodeInterface* interface, QLabel* label, QCheckBox* check_box);
    QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                      NodeInterface* interface, QLabel* label, QDragSpinner* spinner,
                      QMultiSlider* slider);
    QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                      NodeInterface* interface, QLabel* label, QDragSpinner* x_spinner,
                      QDragSpinner* y_spinner, QMultiSlider* slider);
    QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                      NodeInterface* interface, QLabel* label, QDragSpinner* x_spinner,
                      QDragSpinner* y_spinner, QMultiSlider* position_slider, QLabel* size_label,
                      QDragSpinner* width_spinner, QDragSpinner* height_spinner,
                      QMultiSlider* size_slider);
    QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                      NodeInterface* interface, QLabel* label, QColorButton* color_button,
                      QDragSpinner* opacity_spinner, QMultiSlider* opacity_slider);
    QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                      NodeInterface* interface, QLabel* label, QComboBox* combo_box);
    QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                      NodeInterface* interface, QLabel* label, QLineEdit* line_edit);
    ~QAttributeManager() override;

    // The editors stay enabled whatever feeds the attribute's inplug.
    void DontExposeAttributeAsInput();
    bool IsExposedAsInput() const { return m_exposed_as_input; }

    // Wires the widgets' signals to the attribute. Calling it twice has no further effect.
    void connect();
    // Shows the attribute's value (and, for exposed attributes, whether a connection drives it).
    void update();
    // Blocks or unblocks the signals of every widget of the set (not the manager's own). Returns
    // the previous state of the first widget.
    bool blockSignals(bool block);
    // Re-reads range, step, decimals and choice names, then shows the value.
    void attributeParametersChanged();

    // Null when the index is no longer valid (the attribute was deleted).
    Attribute* GetAttribute() const;
    uint32_t GetAttributeIndex() const { return m_attribute_index; }

signals:
    // After the manager wrote an edit into the attribute.
    void AttributeEditedSignal(uint32_t attribute_index);

private:
    struct Widgets;
    QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                      NodeInterface* interface, QLabel* label);
    void ApplyParameters();
    void Edited();

    RefPtr<Node> m_node;
    uint32_t m_attribute_index;
    NodeInterface* m_interface;
    bool m_exposed_as_input = true;
    bool m_connected = false;
    std::unique_ptr<Widgets> m_widgets;
};
