// Fuzz target: the .mqo reader on any bytes, and on archives (.mqoz) when
// the bytes begin as a zip archive does. A document is either refused with a
// message that names the file (and, for a document, the line), or read into
// a consistent scene. Written back with a new object spliced in, it is its
// own bytes around the new object's chunk, and reads back as the same
// objects and the new one. Composed afresh, the writer and the reader carry
// it over unchanged, and the writer then writes it again byte for byte. An
// archive written back holds the written document.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/mqo_format.h"
#include "formats/mqoz_archive.h"
#include "formats/text_sink.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/scene_check.h"

namespace {

void CheckDocument(std::string_view text, const std::string& name, const std::string* archive,
                   const std::string& member) {
    Scene scene;
    std::string error;
    if (!ReadMqo(text, name, scene, error)) {
        FUZZ_REQUIRE(error.rfind(name + ":", 0) == 0 && error.size() > name.size() + 2,
                     "a refused document gets a message naming the file and line");
        return;
    }
    RequireConsistentScene(scene);

    Scene spliced = scene;
    spliced.source.bytes = std::string(text);
    SceneObject added;
    added.name = "new";
    added.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const int32_t points[3] = {0, 1, 2};
    added.AddFace(points, nullptr, 3, -1);
    spliced.objects.push_back(added);
    std::string withObject;
    {
        TextSink out(withObject);
        WriteMqoSplice(spliced, out);
    }
    const size_t at = spliced.source.insertAt, grown = withObject.size() - text.size();
    FUZZ_REQUIRE(withObject.size() > text.size() && withObject.compare(0, at, text, 0, at) == 0 &&
                     withObject.compare(at + grown, std::string::npos, text, at) == 0,
                 "a spliced document is its own bytes around the new object's chunk");
    Scene splicedBack;
    std::string splicedError;
    FUZZ_REQUIRE(ReadMqo(withObject, "spliced.mqo", splicedBack, splicedError),
                 "the spliced document is read back");
    RequireSameGeometry(spliced, splicedBack);

    const std::string written = WriteMqo(scene);
    Scene again;
    std::string againError;
    FUZZ_REQUIRE(ReadMqo(written, "written.mqo", again, againError),
                 "the writer's document is read back");
    RequireSameGeometry(scene, again);
    FUZZ_REQUIRE(WriteMqo(again) == written,
                 "a document written back is written again byte for byte");
    if (!archive) return;
    std::string rewritten, document, rewrittenMember;
    FUZZ_REQUIRE(WriteMqozArchive(*archive, member, written, "out.mqoz", rewritten, error),
                 "an archive that was read is written back");
    FUZZ_REQUIRE(ReadMqozArchive(rewritten, "out.mqoz", document, rewrittenMember, error),
                 "the archive written back is read");
    FUZZ_REQUIRE(document == written && rewrittenMember == member,
                 "the archive written back holds the written document under its name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!MqozArchivesSupported() || text.substr(0, 2) != "PK") {
        CheckDocument(text, "input.mqo", nullptr, "");
        return 0;
    }
    const std::string archive(text);
    std::string document, member, error;
    if (!ReadMqozArchive(archive, "input.mqoz", document, member, error)) {
        FUZZ_REQUIRE(error.find("input.mqoz") != std::string::npos,
                     "a refused archive gets a message naming the file");
        return 0;
    }
    CheckDocument(document, "input.mqoz (" + member + ")", &archive, member);
    return 0;
}
