// The tool's readers and writers on a million triangles, each format against
// the others: bytes in memory to a scene, and a scene to bytes in memory, so
// that the figures are the formats' own and not the disk's.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "bench/triangle_scene.h"
#include "formats/obj_format.h"
#include "formats/ply_format.h"
#include "formats/stl_format.h"
#include "formats/text_sink.h"

namespace {

constexpr size_t kBenchTriangles = 1000000;

const Scene& BenchTriangleScene() {
    static const Scene scene = MakeTriangleScene(kBenchTriangles);
    return scene;
}

using Writer = void (*)(const Scene&, TextSink&);
using Reader = bool (*)(std::string_view, const std::string&, Scene&, std::string&);

std::string Written(Writer write) {
    std::string bytes;
    TextSink out(bytes);
    write(BenchTriangleScene(), out);
    out.Flush();
    return bytes;
}

// Sets the bytes per second of `state` for a file of `bytes` and notes the
// triangle count.
void ReportBytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["triangles"] = static_cast<double>(BenchTriangleScene().objects[0].FaceCount());
}

void TimeWrite(benchmark::State& state, Writer write) {
    std::string bytes;
    for (auto _ : state) {
        bytes.clear();
        TextSink out(bytes);
        write(BenchTriangleScene(), out);
    }
    ReportBytes(state, bytes.size());
}

void TimeRead(benchmark::State& state, Writer write, Reader read) {
    const std::string bytes = Written(write);
    for (auto _ : state) {
        Scene scene;
        std::string error;
        if (!read(bytes, "bench", scene, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(scene.objects.data());
    }
    ReportBytes(state, bytes.size());
}

void Obj(const Scene& scene, TextSink& out) { WriteObj(scene, out); }
void BinaryStl(const Scene& scene, TextSink& out) { WriteStl(scene, false, out); }
void AsciiStl(const Scene& scene, TextSink& out) { WriteStl(scene, true, out); }
void BinaryPly(const Scene& scene, TextSink& out) { WritePly(scene, false, out); }
void AsciiPly(const Scene& scene, TextSink& out) { WritePly(scene, true, out); }

}  // namespace

BENCHMARK_CAPTURE(TimeWrite, ObjWrite, Obj)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeRead, ObjRead, Obj, ReadObj)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeWrite, StlWriteBinary, BinaryStl)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeRead, StlReadBinary, BinaryStl, ReadStl)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeWrite, StlWriteAscii, AsciiStl)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeRead, StlReadAscii, AsciiStl, ReadStl)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeWrite, PlyWriteBinary, BinaryPly)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeRead, PlyReadBinary, BinaryPly, ReadPly)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeWrite, PlyWriteAscii, AsciiPly)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TimeRead, PlyReadAscii, AsciiPly, ReadPly)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
