#include "host/Attribute.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <utility>

#include "host/Node.h"
#include "host/NumberText.h"
#include "host/StringJoin.h"

namespace {

const std::array<std::string, 7> kTypeWords = {"BOOLEAN", "NUMBER", "POINT", "FRAME",
                                               "RGBO",    "CHOICE", "STRING"};

// Every node of one type passes the same choice list, so a project of many nodes splits the same
// few lists over and over: keep the lists already split (a bounded number, per thread).
const std::vector<std::string>& SplitChoices(const std::string& joined) {
    constexpr size_t kMaxKept = 32;
    thread_local std::vector<std::pair<std::string, std::vector<std::string>>> kept;
    for (const auto& [text, names] : kept) {
        if (text == joined) {
            return names;
        }
    }
    if (kept.size() == kMaxKept) {
        kept.clear();
    }
    kept.emplace_back(joined,
                      joined.empty() ? std::vector<std::string>() : StringSplit(joined, ','));
    return kept.back().second;
}

void AppendNumber(std::string& text, double value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof(buffer), value);
    text.append(buffer, end);
}

std::string NumbersText(const double* values, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += ',';
        }
        AppendNumber(text, values[i]);
    }
    return text;
}

// Exactly `count` comma-separated finite numbers, spaces allowed around each: "nan" and "inf"
// are as unreadable as "1e999".

}  // namespace

Attribute::Attribute(Node* node, uint32_t id, const std::string& name, Type type)
    : m_node(node), m_id(id), m_name(name), m_type(type) {}

Attribute::Attribute(Node* node, uint32_t id, const std::string& name, const std::string& text)
    : Attribute(node, id, name, STRING) {
    m_text = text;
}

Attribute::Attribute(Node* node, uint32_t id, const std::string& name, int default_choice,
                     const std::string& choices)
    : Attribute(node, id, name, CHOICE) {
    m_choice_names = SplitChoices(choices);
    if (!m_choice_names.empty()) {
        m_choice_index = std::clamp(default_choice, 0, int(m_choice_names.size()) - 1);
    }
}

Attribute::Attribute(Node* node, uint32_t id, const std::string& name, double value, double minimum,
                     double maximum, double single_step, int decimals)
    : Attribute(node, id, name, NUMBER) {
    m_value[0] = value;
    m_default[0] = value;
    m_minimum = minimum;
    m_maximum = maximum;
    m_single_step = single_step;
    m_decimals = decimals;
}

Attribute* Attribute::CreateBoolean(Node* node, uint32_t id, const std::string& name, bool value) {
    Attribute* attribute = new Attribute(node, id, name, BOOLEAN);
    attribute->m_value[0] = value ? 1.0 : 0.0;
    attribute->m_default[0] = attribute->m_value[0];
    return attribute;
}

Attribute* Attribute::CreatePoint(Node* node, uint32_t id, const std::string& name, Point value,
                                  double minimum, double maximum, double single_step,
                                  int decimals) {
    Attribute* attribute = new Attribute(node, id, name, POINT);
    attribute->m_value[0] = attribute->m_default[0] = value.x;
    attribute->m_value[1] = attribute->m_default[1] = value.y;
    attribute->m_minimum = minimum;
    attribute->m_maximum = maximum;
    attribute->m_single_step = single_step;
    attribute->m_decimals = decimals;
    return attribute;
}

Attribute* Attribute::CreateFrame(Node* node, uint32_t id, const std::string& name, Frame value) {
    Attribute* attribute = new Attribute(node, id, name, FRAME);
    const double values[4] = {value.x, value.y, value.width, value.height};
    std::copy(values, values + 4, attribute->m_value);
    std::copy(values, values + 4, attribute->m_default);
    return attribute;
}

Attribute* Attribute::CreateRgbo(Node* node, uint32_t id, const std::string& name, Rgbo value) {
    Attribute* attribute = new Attribute(node, id, name, RGBO);
    const double values[4] = {value.r, value.g, value.b, value.o};
    std::copy(values, values + 4, attribute->m_value);
    std::copy(values, values + 4, attribute->m_default);
    return attribute;
}

Attribute::~Attribute() = default;

const std::string& Attribute::GetTypeName() const {
    return TypeWord(m_type);
}

const std::string& Attribute::TypeWord(Type type) {
    static const std::string kUnknown;
    return type < kTypeWords.size() ? kTypeWords[type] : kUnknown;
}

bool Attribute::TypeFromWord(const std::string& word, Type& type) {
    auto found = std::find(kTypeWords.begin(), kTypeWords.end(), word);
    if (found == kTypeWords.end()) {
        return false;
    }
    type = Type(found - kTypeWords.begin());
    return true;
}

void Attribute::SetBoolean(bool value, bool notify) {
    m_value[0] = value ? 1.0 : 0.0;
    Changed(notify);
}

void Attribute::SetNumber(double value, bool notify) {
    m_value[0] = value;
    Changed(notify);
}

void Attribute::SetPoint(const Point& value, bool notify) {
    m_value[0] = value.x;
    m_value[1] = value.y;
    Changed(notify);
}

void Attribute::SetFrame(const Frame& value, bool notify) {
    m_value[0] = value.x;
    m_value[1] = value.y;
    m_value[2] = value.width;
    m_value[3] = value.height;
    Changed(notify);
}

void Attribute::SetRgbo(const Rgbo& value, bool notify) {
    m_value[0] = value.r;
    m_value[1] = value.g;
    m_value[2] = value.b;
    m_value[3] = value.o;
    Changed(notify);
}

void Attribute::SetString(const std::string& value, bool notify) {
    m_text = value;
    Changed(notify);
}

std::string Attribute::GetChoice() const {
    if (m_choice_index < 0 || size_t(m_choice_index) >= m_choice_names.size()) {
        return {};
    }
    return m_choice_names[m_choice_index];
}

bool Attribute::SetChoice(const std::string& name, bool notify) {
    auto found = std::find(m_choice_names.begin(), m_choice_names.end(), name);
    if (found == m_choice_names.end()) {
        return false;
    }
    return SetChoiceIndex(int(found - m_choice_names.begin()), notify);
}

bool Attribute::SetChoiceIndex(int index, bool notify) {
    if (index < 0 || size_t(index) >= m_choice_names.size()) {
        return false;
    }
    m_choice_index = index;
    Changed(notify);
    return true;
}

void Attribute::SetChoiceNames(const std::string& joined) {
    const std::string selected = GetChoice();
    m_choice_names = SplitChoices(joined);
    auto found = std::find(m_choice_names.begin(), m_choice_names.end(), selected);
    m_choice_index = found == m_choice_names.end() ? 0 : int(found - m_choice_names.begin());
    Changed(false);
}

int Attribute::GetInteger() const {
    switch (m_type) {
        case CHOICE:
            return m_choice_index;
        case BOOLEAN:
            return GetBoolean() ? 1 : 0;
        default:
            break;
    }
    if (std::isnan(m_value[0])) {
        return 0;
    }
    return int(std::clamp(std::round(m_value[0]), double(INT_MIN), double(INT_MAX)));
}

std::string Attribute::GetValueText() const {
    switch (m_type) {
        case BOOLEAN:
            return GetBoolean() ? "1" : "0";
        case NUMBER:
            return NumbersText(m_value, 1);
        case POINT:
            return NumbersText(m_value, 2);
        case FRAME:
        case RGBO:
            return NumbersText(m_value, 4);
        case CHOICE:
            return GetChoice();
        case STRING:
            return m_text;
    }
    return {};
}

bool Attribute::GetEditRange(double& minimum, double& maximum) const {
    switch (m_type) {
        case NUMBER:
        case POINT:
            minimum = std::isfinite(m_minimum) ? m_minimum : -kEditLimit;
            maximum = std::isfinite(m_maximum) ? m_maximum : kEditLimit;
            if (minimum > maximum) {
                std::swap(minimum, maximum);
            }
            return true;
        case FRAME:
            minimum = -kEditLimit;
            maximum = kEditLimit;
            return true;
        case RGBO:
            minimum = 0.0;
            maximum = 1.0;
            return true;
        default:
            return false;
    }
}

bool Attribute::SetValueText(const std::string& text, bool notify) {
    double values[4];
    switch (m_type) {
        case BOOLEAN:
            if (text == "1" || text == "true") {
                SetBoolean(true, notify);
            } else if (text == "0" || text == "false") {
                SetBoolean(false, notify);
            } else {
                return false;
            }
            return true;
        case NUMBER:
            if (!ParseNumbers(text, 1, values)) {
                return false;
            }
            SetNumber(values[0], notify);
            return true;
        case POINT:
            if (!ParseNumbers(text, 2, values)) {
                return false;
            }
            SetPoint({values[0], values[1]}, notify);
            return true;
        case FRAME:
            if (!ParseNumbers(text, 4, values)) {
                return false;
            }
            SetFrame({values[0], values[1], values[2], values[3]}, notify);
            return true;
        case RGBO:
            if (!ParseNumbers(text, 4, values)) {
                return false;
            }
            SetRgbo({values[0], values[1], values[2], values[3]}, notify);
            return true;
        case CHOICE:
            return SetChoice(text, notify);
        case STRING:
            SetString(text, notify);
            return true;
    }
    return false;
}

void Attribute::Changed(bool notify) {
    if (m_node) {
        m_node->AttributeChanged(*this, notify);
    }
}
