// The STL reader and writers, binary and ASCII, on the million triangles the
// OBJ ones are measured on.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/format_bench.h"
#include "formats/stl_format.h"
#include "formats/text_sink.h"

namespace {

std::string Written(bool ascii) {
    std::string bytes;
    TextSink out(bytes);
    WriteStl(BenchTriangleScene(), ascii, out);
    out.Flush();
    return bytes;
}

void Write(benchmark::State& state, bool ascii) {
    std::string bytes;
    for (auto _ : state) {
        bytes.clear();
        TextSink out(bytes);
        WriteStl(BenchTriangleScene(), ascii, out);
    }
    ReportBytes(state, bytes.size());
}

void Read(benchmark::State& state, bool ascii) {
    const std::string bytes = Written(ascii);
    for (auto _ : state) {
        Scene scene;
        std::string error;
        if (!ReadStl(bytes, "bench.stl", scene, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(scene.objects.data());
    }
    ReportBytes(state, bytes.size());
}

void StlWriteBinary(benchmark::State& state) { Write(state, false); }
void StlWriteAscii(benchmark::State& state) { Write(state, true); }
void StlReadBinary(benchmark::State& state) { Read(state, false); }
void StlReadAscii(benchmark::State& state) { Read(state, true); }

}  // namespace

BENCHMARK(StlWriteBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(StlWriteAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(StlReadBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(StlReadAscii)->Unit(benchmark::kMillisecond);
