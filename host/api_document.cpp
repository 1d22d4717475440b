// The document functions of the C interface, and the scene functions this
// host does not offer.
#include "host/mq_functions.h"
#include "host/unoffered.h"

int MQAPICALL MQDoc_GetObjectCount(MQDocument doc) { return doc ? doc->ObjectCount() : 0; }

MQObject MQAPICALL MQDoc_GetObject(MQDocument doc, int slot) {
    return doc ? doc->Object(slot) : nullptr;
}

int MQAPICALL MQDoc_GetCurrentObjectIndex(MQDocument doc) { return doc ? doc->currentObject : -1; }

void MQAPICALL MQDoc_SetCurrentObjectIndex(MQDocument doc, int slot) {
    if (doc && doc->Object(slot)) doc->currentObject = slot;
}

int MQAPICALL MQDoc_AddObject(MQDocument doc, MQObject object) {
    return doc ? doc->AddObject(object) : -1;
}

void MQAPICALL MQDoc_DeleteObject(MQDocument doc, int slot) {
    if (doc) doc->DeleteObject(slot);
}

int MQAPICALL MQDoc_GetObjectIndex(MQDocument doc, MQObject object) {
    return doc ? doc->ObjectIndex(object) : -1;
}

int MQAPICALL MQDoc_InsertObject(MQDocument doc, MQObject object, MQObject before) {
    if (doc == nullptr || object == nullptr || object->document != nullptr) return -1;
    int slot = doc->ObjectIndex(before);
    if (slot < 0) return doc->AddObject(object);
    object->document = doc;
    doc->objects.insert(doc->objects.begin() + slot, object);
    if (doc->currentObject >= slot) ++doc->currentObject;
    return slot;
}

int MQAPICALL MQDoc_GetMaterialCount(MQDocument doc) { return doc ? doc->MaterialCount() : 0; }

MQMaterial MQAPICALL MQDoc_GetMaterial(MQDocument doc, int slot) {
    return doc ? doc->Material(slot) : nullptr;
}

int MQAPICALL MQDoc_GetCurrentMaterialIndex(MQDocument doc) { return doc ? doc->currentMaterial : -1; }

void MQAPICALL MQDoc_SetCurrentMaterialIndex(MQDocument doc, int slot) {
    if (doc && doc->Material(slot)) doc->currentMaterial = slot;
}

int MQAPICALL MQDoc_AddMaterial(MQDocument doc, MQMaterial material) {
    return doc ? doc->AddMaterial(material) : -1;
}

void MQAPICALL MQDoc_DeleteMaterial(MQDocument doc, int slot) {
    if (doc) doc->DeleteMaterial(slot);
}

void MQAPICALL MQDoc_Compact(MQDocument doc) {
    if (doc) doc->Compact();
}

void MQAPICALL MQDoc_ClearSelect(MQDocument doc, DWORD) {
    if (doc) doc->ClearSelect();
}

BOOL MQAPICALL MQDoc_AddSelectVertex(MQDocument, int, int) {
    HOST_UNOFFERED("MQDoc_AddSelectVertex");
    return FALSE;
}

BOOL MQAPICALL MQDoc_DeleteSelectVertex(MQDocument, int, int) {
    HOST_UNOFFERED("MQDoc_DeleteSelectVertex");
    return FALSE;
}

BOOL MQAPICALL MQDoc_IsSelectVertex(MQDocument, int, int) {
    HOST_UNOFFERED("MQDoc_IsSelectVertex");
    return FALSE;
}

BOOL MQAPICALL MQDoc_AddSelectLine(MQDocument, int, int, int) {
    HOST_UNOFFERED("MQDoc_AddSelectLine");
    return FALSE;
}

BOOL MQAPICALL MQDoc_DeleteSelectLine(MQDocument, int, int, int) {
    HOST_UNOFFERED("MQDoc_DeleteSelectLine");
    return FALSE;
}

BOOL MQAPICALL MQDoc_IsSelectLine(MQDocument, int, int, int) {
    HOST_UNOFFERED("MQDoc_IsSelectLine");
    return FALSE;
}

BOOL MQAPICALL MQDoc_AddSelectFace(MQDocument doc, int slot, int face) {
    return doc && doc->SelectFace(slot, face, true) ? TRUE : FALSE;
}

BOOL MQAPICALL MQDoc_DeleteSelectFace(MQDocument doc, int slot, int face) {
    return doc && doc->SelectFace(slot, face, false) ? TRUE : FALSE;
}

BOOL MQAPICALL MQDoc_IsSelectFace(MQDocument doc, int slot, int face) {
    return doc && doc->IsSelectFace(slot, face) ? TRUE : FALSE;
}

BOOL MQAPICALL MQDoc_AddSelectUVVertex(MQDocument, int, int, int) {
    HOST_UNOFFERED("MQDoc_AddSelectUVVertex");
    return FALSE;
}

BOOL MQAPICALL MQDoc_DeleteSelectUVVertex(MQDocument, int, int, int) {
    HOST_UNOFFERED("MQDoc_DeleteSelectUVVertex");
    return FALSE;
}

BOOL MQAPICALL MQDoc_IsSelectUVVertex(MQDocument, int, int, int) {
    HOST_UNOFFERED("MQDoc_IsSelectUVVertex");
    return FALSE;
}

BOOL MQAPICALL MQDoc_FindMappingFile(MQDocument, char* path, const char*, DWORD) {
    HOST_UNOFFERED("MQDoc_FindMappingFile");
    if (path) path[0] = '\0';
    return FALSE;
}

MQScene MQAPICALL MQDoc_GetScene(MQDocument, int) {
    HOST_UNOFFERED("MQDoc_GetScene");
    return nullptr;
}

MQObject MQAPICALL MQDoc_GetParentObject(MQDocument, MQObject) {
    HOST_UNOFFERED("MQDoc_GetParentObject");
    return nullptr;
}

int MQAPICALL MQDoc_GetChildObjectCount(MQDocument, MQObject) {
    HOST_UNOFFERED("MQDoc_GetChildObjectCount");
    return 0;
}

MQObject MQAPICALL MQDoc_GetChildObject(MQDocument, MQObject, int) {
    HOST_UNOFFERED("MQDoc_GetChildObject");
    return nullptr;
}

void MQAPICALL MQDoc_GetGlobalMatrix(MQDocument, MQObject, float*) {
    HOST_UNOFFERED("MQDoc_GetGlobalMatrix");
}

void MQAPICALL MQDoc_GetGlobalInverseMatrix(MQDocument, MQObject, float*) {
    HOST_UNOFFERED("MQDoc_GetGlobalInverseMatrix");
}

void MQAPICALL MQScene_InitSize(MQScene, int, int) { HOST_UNOFFERED("MQScene_InitSize"); }

void MQAPICALL MQScene_GetProjMatrix(MQScene, float*) { HOST_UNOFFERED("MQScene_GetProjMatrix"); }

void MQAPICALL MQScene_GetViewMatrix(MQScene, float*) { HOST_UNOFFERED("MQScene_GetViewMatrix"); }

BOOL MQAPICALL MQScene_FloatValue(MQScene, int, float*) {
    HOST_UNOFFERED("MQScene_FloatValue");
    return FALSE;
}

BOOL MQAPICALL MQScene_GetVisibleFace(MQScene, MQObject, BOOL*) {
    HOST_UNOFFERED("MQScene_GetVisibleFace");
    return FALSE;
}
