#include "host/QNodeAttributesWidget.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "host/Attribute.h"
#include "host/Node.h"
#include "host/QAttributeManager.h"
#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QMultiSlider.h"

namespace {
constexpr int kRowHeight = 22;
constexpr int kLabelWidth = 80;
constexpr int kFieldWidth = 60;
constexpr int kLabelPadding = 8;
constexpr int kSliderStretch = 200;

QLabel* MakeNameLabel(QWidget* parent, const QString& text, int width) {
    auto* label = new QLabel(text, parent);
    label->setFixedSize(width, kRowHeight);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// `component` names the part of a point or frame the field edits ("x", "w"...).
QDragSpinner* MakeSpinner(QWidget* parent, QHBoxLayout* layout, const QString& component = {}) {
    auto* spinner = new QDragSpinner(parent);
    // At least the usual width, wider when the number needs it.
    spinner->setMinimumWidth(kFieldWidth);
    spinner->setFixedHeight(kRowHeight);
    spinner->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    if (!component.isEmpty()) {
        spinner->setPrefix(component + QStringLiteral(" "));
    }
    layout->addWidget(spinner);
    return spinner;
}

QMultiSlider* MakeSlider(QWidget* parent, QHBoxLayout* layout) {
    auto* slider = new QMultiSlider(parent, 1);
    slider->setFixedHeight(kRowHeight);
    slider->setMinimumWidth(0);
    layout->addWidget(slider, kSliderStretch);
    return slider;
}

QHBoxLayout* MakeLine(QVBoxLayout* rows) {
    auto* line = new QHBoxLayout;
    line->setSpacing(2);
    line->setContentsMargins(0, 0, 0, 0);
    rows->addLayout(line);
    return line;
}
}  // namespace

QNodeAttributesWidget::QNodeAttributesWidget(QWidget* parent, Node* node, NodeInterface* interface,
                                             const AdditionalInfo* info, bool read_only)
    : QWidget(parent), m_node(node), m_interface(interface) {
    const size_t count = node ? node->GetNumAttributes() : 0;
    m_info.resize(count);
    if (info) {
        std::copy(info, info + count, m_info.begin());
    }
    m_managers.assign(count, nullptr);
    m_read_buttons.assign(count, nullptr);
    m_reread_buttons.assign(count, nullptr);

    // The label column fits the longest name shown.
    m_label_width = kLabelWidth;
    for (unsigned attribute = 0; attribute < count; ++attribute) {
        if (m_info[attribute].m_shown) {
            const QString name =
                QString::fromStdString(node->GetAttributeByIndex(attribute)->GetName());
            m_label_width =
                std::max(m_label_width, fontMetrics().horizontalAdvance(name) + kLabelPadding);
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    for (unsigned attribute = 0; attribute < count; ++attribute) {
        BuildRow(attribute, read_only);
    }
    layout->addStretch(1);

    connect(this, &QNodeAttributesWidget::ProcessEventSignal, this,
            &QNodeAttributesWidget::OnProcessEventSignal);
    if (m_node) {
        m_node->AddNodeListener(this);
    }
}

QNodeAttributesWidget::~QNodeAttributesWidget() {
    if (m_node) {
        m_node->RemoveNodeListener(this);
    }
}

void QNodeAttributesWidget::BuildRow(unsigned attribute_index, bool read_only) {
    const AdditionalInfo& info = m_info[attribute_index];
    Attribute* attribute = m_node->GetAttributeByIndex(attribute_index);
    if (!attribute || !info.m_shown) {
        return;
    }
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    if (!info.m_group_title.empty()) {
        auto* title = new QLabel(QString::fromStdString(info.m_group_title), this);
        title->setObjectName(QStringLiteral("group_%1").arg(attribute_index));
        QFont font = title->font();
        font.setBold(true);
        title->setFont(font);
        layout->addWidget(title);
    }

    // The row's widgets share a container, so that disabling a row (or the panel) does not undo
    // the connection-driven disabling of single editors, and the other way round.
    auto* row = new QWidget(this);
    layout->addWidget(row);
    auto* lines = new QVBoxLayout(row);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(2);
    QHBoxLayout* line = MakeLine(lines);

    const QString name = QString::fromStdString(attribute->GetName());
    QLabel* label = MakeNameLabel(row, name, m_label_width);
    label->setObjectName(QStringLiteral("label_") + name);
    label->setToolTip(info.m_tool_tip.empty() ? name : QString::fromStdString(info.m_tool_tip));
    line->addWidget(label);

    QAttributeManager* manager = nullptr;
    switch (attribute->GetType()) {
        case Attribute::BOOLEAN: {
            auto* check_box = new QCheckBox(row);
            line->addWidget(check_box);
            line->addStretch(1);
            manager =
                new QAttributeManager(this, m_node, attribute_index, m_interface, label, check_box);
            break;
        }
        case Attribute::NUMBER: {
            QDragSpinner* spinner = MakeSpinner(row, line);
            manager = new QAttributeManager(this, m_node, attribute_index, m_interface, label,
                                            spinner, MakeSlider(row, line));
            break;
        }
        case Attribute::POINT: {
            QDragSpinner* x = MakeSpinner(row, line, QStringLiteral("x"));
            QDragSpinner* y = MakeSpinner(row, line, QStringLiteral("y"));
            manager = new QAttributeManager(this, m_node, attribute_index, m_interface, label, x, y,
                                            MakeSlider(row, line));
            break;
        }
        case Attribute::FRAME: {
            QDragSpinner* x = MakeSpinner(row, line, QStringLiteral("x"));
            QDragSpinner* y = MakeSpinner(row, line, QStringLiteral("y"));
            QMultiSlider* position = MakeSlider(row, line);
            QHBoxLayout* size_line = MakeLine(lines);
            QLabel* size_label = MakeNameLabel(row, QString(), m_label_width);
            size_line->addWidget(size_label);
            QDragSpinner* width = MakeSpinner(row, size_line, QStringLiteral("w"));
            QDragSpinner* height = MakeSpinner(row, size_line, QStringLiteral("h"));
            manager = new QAttributeManager(this, m_node, attribute_index, m_interface, label, x, y,
                                            position, size_label, width, height,
                                            MakeSlider(row, size_line));
            break;
        }
        case Attribute::RGBO: {
            auto* color_button = new QColorButton(row);
            color_button->setFixedSize(kFieldWidth, kRowHeight);
            line->addWidget(color_button);
            QDragSpinner* opacity = MakeSpinner(row, line);
            manager = new QAttributeManager(this, m_node, attribute_index, m_interface, label,
                                            color_button, opacity, MakeSlider(row, line));
            break;
        }
        case Attribute::CHOICE: {
            auto* combo_box = new QComboBox(row);
            combo_box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            combo_box->setFixedHeight(kRowHeight);
            line->addWidget(combo_box);
            manager =
                new QAttributeManager(this, m_node, attribute_index, m_interface, label, combo_box);
            break;
        }
        case Attribute::STRING: {
            auto* line_edit = new QLineEdit(row);
            line_edit->setFixedHeight(kRowHeight);
            line->addWidget(line_edit);
            manager =
                new QAttributeManager(this, m_node, attribute_index, m_interface, label, line_edit);
            if (info.m_file_actions) {
                auto* read = new QToolButton(row);
                read->setObjectName(QStringLiteral("read_") + name);
                read->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
                read->setToolTip(tr("Read a file"));
                read->setFixedHeight(kRowHeight);
                read->setEnabled(false);
                line->addWidget(read);
                auto* reread = new QToolButton(row);
                reread->setObjectName(QStringLiteral("reread_") + name);
                reread->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
                reread->setToolTip(tr("Read the file again"));
                reread->setFixedHeight(kRowHeight);
                reread->setEnabled(false);
                line->addWidget(reread);
                // Copies of the delegates are called: one may replace this panel.
                connect(read, &QToolButton::clicked, this, [this, attribute_index] {
                    if (FileDelegate delegate = m_read_delegate) {
                        delegate(m_node, attribute_index);
                    }
                });
                connect(reread, &QToolButton::clicked, this, [this, attribute_index] {
                    if (FileDelegate delegate = m_reread_delegate) {
                        delegate(m_node, attribute_index);
                    }
                });
                m_read_buttons[attribute_index] = read;
                m_reread_buttons[attribute_index] = reread;
            }
            break;
        }
    }
    if (!info.m_suffix.empty()) {
        line->addWidget(new QLabel(QString::fromStdString(info.m_suffix), row));
    }
    if (!manager) {
        return;  // an attribute type this panel does not know
    }
    if (!info.m_expose_as_input) {
        manager->DontExposeAttributeAsInput();
    }
    manager->connect();
    manager->update();
    connect(manager, &QAttributeManager::AttributeEditedSignal, this,
            [this](uint32_t index) { emit AttributeEditedSignal(index); });
    m_managers[attribute_index] = manager;
    if (read_only || !info.m_enabled) {
        row->setEnabled(false);
    }
}

void QNodeAttributesWidget::SetDelegateStringFileRead(FileDelegate delegate) {
    m_read_delegate = std::move(delegate);
    for (QToolButton* button : m_read_buttons) {
        if (button) {
            button->setEnabled(bool(m_read_delegate));
        }
    }
}

void QNodeAttributesWidget::SetDelegateStringFileReread(FileDelegate delegate) {
    m_reread_delegate = std::move(delegate);
    for (QToolButton* button : m_reread_buttons) {
        if (button) {
            button->setEnabled(bool(m_reread_delegate));
        }
    }
}

void QNodeAttributesWidget::SetEnabled(bool enabled) {
    m_enabled = enabled;
    setEnabled(enabled);
}

QAttributeManager* QNodeAttributesWidget::GetManager(unsigned attribute) const {
    return attribute < m_managers.size() ? m_managers[attribute] : nullptr;
}

void QNodeAttributesWidget::OnNodeEvent(Node*, const NodeEvent&) {
    emit ProcessEventSignal();
}

void QNodeAttributesWidget::OnProcessEventSignal() {
    for (QAttributeManager* manager : m_managers) {
        if (manager) {
            const bool blocked = manager->blockSignals(true);
            manager->update();
            manager->blockSignals(blocked);
        }
    }
}
