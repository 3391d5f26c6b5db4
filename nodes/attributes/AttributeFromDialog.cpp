#include "nodes/attributes/AttributeFromDialog.h"

#include <string>

#include <QString>

#include "host/Attribute.h"
#include "host/DynamicNode.h"
#include "nodes/attributes/QAddEditAttributeDialog.h"

namespace {

using Dialog = QAddEditAttributeDialog;

// The definition the dialog describes, with the source's values for unchanged fields.
struct Definition {
    double default_value = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    double single_step = 1.0;
    int decimals = 0;
    bool default_changed = true;
    bool limits_changed = true;
};

// A frame keeps its size in the third and fourth components, and its files keep only the third.
double ShownDefault(const Attribute& attribute) {
    return attribute.GetType() == Attribute::FRAME ? attribute.m_default[2]
                                                   : attribute.m_default[0];
}

// The minimum wins when the limits are upside down.
double Clamped(double value, double minimum, double maximum) {
    if (minimum > value) {
        return minimum;
    }
    return value > maximum ? maximum : value;
}

Definition Describe(const Dialog& dialog, const Attribute* source) {
    Definition d;
    auto pick = [&](Dialog::Field field, double shown, double own) {
        return !source || dialog.IsChanged(field) ? shown : own;
    };
    d.minimum = pick(Dialog::kMinimumField, dialog.GetMinimum(), source ? source->m_minimum : 0);
    d.maximum = pick(Dialog::kMaximumField, dialog.GetMaximum(), source ? source->m_maximum : 0);
    d.single_step =
        pick(Dialog::kSingleStepField, dialog.GetSingleStep(), source ? source->m_single_step : 0);
    d.decimals = !source || dialog.IsChanged(Dialog::kDecimalsField) ? dialog.GetDecimals()
                                                                     : source->m_decimals;
    d.default_changed = !source || dialog.IsChanged(Dialog::kDefaultField);
    d.limits_changed = !source || dialog.IsChanged(Dialog::kMinimumField) ||
                       dialog.IsChanged(Dialog::kMaximumField);
    if (d.default_changed) {
        d.default_value = Clamped(dialog.GetDefault(), d.minimum, d.maximum);
    } else {
        d.default_value = ShownDefault(*source);
        if (d.limits_changed && source->GetType() != Attribute::FRAME) {
            d.default_value = Clamped(d.default_value, d.minimum, d.maximum);
        }
    }
    return d;
}

// Writes a changed default in the type's arrangement; an unchanged one of a number or point is
// only clamped into changed limits.
void WriteDefault(const Definition& d, Attribute& attribute) {
    const Attribute::Type type = attribute.GetType();
    if (d.default_changed) {
        const double v = d.default_value;
        if (type == Attribute::FRAME) {
            attribute.m_default[0] = 0.0;
            attribute.m_default[1] = 0.0;
            attribute.m_default[2] = v;
            attribute.m_default[3] = v;
        } else {
            attribute.m_default[0] = v;
            attribute.m_default[1] = type == Attribute::POINT ? v : attribute.m_default[1];
        }
    } else if (d.limits_changed && type != Attribute::FRAME) {
        for (int k = 0; k < (type == Attribute::POINT ? 2 : 1); ++k) {
            attribute.m_default[k] = Clamped(attribute.m_default[k], d.minimum, d.maximum);
        }
    }
}

// Empty names between commas are dropped: "fast,slow," gives two choices.
std::string Choices(const Dialog& dialog) {
    return dialog.GetChoices().split(QLatin1Char(','), Qt::SkipEmptyParts).join(',').toStdString();
}

}  // namespace

void AttributeFromDialog::Apply(const QAddEditAttributeDialog& dialog, Attribute& attribute) {
    const Attribute::Type type = attribute.GetType();
    if (type == Attribute::CHOICE) {
        if (dialog.IsChanged(Dialog::kChoicesField)) {
            attribute.SetChoiceNames(Choices(dialog));
        }
        return;
    }
    if (type != Attribute::NUMBER && type != Attribute::POINT && type != Attribute::FRAME) {
        return;
    }
    const Definition d = Describe(dialog, &attribute);
    attribute.m_decimals = d.decimals;
    attribute.m_minimum = d.minimum;
    attribute.m_maximum = d.maximum;
    attribute.m_single_step = d.single_step;
    WriteDefault(d, attribute);
    // The limits may have moved under the current value: panels re-read it.
    switch (type) {
        case Attribute::NUMBER:
            attribute.SetNumber(attribute.GetNumber(), false);
            break;
        case Attribute::POINT:
            attribute.SetPoint(attribute.GetPoint(), false);
            break;
        default:
            attribute.SetFrame(attribute.GetFrame(), false);
            break;
    }
}

void AttributeFromDialog::Create(const QAddEditAttributeDialog& dialog, uint32_t type,
                                 DynamicNode& node) {
    const std::string name = dialog.GetName().toStdString();
    const Attribute* source = dialog.GetMode() == Dialog::kAdd ? nullptr : dialog.GetAttribute();
    const Definition d = Describe(dialog, source);
    const double v = d.default_value;
    switch (type) {
        case Attribute::BOOLEAN:
            node.AddBooleanAttribute(name, true);
            break;
        case Attribute::NUMBER:
            node.AddNumberAttribute(name, v, d.minimum, d.maximum, d.single_step, d.decimals);
            break;
        case Attribute::POINT: {
            Point value{v, v};
            if (source && !d.default_changed) {
                value = {source->m_default[0], source->m_default[1]};
                if (d.limits_changed) {
                    value = {Clamped(value.x, d.minimum, d.maximum),
                             Clamped(value.y, d.minimum, d.maximum)};
                }
            }
            node.AddPointAttribute(name, value, d.minimum, d.maximum, d.single_step, d.decimals);
            break;
        }
        case Attribute::FRAME: {
            const bool keep = source && !d.default_changed;
            const Frame value = keep ? Frame{source->m_default[0], source->m_default[1],
                                             source->m_default[2], source->m_default[3]}
                                     : Frame{0.0, 0.0, v, v};
            node.AddFrameAttribute(name, value);
            break;
        }
        case Attribute::RGBO:
            node.AddRgboAttribute(name, Rgbo{0.0, 0.0, 0.0, 0.0});
            break;
        case Attribute::CHOICE:
            node.AddChoiceAttribute(name, Choices(dialog));
            break;
        case Attribute::STRING:
            node.AddStringAttribute(name, "");
            break;
        default:
            break;
    }
}
