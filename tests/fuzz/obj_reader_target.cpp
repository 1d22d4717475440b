// Fuzz target: the .obj reader on any bytes. A file is either refused with a
// message that names the file and the line, or read into a consistent scene
// that the writer and the reader carry over unchanged.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/obj_format.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/scene_check.h"

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

    const std::string written = WriteObj(scene);
    Scene again;
    std::string againError;
    FUZZ_REQUIRE(ReadObj(written, "written.obj", again, againError),
                 "the writer's file is read back");
    RequireSameGeometry(scene, again);
    return 0;
}
