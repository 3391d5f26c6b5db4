#pragma once

#include <string>
#include <vector>

#include "host/HostExport.h"
#include "host/Image.h"
#include "host/MaterialTemplate.h"
#include "host/RefCounter.h"
#include "host/RefPtr.h"

// A set of named images following a template. Holds a reference to each image.
class QM_HOST_API Material : public RefCounter {
public:
    explicit Material(const MaterialTemplate& material_template);
    // Deep copy: the images are copied too.
    Material(const Material& other);
    Material& operator=(const Material&) = delete;
    ~Material() override;

    const MaterialTemplate& GetTemplate() const { return m_template; }
    // Null when the material has no image of that name.
    Image* GetImage(const std::string& name) const;
    // Stores the image (taking a reference) under the name; null removes it. Names outside the
    // template are kept as well.
    void SetImage(const std::string& name, Image* image);
    // Names of the images held, in template order, then the others in the order they were set.
    std::vector<std::string> GetImageNames() const;

private:
    struct Entry {
        std::string m_name;
        RefPtr<Image> m_image;
    };
    MaterialTemplate m_template;
    std::vector<Entry> m_images;
};
