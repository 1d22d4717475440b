// The host's material: a name, a colour with alpha, the shading factors and
// the names of its texture maps.
#pragma once

#include <string>

struct MQDocumentRec;
struct MQMaterialRec;
typedef MQMaterialRec* MQMaterial;

struct MQColor {
    float r, g, b;
};

struct MQMaterialRec {
    std::string name;
    MQColor color{1.0f, 1.0f, 1.0f};
    float alpha = 1.0f;
    float diffuse = 0.8f;
    float ambient = 0.6f;
    float emission = 0.0f;
    float specular = 0.0f;
    float power = 5.0f;
    std::string textureName;
    std::string alphaName;
    std::string bumpName;
    MQDocumentRec* document = nullptr;  // the owner once added, else null
};
