// Benchmarks of the whole command, in process and without file I/O: the
// generated inputs of 10k, 100k and 1M faces, thickened through
// MQModifySelect with the dialog answered by a script. Each run gets a fresh
// document; only the command is timed. A summary after the benchmarks gives
// the median per case, the growth from 100k to 1M faces and the peak resident
// memory per case, against the targets, and the median time of each stage
// of the command as the module marks them.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/generated_mesh.h"
#include "bench/inprocess_command.h"
#include "bench/peak_memory.h"
#include "host/document.h"
#include "platform/stage_marks.h"

namespace {

constexpr int kSizes[] = {10000, 100000, 1000000};

// Targets for the largest grid of quads.
constexpr double kLargestQuadsSeconds = 2.0;
constexpr double kGrowthLimit = 11.0;
constexpr double kPeakLimitBytes = 1.5e9;

// The processor time of this thread, in seconds. On a machine shared with
// other work the wall-clock time of a run varies with the load; the
// processor time of the one thread that runs the command much less.
double ThreadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// With --cold every run happens in a child process of its own, as a single
// run of the command-line tool would: the memory it takes is fresh from the
// system. Otherwise the runs follow each other in this process, and a small
// case is served from memory its predecessors gave back, which glibc keeps
// only for blocks below 32 MB, so the large cases always pay for fresh pages.
bool coldRuns = false;
// With --even the dialog's even-thickness box is checked in every run.
bool evenRuns = false;

// The stages of one run, as the module marks them: (stage, start).
struct StageMark {
    const char* stage;
    double start;  // ThreadSeconds()
};
std::vector<StageMark> marks;

void RecordMark(const char* stage) { marks.push_back({stage, ThreadSeconds()}); }

struct CaseRecord {
    MeshShape shape;
    int size;  // nominal
    size_t faces = 0;
    std::vector<double> seconds;     // wall clock, per run
    std::vector<double> cpuSeconds;  // this thread's processor time, per run
    // Per stage, in order of first mark: the processor seconds of each run.
    std::vector<std::pair<std::string, std::vector<double>>> stages;
    size_t peakBytes = 0;

    // Adds one run's stage times (a stage marked twice in a run comes twice).
    void AddStages(const std::vector<std::pair<std::string, double>>& run) {
        for (const auto& [name, t] : run) {
            auto it = std::find_if(stages.begin(), stages.end(), [&](const auto& s) { return s.first == name; });
            if (it == stages.end()) {
                stages.push_back({name, {}});
                it = stages.end() - 1;
            }
            if (it->second.size() < seconds.size()) it->second.resize(seconds.size(), 0.0);
            it->second.back() += t;
        }
    }
};

struct RunResult {
    bool added = false;
    double wall = 0.0;
    double cpu = 0.0;
    size_t peakBytes = 0;
    std::vector<std::pair<std::string, double>> stages;  // processor seconds
};

// Builds a fresh document holding `mesh` and times the command on it.
RunResult RunOnce(const GeneratedMesh& mesh, const ThickenAnswers& answers) {
    auto document = std::make_unique<MQDocumentRec>();
    AddSelectedObject(*document, mesh);
    marks.clear();
    marks.reserve(32);
    RunResult r;
    const double cpuStart = ThreadSeconds();
    const auto start = std::chrono::steady_clock::now();
    r.added = RunThickenInProcess(*document, answers) != nullptr;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double cpuEnd = ThreadSeconds();
    r.wall = elapsed.count();
    r.cpu = cpuEnd - cpuStart;
    for (size_t i = 0; i < marks.size(); ++i)
        r.stages.push_back({marks[i].stage, (i + 1 < marks.size() ? marks[i + 1].start : cpuEnd) - marks[i].start});
    r.peakBytes = PeakResidentMemory();
    return r;
}

// RunOnce in a child process, which reports back through a pipe.
RunResult RunInChild(const GeneratedMesh& mesh, const ThickenAnswers& answers) {
    RunResult r;
    int fds[2];
    if (pipe(fds) != 0) return r;
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return r;
    }
    if (child == 0) {
        close(fds[0]);
        ResetPeakResidentMemory();
        const RunResult c = RunOnce(mesh, answers);
        std::string text = std::to_string(c.added) + " " + std::to_string(c.wall) + " " +
                           std::to_string(c.cpu) + " " + std::to_string(c.peakBytes) + "\n";
        for (const auto& [name, t] : c.stages) text += name + "\t" + std::to_string(t) + "\n";
        for (size_t done = 0; done < text.size();) {
            const ssize_t n = write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return r;
    int added = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%d %lf %lf %zu\n%n", &added, &r.wall, &r.cpu, &r.peakBytes, &used) < 4)
        return r;
    r.added = added != 0;
    for (size_t at = static_cast<size_t>(used); at < text.size();) {
        const size_t tab = text.find('\t', at), end = text.find('\n', at);
        if (tab == std::string::npos || end == std::string::npos || tab > end) break;
        r.stages.push_back({text.substr(at, tab - at), std::atof(text.c_str() + tab + 1)});
        at = end + 1;
    }
    return r;
}

std::map<std::string, CaseRecord>& Records() {
    static std::map<std::string, CaseRecord> records;
    return records;
}

std::string CaseName(MeshShape shape, int size) {
    return std::string(MeshShapeName(shape)) + "/" + std::to_string(size);
}

void ThickenCase(benchmark::State& state, MeshShape shape, int size) {
    if (!StartModuleInProcess()) {
        state.SkipWithError("the module could not bind this program's host functions");
        return;
    }
    CaseRecord& record = Records()[CaseName(shape, size)];
    record.shape = shape;
    record.size = size;
    const GeneratedMesh mesh = MakeMesh(shape, size);
    record.faces = mesh.faces.size();
    ResetPeakResidentMemory();
    ThickenAnswers answers;
    answers.even = evenRuns;
    SetStageHook(RecordMark);
    size_t peak = 0;
    for (auto _ : state) {
        const RunResult run = coldRuns ? RunInChild(mesh, answers) : RunOnce(mesh, answers);
        state.SetIterationTime(run.wall);
        if (!run.added) {
            state.SkipWithError("the command added no object");
            break;
        }
        record.seconds.push_back(run.wall);
        record.cpuSeconds.push_back(run.cpu);
        record.AddStages(run.stages);
        peak = std::max(peak, run.peakBytes);
    }
    SetStageHook(nullptr);
    record.peakBytes = std::max(record.peakBytes, peak);
    state.counters["faces"] = static_cast<double>(mesh.faces.size());
    state.counters["peak_MiB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

const CaseRecord* Find(MeshShape shape, int size) {
    auto it = Records().find(CaseName(shape, size));
    return it == Records().end() || it->second.seconds.empty() ? nullptr : &it->second;
}

// The median processor seconds of `stage` in `record`, or a negative value
// when the stage was not marked.
double StageMedian(const CaseRecord& record, const std::string& stage) {
    for (const auto& s : record.stages)
        if (s.first == stage) return Median(s.second);
    return -1.0;
}

// Per shape, one line per stage: its median processor time at 100k and 1M
// faces and its growth, scaled to exactly ten times the faces, so that a
// stage that grows faster than the faces shows at once (linear is 10x). A
// size that was not run shows as "-", and so does the growth then.
void PrintStageTables() {
    for (MeshShape shape : AllMeshShapes()) {
        const CaseRecord* small = Find(shape, 100000);
        const CaseRecord* large = Find(shape, 1000000);
        if (!small && !large) continue;
        std::printf("\nStages of %s (median processor ms of the command's thread)\n", MeshShapeName(shape));
        std::printf("  %-18s %10s %10s %8s\n", "stage", "100k", "1M", "growth");
        std::vector<std::string> names;
        for (const CaseRecord* r : {small, large})
            if (r)
                for (const auto& stage : r->stages)
                    if (std::find(names.begin(), names.end(), stage.first) == names.end())
                        names.push_back(stage.first);
        const double scale =
            small && large ? 10.0 * static_cast<double>(small->faces) / static_cast<double>(large->faces) : 0.0;
        auto cell = [](double seconds) {
            if (seconds < 0.0)
                std::printf(" %10s", "-");
            else
                std::printf(" %10.1f", 1e3 * seconds);
        };
        auto row = [&](const std::string& name, double a, double b) {
            std::printf("  %-18s", name.c_str());
            cell(a);
            cell(b);
            if (a > 0.0 && b >= 0.0 && scale > 0.0)
                std::printf(" %7.1fx%s\n", b / a * scale, b / a * scale > kGrowthLimit ? "  <- superlinear" : "");
            else
                std::printf(" %8s\n", "-");
        };
        for (const std::string& name : names)
            row(name, small ? StageMedian(*small, name) : -1.0, large ? StageMedian(*large, name) : -1.0);
        row("whole command", small ? Median(small->cpuSeconds) : -1.0, large ? Median(large->cpuSeconds) : -1.0);
    }
}

void PrintSummary() {
    if (Records().empty()) return;
    std::printf("\nSummary (in process, file I/O excluded; median of all runs; %s%s)\n",
                coldRuns ? "each run in a fresh child process" : "runs one after another in this process",
                evenRuns ? "; even thickness" : "");
    std::printf("%-18s %9s %5s %10s %10s %10s %9s\n", "case", "faces", "runs", "median ms", "min ms",
                "cpu ms", "peak MiB");
    for (MeshShape shape : AllMeshShapes())
        for (int size : kSizes) {
            const CaseRecord* r = Find(shape, size);
            if (!r) continue;
            std::printf("%-18s %9zu %5zu %10.1f %10.1f %10.1f %9.1f\n", CaseName(shape, size).c_str(),
                        r->faces, r->seconds.size(), 1e3 * Median(r->seconds),
                        1e3 * *std::min_element(r->seconds.begin(), r->seconds.end()),
                        1e3 * Median(r->cpuSeconds), static_cast<double>(r->peakBytes) / (1024.0 * 1024.0));
        }
    PrintStageTables();
    std::printf("\n");
    for (MeshShape shape : AllMeshShapes()) {
        const CaseRecord* small = Find(shape, 100000);
        const CaseRecord* large = Find(shape, 1000000);
        if (!small || !large) continue;
        // Scaled to exactly ten times the faces, since the layouts give only
        // about the nominal counts.
        auto growth = [&](const std::vector<double>& a, const std::vector<double>& b) {
            return (Median(b) / large->faces) / (Median(a) / small->faces) * 10.0;
        };
        const double wall = growth(small->seconds, large->seconds);
        const double cpu = growth(small->cpuSeconds, large->cpuSeconds);
        std::printf("growth 100k -> 1M faces, %-10s %6.2fx wall, %6.2fx cpu (target at most %.0fx: %s)\n",
                    MeshShapeName(shape), wall, cpu, kGrowthLimit, wall <= kGrowthLimit ? "met" : "MISSED");
    }
    if (const CaseRecord* quads = Find(MeshShape::BumpyGrid, 1000000)) {
        const double seconds = Median(quads->seconds);
        std::printf("1M quads: %.3f s wall, %.3f s cpu (target at most %.1f s: %s)\n", seconds,
                    Median(quads->cpuSeconds), kLargestQuadsSeconds,
                    seconds <= kLargestQuadsSeconds ? "met" : "MISSED");
        std::printf("1M quads: peak resident memory %.0f MB, input document included (target at most "
                    "%.0f MB: %s)\n",
                    quads->peakBytes / 1e6, kPeakLimitBytes / 1e6,
                    quads->peakBytes <= kPeakLimitBytes ? "met" : "MISSED");
    }
}

}  // namespace

int main(int argc, char** argv) {
    // --cold and --even are ours; the other arguments are Google Benchmark's.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--cold")
            coldRuns = true;
        else if (std::string(argv[i]) == "--even")
            evenRuns = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    for (MeshShape shape : AllMeshShapes())
        for (int size : kSizes)
            benchmark::RegisterBenchmark(("thicken/" + CaseName(shape, size)).c_str(), ThickenCase, shape,
                                         size)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(size >= 1000000 || coldRuns ? 0.01 : 0.5)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
