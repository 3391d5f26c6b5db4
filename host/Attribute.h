#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Frame.h"
#include "host/HostExport.h"
#include "host/Point.h"
#include "host/RefCounter.h"
#include "host/Rgbo.h"

class Node;

// One attribute of a node: a typed value with its definition (default, range, step, decimals,
// choice names). The node's attribute list holds a reference to each; the attribute keeps a plain
// pointer back to its node and tells it when the value changes, so that the node's attribute inplug
// and everything downstream become dirty.
class QM_HOST_API Attribute : public RefCounter {
public:
    enum Type : uint32_t {
        BOOLEAN = 0,
        NUMBER = 1,
        POINT = 2,
        FRAME = 3,
        RGBO = 4,
        CHOICE = 5,
        STRING = 6,
    };

    // STRING attribute holding text.
    Attribute(Node* node, uint32_t id, const std::string& name, const std::string& text);
    // CHOICE attribute; choices are comma-separated, the default index is clamped into the list.
    Attribute(Node* node, uint32_t id, const std::string& name, int default_choice,
              const std::string& choices);
    // NUMBER attribute.
    Attribute(Node* node, uint32_t id, const std::string& name, double value, double minimum,
              double maximum, double single_step, int decimals);

    static Attribute* CreateBoolean(Node* node, uint32_t id, const std::string& name, bool value);
    static Attribute* CreatePoint(Node* node, uint32_t id, const std::string& name, Point value,
                                  double minimum, double maximum, double single_step, int decimals);
    static Attribute* CreateFrame(Node* node, uint32_t id, const std::string& name, Frame value);
    static Attribute* CreateRgbo(Node* node, uint32_t id, const std::string& name, Rgbo value);

    ~Attribute() override;

    Type GetType() const { return m_type; }
    // "BOOLEAN", "NUMBER", "POINT", "FRAME", "RGBO", "CHOICE" or "STRING".
    const std::string& GetTypeName() const;
    static const std::string& TypeWord(Type type);
    // False for an unknown word.
    static bool TypeFromWord(const std::string& word, Type& type);

    const std::string& GetName() const { return m_name; }
    uint32_t GetId() const { return m_id; }
    Node* GetNode() const { return m_node; }

    // The typed accessors read and write the value whatever the type; a setter's notify flag, when
    // true, also posts an attribute-changed event to the node (for panels). Dirtying downstream
    // happens either way.
    bool GetBoolean() const { return m_value[0] != 0.0; }
    void SetBoolean(bool value, bool notify);
    double GetNumber() const { return m_value[0]; }
    void SetNumber(double value, bool notify);
    Point GetPoint() const { return {m_value[0], m_value[1]}; }
    void SetPoint(const Point& value, bool notify);
    Frame GetFrame() const { return {m_value[0], m_value[1], m_value[2], m_value[3]}; }
    void SetFrame(const Frame& value, bool notify);
    Rgbo GetRgbo() const { return {m_value[0], m_value[1], m_value[2], m_value[3]}; }
    void SetRgbo(const Rgbo& value, bool notify);
    const std::string& GetString() const { return m_text; }
    void SetString(const std::string& value, bool notify);

    // CHOICE: the selected choice's name (empty when the list is empty).
    std::string GetChoice() const;
    // Selects the choice with that name; returns false (nothing changes) when there is none.
    bool SetChoice(const std::string& name, bool notify);
    bool SetChoiceIndex(int index, bool notify);
    const std::vector<std::string>& GetChoiceNames() const { return m_choice_names; }
    // Replaces the choices from comma-joined names; the selection keeps its name when it still
    // exists, else falls back to the first choice.
    void SetChoiceNames(const std::string& joined);

    // CHOICE: the selected index. BOOLEAN: 0 or 1. Other types: the first value rounded to the
    // nearest integer.
    int GetInteger() const;

    double GetMinimum() const { return m_minimum; }
    double GetMaximum() const { return m_maximum; }
    double GetSingleStep() const { return m_single_step; }
    int GetDecimals() const { return m_decimals; }

    // Panels and command lines take a number into an attribute only within these limits (the
    // same for every component): NUMBER and POINT their range, ordered, a side that is not
    // finite at +-kEditLimit; FRAME +-kEditLimit; RGBO 0 to 1. False for the other types.
    static constexpr double kEditLimit = 1e9;
    bool GetEditRange(double& minimum, double& maximum) const;

    // Value as project-file text: BOOLEAN "0"/"1", NUMBER exact decimal, POINT "x,y",
    // FRAME "x,y,w,h", RGBO "r,g,b,o", CHOICE the choice name, STRING the text.
    std::string GetValueText() const;
    // Parses that text; false (value unchanged) when it does not fit the type.
    bool SetValueText(const std::string& text, bool notify);

    // Definition fields that panels may write in place. The maximum is declared before the
    // minimum.
    double m_default[4] = {0.0, 0.0, 0.0, 0.0};
    double m_maximum = 0.0;
    double m_minimum = 0.0;
    double m_single_step = 1.0;
    int m_decimals = 0;

private:
    Attribute(Node* node, uint32_t id, const std::string& name, Type type);
    void Changed(bool notify);

    friend class Node;
    friend class DynamicNode;

    Node* m_node;
    uint32_t m_id;
    std::string m_name;
    Type m_type;
    double m_value[4] = {0.0, 0.0, 0.0, 0.0};
    std::string m_text;
    std::vector<std::string> m_choice_names;
    int m_choice_index = 0;
};
