#include "tests/fuzz/scene_check.h"

#include "tests/fuzz/fuzz_check.h"

void RequireConsistentScene(const Scene& scene) {
    for (const SceneObject& object : scene.objects) {
        const size_t faces = object.FaceCount();
        FUZZ_REQUIRE(object.faceStart.size() == faces + 1, "one face start per face, plus the end");
        FUZZ_REQUIRE(object.faceHasUv.size() == faces, "one UV flag per face");
        FUZZ_REQUIRE(object.faceStart.front() == 0, "the first face starts at point 0");
        FUZZ_REQUIRE(object.faceStart.back() == object.points.size(), "the faces cover the points");
        FUZZ_REQUIRE(object.uvs.size() == object.points.size(), "one UV pair per point");
        for (size_t f = 0; f < faces; ++f)
            FUZZ_REQUIRE(object.faceStart[f] < object.faceStart[f + 1], "every face has a point");
        for (int32_t v : object.points)
            FUZZ_REQUIRE(v >= 0 && static_cast<size_t>(v) < object.vertices.size(),
                         "every point names a vertex of its object");
    }
    const SceneSource& source = scene.source;
    size_t end = 0;
    for (const SourceSpan& chunk : source.objectChunks) {
        FUZZ_REQUIRE(chunk.begin >= end && chunk.size > 0, "object chunks in order, apart");
        end = chunk.End();
    }
    FUZZ_REQUIRE(source.insertAt >= end, "a new object goes after the objects read");
}

void RequireSameGeometry(const Scene& scene, const Scene& again) {
    FUZZ_REQUIRE(again.objects.size() == scene.objects.size(), "as many objects");
    FUZZ_REQUIRE(again.materials.size() == scene.materials.size(), "as many materials");
    for (size_t m = 0; m < scene.materials.size(); ++m)
        FUZZ_REQUIRE(again.materials[m].name == scene.materials[m].name, "material names kept");
    for (size_t o = 0; o < scene.objects.size(); ++o) {
        const SceneObject& a = scene.objects[o];
        const SceneObject& b = again.objects[o];
        FUZZ_REQUIRE(a.name == b.name, "object names kept");
        FUZZ_REQUIRE(a.visible == b.visible && a.locked == b.locked, "visibility and lock kept");
        FUZZ_REQUIRE(a.vertices.size() == b.vertices.size(), "as many vertices");
        for (size_t v = 0; v < a.vertices.size(); ++v)
            FUZZ_REQUIRE(a.vertices[v].x == b.vertices[v].x && a.vertices[v].y == b.vertices[v].y &&
                             a.vertices[v].z == b.vertices[v].z,
                         "vertex positions kept exactly");
        FUZZ_REQUIRE(a.faceStart == b.faceStart, "face sizes kept");
        FUZZ_REQUIRE(a.points == b.points, "face points kept in order");
        FUZZ_REQUIRE(a.faceMaterial == b.faceMaterial, "face materials kept");
        FUZZ_REQUIRE(a.faceHasUv == b.faceHasUv, "which faces have UVs kept");
        for (size_t f = 0; f < a.FaceCount(); ++f) {
            if (!a.faceHasUv[f]) continue;
            for (uint32_t p = a.faceStart[f]; p < a.faceStart[f + 1]; ++p)
                FUZZ_REQUIRE(a.uvs[p].u == b.uvs[p].u && a.uvs[p].v == b.uvs[p].v, "UVs kept exactly");
        }
    }
}
