#include "host/MaterialTemplate.h"

const MaterialTemplate& MaterialTemplate::Pbr() {
    static const MaterialTemplate pbr("pbr",
                                      {"base_color", "normal", "roughness", "metallic", "height"});
    return pbr;
}
