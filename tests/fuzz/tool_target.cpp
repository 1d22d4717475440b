// Fuzz target: mqthicken's pipeline, in process. The first byte picks the
// format (.mqo or .obj), the thickness and the direction; the rest is the
// file. A file the reader takes is handed to the host as the tool hands it
// (faces of more than four points as fans), the command runs with every face
// selected, and the result joins the scene as the tool adds it. Checked: no
// crash or sanitizer report; the scene stays consistent; a scene with finite
// numbers is written and read back unchanged; and, when the first byte's top
// bit is set, written in the other format it is read back with the same
// vertices and faces. The explanation of an open shell runs on every
// selection.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tool/host_document.h"
#include "formats/mqo_format.h"
#include "formats/obj_format.h"
#include "formats/scene_file.h"
#include "analysis/shell_diagnosis.h"
#include "platform/dialog_automation.h"
#include "platform/message_box_log.h"
#include "plugin/exports.h"
#include "plugin/resource_ids.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/in_process_module.h"
#include "tests/fuzz/scene_check.h"

namespace {

bool Read(bool mqo, std::string_view text, const std::string& name, Scene& scene, std::string& error) {
    return mqo ? ReadMqo(text, name, scene, error) : ReadObj(text, name, scene, error);
}

bool AllFinite(const Scene& scene) {
    for (const SceneObject& object : scene.objects) {
        for (const ScenePoint& p : object.vertices)
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
        for (const SceneUv& uv : object.uvs)
            if (!std::isfinite(uv.u) || !std::isfinite(uv.v)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const thicknesses[] = {"5.0", "0.5", "-2", "0", "0.0005", "1e30", "1e39", "abc"};
    const bool mqo = data[0] & 1;
    const char* thickness = thicknesses[(data[0] >> 1) & 7];
    const int direction = IDC_DIRECTION_FRONT + (data[0] >> 4) % 3;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    Scene scene;
    std::string error;
    if (!Read(mqo, text, "input", scene, error)) return 0;

    StartModuleInThisProgram();
    auto document = std::make_unique<MQDocumentRec>();
    BuildHostDocument(scene, FaceSelection{}, IncludedObjects{}, *document);
    const int before = document->ObjectCount();
    SetNextDialogScript({{DialogAction::Type, IDC_THICKNESS, thickness},
                         {DialogAction::Click, direction, ""},
                         {DialogAction::Click, IDOK, ""}});
    FUZZ_REQUIRE(MQModifySelect(0, document.get()) == 1, "a confirmed dialog answers 1");
    ClearRecordedMessageBoxes();
    FUZZ_REQUIRE(document->ObjectCount() - before <= 1, "at most one new object");
    if (document->ObjectCount() > before) {
        SceneObject thick = SceneObjectFromHost(*document->Object(before));
        thick.name = "thickened";
        scene.objects.push_back(std::move(thick));
    }
    document.reset();
    RequireConsistentScene(scene);
    // The explanation of an open shell takes any selection.
    const std::vector<std::pair<uint32_t, uint32_t>> selected =
        EligibleSelectedFaces(scene, FaceSelection{}, IncludedObjects{});
    const SelectionFaults faults = DiagnoseSelection(scene, selected);
    size_t corners = 0;
    for (const auto& [o, f] : selected) corners += scene.objects[o].FaceSize(f);
    FUZZ_REQUIRE(faults.fanVertices <= corners && faults.nearPoints <= corners &&
                     faults.veryNearPoints <= faults.nearPoints && faults.zeroLengthEdges <= corners,
                 "the faults of a selection are counted within its corners");
    if (!AllFinite(scene)) return 0;

    const std::string written = mqo ? WriteMqo(scene) : WriteObj(scene);
    Scene again;
    FUZZ_REQUIRE(Read(mqo, written, "written", again, error), "the tool's result is read back");
    // An OBJ file has no way to say that an object holds nothing (a result
    // whose faces all collapsed in the weld, say): reading drops such names.
    if (!mqo) {
        auto& objects = scene.objects;
        objects.erase(std::remove_if(objects.begin(), objects.end(),
                                     [](const SceneObject& o) {
                                         return o.vertices.empty() && o.FaceCount() == 0;
                                     }),
                      objects.end());
    }
    RequireSameGeometry(scene, again);

    // Written in the other format (names converted as the tool converts
    // them), the result is read back with the same vertices and faces.
    if (!(data[0] & 0x80)) return 0;
    Scene other = scene;
    std::vector<std::string> lossy;
    ConvertSceneEncoding(other, mqo ? TextEncoding::Utf8 : TextEncoding::Cp932, lossy);
    const std::string converted = mqo ? WriteObj(other) : WriteMqo(other);
    Scene otherAgain;
    FUZZ_REQUIRE(Read(!mqo, converted, "converted", otherAgain, error),
                 "the result written in the other format is read back");
    auto nonEmpty = [](const Scene& s) {
        std::vector<const SceneObject*> objects;
        for (const SceneObject& o : s.objects)
            if (!o.vertices.empty() || o.FaceCount() != 0) objects.push_back(&o);
        return objects;
    };
    const auto expected = nonEmpty(other), read = nonEmpty(otherAgain);
    FUZZ_REQUIRE(expected.size() == read.size(), "as many objects in the other format");
    for (size_t o = 0; o < expected.size(); ++o) {
        FUZZ_REQUIRE(expected[o]->vertices.size() == read[o]->vertices.size(),
                     "as many vertices in the other format");
        FUZZ_REQUIRE(expected[o]->points == read[o]->points && expected[o]->faceStart == read[o]->faceStart,
                     "the same faces in the other format");
    }
    return 0;
}
