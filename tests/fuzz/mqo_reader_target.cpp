// Fuzz target: the .mqo reader on any bytes. A document is either refused
// with a message that names the file and the line, or read into a consistent
// scene that the writer and the reader carry over unchanged, and that the
// writer then writes again byte for byte (binary data and header included).
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/mqo_format.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/scene_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Scene scene;
    std::string error;
    if (!ReadMqo(text, "input.mqo", scene, error)) {
        FUZZ_REQUIRE(error.rfind("input.mqo:", 0) == 0 && error.size() > 11,
                     "a refused document gets a message naming the file and line");
        return 0;
    }
    RequireConsistentScene(scene);

    const std::string written = WriteMqo(scene);
    Scene again;
    std::string againError;
    FUZZ_REQUIRE(ReadMqo(written, "written.mqo", again, againError),
                 "the writer's document is read back");
    RequireSameGeometry(scene, again);
    FUZZ_REQUIRE(WriteMqo(again) == written,
                 "a document written back is written again byte for byte");
    return 0;
}
