#include "host/Material.h"

#include <algorithm>

Material::Material(const MaterialTemplate& material_template) : m_template(material_template) {}

Material::Material(const Material& other) : RefCounter(other), m_template(other.m_template) {
    m_images.reserve(other.m_images.size());
    for (const Entry& entry : other.m_images) {
        m_images.push_back({entry.m_name, RefPtr<Image>(new Image(*entry.m_image))});
    }
}

Material::~Material() = default;

Image* Material::GetImage(const std::string& name) const {
    for (const Entry& entry : m_images) {
        if (entry.m_name == name) {
            return entry.m_image.Get();
        }
    }
    return nullptr;
}

void Material::SetImage(const std::string& name, Image* image) {
    auto found = std::find_if(m_images.begin(), m_images.end(),
                              [&](const Entry& entry) { return entry.m_name == name; });
    if (!image) {
        if (found != m_images.end()) {
            m_images.erase(found);
        }
    } else if (found != m_images.end()) {
        found->m_image = image;
    } else {
        m_images.push_back({name, RefPtr<Image>(image)});
    }
}

std::vector<std::string> Material::GetImageNames() const {
    std::vector<std::string> names;
    const std::vector<std::string>& template_names = m_template.GetImageNames();
    for (const std::string& name : template_names) {
        if (GetImage(name)) {
            names.push_back(name);
        }
    }
    for (const Entry& entry : m_images) {
        if (std::find(template_names.begin(), template_names.end(), entry.m_name) ==
            template_names.end()) {
            names.push_back(entry.m_name);
        }
    }
    return names;
}
