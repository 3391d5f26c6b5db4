#include "nodes/attributes/QAddEditAttributeDialog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <string>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSpacerItem>
#include <QStringList>
#include <QVBoxLayout>

#include "host/Attribute.h"
#include "host/Engine.h"
#include "host/Node.h"
#include "host/NodeType.h"
#include "host/StringJoin.h"
#include "library/ProjectNodeTypes.h"

namespace {

constexpr int kMaxNameLength = 16;
constexpr double kSpinLimit = 1000000.0;

constexpr int kMaxShownDecimals = 17;

// The fewest decimals, at least `decimals`, at which a spin box holds `value` exactly; values that
// need more (1/3) show rounded, and the caller keeps the exact value while the box is untouched.
int ExactDecimals(double value, int decimals) {
    if (!std::isfinite(value)) {
        return decimals;
    }
    for (int shown = decimals; shown < kMaxShownDecimals; ++shown) {
        if (QString::number(value, 'f', shown).toDouble() == value) {
            return shown;
        }
    }
    return kMaxShownDecimals;
}

// Shows a value of the attribute as it is: the box's range grows to take values beyond it
// (infinities included), and NaN shows as 0.
void ShowExactly(QDoubleSpinBox* spin, double value, int decimals) {
    const double shown = std::isnan(value) ? 0.0 : value;
    spin->setRange(std::min(spin->minimum(), shown), std::max(spin->maximum(), shown));
    spin->setDecimals(ExactDecimals(shown, decimals));
    spin->setValue(shown);
}

// Byte-wise lower case, the way names are compared everywhere in the library.
std::string LowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool IsIoNodeType(const NodeType& type) {
    return type == ProjectNodeTypes::kBooleanIoType || type == ProjectNodeTypes::kNumberIoType ||
           type == ProjectNodeTypes::kPointIoType || type == ProjectNodeTypes::kFrameIoType ||
           type == ProjectNodeTypes::kRgboIoType || type == ProjectNodeTypes::kImageIoType ||
           type == ProjectNodeTypes::kCurvesIoType || type == ProjectNodeTypes::kMaterialIoType;
}

bool IsAccepted(const QRegularExpressionValidator* validator, QString text) {
    int position = 0;
    return validator->validate(text, position) == QValidator::Acceptable;
}

bool HasNumberParameters(int type) {
    return type == Attribute::NUMBER || type == Attribute::POINT || type == Attribute::FRAME;
}

}  // namespace

QAddEditAttributeDialog::QAddEditAttributeDialog(QWidget* parent, int mode, Attribute* attribute)
    : QDialog(parent), m_ui(std::make_unique<Form>()), m_attribute(attribute), m_mode(mode) {
    BuildForm();

    Form& ui = *m_ui;
    ui.m_default_qspin->setRange(-kSpinLimit, kSpinLimit);
    ui.m_default_qspin->setValue(0.0);
    ui.m_minimum_qspin->setRange(-kSpinLimit, kSpinLimit);
    ui.m_minimum_qspin->setValue(0.0);
    ui.m_maximum_qspin->setRange(-kSpinLimit, kSpinLimit);
    ui.m_maximum_qspin->setValue(100.0);
    ui.m_single_step_qspin->setRange(0.0, 10000.0);
    ui.m_single_step_qspin->setValue(1.0);
    ui.m_decimals_qspin->setRange(0.0, 10.0);
    ui.m_decimals_qspin->setValue(0.0);
    ui.m_status_qlabel->setText(QString());

    ui.m_name_validator = new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^[a-zA-Z][a-zA-Z0-9_]*$")), this);
    ui.m_name_qtext->setValidator(ui.m_name_validator);
    ui.m_choices_validator = new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^[a-zA-Z0-9_][a-zA-Z0-9_,]*$")), this);
    ui.m_choices_qtext->setValidator(ui.m_choices_validator);

    connect(ui.m_name_qtext, &QLineEdit::textChanged, this, &QAddEditAttributeDialog::nameChanged);
    connect(ui.m_type_qcombo, &QComboBox::currentIndexChanged, this,
            &QAddEditAttributeDialog::typeChanged);
    connect(ui.m_decimals_qspin, &QDoubleSpinBox::valueChanged, this,
            &QAddEditAttributeDialog::decimalsChanged);
    connect(ui.m_choices_qtext, &QLineEdit::textChanged, this,
            &QAddEditAttributeDialog::choicesChanged);

    ui.m_ok_cancel_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    setFocus();
    ui.m_name_qtext->setFocus();

    if (m_attribute) {
        FillFromAttribute();
    }
}

QAddEditAttributeDialog::~QAddEditAttributeDialog() = default;

QLabel* QAddEditAttributeDialog::AddLabel(int row, const char* object_name, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), this);
    label->setObjectName(QString::fromUtf8(object_name));
    // At least 60 pixels: a fixed width would clip "Single Step" in common fonts.
    label->setMinimumWidth(60);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_ui->m_form_layout->setWidget(row, QFormLayout::LabelRole, label);
    return label;
}

QDoubleSpinBox* QAddEditAttributeDialog::AddSpinBox(int row, const char* object_name,
                                                    const char* layout_name) {
    auto* box = new QHBoxLayout;
    box->setObjectName(QString::fromUtf8(layout_name));
    auto* spin = new QDoubleSpinBox(this);
    spin->setObjectName(QString::fromUtf8(object_name));
    spin->setMinimumWidth(100);
    spin->setMaximumWidth(200);
    spin->setFixedHeight(22);
    // Decimals first: setting them later would round the range and the value.
    spin->setDecimals(0);
    box->addWidget(spin);
    box->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_ui->m_form_layout->setLayout(row, QFormLayout::FieldRole, box);
    return spin;
}

void QAddEditAttributeDialog::BuildForm() {
    Form& ui = *m_ui;
    setObjectName(QStringLiteral("QAddEditAttributeDialog"));
    resize(264, 276);
    setWindowTitle(QStringLiteral("Dialog"));

    ui.m_vertical_layout = new QVBoxLayout(this);
    ui.m_vertical_layout->setObjectName(QStringLiteral("verticalLayout"));
    ui.m_form_layout = new QFormLayout;
    ui.m_form_layout->setObjectName(QStringLiteral("formLayout"));
    QMargins margins = ui.m_form_layout->contentsMargins();
    margins.setTop(0);
    ui.m_form_layout->setContentsMargins(margins);
    ui.m_vertical_layout->addLayout(ui.m_form_layout);

    ui.m_name_qlabel = AddLabel(0, "m_name_qlabel", "Name");
    ui.m_name_qtext = new QLineEdit(this);
    ui.m_name_qtext->setObjectName(QStringLiteral("m_name_qtext"));
    ui.m_form_layout->setWidget(0, QFormLayout::FieldRole, ui.m_name_qtext);

    ui.m_type_qlabel = AddLabel(1, "m_increment_qlabel_2", "Type");
    ui.m_type_qcombo = new QComboBox(this);
    ui.m_type_qcombo->setObjectName(QStringLiteral("m_type_qcombo"));
    // Item index equals the Attribute::Type value.
    ui.m_type_qcombo->addItems({QStringLiteral("Boolean"), QStringLiteral("Number"),
                                QStringLiteral("Point"), QStringLiteral("Frame"),
                                QStringLiteral("Rgbo"), QStringLiteral("Choice"),
                                QStringLiteral("String")});
    ui.m_form_layout->setWidget(1, QFormLayout::FieldRole, ui.m_type_qcombo);

    // Row 2 stays empty.
    ui.m_default_qlabel = AddLabel(3, "m_default_qlabel", "Default");
    ui.m_default_qspin = AddSpinBox(3, "m_default_qspin", "horizontalLayout_5");
    ui.m_minimum_qlabel = AddLabel(4, "m_minimum_qlabel", "Minimum");
    ui.m_minimum_qspin = AddSpinBox(4, "m_minimum_qspin", "horizontalLayout");
    ui.m_maximum_qlabel = AddLabel(5, "m_maximum_qlabel", "Maximum");
    ui.m_maximum_qspin = AddSpinBox(5, "m_maximum_qspin", "horizontalLayout_2");
    ui.m_single_step_qlabel = AddLabel(6, "m_increment_qlabel", "Single Step");
    ui.m_single_step_qspin = AddSpinBox(6, "m_single_step_qspin", "horizontalLayout_4");
    ui.m_decimals_qlabel = AddLabel(7, "m_decimals_qlabel", "Decimals");
    ui.m_decimals_qspin = AddSpinBox(7, "m_decimals_qspin", "horizontalLayout_3");

    ui.m_choices_qlabel = AddLabel(8, "m_increment_qlabel_3", "Choices");
    ui.m_choices_qtext = new QLineEdit(this);
    ui.m_choices_qtext->setObjectName(QStringLiteral("m_choices_qtext"));
    ui.m_form_layout->setWidget(8, QFormLayout::FieldRole, ui.m_choices_qtext);

    ui.m_status_qlabel = new QLabel(this);
    ui.m_status_qlabel->setObjectName(QStringLiteral("m_status_qlabel"));
    ui.m_status_qlabel->setFrameShape(QFrame::Box);
    ui.m_status_qlabel->setFrameShadow(QFrame::Raised);
    ui.m_status_qlabel->setLineWidth(1);
    ui.m_vertical_layout->addWidget(ui.m_status_qlabel);

    ui.m_ok_cancel_buttons = new QDialogButtonBox(this);
    ui.m_ok_cancel_buttons->setObjectName(QStringLiteral("m_ok_cancel_buttons"));
    ui.m_ok_cancel_buttons->setOrientation(Qt::Horizontal);
    ui.m_ok_cancel_buttons->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ui.m_vertical_layout->addWidget(ui.m_ok_cancel_buttons);
    connect(ui.m_ok_cancel_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui.m_ok_cancel_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setTabOrder(ui.m_name_qtext, ui.m_type_qcombo);
    setTabOrder(ui.m_type_qcombo, ui.m_decimals_qspin);
    setTabOrder(ui.m_decimals_qspin, ui.m_default_qspin);
    setTabOrder(ui.m_default_qspin, ui.m_minimum_qspin);
    setTabOrder(ui.m_minimum_qspin, ui.m_maximum_qspin);
    setTabOrder(ui.m_maximum_qspin, ui.m_single_step_qspin);
    setTabOrder(ui.m_single_step_qspin, ui.m_choices_qtext);
}

void QAddEditAttributeDialog::FillFromAttribute() {
    Form& ui = *m_ui;
    const Attribute& attribute = *m_attribute;
    if (m_mode == kEdit || m_mode == kRename) {
        ui.m_name_qtext->setText(QString::fromStdString(attribute.GetName()));
        ui.m_name_qtext->setEnabled(m_mode == kRename);
    }

    // typeChanged runs exactly once, even when the index does not change.
    {
        const QSignalBlocker blocker(ui.m_type_qcombo);
        ui.m_type_qcombo->setCurrentIndex(static_cast<int>(attribute.GetType()));
    }
    typeChanged(ui.m_type_qcombo->currentIndex());
    ui.m_type_qcombo->setEnabled(false);

    if (HasNumberParameters(attribute.GetType())) {
        // Through decimalsChanged this also sets the other boxes' decimals.
        ui.m_decimals_qspin->setValue(attribute.GetDecimals());
        const int decimals = GetDecimals();
        // A frame's size is its default that files keep.
        const int shown = attribute.GetType() == Attribute::FRAME ? 2 : 0;
        ShowExactly(ui.m_default_qspin, attribute.m_default[shown], decimals);
        ShowExactly(ui.m_minimum_qspin, attribute.GetMinimum(), decimals);
        ShowExactly(ui.m_maximum_qspin, attribute.GetMaximum(), decimals);
        ShowExactly(ui.m_single_step_qspin, attribute.GetSingleStep(), decimals);
    } else if (attribute.GetType() == Attribute::CHOICE) {
        ui.m_choices_qtext->setText(
            QString::fromStdString(StringJoin(attribute.GetChoiceNames(), ",")));
    }
    if (m_mode == kRename) {
        for (QWidget* field : std::initializer_list<QWidget*>{
                 ui.m_decimals_qspin, ui.m_default_qspin, ui.m_minimum_qspin, ui.m_maximum_qspin,
                 ui.m_single_step_qspin, ui.m_choices_qtext}) {
            field->setEnabled(false);
        }
    }
    m_shown = {GetDefault(), GetMinimum(), GetMaximum(), GetSingleStep(), double(GetDecimals())};
    m_shown_choices = GetChoices();
}

bool QAddEditAttributeDialog::IsChanged(Field field) const {
    if (!m_attribute) {
        return true;
    }
    switch (field) {
        case kDefaultField:
            return GetDefault() != m_shown[0];
        case kMinimumField:
            return GetMinimum() != m_shown[1];
        case kMaximumField:
            return GetMaximum() != m_shown[2];
        case kSingleStepField:
            return GetSingleStep() != m_shown[3];
        case kDecimalsField:
            return double(GetDecimals()) != m_shown[4];
        case kChoicesField:
            return GetChoices() != m_shown_choices;
    }
    return true;
}

QString QAddEditAttributeDialog::GetName() const {
    return m_ui->m_name_qtext->text();
}

QString QAddEditAttributeDialog::GetChoices() const {
    return m_ui->m_choices_qtext->text();
}

int QAddEditAttributeDialog::GetDecimals() const {
    return static_cast<int>(m_ui->m_decimals_qspin->value());
}

int QAddEditAttributeDialog::GetTypeIndex() const {
    return m_ui->m_type_qcombo->currentIndex();
}

double QAddEditAttributeDialog::GetDefault() const {
    return m_ui->m_default_qspin->value();
}

double QAddEditAttributeDialog::GetMinimum() const {
    return m_ui->m_minimum_qspin->value();
}

double QAddEditAttributeDialog::GetMaximum() const {
    return m_ui->m_maximum_qspin->value();
}

double QAddEditAttributeDialog::GetSingleStep() const {
    return m_ui->m_single_step_qspin->value();
}

void QAddEditAttributeDialog::nameChanged(const QString&) {
    Validate();
}

void QAddEditAttributeDialog::choicesChanged(const QString&) {
    Validate();
}

void QAddEditAttributeDialog::typeChanged(int index) {
    Form& ui = *m_ui;
    const bool numeric = HasNumberParameters(index);
    ui.m_decimals_qspin->setEnabled(numeric);
    ui.m_default_qspin->setEnabled(numeric);
    ui.m_minimum_qspin->setEnabled(numeric);
    ui.m_maximum_qspin->setEnabled(numeric);
    ui.m_single_step_qspin->setEnabled(numeric);
    ui.m_choices_qtext->setEnabled(index == Attribute::CHOICE);
    Validate();
}

void QAddEditAttributeDialog::decimalsChanged(double value) {
    Form& ui = *m_ui;
    const int decimals = static_cast<int>(value);
    for (QDoubleSpinBox* spin :
         {ui.m_default_qspin, ui.m_minimum_qspin, ui.m_maximum_qspin, ui.m_single_step_qspin}) {
        spin->setDecimals(decimals);
    }
    // The smallest step the shown decimals can express.
    double step = 1.0;
    for (int k = 0; k < decimals; ++k) {
        step /= 10.0;
    }
    ui.m_single_step_qspin->setValue(step);
}

QString QAddEditAttributeDialog::NameInUseMessage(const QString& name) const {
    const std::string wanted = LowerCase(name.toStdString());
    QString message;
    Engine* engine = Engine::Get();
    const size_t count = engine->GetNumNodes();
    for (size_t n = 0; n < count; ++n) {
        const Node* node = engine->GetNode(n);
        if (!node) {
            continue;
        }
        const NodeType type = node->GetNodeType();
        if (type == ProjectNodeTypes::kAttributesType) {
            const size_t num_attributes = node->GetNumAttributes();
            for (size_t a = 0; a < num_attributes; ++a) {
                const Attribute* attribute = node->GetAttributeByIndex(a);
                // The attribute being edited or renamed may keep its name; a duplicate may not
                // take its source's.
                if (!attribute || (attribute == m_attribute && m_mode != kDuplicate)) {
                    continue;
                }
                const std::string used = LowerCase(attribute->GetName());
                if (used == wanted) {
                    // Keep scanning: a later clash replaces this message.
                    message = QStringLiteral("<b>Name</b> is already defined. <b>%1</b>")
                                  .arg(QString::fromStdString(used));
                }
            }
        } else if (IsIoNodeType(type)) {
            const std::string used = LowerCase(node->GetName());
            if (used == wanted) {
                return QStringLiteral("<b>Name</b> is already defined. <b>%1</b>")
                    .arg(QString::fromStdString(used));
            }
        }
    }
    return message;
}

QString QAddEditAttributeDialog::ChoicesMessage() const {
    const QString choices = m_ui->m_choices_qtext->text();
    if (choices.isEmpty()) {
        return QStringLiteral("<b>Choices</b> is required.");
    }
    if (!IsAccepted(m_ui->m_choices_validator, choices)) {
        return QStringLiteral("<b>Choices</b> has invalid characters.");
    }
    int names = 0;
    for (const QString& part : choices.split(QLatin1Char(','), Qt::KeepEmptyParts)) {
        if (!part.isEmpty()) {
            ++names;
        }
    }
    if (names < 2) {
        return QStringLiteral("Please enter at least 2 <b>Choices</b>.");
    }
    return {};
}

void QAddEditAttributeDialog::Validate() {
    Form& ui = *m_ui;
    const QString name = ui.m_name_qtext->text();
    QString message;
    if (name.length() < 1 || name.length() > kMaxNameLength) {
        message = QStringLiteral("<b>Name</b> is too long or too short.");
    } else if (!IsAccepted(ui.m_name_validator, name)) {
        message = QStringLiteral("<b>Name</b> has invalid characters.");
    }
    // A name in use outranks a length or character problem.
    const QString in_use = NameInUseMessage(name);
    if (!in_use.isEmpty()) {
        message = in_use;
    }
    if (message.isEmpty() && ui.m_type_qcombo->currentIndex() == Attribute::CHOICE) {
        message = ChoicesMessage();
    }
    ui.m_status_qlabel->setText(message);
    ui.m_ok_cancel_buttons->button(QDialogButtonBox::Ok)->setEnabled(message.isEmpty());
}
