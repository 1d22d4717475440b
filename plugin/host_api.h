// HostApi: the host's functions, bound by name in MQInit and called through
// this table. One entry per distinct host name, in lookup order; the names the
// module calls carry their signatures, the others are bound and never called.
#pragma once

#include "plugin/mq_host.h"

// The host names in lookup order (141 lookups; MQ_GetSystemPath appears twice
// and both lookups fill the same entry). X(name) per lookup.
#define MQ_HOST_LOOKUP_ORDER(X) \
    X(MQ_GetWindowHandle) \
    X(MQ_CreateObject) \
    X(MQ_CreateMaterial) \
    X(MQ_ShowFileDialog) \
    X(MQ_ImportAxis) \
    X(MQ_ExportAxis) \
    X(MQ_LoadImage) \
    X(MQ_GetSystemPath) \
    X(MQ_RefreshView) \
    X(MQ_GetSystemPath) \
    X(MQ_StationCallback) \
    X(MQ_SendMessage) \
    X(MQDoc_GetObjectCount) \
    X(MQDoc_GetObject) \
    X(MQDoc_GetCurrentObjectIndex) \
    X(MQDoc_SetCurrentObjectIndex) \
    X(MQDoc_AddObject) \
    X(MQDoc_DeleteObject) \
    X(MQDoc_GetObjectIndex) \
    X(MQDoc_GetMaterialCount) \
    X(MQDoc_GetMaterial) \
    X(MQDoc_GetCurrentMaterialIndex) \
    X(MQDoc_SetCurrentMaterialIndex) \
    X(MQDoc_AddMaterial) \
    X(MQDoc_DeleteMaterial) \
    X(MQDoc_Compact) \
    X(MQDoc_ClearSelect) \
    X(MQDoc_AddSelectVertex) \
    X(MQDoc_DeleteSelectVertex) \
    X(MQDoc_IsSelectVertex) \
    X(MQDoc_AddSelectLine) \
    X(MQDoc_DeleteSelectLine) \
    X(MQDoc_IsSelectLine) \
    X(MQDoc_AddSelectFace) \
    X(MQDoc_DeleteSelectFace) \
    X(MQDoc_IsSelectFace) \
    X(MQDoc_AddSelectUVVertex) \
    X(MQDoc_DeleteSelectUVVertex) \
    X(MQDoc_IsSelectUVVertex) \
    X(MQDoc_FindMappingFile) \
    X(MQDoc_GetScene) \
    X(MQDoc_GetParentObject) \
    X(MQDoc_GetChildObjectCount) \
    X(MQDoc_GetChildObject) \
    X(MQDoc_GetGlobalMatrix) \
    X(MQDoc_GetGlobalInverseMatrix) \
    X(MQDoc_InsertObject) \
    X(MQScene_InitSize) \
    X(MQScene_GetProjMatrix) \
    X(MQScene_GetViewMatrix) \
    X(MQScene_FloatValue) \
    X(MQScene_GetVisibleFace) \
    X(MQObj_Delete) \
    X(MQObj_Clone) \
    X(MQObj_Merge) \
    X(MQObj_Freeze) \
    X(MQObj_GetName) \
    X(MQObj_GetVertexCount) \
    X(MQObj_GetVertex) \
    X(MQObj_SetVertex) \
    X(MQObj_GetVertexArray) \
    X(MQObj_GetFaceCount) \
    X(MQObj_GetFacePointCount) \
    X(MQObj_GetFacePointArray) \
    X(MQObj_GetFaceCoordinateArray) \
    X(MQObj_GetFaceMaterial) \
    X(MQObj_GetFaceUniqueID) \
    X(MQObj_GetFaceIndexFromUniqueID) \
    X(MQObj_SetName) \
    X(MQObj_AddVertex) \
    X(MQObj_DeleteVertex) \
    X(MQObj_GetVertexRefCount) \
    X(MQObj_GetVertexUniqueID) \
    X(MQObj_GetVertexIndexFromUniqueID) \
    X(MQObj_GetVertexWeight) \
    X(MQObj_SetVertexWeight) \
    X(MQObj_CopyVertexAttribute) \
    X(MQObj_AddFace) \
    X(MQObj_DeleteFace) \
    X(MQObj_InvertFace) \
    X(MQObj_SetFaceMaterial) \
    X(MQObj_SetFaceCoordinateArray) \
    X(MQObj_GetFaceVertexColor) \
    X(MQObj_SetFaceVertexColor) \
    X(MQObj_OptimizeVertex) \
    X(MQObj_Compact) \
    X(MQObj_GetVisible) \
    X(MQObj_SetVisible) \
    X(MQObj_GetPatchType) \
    X(MQObj_SetPatchType) \
    X(MQObj_GetPatchSegment) \
    X(MQObj_SetPatchSegment) \
    X(MQObj_GetShading) \
    X(MQObj_SetShading) \
    X(MQObj_GetSmoothAngle) \
    X(MQObj_SetSmoothAngle) \
    X(MQObj_GetMirrorType) \
    X(MQObj_SetMirrorType) \
    X(MQObj_GetMirrorAxis) \
    X(MQObj_SetMirrorAxis) \
    X(MQObj_GetMirrorDistance) \
    X(MQObj_SetMirrorDistance) \
    X(MQObj_GetLatheType) \
    X(MQObj_SetLatheType) \
    X(MQObj_GetLatheAxis) \
    X(MQObj_SetLatheAxis) \
    X(MQObj_GetLatheSegment) \
    X(MQObj_SetLatheSegment) \
    X(MQObj_GetIntValue) \
    X(MQObj_GetFloatArray) \
    X(MQObj_SetIntValue) \
    X(MQObj_SetFloatArray) \
    X(MQMat_Delete) \
    X(MQMat_GetIntValue) \
    X(MQMat_GetFloatArray) \
    X(MQMat_GetName) \
    X(MQMat_GetColor) \
    X(MQMat_GetAlpha) \
    X(MQMat_GetDiffuse) \
    X(MQMat_GetAmbient) \
    X(MQMat_GetEmission) \
    X(MQMat_GetSpecular) \
    X(MQMat_GetPower) \
    X(MQMat_GetTextureName) \
    X(MQMat_GetAlphaName) \
    X(MQMat_GetBumpName) \
    X(MQMat_SetIntValue) \
    X(MQMat_SetFloatArray) \
    X(MQMat_SetName) \
    X(MQMat_SetColor) \
    X(MQMat_SetAlpha) \
    X(MQMat_SetDiffuse) \
    X(MQMat_SetAmbient) \
    X(MQMat_SetEmission) \
    X(MQMat_SetSpecular) \
    X(MQMat_SetPower) \
    X(MQMat_SetTextureName) \
    X(MQMat_SetAlphaName) \
    X(MQMat_SetBumpName) \
    X(MQMatrix_FloatValue) \
    X(MQXmlElem_Value)

constexpr int kHostLookupCount = 141;
constexpr int kHostEntryCount = 140;

// Signatures of the host functions the module calls.
typedef HWND(MQAPICALL* MQ_GetWindowHandle_Fn)(void);
typedef MQObject(MQAPICALL* MQ_CreateObject_Fn)(void);
typedef int(MQAPICALL* MQDoc_GetObjectCount_Fn)(MQDocument document);
typedef MQObject(MQAPICALL* MQDoc_GetObject_Fn)(MQDocument document, int slot);
typedef int(MQAPICALL* MQDoc_AddObject_Fn)(MQDocument document, MQObject object);
typedef BOOL(MQAPICALL* MQDoc_IsSelectFace_Fn)(MQDocument document, int slot, int face);
typedef void(MQAPICALL* MQObj_Delete_Fn)(MQObject object);
typedef MQObject(MQAPICALL* MQObj_Clone_Fn)(MQObject object);
typedef BOOL(MQAPICALL* MQObj_Merge_Fn)(MQObject target, MQObject source);
typedef int(MQAPICALL* MQObj_GetVertexCount_Fn)(MQObject object);
typedef void(MQAPICALL* MQObj_GetVertex_Fn)(MQObject object, int vertex, MQPoint* point);
typedef int(MQAPICALL* MQObj_GetFaceCount_Fn)(MQObject object);
typedef int(MQAPICALL* MQObj_GetFacePointCount_Fn)(MQObject object, int face);
typedef void(MQAPICALL* MQObj_GetFacePointArray_Fn)(MQObject object, int face, int* points);
typedef void(MQAPICALL* MQObj_GetFaceCoordinateArray_Fn)(MQObject object, int face, MQCoordinate* uvs);
typedef int(MQAPICALL* MQObj_GetFaceMaterial_Fn)(MQObject object, int face);
typedef int(MQAPICALL* MQObj_AddVertex_Fn)(MQObject object, MQPoint* point);
typedef void(MQAPICALL* MQObj_CopyVertexAttribute_Fn)(MQObject target, int targetVertex, MQObject source, int sourceVertex);
typedef int(MQAPICALL* MQObj_AddFace_Fn)(MQObject object, int count, int* points);
typedef BOOL(MQAPICALL* MQObj_DeleteFace_Fn)(MQObject object, int face, BOOL deleteUnusedVertices);
typedef BOOL(MQAPICALL* MQObj_InvertFace_Fn)(MQObject object, int face);
typedef void(MQAPICALL* MQObj_SetFaceMaterial_Fn)(MQObject object, int face, int material);
typedef void(MQAPICALL* MQObj_SetFaceCoordinateArray_Fn)(MQObject object, int face, MQCoordinate* uvs);
typedef BOOL(MQAPICALL* MQObj_OptimizeVertex_Fn)(MQObject object, float distance, unsigned char* apply);
typedef void(MQAPICALL* MQObj_Compact_Fn)(MQObject object);
typedef BOOL(MQAPICALL* MQObj_GetVisible_Fn)(MQObject object);
typedef int(MQAPICALL* MQObj_GetIntValue_Fn)(MQObject object, int type);

struct HostApiTable {
    MQ_GetWindowHandle_Fn MQ_GetWindowHandle;
    MQ_CreateObject_Fn MQ_CreateObject;
    MQUntypedFunction MQ_CreateMaterial;
    MQUntypedFunction MQ_ShowFileDialog;
    MQUntypedFunction MQ_ImportAxis;
    MQUntypedFunction MQ_ExportAxis;
    MQUntypedFunction MQ_LoadImage;
    MQUntypedFunction MQ_GetSystemPath;
    MQUntypedFunction MQ_RefreshView;
    MQUntypedFunction MQ_StationCallback;
    MQUntypedFunction MQ_SendMessage;
    MQDoc_GetObjectCount_Fn MQDoc_GetObjectCount;
    MQDoc_GetObject_Fn MQDoc_GetObject;
    MQUntypedFunction MQDoc_GetCurrentObjectIndex;
    MQUntypedFunction MQDoc_SetCurrentObjectIndex;
    MQDoc_AddObject_Fn MQDoc_AddObject;
    MQUntypedFunction MQDoc_DeleteObject;
    MQUntypedFunction MQDoc_GetObjectIndex;
    MQUntypedFunction MQDoc_GetMaterialCount;
    MQUntypedFunction MQDoc_GetMaterial;
    MQUntypedFunction MQDoc_GetCurrentMaterialIndex;
    MQUntypedFunction MQDoc_SetCurrentMaterialIndex;
    MQUntypedFunction MQDoc_AddMaterial;
    MQUntypedFunction MQDoc_DeleteMaterial;
    MQUntypedFunction MQDoc_Compact;
    MQUntypedFunction MQDoc_ClearSelect;
    MQUntypedFunction MQDoc_AddSelectVertex;
    MQUntypedFunction MQDoc_DeleteSelectVertex;
    MQUntypedFunction MQDoc_IsSelectVertex;
    MQUntypedFunction MQDoc_AddSelectLine;
    MQUntypedFunction MQDoc_DeleteSelectLine;
    MQUntypedFunction MQDoc_IsSelectLine;
    MQUntypedFunction MQDoc_AddSelectFace;
    MQUntypedFunction MQDoc_DeleteSelectFace;
    MQDoc_IsSelectFace_Fn MQDoc_IsSelectFace;
    MQUntypedFunction MQDoc_AddSelectUVVertex;
    MQUntypedFunction MQDoc_DeleteSelectUVVertex;
    MQUntypedFunction MQDoc_IsSelectUVVertex;
    MQUntypedFunction MQDoc_FindMappingFile;
    MQUntypedFunction MQDoc_GetScene;
    MQUntypedFunction MQDoc_GetParentObject;
    MQUntypedFunction MQDoc_GetChildObjectCount;
    MQUntypedFunction MQDoc_GetChildObject;
    MQUntypedFunction MQDoc_GetGlobalMatrix;
    MQUntypedFunction MQDoc_GetGlobalInverseMatrix;
    MQUntypedFunction MQDoc_InsertObject;
    MQUntypedFunction MQScene_InitSize;
    MQUntypedFunction MQScene_GetProjMatrix;
    MQUntypedFunction MQScene_GetViewMatrix;
    MQUntypedFunction MQScene_FloatValue;
    MQUntypedFunction MQScene_GetVisibleFace;
    MQObj_Delete_Fn MQObj_Delete;
    MQObj_Clone_Fn MQObj_Clone;
    MQObj_Merge_Fn MQObj_Merge;
    MQUntypedFunction MQObj_Freeze;
    MQUntypedFunction MQObj_GetName;
    MQObj_GetVertexCount_Fn MQObj_GetVertexCount;
    MQObj_GetVertex_Fn MQObj_GetVertex;
    MQUntypedFunction MQObj_SetVertex;
    MQUntypedFunction MQObj_GetVertexArray;
    MQObj_GetFaceCount_Fn MQObj_GetFaceCount;
    MQObj_GetFacePointCount_Fn MQObj_GetFacePointCount;
    MQObj_GetFacePointArray_Fn MQObj_GetFacePointArray;
    MQObj_GetFaceCoordinateArray_Fn MQObj_GetFaceCoordinateArray;
    MQObj_GetFaceMaterial_Fn MQObj_GetFaceMaterial;
    MQUntypedFunction MQObj_GetFaceUniqueID;
    MQUntypedFunction MQObj_GetFaceIndexFromUniqueID;
    MQUntypedFunction MQObj_SetName;
    MQObj_AddVertex_Fn MQObj_AddVertex;
    MQUntypedFunction MQObj_DeleteVertex;
    MQUntypedFunction MQObj_GetVertexRefCount;
    MQUntypedFunction MQObj_GetVertexUniqueID;
    MQUntypedFunction MQObj_GetVertexIndexFromUniqueID;
    MQUntypedFunction MQObj_GetVertexWeight;
    MQUntypedFunction MQObj_SetVertexWeight;
    MQObj_CopyVertexAttribute_Fn MQObj_CopyVertexAttribute;
    MQObj_AddFace_Fn MQObj_AddFace;
    MQObj_DeleteFace_Fn MQObj_DeleteFace;
    MQObj_InvertFace_Fn MQObj_InvertFace;
    MQObj_SetFaceMaterial_Fn MQObj_SetFaceMaterial;
    MQObj_SetFaceCoordinateArray_Fn MQObj_SetFaceCoordinateArray;
    MQUntypedFunction MQObj_GetFaceVertexColor;
    MQUntypedFunction MQObj_SetFaceVertexColor;
    MQObj_OptimizeVertex_Fn MQObj_OptimizeVertex;
    MQObj_Compact_Fn MQObj_Compact;
    MQObj_GetVisible_Fn MQObj_GetVisible;
    MQUntypedFunction MQObj_SetVisible;
    MQUntypedFunction MQObj_GetPatchType;
    MQUntypedFunction MQObj_SetPatchType;
    MQUntypedFunction MQObj_GetPatchSegment;
    MQUntypedFunction MQObj_SetPatchSegment;
    MQUntypedFunction MQObj_GetShading;
    MQUntypedFunction MQObj_SetShading;
    MQUntypedFunction MQObj_GetSmoothAngle;
    MQUntypedFunction MQObj_SetSmoothAngle;
    MQUntypedFunction MQObj_GetMirrorType;
    MQUntypedFunction MQObj_SetMirrorType;
    MQUntypedFunction MQObj_GetMirrorAxis;
    MQUntypedFunction MQObj_SetMirrorAxis;
    MQUntypedFunction MQObj_GetMirrorDistance;
    MQUntypedFunction MQObj_SetMirrorDistance;
    MQUntypedFunction MQObj_GetLatheType;
    MQUntypedFunction MQObj_SetLatheType;
    MQUntypedFunction MQObj_GetLatheAxis;
    MQUntypedFunction MQObj_SetLatheAxis;
    MQUntypedFunction MQObj_GetLatheSegment;
    MQUntypedFunction MQObj_SetLatheSegment;
    MQObj_GetIntValue_Fn MQObj_GetIntValue;
    MQUntypedFunction MQObj_GetFloatArray;
    MQUntypedFunction MQObj_SetIntValue;
    MQUntypedFunction MQObj_SetFloatArray;
    MQUntypedFunction MQMat_Delete;
    MQUntypedFunction MQMat_GetIntValue;
    MQUntypedFunction MQMat_GetFloatArray;
    MQUntypedFunction MQMat_GetName;
    MQUntypedFunction MQMat_GetColor;
    MQUntypedFunction MQMat_GetAlpha;
    MQUntypedFunction MQMat_GetDiffuse;
    MQUntypedFunction MQMat_GetAmbient;
    MQUntypedFunction MQMat_GetEmission;
    MQUntypedFunction MQMat_GetSpecular;
    MQUntypedFunction MQMat_GetPower;
    MQUntypedFunction MQMat_GetTextureName;
    MQUntypedFunction MQMat_GetAlphaName;
    MQUntypedFunction MQMat_GetBumpName;
    MQUntypedFunction MQMat_SetIntValue;
    MQUntypedFunction MQMat_SetFloatArray;
    MQUntypedFunction MQMat_SetName;
    MQUntypedFunction MQMat_SetColor;
    MQUntypedFunction MQMat_SetAlpha;
    MQUntypedFunction MQMat_SetDiffuse;
    MQUntypedFunction MQMat_SetAmbient;
    MQUntypedFunction MQMat_SetEmission;
    MQUntypedFunction MQMat_SetSpecular;
    MQUntypedFunction MQMat_SetPower;
    MQUntypedFunction MQMat_SetTextureName;
    MQUntypedFunction MQMat_SetAlphaName;
    MQUntypedFunction MQMat_SetBumpName;
    MQUntypedFunction MQMatrix_FloatValue;
    MQUntypedFunction MQXmlElem_Value;
};

// The module-wide table, filled by MQInit and never cleared.
extern HostApiTable HostApi;
