#include "thicken/even_offsets.h"

#include <cmath>
#include <vector>

#include "mesh/polygon_object.h"
#include "mesh/vertex_object.h"
#include "mesh/zum_mq_object.h"

namespace {

// Normals closer than a degree belong to one plane: cos 1°.
constexpr double kSamePlaneCosine = 0.99984769515639123916;
// A direction in which the planes' normals spread by less than about two
// degrees (the eigenvalue of the plane matrix, relative to the largest) says
// nothing reliable about where the vertex should go along it.
constexpr double kFlatDirection = 1e-3;
// A face whose doubled area is no more than this share of the sum of its
// squared sides has no plane worth the name: the rounding of its
// single-precision corners turns its normal by a degree or more (where its
// coordinates are no larger than its sides).
constexpr double kNoArea = 1e-6;
// A face turned more than 120 degrees from the averaged normal at a corner
// is set against the faces around it (wound the other way, or across a
// seam of a non-manifold model): no point can stand at the offset from its
// plane and theirs, and taking it in would thin the walls of all of them.
constexpr double kAgainstNeighbours = -0.5;
// Distinct planes kept apart around one vertex; further ones (the pole of a
// fine sphere) enter the least-squares sums one face at a time.
constexpr int kMaxPlanes = 8;

struct Vec {
    double x, y, z;
};

inline Vec Sub(const ZUM_MQVector& a, const ZUM_MQVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec Cross(const Vec& a, const Vec& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec Scale(const Vec& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec Plus(const Vec& a, const Vec& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec Unit(const Vec& a) { return Scale(a, 1.0 / std::sqrt(Dot(a, a))); }

// A face's unit normal, facing the way its corner normals do; `usable` is
// false for a face that takes no part.
struct FacePlane {
    Vec normal;
    bool usable;
};

FacePlane PlaneOf(const PolygonObject& polygon) {
    const int n = polygon.VertexCount();
    if (n != 3 && n != 4) return {};
    const VertexObject* c[4] = {};
    for (int k = 0; k < n; ++k) c[k] = polygon.VertexAt(k);
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (c[i]->Index() == c[j]->Index()) return {};
    // The corners run clockwise seen from the normal's side. For a quad the
    // cross product of the diagonals is its mean plane's normal, twice its area long.
    const Vec normal = n == 3 ? Cross(Sub(c[2]->Position(), c[0]->Position()),
                                      Sub(c[1]->Position(), c[0]->Position()))
                              : Cross(Sub(c[3]->Position(), c[1]->Position()),
                                      Sub(c[2]->Position(), c[0]->Position()));
    double sides = 0.0;
    for (int k = 0; k < n; ++k) {
        const Vec side = Sub(c[k + 1 < n ? k + 1 : 0]->Position(), c[k]->Position());
        sides += Dot(side, side);
    }
    const double length = std::sqrt(Dot(normal, normal));
    // Written so that NaN and infinities fail it.
    if (!(length > kNoArea * sides) || !(length < HUGE_VAL)) return {};
    return {Scale(normal, 1.0 / length), true};
}

// The angle in radians, 0 to pi, whose sine and cosine are proportional to
// `sine` (not negative) and `cosine`, within 1e-7: arithmetic and a square
// root alone, so that every build of the module weighs the planes alike to
// the last bit, whatever its C library's atan2 would say.
double AngleOf(double sine, double cosine) {
    const double x = std::fabs(cosine);
    const double larger = std::fmax(x, sine);
    if (!(larger > 0.0)) return 0.0;
    const double a = std::fmin(x, sine) / larger;
    const double s = a * a;
    // The arctangent of a in [0, 1] as a polynomial (Abramowitz and Stegun 4.4.49).
    static const double kCoefficients[] = {-0.0161657367, 0.0429096138, -0.0752896400,
                                           0.1065626393,  -0.1420889944, 0.1999355085,
                                           -0.3333314528, 1.0};
    double r = 0.0028662257;
    for (double c : kCoefficients) r = r * s + c;
    r *= a;
    if (sine > x) r = 1.57079632679489662 - r;
    return cosine < 0.0 ? 3.14159265358979324 - r : r;
}

// The angle of `polygon`'s corner at `vertex` (matched by index), in radians.
double CornerAngle(const PolygonObject& polygon, const VertexObject& vertex) {
    const int n = polygon.VertexCount();
    int k = 0;
    while (k < n && polygon.VertexAt(k)->Index() != vertex.Index()) ++k;
    if (k == n) return 0.0;
    const ZUM_MQVector& at = vertex.Position();
    const Vec u = Sub(polygon.VertexAt(k == 0 ? n - 1 : k - 1)->Position(), at);
    const Vec w = Sub(polygon.VertexAt(k + 1 < n ? k + 1 : 0)->Position(), at);
    const Vec c = Cross(u, w);
    return AngleOf(std::sqrt(Dot(c, c)), Dot(u, w));
}

// The symmetric 3x3 matrix sum of w n n^T and the vector sum of w n over the
// planes around one vertex.
struct PlaneSums {
    double a[3][3] = {};
    Vec b = {0.0, 0.0, 0.0};

    void Add(const Vec& n, double w) {
        const double v[3] = {n.x, n.y, n.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) a[i][j] += w * v[i] * v[j];
        b = Plus(b, Scale(n, w));
    }
};

inline Vec Times(const double (&a)[3][3], const Vec& v) {
    return {a[0][0] * v.x + a[0][1] * v.y + a[0][2] * v.z, a[1][0] * v.x + a[1][1] * v.y + a[1][2] * v.z,
            a[2][0] * v.x + a[2][1] * v.y + a[2][2] * v.z};
}

// The least-squares d of the sums, sum w (n . d - 1)^2 least, in the
// directions where the planes differ enough to say; in the others d keeps
// no component, so that nearly parallel planes move the vertex along their
// common normal.
Vec LeastSquaresOffset(const PlaneSums& sums) {
    // When every eigenvalue is sure to pass, the matrix is simply inverted:
    // the smallest is at least the determinant over the sum of the products
    // of pairs (the diagonal cofactors), the largest at most the trace.
    const double (&a)[3][3] = sums.a;
    const Vec& b = sums.b;
    const double c0 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
    const double c1 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
    const double c2 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
    const double c4 = a[0][0] * a[2][2] - a[0][2] * a[2][0];
    const double c5 = a[0][1] * a[2][0] - a[0][0] * a[2][1];
    const double c8 = a[0][0] * a[1][1] - a[0][1] * a[1][0];
    const double det = a[0][0] * c0 + a[0][1] * c1 + a[0][2] * c2;
    const double trace = a[0][0] + a[1][1] + a[2][2];
    // The inverse of a symmetric matrix is its cofactor matrix over the determinant.
    auto inverse = [&] {
        return Vec{(c0 * b.x + c1 * b.y + c2 * b.z) / det, (c1 * b.x + c4 * b.y + c5 * b.z) / det,
                   (c2 * b.x + c5 * b.y + c8 * b.z) / det};
    };
    if (det > kFlatDirection * trace * (c0 + c4 + c8)) return inverse();
    // When the planes are nearly parallel in every direction (the rest of
    // the trace beyond the mean normal's share is below the threshold, so
    // both smaller eigenvalues are), only the largest eigenvector counts:
    // a few power steps from the mean normal find it to a billionth.
    const double bLength = std::sqrt(Dot(b, b));
    if (!(bLength > 0.0)) return {0.0, 0.0, 0.0};
    Vec e = Scale(b, 1.0 / bLength);
    const double share = Dot(e, Times(a, e));
    if (trace - share < kFlatDirection * share) {
        for (int step = 0; step < 3; ++step) e = Unit(Times(a, e));
        return Scale(e, Dot(e, b) / Dot(e, Times(a, e)));
    }
    // Otherwise find the flattest direction: the adjugate (the cofactor
    // matrix) has the matrix's eigenvectors with the products of the other
    // two eigenvalues, so its longest column, sharpened by two products,
    // points along it. Across it the plane's 2x2 part is solved in its own
    // eigenvectors.
    const double adjugate[3][3] = {{c0, c1, c2}, {c1, c4, c5}, {c2, c5, c8}};
    const Vec columns[3] = {{c0, c1, c2}, {c1, c4, c5}, {c2, c5, c8}};
    Vec flat = columns[0];
    for (const Vec& column : columns)
        if (Dot(column, column) > Dot(flat, flat)) flat = column;
    if (!(Dot(flat, flat) > 0.0)) return Scale(e, Dot(e, b) / share);
    flat = Unit(flat);
    for (int step = 0; step < 2; ++step) flat = Unit(Times(adjugate, flat));
    const Vec axis = std::fabs(flat.x) < 0.5 ? Vec{1.0, 0.0, 0.0} : Vec{0.0, 1.0, 0.0};
    const Vec u = Unit(Cross(flat, axis));
    const Vec v = Cross(flat, u);
    const Vec au = Times(a, u);
    const double p = Dot(u, au), q = Dot(v, au), r = Dot(v, Times(a, v));
    const double half = 0.5 * (p - r);
    const double spread = std::sqrt(half * half + q * q);
    const double largest = 0.5 * (p + r) + spread, middle = 0.5 * (p + r) - spread;
    if (Dot(flat, Times(a, flat)) > kFlatDirection * largest) return inverse();
    const double bu = Dot(u, b), bv = Dot(v, b);
    if (middle > kFlatDirection * largest) {
        const double det2 = p * r - q * q;
        return Plus(Scale(u, (r * bu - q * bv) / det2), Scale(v, (p * bv - q * bu) / det2));
    }
    // Only the largest: its eigenvector in the plane, (q, largest - p) or
    // (largest - r, q), whichever is the longer.
    const double x1 = q, y1 = largest - p, x2 = largest - r, y2 = q;
    const bool first = x1 * x1 + y1 * y1 >= x2 * x2 + y2 * y2;
    const Vec top = Unit(Plus(Scale(u, first ? x1 : x2), Scale(v, first ? y1 : y2)));
    return Scale(top, Dot(top, b) / largest);
}

// The distinct planes around one vertex: each a weighted sum of the unit
// normals of its faces, with the first face's normal to compare others with.
struct VertexPlanes {
    Vec first[kMaxPlanes];
    Vec sum[kMaxPlanes];
    double weight[kMaxPlanes];
    int count = 0;
    PlaneSums extra;  // planes beyond kMaxPlanes
    int extraCount = 0;

    void Add(const Vec& n, double w) {
        for (int i = 0; i < count; ++i) {
            if (Dot(first[i], n) >= kSamePlaneCosine) {
                sum[i] = Plus(sum[i], Scale(n, w));
                weight[i] += w;
                return;
            }
        }
        if (count < kMaxPlanes) {
            first[count] = n;
            sum[count] = Scale(n, w);
            weight[count] = w;
            ++count;
            return;
        }
        extra.Add(n, w);
        ++extraCount;
    }
};

enum class Outcome {
    Placed,    // d puts the vertex at the offset from its planes
    Capped,    // d was cut to kMaxEvenDisplacement
    Folded,    // the planes fold back on one another with no direction between them
    NoPlane,   // no face around the vertex takes part
};

// The offset vector of one vertex from its planes, in `d`.
Outcome EvenOffset(VertexPlanes& planes, Vec& d) {
    const int total = planes.count + planes.extraCount;
    if (total == 0) return Outcome::NoPlane;
    Vec n[kMaxPlanes];
    for (int i = 0; i < planes.count; ++i) {
        const Vec& s = planes.sum[i];
        const double length = std::sqrt(Dot(s, s));
        n[i] = length > 0.0 ? Scale(s, 1.0 / length) : planes.first[i];
    }
    if (total == 1) {
        d = n[0];
        return Outcome::Placed;
    }
    if (total == 2) {
        // The point on the bisector at the offset from both planes.
        const double onePlusCosine = 1.0 + Dot(n[0], n[1]);
        const Vec bisector = Plus(n[0], n[1]);
        if (onePlusCosine * kMaxEvenDisplacement * kMaxEvenDisplacement > 2.0) {
            d = Scale(bisector, 1.0 / onePlusCosine);
            return Outcome::Placed;
        }
        const double length = std::sqrt(Dot(bisector, bisector));
        if (!(length > 1e-12)) return Outcome::Folded;
        d = Scale(bisector, kMaxEvenDisplacement / length);
        return Outcome::Capped;
    }
    PlaneSums& sums = planes.extra;
    for (int i = 0; i < planes.count; ++i) sums.Add(n[i], planes.weight[i]);
    d = LeastSquaresOffset(sums);
    const double squared = Dot(d, d);
    if (squared <= kMaxEvenDisplacement * kMaxEvenDisplacement) return Outcome::Placed;
    if (!(squared < HUGE_VAL)) return Outcome::Folded;
    d = Scale(d, kMaxEvenDisplacement / std::sqrt(squared));
    return Outcome::Capped;
}

}  // namespace

long long ComputeEvenOffsets(ZUM_MQObject& model) {
    const int polygonCount = model.PolygonCount();
    std::vector<FacePlane> faces(static_cast<size_t>(polygonCount));
    for (int i = 0; i < polygonCount; ++i) faces[static_cast<size_t>(i)] = PlaneOf(*model.PolygonAt(i));

    long long capped = 0;
    const int n = model.VertexCount();
    for (int i = 0; i < n; ++i) {
        VertexObject* vertex = model.VertexAt(i);
        // The averaged normal stays in the slot where no plane places the
        // vertex; it also tells the faces set against their neighbours.
        const ZUM_MQVector& averaged = vertex->ComputeVertexNormal();
        const Vec mean = {averaged.x, averaged.y, averaged.z};
        VertexPlanes planes;
        for (const PolygonObject* polygon : vertex->Polygons()) {
            const FacePlane& face = faces[static_cast<size_t>(polygon->Index())];
            if (face.usable && Dot(face.normal, mean) > kAgainstNeighbours)
                planes.Add(face.normal, CornerAngle(*polygon, *vertex));
        }
        Vec d = {0.0, 0.0, 0.0};
        const Outcome outcome = EvenOffset(planes, d);
        if (outcome == Outcome::Capped || outcome == Outcome::Folded) ++capped;
        // A fold with no direction at all, or a vertex without a usable face,
        // moves as the averaged normal has it.
        if (outcome != Outcome::Folded && outcome != Outcome::NoPlane)
            vertex->SetNormal(ZUM_MQVector(d.x, d.y, d.z));
    }
    return capped;
}
