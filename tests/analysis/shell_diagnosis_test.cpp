#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/shell_diagnosis.h"

namespace {

// One object of quads and triangles given by their corners' positions.
Scene Patches(const std::vector<std::vector<ScenePoint>>& faces) {
    Scene scene;
    SceneObject object;
    for (const auto& face : faces) {
        std::vector<int32_t> points;
        for (const ScenePoint& p : face) {
            points.push_back(static_cast<int32_t>(object.vertices.size()));
            object.vertices.push_back(p);
        }
        object.AddFace(points.data(), nullptr, static_cast<uint32_t>(points.size()), -1);
    }
    scene.objects.push_back(object);
    return scene;
}

SelectionFaults Diagnose(const Scene& scene) {
    std::vector<SceneFaceRef> faces;
    for (uint32_t f = 0; f < scene.objects[0].FaceCount(); ++f) faces.emplace_back(0, f);
    return DiagnoseSelection(scene, faces);
}

TEST(ShellDiagnosis, FindsEachCauseOfAnOpenShell) {
    // A clean strip of two quads (points joined by position): nothing.
    const Scene strip = Patches({{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}},
                                 {{1, 0, 0}, {1, 1, 0}, {2, 1, 0}, {2, 0, 0}}});
    const SelectionFaults none = Diagnose(strip);
    EXPECT_EQ(none.fanVertices + none.crowdedEdges + none.nearPoints + none.zeroLengthEdges, 0u);

    // Two quads that touch at one corner, -0 and +0 being one place.
    const SelectionFaults bowtie = Diagnose(Patches({{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}},
                                                     {{1, 1, -0.0f}, {1, 2, 0}, {2, 2, 0}, {2, 1, 0}}}));
    EXPECT_EQ(bowtie.fanVertices, 1u);
    EXPECT_EQ(bowtie.crowdedEdges, 0u);

    // A fin: three faces on one edge.
    const SelectionFaults fin = Diagnose(Patches({{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}},
                                                  {{1, 0, 0}, {1, 1, 0}, {2, 1, 0}, {2, 0, 0}},
                                                  {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}}));
    EXPECT_EQ(fin.crowdedEdges, 1u);
    EXPECT_EQ(fin.fanVertices, 0u);

    // Details finer than the welds, and a corner repeated.
    const SelectionFaults fine = Diagnose(Patches({{{0, 0, 0}, {0, 0.0005f, 0}, {0.0005f, 0.0005f, 0}},
                                                   {{5, 5, 5}, {5, 5.00005f, 5}, {6, 5, 5}},
                                                   {{9, 9, 9}, {9, 9, 9}, {9, 10, 9}}}));
    EXPECT_EQ(fine.nearPoints, 5u);
    EXPECT_EQ(fine.veryNearPoints, 2u);
    EXPECT_EQ(fine.zeroLengthEdges, 1u);

    MeshStats open;
    open.oriented = true;
    EXPECT_EQ(DescribeOpenShell(open, fine),
              "the new object is not closed; in the selected faces: 5 points within 0.001 of "
              "another point (2 within 0.0001), which the welds join; a model in metres may "
              "want --scale 100, 1 edge of zero length");

    // A clean selection whose shell was welded onto itself.
    MeshStats welded;
    welded.oriented = true;
    welded.overusedEdges = 12;
    EXPECT_EQ(DescribeOpenShell(welded, none),
              "the new object is not closed; 12 edges of the new object shared by more than two "
              "faces, where its surfaces were welded together (is the thickness more than the "
              "shape can take?)");
    // Faults of the selection explain overused edges of the result.
    EXPECT_EQ(DescribeOpenShell(welded, bowtie).find("welded together"), std::string::npos);
}

// Points near one another whatever cells they fall in: a cloud of points
// as dense as the weld distances, pairs astride the grid's walls among
// them, counted as a comparison of all pairs counts them.
TEST(ShellDiagnosis, NearPointsAreFoundAcrossEveryWall) {
    std::mt19937 random(17);
    std::uniform_real_distribution<float> inCloud(-0.004f, 0.004f), step(-0.00009f, 0.00009f);
    std::vector<ScenePoint> points;
    for (int i = 0; i < 300; ++i) {
        const ScenePoint p{inCloud(random), inCloud(random), inCloud(random)};
        points.push_back(p);
        // A partner a little way off, often in the next cell along an axis.
        if (i % 3 == 0) points.push_back({p.x + step(random) * 10, p.y + step(random), p.z + step(random)});
        if (i % 5 == 0) points.push_back({p.x + step(random), p.y + step(random), p.z + step(random)});
    }
    while (points.size() % 3) points.pop_back();
    std::vector<std::vector<ScenePoint>> triangles;
    for (size_t i = 0; i < points.size(); i += 3) triangles.push_back({points[i], points[i + 1], points[i + 2]});

    size_t near = 0, veryNear = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        double nearest = INFINITY;
        for (size_t j = 0; j < points.size(); ++j) {
            const double dx = double(points[j].x) - points[i].x, dy = double(points[j].y) - points[i].y,
                         dz = double(points[j].z) - points[i].z;
            if (j != i) nearest = std::min(nearest, std::sqrt(dx * dx + dy * dy + dz * dz));
        }
        near += nearest <= 0.001;
        veryNear += nearest <= 0.0001;
    }
    ASSERT_GT(near, 50u);
    ASSERT_GT(veryNear, 10u);
    const SelectionFaults faults = Diagnose(Patches(triangles));
    EXPECT_EQ(faults.nearPoints, near);
    EXPECT_EQ(faults.veryNearPoints, veryNear);
}

// The centre of a fan of many triangles is read as one of few: its edges
// are found, and a fin on one of them counted once.
TEST(ShellDiagnosis, ACentreOfManyEdgesIsReadAsOneOfFew) {
    std::vector<std::vector<ScenePoint>> faces;
    const int spokes = 40;
    auto rim = [&](int k) {
        const double a = 2 * 3.141592653589793 * (k % spokes) / spokes;
        return ScenePoint{static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 0};
    };
    for (int k = 0; k < spokes; ++k) faces.push_back({{0, 0, 0}, rim(k + 1), rim(k)});
    faces.push_back({{0, 0, 0}, rim(0), {0, 0, 1}});
    const SelectionFaults faults = Diagnose(Patches(faces));
    EXPECT_EQ(faults.crowdedEdges, 1u);
    EXPECT_EQ(faults.fanVertices, 0u);
    EXPECT_EQ(faults.zeroLengthEdges, 0u);
}

}  // namespace
