#pragma once

class NodeTypeRegistry;

// The host's own node types: values, images, materials, curves and files.
class StandardNodeLibrary {
public:
    // Registers every standard type with its interface and factory.
    static void Register(NodeTypeRegistry& registry);
};
