#pragma once

#include <string>

#include <QJsonValue>

#include "host/Attribute.h"
#include "host/Node.h"

// How the quillmar commands name value types and write values, in text and in JSON.
class ValueFormat {
public:
    // number, point, frame, color, boolean, string, image, texture, curves, material; "none".
    static const char* TypeWord(Node::Value::Type type);
    // boolean, number, point, frame, color, choice, string.
    static const char* TypeWord(Attribute::Type type);
    // The shortest text that reads back as the same double.
    static std::string Number(double value);
    // The numbers joined by commas, as a command line takes them back.
    static std::string Numbers(const double* values, int count);
    // A JSON array of the numbers.
    static QJsonValue NumbersJson(const double* values, int count);

    // Whether the attribute is a number or point with a range (minimum below maximum).
    static bool HasRange(const Attribute& attribute);
    // The attribute's value: text as --set takes it back; JSON typed (a number, an array of
    // numbers, a boolean or a string).
    static std::string AttributeText(const Attribute& attribute);
    static QJsonValue AttributeJson(const Attribute& attribute);
};
