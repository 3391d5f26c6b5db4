#pragma once

#include <gtest/gtest.h>

#include <string>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "nodes/attributes/QAddEditAttributeDialog.h"

// The fields of an attribute dialog, as a user reaches them.
struct DialogFields {
    explicit DialogFields(const QAddEditAttributeDialog& dialog)
        : name(Child<QLineEdit>(dialog, "m_name_qtext")),
          type(Child<QComboBox>(dialog, "m_type_qcombo")),
          default_value(Child<QDoubleSpinBox>(dialog, "m_default_qspin")),
          minimum(Child<QDoubleSpinBox>(dialog, "m_minimum_qspin")),
          maximum(Child<QDoubleSpinBox>(dialog, "m_maximum_qspin")),
          single_step(Child<QDoubleSpinBox>(dialog, "m_single_step_qspin")),
          decimals(Child<QDoubleSpinBox>(dialog, "m_decimals_qspin")),
          choices(Child<QLineEdit>(dialog, "m_choices_qtext")),
          status(Child<QLabel>(dialog, "m_status_qlabel")),
          ok(Child<QDialogButtonBox>(dialog, "m_ok_cancel_buttons")->button(QDialogButtonBox::Ok)) {
    }

    // The fields in one line, each disabled one in brackets, then the status and whether OK is
    // enabled.
    std::string Shown() const {
        QStringList parts;
        auto add = [&parts](const QWidget* field, const QString& text) {
            parts << (field->isEnabled() ? text : "[" + text + "]");
        };
        add(name, name->text());
        add(type, type->currentText());
        for (const QDoubleSpinBox* box : {default_value, minimum, maximum, single_step, decimals}) {
            add(box, box->text());
        }
        add(choices, choices->text());
        return (parts.join(' ') + " | " + status->text() + (ok->isEnabled() ? " OK" : ""))
            .toStdString();
    }

    template <typename T>
    static T* Child(const QWidget& dialog, const char* name) {
        T* child = dialog.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QLineEdit* name;
    QComboBox* type;
    QDoubleSpinBox* default_value;
    QDoubleSpinBox* minimum;
    QDoubleSpinBox* maximum;
    QDoubleSpinBox* single_step;
    QDoubleSpinBox* decimals;
    QLineEdit* choices;
    QLabel* status;
    QPushButton* ok;
};
