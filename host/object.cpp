#include "host/object.h"

#include <algorithm>
#include <cassert>

namespace {

// The room an array of `capacity` entries of `size` bytes takes when it must
// hold `needed`: half as much again as needed, and at least twice its room,
// four times once it holds a megabyte. Each growth copies every entry into
// fresh pages, while room that is never written takes no memory, only
// address space: the harvest of a large selection then moves its arrays a
// few times instead of at every doubling, and the merges into one object
// move them once.
size_t GrownCapacity(size_t capacity, size_t size, size_t needed) {
    const size_t factor = capacity * size >= (size_t(1) << 20) ? 4 : 2;
    return std::max(needed + needed / 2, factor * capacity);
}

template <class T>
void MakeRoom(std::vector<T>& array, size_t needed) {
    if (needed > array.capacity()) array.reserve(GrownCapacity(array.capacity(), sizeof(T), needed));
}

}  // namespace

void MQObjectRec::MakeVertexRoom(size_t needed) {
    ReserveVertexArrays(GrownCapacity(positions.capacity(), sizeof(MQPoint), needed));
}

void MQObjectRec::ReserveVertexArrays(size_t capacity) {
    positions.reserve(capacity);
    weights.reserve(capacity);
    vertexIds.reserve(capacity);
    vertexRefs.reserve(capacity);
    vertexLive.reserve(capacity);
}

MQObjectRec* MQObjectRec::Clone() const {
    MQObjectRec* copy = new MQObjectRec(*this);
    copy->document = nullptr;
    for (HostFace& f : copy->faces) f.selected = 0;
    return copy;
}

void MQObjectRec::Reserve(size_t vertices, size_t faceCount) {
    if (vertices > positions.capacity()) ReserveVertexArrays(vertices);
    faces.reserve(faceCount);
}

int MQObjectRec::AddVertex(const MQPoint& p) {
    if (positions.size() == positions.capacity()) MakeVertexRoom(positions.size() + 1);
    positions.push_back(p);
    weights.push_back(1.0f);
    vertexIds.push_back(nextVertexId++);
    vertexRefs.push_back(0);
    vertexLive.push_back(1);
    return VertexCount() - 1;
}

int MQObjectRec::AddFace(int count, const int* points, const MQCoordinate* uvs) {
    if (count < 1 || count > kMaxFacePoints || points == nullptr) return -1;
    for (int i = 0; i < count; ++i)
        if (!IsLiveVertex(points[i])) return -1;
    HostFace f = {};
    for (int i = 0; i < count; ++i) {
        f.points[i] = points[i];
        if (uvs) f.uvs[i] = uvs[i];
        ++vertexRefs[points[i]];
    }
    f.count = static_cast<uint8_t>(count);
    f.material = -1;
    f.uniqueId = nextFaceId++;
    if (faces.size() == faces.capacity()) MakeRoom(faces, faces.size() + 1);
    faces.push_back(f);
    return FaceCount() - 1;
}

bool MQObjectRec::DeleteFace(int f, bool deleteUnusedVertices) {
    if (!IsLiveFace(f)) return false;
    HostFace& face = faces[f];
    for (int i = 0; i < face.count; ++i) {
        int v = face.points[i];
        assert(vertexRefs[v] > 0);
        if (--vertexRefs[v] == 0 && deleteUnusedVertices) vertexLive[v] = 0;
    }
    face.count = 0;
    face.selected = 0;
    ++emptyFaceSlots;
    return true;
}

bool MQObjectRec::DeleteVertex(int v) {
    if (!IsLiveVertex(v)) return false;
    if (vertexRefs[v] > 0) {
        for (int f = 0; f < FaceCount(); ++f) {
            const HostFace& face = faces[f];
            if (std::find(face.points, face.points + face.count, v) != face.points + face.count)
                DeleteFace(f, false);
        }
    }
    vertexLive[v] = 0;
    return true;
}

bool MQObjectRec::InvertFace(int f) {
    if (!IsLiveFace(f)) return false;
    HostFace& face = faces[f];
    std::reverse(face.points, face.points + face.count);
    std::reverse(face.uvs, face.uvs + face.count);
    return true;
}

void MQObjectRec::Compact() {
    // Objects are often compacted with no vertex deleted (a fresh copy, a
    // model just written back): the numbering then stays, and only deleted
    // faces, if any, go, the others keeping their order.
    if (std::find(vertexLive.begin(), vertexLive.end(), uint8_t(0)) == vertexLive.end()) {
        if (emptyFaceSlots != 0)
            faces.erase(std::remove_if(faces.begin(), faces.end(), [](const HostFace& f) { return f.count == 0; }),
                        faces.end());
        emptyFaceSlots = 0;
        return;
    }
    emptyFaceSlots = 0;
    // An object whose vertices all went (its faces deleted to be written
    // anew) has no face left either, since live faces name live vertices:
    // it is emptied outright, keeping its room.
    if (std::none_of(vertexLive.begin(), vertexLive.end(), [](uint8_t live) { return live != 0; })) {
        positions.clear();
        weights.clear();
        vertexIds.clear();
        vertexRefs.clear();
        vertexLive.clear();
        faces.clear();
        return;
    }

    // Vertices first: newIndex maps every old slot to its compacted index.
    const int n = VertexCount();
    std::vector<int32_t> newIndex(n, -1);
    int kept = 0;
    for (int v = 0; v < n; ++v) {
        if (!vertexLive[v]) continue;
        newIndex[v] = kept;
        positions[kept] = positions[v];
        weights[kept] = weights[v];
        vertexIds[kept] = vertexIds[v];
        vertexRefs[kept] = vertexRefs[v];
        vertexLive[kept] = 1;
        ++kept;
    }
    positions.resize(kept);
    weights.resize(kept);
    vertexIds.resize(kept);
    vertexRefs.resize(kept);
    vertexLive.resize(kept);
    // An object that kept less than half of its vertices (a weld of copies
    // joined most of them) gives the room back: it would otherwise stay
    // resident for the object's life. An object emptied outright keeps it,
    // as it is usually filled again at once.
    if (kept > 0 && static_cast<size_t>(kept) * 2 < positions.capacity()) {
        positions.shrink_to_fit();
        weights.shrink_to_fit();
        vertexIds.shrink_to_fit();
        vertexRefs.shrink_to_fit();
        vertexLive.shrink_to_fit();
    }

    size_t keptFaces = 0;
    for (const HostFace& face : faces) {
        if (face.count == 0) continue;
        HostFace& out = faces[keptFaces++];
        out = face;
        for (int i = 0; i < out.count; ++i) {
            assert(newIndex[out.points[i]] >= 0);  // live faces name live vertices
            out.points[i] = newIndex[out.points[i]];
        }
    }
    faces.resize(keptFaces);
}

namespace {

// Appends the live faces of `from` to `to` with their points mapped by
// `landing`, fresh unique ids from nextFaceId and no selection.
template <class Landing>
void AppendFaces(const std::vector<HostFace>& from, const Landing& landing, std::vector<HostFace>& to,
                 int32_t& nextFaceId) {
    MakeRoom(to, to.size() + from.size());
    for (const HostFace& face : from) {
        if (face.count == 0) continue;
        HostFace out = face;
        for (int i = 0; i < out.count; ++i) out.points[i] = landing(face.points[i]);
        out.uniqueId = nextFaceId++;
        out.selected = 0;
        to.push_back(out);
    }
}

}  // namespace

void MQObjectRec::Merge(const MQObjectRec& source) {
    assert(&source != this);
    const int n = source.VertexCount();
    const int32_t base = VertexCount();
    // A source with no deleted vertex (a fresh copy, a model just written
    // back) lands in one block after this object's vertices; otherwise a
    // table says where each live vertex lands. The references of a vertex
    // come with it: they count the live faces that name it, which all come.
    const bool whole = std::find(source.vertexLive.begin(), source.vertexLive.end(), uint8_t(0)) ==
                       source.vertexLive.end();
    std::vector<int32_t> newIndex;
    int32_t total = base + n;
    if (!whole) {
        newIndex.assign(n, -1);
        total = base;
        for (int v = 0; v < n; ++v)
            if (source.vertexLive[v]) newIndex[v] = total++;
    }
    if (static_cast<size_t>(total) > positions.capacity()) MakeVertexRoom(total);
    if (whole) {
        positions.insert(positions.end(), source.positions.begin(), source.positions.end());
        weights.insert(weights.end(), source.weights.begin(), source.weights.end());
        vertexRefs.insert(vertexRefs.end(), source.vertexRefs.begin(), source.vertexRefs.end());
    } else {
        for (int v = 0; v < n; ++v) {
            if (!source.vertexLive[v]) continue;
            positions.push_back(source.positions[v]);
            weights.push_back(source.weights[v]);
            vertexRefs.push_back(source.vertexRefs[v]);
        }
    }
    vertexLive.resize(total, 1);
    for (int32_t v = base; v < total; ++v) vertexIds.push_back(nextVertexId++);

    if (whole)
        AppendFaces(source.faces, [base](int32_t p) { return base + p; }, faces, nextFaceId);
    else
        AppendFaces(source.faces, [&newIndex](int32_t p) { return newIndex[p]; }, faces, nextFaceId);
}

bool MQObjectRec::CopyVertexAttribute(int tv, const MQObjectRec& source, int sv) {
    if (!IsVertex(tv) || !source.IsVertex(sv)) return false;
    weights[tv] = source.weights[sv];
    return true;
}

void MQObjectRec::RecountVertexRefs() {
    std::fill(vertexRefs.begin(), vertexRefs.end(), 0);
    for (const HostFace& face : faces)
        for (int i = 0; i < face.count; ++i) ++vertexRefs[face.points[i]];
}

int MQObjectRec::VertexIndexFromUniqueId(int id) const {
    if (id <= 0) return -1;
    // Ids grow with the index, so the live ones are sorted: binary search.
    auto it = std::lower_bound(vertexIds.begin(), vertexIds.end(), id);
    if (it == vertexIds.end() || *it != id) return -1;
    int v = static_cast<int>(it - vertexIds.begin());
    return vertexLive[v] ? v : -1;
}

int MQObjectRec::FaceIndexFromUniqueId(int id) const {
    if (id <= 0) return -1;
    auto it = std::lower_bound(faces.begin(), faces.end(), id,
                               [](const HostFace& f, int value) { return f.uniqueId < value; });
    if (it == faces.end() || it->uniqueId != id) return -1;
    int f = static_cast<int>(it - faces.begin());
    return faces[f].count ? f : -1;
}
