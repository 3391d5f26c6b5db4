#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <string>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "host/Attribute.h"
#include "host/StringJoin.h"
#include "nodes/attributes/AttributesNode.h"
#include "nodes/attributes/QAddEditAttributeDialog.h"

// One attribute of each type, current values away from the defaults.
inline void AddOneOfEach(AttributesNode& node) {
    node.AddBooleanAttribute("flag", false);
    node.AddNumberAttribute("gain", 2, 0, 10, 0.5, 1);
    node.AddPointAttribute("centre", {1, 2}, -5, 5, 0.25, 2);
    node.AddFrameAttribute("crop", {0, 1, 8, 9});
    node.AddRgboAttribute("tint", {0.1, 0.2, 0.3, 0.4});
    node.AddChoiceAttribute("level", "low,mid,high");
    node.AddStringAttribute("label", "");
    const std::string values[] = {"1", "5", "3,4", "1,2,30,40", "0.25,0.5,0.75,1", "mid", "hello"};
    for (size_t k = 0; k < 7; ++k) {
        EXPECT_TRUE(node.GetAttributeByIndex(k)->SetValueText(values[k], false)) << values[k];
    }
}

// The shortest text that reads back as `value`.
inline std::string Num(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// A definition in one line, numbers exact: the value, then the default, limits, step and decimals
// of a number or point, the default of a frame, or the names of a choice.
inline std::string Describe(const Attribute& a) {
    const double* d = a.m_default;
    switch (a.GetType()) {
        case Attribute::NUMBER:
        case Attribute::POINT:
            return a.GetValueText() + " | " + Num(d[0]) +
                   (a.GetType() == Attribute::POINT ? "," + Num(d[1]) : "") + " " +
                   Num(a.GetMinimum()) + ".." + Num(a.GetMaximum()) + " by " +
                   Num(a.GetSingleStep()) + ", " + std::to_string(a.GetDecimals());
        case Attribute::FRAME:
            return a.GetValueText() + " | " + Num(d[0]) + "," + Num(d[1]) + "," + Num(d[2]) + "," +
                   Num(d[3]);
        case Attribute::CHOICE:
            return a.GetValueText() + " of " + StringJoin(a.GetChoiceNames(), ",");
        default:
            return a.GetValueText();
    }
}

// The fields of an attribute dialog, as a user reaches them.
struct DialogFields {
    explicit DialogFields(const QAddEditAttributeDialog& shown) : dialog(shown) {}

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
    T* Child(const char* object_name) const {
        T* child = dialog.findChild<T*>(QString::fromUtf8(object_name));
        EXPECT_NE(child, nullptr) << object_name;
        return child;
    }

    const QAddEditAttributeDialog& dialog;
    QLineEdit* name = Child<QLineEdit>("m_name_qtext");
    QComboBox* type = Child<QComboBox>("m_type_qcombo");
    QDoubleSpinBox* default_value = Child<QDoubleSpinBox>("m_default_qspin");
    QDoubleSpinBox* minimum = Child<QDoubleSpinBox>("m_minimum_qspin");
    QDoubleSpinBox* maximum = Child<QDoubleSpinBox>("m_maximum_qspin");
    QDoubleSpinBox* single_step = Child<QDoubleSpinBox>("m_single_step_qspin");
    QDoubleSpinBox* decimals = Child<QDoubleSpinBox>("m_decimals_qspin");
    QLineEdit* choices = Child<QLineEdit>("m_choices_qtext");
    QLabel* status = Child<QLabel>("m_status_qlabel");
    QPushButton* ok = Child<QDialogButtonBox>("m_ok_cancel_buttons")->button(QDialogButtonBox::Ok);
};
