// Fuzz target: the STL reader on any bytes. A file is either refused with a
// message that names the file, or read into a consistent scene that both
// writers and the reader carry over unchanged (polygons become the fans the
// writers make of them; binary makes one object of all). Written back with a
// new object, it is its own bytes (a binary file's count raised) followed by
// the object, and reads back as the same objects and the new one.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/stl_format.h"
#include "formats/text_sink.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/scene_check.h"

namespace {

Scene ReadBack(const std::string& bytes, const char* what) {
    Scene scene;
    std::string error;
    FUZZ_REQUIRE(ReadStl(bytes, "written.stl", scene, error), what);
    RequireConsistentScene(scene);
    return scene;
}

// A triangle whose points, reversed as written and read back, keep their
// numbers.
SceneObject NewObject() {
    SceneObject added;
    added.name = "added";
    added.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const int32_t points[3] = {2, 1, 0};
    added.AddFace(points, nullptr, 3, -1);
    return added;
}

// `scene` as the writers leave it and the reader takes it back: each face a
// fan of triangles from its first point, the vertices numbered in the order
// the written corners name them.
Scene Fanned(const Scene& scene) {
    Scene fanned = scene;
    for (SceneObject& object : fanned.objects) {
        const SceneObject faces = object;
        object.vertices.clear();
        object.faceStart = {0};
        object.points.clear();
        object.uvs.clear();
        object.faceMaterial.clear();
        object.faceHasUv.clear();
        std::vector<int32_t> number(faces.vertices.size(), -1);
        for (size_t f = 0; f < faces.FaceCount(); ++f) {
            const int32_t* p = &faces.points[faces.faceStart[f]];
            for (uint32_t i = 1; i + 1 < faces.FaceSize(f); ++i) {
                const int32_t written[3] = {p[i + 1], p[i], p[0]};
                int32_t triangle[3];
                for (int k = 0; k < 3; ++k) {
                    int32_t& n = number[size_t(written[k])];
                    if (n < 0) {
                        n = int32_t(object.vertices.size());
                        object.vertices.push_back(faces.vertices[size_t(written[k])]);
                    }
                    triangle[2 - k] = n;
                }
                object.AddFace(triangle, nullptr, 3, -1);
            }
        }
    }
    return fanned;
}

std::string Written(const Scene& scene, bool ascii, bool splice) {
    std::string bytes;
    {
        TextSink out(bytes);
        if (splice) WriteStlSplice(scene, out);
        else WriteStl(scene, ascii, out);
    }
    return bytes;
}

void CheckSplice(std::string_view bytes, const Scene& scene) {
    Scene spliced = scene;
    spliced.source.kind = SceneSource::Kind::Stl;
    spliced.source.bytes = std::string(bytes);
    spliced.objects.push_back(NewObject());
    const std::string written = Written(spliced, false, true);
    const Scene again = ReadBack(written, "the spliced file is read back");
    if (IsBinaryStl(bytes)) {
        FUZZ_REQUIRE(written.size() == bytes.size() + 50 &&
                         written.compare(0, 80, bytes.substr(0, 80)) == 0 &&
                         written.compare(84, bytes.size() - 84, bytes.substr(84)) == 0,
                     "a spliced binary file is its own bytes, its count raised, and one triangle");
        const size_t faces = scene.objects.empty() ? 0 : scene.objects[0].FaceCount();
        FUZZ_REQUIRE(again.objects.size() == 1 && again.objects[0].FaceCount() == faces + 1,
                     "the spliced binary file has one triangle more");
        if (faces > 0)
            FUZZ_REQUIRE(std::equal(scene.objects[0].points.begin(), scene.objects[0].points.end(),
                                    again.objects[0].points.begin()),
                         "the triangles of the file are read back as they were");
        return;
    }
    FUZZ_REQUIRE(written.size() > bytes.size() && written.compare(0, bytes.size(), bytes) == 0,
                 "a spliced ASCII file is its own bytes followed by the new object");
    RequireSameGeometry(spliced, again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Scene scene;
    std::string error;
    if (!ReadStl(bytes, "input.stl", scene, error)) {
        FUZZ_REQUIRE(error.rfind("input.stl:", 0) == 0 && error.size() > 11,
                     "a refused file gets a message naming the file and the line or byte");
        return 0;
    }
    RequireConsistentScene(scene);
    FUZZ_REQUIRE(scene.source.objects == scene.objects.size(), "every object came from the file");
    CheckSplice(bytes, scene);

    const Scene expected = Fanned(scene);
    RequireSameGeometry(expected, ReadBack(Written(scene, true, false), "ASCII is read back"));
    const Scene binary = ReadBack(Written(scene, false, false), "binary is read back");
    if (scene.objects.size() == 1) {
        Scene one = expected;
        one.objects[0].name = std::string(kStlBinaryObjectName);
        RequireSameGeometry(one, binary);
    } else {
        // Objects merge into one, whose corners at one position are one
        // vertex: written again, it stays as it is.
        RequireSameGeometry(binary, ReadBack(Written(binary, false, false), "binary again"));
    }
    return 0;
}
