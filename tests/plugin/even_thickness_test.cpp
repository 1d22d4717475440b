// Even thickness: with the dialog's box checked, every corner of the front
// surface stands at the thickness from the plane of the face it came from.
#include <cmath>
#include <string>

#include "platform/run_counts.h"
#include "plugin/resource_ids.h"
#include "tests/plugin/command_fixture.h"
#include "tests/plugin/shell_check.h"

namespace {

struct Vec3 {
    double x, y, z;
};

Vec3 Minus(const MQPoint& a, const MQPoint& b) { return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The unit normal of a planar face, facing the way the host's normals do
// (its points run clockwise seen from it).
Vec3 UnitNormal(const std::vector<MQPoint>& p) {
    const Vec3 n = Cross(Minus(p[2], p[0]), Minus(p[1], p[0]));
    const double length = std::sqrt(Dot(n, n));
    return {n.x / length, n.y / length, n.z / length};
}

// For every face of `source` and the face of the front surface made from it
// (same position in face order), the largest relative deviation of a moved
// corner's distance from the source face's plane from `offset`.
double WorstRelativeDeviation(const std::vector<FaceView>& source,
                              const std::vector<FaceView>& front, double offset) {
    double worst = 0.0;
    for (size_t f = 0; f < source.size(); ++f) {
        const Vec3 n = UnitNormal(source[f].points);
        for (size_t k = 0; k < source[f].points.size(); ++k) {
            const double distance = Dot(n, Minus(front[f].points[k], source[f].points[0]));
            worst = std::fmax(worst, std::fabs(distance / offset - 1.0));
        }
    }
    return worst;
}

// The front surface alone, moved to the front by `thickness`, evenly or not.
Answers FrontSurface(const char* thickness, bool even) {
    Answers answers;
    answers.thickness = thickness;
    answers.side = answers.back = false;
    answers.direction = IDC_DIRECTION_FRONT;
    answers.even = even;
    return answers;
}

// A unit hemisphere of `rings` x `segments` faces (triangles at the pole,
// quads elsewhere), open at the equator, faces pointing outward.
void Hemisphere(int rings, int segments, std::vector<MQPoint>& points,
                std::vector<std::vector<int>>& faces) {
    const double pi = std::acos(-1.0);
    points.push_back({0, 1, 0});
    for (int r = 1; r <= rings; ++r) {
        const double polar = 0.5 * pi * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double azimuth = 2.0 * pi * s / segments;
            points.push_back({float(std::sin(polar) * std::cos(azimuth)), float(std::cos(polar)),
                              float(std::sin(polar) * std::sin(azimuth))});
        }
    }
    auto at = [segments](int r, int s) { return 1 + (r - 1) * segments + s % segments; };
    for (int s = 0; s < segments; ++s) faces.push_back({0, at(1, s), at(1, s + 1)});
    for (int r = 1; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
            faces.push_back({at(r, s), at(r + 1, s), at(r + 1, s + 1), at(r, s + 1)});
}

using EvenThickness = CommandTest;

TEST_F(EvenThickness, OpenBoxCornersStandAtTheThicknessFromEveryFace) {
    // Five faces of the unit cube, the top left open, faces pointing outward.
    const std::vector<MQPoint> cube = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                       {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const std::vector<std::vector<int>> openBox = {
        {0, 1, 2, 3}, {7, 6, 5, 4}, {4, 5, 1, 0}, {5, 6, 2, 1}, {7, 4, 0, 3}};
    AddObject(cube, openBox);
    const std::vector<FaceView> source = LiveFaces(*document_.Object(0));

    ASSERT_EQ(Run(FrontSurface("0.2", true)), 1);
    const std::vector<FaceView> even = LiveFaces(Added());
    ASSERT_EQ(even.size(), source.size());
    EXPECT_LT(WorstRelativeDeviation(source, even, 0.2), 1e-6);

    // Along the averaged normals the corners stand nearer.
    ASSERT_EQ(Run(FrontSurface("0.2", false)), 1);
    const std::vector<FaceView> averaged = LiveFaces(Added());
    ASSERT_EQ(averaged.size(), source.size());
    EXPECT_GT(WorstRelativeDeviation(source, averaged, 0.2), 0.25);
}

TEST_F(EvenThickness, AFaceSetAgainstItsNeighboursDoesNotThinTheirWalls) {
    // A floor of two triangles and a wall meeting it at a right angle, and
    // at the floor's corner a triangle wound the other way.
    const std::vector<MQPoint> points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                         {0, 0, 1}, {0, 1, 1}, {1, -1, 0}, {0, -1, 0}};
    AddObject(points, {{0, 1, 2}, {0, 2, 3}, {4, 0, 3, 5}, {0, 6, 7}});
    std::vector<FaceView> source = LiveFaces(*document_.Object(0));

    ASSERT_EQ(Run(FrontSurface("0.2", true)), 1);
    std::vector<FaceView> front = LiveFaces(Added());
    ASSERT_EQ(front.size(), source.size());
    source.pop_back();
    front.pop_back();
    EXPECT_LT(WorstRelativeDeviation(source, front, 0.2), 1e-6);
}

TEST_F(EvenThickness, HemisphereCornersWithinHalfAPercent) {
    std::vector<MQPoint> points;
    std::vector<std::vector<int>> faces;
    Hemisphere(8, 16, points, faces);
    AddObject(points, faces);
    const std::vector<FaceView> source = LiveFaces(*document_.Object(0));

    // The shell closes: the walls join the even front and back surfaces.
    Answers shell;
    shell.thickness = "0.1";
    shell.even = true;
    ASSERT_EQ(Run(shell), 1);
    EXPECT_TRUE(IsClosedAndConsistentlyOriented(Added()));

    ASSERT_EQ(Run(FrontSurface("0.1", true)), 1);
    const std::vector<FaceView> front = LiveFaces(Added());
    ASSERT_EQ(front.size(), source.size());
    EXPECT_LT(WorstRelativeDeviation(source, front, 0.1), 0.005);
}

TEST_F(EvenThickness, FoldsAndDegenerateFacesStayBounded) {
    // Two triangles folded nearly flat onto each other along the edge 0-1,
    // a third of no area on the same edge, and a lone triangle.
    const std::vector<MQPoint> points = {{0, 0, 0}, {1, 0, 0}, {0.5f, 1, 0}, {0.5f, 1, 0.01f},
                                         {0.5f, 0, 0}, {3, 0, 0}, {4, 0, 0}, {3, 1, 0}};
    AddObject(points, {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}, {5, 6, 7}});
    static long long capped;
    capped = -1;
    SetCountHook([](const char* what, long long count) {
        if (std::string(what) == "even offsets capped") capped = count;
    });
    ASSERT_EQ(Run(FrontSurface("0.1", true)), 1);
    SetCountHook(nullptr);
    EXPECT_EQ(capped, 2) << "the two ends of the fold";
    for (const MQPoint& p : LivePositions(Added())) {
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        // No corner moved by more than four times the thickness.
        double nearest = INFINITY;
        for (const MQPoint& q : points) {
            const Vec3 d = Minus(p, q);
            nearest = std::fmin(nearest, std::sqrt(Dot(d, d)));
        }
        EXPECT_LE(nearest, 0.4 + 1e-6);
    }
}

}  // namespace
