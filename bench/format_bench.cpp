// The tool's readers and writers on a million triangles, each format against
// the others: bytes in memory to a scene, and a scene to bytes in memory, so
// that the figures are the formats' own and not the disk's.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/format_bench.h"
#include "formats/obj_format.h"
#include "formats/text_sink.h"

const Scene& BenchTriangleScene() {
    static const Scene scene = MakeTriangleScene(kBenchTriangles);
    return scene;
}

void ReportBytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["triangles"] = static_cast<double>(BenchTriangleScene().objects[0].FaceCount());
}

namespace {

void ObjWrite(benchmark::State& state) {
    std::string text;
    for (auto _ : state) {
        text.clear();
        TextSink out(text);
        WriteObj(BenchTriangleScene(), out);
    }
    ReportBytes(state, text.size());
}

void ObjRead(benchmark::State& state) {
    const std::string text = WriteObj(BenchTriangleScene());
    for (auto _ : state) {
        Scene scene;
        std::string error;
        if (!ReadObj(text, "bench.obj", scene, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(scene.objects.data());
    }
    ReportBytes(state, text.size());
}

}  // namespace

BENCHMARK(ObjWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(ObjRead)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
