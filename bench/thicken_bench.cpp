// Benchmarks of the whole command, in process and without file I/O: the
// generated inputs of 10k, 100k and 1M faces, thickened through
// MQModifySelect with the dialog answered by a script. Each run gets a fresh
// document; only the command is timed. A summary after the benchmarks gives
// the median per case, the growth from 100k to 1M faces and the peak resident
// memory per case, against the targets.
#include <benchmark/benchmark.h>

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

namespace {

constexpr int kSizes[] = {10000, 100000, 1000000};

// Targets for the largest grid of quads.
constexpr double kLargestQuadsSeconds = 2.0;
constexpr double kGrowthLimit = 11.0;
constexpr double kPeakLimitBytes = 1.5e9;

struct CaseRecord {
    MeshShape shape;
    int size;  // nominal
    size_t faces = 0;
    std::vector<double> seconds;
    size_t peakBytes = 0;
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
    for (auto _ : state) {
        auto document = std::make_unique<MQDocumentRec>();
        AddSelectedObject(*document, mesh);
        const auto start = std::chrono::steady_clock::now();
        const MQObjectRec* result = RunThickenInProcess(*document, answers);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        if (!result) {
            state.SkipWithError("the command added no object");
            return;
        }
        record.seconds.push_back(elapsed.count());
        benchmark::DoNotOptimize(result);
    }
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
    std::printf("%-18s %9s %6s %12s %12s %12s\n", "case", "faces", "runs", "median ms", "min ms",
                "peak MiB");
    for (MeshShape shape : AllMeshShapes())
        for (int size : kSizes) {
            const CaseRecord* r = Find(shape, size);
            if (!r) continue;
            std::printf("%-18s %9zu %6zu %12.1f %12.1f %12.1f\n", CaseName(shape, size).c_str(), r->faces,
                        r->seconds.size(), 1e3 * Median(r->seconds),
                        1e3 * *std::min_element(r->seconds.begin(), r->seconds.end()),
                        static_cast<double>(r->peakBytes) / (1024.0 * 1024.0));
        }
    for (MeshShape shape : AllMeshShapes()) {
        const CaseRecord* small = Find(shape, 100000);
        const CaseRecord* large = Find(shape, 1000000);
        if (!small || !large) continue;
        // Per face, since the layouts give only about the nominal counts.
        const double growth = (Median(large->seconds) / large->faces) /
                              (Median(small->seconds) / small->faces) * 10.0;
        std::printf("growth 100k -> 1M faces, %-10s %6.2fx (target at most %.0fx: %s)\n",
                    MeshShapeName(shape), growth, kGrowthLimit, growth <= kGrowthLimit ? "met" : "MISSED");
    }
    if (const CaseRecord* quads = Find(MeshShape::BumpyGrid, 1000000)) {
        const double seconds = Median(quads->seconds);
        std::printf("1M quads: %.3f s (target at most %.1f s: %s)\n", seconds, kLargestQuadsSeconds,
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
