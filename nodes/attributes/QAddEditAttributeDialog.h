#pragma once

#include <array>
#include <memory>

#include <QDialog>
#include <QString>

class Attribute;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QRegularExpressionValidator;
class QVBoxLayout;

// The modal dialog in which an author defines one attribute of an Attributes node: name, type and
// the type's parameters. It validates the name (length, characters, not in use in the open
// document) and the choices, and enables OK only for valid input. The caller reads the fields
// after exec() and creates or changes the attribute itself.
class QAddEditAttributeDialog : public QDialog {
    Q_OBJECT
public:
    enum Mode : int { kAdd = 0, kEdit = 1, kDuplicate = 2, kRename = 3 };
    enum Field : int {
        kDefaultField,
        kMinimumField,
        kMaximumField,
        kSingleStepField,
        kDecimalsField,
        kChoicesField
    };

    // `attribute` is null in add mode; in the other modes the form starts from it. Rename mode
    // offers only the name. The attribute is not owned and must outlive the dialog.
    QAddEditAttributeDialog(QWidget* parent, int mode, Attribute* attribute);
    ~QAddEditAttributeDialog() override;

    QString GetName() const;
    QString GetChoices() const;
    // The decimals spin value truncated to an integer.
    int GetDecimals() const;
    // The type list's index, which is the Attribute::Type value.
    int GetTypeIndex() const;
    double GetDefault() const;
    double GetMinimum() const;
    double GetMaximum() const;
    double GetSingleStep() const;

    int GetMode() const { return m_mode; }
    Attribute* GetAttribute() const { return m_attribute; }
    // Whether the field differs from what edit or duplicate mode showed of the attribute (always
    // true in add mode). The caller keeps the attribute's own value of an unchanged field: the
    // boxes may show a value rounded, and NaN as 0.
    bool IsChanged(Field field) const;

public slots:
    void nameChanged(const QString& text);
    void typeChanged(int index);
    void decimalsChanged(double value);
    void choicesChanged(const QString& text);

private:
    struct Form {
        QVBoxLayout* m_vertical_layout = nullptr;
        QFormLayout* m_form_layout = nullptr;
        QLabel* m_name_qlabel = nullptr;
        QLineEdit* m_name_qtext = nullptr;
        QLabel* m_type_qlabel = nullptr;
        QComboBox* m_type_qcombo = nullptr;
        QLabel* m_default_qlabel = nullptr;
        QDoubleSpinBox* m_default_qspin = nullptr;
        QLabel* m_minimum_qlabel = nullptr;
        QDoubleSpinBox* m_minimum_qspin = nullptr;
        QLabel* m_maximum_qlabel = nullptr;
        QDoubleSpinBox* m_maximum_qspin = nullptr;
        QLabel* m_single_step_qlabel = nullptr;
        QDoubleSpinBox* m_single_step_qspin = nullptr;
        QLabel* m_decimals_qlabel = nullptr;
        QDoubleSpinBox* m_decimals_qspin = nullptr;
        QLabel* m_choices_qlabel = nullptr;
        QLineEdit* m_choices_qtext = nullptr;
        QLabel* m_status_qlabel = nullptr;
        QDialogButtonBox* m_ok_cancel_buttons = nullptr;
        QRegularExpressionValidator* m_name_validator = nullptr;
        QRegularExpressionValidator* m_choices_validator = nullptr;
    };

    void BuildForm();
    QLabel* AddLabel(int row, const char* object_name, const char* text);
    QDoubleSpinBox* AddSpinBox(int row, const char* object_name, const char* layout_name);
    void FillFromAttribute();
    // Sets the status message and enables OK exactly when there is none.
    void Validate();
    // The "already defined" message for a name used in the open document, or empty.
    QString NameInUseMessage(const QString& name) const;
    QString ChoicesMessage() const;

    std::unique_ptr<Form> m_ui;
    Attribute* m_attribute;
    int m_mode;
    // Default, minimum, maximum, single step and decimals as first shown, and the choices.
    std::array<double, 5> m_shown{};
    QString m_shown_choices;
};
