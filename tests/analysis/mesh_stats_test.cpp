#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/mesh_stats.h"

namespace {

// The unit cube, faces clockwise seen from outside (the host's front).
SceneObject Cube() {
    SceneObject cube;
    for (int i = 0; i < 8; ++i)
        cube.vertices.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
    // Counter-clockwise seen from outside, then reversed below.
    const int32_t faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& f : faces) {
        int32_t clockwise[4] = {f[3], f[2], f[1], f[0]};
        cube.AddFace(clockwise, nullptr, 4, -1);
    }
    return cube;
}

void Reverse(SceneObject& object, size_t f) {
    std::reverse(object.points.begin() + object.faceStart[f],
                 object.points.begin() + object.faceStart[f + 1]);
}

TEST(MeshStats, OutwardCubeIsClosedOrientedWithPositiveVolume) {
    MeshStats stats = ComputeMeshStats(Cube());
    EXPECT_EQ(stats.vertices, 8u);
    EXPECT_EQ(stats.quads, 6u);
    EXPECT_EQ(stats.triangles, 0u);
    EXPECT_TRUE(stats.closed);
    EXPECT_TRUE(stats.oriented);
    EXPECT_DOUBLE_EQ(stats.signedVolume, 1.0);
}

TEST(MeshStats, InwardCubeHasNegativeVolume) {
    SceneObject cube = Cube();
    for (size_t f = 0; f < cube.FaceCount(); ++f) Reverse(cube, f);
    MeshStats stats = ComputeMeshStats(cube);
    EXPECT_TRUE(stats.closed);
    EXPECT_TRUE(stats.oriented);
    EXPECT_DOUBLE_EQ(stats.signedVolume, -1.0);
}

TEST(MeshStats, OneFlippedFaceBreaksOrientationNotClosure) {
    SceneObject cube = Cube();
    Reverse(cube, 3);
    MeshStats stats = ComputeMeshStats(cube);
    EXPECT_TRUE(stats.closed);
    EXPECT_FALSE(stats.oriented);
}

TEST(MeshStats, OpenBoxAndExtraFaceAreNotClosed) {
    SceneObject open = Cube();
    open.faceStart.pop_back();
    open.points.resize(open.faceStart.back());
    open.faceMaterial.pop_back();
    open.faceHasUv.pop_back();
    open.uvs.resize(open.points.size());
    const MeshStats openStats = ComputeMeshStats(open);
    EXPECT_FALSE(openStats.closed);
    EXPECT_EQ(openStats.openEdges, 4u);
    EXPECT_EQ(openStats.overusedEdges, 0u);

    SceneObject fin = Cube();
    int32_t shared[4] = {0, 1, 5, 4};  // a third face on edges already used twice
    fin.AddFace(shared, nullptr, 4, -1);
    const MeshStats finStats = ComputeMeshStats(fin);
    EXPECT_FALSE(finStats.closed);
    EXPECT_EQ(finStats.openEdges, 0u);
    EXPECT_EQ(finStats.overusedEdges, 4u);
}

TEST(MeshStats, TrianglesLinesAndOthersAreCounted) {
    SceneObject cube = Cube();
    int32_t line[2] = {0, 7};
    cube.AddFace(line, nullptr, 2, -1);  // lines do not take part in closure
    int32_t point[1] = {3};
    cube.AddFace(point, nullptr, 1, -1);
    MeshStats stats = ComputeMeshStats(cube);
    EXPECT_EQ(stats.lines, 1u);
    EXPECT_EQ(stats.others, 1u);
    EXPECT_TRUE(stats.closed);

    SceneObject tetra;
    tetra.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    // Clockwise seen from outside.
    const int32_t faces[4][3] = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
    for (const auto& f : faces) tetra.AddFace(f, nullptr, 3, -1);
    stats = ComputeMeshStats(tetra);
    EXPECT_EQ(stats.triangles, 4u);
    EXPECT_TRUE(stats.closed);
    EXPECT_TRUE(stats.oriented);
    EXPECT_NEAR(stats.signedVolume, 1.0 / 6, 1e-12);
}

TEST(MeshStats, NoFacesIsNotAClosedShell) {
    SceneObject empty;
    empty.vertices = {{0, 0, 0}};
    MeshStats stats = ComputeMeshStats(empty);
    EXPECT_FALSE(stats.closed);
    EXPECT_FALSE(stats.oriented);
    EXPECT_EQ(stats.signedVolume, 0.0);
}

}  // namespace
