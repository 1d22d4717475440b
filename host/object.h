// The host's object: vertices with their per-vertex attributes and faces of
// one to four points, each point with a UV pair, each face with a material.
// Stored as flat arrays; a deleted vertex or face keeps its slot (so other
// indices stay) until Compact closes the numbering up.
//
// Tools and tests may read every field and may set positions, weights, face
// UVs and materials, name, visible and locked directly. Vertices and faces
// are added and removed through the methods, which keep the invariants: the
// per-vertex arrays have one entry per vertex slot; live faces name only live
// vertices; vertexRefs counts the live face points per vertex; unique ids
// grow with the index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/mq_host.h"

struct MQDocumentRec;

// The host keeps faces of at most four points: the module's buffers hold four.
constexpr int kMaxFacePoints = 4;

// One face slot. count == 0 marks a deleted face; only the first `count`
// entries of points and uvs are meaningful.
struct HostFace {
    int32_t points[kMaxFacePoints];
    MQCoordinate uvs[kMaxFacePoints];
    int32_t material;  // -1: no material
    int32_t uniqueId;
    uint8_t count;
    uint8_t selected;  // face selection, read by the document as (slot, face)
};

struct MQObjectRec {
    // Per-vertex arrays, all of vertexCount entries.
    std::vector<MQPoint> positions;
    std::vector<float> weights;       // default 1
    std::vector<int32_t> vertexIds;   // unique within the object, from 1
    std::vector<int32_t> vertexRefs;  // face points that name the vertex
    std::vector<uint8_t> vertexLive;  // 0: deleted, waiting for Compact

    std::vector<HostFace> faces;

    std::string name;  // bytes as given (code page 932 on Windows hosts)
    bool visible = true;
    bool locked = false;
    MQDocumentRec* document = nullptr;  // the owner once added, else null

    int32_t nextVertexId = 1;
    int32_t nextFaceId = 1;
    // Face slots emptied since the last Compact, which lets a compaction
    // with nothing to remove pass the faces over.
    int32_t emptyFaceSlots = 0;

    // Counts of vertex and face slots, deleted ones included.
    int VertexCount() const { return static_cast<int>(positions.size()); }
    int FaceCount() const { return static_cast<int>(faces.size()); }

    bool IsVertex(int v) const { return v >= 0 && v < VertexCount(); }
    bool IsFace(int f) const { return f >= 0 && f < FaceCount(); }
    // True for a vertex slot that is not deleted.
    bool IsLiveVertex(int v) const { return IsVertex(v) && vertexLive[v] != 0; }
    // True for a face slot with at least one point.
    bool IsLiveFace(int f) const { return IsFace(f) && faces[f].count != 0; }

    // A new object with the same vertices, faces, attributes, unique ids and
    // numbering (deleted slots included), in no document, nothing selected.
    MQObjectRec* Clone() const;

    // Makes room for `vertices` vertices and `faceCount` faces in all, so
    // that adding that many moves no array.
    void Reserve(size_t vertices, size_t faceCount);

    // Appends a vertex at p with weight 1 and a fresh unique id; returns its index.
    int AddVertex(const MQPoint& p);

    // Appends a face of `count` points (1 to 4), each naming a live vertex, with
    // UV pairs (0, 0) and material -1 (uvs, when given, holds `count` pairs).
    // Returns the new face index, or -1 (nothing added) for a bad count or index.
    int AddFace(int count, const int* points, const MQCoordinate* uvs = nullptr);

    // Empties face slot f; with deleteUnusedVertices, the vertices that no face
    // uses any more are deleted too. Other indices stay until Compact. Returns
    // false for a face that does not exist or is already deleted.
    bool DeleteFace(int f, bool deleteUnusedVertices);

    // Deletes vertex v and every face that uses it (their slots empty). Returns
    // false for a vertex that does not exist or is already deleted.
    bool DeleteVertex(int v);

    // Reverses the point order of face f and its UV pairs with it.
    bool InvertFace(int f);

    // Removes deleted faces and deleted vertices and closes both numberings up,
    // keeping the order of what remains. Vertices that no face uses but were
    // never deleted stay.
    void Compact();

    // Vertices closer than `distance` become one (see host/weld.cpp for the
    // rules). apply, when given, holds one byte per vertex slot; only vertices
    // with a non-zero byte take part. Returns the number of vertices joined.
    int Weld(float distance, const unsigned char* apply = nullptr);

    // Appends source's live vertices (with their attributes, fresh ids) and
    // live faces (with UVs and materials) in order. source may not be this.
    void Merge(const MQObjectRec& source);

    // Copies every per-vertex attribute of source vertex sv but the position to
    // vertex tv (the unique id is identity, not an attribute: it is kept).
    bool CopyVertexAttribute(int tv, const MQObjectRec& source, int sv);

    // Recomputes vertexRefs from the live faces.
    void RecountVertexRefs();

    // Index of the vertex / face with that unique id, or -1.
    int VertexIndexFromUniqueId(int id) const;
    int FaceIndexFromUniqueId(int id) const;

private:
    // Grows the per-vertex arrays to hold at least `needed` vertices.
    void MakeVertexRoom(size_t needed);
    // Gives all five per-vertex arrays room for `capacity` vertices, so that
    // the positions alone tell when they must grow.
    void ReserveVertexArrays(size_t capacity);
};
