#include "host/Node.h"

#include <utility>

namespace {

// Copies or moves the data (never the lock); only the string has anything to move.
template <typename From>
void TransferData(From&& from, Node::Value& to) {
    to.m_type = from.m_type;
    to.m_owner = from.m_owner;
    to.m_boolean = from.m_boolean;
    to.m_number = from.m_number;
    to.m_point = from.m_point;
    to.m_frame = from.m_frame;
    to.m_rgbo = from.m_rgbo;
    to.m_string = std::forward<From>(from).m_string;
    to.m_image = from.m_image;
    to.m_curves = from.m_curves;
    to.m_material = from.m_material;
}

}  // namespace

Node::Value::Value(const Value& other) {
    TransferData(other, *this);
}

Node::Value& Node::Value::operator=(const Value& other) {
    if (this != &other) {
        if (m_locked_node) {
            std::exchange(m_locked_node, nullptr)->UnlockShared();
        }
        TransferData(other, *this);
    }
    return *this;
}

Node::Value::Value(Value&& other) noexcept {
    TransferData(std::move(other), *this);
    m_locked_node = std::exchange(other.m_locked_node, nullptr);
}

Node::Value& Node::Value::operator=(Value&& other) noexcept {
    if (this != &other) {
        if (m_locked_node) {
            m_locked_node->UnlockShared();
        }
        TransferData(std::move(other), *this);
        m_locked_node = std::exchange(other.m_locked_node, nullptr);
    }
    return *this;
}

Node::Value::~Value() {
    if (m_locked_node) {
        m_locked_node->UnlockShared();
    }
}

void Node::Value::Clear() {
    m_type = None;
    m_boolean = false;
    m_number = 0.0;
    m_point = {};
    m_frame = {};
    m_rgbo = {};
    m_string.clear();
    m_image = nullptr;
    m_curves = nullptr;
    m_material = nullptr;
}
