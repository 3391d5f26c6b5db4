#include "host/NodeInterface.h"

NodeInterface::~NodeInterface() = default;

QWidget* NodeInterface::CreateAttributesWidget(Node*, QWidget*, intptr_t) {
    return nullptr;
}

std::string NodeInterface::GetCategory() const {
    return {};
}

std::string NodeInterface::GetIconPath() const {
    return {};
}

std::string NodeInterface::GetSmallIconPath() const {
    return {};
}

std::string NodeInterface::GetDisplayMode() const {
    return "as_is";
}
