#include "analysis/wall_measure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kLowest = -4.0;  // shares below and above fall in the end bins
constexpr double kBinWidth = 1e-4;
constexpr size_t kBins = 80000;

struct Vec {
    double x, y, z;
};
Vec Minus(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec Plus(const Vec& a, const Vec& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec Times(const Vec& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(const Vec& a, const Vec& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec FromPoint(const ScenePoint& p) { return {p.x, p.y, p.z}; }

// The area-weighted normal of a face of 3 or 4 corners (twice its area
// long), taken about its first corner so that far from the origin it keeps
// its digits.
Vec AreaNormal(const Vec* p, int n) {
    Vec sum{0, 0, 0};
    for (int k = 1; k + 1 < n; ++k) sum = Plus(sum, Cross(Minus(p[k], p[0]), Minus(p[k + 1], p[0])));
    return sum;
}

// The share of the offset at which a face, its corners moving in straight
// lines from `from` to `to`, turns edge-on to `facing`: it faces along
// `facing` at 0 and against it at 1. The facing is a quadratic in the share
// (the normal's terms are products of two moving corners), found from
// three values, whose one root in (0, 1) is narrowed down by halving.
double EdgeOnShare(const Vec* from, const Vec* to, int n, const Vec& facing) {
    auto facingAt = [&](double s) {
        Vec p[4];
        for (int k = 0; k < n; ++k) p[k] = Plus(from[k], Times(Minus(to[k], from[k]), s));
        return Dot(AreaNormal(p, n), facing);
    };
    const double a = facingAt(0), f1 = facingAt(1), half = facingAt(0.5);
    const double c = 2 * (f1 - 2 * half + a), b = f1 - a - c;
    double low = 0, high = 1;
    for (int i = 0; i < 40; ++i) {
        const double mid = 0.5 * (low + high);
        (a + mid * (b + mid * c) > 0 ? low : high) = mid;
    }
    return low;
}

}  // namespace

WallMeasure::WallMeasure(double frontOffset, double backOffset)
    : front_(std::isfinite(frontOffset) ? frontOffset : 0),
      back_(std::isfinite(backOffset) ? backOffset : 0),
      bins_(kBins, 0),
      minimum_(INFINITY),
      maximum_(-INFINITY) {}

inline void WallMeasure::Add(double share) {
    if (!std::isfinite(share)) return;
    ++corners_;
    if (std::fabs(share - 1) <= 0.02) ++within2_;
    if (share < 0.9) ++below90_;
    minimum_ = std::min(minimum_, share);
    maximum_ = std::max(maximum_, share);
    const double bin = std::floor((share - kLowest) / kBinWidth);
    ++bins_[static_cast<size_t>(std::clamp(bin, 0.0, double(kBins - 1)))];
}

void WallMeasure::AddFace(bool back, const ScenePoint* result, int n, const ScenePoint* source, int m) {
    const double offset = back ? back_ : front_;
    if (offset == 0 || n < 3 || n > 4 || m < 3 || m > 4) return;
    Vec r[4], s[4];
    for (int k = 0; k < n; ++k) r[k] = FromPoint(result[k]);
    // The source corners in the result's order: a back face runs backwards.
    for (int k = 0; k < m; ++k) s[k] = FromPoint(source[back ? m - 1 - k : k]);
    const Vec area = AreaNormal(s, m);
    const double length = std::sqrt(Dot(area, area));
    if (!(length > 0) || !std::isfinite(length)) return;  // no plane to measure from
    // The face's normal by the right hand, in the result's corner order
    // (the way the copy faces when it is not turned over). The host's faces
    // run clockwise seen from the front, so that a front copy moves against
    // it, and so does a back copy, whose faces run backwards.
    const Vec facing = Times(area, 1 / length);
    const Vec outward = Times(facing, -1);
    ++faces_;
    const bool corresponding = n == m;
    const double scale = 1 / offset;
    if (corresponding) {
        for (int k = 0; k < n; ++k) Add(Dot(Minus(r[k], s[k]), outward) * scale);
    } else {
        Vec centroid{0, 0, 0};
        for (int k = 0; k < m; ++k) centroid = Plus(centroid, Times(s[k], 1.0 / m));
        for (int k = 0; k < n; ++k) Add(Dot(Minus(r[k], centroid), outward) * scale);
    }

    if (Dot(AreaNormal(r, n), facing) < 0) {
        ++folded_;
        const double share = corresponding ? EdgeOnShare(s, r, n, facing) : 1;
        if (share < 0.01) ++foldedAtOnce_;
        else foldsFrom_ = std::min(foldsFrom_, share);
    }
}

WallSummary WallMeasure::Summary() const {
    WallSummary summary;
    summary.corners = corners_;
    summary.faces = faces_;
    summary.folded = folded_;
    summary.foldedAtOnce = foldedAtOnce_;
    summary.foldsFrom = foldsFrom_;
    summary.leftOut = leftOut_;
    if (corners_ == 0) return summary;
    summary.minimum = minimum_;
    summary.within2 = double(within2_) / corners_;
    summary.below90 = double(below90_) / corners_;
    // Nearest rank: the smallest share that at least q of the corners reach.
    auto percentile = [&](double q) {
        const size_t rank = std::max<size_t>(1, static_cast<size_t>(std::ceil(q * corners_)));
        size_t seen = 0, bin = 0;
        while ((seen += bins_[bin]) < rank) ++bin;
        return std::clamp(kLowest + (bin + 0.5) * kBinWidth, minimum_, maximum_);
    };
    summary.percentile5 = percentile(0.05);
    summary.median = percentile(0.5);
    return summary;
}

namespace {

std::string Percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", 100 * share);
    return text;
}

}  // namespace

std::string DescribeWall(const WallSummary& wall) {
    if (wall.corners == 0)
        return "wall      not measured" +
               std::string(wall.leftOut ? " (every face was lost in the welds)" : "");
    std::string text = "wall      min " + Percent(wall.minimum) + "  p5 " + Percent(wall.percentile5) +
                       "  median " + Percent(wall.median) + "  within 2% " + Percent(wall.within2) +
                       " of " + std::to_string(wall.corners) + " corners";
    if (wall.leftOut)
        text += " (" + std::to_string(wall.leftOut) + (wall.leftOut == 1 ? " face" : " faces") +
                " lost in the welds left out)";
    return text;
}

std::string ThinWallWarning(const WallSummary& wall, bool even) {
    if (wall.corners == 0 || !(wall.below90 > 0.05)) return "";
    return Percent(wall.below90) + " of the corners of the front and back surfaces stand below 90% "
           "of the offset asked for, the thinnest at " + Percent(wall.minimum) +
           (even ? ": there no point stands at the offset from every face around it (more than "
                   "three planes meet, faces fold back, or faces are set against their neighbours)"
                 : ": where faces meet at an angle the copies move along the averaged normal; "
                   "--even keeps the walls as thick as asked");
}
