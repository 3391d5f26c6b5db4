#include "programs/quillmar/ValueFormat.h"

#include <QJsonArray>
#include <QString>

#include <charconv>
#include <cmath>
#include <system_error>

const char* ValueFormat::TypeWord(Node::Value::Type type) {
    switch (type) {
        case Node::Value::None:
            break;
        case Node::Value::Boolean:
            return "boolean";
        case Node::Value::Number:
            return "number";
        case Node::Value::Point:
            return "point";
        case Node::Value::Frame:
            return "frame";
        case Node::Value::Rgbo:
            return "color";
        case Node::Value::String:
            return "string";
        case Node::Value::Image:
            return "image";
        case Node::Value::Texture:
            return "texture";
        case Node::Value::Curve:
            return "curves";
        case Node::Value::Material:
            return "material";
    }
    return "none";
}

const char* ValueFormat::TypeWord(Attribute::Type type) {
    switch (type) {
        case Attribute::BOOLEAN:
            return "boolean";
        case Attribute::NUMBER:
            return "number";
        case Attribute::POINT:
            return "point";
        case Attribute::FRAME:
            return "frame";
        case Attribute::RGBO:
            return "color";
        case Attribute::CHOICE:
            return "choice";
        case Attribute::STRING:
            return "string";
    }
    return "none";
}

std::string ValueFormat::Number(double value) {
    char buffer[64];
    // Plain decimals for the everyday magnitudes (100000 rather than 1e+05), the shortest form
    // with an exponent for the others; both read back exactly.
    const double magnitude = std::fabs(value);
    const bool plain = magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e15);
    const std::to_chars_result result =
        plain ? std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed)
              : std::to_chars(buffer, buffer + sizeof(buffer), value);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("?");
}

std::string ValueFormat::Numbers(const double* values, int count) {
    std::string text;
    for (int index = 0; index < count; ++index) {
        text += (index ? "," : "") + Number(values[index]);
    }
    return text;
}

QJsonValue ValueFormat::NumbersJson(const double* values, int count) {
    QJsonArray array;
    for (int index = 0; index < count; ++index) {
        array.append(values[index]);
    }
    return array;
}

bool ValueFormat::HasRange(const Attribute& attribute) {
    return (attribute.GetType() == Attribute::NUMBER || attribute.GetType() == Attribute::POINT) &&
           attribute.GetMinimum() < attribute.GetMaximum();
}

std::string ValueFormat::AttributeText(const Attribute& attribute) {
    switch (attribute.GetType()) {
        case Attribute::BOOLEAN:
            return attribute.GetBoolean() ? "true" : "false";
        case Attribute::CHOICE:
            return attribute.GetChoice();
        case Attribute::STRING:
            return attribute.GetString();
        default:
            return attribute.GetValueText();
    }
}

QJsonValue ValueFormat::AttributeJson(const Attribute& attribute) {
    switch (attribute.GetType()) {
        case Attribute::BOOLEAN:
            return attribute.GetBoolean();
        case Attribute::NUMBER:
            return attribute.GetNumber();
        case Attribute::POINT: {
            const Point point = attribute.GetPoint();
            const double values[] = {point.x, point.y};
            return NumbersJson(values, 2);
        }
        case Attribute::FRAME: {
            const Frame frame = attribute.GetFrame();
            const double values[] = {frame.x, frame.y, frame.width, frame.height};
            return NumbersJson(values, 4);
        }
        case Attribute::RGBO: {
            const Rgbo rgbo = attribute.GetRgbo();
            const double values[] = {rgbo.r, rgbo.g, rgbo.b, rgbo.o};
            return NumbersJson(values, 4);
        }
        case Attribute::CHOICE:
            return QString::fromStdString(attribute.GetChoice());
        case Attribute::STRING:
            return QString::fromStdString(attribute.GetString());
    }
    return QJsonValue();
}
