#include "tool/thicken_tool.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "tool/dialog_script.h"
#include "tool/host_document.h"
#include "analysis/mesh_stats.h"
#include "tool/options.h"
#include "tool/plugin_module.h"
#include "preview/png_file.h"
#include "preview/preview.h"
#include "preview/shell_groups.h"
#include "formats/file_io.h"
#include "formats/scene_file.h"
#include "formats/shown_text.h"
#include "analysis/shell_diagnosis.h"
#include "analysis/wall_measure.h"
#include "tool/stage_timer.h"
#include "tool/wall_measurement.h"
#include "platform/text_encoding.h"
#include "platform/dialog_automation.h"
#include "platform/message_box_log.h"
#include "platform/run_counts.h"

#ifndef MQTHICKEN_VERSION
#define MQTHICKEN_VERSION "0"
#endif

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "mqthicken: %s\n", message.c_str());
    return kExitError;
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "mqthicken: %s\nTry 'mqthicken --help' for more information.\n",
                 message.c_str());
    return kExitError;
}

void Warn(const std::string& message) {
    std::fprintf(stderr, "mqthicken: warning: %s\n", message.c_str());
}

std::string Hex(uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*" PRIX32, digits, value);
    return buffer;
}

int ShowInfo(const PluginModule& module) {
    uint32_t product = 0, id = 0;
    module.getPlugInId(&product, &id);
    const char* name = module.getPlugInName();
    const int type = module.getPlugInType();
    const uint32_t version = module.checkVersion(kHostVersion);
    std::printf("module    %s\n", module.path.c_str());
    std::printf("name      %s\n", name ? ShowCp932(name).c_str() : "(none)");
    // The menu entries, one per command; a module offers only a few.
    for (int i = 0; i < 64; ++i) {
        const char* label = module.enumString(i);
        if (!label) break;
        std::printf("label %-3d %s\n", i, ShowCp932(label).c_str());
    }
    std::printf("product   %s\n", Hex(product, 8).c_str());
    std::printf("plug-in   %s\n", Hex(id, 8).c_str());
    std::printf("type      %d%s\n", type, type == MQPLUGIN_TYPE_SELECT ? " (selection-modifying)" : "");
    if (version)
        std::printf("version   %s (accepts this host, %s)\n", Hex(version, 4).c_str(),
                    Hex(kHostVersion, 4).c_str());
    else
        std::printf("version   refuses this host (%s)\n", Hex(kHostVersion, 4).c_str());
    return kExitThickened;
}

// Forgets the message boxes of the run: the platform has already shown each
// on stderr as it opened.
void ReportMessageBoxes() { ClearRecordedMessageBoxes(); }

// A name for the new object that no object of the scene has.
std::string ResultName(const Scene& scene) {
    std::unordered_set<std::string> taken;
    for (const SceneObject& object : scene.objects) taken.insert(object.name);
    std::string name = "thickened";
    for (int n = 2; taken.count(name); ++n) name = "thickened" + std::to_string(n);
    return name;
}

void PrintStats(const SceneObject& object, const MeshStats& stats, TextEncoding encoding) {
    const std::string name = NameAsUtf8(object.name, encoding);
    std::printf("object    %s\n", name.c_str());
    std::printf("vertices  %zu\n", stats.vertices);
    std::printf("triangles %zu\n", stats.triangles);
    std::printf("quads     %zu\n", stats.quads);
    std::printf("lines     %zu\n", stats.lines);
    if (stats.others) std::printf("others    %zu\n", stats.others);
    std::printf("closed    %s\n", stats.closed ? "yes" : "no");
    std::printf("oriented  %s\n", stats.oriented ? "yes" : "no");
    std::printf("open      %zu\n", stats.openEdges);
    std::printf("overused  %zu\n", stats.overusedEdges);
    std::printf("volume    %.6g\n", stats.signedVolume);
}

std::string WhyNothingWasSelected(const Options& options, const HostDocumentSummary& summary) {
    const FaceSelection& selection = options.selection;
    if (summary.selectedFaces == 0) {
        if (selection.kind == FaceSelection::Material)
            return "no face has the material " +
                   (selection.name.empty() ? std::to_string(selection.material)
                                           : "\"" + ShownText(selection.name) + "\"");
        if (selection.kind == FaceSelection::Object)
            return "the object \"" + ShownText(selection.name) + "\" has no faces";
        return "the input has no faces";
    }
    // The faces lie in the kinds of object the options still leave out.
    const IncludedObjects& include = options.include;
    if (!include.hidden && !include.locked)
        return "the selected faces lie in hidden or locked objects, which are not thickened "
               "(--include-hidden and --include-locked thicken them)";
    if (!include.locked)
        return "the selected faces lie in locked objects, which are not thickened "
               "(--include-locked thickens them)";
    if (!include.hidden)
        return "the selected faces lie in hidden objects, which are not thickened "
               "(--include-hidden thickens them)";
    return "the module made nothing of the selected faces";
}

// Documents of this many faces take seconds: the tool then says on stderr
// what it is doing.
constexpr size_t kLargeDocumentFaces = 100000;

size_t FaceCount(const Scene& scene) {
    size_t faces = 0;
    for (const SceneObject& object : scene.objects) faces += object.FaceCount();
    return faces;
}

void Progress(bool large, const std::string& message) {
    if (!large) return;
    std::fprintf(stderr, "mqthicken: %s\n", message.c_str());
    std::fflush(stderr);
}

// The module reads the thickness with atof, which stops at the first
// character that does not continue a number: say so when it does.
void WarnAboutPartlyReadThickness(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    while (*end == ' ' || *end == '\t') ++end;
    if (*end == '\0') return;
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", value);
    Warn("the thickness \"" + text + "\" is read as " + shown);
}

// What the faces the command would take are when all of them are lines or
// points, for the message ("only lines"); null when one of them has three
// points or more, or when there are none.
const char* OnlyLinesOrPoints(const HostDocumentSummary& summary) {
    if (summary.eligibleFaces == 0 ||
        summary.eligibleLines + summary.eligiblePoints != summary.eligibleFaces)
        return nullptr;
    if (summary.eligiblePoints == 0) return "only lines";
    return summary.eligibleLines == 0 ? "only points" : "only lines and points";
}

// Says how many faces of each group the command's last weld deleted: the
// weld joins the merged groups into one shell, and a face left with fewer
// than three distinct points goes (a sliver, a wall thinner than 0.001).
void WarnAboutWeldedFaces(const ShellGroupCounts& counts) {
    static const char* const kGroups[3] = {" front faces", " back faces", " side walls"};
    std::vector<std::string> parts;
    for (int g = 0; g < 3; ++g)
        if (counts.kept[g] < counts.merged[g])
            parts.push_back(std::to_string(counts.merged[g] - counts.kept[g]) + " of the " +
                            std::to_string(counts.merged[g]) + kGroups[g]);
    if (!parts.empty())
        Warn("the weld that joins points closer than 0.001 removed " + ListedInProse(parts));
}

// Draws the new object into the picture --preview names. `groups` is empty
// when the module's merges could not be told apart.
bool WritePreview(const Options& options, const SceneObject& object,
                  const std::optional<FaceGroups>& groups, std::string& error) {
    FaceGroups drawn{object.FaceCount(), object.FaceCount()};
    if (groups) drawn = *groups;
    else Warn("the picture cannot tell the face groups apart: every face is drawn in one colour");
    const RgbImage image =
        RenderPreview(object, drawn, options.view, options.previewWidth, options.previewHeight);
    return WritePngFile(options.preview, image, error);
}

// The value the module reads from the thickness text (atof: the number it
// begins with).
double ThicknessValue(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The offsets toward the front and the back that the direction gives.
std::pair<double, double> Offsets(const Options& options, double thickness) {
    switch (options.direction) {
        case Direction::Front: return {thickness, 0.0};
        case Direction::Back: return {0.0, thickness};
        case Direction::Center: break;
    }
    return {thickness * 0.5, thickness * 0.5};
}

// The options as the dialog is to be filled in: under --scale the
// thickness is typed scaled as the model is.
Options TypedOptions(const Options& options) {
    Options typed = options;
    if (options.scale != 1) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", ThicknessValue(options.thickness) * options.scale);
        typed.thickness = text;
    }
    return typed;
}

// The walls of the new object measured from the faces they came from, or
// nothing when its faces cannot be traced to them. `thickness` is the one
// the module was given.
std::optional<WallSummary> MeasureWalls(const Options& options, double thickness,
                                        const CommandRun& run) {
    const auto [front, back] = Offsets(options, thickness);
    WallMeasure measure(front, back);
    if (!MeasureWall(run, measure)) return std::nullopt;
    return measure.Summary();
}

// Vertices whose even offset the module capped where faces fold back, as
// it reports them during its run.
long long cappedEvenOffsets = 0;

void CountCappedOffsets(const char* what, long long count) {
    if (std::strcmp(what, "even offsets capped") == 0) cappedEvenOffsets = count;
}

int Thicken(const Options& options) {
    StageTimer timer;
    // The times are printed once the command has run, whatever its outcome.
    auto timed = [&](int status) {
        timer.End();
        if (options.timings) timer.Print(stderr);
        return status;
    };
    Scene scene;
    std::string error;
    timer.Begin("read");
    if (!LoadScene(options.input, scene, error)) return Fail(error);
    timer.End();
    for (const std::string& warning : scene.warnings) Warn(warning);
    const size_t faceCount = FaceCount(scene);
    const bool large = faceCount >= kLargeDocumentFaces;
    Progress(large, "read " + std::to_string(faceCount) + " faces from " + options.input);
    // A device or FIFO named without an extension (/dev/stdout) takes the
    // input's format.
    SceneFormat outputFormat = FormatOfPath(options.output);
    if (outputFormat == SceneFormat::Unknown && IsSpecialFile(options.output))
        outputFormat = FormatOfPath(options.input);
    if (outputFormat == SceneFormat::Unknown)
        return Fail(UnknownFormatMessage(options.output));

    PluginModule module;
    const std::string pluginPath = options.plugin.empty() ? DefaultPluginPath() : options.plugin;
    if (!LoadPluginModule(pluginPath, module, error) || !StartPluginModule(module, error))
        return Fail(error);

    timer.Begin("document");
    auto document = std::make_unique<MQDocumentRec>();
    const HostDocumentSummary summary =
        BuildHostDocument(scene, options.selection, options.include, *document);
    if (!summary.selectionMatched) {
        const FaceSelection& s = options.selection;
        return Fail(s.kind == FaceSelection::Object
                        ? "no object named \"" + ShownText(s.name) + "\" in " + options.input
                    : s.name.empty()
                        ? "no material " + std::to_string(s.material) + " in " + options.input +
                              " (it has " + std::to_string(scene.materials.size()) + ")"
                        : "no material named \"" + ShownText(s.name) + "\" in " + options.input);
    }
    if (const char* only = OnlyLinesOrPoints(summary)) {
        std::fprintf(stderr, "mqthicken: nothing to thicken: %s\n", only);
        return kExitNothingDone;
    }
    if (summary.splitFaces == 1)
        Warn("1 face of more than four points was thickened as triangles");
    else if (summary.splitFaces > 1)
        Warn(std::to_string(summary.splitFaces) +
             " faces of more than four points were thickened as triangles");
    if (options.scale != 1) ScaleHostDocument(*document, options.scale);

    WarnAboutPartlyReadThickness(options.thickness);
    StartObservingMessageBoxes();
    ClearRecordedMessageBoxes();
    const Options typed = TypedOptions(options);
    const double typedThickness = ThicknessValue(typed.thickness);
    SetNextDialogScript(MakeDialogScript(typed));
    const int before = document->ObjectCount();
    // The merges tell the shell's groups apart: the faces the welds deleted
    // from each, the picture's colours, and the faces each merged surface
    // came from, which its walls are measured against.
    std::optional<MergeRecorder> merges;
    merges.emplace();
    Progress(large, "thickening " + std::to_string(summary.eligibleFaces) + " faces");
    // The module names its stages from the harvest on; before that the
    // dialog runs. A module whose stages cannot be seen is one stage.
    if (options.timings) timer.HookModuleStages();
    cappedEvenOffsets = 0;
    SetCountHook(&CountCappedOffsets);
    timer.Begin(StageTimer::ModuleStagesAvailable() ? "dialog" : "command");
    const BOOL confirmed = module.modifySelect(0, document.get());
    timer.Unhook();
    SetCountHook(nullptr);
    timer.End();
    std::vector<MergeRecorder::Merge> merged;
    if (merges) merged = merges->Merges();
    merges.reset();
    // A module that fails (out of memory, say) tells the user in a message
    // box, which the platform has shown on stderr, and does nothing.
    const bool moduleFailed = !confirmed && !RecordedMessageBoxes().empty();
    ReportMessageBoxes();
    if (moduleFailed)
        return timed(Fail(options.input + ": the module could not thicken the faces; nothing "
                                          "was written"));
    if (!confirmed) {
        std::fprintf(stderr, "mqthicken: nothing was thickened: the dialog was not confirmed\n");
        return timed(kExitNothingDone);
    }
    const MQObjectRec* result = nullptr;
    for (int slot = before; slot < document->ObjectCount(); ++slot)
        if ((result = document->Object(slot))) break;
    if (!result) {
        std::fprintf(stderr, "mqthicken: nothing was thickened: %s\n",
                     WhyNothingWasSelected(options, summary).c_str());
        return timed(kExitNothingDone);
    }

    std::optional<FaceGroups> groups;
    ShellGroupCounts counts;
    if (CountShellGroups(*result, merged, options.makeFront, options.makeBack, options.makeSide,
                         counts)) {
        WarnAboutWeldedFaces(counts);
        if (!options.preview.empty())
            groups = FaceGroups{counts.kept[0], counts.kept[0] + counts.kept[1]};
    }

    timer.Begin("wall");
    const std::optional<WallSummary> wall = MeasureWalls(
        options, typedThickness,
        {document.get(), before, result, &merged, options.makeFront, options.makeBack,
         options.makeSide});
    timer.End();

    timer.Begin("write");
    SceneObject thick = SceneObjectFromHost(*result);
    if (options.scale != 1) UnscaleSceneObject(thick, options.scale);
    thick.name = ResultName(scene);
    thick.visible = true;
    thick.locked = false;
    document.reset();
    // An open result is explained from the faces it came from.
    const MeshStats stats = ComputeMeshStats(thick);
    if (!stats.closed || !stats.oriented)
        Warn(DescribeOpenShell(
            stats, DiagnoseSelection(
                       scene, EligibleSelectedFaces(scene, options.selection, options.include),
                       options.scale),
            typedThickness, options.scale));
    if (wall && wall->folded)
        Warn(DescribeFolds(wall->folded, wall->foldedAtOnce, wall->foldsFrom < 1
                                             ? wall->foldsFrom * ThicknessValue(options.thickness)
                                             : 0));
    if (wall && !ThinWallWarning(*wall, options.even).empty())
        Warn(ThinWallWarning(*wall, options.even));
    if (cappedEvenOffsets > 0)
        Warn(std::to_string(cappedEvenOffsets) +
             (cappedEvenOffsets == 1 ? " vertex stands" : " vertices stand") +
             " where faces fold back on one another: the even offset there was held to at most four "
             "times the offset");
    if (options.onlyResult) scene.DropSourceObjects();
    scene.objects.push_back(std::move(thick));

    SaveReport report;
    Progress(large, "writing " + options.output);
    if (!SaveScene(options.output, scene, SaveOptions{options.ascii, outputFormat}, report, error))
        return Fail(error);
    timer.End();
    for (const std::string& loss : report.losses) Warn(options.output + ": " + loss);
    for (const std::string& name : report.lossy)
        Warn("the name \"" + ShownText(name) + "\" has characters " + options.output +
             " cannot hold; they were written as '?'");
    if (options.stats) {
        PrintStats(scene.objects.back(), stats, scene.encoding);
        if (options.makeFront || options.makeBack)
            std::printf("%s\n", wall ? DescribeWall(*wall).c_str()
                                     : "wall      not measured (its faces could not be traced "
                                       "to the selected ones)");
    }
    std::fprintf(stderr, "mqthicken: wrote %s\n", options.output.c_str());
    if (!options.preview.empty()) {
        // The mesh is written first: a picture that cannot be written
        // leaves it as it would be without one.
        timer.Begin("preview");
        Progress(large, "drawing " + options.preview);
        if (!WritePreview(options, scene.objects.back(), groups, error)) {
            std::fprintf(stderr, "mqthicken: %s (the mesh was written all the same)\n",
                         error.c_str());
            return timed(kExitError);
        }
        timer.End();
        std::fprintf(stderr, "mqthicken: wrote picture %s\n", options.preview.c_str());
    }
    return timed(kExitThickened);
}

// Runs Thicken; a document too large for the memory there is is refused as
// any bad input is, with one message and nothing written (every file is
// written through a temporary one, which an exception removes).
int ThickenWithinMemory(const Options& options) {
    try {
        return Thicken(options);
    } catch (const std::bad_alloc&) {
        return Fail(options.input + ": out of memory: the document needs more memory than "
                    "there is; nothing was written");
    }
}

}  // namespace

int RunThickenTool(int argc, const char* const* argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) return UsageError(error);
    switch (options.mode) {
        case Mode::Help:
            std::fputs(UsageText().c_str(), stdout);
            return kExitThickened;
        case Mode::Version:
            std::printf("mqthicken %s\n", MQTHICKEN_VERSION);
            return kExitThickened;
        case Mode::Info: {
            PluginModule module;
            const std::string path = options.plugin.empty() ? DefaultPluginPath() : options.plugin;
            if (!LoadPluginModule(path, module, error)) return Fail(error);
            return ShowInfo(module);
        }
        case Mode::Thicken:
            break;
    }
    return ThickenWithinMemory(options);
}
