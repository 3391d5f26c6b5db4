#include "nodes/attributes/QAttributesWidget.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSizePolicy>
#include <QSpacerItem>
#include <QVBoxLayout>

#include "host/Attribute.h"
#include "host/AttributeListState.h"
#include "host/Manager.h"
#include "host/QAttributeManager.h"
#include "host/QColorButton.h"
#include "host/QDragSpinner.h"
#include "host/QEventFlusher.h"
#include "host/QMultiSlider.h"
#include "nodes/attributes/AttributeFromDialog.h"
#include "nodes/attributes/AttributesNode.h"
#include "nodes/attributes/QAWMouseEventSignaler.h"
#include "nodes/attributes/QAddEditAttributeDialog.h"

namespace {

// Types whose definition the dialog can change.
bool IsEditable(Attribute::Type type) {
    return type == Attribute::NUMBER || type == Attribute::POINT || type == Attribute::FRAME ||
           type == Attribute::CHOICE;
}

constexpr int kMinimumLabelWidth = 80;
constexpr int kLabelPadding = 8;

QSpacerItem* NewExpandingSpacer() {
    return new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

}  // namespace

QAttributesWidget::QAttributesWidget(QWidget* parent, AttributesNode* node,
                                     NodeInterface* interface)
    : QWidget(parent), m_node(node), m_interface(interface), m_ui(std::make_unique<Form>()) {
    BuildForm();
    setWindowFlags(Qt::Tool);
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);

    const size_t count = m_node->GetNumAttributes();
    for (size_t index = 0; index < count; ++index) {
        AddAttributeRow(static_cast<uint32_t>(index));
    }

    // Automatic: queued when the node reports from another thread, so rows are built here.
    connect(this, &QAttributesWidget::ProcessEventSignal, this,
            &QAttributesWidget::OnProcessEventSignal);
    connect(m_ui->m_add_attribute_qbutton, &QPushButton::clicked, this,
            &QAttributesWidget::OnAddAttributeEvent);

    RefreshRows();
    m_node->AddNodeListener(this);
}

QAttributesWidget::~QAttributesWidget() {
    m_node->RemoveNodeListener(this);
}

void QAttributesWidget::BuildForm() {
    Form& ui = *m_ui;
    setObjectName(QStringLiteral("QAttributesWidget"));
    resize(346, 651);
    setWindowTitle(QStringLiteral("Form"));

    ui.m_vertical_layout = new QVBoxLayout(this);
    ui.m_vertical_layout->setObjectName(QStringLiteral("verticalLayout"));
    ui.m_vertical_layout->setContentsMargins(2, 2, 2, 2);
    ui.m_main_qvlayout = new QVBoxLayout;
    ui.m_main_qvlayout->setObjectName(QStringLiteral("m_main_qvlayout"));
    ui.m_main_qvlayout->setSpacing(0);
    ui.m_main_qvlayout->setContentsMargins(0, 0, 0, 0);
    ui.m_vertical_layout->addLayout(ui.m_main_qvlayout);

    ui.m_title_layout = new QHBoxLayout;
    ui.m_title_layout->setObjectName(QStringLiteral("horlay_title_properties"));
    ui.m_title_layout->setSpacing(0);
    ui.m_title_layout->setContentsMargins(0, 0, 0, 2);
    ui.m_title_0 = new QLabel(QStringLiteral("Attributes"), this);
    ui.m_title_0->setObjectName(QStringLiteral("m_title_0"));
    QFont title_font = ui.m_title_0->font();
    title_font.setWeight(QFont::Normal);
    ui.m_title_0->setFont(title_font);
    ui.m_title_0->setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 10);"));
    ui.m_title_0->setFrameShape(QFrame::StyledPanel);
    // A host that stretches the panel should not stretch its title.
    ui.m_title_0->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    ui.m_title_layout->addWidget(ui.m_title_0);
    ui.m_main_qvlayout->addLayout(ui.m_title_layout);

    ui.m_attributes_box = new QHBoxLayout;
    ui.m_attributes_box->setObjectName(QStringLiteral("horizontalLayout"));
    ui.m_attributes_box->setSpacing(0);
    // Keeps the panel at least 600 pixels high.
    ui.m_height_qlabel = new QLabel(QStringLiteral("TextLabel"), this);
    ui.m_height_qlabel->setObjectName(QStringLiteral("m_height_qlabel"));
    ui.m_height_qlabel->setFixedSize(1, 600);
    ui.m_attributes_box->addWidget(ui.m_height_qlabel);
    ui.m_attributes_qlayout = new QFormLayout;
    ui.m_attributes_qlayout->setObjectName(QStringLiteral("m_attributes_qlayout"));
    ui.m_attributes_qlayout->setHorizontalSpacing(2);
    ui.m_attributes_qlayout->setVerticalSpacing(2);
    QMargins margins = ui.m_attributes_qlayout->contentsMargins();
    margins.setTop(0);
    margins.setBottom(0);
    ui.m_attributes_qlayout->setContentsMargins(margins);
    // Row 0: two empty one-pixel labels that fix the column widths.
    ui.m_label_qlabel = new QLabel(this);
    ui.m_label_qlabel->setObjectName(QStringLiteral("m_label_qlabel"));
    ui.m_label_qlabel->setMinimumWidth(80);
    ui.m_label_qlabel->setFixedHeight(1);
    ui.m_label_qlabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui.m_widgets_qlabel = new QLabel(this);
    ui.m_widgets_qlabel->setObjectName(QStringLiteral("m_widgets_qlabel"));
    ui.m_widgets_qlabel->setMinimumWidth(80);
    ui.m_widgets_qlabel->setFixedHeight(1);
    ui.m_widgets_qlabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    ui.m_widgets_qlabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui.m_attributes_qlayout->addRow(ui.m_label_qlabel, ui.m_widgets_qlabel);
    ui.m_attributes_box->addLayout(ui.m_attributes_qlayout);
    ui.m_main_qvlayout->addLayout(ui.m_attributes_box);

    ui.m_button_layout = new QHBoxLayout;
    ui.m_button_layout->setObjectName(QStringLiteral("horizontalLayout_2"));
    margins = ui.m_button_layout->contentsMargins();
    margins.setTop(0);
    ui.m_button_layout->setContentsMargins(margins);
    ui.m_button_layout->addItem(NewExpandingSpacer());
    ui.m_add_attribute_qbutton = new QPushButton(QStringLiteral("Add Attribute"), this);
    ui.m_add_attribute_qbutton->setObjectName(QStringLiteral("m_add_attribute_qbutton"));
    ui.m_add_attribute_qbutton->setMinimumWidth(120);
    ui.m_button_layout->addWidget(ui.m_add_attribute_qbutton);
    ui.m_button_layout->addItem(NewExpandingSpacer());
    ui.m_main_qvlayout->addLayout(ui.m_button_layout);
}

QLabel* QAttributesWidget::NewNameLabel(const QString& text) {
    auto* label = new QLabel(text, this);
    label->setFixedHeight(22);
    label->setToolTip(text);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

void QAttributesWidget::FitNameColumn() {
    int width = kMinimumLabelWidth;
    for (const AttributeRow& row : m_rows) {
        width = std::max(
            width, row.m_name_label->fontMetrics().horizontalAdvance(row.m_name_label->text()) +
                       kLabelPadding);
    }
    for (const AttributeRow& row : m_rows) {
        for (QLabel* label : {row.m_name_label, row.m_second_name_label}) {
            if (label) {
                label->setFixedWidth(width);
            }
        }
    }
    m_ui->m_label_qlabel->setMinimumWidth(width);
}

QDragSpinner* QAttributesWidget::NewSpinner(const QString& component) {
    auto* spinner = new QDragSpinner(this);
    // At least 60 pixels, wider when the number needs it.
    spinner->setMinimumWidth(60);
    spinner->setFixedHeight(22);
    spinner->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    if (!component.isEmpty()) {
        spinner->setPrefix(component + QStringLiteral(" "));
    }
    return spinner;
}

QMultiSlider* QAttributesWidget::NewSlider() {
    auto* slider = new QMultiSlider(this, 1);
    slider->setFixedHeight(22);
    slider->setMinimumWidth(0);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHorizontalStretch(200);
    slider->setSizePolicy(policy);
    slider->setLayoutDirection(Qt::LeftToRight);
    return slider;
}

void QAttributesWidget::AddTwoSpinnersAndSlider(QHBoxLayout* layout, QDragSpinner*& first,
                                                QDragSpinner*& second, QMultiSlider*& slider,
                                                const char* components) {
    first = NewSpinner(QString(QLatin1Char(components[0])));
    second = NewSpinner(QString(QLatin1Char(components[1])));
    slider = NewSlider();
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(slider);
}

void QAttributesWidget::AddAttributeRow(uint32_t index) {
    if (m_inert || index >= m_node->GetNumAttributes()) {
        return;
    }
    // A report that arrives after the panel was built with that attribute already has its row.
    if (index < m_rows.size()) {
        return;
    }
    const Attribute* attribute = m_node->GetAttributeByIndex(index);
    if (!attribute) {
        return;
    }
    m_rows.emplace_back();
    AttributeRow& row = m_rows.back();
    const QString name = QString::fromStdString(attribute->GetName());
    QFormLayout* form = m_ui->m_attributes_qlayout;

    row.m_name_label = NewNameLabel(name);
    row.m_row_layout = new QHBoxLayout;
    row.m_row_layout->setSpacing(2);
    row.m_signaler = new QAWMouseEventSignaler(this);
    row.m_name_label->installEventFilter(row.m_signaler);
    QLabel* label = row.m_name_label;
    connect(
        row.m_signaler, &QAWMouseEventSignaler::mouseButtonEvent, this,
        [this, label](QMouseEvent* event) { ShowContextMenu(event, label); }, Qt::DirectConnection);

    QAttributeManager* manager = nullptr;
    switch (attribute->GetType()) {
        case Attribute::BOOLEAN:
            row.m_check_box = new QCheckBox(this);
            row.m_spacer = NewExpandingSpacer();
            row.m_row_layout->addWidget(row.m_check_box);
            row.m_row_layout->addItem(row.m_spacer);
            form->addRow(row.m_name_label, row.m_row_layout);
            manager = new QAttributeManager(this, m_node, index, m_interface, row.m_name_label,
                                            row.m_check_box);
            break;
        case Attribute::NUMBER:
            row.m_first_spinner = NewSpinner();
            row.m_slider = NewSlider();
            row.m_row_layout->addWidget(row.m_first_spinner);
            row.m_row_layout->addWidget(row.m_slider);
            form->addRow(row.m_name_label, row.m_row_layout);
            manager = new QAttributeManager(this, m_node, index, m_interface, row.m_name_label,
                                            row.m_first_spinner, row.m_slider);
            break;
        case Attribute::POINT:
            AddTwoSpinnersAndSlider(row.m_row_layout, row.m_first_spinner, row.m_second_spinner,
                                    row.m_slider, "xy");
            form->addRow(row.m_name_label, row.m_row_layout);
            manager =
                new QAttributeManager(this, m_node, index, m_interface, row.m_name_label,
                                      row.m_first_spinner, row.m_second_spinner, row.m_slider);
            break;
        case Attribute::FRAME:
            AddTwoSpinnersAndSlider(row.m_row_layout, row.m_first_spinner, row.m_second_spinner,
                                    row.m_slider, "xy");
            form->addRow(row.m_name_label, row.m_row_layout);
            // The size components get a second form row under the same name.
            row.m_second_name_label = NewNameLabel(name);
            row.m_second_row_layout = new QHBoxLayout;
            row.m_second_row_layout->setSpacing(2);
            AddTwoSpinnersAndSlider(row.m_second_row_layout, row.m_third_spinner,
                                    row.m_fourth_spinner, row.m_second_slider, "wh");
            form->addRow(row.m_second_name_label, row.m_second_row_layout);
            manager = new QAttributeManager(this, m_node, index, m_interface, row.m_name_label,
                                            row.m_first_spinner, row.m_second_spinner, row.m_slider,
                                            row.m_second_name_label, row.m_third_spinner,
                                            row.m_fourth_spinner, row.m_second_slider);
            break;
        case Attribute::RGBO:
            row.m_color_button = new QColorButton(this);
            row.m_color_button->setFixedSize(60, 22);
            row.m_first_spinner = NewSpinner();
            row.m_slider = NewSlider();
            row.m_row_layout->addWidget(row.m_color_button);
            row.m_row_layout->addWidget(row.m_first_spinner);
            row.m_row_layout->addWidget(row.m_slider);
            form->addRow(row.m_name_label, row.m_row_layout);
            manager = new QAttributeManager(this, m_node, index, m_interface, row.m_name_label,
                                            row.m_color_button, row.m_first_spinner, row.m_slider);
            break;
        case Attribute::CHOICE:
            row.m_combo_box = new QComboBox(this);
            row.m_combo_box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            row.m_combo_box->setFixedHeight(22);
            row.m_row_layout->addWidget(row.m_combo_box);
            form->addRow(row.m_name_label, row.m_row_layout);
            manager = new QAttributeManager(this, m_node, index, m_interface, row.m_name_label,
                                            row.m_combo_box);
            break;
        case Attribute::STRING:
            row.m_line_edit = new QLineEdit(this);
            row.m_row_layout->addWidget(row.m_line_edit);
            form->addRow(row.m_name_label, row.m_row_layout);
            manager = new QAttributeManager(this, m_node, index, m_interface, row.m_name_label,
                                            row.m_line_edit);
            break;
    }

    m_managers.push_back(manager);
    FitNameColumn();
    manager->DontExposeAttributeAsInput();
    manager->connect();
    manager->update();
}

void QAttributesWidget::RefreshRows() {
    const size_t count = m_node->GetNumAttributes();
    // A row is still to come, or the panel went inert after a deletion.
    if (m_inert || m_managers.size() != count) {
        return;
    }
    m_ui->m_add_attribute_qbutton->setEnabled(count < m_max_attributes);
    for (QAttributeManager* manager : m_managers) {
        manager->blockSignals(true);
    }
    for (QAttributeManager* manager : m_managers) {
        manager->update();
    }
    for (QAttributeManager* manager : m_managers) {
        manager->blockSignals(false);
    }
}

void QAttributesWidget::OnNodeEvent(Node*, const NodeEvent& event) {
    if (event.m_type == kEventAttributeAdded) {
        m_pending_attribute_index = event.m_parameter;
    }
    emit ProcessEventSignal();
}

void QAttributesWidget::OnProcessEventSignal() {
    const uint32_t pending = m_pending_attribute_index.exchange(kNoPendingAttribute);
    if (pending != kNoPendingAttribute) {
        AddAttributeRow(pending);
    }
    RefreshRows();
}

void QAttributesWidget::ScheduleEvents() {
    QEventFlusher::Schedule();
}

void QAttributesWidget::CreateAttribute(uint32_t type, const QAddEditAttributeDialog& dialog) {
    AttributeFromDialog::Create(dialog, type, *m_node);
    ScheduleEvents();
}

void QAttributesWidget::OnAddAttributeEvent() {
    QAddEditAttributeDialog dialog(this, QAddEditAttributeDialog::kAdd, nullptr);
    dialog.setWindowTitle(QStringLiteral("Add Attribute"));
    if (dialog.exec() == QDialog::Accepted) {
        CreateAttribute(static_cast<uint32_t>(dialog.GetTypeIndex()), dialog);
    }
    // The new row itself arrives with the node's report.
    RefreshRows();
}

int QAttributesWidget::FindRow(const QLabel* label) const {
    if (!label) {
        return -1;
    }
    for (size_t k = 0; k < m_rows.size(); ++k) {
        if (m_rows[k].m_name_label == label || m_rows[k].m_second_name_label == label) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

void QAttributesWidget::ShowContextMenu(QMouseEvent* event, QLabel* label) {
    m_context_label = label;
    const int index = FindRow(label);
    if (index < 0 || !label->isEnabled()) {
        return;
    }
    const Attribute* attribute = m_node->GetAttributeByIndex(static_cast<size_t>(index));
    if (!attribute) {
        return;
    }
    const bool editable = IsEditable(attribute->GetType());

    QMenu menu(this);
    menu.setTitle(QStringLiteral("Context menu"));
    QAction* edit = menu.addAction(QStringLiteral("Edit Attribute"));
    edit->setEnabled(editable);
    connect(edit, &QAction::triggered, this, &QAttributesWidget::OnEditAttributeEvent);
    if (m_node->GetNumAttributes() < m_max_attributes) {
        QAction* duplicate = menu.addAction(QStringLiteral("Duplicate Attribute"));
        duplicate->setEnabled(editable);
        connect(duplicate, &QAction::triggered, this,
                &QAttributesWidget::OnDuplicateAttributeEvent);
    }
    QAction* rename = menu.addAction(QStringLiteral("Rename Attribute..."));
    connect(rename, &QAction::triggered, this, &QAttributesWidget::OnRenameAttributeEvent);
    QAction* reset = menu.addAction(QStringLiteral("Reset to Default"));
    connect(reset, &QAction::triggered, this, &QAttributesWidget::OnResetAttributeEvent);
    QAction* remove = menu.addAction(QStringLiteral("Delete Attribute"));
    connect(remove, &QAction::triggered, this, &QAttributesWidget::OnDeleteAttributeEvent);

    menu.exec(label->mapToGlobal(event->position().toPoint()));
}

void QAttributesWidget::OnEditAttributeEvent() {
    const int index = FindRow(m_context_label);
    if (index < 0) {
        return;
    }
    Attribute* attribute = m_node->GetAttributeByIndex(static_cast<size_t>(index));
    if (!attribute) {
        return;
    }
    QAddEditAttributeDialog dialog(this, QAddEditAttributeDialog::kEdit, attribute);
    dialog.setWindowTitle(QStringLiteral("Edit Attribute"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    AttributeFromDialog::Apply(dialog, *attribute);
    m_managers[static_cast<size_t>(index)]->attributeParametersChanged();
}

void QAttributesWidget::OnDuplicateAttributeEvent() {
    const int index = FindRow(m_context_label);
    if (index < 0 || static_cast<size_t>(index) >= m_node->GetNumAttributes()) {
        RefreshRows();
        return;
    }
    Attribute* source = m_node->GetAttributeByIndex(static_cast<size_t>(index));
    QAddEditAttributeDialog dialog(this, QAddEditAttributeDialog::kDuplicate, source);
    dialog.setWindowTitle(QStringLiteral("Duplicate Attribute"));
    if (dialog.exec() != QDialog::Accepted) {
        RefreshRows();
        return;
    }
    // The source's type: the type list is locked to it anyway.
    CreateAttribute(source->GetType(), dialog);
    RefreshRows();
}

void QAttributesWidget::OnRenameAttributeEvent() {
    const int index = FindRow(m_context_label);
    Attribute* attribute = index < 0 ? nullptr : m_node->GetAttributeByIndex(size_t(index));
    if (!attribute) {
        return;
    }
    QAddEditAttributeDialog dialog(this, QAddEditAttributeDialog::kRename, attribute);
    dialog.setWindowTitle(QStringLiteral("Rename Attribute"));
    const std::string from = attribute->GetName();
    const std::string to =
        dialog.exec() == QDialog::Accepted ? dialog.GetName().toStdString() : from;
    if (to == from) {
        return;
    }
    // The node has no rename of its own: it is rebuilt from the attribute on, connections and
    // values included, under the new name.
    AttributeListState state = AttributeListState::Capture(*m_node);
    state.Rename(from, to);
    Manager::Get()->SetDisplayNode(nullptr, Manager::kNoOutplug);
    GoInert();
    if (!state.Restore(*m_node)) {
        QMessageBox::warning(this, QStringLiteral("Rename Attribute"),
                             QStringLiteral("Some connections of \"%1\" could not be made again.")
                                 .arg(QString::fromStdString(to)));
    }
    ScheduleEvents();
}

void QAttributesWidget::OnResetAttributeEvent() {
    const int index = FindRow(m_context_label);
    Attribute* attribute = index < 0 ? nullptr : m_node->GetAttributeByIndex(size_t(index));
    if (!attribute) {
        return;
    }
    const double* d = attribute->m_default;
    switch (attribute->GetType()) {
        case Attribute::BOOLEAN:
            attribute->SetBoolean(d[0] != 0.0, true);
            break;
        case Attribute::NUMBER:
            attribute->SetNumber(d[0], true);
            break;
        case Attribute::POINT:
            attribute->SetPoint(Point{d[0], d[1]}, true);
            break;
        case Attribute::FRAME:
            attribute->SetFrame(Frame{d[0], d[1], d[2], d[3]}, true);
            break;
        case Attribute::RGBO:
            attribute->SetRgbo(Rgbo{d[0], d[1], d[2], d[3]}, true);
            break;
        case Attribute::CHOICE:
            // A choice is defined with its first entry selected.
            attribute->SetChoiceIndex(0, true);
            break;
        case Attribute::STRING:
            attribute->SetString("", true);
            break;
    }
    ScheduleEvents();
}

void QAttributesWidget::GoInert() {
    m_inert = true;
    for (AttributeRow& row : m_rows) {
        for (QWidget* widget : std::initializer_list<QWidget*>{
                 row.m_name_label, row.m_check_box, row.m_line_edit, row.m_color_button,
                 row.m_first_spinner, row.m_second_spinner, row.m_slider, row.m_combo_box,
                 row.m_second_name_label, row.m_third_spinner, row.m_fourth_spinner,
                 row.m_second_slider}) {
            if (widget) {
                widget->setEnabled(false);
            }
        }
    }
    m_ui->m_add_attribute_qbutton->setEnabled(false);
}

void QAttributesWidget::OnDeleteAttributeEvent() {
    const int index = FindRow(m_context_label);
    if (index < 0) {
        return;
    }
    const QString name = m_context_label->text();
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Delete Attribute"),
        QStringLiteral("Delete the attribute \"%1\" and its connections?").arg(name),
        QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer != QMessageBox::Yes) {
        return;
    }
    // The viewer may be showing an outplug that is about to go away.
    Manager::Get()->SetDisplayNode(nullptr, Manager::kNoOutplug);
    // The rows no longer match the attributes: the panel stays inert until the host rebuilds it.
    GoInert();
    m_node->DeleteAttribute(static_cast<uint64_t>(index));
    ScheduleEvents();
}
