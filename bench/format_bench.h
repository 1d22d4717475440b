// What the format benchmarks share: one scene of a million triangles, made
// once, and the figures reported for each run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>

#include "bench/triangle_scene.h"

inline constexpr size_t kBenchTriangles = 1000000;

// The scene every format benchmark reads and writes.
const Scene& BenchTriangleScene();

// Sets the bytes per second of `state` for a file of `bytes` and notes the
// triangle count.
void ReportBytes(benchmark::State& state, size_t bytes);
