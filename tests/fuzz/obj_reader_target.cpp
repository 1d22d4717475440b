// Fuzz target: the .obj reader on any bytes. A file is either refused with a
// message that names the file and the line, or read into a consistent scene
// that the writer and the reader carry over unchanged. Written back with a
// new object, it is its own bytes followed by the object, and reads back as
// the same objects and the new one.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/obj_format.h"
#include "formats/text_sink.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/scene_check.h"

namespace {

// A triangle named as no object of `scene` is.
SceneObject NewObject(const Scene& scene) {
    SceneObject added;
    added.name = "added";
    for (bool taken = true; taken;) {
        taken = false;
        for (const SceneObject& object : scene.objects) taken = taken || object.name == added.name;
        if (taken) added.name += "_";
    }
    added.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const int32_t points[3] = {0, 1, 2};
    const SceneUv uvs[3] = {{0, 0}, {1, 0}, {0, 1}};
    added.AddFace(points, uvs, 3, -1);
    return added;
}

void CheckSplice(std::string_view text, const Scene& scene) {
    Scene spliced = scene;
    spliced.source.kind = SceneSource::Kind::Obj;
    spliced.source.bytes = std::string(text);
    spliced.objects.push_back(NewObject(scene));
    std::string written;
    {
        TextSink out(written);
        WriteObjSplice(spliced, out);
    }
    FUZZ_REQUIRE(written.size() > text.size() && written.compare(0, text.size(), text) == 0,
                 "a spliced file is its own bytes followed by the new object");
    Scene again;
    std::string error;
    FUZZ_REQUIRE(ReadObj(written, "spliced.obj", again, error), "the spliced file is read back");
    RequireSameGeometry(spliced, again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Scene scene;
    std::string error;
    if (!ReadObj(text, "input.obj", scene, error)) {
        FUZZ_REQUIRE(error.rfind("input.obj:", 0) == 0 && error.size() > 11,
                     "a refused file gets a message naming the file and line");
        return 0;
    }
    RequireConsistentScene(scene);
    CheckSplice(text, scene);

    const std::string written = WriteObj(scene);
    Scene again;
    std::string againError;
    FUZZ_REQUIRE(ReadObj(written, "written.obj", again, againError),
                 "the writer's file is read back");
    RequireSameGeometry(scene, again);
    return 0;
}
