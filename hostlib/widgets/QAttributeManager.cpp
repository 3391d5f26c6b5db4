#include "host/QAttributeManager.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "host/Attribute.h"
#include "host/Node.h"
#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QEventFlusher.h"
#include "host/QMultiSlider.h"

namespace {
constexpr int kMaxDecimals = 10;
constexpr int kOpacityDecimals = 3;

// The attribute's value as up to four components: NUMBER (v), POINT (x, y), FRAME (x, y, width,
// height), RGBO (r, g, b, o).
struct Components {
    double v[4] = {0.0, 0.0, 0.0, 0.0};
};

Components Read(const Attribute& attribute) {
    Components c;
    switch (attribute.GetType()) {
        case Attribute::NUMBER:
            c.v[0] = attribute.GetNumber();
            break;
        case Attribute::POINT: {
            const Point p = attribute.GetPoint();
            c.v[0] = p.x;
            c.v[1] = p.y;
            break;
        }
        case Attribute::FRAME: {
            const Frame f = attribute.GetFrame();
            c = {{f.x, f.y, f.width, f.height}};
            break;
        }
        case Attribute::RGBO: {
            const Rgbo r = attribute.GetRgbo();
            c = {{r.r, r.g, r.b, r.o}};
            break;
        }
        default:
            break;
    }
    return c;
}

void Write(Attribute& attribute, const Components& c) {
    switch (attribute.GetType()) {
        case Attribute::NUMBER:
            attribute.SetNumber(c.v[0], true);
            break;
        case Attribute::POINT:
            attribute.SetPoint({c.v[0], c.v[1]}, true);
            break;
        case Attribute::FRAME:
            attribute.SetFrame({c.v[0], c.v[1], c.v[2], c.v[3]}, true);
            break;
        case Attribute::RGBO:
            attribute.SetRgbo({c.v[0], c.v[1], c.v[2], c.v[3]}, true);
            break;
        default:
            break;
    }
}

QColor ToColor(const Components& c) {
    return QColor::fromRgbF(float(std::clamp(c.v[0], 0.0, 1.0)),
                            float(std::clamp(c.v[1], 0.0, 1.0)),
                            float(std::clamp(c.v[2], 0.0, 1.0)));
}
}  // namespace

struct QAttributeManager::Widgets {
    // The attribute bound at construction; held so that a deleted attribute's address cannot be
    // taken for another one.
    RefPtr<Attribute> attribute;
    QLabel* label = nullptr;
    QCheckBox* check_box = nullptr;
    // NUMBER: 0; POINT: 0, 1; FRAME: x, y, width, height; RGBO: 0 is the opacity.
    QDragSpinner* spinners[4] = {nullptr, nullptr, nullptr, nullptr};
    // NUMBER, POINT, RGBO: 0; FRAME: 0 position, 1 size.
    QMultiSlider* sliders[2] = {nullptr, nullptr};
    QLabel* size_label = nullptr;
    QColorButton* color_button = nullptr;
    QComboBox* combo_box = nullptr;
    QLineEdit* line_edit = nullptr;
    // Set while the manager itself writes into the widgets: their signals are not edits.
    bool updating = false;
    // The editors were disabled because a connection drives the attribute.
    bool driven = false;

    // Component shown by a spinner.
    int SpinnerComponent(const Attribute& attribute, int spinner) const {
        return attribute.GetType() == Attribute::RGBO ? 3 : spinner;
    }
    // First component moved by a slider; POINT and FRAME sliders move that one and the next.
    int SliderComponent(const Attribute& attribute, int slider) const {
        switch (attribute.GetType()) {
            case Attribute::RGBO:
                return 3;
            case Attribute::FRAME:
                return 2 * slider;
            default:
                return 0;
        }
    }
    bool SliderMovesPair(const Attribute& attribute) const {
        return attribute.GetType() == Attribute::POINT || attribute.GetType() == Attribute::FRAME;
    }
    QDragSpinner* SpinnerOf(const Attribute& attribute, int component) const {
        for (int s = 0; s < 4; ++s) {
            if (spinners[s] && SpinnerComponent(attribute, s) == component) {
                return spinners[s];
            }
        }
        return nullptr;
    }

    std::vector<QWidget*> Editors() const {
        std::vector<QWidget*> editors = {check_box, color_button, combo_box, line_edit};
        editors.insert(editors.end(), std::begin(spinners), std::end(spinners));
        editors.insert(editors.end(), std::begin(sliders), std::end(sliders));
        std::erase(editors, nullptr);
        return editors;
    }
    std::vector<QObject*> All() const {
        std::vector<QObject*> all = {label, size_label};
        for (QWidget* editor : Editors()) {
            all.push_back(editor);
        }
        std::erase(all, nullptr);
        return all;
    }
};

QAttributeManager::QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                                     NodeInterface* interface, QLabel* label)
    : QObject(parent),
      m_node(node),
      m_attribute_index(attribute_index),
      m_interface(interface),
      m_widgets(std::make_unique<Widgets>()) {
    m_widgets->label = label;
    if (node) {
        m_widgets->attribute = node->GetAttributeByIndex(attribute_index);
    }
}

QAttributeManager::QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                                     NodeInterface* interface, QLabel* label, QCheckBox* check_box)
    : QAttributeManager(parent, node, attribute_index, interface, label) {
    m_widgets->check_box = check_box;
    ApplyParameters();
}

QAttributeManager::QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                                     NodeInterface* interface, QLabel* label, QDragSpinner* spinner,
                                     QMultiSlider* slider)
    : QAttributeManager(parent, node, attribute_index, interface, label) {
    m_widgets->spinners[0] = spinner;
    m_widgets->sliders[0] = slider;
    ApplyParameters();
}

QAttributeManager::QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                                     NodeInterface* interface, QLabel* label,
                                     QDragSpinner* x_spinner, QDragSpinner* y_spinner,
                                     QMultiSlider* slider)
    : QAttributeManager(parent, node, attribute_index, interface, label) {
    m_widgets->spinners[0] = x_spinner;
    m_widgets->spinners[1] = y_spinner;
    m_widgets->sliders[0] = slider;
    ApplyParameters();
}

QAttributeManager::QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                                     NodeInterface* interface, QLabel* label,
                                     QDragSpinner* x_spinner, QDragSpinner* y_spinner,
                                     QMultiSlider* position_slider, QLabel* size_label,
                                     QDragSpinner* width_spinner, QDragSpinner* height_spinner,
                                     QMultiSlider* size_slider)
    : QAttributeManager(parent, node, attribute_index, interface, label) {
    m_widgets->spinners[0] = x_spinner;
    m_widgets->spinners[1] = y_spinner;
    m_widgets->spinners[2] = width_spinner;
    m_widgets->spinners[3] = height_spinner;
    m_widgets->sliders[0] = position_slider;
    m_widgets->sliders[1] = size_slider;
    m_widgets->size_label = size_label;
    ApplyParameters();
}

QAttributeManager::QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                                     NodeInterface* interface, QLabel* label,
                                     QColorButton* color_button, QDragSpinner* opacity_spinner,
                                     QMultiSlider* opacity_slider)
    : QAttributeManager(parent, node, attribute_index, interface, label) {
    m_widgets->color_button = color_button;
    m_widgets->spinners[0] = opacity_spinner;
    m_widgets->sliders[0] = opacity_slider;
    ApplyParameters();
}

QAttributeManager::QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                                     NodeInterface* interface, QLabel* label, QComboBox* combo_box)
    : QAttributeManager(parent, node, attribute_index, interface, label) {
    m_widgets->combo_box = combo_box;
    ApplyParameters();
}

QAttributeManager::QAttributeManager(QWidget* parent, Node* node, uint32_t attribute_index,
                                     NodeInterface* interface, QLabel* label, QLineEdit* line_edit)
    : QAttributeManager(parent, node, attribute_index, interface, label) {
    m_widgets->line_edit = line_edit;
    ApplyParameters();
}

QAttributeManager::~QAttributeManager() = default;

void QAttributeManager::DontExposeAttributeAsInput() {
    m_exposed_as_input = false;
}

Attribute* QAttributeManager::GetAttribute() const {
    Attribute* attribute = m_widgets->attribute.Get();
    if (!attribute || !m_node || m_node->GetAttributeByIndex(m_attribute_index) != attribute) {
        return nullptr;
    }
    return attribute;
}

void QAttributeManager::connect() {
    if (m_connected) {
        return;
    }
    m_connected = true;
    Widgets& w = *m_widgets;
    if (w.check_box) {
        QObject::connect(w.check_box, &QCheckBox::toggled, this, [this](bool checked) {
            Attribute* attribute = GetAttribute();
            if (m_widgets->updating || !attribute) {
                return;
            }
            attribute->SetBoolean(checked, true);
            Edited();
        });
    }
    for (int s = 0; s < 4; ++s) {
        if (!w.spinners[s]) {
            continue;
        }
        QObject::connect(w.spinners[s], &QDoubleSpinBox::valueChanged, this,
                         [this, s](double value) {
                             Attribute* attribute = GetAttribute();
                             if (m_widgets->updating || !attribute) {
                                 return;
                             }
                             Components c = Read(*attribute);
                             c.v[m_widgets->SpinnerComponent(*attribute, s)] = value;
                             Write(*attribute, c);
                             Edited();
                         });
    }
    for (int s = 0; s < 2; ++s) {
        if (!w.sliders[s]) {
            continue;
        }
        QObject::connect(w.sliders[s], &QMultiSlider::ValueChangedSignal, this,
                         [this, s](int, double value) {
                             Attribute* attribute = GetAttribute();
                             if (m_widgets->updating || !attribute) {
                                 return;
                             }
                             Components c = Read(*attribute);
                             const int first = m_widgets->SliderComponent(*attribute, s);
                             const double delta = value - c.v[first];
                             const int count = m_widgets->SliderMovesPair(*attribute) ? 2 : 1;
                             for (int k = first; k < first + count; ++k) {
                                 double moved = k == first ? value : c.v[k] + delta;
                                 // The spinner rounds to the decimals and clamps to the range.
                                 if (QDragSpinner* spinner = m_widgets->SpinnerOf(*attribute, k)) {
                                     m_widgets->updating = true;
                                     spinner->setValue(moved);
                                     m_widgets->updating = false;
                                     moved = spinner->value();
                                 }
                                 c.v[k] = moved;
                             }
                             Write(*attribute, c);
                             Edited();
                         });
    }
    if (w.color_button) {
        QObject::connect(w.color_button, &QColorButton::ColorChangedSignal, this,
                         [this](const QColor& color) {
                             Attribute* attribute = GetAttribute();
                             if (m_widgets->updating || !attribute) {
                                 return;
                             }
                             Components c = Read(*attribute);
                             c.v[0] = color.redF();
                             c.v[1] = color.greenF();
                             c.v[2] = color.blueF();
                             Write(*attribute, c);
                             Edited();
                         });
    }
    if (w.combo_box) {
        QObject::connect(w.combo_box, &QComboBox::currentIndexChanged, this, [this](int index) {
            Attribute* attribute = GetAttribute();
            if (m_widgets->updating || !attribute || index < 0) {
                return;
            }
            if (attribute->SetChoiceIndex(index, true)) {
                Edited();
            }
        });
    }
    if (w.line_edit) {
        QObject::connect(w.line_edit, &QLineEdit::editingFinished, this, [this] {
            Attribute* attribute = GetAttribute();
            if (m_widgets->updating || !attribute) {
                return;
            }
            m_widgets->line_edit->setModified(false);
            const std::string text = m_widgets->line_edit->text().toStdString();
            if (text != attribute->GetString()) {
                attribute->SetString(text, true);
                Edited();
            }
        });
    }
}

void QAttributeManager::update() {
    Attribute* attribute = GetAttribute();
    if (!attribute) {
        return;
    }
    Widgets& w = *m_widgets;
    const bool was_updating = std::exchange(w.updating, true);
    const Components c = Read(*attribute);
    for (int s = 0; s < 4; ++s) {
        QDragSpinner* spinner = w.spinners[s];
        if (!spinner) {
            continue;
        }
        // Setting the value it already shows would reformat text the user is typing.
        const double value = c.v[w.SpinnerComponent(*attribute, s)];
        const double resolution = 0.5 * std::pow(10.0, -spinner->decimals());
        if (!(std::abs(spinner->value() - value) < resolution)) {
            spinner->setValue(value);
        }
    }
    for (int s = 0; s < 2; ++s) {
        if (w.sliders[s]) {
            w.sliders[s]->SetValue(0, c.v[w.SliderComponent(*attribute, s)]);
        }
    }
    if (w.color_button) {
        w.color_button->SetColor(ToColor(c));
    }
    if (w.check_box) {
        w.check_box->setChecked(attribute->GetBoolean());
    }
    if (w.combo_box) {
        w.combo_box->setCurrentIndex(attribute->GetInteger());
    }
    if (w.line_edit && !(w.line_edit->hasFocus() && w.line_edit->isModified())) {
        const QString text = QString::fromStdString(attribute->GetString());
        if (w.line_edit->text() != text) {
            w.line_edit->setText(text);
        }
    }
    w.updating = was_updating;

    // The enabled state is only touched when the connection state changes, so that a panel
    // disabling its editors for its own reasons is not overridden.
    const uint32_t inplug = m_node->GetInplugIdFromAttributeId(attribute->GetId());
    const bool driven = m_exposed_as_input && m_node->GetInplugNode(inplug) != nullptr;
    if (driven != w.driven) {
        w.driven = driven;
        for (QWidget* editor : w.Editors()) {
            editor->setEnabled(!driven);
        }
    }
}

bool QAttributeManager::blockSignals(bool block) {
    bool previous = false;
    bool first = true;
    for (QObject* object : m_widgets->All()) {
        const bool was = object->blockSignals(block);
        if (first) {
            previous = was;
            first = false;
        }
    }
    return previous;
}

void QAttributeManager::attributeParametersChanged() {
    ApplyParameters();
    update();
}

void QAttributeManager::ApplyParameters() {
    Attribute* attribute = GetAttribute();
    if (!attribute) {
        return;
    }
    Widgets& w = *m_widgets;
    const bool was_updating = std::exchange(w.updating, true);
    const Attribute::Type type = attribute->GetType();
    double minimum = 0.0;
    double maximum = 0.0;
    attribute->GetEditRange(minimum, maximum);
    int decimals = std::clamp(attribute->GetDecimals(), 0, kMaxDecimals);
    double step = attribute->GetSingleStep();
    double slider_minimum = minimum;
    double slider_maximum = maximum;
    if (type == Attribute::FRAME) {
        slider_minimum = 0.0;
        slider_maximum = kFrameSliderMaximum;
    } else if (type == Attribute::RGBO) {
        decimals = kOpacityDecimals;
        step = 0.01;
    }
    if (!(step > 0.0) || !std::isfinite(step)) {
        step = std::pow(10.0, -decimals);
    }
    for (QDragSpinner* spinner : w.spinners) {
        if (spinner) {
            // Decimals first: the spin box rounds its range to them.
            spinner->setDecimals(decimals);
            spinner->setRange(minimum, maximum);
            spinner->setSingleStep(step);
        }
    }
    for (QMultiSlider* slider : w.sliders) {
        if (slider) {
            slider->SetRange(slider_minimum, slider_maximum);
        }
    }
    if (w.combo_box) {
        w.combo_box->clear();
        for (const std::string& name : attribute->GetChoiceNames()) {
            w.combo_box->addItem(QString::fromStdString(name));
        }
    }
    w.updating = was_updating;
}

void QAttributeManager::Edited() {
    update();  // the other editors of the set follow at once
    QEventFlusher::Schedule();
    emit AttributeEditedSignal(m_attribute_index);
}
