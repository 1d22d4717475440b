#include "tool/wall_measurement.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <utility>

#include "thicken/weld_distances.h"

namespace {

struct SourceFace {
    const MQObjectRec* object;
    int face;
};

// The faces the command copies, in its order: every selected face with
// points of every visible, unlocked object, slot by slot.
std::vector<SourceFace> HarvestedFaces(const CommandRun& run) {
    std::vector<SourceFace> faces;
    for (int slot = 0; slot < run.firstNewSlot; ++slot) {
        const MQObjectRec* object = run.document->Object(slot);
        if (!object || !object->visible || object->locked) continue;
        for (int f = 0; f < object->FaceCount(); ++f)
            if (object->faces[f].count != 0 && object->faces[f].selected) faces.push_back({object, f});
    }
    return faces;
}

bool IsPolygon(const HostFace& face) { return face.count == 3 || face.count == 4; }

// The source face of each polygon of a copy, in the copy's order, when the
// module's first weld removed faces or the model left out repeated ones:
// the copies are made again and welded as the command welds them, and
// each polygon that comes out of it is taken unless one with the same
// edges came before, as the model takes them.
std::vector<uint32_t> SurvivingPolygons(const std::vector<SourceFace>& harvest) {
    MQObjectRec work;
    size_t corners = 0;
    for (const SourceFace& s : harvest) corners += s.object->faces[s.face].count;
    work.Reserve(corners, harvest.size());
    int points[kMaxFacePoints];
    for (const SourceFace& s : harvest) {
        const HostFace& face = s.object->faces[s.face];
        for (int k = 0; k < face.count; ++k) points[k] = work.AddVertex(s.object->positions[face.points[k]]);
        work.AddFace(face.count, points);
    }
    work.Weld(kHarvestWeldDistance);

    std::vector<uint32_t> polygons;
    std::set<std::array<uint64_t, 4>> seen;
    for (uint32_t f = 0; f < work.faces.size(); ++f) {
        const HostFace& face = work.faces[f];
        if (!IsPolygon(face)) continue;
        std::array<uint64_t, 4> edges{};
        for (int k = 0; k < face.count; ++k) {
            const uint32_t a = face.points[k], b = face.points[(k + 1) % face.count];
            edges[k] = (uint64_t(std::min(a, b)) << 32) | std::max(a, b);
        }
        // At most four: in order by insertion.
        for (int i = 1; i < face.count; ++i)
            for (int j = i; j > 0 && edges[j - 1] > edges[j]; --j) std::swap(edges[j - 1], edges[j]);
        if (seen.insert(edges).second) polygons.push_back(f);
    }
    return polygons;
}

ScenePoint ToScene(const MQPoint& p) { return {p.x, p.y, p.z}; }

}  // namespace

bool MeasureWall(const CommandRun& run, WallMeasure& measure) {
    const MergeRecorder::Merge* ofGroup[3];
    if (!GroupMerges(*run.result, *run.merges, run.makeFront, run.makeBack, run.makeSide, ofGroup))
        return false;
    const MergeRecorder::Merge* surfaces[2] = {measure.MeasuresFront() ? ofGroup[0] : nullptr,
                                               measure.MeasuresBack() ? ofGroup[1] : nullptr};
    if (!surfaces[0] && !surfaces[1]) return true;

    const std::vector<SourceFace> harvest = HarvestedFaces(run);
    size_t harvestedPolygons = 0;
    for (const SourceFace& s : harvest) harvestedPolygons += IsPolygon(s.object->faces[s.face]);
    // A copy holds the surface's lines first, then its polygons in the
    // order of the faces they came from.
    const MergeRecorder::Merge& any = *(surfaces[0] ? surfaces[0] : surfaces[1]);
    const size_t copyPolygons = size_t(any.faceCount - any.leadingLines);
    // Polygons only go missing: as many as were copied means none did.
    std::vector<uint32_t> sourceOf;
    if (copyPolygons != harvestedPolygons) {
        sourceOf = SurvivingPolygons(harvest);
        if (sourceOf.size() != copyPolygons) return false;
    } else {
        sourceOf.reserve(copyPolygons);
        for (uint32_t f = 0; f < harvest.size(); ++f)
            if (IsPolygon(harvest[f].object->faces[harvest[f].face])) sourceOf.push_back(f);
    }
    // Faces lost before the surfaces were made, once per measured surface.
    const size_t measuredSurfaces = (surfaces[0] != nullptr) + (surfaces[1] != nullptr);
    measure.LeaveOut(measuredSurfaces * (harvestedPolygons - copyPolygons));

    // The result keeps the merged faces in order, some removed by the final
    // weld: a face's place in its copy is its id's distance from the first.
    size_t found[2] = {0, 0};
    ScenePoint result[kMaxFacePoints], source[kMaxFacePoints];
    for (const HostFace& face : run.result->faces) {
        if (!IsPolygon(face)) continue;
        for (int g = 0; g < 2; ++g) {
            const MergeRecorder::Merge* merge = surfaces[g];
            if (!merge || face.uniqueId < merge->firstFaceId ||
                face.uniqueId - merge->firstFaceId >= merge->faceCount)
                continue;
            const int32_t place = face.uniqueId - merge->firstFaceId - merge->leadingLines;
            if (place < 0) continue;
            const SourceFace& from = harvest[sourceOf[place]];
            const HostFace& original = from.object->faces[from.face];
            for (int k = 0; k < face.count; ++k) result[k] = ToScene(run.result->positions[face.points[k]]);
            for (int k = 0; k < original.count; ++k)
                source[k] = ToScene(from.object->positions[original.points[k]]);
            measure.AddFace(g == 1, result, face.count, source, original.count);
            ++found[g];
        }
    }
    for (int g = 0; g < 2; ++g)
        if (surfaces[g]) measure.LeaveOut(copyPolygons - std::min(copyPolygons, found[g]));
    return true;
}
