// The tool's readers and writers on 100k and a million triangles, each format
// against the others: bytes in memory to a scene, and a scene to bytes in
// memory, so that the figures are the formats' own and not the disk's. The
// time per triangle at both sizes shows whether a path is linear.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <string_view>

#include "bench/triangle_scene.h"
#include "formats/obj_format.h"
#include "formats/ply_format.h"
#include "formats/stl_format.h"
#include "formats/text_sink.h"

namespace {

// The scene of about `triangles` triangles, made once.
const Scene& BenchTriangleScene(size_t triangles) {
    static std::map<size_t, Scene> scenes;
    auto found = scenes.find(triangles);
    if (found == scenes.end()) found = scenes.emplace(triangles, MakeTriangleScene(triangles)).first;
    return found->second;
}

const Scene& BenchTriangleScene(const benchmark::State& state) {
    return BenchTriangleScene(static_cast<size_t>(state.range(0)));
}

using Writer = void (*)(const Scene&, TextSink&);
using Reader = bool (*)(std::string_view, const std::string&, Scene&, std::string&);

std::string Written(const Scene& scene, Writer write) {
    std::string bytes;
    TextSink out(bytes);
    write(scene, out);
    out.Flush();
    return bytes;
}

// Sets the bytes per second of `state` for a file of `bytes`, and the time
// per triangle.
void ReportBytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["per_triangle"] =
        benchmark::Counter(static_cast<double>(BenchTriangleScene(state).objects[0].FaceCount()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void TimeWrite(benchmark::State& state, Writer write) {
    const Scene& scene = BenchTriangleScene(state);
    // Room for the whole text beforehand, as the timed writes are few when
    // each takes long: their string's growth from nothing is no part of a
    // format's cost, and a file's writer has none.
    std::string bytes;
    bytes.reserve(Written(scene, write).size());
    for (auto _ : state) {
        bytes.clear();
        TextSink out(bytes);
        write(scene, out);
    }
    ReportBytes(state, bytes.size());
}

void TimeRead(benchmark::State& state, Writer write, Reader read) {
    const std::string bytes = Written(BenchTriangleScene(state), write);
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

// Each path is timed for a second after a warm-up: the first run of a writer
// pays for the first touch of its output's pages, which on some machines
// costs ten times the writing itself, and says nothing of the format.
void RegisterAll() {
    const struct {
        const char* name;
        Writer write;
        Reader read;  // null: the writer is timed
    } paths[] = {
        {"ObjWrite", Obj, nullptr},           {"ObjRead", Obj, ReadObj},
        {"StlWriteBinary", BinaryStl, nullptr}, {"StlReadBinary", BinaryStl, ReadStl},
        {"StlWriteAscii", AsciiStl, nullptr},  {"StlReadAscii", AsciiStl, ReadStl},
        {"PlyWriteBinary", BinaryPly, nullptr}, {"PlyReadBinary", BinaryPly, ReadPly},
        {"PlyWriteAscii", AsciiPly, nullptr},  {"PlyReadAscii", AsciiPly, ReadPly},
    };
    for (const auto& path : paths) {
        benchmark::internal::Benchmark* timed =
            path.read ? benchmark::RegisterBenchmark(path.name, TimeRead, path.write, path.read)
                      : benchmark::RegisterBenchmark(path.name, TimeWrite, path.write);
        timed->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
        timed->MinWarmUpTime(0.3)->MinTime(1.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
