#pragma once

#include <string>
#include <vector>

#include "host/HostExport.h"

// The shape of a material: its template name and the names of the images it holds, in order.
class QM_HOST_API MaterialTemplate {
public:
    MaterialTemplate() = default;
    MaterialTemplate(std::string name, std::vector<std::string> image_names)
        : m_name(std::move(name)), m_image_names(std::move(image_names)) {}

    const std::string& GetName() const { return m_name; }
    const std::vector<std::string>& GetImageNames() const { return m_image_names; }

    // "pbr": base_color, normal, roughness, metallic, height.
    static const MaterialTemplate& Pbr();

private:
    std::string m_name;
    std::vector<std::string> m_image_names;
};
