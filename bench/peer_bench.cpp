// The command against its peer, Blender's Solidify modifier (simple mode, rim
// on, centred, one thread), on the generated inputs of 10k, 100k and 1M faces
// written as OBJ, on equal terms:
//   - the same huge-page policy: our programs ask for transparent huge pages
//     for their large blocks and keep blocks given back for reuse; Blender's
//     allocator, jemalloc, is run with MALLOC_CONF=thp:always (abort_conf
//     makes a Blender that does not take the option fail);
//   - warm against warm: our command run again in this process (a first run
//     per case is not counted), against the modifier evaluated again in one
//     Blender process after a change of thickness (median of its repeats);
//   - cold against cold: the command's stages in a fresh mqthicken run (as
//     --timings reports them: after the file is read, before it is written),
//     against the modifier's first evaluation in a fresh Blender (after the
//     import);
//   - whole runs, file to file: mqthicken against blender -b (start, import,
//     modifier once, export as OBJ), with their peak memory;
//   - every fresh process (from 100k faces on) starts after a pause of
//     --settle seconds: on a virtual machine that hands freed memory back to
//     its host within seconds, memory freed just before is far cheaper to
//     touch the first time than the rest, and neither side is to start on
//     the memory the other has just given back.
// Blender with its default policy is measured too, for reference. Runs are
// taken in rounds that alternate the sides. Then the medians, their ratios,
// the growth from 100k to 1M faces, the heap the module itself held at its
// peak per selected face, and whether both results have the same polygons
// and ours is closed and faces outward.
//   peer_bench --tool MQTHICKEN --script SOLIDIFY.py --work DIR [--blender B]
//              [--runs N] [--large-runs N] [--repeats N] [--settle S] [--only SHAPE/FACES[,...]]
// With --tool-stages instead of the peer runs: whole runs of mqthicken
// --timings at 100k and 1M faces of each shape, and per stage (reading and
// writing included) the median at both sizes and its growth.
//   peer_bench --tool MQTHICKEN --work DIR --tool-stages [--runs N]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
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

// Targets at 1M faces of each shape, on equal terms: in process at most
// 1.0x the modifier warm and 1.25x cold; whole runs at most 0.33x Blender's,
// in no more memory; a whole run's growth from 100k to 1M at most 11x. The
// module's own heap per face is shown, not judged.
constexpr int kJudgedAt = 1000000;
constexpr double kWarmRatio = 1.0;
constexpr double kColdRatio = 1.25;
constexpr double kWholeRatio = 0.33;
constexpr double kGrowthLimit = 11.0;

// Blender's allocator with the huge-page policy of our programs, and with
// its own default.
const char* const kBlenderHugePages = "MALLOC_CONF=thp:always,abort_conf:true";
const char* const kBlenderDefault = "MALLOC_CONF";

struct Options {
    std::string tool, script, work, blender = "blender", only;
    int runs = 5;       // per case below 1M faces (--runs N sets both)
    int largeRuns = 3;  // per case of 1M faces: a Blender run takes seconds
    int repeats = 5;    // warm evaluations in one Blender process
    double settle = 3.0;  // seconds of pause before each fresh process
    bool toolStages = false;
};

// One Blender policy's figures for a case.
struct BlenderSide {
    std::vector<double> cold, warm, whole;
    size_t peak = 0, hugeKB = 0;
};

struct Case {
    MeshShape shape = MeshShape::BumpyGrid;
    int size = 0;
    size_t faces = 0;  // of the input, all selected
    std::vector<double> oursWarm, oursCold, oursWhole;
    BlenderSide huge, plain;  // MALLOC_CONF=thp:always; Blender's default
    size_t oursPeak = 0, oursHugeKB = 0, moduleBytes = 0;
    std::vector<double> oursWarmFaults;  // page faults of each warm run
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

// The transparent huge pages this process holds, in KiB (0 when unknown).
size_t HugePagesKB() {
    std::ifstream in("/proc/self/smaps_rollup");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("AnonHugePages:", 0) == 0) return std::strtoull(line.c_str() + 14, nullptr, 10);
    return 0;
}

// The page faults the process has taken so far.
long PageFaults() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

// One run of the command in this process; the result's facts when asked,
// the page faults it took when asked, and the module's own heap at its peak
// when asked (the document is made before the counting starts).
double RunOurs(const GeneratedMesh& mesh, ShellFacts* facts, size_t* moduleBytes = nullptr,
               long* faults = nullptr) {
    auto document = std::make_unique<MQDocumentRec>();
    AddSelectedObject(*document, mesh);
    ThickenAnswers answers;
    answers.thickness = kThickness;
    if (moduleBytes) StartCountingModuleMemory();
    const long faultsBefore = PageFaults();
    const auto start = std::chrono::steady_clock::now();
    const MQObjectRec* added = RunThickenInProcess(*document, answers);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (faults) *faults = PageFaults() - faultsBefore;
    if (moduleBytes) *moduleBytes = StopCountingModuleMemory();
    if (!added) return -1.0;
    if (facts) *facts = FactsOf(*added);
    return elapsed.count();
}

// What the Blender script printed: its cold evaluation, its warm ones, the
// faces of the result and the huge pages it held.
struct SolidifyLog {
    double cold = -1.0;
    std::vector<double> warm;
    size_t faces = 0, hugeKB = 0;
};

SolidifyLog ReadSolidify(const std::string& path) {
    SolidifyLog log;
    std::ifstream in(path);
    std::string line;
    double seconds = 0.0;
    size_t number = 0;
    while (std::getline(in, line)) {
        if (std::sscanf(line.c_str(), "solidify cold %lf faces %zu", &seconds, &number) == 2) {
            log.cold = seconds;
            log.faces = number;
        } else if (std::sscanf(line.c_str(), "solidify warm %lf", &seconds) == 1) {
            log.warm.push_back(seconds);
        } else if (std::sscanf(line.c_str(), "huge pages %zu", &number) == 1) {
            log.hugeKB = number;
        }
    }
    return log;
}

// The command's share of one mqthicken --timings run, in seconds: every
// stage but reading the file, making the document and writing the result.
// Defined below with the stage tables.
double CommandSeconds(const std::string& timingsPath);

// The pause before a fresh process of a case of `size` faces.
void Settle(const Options& o, int size) {
    if (size >= 100000 && o.settle > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(o.settle));
}

// One Blender run under `policy`: with no repeats a whole run (its time,
// peak and cold evaluation are kept), else a run for the warm evaluations.
bool RunBlender(const Options& o, const std::string& input, const std::string& output, const std::string& log,
                const char* policy, int repeats, BlenderSide& side, size_t& faces, int size) {
    Settle(o, size);
    const ChildRun run = RunChild({o.blender, "-b", "--factory-startup", "-t", "1", "--python", o.script, "--",
                                   input, output, kThickness, std::to_string(repeats)},
                                  log, "", {policy});
    const SolidifyLog read = ReadSolidify(log);
    if (!run.ok || read.cold < 0 || int(read.warm.size()) != repeats) return false;
    faces = read.faces;
    side.hugeKB = std::max(side.hugeKB, read.hugeKB);
    if (repeats > 0) {
        side.warm.insert(side.warm.end(), read.warm.begin(), read.warm.end());
        return true;
    }
    side.cold.push_back(read.cold);
    side.whole.push_back(run.seconds);
    side.peak = std::max(side.peak, run.peakBytes);
    return true;
}

void RunCase(const Options& o, Case& c) {
    const GeneratedMesh mesh = MakeMesh(c.shape, c.size);
    c.faces = mesh.faces.size();
    c.expectedExtra = 2 * Repeats(mesh);
    const std::string stem = o.work + "/" + MeshShapeName(c.shape) + "-" + std::to_string(c.size);
    const std::string input = stem + ".obj", oursOut = stem + "-ours.obj", blenderOut = stem + "-blender.obj";
    const std::string blenderLog = stem + "-blender.log", timings = stem + "-timings.log";
    std::string error;
    if (!WriteMeshFile(mesh, input, error)) {
        std::fprintf(stderr, "peer_bench: %s\n", error.c_str());
        c.allRan = false;
        return;
    }
    auto failed = [&](const char* what) {
        std::fprintf(stderr, "peer_bench: %s: %s failed\n", Name(c.shape, c.size).c_str(), what);
        c.allRan = false;
    };
    // The first run of the case in this process is not counted: it meets
    // memory of sizes no earlier case gave back. Its result is checked.
    ShellFacts facts;
    if (RunOurs(mesh, &facts) < 0) return failed("our command");
    c.oursPolygons = facts.polygons;
    c.closed = facts.closed;
    c.outward = facts.volume > 0.0;
    // The warm evaluations of each policy, in one Blender process each.
    size_t faces = 0;
    if (!RunBlender(o, input, blenderOut, blenderLog, kBlenderHugePages, o.repeats, c.huge, faces, c.size))
        return failed("blender (huge pages, warm)");
    if (!RunBlender(o, input, blenderOut, blenderLog, kBlenderDefault, o.repeats, c.plain, faces, c.size))
        return failed("blender (default policy, warm)");
    const int runs = c.size >= 1000000 ? o.largeRuns : o.runs;
    for (int r = 0; r < runs; ++r) {
        long faults = 0;
        const double warm = RunOurs(mesh, nullptr, nullptr, &faults);
        if (warm < 0) return failed("our command");
        c.oursWarm.push_back(warm);
        c.oursWarmFaults.push_back(double(faults));
        c.oursHugeKB = std::max(c.oursHugeKB, HugePagesKB());
        if (!RunBlender(o, input, blenderOut, blenderLog, kBlenderHugePages, 0, c.huge, faces, c.size))
            return failed("blender (huge pages)");
        c.blenderPolygons = faces;
        Settle(o, c.size);
        const ChildRun whole =
            RunChild({o.tool, input, "-o", oursOut, "-t", kThickness, "--only-result", "--timings"}, "", timings);
        const double cold = CommandSeconds(timings);
        if (!whole.ok || cold <= 0) return failed("mqthicken");
        c.oursCold.push_back(cold);
        c.oursWhole.push_back(whole.seconds);
        c.oursPeak = std::max(c.oursPeak, whole.peakBytes);
        if (!RunBlender(o, input, blenderOut, blenderLog, kBlenderDefault, 0, c.plain, faces, c.size))
            return failed("blender (default policy)");
    }
    // The module's own heap, in a run of its own: the counting slows every
    // allocation a little.
    RunOurs(mesh, nullptr, &c.moduleBytes);
    std::fprintf(stderr, "peer_bench: %s done\n", Name(c.shape, c.size).c_str());
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

double Ratio(const std::vector<double>& ours, const std::vector<double>& theirs) {
    return Median(ours) / Median(theirs);
}

void PrintTable(const std::vector<Case>& cases, std::FILE* out) {
    const double MiB = 1024.0 * 1024.0;
    std::fprintf(out, "\nOn equal terms: the command against Blender's Solidify, both allocators on huge pages "
                "(Blender: %s)\n",
                kBlenderHugePages);
    std::fprintf(out, "medians; warm: again in one process; cold: first in a fresh process; whole: mqthicken vs "
                "blender -b, file to file\n");
    std::fprintf(out, "%-18s %4s  %8s %8s %6s  %8s %8s %6s  %7s %7s %6s  %6s %6s %6s  %s\n", "case", "runs", "warm ms",
                "solid.", "ratio", "cold ms", "solid.", "ratio", "whole s", "blend.", "ratio", "MiB", "blend.",
                "ratio", "result");
    for (const Case& c : cases) {
        if (c.oursWarm.empty()) continue;
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
        std::fprintf(out, "%-18s %4zu  %8.1f %8.1f %5.2fx  %8.1f %8.1f %5.2fx  %7.3f %7.3f %5.2fx  %6.0f %6.0f %5.2fx  %s\n",
                    Name(c.shape, c.size).c_str(), c.oursWarm.size(), 1e3 * Median(c.oursWarm),
                    1e3 * Median(c.huge.warm), Ratio(c.oursWarm, c.huge.warm), 1e3 * Median(c.oursCold),
                    1e3 * Median(c.huge.cold), Ratio(c.oursCold, c.huge.cold), Median(c.oursWhole),
                    Median(c.huge.whole), Ratio(c.oursWhole, c.huge.whole), c.oursPeak / MiB, c.huge.peak / MiB,
                    double(c.oursPeak) / double(c.huge.peak), result.c_str());
    }
    std::fprintf(out, "\nFor reference: Blender with its allocator's default policy (MALLOC_CONF unset), the huge "
                "pages each side held (ours: this process after a warm run), the module's heap per face and the "
                "page faults of a warm run of ours\n");
    std::fprintf(out, "%-18s  %8s %6s  %8s %6s  %7s %6s  %6s %6s  %9s %9s %9s  %7s %7s\n", "case", "warm ms", "ours/",
                "cold ms", "ours/", "whole s", "ours/", "MiB", "ours/", "huge MiB", "(thp)", "(default)",
                "B/face", "faults");
    for (const Case& c : cases) {
        if (c.oursWarm.empty()) continue;
        std::fprintf(out, "%-18s  %8.1f %5.2fx  %8.1f %5.2fx  %7.3f %5.2fx  %6.0f %5.2fx  %9.0f %9.0f %9.0f  %7.0f %7.0f\n",
                    Name(c.shape, c.size).c_str(), 1e3 * Median(c.plain.warm), Ratio(c.oursWarm, c.plain.warm),
                    1e3 * Median(c.plain.cold), Ratio(c.oursCold, c.plain.cold), Median(c.plain.whole),
                    Ratio(c.oursWhole, c.plain.whole), c.plain.peak / MiB,
                    double(c.oursPeak) / double(c.plain.peak), c.oursHugeKB / 1024.0, c.huge.hugeKB / 1024.0,
                    c.plain.hugeKB / 1024.0, double(c.moduleBytes) / double(c.faces), Median(c.oursWarmFaults));
    }
    std::fprintf(out, "\nTargets at %d faces, on equal terms\n", kJudgedAt);
    for (const Case& c : cases) {
        if (c.oursWarm.empty() || c.size != kJudgedAt) continue;
        const double warm = Ratio(c.oursWarm, c.huge.warm), cold = Ratio(c.oursCold, c.huge.cold);
        const double whole = Ratio(c.oursWhole, c.huge.whole);
        const double memory = double(c.oursPeak) / double(c.huge.peak);
        std::fprintf(out, "%-18s warm %.2fx (at most %.2fx: %s); cold %.2fx (at most %.2fx: %s); whole run %.2fx "
                    "(at most %.2fx: %s); peak memory %.2fx (at most 1x: %s)\n",
                    Name(c.shape, c.size).c_str(), warm, kWarmRatio, Verdict(warm <= kWarmRatio), cold,
                    kColdRatio, Verdict(cold <= kColdRatio), whole, kWholeRatio, Verdict(whole <= kWholeRatio),
                    memory, Verdict(memory <= 1.0));
    }
    for (MeshShape shape : AllMeshShapes()) {
        const Case* small = nullptr;
        const Case* large = nullptr;
        for (const Case& c : cases) {
            if (c.shape != shape || c.oursWarm.empty()) continue;
            if (c.size == 100000) small = &c;
            if (c.size == 1000000) large = &c;
        }
        if (!small || !large) continue;
        // Scaled to exactly ten times the faces.
        auto growth = [&](const std::vector<double>& a, const std::vector<double>& b) {
            return (Median(b) / large->faces) / (Median(a) / small->faces) * 10.0;
        };
        const double whole = growth(small->oursWhole, large->oursWhole);
        std::fprintf(out, "growth 100k -> 1M faces, %-10s whole run %.2fx (at most %.0fx: %s), warm %.2fx, cold %.2fx\n",
                    MeshShapeName(shape), whole, kGrowthLimit, Verdict(whole <= kGrowthLimit),
                    growth(small->oursWarm, large->oursWarm), growth(small->oursCold, large->oursCold));
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
        else if (name == "--runs") o.runs = o.largeRuns = std::max(1, std::atoi(value.c_str()));
        else if (name == "--large-runs") o.largeRuns = std::max(1, std::atoi(value.c_str()));
        else if (name == "--repeats") o.repeats = std::max(1, std::atoi(value.c_str()));
        else if (name == "--settle") o.settle = std::max(0.0, std::atof(value.c_str()));
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

double CommandSeconds(const std::string& timingsPath) {
    double ms = 0.0;
    for (const auto& [name, stage] : ReadTimings(timingsPath))
        if (name != "read" && name != "document" && name != "write" && name != "total") ms += stage;
    return 1e-3 * ms;
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
                     "                  [--runs N] [--large-runs N] [--repeats N] [--settle S] [--only SHAPE/FACES[,...]]\n"
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
            if (o.only.empty() || ("," + o.only + ",").find("," + Name(shape, size) + ",") != std::string::npos) {
                Case c;
                c.shape = shape;
                c.size = size;
                cases.push_back(std::move(c));
            }
    bool allRan = true;
    for (Case& c : cases) {
        RunCase(o, c);
        // The figures so far, for a run that is cut short.
        PrintTable(cases, stderr);
        allRan = allRan && c.allRan;
    }
    PrintTable(cases, stdout);
    return allRan ? 0 : 1;
}
