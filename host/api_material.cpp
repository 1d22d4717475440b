// The material functions of the C interface.
#include "host/mq_functions.h"
#include "host/unoffered.h"

void MQAPICALL MQMat_Delete(MQMaterial m) {
    if (m && m->document == nullptr) delete m;
}

int MQAPICALL MQMat_GetIntValue(MQMaterial, int) {
    HOST_UNOFFERED("MQMat_GetIntValue");
    return 0;
}

void MQAPICALL MQMat_SetIntValue(MQMaterial, int, int) { HOST_UNOFFERED("MQMat_SetIntValue"); }

void MQAPICALL MQMat_GetFloatArray(MQMaterial, int, float*) { HOST_UNOFFERED("MQMat_GetFloatArray"); }

void MQAPICALL MQMat_SetFloatArray(MQMaterial, int, const float*) { HOST_UNOFFERED("MQMat_SetFloatArray"); }

void MQAPICALL MQMat_GetName(MQMaterial m, char* buffer, int size) {
    CopyText(m ? m->name : std::string(), buffer, size);
}

MQColor MQAPICALL MQMat_GetColor(MQMaterial m) { return m ? m->color : MQColor{0.0f, 0.0f, 0.0f}; }

float MQAPICALL MQMat_GetAlpha(MQMaterial m) { return m ? m->alpha : 0.0f; }
float MQAPICALL MQMat_GetDiffuse(MQMaterial m) { return m ? m->diffuse : 0.0f; }
float MQAPICALL MQMat_GetAmbient(MQMaterial m) { return m ? m->ambient : 0.0f; }
float MQAPICALL MQMat_GetEmission(MQMaterial m) { return m ? m->emission : 0.0f; }
float MQAPICALL MQMat_GetSpecular(MQMaterial m) { return m ? m->specular : 0.0f; }
float MQAPICALL MQMat_GetPower(MQMaterial m) { return m ? m->power : 0.0f; }

void MQAPICALL MQMat_GetTextureName(MQMaterial m, char* buffer, int size) {
    CopyText(m ? m->textureName : std::string(), buffer, size);
}

void MQAPICALL MQMat_GetAlphaName(MQMaterial m, char* buffer, int size) {
    CopyText(m ? m->alphaName : std::string(), buffer, size);
}

void MQAPICALL MQMat_GetBumpName(MQMaterial m, char* buffer, int size) {
    CopyText(m ? m->bumpName : std::string(), buffer, size);
}

void MQAPICALL MQMat_SetName(MQMaterial m, const char* name) {
    if (m) m->name = name ? name : "";
}

void MQAPICALL MQMat_SetColor(MQMaterial m, MQColor color) {
    if (m) m->color = color;
}

void MQAPICALL MQMat_SetAlpha(MQMaterial m, float value) {
    if (m) m->alpha = value;
}

void MQAPICALL MQMat_SetDiffuse(MQMaterial m, float value) {
    if (m) m->diffuse = value;
}

void MQAPICALL MQMat_SetAmbient(MQMaterial m, float value) {
    if (m) m->ambient = value;
}

void MQAPICALL MQMat_SetEmission(MQMaterial m, float value) {
    if (m) m->emission = value;
}

void MQAPICALL MQMat_SetSpecular(MQMaterial m, float value) {
    if (m) m->specular = value;
}

void MQAPICALL MQMat_SetPower(MQMaterial m, float value) {
    if (m) m->power = value;
}

void MQAPICALL MQMat_SetTextureName(MQMaterial m, const char* name) {
    if (m) m->textureName = name ? name : "";
}

void MQAPICALL MQMat_SetAlphaName(MQMaterial m, const char* name) {
    if (m) m->alphaName = name ? name : "";
}

void MQAPICALL MQMat_SetBumpName(MQMaterial m, const char* name) {
    if (m) m->bumpName = name ? name : "";
}
