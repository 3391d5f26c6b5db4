#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/Node.h"
#include "host/Point.h"

class Image;

// One output of a run, copied out of the node while the engine is locked, so that it can be
// turned into Python objects once the lock is given back.
class RunOutput {
public:
    struct Pixels {
        bool m_present = false;
        uint32_t m_width = 0;
        uint32_t m_height = 0;
        std::vector<float> m_data;
    };

    // Copies the outplug's value.
    RunOutput(Node& node, uint32_t outplug);

    std::string m_name;
    Node::Value::Type m_type;
    bool m_boolean = false;
    std::array<double, 4> m_numbers{};
    std::string m_text;
    Pixels m_image;
    // Material images by name, in the material's order.
    std::vector<std::pair<std::string, Pixels>> m_material;
    std::vector<std::vector<Point>> m_curves;
    // Written files when the run saves: the image's, or the material images' by name.
    std::string m_file;
    std::vector<std::pair<std::string, std::string>> m_material_files;

    static Pixels CopyPixels(const Image* image);
};
