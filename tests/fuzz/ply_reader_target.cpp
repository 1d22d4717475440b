// Fuzz target: the PLY reader on any bytes. A file is either refused with a
// message that names the file, or read into a consistent scene that both
// writers (binary and ASCII) and the reader carry over unchanged, but for
// the faces of fewer than three points, which the writers leave out. When
// its layout can take a new object, the file spliced with one is its own
// bytes but for the header's counts, and reads back as its object with the
// new one's records after its own.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/ply_format.h"
#include "formats/ply_header.h"
#include "formats/text_sink.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/scene_check.h"

namespace {

// `scene` without the faces a PLY writer leaves out.
Scene Polygons(const Scene& scene) {
    Scene polygons = scene;
    for (SceneObject& object : polygons.objects) {
        SceneObject kept = object;
        kept.faceStart = {0};
        kept.points.clear();
        kept.uvs.clear();
        kept.faceMaterial.clear();
        kept.faceHasUv.clear();
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            const uint32_t begin = object.faceStart[f], n = object.FaceSize(f);
            if (n >= 3)
                kept.AddFace(&object.points[begin], object.faceHasUv[f] ? &object.uvs[begin] : nullptr,
                             n, object.faceMaterial[f]);
        }
        object = std::move(kept);
    }
    return polygons;
}

void CheckWritten(const Scene& scene, bool ascii) {
    std::string written;
    {
        TextSink out(written);
        WritePly(scene, ascii, out);
    }
    Scene again;
    std::string error;
    FUZZ_REQUIRE(ReadPly(written, "written.ply", again, error), "the writer's file is read back");
    RequireSameGeometry(Polygons(scene), again);
}

std::string Spliced(const Scene& scene) {
    std::string written;
    TextSink out(written);
    WritePlySplice(scene, out);
    out.Flush();
    return written;
}

void CheckSplice(std::string_view bytes, const Scene& scene) {
    Scene spliced = scene;
    spliced.source.kind = SceneSource::Kind::Ply;
    spliced.source.bytes = std::string(bytes);
    FUZZ_REQUIRE(Spliced(spliced) == bytes, "a file spliced with nothing new is its own bytes");
    SceneObject added;
    added.name = "added";
    added.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const int32_t points[3] = {0, 1, 2};
    const SceneUv uvs[3] = {{0, 0}, {1, 0}, {0, 1}};
    added.AddFace(points, uvs, 3, -1);
    spliced.objects.push_back(added);
    if (!PlySpliceRefusal(spliced).empty()) return;
    const std::string written = Spliced(spliced);

    PlyHeader before, after;
    std::string error;
    FUZZ_REQUIRE(ParsePlyHeader(bytes, "input.ply", before, error) &&
                     ParsePlyHeader(written, "spliced.ply", after, error),
                 "the spliced file has a header");
    const PlyMeshLayout layout = PlyMeshLayoutOf(before);
    const PlyElement& vertex = after.elements[layout.vertex];
    FUZZ_REQUIRE(vertex.count == before.elements[layout.vertex].count + 3 &&
                     after.elements[layout.face].count == before.elements[layout.face].count + 1,
                 "the header counts the new records");
    const size_t firstCount = std::min(before.elements[layout.vertex].countText.begin,
                                       before.elements[layout.face].countText.begin);
    FUZZ_REQUIRE(written.compare(0, firstCount, bytes, 0, firstCount) == 0,
                 "the header's bytes before the first count are the file's");

    Scene again;
    FUZZ_REQUIRE(ReadPly(written, "spliced.ply", again, error), "the spliced file is read back");
    // The triangles of strips come where their element is, which the new
    // face, in the face element, may precede.
    if (layout.stripIndices >= 0) return;
    const SceneObject& a = scene.objects[0];
    const SceneObject& b = again.objects[0];
    const size_t base = a.vertices.size();
    FUZZ_REQUIRE(b.vertices.size() == base + 3 && b.FaceCount() == a.FaceCount() + 1,
                 "the new vertices and face follow the file's");
    for (size_t v = 0; v < base + 3; ++v) {
        const ScenePoint& p = v < base ? a.vertices[v] : added.vertices[v - base];
        FUZZ_REQUIRE(p.x == b.vertices[v].x && p.y == b.vertices[v].y && p.z == b.vertices[v].z,
                     "vertex positions kept exactly");
    }
    for (size_t p = 0; p < a.points.size(); ++p)
        FUZZ_REQUIRE(a.points[p] == b.points[p], "the file's faces kept");
    for (size_t p = 0; p < 3; ++p) {
        FUZZ_REQUIRE(b.points[a.points.size() + p] == int32_t(base + p), "the new face's points");
        if (b.faceHasUv.back())
            FUZZ_REQUIRE(b.uvs[a.points.size() + p].u == uvs[p].u &&
                             b.uvs[a.points.size() + p].v == uvs[p].v,
                         "the new face's UVs");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Scene scene;
    std::string error;
    if (!ReadPly(bytes, "input.ply", scene, error)) {
        FUZZ_REQUIRE(error.rfind("input.ply:", 0) == 0 && error.size() > 11,
                     "a refused file gets a message naming the file and line or byte");
        return 0;
    }
    RequireConsistentScene(scene);
    FUZZ_REQUIRE(scene.objects.size() == 1 && scene.source.objects == 1, "one object");
    CheckWritten(scene, false);
    CheckWritten(scene, true);
    CheckSplice(bytes, scene);
    return 0;
}
