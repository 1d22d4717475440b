#include "bench/generated_mesh.h"

#include <cassert>
#include <cmath>

#include "host/document.h"

namespace {

// SplitMix64: a fixed sequence of 64-bit values from a fixed seed, the same
// wherever the program runs.
class SeededRandom {
public:
    explicit SeededRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1), from the top 53 bits.
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [-1, 1).
    double Signed() { return 2.0 * Unit() - 1.0; }
    // Uniform in 0 .. n - 1.
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

private:
    uint64_t state_;
};

constexpr uint64_t kSeed = 20240508;
constexpr double kPi = 3.14159265358979323846;

MQPoint Point(double x, double y, double z) {
    return MQPoint{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

MQCoordinate Uv(double u, double v) { return MQCoordinate{static_cast<float>(u), static_cast<float>(v)}; }

// A smooth height field with a few bumps per side, plus a little noise.
double Height(double x, double y, SeededRandom& random) {
    return 3.0 * std::sin(x * 0.15) * std::cos(y * 0.12) + 1.5 * std::sin(x * 0.05 + y * 0.07) +
           0.01 * random.Signed();
}

int RoundedRoot(double value) {
    const int r = static_cast<int>(std::lround(std::sqrt(value)));
    return r < 1 ? 1 : r;
}

GeneratedFace Face(std::initializer_list<int> points, std::initializer_list<MQCoordinate> uvs,
                   int material) {
    assert(points.size() == uvs.size() && points.size() >= 2 && points.size() <= 4);
    GeneratedFace face{};
    face.count = static_cast<int>(points.size());
    int k = 0;
    for (int p : points) face.points[k++] = p;
    k = 0;
    for (const MQCoordinate& uv : uvs) face.uvs[k++] = uv;
    face.material = material;
    return face;
}

}  // namespace

const std::vector<MeshShape>& AllMeshShapes() {
    static const std::vector<MeshShape> shapes{MeshShape::BumpyGrid, MeshShape::Hemisphere,
                                               MeshShape::MixedLines};
    return shapes;
}

const char* MeshShapeName(MeshShape shape) {
    switch (shape) {
    case MeshShape::BumpyGrid: return "quads";
    case MeshShape::Hemisphere: return "hemisphere";
    case MeshShape::MixedLines: return "mixed";
    }
    return "?";
}

GeneratedMesh MakeMesh(MeshShape shape, int faces) {
    switch (shape) {
    case MeshShape::BumpyGrid: return MakeBumpyGrid(faces);
    case MeshShape::Hemisphere: return MakeHoledHemisphere(faces);
    case MeshShape::MixedLines: return MakeMixedWithLines(faces);
    }
    return GeneratedMesh{};
}

GeneratedMesh MakeBumpyGrid(int faces) {
    assert(faces > 0);
    const int s = RoundedRoot(faces);
    const double step = 100.0 / s;
    SeededRandom random(kSeed);
    GeneratedMesh mesh;
    mesh.name = "quads";
    mesh.materials = 2;
    mesh.vertices.reserve(static_cast<size_t>(s + 1) * (s + 1));
    for (int j = 0; j <= s; ++j)
        for (int i = 0; i <= s; ++i) {
            const double x = i * step, y = j * step;
            mesh.vertices.push_back(Point(x, y, Height(x, y, random)));
        }
    auto at = [s](int i, int j) { return j * (s + 1) + i; };
    mesh.faces.reserve(static_cast<size_t>(s) * s);
    for (int j = 0; j < s; ++j)
        for (int i = 0; i < s; ++i) {
            const double u0 = double(i) / s, u1 = double(i + 1) / s;
            const double v0 = double(j) / s, v1 = double(j + 1) / s;
            // Clockwise seen from +z, the host's front.
            mesh.faces.push_back(Face({at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)},
                                      {Uv(u0, v0), Uv(u0, v1), Uv(u1, v1), Uv(u1, v0)},
                                      2 * i < s ? 0 : 1));
        }
    return mesh;
}

GeneratedMesh MakeHoledHemisphere(int faces) {
    assert(faces > 0);
    // Two triangles per cell of `rings` by `segments` cells, about twice as
    // many segments as rings.
    const int rings = RoundedRoot(faces / 4.0);
    int segments = faces / (2 * rings);
    if (segments < 3) segments = 3;
    const double hole = 15.0 * kPi / 180.0;  // polar angle of the hole's rim
    const double radius = 50.0;
    SeededRandom random(kSeed + 1);
    GeneratedMesh mesh;
    mesh.name = "hemisphere";
    mesh.materials = 1;
    mesh.vertices.reserve(static_cast<size_t>(rings + 1) * segments);
    for (int r = 0; r <= rings; ++r) {
        const double phi = hole + (kPi / 2 - hole) * r / rings;
        for (int m = 0; m < segments; ++m) {
            const double theta = 2.0 * kPi * m / segments;
            const double rho = radius * (1.0 + 0.002 * random.Signed());
            mesh.vertices.push_back(Point(rho * std::sin(phi) * std::cos(theta),
                                          rho * std::sin(phi) * std::sin(theta), rho * std::cos(phi)));
        }
    }
    // The seam closes: segment `segments` is segment 0 again.
    auto at = [segments](int r, int m) { return r * segments + (m % segments); };
    mesh.faces.reserve(static_cast<size_t>(2) * rings * segments);
    for (int r = 0; r < rings; ++r)
        for (int m = 0; m < segments; ++m) {
            const double u0 = double(m) / segments, u1 = double(m + 1) / segments;
            const double v0 = double(r) / rings, v1 = double(r + 1) / rings;
            const int a = at(r, m), b = at(r, m + 1), c = at(r + 1, m + 1), d = at(r + 1, m);
            const MQCoordinate ua = Uv(u0, v0), ub = Uv(u1, v0), uc = Uv(u1, v1), ud = Uv(u0, v1);
            // The diagonal alternates, so that vertices have 4 to 8 triangles.
            if ((r + m) % 2 == 0) {
                mesh.faces.push_back(Face({a, b, c}, {ua, ub, uc}, 0));
                mesh.faces.push_back(Face({a, c, d}, {ua, uc, ud}, 0));
            } else {
                mesh.faces.push_back(Face({a, b, d}, {ua, ub, ud}, 0));
                mesh.faces.push_back(Face({b, c, d}, {ub, uc, ud}, 0));
            }
        }
    return mesh;
}

GeneratedMesh MakeMixedWithLines(int faces) {
    assert(faces > 0);
    // About 1.5 polygons per cell and one line per 20 faces.
    const int s = RoundedRoot(faces / 1.6);
    const double step = 100.0 / s;
    SeededRandom random(kSeed + 2);
    GeneratedMesh mesh;
    mesh.name = "mixed";
    mesh.materials = 3;
    auto at = [s](int i, int j) { return j * (s + 1) + i; };
    // Rows of vertices are made as the cells reach them.
    int rowsMade = 0;
    auto makeRow = [&](int j) {
        for (int i = 0; i <= s; ++i) {
            const double x = i * step, y = j * step;
            mesh.vertices.push_back(Point(x, y, Height(x, y, random)));
        }
    };
    auto add = [&](const GeneratedFace& face) {
        if (static_cast<int>(mesh.faces.size()) < faces) mesh.faces.push_back(face);
    };
    mesh.faces.reserve(static_cast<size_t>(faces));
    const MQCoordinate none{0.0f, 0.0f};
    for (int j = 0; static_cast<int>(mesh.faces.size()) < faces; ++j) {
        while (rowsMade <= j + 1) makeRow(rowsMade++);
        for (int i = 0; i < s && static_cast<int>(mesh.faces.size()) < faces; ++i) {
            const int a = at(i, j), b = at(i, j + 1), c = at(i + 1, j + 1), d = at(i + 1, j);
            const double u0 = double(i) / s, u1 = double(i + 1) / s;
            const double v0 = double(j) / s, v1 = double(j + 1) / s;
            const MQCoordinate ua = Uv(u0, v0), ub = Uv(u0, v1), uc = Uv(u1, v1), ud = Uv(u1, v0);
            const int material = random.Below(4) - 1;  // -1: none
            if (random.Below(2) == 0) {
                add(Face({a, b, c, d}, {ua, ub, uc, ud}, material));
            } else {
                add(Face({a, b, c}, {ua, ub, uc}, material));
                add(Face({a, c, d}, {ua, uc, ud}, material));
            }
            if (mesh.faces.size() % 20 == 0 && static_cast<int>(mesh.faces.size()) < faces) {
                // Alternately a line on a side of the cell, which the surface
                // already has, and a hair standing up from a corner.
                if (mesh.faces.size() % 40 == 0) {
                    add(Face({a, b}, {none, none}, -1));
                } else {
                    const MQPoint& base = mesh.vertices[static_cast<size_t>(a)];
                    mesh.vertices.push_back(Point(base.x, base.y, base.z + 2.0 * step));
                    add(Face({a, static_cast<int>(mesh.vertices.size()) - 1}, {none, none}, -1));
                }
            }
            // Now and then a face repeats the previous one, as careless
            // editing leaves it; the model keeps only the first.
            if (random.Below(500) == 0) add(GeneratedFace(mesh.faces.back()));
        }
    }
    return mesh;
}

MQObjectRec* MakeHostObject(const GeneratedMesh& mesh) {
    MQObjectRec* object = new MQObjectRec();
    object->name = mesh.name;
    object->positions.reserve(mesh.vertices.size());
    for (const MQPoint& p : mesh.vertices) object->AddVertex(p);
    object->faces.reserve(mesh.faces.size());
    for (const GeneratedFace& face : mesh.faces) {
        const int f = object->AddFace(face.count, face.points, face.uvs);
        assert(f >= 0);
        object->faces[static_cast<size_t>(f)].material = face.material;
    }
    return object;
}

int AddSelectedObject(MQDocumentRec& document, const GeneratedMesh& mesh) {
    const int slot = document.AddObject(MakeHostObject(mesh));
    MQObjectRec* object = document.Object(slot);
    for (int f = 0; f < object->FaceCount(); ++f) document.SelectFace(slot, f, true);
    return slot;
}
