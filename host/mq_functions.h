// The host's plug-in C interface: the 140 functions (141 lookups) that a
// module binds by name from the host program. Every function has C linkage,
// the MQAPICALL calling convention, and is exported from the program that
// links the host (see thicken_host_program in host/CMakeLists.txt).
//
// Common rules of this host:
// - Every handle may be null and every index may be out of range: the call
//   then changes nothing and answers the neutral value given (0, -1, FALSE,
//   null, or zeroed output). Output arrays must hold what the call writes.
// - Indices of vertices and faces are slots: a deleted face keeps its slot
//   with 0 points and a deleted vertex keeps its slot until MQObj_Compact.
// - Faces have 1 to 4 points (a face of 2 is a line); the host refuses more.
// - Functions marked "not offered" do nothing but print, once per function,
//   "thicken host: <name> is not offered by this host" on stderr, and answer
//   the neutral value given.
#pragma once

#include "host/document.h"
#include "host/material.h"
#include "host/object.h"
#include "plugin/mq_host.h"

// Set by the build: exports the definitions from the program.
#ifndef MQHOST_EXPORT
#define MQHOST_EXPORT
#endif

// Handles of parts of the host that this one does not have.
struct MQSceneRec;
typedef MQSceneRec* MQScene;
struct MQXmlElementRec;
typedef MQXmlElementRec* MQXmlElement;

#define MQHOST_FN(ret) extern "C" MQHOST_EXPORT ret MQAPICALL

// ---- Host ------------------------------------------------------------------

// The host's main window, owner of dialogs and message boxes. Windows: a real
// hidden top-level window, created at the first call. Elsewhere a distinct
// non-null handle that is no window. The same handle on every call.
MQHOST_FN(HWND) MQ_GetWindowHandle(void);
// A new empty object, in no document: the caller owns it until
// MQDoc_AddObject, or releases it with MQObj_Delete. Visible, unlocked, no name.
MQHOST_FN(MQObject) MQ_CreateObject(void);
// A new material in no document (white, alpha 1, no name): owned by the caller
// until MQDoc_AddMaterial, or released with MQMat_Delete.
MQHOST_FN(MQMaterial) MQ_CreateMaterial(void);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQ_ShowFileDialog(const char* title, void* info);
// Not offered: the points are left as they are.
MQHOST_FN(void) MQ_ImportAxis(void* info, MQPoint* points, int count);
// Not offered: the points are left as they are.
MQHOST_FN(void) MQ_ExportAxis(void* info, MQPoint* points, int count);
// Not offered: FALSE, outputs set to null.
MQHOST_FN(BOOL) MQ_LoadImage(const char* fileName, void** header, void** bits, DWORD reserved);
// Not offered: FALSE; a given buffer gets an empty string.
MQHOST_FN(BOOL) MQ_GetSystemPath(char* buffer, int type);
// Not offered (there is no view): does nothing.
MQHOST_FN(void) MQ_RefreshView(void* info);
// Not offered: FALSE; the callback is never called.
MQHOST_FN(BOOL) MQ_StationCallback(void* callback, void* option);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQ_SendMessage(int message, void* info);

// ---- Document: objects ----------------------------------------------------------

// Number of object slots, emptied ones included.
MQHOST_FN(int) MQDoc_GetObjectCount(MQDocument document);
// The object in a slot; null for an emptied or missing slot.
MQHOST_FN(MQObject) MQDoc_GetObject(MQDocument document, int slot);
// The current object slot (0 in a new document).
MQHOST_FN(int) MQDoc_GetCurrentObjectIndex(MQDocument document);
// Makes `slot` current if it holds an object; otherwise nothing changes.
MQHOST_FN(void) MQDoc_SetCurrentObjectIndex(MQDocument document, int slot);
// Appends an object that is in no document; the document owns it from then on.
// Returns its slot, or -1 (nothing done) for null or an object already in a
// document.
MQHOST_FN(int) MQDoc_AddObject(MQDocument document, MQObject object);
// Deletes the object in `slot`; the slot stays and reads as null.
MQHOST_FN(void) MQDoc_DeleteObject(MQDocument document, int slot);
// The slot of `object` in the document, or -1.
MQHOST_FN(int) MQDoc_GetObjectIndex(MQDocument document, MQObject object);
// Inserts an object in no document before the slot of `before` (at the end
// when `before` is null or not in the document). Returns its slot or -1.
MQHOST_FN(int) MQDoc_InsertObject(MQDocument document, MQObject object, MQObject before);

// ---- Document: materials ------------------------------------------------------------

// Number of material slots, emptied ones included.
MQHOST_FN(int) MQDoc_GetMaterialCount(MQDocument document);
// The material in a slot; null for an emptied or missing slot.
MQHOST_FN(MQMaterial) MQDoc_GetMaterial(MQDocument document, int slot);
// The current material slot (0 in a new document).
MQHOST_FN(int) MQDoc_GetCurrentMaterialIndex(MQDocument document);
// Makes `slot` current if it holds a material; otherwise nothing changes.
MQHOST_FN(void) MQDoc_SetCurrentMaterialIndex(MQDocument document, int slot);
// Appends a material in no document; the document owns it. Returns its slot
// (the number faces use), or -1 for null or a material already owned.
MQHOST_FN(int) MQDoc_AddMaterial(MQDocument document, MQMaterial material);
// Deletes the material in `slot`; the slot reads as null and the faces that
// used it get material -1.
MQHOST_FN(void) MQDoc_DeleteMaterial(MQDocument document, int slot);
// Removes emptied object and material slots; face materials are renumbered.
MQHOST_FN(void) MQDoc_Compact(MQDocument document);

// ---- Document: selection --------------------------------------------------------------
// This host keeps face selection only, per (object slot, face).

// Deselects every face of every object; `flags` is ignored.
MQHOST_FN(void) MQDoc_ClearSelect(MQDocument document, DWORD flags);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_AddSelectVertex(MQDocument document, int slot, int vertex);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_DeleteSelectVertex(MQDocument document, int slot, int vertex);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_IsSelectVertex(MQDocument document, int slot, int vertex);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_AddSelectLine(MQDocument document, int slot, int face, int line);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_DeleteSelectLine(MQDocument document, int slot, int face, int line);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_IsSelectLine(MQDocument document, int slot, int face, int line);
// Selects face `face` of the object in `slot`; FALSE for a missing object or
// a deleted face.
MQHOST_FN(BOOL) MQDoc_AddSelectFace(MQDocument document, int slot, int face);
// Deselects the face; FALSE for a missing object or a deleted face.
MQHOST_FN(BOOL) MQDoc_DeleteSelectFace(MQDocument document, int slot, int face);
// TRUE when the face is selected. Deleting a face deselects it; compaction
// and welding carry the selection along with the face.
MQHOST_FN(BOOL) MQDoc_IsSelectFace(MQDocument document, int slot, int face);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_AddSelectUVVertex(MQDocument document, int slot, int face, int vertex);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_DeleteSelectUVVertex(MQDocument document, int slot, int face, int vertex);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQDoc_IsSelectUVVertex(MQDocument document, int slot, int face, int vertex);

// ---- Document: the rest ------------------------------------------------------------------

// Not offered: FALSE; a given path buffer gets an empty string.
MQHOST_FN(BOOL) MQDoc_FindMappingFile(MQDocument document, char* path, const char* fileName, DWORD mapType);
// Not offered: null.
MQHOST_FN(MQScene) MQDoc_GetScene(MQDocument document, int index);
// Not offered: null.
MQHOST_FN(MQObject) MQDoc_GetParentObject(MQDocument document, MQObject object);
// Not offered: 0.
MQHOST_FN(int) MQDoc_GetChildObjectCount(MQDocument document, MQObject object);
// Not offered: null.
MQHOST_FN(MQObject) MQDoc_GetChildObject(MQDocument document, MQObject object, int index);
// Not offered: the 16 floats are left as they are.
MQHOST_FN(void) MQDoc_GetGlobalMatrix(MQDocument document, MQObject object, float* matrix);
// Not offered: the 16 floats are left as they are.
MQHOST_FN(void) MQDoc_GetGlobalInverseMatrix(MQDocument document, MQObject object, float* matrix);

// ---- Scene: not offered -----------------------------------------------------------------

// Not offered: does nothing.
MQHOST_FN(void) MQScene_InitSize(MQScene scene, int width, int height);
// Not offered: the 16 floats are left as they are.
MQHOST_FN(void) MQScene_GetProjMatrix(MQScene scene, float* matrix);
// Not offered: the 16 floats are left as they are.
MQHOST_FN(void) MQScene_GetViewMatrix(MQScene scene, float* matrix);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQScene_FloatValue(MQScene scene, int type, float* values);
// Not offered: FALSE.
MQHOST_FN(BOOL) MQScene_GetVisibleFace(MQScene scene, MQObject object, BOOL* visible);

// ---- Object: whole object -------------------------------------------------------------

// Releases an object that is in no document. An object in a document is left
// alone (the document owns it: use MQDoc_DeleteObject).
MQHOST_FN(void) MQObj_Delete(MQObject object);
// A copy in no document with the same vertex and face numbering (deleted
// slots included), positions, attributes, unique ids, UVs, materials, name,
// visibility and lock; no face selected. Null for null.
MQHOST_FN(MQObject) MQObj_Clone(MQObject object);
// Appends source's live vertices (weights copied, fresh unique ids) and then
// its live faces (points remapped, UVs and materials copied), both in order.
// FALSE for null or target == source.
MQHOST_FN(BOOL) MQObj_Merge(MQObject target, MQObject source);
// Not offered (this host keeps no patches, mirrors or lathes): does nothing.
MQHOST_FN(void) MQObj_Freeze(MQObject object, DWORD flags);
// Copies the name into buffer (size bytes, zero-terminated, cut if longer).
MQHOST_FN(void) MQObj_GetName(MQObject object, char* buffer, int size);
// Sets the name (bytes as given; null means empty).
MQHOST_FN(void) MQObj_SetName(MQObject object, const char* name);
// Not offered (no patches): 0.
MQHOST_FN(int) MQObj_GetPatchType(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetPatchType(MQObject object, int type);
// Not offered: 0.
MQHOST_FN(int) MQObj_GetPatchSegment(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetPatchSegment(MQObject object, int segment);
// Not offered (no shading): 0.
MQHOST_FN(int) MQObj_GetShading(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetShading(MQObject object, int type);
// Not offered: 0.
MQHOST_FN(float) MQObj_GetSmoothAngle(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetSmoothAngle(MQObject object, float degree);
// Not offered (no mirrors): 0.
MQHOST_FN(int) MQObj_GetMirrorType(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetMirrorType(MQObject object, int type);
// Not offered: 0.
MQHOST_FN(DWORD) MQObj_GetMirrorAxis(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetMirrorAxis(MQObject object, DWORD axis);
// Not offered: 0.
MQHOST_FN(float) MQObj_GetMirrorDistance(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetMirrorDistance(MQObject object, float distance);
// Not offered (no lathes): 0.
MQHOST_FN(int) MQObj_GetLatheType(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetLatheType(MQObject object, int type);
// Not offered: 0.
MQHOST_FN(DWORD) MQObj_GetLatheAxis(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetLatheAxis(MQObject object, DWORD axis);
// Not offered: 0.
MQHOST_FN(int) MQObj_GetLatheSegment(MQObject object);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetLatheSegment(MQObject object, int segment);
// TRUE when the object is visible (a new object is).
MQHOST_FN(BOOL) MQObj_GetVisible(MQObject object);
// Shows (non-zero) or hides (0) the object.
MQHOST_FN(void) MQObj_SetVisible(MQObject object, DWORD visible);
// MQOBJ_ID_LOCKING (0x103): 1 when the object is locked, else 0. Other value
// ids are not offered: 0.
MQHOST_FN(int) MQObj_GetIntValue(MQObject object, int type);
// MQOBJ_ID_LOCKING: locks (non-zero) or unlocks (0) the object. Other value
// ids are not offered: nothing changes.
MQHOST_FN(void) MQObj_SetIntValue(MQObject object, int type, int value);
// Not offered: the array is left as it is.
MQHOST_FN(void) MQObj_GetFloatArray(MQObject object, int type, float* values);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetFloatArray(MQObject object, int type, const float* values);

// ---- Object: vertices ---------------------------------------------------------------------

// Number of vertex slots, deleted ones included.
MQHOST_FN(int) MQObj_GetVertexCount(MQObject object);
// Writes the position of vertex slot `vertex` (a deleted vertex keeps its last
// position); (0, 0, 0) for an index out of range.
MQHOST_FN(void) MQObj_GetVertex(MQObject object, int vertex, MQPoint* point);
// Moves a live vertex to `point`.
MQHOST_FN(void) MQObj_SetVertex(MQObject object, int vertex, MQPoint* point);
// Writes the positions of all vertex slots (GetVertexCount points).
MQHOST_FN(void) MQObj_GetVertexArray(MQObject object, MQPoint* points);
// Appends a vertex (weight 1, a fresh unique id) and returns its index, or -1
// for a null object or point.
MQHOST_FN(int) MQObj_AddVertex(MQObject object, MQPoint* point);
// Deletes a live vertex and every face that uses it (their slots empty).
MQHOST_FN(BOOL) MQObj_DeleteVertex(MQObject object, int vertex);
// Number of face points that name the vertex (0 for a deleted vertex).
MQHOST_FN(int) MQObj_GetVertexRefCount(MQObject object, int vertex);
// The vertex's unique id (positive, never reused in the object), or 0.
MQHOST_FN(int) MQObj_GetVertexUniqueID(MQObject object, int vertex);
// The index of the vertex with that unique id, or -1.
MQHOST_FN(int) MQObj_GetVertexIndexFromUniqueID(MQObject object, int uniqueId);
// The vertex's weight (1 for a new vertex), or 0.
MQHOST_FN(float) MQObj_GetVertexWeight(MQObject object, int vertex);
// Sets the vertex's weight.
MQHOST_FN(void) MQObj_SetVertexWeight(MQObject object, int vertex, float weight);
// Copies every per-vertex attribute of (source, sourceVertex) but the position
// to (target, targetVertex): the weight. The target keeps its unique id, which
// identifies the vertex rather than describing it. target may be source.
MQHOST_FN(void) MQObj_CopyVertexAttribute(MQObject target, int targetVertex, MQObject source, int sourceVertex);
// Welds: vertices closer than `distance` (strictly, Euclidean, in double
// precision) become one. With `apply` null every live vertex takes part;
// otherwise apply holds one byte per vertex slot and only vertices with a
// non-zero byte do. Rules:
// - In index order each vertex joins the lowest-indexed earlier survivor
//   closer than `distance`, or else survives itself. Clusters do not chain:
//   every joined vertex lies within `distance` of its survivor, which keeps
//   its position; a survivor's attributes are its own.
// - Joined vertices are deleted (slots stay until MQObj_Compact). Faces are
//   remapped; consecutive repeated points (cyclically) are dropped with their
//   UV pairs, the first keeps its UV. A face of 3 or 4 points left with fewer
//   than 3 points is deleted, a line left with one point too, and so is a quad
//   folded along its diagonal (a b a c: 3 distinct points, no area). Vertices
//   that lose their last face this way are deleted.
// - distance <= 0 or not a number: nothing joins. Non-finite points never join.
// Linear time through a hash grid of cell size `distance`. TRUE unless the
// object is null.
MQHOST_FN(BOOL) MQObj_OptimizeVertex(MQObject object, float distance, unsigned char* apply);
// Removes deleted faces and deleted vertices and closes the face and vertex
// numberings up, keeping order. Vertices no face uses that were never deleted
// stay.
MQHOST_FN(void) MQObj_Compact(MQObject object);

// ---- Object: faces -----------------------------------------------------------------------

// Number of face slots, deleted ones included; the last added face is count-1.
MQHOST_FN(int) MQObj_GetFaceCount(MQObject object);
// Points of the face: 1 to 4, 0 for a deleted face or an index out of range.
MQHOST_FN(int) MQObj_GetFacePointCount(MQObject object, int face);
// Writes the face's vertex indices, one per point, in face order.
MQHOST_FN(void) MQObj_GetFacePointArray(MQObject object, int face, int* points);
// Writes the face's UV pairs, one per point.
MQHOST_FN(void) MQObj_GetFaceCoordinateArray(MQObject object, int face, MQCoordinate* uvs);
// Sets the face's UV pairs, one per point.
MQHOST_FN(void) MQObj_SetFaceCoordinateArray(MQObject object, int face, MQCoordinate* uvs);
// The face's material slot, -1 for none (and for a missing face).
MQHOST_FN(int) MQObj_GetFaceMaterial(MQObject object, int face);
// Sets the face's material slot (-1: none; any value is kept as given).
MQHOST_FN(void) MQObj_SetFaceMaterial(MQObject object, int face, int material);
// The face's unique id (positive, never reused in the object), or 0.
MQHOST_FN(int) MQObj_GetFaceUniqueID(MQObject object, int face);
// The index of the live face with that unique id, or -1.
MQHOST_FN(int) MQObj_GetFaceIndexFromUniqueID(MQObject object, int uniqueId);
// Appends a face of `count` points (1 to 4) naming live vertices, with UV
// pairs (0, 0) and material -1. Returns its index, or -1 (nothing added) for
// another count or a bad vertex index.
MQHOST_FN(int) MQObj_AddFace(MQObject object, int count, int* points);
// Empties face slot `face` (0 points from then on). With deleteUnusedVertices
// non-zero, the vertices that no face uses any more are deleted too. Other
// indices stay until MQObj_Compact. FALSE for a missing or deleted face.
MQHOST_FN(BOOL) MQObj_DeleteFace(MQObject object, int face, BOOL deleteUnusedVertices);
// Reverses the face's point order, the UV pairs with it. FALSE for a missing
// or deleted face.
MQHOST_FN(BOOL) MQObj_InvertFace(MQObject object, int face);
// Not offered (no vertex colours): 0.
MQHOST_FN(DWORD) MQObj_GetFaceVertexColor(MQObject object, int face, int point);
// Not offered: does nothing.
MQHOST_FN(void) MQObj_SetFaceVertexColor(MQObject object, int face, int point, DWORD color);

// ---- Material -------------------------------------------------------------------------------

// Releases a material that is in no document; one in a document is left alone.
MQHOST_FN(void) MQMat_Delete(MQMaterial material);
// Not offered: 0.
MQHOST_FN(int) MQMat_GetIntValue(MQMaterial material, int type);
// Not offered: does nothing.
MQHOST_FN(void) MQMat_SetIntValue(MQMaterial material, int type, int value);
// Not offered: the array is left as it is.
MQHOST_FN(void) MQMat_GetFloatArray(MQMaterial material, int type, float* values);
// Not offered: does nothing.
MQHOST_FN(void) MQMat_SetFloatArray(MQMaterial material, int type, const float* values);
// Copies the name into buffer (size bytes, zero-terminated, cut if longer).
MQHOST_FN(void) MQMat_GetName(MQMaterial material, char* buffer, int size);
// The colour (r, g, b from 0 to 1); black for null.
MQHOST_FN(MQColor) MQMat_GetColor(MQMaterial material);
// Alpha and the shading factors; 0 for null.
MQHOST_FN(float) MQMat_GetAlpha(MQMaterial material);
MQHOST_FN(float) MQMat_GetDiffuse(MQMaterial material);
MQHOST_FN(float) MQMat_GetAmbient(MQMaterial material);
MQHOST_FN(float) MQMat_GetEmission(MQMaterial material);
MQHOST_FN(float) MQMat_GetSpecular(MQMaterial material);
MQHOST_FN(float) MQMat_GetPower(MQMaterial material);
// Copy a map's file name into buffer (size bytes, zero-terminated, cut).
MQHOST_FN(void) MQMat_GetTextureName(MQMaterial material, char* buffer, int size);
MQHOST_FN(void) MQMat_GetAlphaName(MQMaterial material, char* buffer, int size);
MQHOST_FN(void) MQMat_GetBumpName(MQMaterial material, char* buffer, int size);
// Setters of the same properties, kept as given (null text means empty).
MQHOST_FN(void) MQMat_SetName(MQMaterial material, const char* name);
MQHOST_FN(void) MQMat_SetColor(MQMaterial material, MQColor color);
MQHOST_FN(void) MQMat_SetAlpha(MQMaterial material, float value);
MQHOST_FN(void) MQMat_SetDiffuse(MQMaterial material, float value);
MQHOST_FN(void) MQMat_SetAmbient(MQMaterial material, float value);
MQHOST_FN(void) MQMat_SetEmission(MQMaterial material, float value);
MQHOST_FN(void) MQMat_SetSpecular(MQMaterial material, float value);
MQHOST_FN(void) MQMat_SetPower(MQMaterial material, float value);
MQHOST_FN(void) MQMat_SetTextureName(MQMaterial material, const char* name);
MQHOST_FN(void) MQMat_SetAlphaName(MQMaterial material, const char* name);
MQHOST_FN(void) MQMat_SetBumpName(MQMaterial material, const char* name);

// ---- Matrix and XML: not offered ---------------------------------------------------------

// Not offered: FALSE.
MQHOST_FN(BOOL) MQMatrix_FloatValue(float* matrix, int type, float* values);
// Not offered: null.
MQHOST_FN(const char*) MQXmlElem_Value(MQXmlElement element);

#undef MQHOST_FN
