// The command against its peer, Blender's Solidify modifier (simple mode, rim
// on, centred, one thread), on the generated inputs of 10k, 100k and 1M faces
// written as OBJ. Per case, in rounds that alternate the four runs:
//   - our command in this process (MQModifySelect on a fresh document), and
//     the modifier's evaluation as timed by the Blender script;
//   - a whole run of mqthicken, file to file, and a whole run of blender -b
//     (start, import, modifier, export as OBJ), with their peak memory.
// Then the medians, their ratios, the growth from 100k to 1M faces, the heap
// the module itself held at its peak per selected face, and whether both
// results have the same polygons and ours is closed and faces outward.
//   peer_bench --tool MQTHICKEN --script SOLIDIFY.py --work DIR [--blender B]
//              [--runs N] [--large-runs N] [--only SHAPE/FACES]
// With --tool-stages instead of the peer runs: whole runs of mqthicken
// --timings at 100k and 1M faces of each shape, and per stage (reading and
// writing included) the median at both sizes and its growth.
//   peer_bench --tool MQTHICKEN --work DIR --tool-stages [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "bench/generated_mesh.h"
#include "bench/inprocess_command.h"
#include "bench/mesh_file.h"
#include "bench/module_memory.h"
#include "bench/shell_facts.h"
#include "host/document.h"

namespace {

constexpr int kSizes[] = {10000, 100000, 1000000};
constexpr const char* kThickness = "0.5";

// Targets: in process at most 1.5x the modifier at 100k and 1M faces (at
// 10k a run is too short to judge); whole runs at 1M at most 0.5x Blender's,
// in no more memory; a whole run's growth from 100k to 1M at most 11x. The
// module's own heap per face is shown, not judged.
constexpr int kJudgedFrom = 100000;
constexpr double kRatio = 1.5;
constexpr double kWholeRatio = 0.5;
constexpr double kGrowthLimit = 11.0;

struct Options {
    std::string tool, script, work, blender = "blender", only;
    int runs = 5;       // per case below 1M faces
    int largeRuns = 3;  // per case of 1M faces: a Blender run takes seconds
    bool toolStages = false;
};

struct Case {
    MeshShape shape = MeshShape::BumpyGrid;
    int size = 0;
    size_t faces = 0;  // of the input, all selected
    std::vector<double> ours, solidify, oursWhole, blenderWhole;
    size_t oursPeak = 0, blenderPeak = 0, moduleBytes = 0;
    size_t oursPolygons = 0, blenderPolygons = 0, expectedExtra = 0;
    bool closed = false, outward = false, allRan = true;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::string Name(MeshShape shape, int size) { return std::string(MeshShapeName(shape)) + "/" + std::to_string(size); }

// Faces that repeat the one before: the module keeps the first only, Blender
// keeps both and gives each a front and a back.
size_t Repeats(const GeneratedMesh& mesh) {
    size_t n = 0;
    for (size_t i = 1; i < mesh.faces.size(); ++i) {
        const GeneratedFace& a = mesh.faces[i - 1];
        const GeneratedFace& b = mesh.faces[i];
        if (a.count >= 3 && a.count == b.count && std::equal(a.points, a.points + a.count, b.points)) ++n;
    }
    return n;
}

// One run of the command in this process; the result's facts when asked,
// and the module's own heap at its peak when asked (the document is made
// before the counting starts).
double RunOurs(const GeneratedMesh& mesh, ShellFacts* facts, size_t* moduleBytes = nullptr) {
    auto document = std::make_unique<MQDocumentRec>();
    AddSelectedObject(*document, mesh);
    ThickenAnswers answers;
    answers.thickness = kThickness;
    if (moduleBytes) StartCountingModuleMemory();
    const auto start = std::chrono::steady_clock::now();
    const MQObjectRec* added = RunThickenInProcess(*document, answers);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (moduleBytes) *moduleBytes = StopCountingModuleMemory();
    if (!added) return -1.0;
    if (facts) *facts = FactsOf(*added);
    return elapsed.count();
}

// Reads "solidify seconds S faces N" from the Blender script's output.
bool ReadSolidify(const std::string& path, double& seconds, size_t& faces) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (std::sscanf(line.c_str(), "solidify seconds %lf faces %zu", &seconds, &faces) == 2) return true;
    return false;
}

void RunCase(const Options& o, Case& c) {
    const GeneratedMesh mesh = MakeMesh(c.shape, c.size);
    c.faces = mesh.faces.size();
    c.expectedExtra = 2 * Repeats(mesh);
    const std::string stem = o.work + "/" + MeshShapeName(c.shape) + "-" + std::to_string(c.size);
    const std::string input = stem + ".obj", oursOut = stem + "-ours.obj", blenderOut = stem + "-blender.obj";
    const std::string blenderLog = stem + "-blender.log";
    std::string error;
    if (!WriteMeshFile(mesh, input, error)) {
        std::fprintf(stderr, "peer_bench: %s\n", error.c_str());
        c.allRan = false;
        return;
    }
    const int runs = c.size >= 1000000 ? o.largeRuns : o.runs;
    for (int r = 0; r < runs; ++r) {
        ShellFacts facts;
        const double ours = RunOurs(mesh, r == 0 ? &facts : nullptr);
        if (r == 0) {
            c.oursPolygons = facts.polygons;
            c.closed = facts.closed;
            c.outward = facts.volume > 0.0;
        }
        const ChildRun blender = RunChild({o.blender, "-b", "--factory-startup", "-t", "1", "--python", o.script,
                                           "--", input, blenderOut, kThickness},
                                          blenderLog);
        double solidify = 0.0;
        size_t blenderPolygons = 0;
        const bool read = ReadSolidify(blenderLog, solidify, blenderPolygons);
        const ChildRun whole = RunChild({o.tool, input, "-o", oursOut, "-t", kThickness, "--only-result"}, "");
        if (ours < 0 || !blender.ok || !read || !whole.ok) {
            std::fprintf(stderr, "peer_bench: %s: a run failed (ours %s, blender %s, mqthicken %s)\n",
                         Name(c.shape, c.size).c_str(), ours < 0 ? "added nothing" : "ok",
                         blender.ok && read ? "ok" : "failed", whole.ok ? "ok" : "failed");
            c.allRan = false;
            return;
        }
        c.ours.push_back(ours);
        c.solidify.push_back(solidify);
        c.blenderPolygons = blenderPolygons;
        c.oursWhole.push_back(whole.seconds);
        c.blenderWhole.push_back(blender.seconds);
        c.oursPeak = std::max(c.oursPeak, whole.peakBytes);
        c.blenderPeak = std::max(c.blenderPeak, blender.peakBytes);
    }
    // The module's own heap, in a run of its own: the counting slows every
    // allocation a little.
    RunOurs(mesh, nullptr, &c.moduleBytes);
    std::fprintf(stderr, "peer_bench: %s done\n", Name(c.shape, c.size).c_str());
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

void PrintTable(const std::vector<Case>& cases) {
    const double MiB = 1024.0 * 1024.0;
    std::printf("\nThe command against Blender's Solidify (medians; in process: our command vs the modifier's "
                "evaluation; whole: mqthicken vs blender -b, file to file)\n");
    std::printf("%-18s %4s %9s %9s %6s  %8s %8s %6s  %8s %8s %6s  %7s  %s\n", "case", "runs", "ours ms",
                "solid. ms", "ratio", "ours s", "blend. s", "ratio", "ours MiB", "blen MiB", "ratio", "B/face",
                "result");
    for (const Case& c : cases) {
        if (c.ours.empty()) continue;
        const double ours = Median(c.ours), solidify = Median(c.solidify);
        const double whole = Median(c.oursWhole), blender = Median(c.blenderWhole);
        // Blender keeps the input's repeated faces, each with a front and a
        // back, and so (when they lie on the border) not all of their walls.
        const bool same = c.oursPolygons == c.blenderPolygons;
        const bool repeats = c.blenderPolygons > c.oursPolygons &&
                             c.blenderPolygons - c.oursPolygons <= c.expectedExtra;
        std::string result = same ? "same polygons" : repeats ? "same polygons but repeats" : "POLYGONS DIFFER";
        if (!same)
            result += " (" + std::to_string(c.oursPolygons) + " vs " + std::to_string(c.blenderPolygons) +
                      "; the input repeats " + std::to_string(c.expectedExtra / 2) + " faces)";
        result += c.closed ? ", closed" : ", NOT CLOSED";
        result += c.outward ? ", outward" : ", NOT OUTWARD";
        std::printf("%-18s %4zu %9.1f %9.1f %5.2fx  %8.3f %8.3f %5.2fx  %8.0f %8.0f %5.2fx  %7.0f  %s\n",
                    Name(c.shape, c.size).c_str(), c.ours.size(), 1e3 * ours, 1e3 * solidify, ours / solidify,
                    whole, blender, whole / blender, c.oursPeak / MiB, c.blenderPeak / MiB,
                    double(c.oursPeak) / double(c.blenderPeak), double(c.moduleBytes) / double(c.faces),
                    result.c_str());
    }
    std::printf("\nTargets\n");
    for (const Case& c : cases) {
        if (c.ours.empty()) continue;
        const double ratio = Median(c.ours) / Median(c.solidify);
        char verdict[32] = "not judged";
        if (c.size >= kJudgedFrom)
            std::snprintf(verdict, sizeof verdict, "at most %.1fx: %s", kRatio, Verdict(ratio <= kRatio));
        std::printf("%-18s in process %.2fx of Solidify (%s); module heap %.0f B per selected face\n",
                    Name(c.shape, c.size).c_str(), ratio, verdict,
                    double(c.moduleBytes) / double(c.faces));
        if (c.size >= 1000000) {
            const double whole = Median(c.oursWhole) / Median(c.blenderWhole);
            std::printf("%-18s whole run %.2fx of Blender's (at most %.1fx: %s); peak memory %.2fx of Blender's "
                        "(at most 1x: %s)\n",
                        Name(c.shape, c.size).c_str(), whole, kWholeRatio, Verdict(whole <= kWholeRatio),
                        double(c.oursPeak) / double(c.blenderPeak), Verdict(c.oursPeak <= c.blenderPeak));
        }
    }
    for (MeshShape shape : AllMeshShapes()) {
        const Case* small = nullptr;
        const Case* large = nullptr;
        for (const Case& c : cases) {
            if (c.shape != shape || c.ours.empty()) continue;
            if (c.size == 100000) small = &c;
            if (c.size == 1000000) large = &c;
        }
        if (!small || !large) continue;
        // Scaled to exactly ten times the faces.
        auto growth = [&](const std::vector<double>& a, const std::vector<double>& b) {
            return (Median(b) / large->faces) / (Median(a) / small->faces) * 10.0;
        };
        const double inProcess = growth(small->ours, large->ours);
        const double whole = growth(small->oursWhole, large->oursWhole);
        std::printf("growth 100k -> 1M faces, %-10s whole run %.2fx (at most %.0fx: %s), in process %.2fx\n",
                    MeshShapeName(shape), whole, kGrowthLimit, Verdict(whole <= kGrowthLimit), inProcess);
    }
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--tool-stages") {
            o.toolStages = true;
            continue;
        }
        if (i + 1 == argc) return false;
        const std::string value = argv[++i];
        if (name == "--tool") o.tool = value;
        else if (name == "--script") o.script = value;
        else if (name == "--work") o.work = value;
        else if (name == "--blender") o.blender = value;
        else if (name == "--only") o.only = value;
        else if (name == "--runs") o.runs = std::max(1, std::atoi(value.c_str()));
        else if (name == "--large-runs") o.largeRuns = std::max(1, std::atoi(value.c_str()));
        else return false;
    }
    return !o.tool.empty() && (o.toolStages || !o.script.empty()) && !o.work.empty();
}

// The stages of one `mqthicken --timings` run from its standard error, in
// milliseconds, in the order printed; "total" is the sum of the others.
std::vector<std::pair<std::string, double>> ReadTimings(const std::string& path) {
    std::vector<std::pair<std::string, double>> stages;
    std::ifstream in(path);
    std::string line;
    bool inTable = false;
    while (std::getline(in, line)) {
        if (line.find("timings (ms)") != std::string::npos) {
            inTable = true;
            continue;
        }
        if (!inTable || line.size() < 3 || line[0] != ' ') continue;
        const size_t last = line.find_last_of(' ');
        const size_t nameEnd = line.find_last_not_of(' ', last);
        const size_t nameStart = line.find_first_not_of(' ');
        if (last == std::string::npos || nameEnd == std::string::npos || nameStart > nameEnd) continue;
        stages.push_back({line.substr(nameStart, nameEnd - nameStart + 1), std::atof(line.c_str() + last + 1)});
    }
    return stages;
}

// Whole runs of the tool with --timings, the shapes' 100k and 1M inputs in
// turn, and one table per shape: each stage's median wall-clock ms at both
// sizes and its growth, scaled to exactly ten times the faces.
bool PrintToolStages(const Options& o) {
    bool ok = true;
    for (MeshShape shape : AllMeshShapes()) {
        struct Size {
            int size = 0;
            size_t faces = 0;
            std::string input;
            std::vector<std::pair<std::string, std::vector<double>>> stages;
        };
        Size sizes[2];
        sizes[0].size = 100000;
        sizes[1].size = 1000000;
        for (Size& s : sizes) {
            const GeneratedMesh mesh = MakeMesh(shape, s.size);
            s.faces = mesh.faces.size();
            s.input = o.work + "/" + MeshShapeName(shape) + "-" + std::to_string(s.size) + ".obj";
            std::string error;
            if (!WriteMeshFile(mesh, s.input, error)) {
                std::fprintf(stderr, "peer_bench: %s\n", error.c_str());
                return false;
            }
        }
        const std::string output = o.work + "/stages-out.obj", log = o.work + "/stages.log";
        for (int r = 0; r < o.runs; ++r)
            for (Size& s : sizes) {
                const ChildRun run =
                    RunChild({o.tool, s.input, "-o", output, "-t", kThickness, "--timings"}, "", log);
                if (!run.ok) {
                    std::fprintf(stderr, "peer_bench: mqthicken failed on %s\n", s.input.c_str());
                    ok = false;
                    continue;
                }
                for (const auto& [name, ms] : ReadTimings(log)) {
                    auto it = std::find_if(s.stages.begin(), s.stages.end(),
                                           [&](const auto& st) { return st.first == name; });
                    if (it == s.stages.end()) it = s.stages.insert(s.stages.end(), {name, {}});
                    it->second.push_back(ms);
                }
            }
        std::remove(output.c_str());
        std::remove(log.c_str());
        std::printf("\nmqthicken --timings on %s as OBJ, thickness %s (median wall-clock ms of %d runs)\n",
                    MeshShapeName(shape), kThickness, o.runs);
        std::printf("  %-18s %10s %10s %8s\n", "stage", "100k", "1M", "growth");
        const double scale = 10.0 * double(sizes[0].faces) / double(sizes[1].faces);
        for (const auto& [name, small] : sizes[0].stages) {
            const auto large = std::find_if(sizes[1].stages.begin(), sizes[1].stages.end(),
                                            [&](const auto& st) { return st.first == name; });
            if (large == sizes[1].stages.end()) continue;
            const double a = Median(small), b = Median(large->second);
            std::printf("  %-18s %10.1f %10.1f", name.c_str(), a, b);
            if (a > 0.0)
                std::printf(" %7.1fx%s\n", b / a * scale, b / a * scale > kGrowthLimit ? "  <- superlinear" : "");
            else
                std::printf(" %8s\n", "-");
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: peer_bench --tool MQTHICKEN --script SOLIDIFY.py --work DIR [--blender BLENDER]\n"
                     "                  [--runs N] [--large-runs N] [--only SHAPE/FACES]\n"
                     "       peer_bench --tool MQTHICKEN --work DIR --tool-stages [--runs N]\n");
        return 2;
    }
    if (o.toolStages) return PrintToolStages(o) ? 0 : 1;
    if (!StartModuleInProcess()) {
        std::fprintf(stderr, "peer_bench: the module could not bind this program's host functions\n");
        return 1;
    }
    std::vector<Case> cases;
    for (MeshShape shape : AllMeshShapes())
        for (int size : kSizes)
            if (o.only.empty() || o.only == Name(shape, size)) {
                Case c;
                c.shape = shape;
                c.size = size;
                cases.push_back(std::move(c));
            }
    bool allRan = true;
    for (Case& c : cases) {
        RunCase(o, c);
        allRan = allRan && c.allRan;
    }
    PrintTable(cases);
    return allRan ? 0 : 1;
}
