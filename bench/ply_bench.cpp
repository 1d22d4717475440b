// The PLY reader and writers on the million triangles of the format
// benchmarks, in memory: binary little-endian and ASCII, against OBJ's.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/format_bench.h"
#include "formats/ply_format.h"
#include "formats/text_sink.h"

namespace {

std::string PlyBytes(bool ascii) {
    std::string bytes;
    TextSink out(bytes);
    WritePly(BenchTriangleScene(), ascii, out);
    out.Flush();
    return bytes;
}

void PlyWrite(benchmark::State& state, bool ascii) {
    std::string bytes;
    for (auto _ : state) {
        bytes.clear();
        TextSink out(bytes);
        WritePly(BenchTriangleScene(), ascii, out);
    }
    ReportBytes(state, bytes.size());
}

void PlyRead(benchmark::State& state, bool ascii) {
    const std::string bytes = PlyBytes(ascii);
    for (auto _ : state) {
        Scene scene;
        std::string error;
        if (!ReadPly(bytes, "bench.ply", scene, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(scene.objects.data());
    }
    ReportBytes(state, bytes.size());
}

void PlyWriteBinary(benchmark::State& state) { PlyWrite(state, false); }
void PlyWriteAscii(benchmark::State& state) { PlyWrite(state, true); }
void PlyReadBinary(benchmark::State& state) { PlyRead(state, false); }
void PlyReadAscii(benchmark::State& state) { PlyRead(state, true); }

}  // namespace

BENCHMARK(PlyWriteBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(PlyWriteAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(PlyReadBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(PlyReadAscii)->Unit(benchmark::kMillisecond);
