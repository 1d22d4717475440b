// Benchmarks of the whole command, in process and without file I/O: the
// generated inputs of 10k, 100k and 1M faces, thickened through
// MQModifySelect with the dialog answered by a script. Each run gets a fresh
// document; only the command is timed. A summary after the benchmarks gives
// the median per case, the growth from 100k to 1M faces and the peak resident
// memory per case, against the targets, and the median time of each stage
// of the command as the module marks them.
#include <benchmark/benchmark.h>

#include <time.h>

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

    // Adds one run's stages; the last one ends at `end`.
    void AddStages(const std::vector<StageMark>& run, double end) {
        for (size_t i = 0; i < run.size(); ++i) {
            const double t = (i + 1 < run.size() ? run[i + 1].start : end) - run[i].start;
            auto it = std::find_if(stages.begin(), stages.end(),
                                   [&](const auto& s) { return s.first == run[i].stage; });
            if (it == stages.end()) {
                stages.push_back({run[i].stage, {}});
                it = stages.end() - 1;
            }
            // A stage marked twice in one run adds up.
            if (it->second.size() < seconds.size()) it->second.resize(seconds.size(), 0.0);
            it->second.back() += t;
        }
    }
};

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
    SetStageHook(RecordMark);
    for (auto _ : state) {
        auto document = std::make_unique<MQDocumentRec>();
        AddSelectedObject(*document, mesh);
        marks.clear();
        marks.reserve(32);
        const double cpuStart = ThreadSeconds();
        const auto start = std::chrono::steady_clock::now();
        const MQObjectRec* result = RunThickenInProcess(*document, answers);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        const double cpuEnd = ThreadSeconds();
        state.SetIterationTime(elapsed.count());
        if (!result) {
            state.SkipWithError("the command added no object");
            break;
        }
        record.seconds.push_back(elapsed.count());
        record.cpuSeconds.push_back(cpuEnd - cpuStart);
        record.AddStages(marks, cpuEnd);
        benchmark::DoNotOptimize(result);
    }
    SetStageHook(nullptr);
    record.peakBytes = std::max(record.peakBytes, PeakResidentMemory());
    state.counters["faces"] = static_cast<double>(mesh.faces.size());
    state.counters["peak_MiB"] = static_cast<double>(PeakResidentMemory()) / (1024.0 * 1024.0);
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

void PrintSummary() {
    if (Records().empty()) return;
    std::printf("\nSummary (in process, file I/O excluded; median of all runs)\n");
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
    std::printf("\nStages (median processor ms of the command's thread)\n");
    for (MeshShape shape : AllMeshShapes())
        for (int size : kSizes) {
            const CaseRecord* r = Find(shape, size);
            if (!r) continue;
            std::printf("%s:", CaseName(shape, size).c_str());
            for (const auto& stage : r->stages)
                std::printf("  %s %.1f", stage.first.c_str(), 1e3 * Median(stage.second));
            std::printf("\n");
        }
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
    for (MeshShape shape : AllMeshShapes())
        for (int size : kSizes)
            benchmark::RegisterBenchmark(("thicken/" + CaseName(shape, size)).c_str(), ThickenCase, shape,
                                         size)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(size >= 1000000 ? 0.01 : 0.5)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
