#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
