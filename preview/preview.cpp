#include "preview/preview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "preview/rasteriser.h"

namespace {

struct Vec {
    double x, y, z;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Normalised(Vec a) {
    const double length = std::sqrt(Dot(a, a));
    return length > 0 ? a * (1.0 / length) : Vec{0, 0, 0};
}
Vec ToVec(const ScenePoint& p) { return {p.x, p.y, p.z}; }

// Supersampling: 3 x 3 samples a pixel smooth the edges well enough.
constexpr int kSamplesPerAxis = 3;
// Room left around the object, as a share of the picture's width and height.
constexpr double kMargin = 0.06;
// Edge lines: their half width in pixels, their ink and how strongly it
// covers a face. Faces only a few pixels across get fainter lines, so that
// a dense mesh still shows its shading rather than a mat of lines.
constexpr float kEdgeHalfWidth = 0.6f;
constexpr Rgb kEdgeInk{35, 35, 40};
constexpr double kEdgeStrength = 0.8;
constexpr double kFullEdgeFaceSize = 6.0;  // pixels
constexpr double kNoEdgeFaceSize = 1.5;
// Light: a share of the colour that every face gets, the rest by the angle
// to the light. Faces seen from behind get a fraction of their lit colour,
// which keeps them darker than any face seen from the front.
constexpr double kAmbient = 0.5;
constexpr double kBehind = 0.4;

struct Camera {
    Vec right, up, toEye;
    // The object's centre along each axis of the view: depths are measured
    // from it, so that a thin shell far from the origin keeps its two
    // surfaces apart in single precision.
    double scale = 1, centreX = 0, centreY = 0, centreDepth = 0;
    double width = 0, height = 0;

    ScreenPoint Project(const ScenePoint& point) const {
        const Vec p = ToVec(point);
        return {static_cast<float>(width * 0.5 + (Dot(p, right) - centreX) * scale),
                ProjectY(point), static_cast<float>(centreDepth - Dot(p, toEye))};
    }
    // Only the row: enough to tell which bands a face touches.
    float ProjectY(const ScenePoint& point) const {
        return static_cast<float>(height * 0.5 - (Dot(ToVec(point), up) - centreY) * scale);
    }
};

// The direction towards the eye and the way up of a view.
void ViewAxes(PreviewView view, Vec& toEye, Vec& up) {
    up = {0, 1, 0};
    switch (view) {
        case PreviewView::Front: toEye = {0, 0, 1}; break;
        case PreviewView::Back: toEye = {0, 0, -1}; break;
        case PreviewView::Left: toEye = {-1, 0, 0}; break;
        case PreviewView::Right: toEye = {1, 0, 0}; break;
        case PreviewView::Top: toEye = {0, 1, 0}; up = {0, 0, -1}; break;
        case PreviewView::Bottom: toEye = {0, -1, 0}; up = {0, 0, 1}; break;
        case PreviewView::Iso: {
            // 35 degrees to the right of the front, 30 degrees above.
            const double degree = 3.14159265358979323846 / 180.0;
            const double azimuth = 35.0 * degree, elevation = 30.0 * degree;
            toEye = {std::sin(azimuth) * std::cos(elevation), std::sin(elevation),
                     std::cos(azimuth) * std::cos(elevation)};
            break;
        }
    }
}

bool IsDrawn(const SceneObject& object, size_t f) { return object.FaceSize(f) >= 3; }

// A camera that fits the drawn faces into the picture, with a margin.
Camera FitCamera(const SceneObject& object, PreviewView view, int width, int height) {
    Camera camera;
    ViewAxes(view, camera.toEye, camera.up);
    camera.right = Normalised(Cross(camera.up, camera.toEye));
    camera.up = Cross(camera.toEye, camera.right);
    camera.width = width;
    camera.height = height;

    // The bounding box on screen of the drawn faces' points: tight around
    // the object from any side, and centred.
    double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
    double minDepth = HUGE_VAL, maxDepth = -HUGE_VAL;
    for (size_t f = 0; f < object.FaceCount(); ++f) {
        if (!IsDrawn(object, f)) continue;
        for (uint32_t k = object.faceStart[f]; k < object.faceStart[f + 1]; ++k) {
            const Vec p = ToVec(object.vertices[object.points[k]]);
            const double x = Dot(p, camera.right), y = Dot(p, camera.up);
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            minDepth = std::min(minDepth, Dot(p, camera.toEye));
            maxDepth = std::max(maxDepth, Dot(p, camera.toEye));
        }
    }
    if (!(minX <= maxX)) return camera;  // nothing to draw
    camera.centreX = (minX + maxX) * 0.5;
    camera.centreY = (minY + maxY) * 0.5;
    camera.centreDepth = (minDepth + maxDepth) * 0.5;
    const double spanX = maxX - minX, spanY = maxY - minY;
    const double fitX = spanX > 0 ? width * (1 - 2 * kMargin) / spanX : HUGE_VAL;
    const double fitY = spanY > 0 ? height * (1 - 2 * kMargin) / spanY : HUGE_VAL;
    camera.scale = std::min(fitX, fitY);
    if (!(camera.scale < HUGE_VAL)) camera.scale = 1;  // a single point
    return camera;
}

Rgb Scaled(Rgb colour, double factor) {
    auto channel = [factor](uint8_t c) {
        return static_cast<uint8_t>(std::clamp(std::lround(c * factor), 0L, 255L));
    };
    return {channel(colour.r), channel(colour.g), channel(colour.b)};
}

Rgb Mixed(Rgb from, Rgb to, double t) {
    auto channel = [t](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(std::lround(a + (b - a) * t));
    };
    return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

FaceGroup GroupOf(const FaceGroups& groups, size_t f) {
    return f < groups.frontEnd ? FaceGroup::Front
           : f < groups.backEnd ? FaceGroup::Back
                                : FaceGroup::Side;
}

// The colour of face f: its group's, lit by `light` from the side the eye
// sees. Host faces run clockwise seen from the front, so their front normal
// is the opposite of the counter-clockwise (Newell) normal.
Rgb ShadeFace(const SceneObject& object, size_t f, Rgb base, const Camera& camera, Vec light) {
    Vec newell{0, 0, 0};
    const uint32_t first = object.faceStart[f], end = object.faceStart[f + 1];
    for (uint32_t k = first; k < end; ++k) {
        const Vec p = ToVec(object.vertices[object.points[k]]);
        const Vec q = ToVec(object.vertices[object.points[k + 1 < end ? k + 1 : first]]);
        newell = newell + Cross(p, q);
    }
    const Vec front = Normalised(newell * -1.0);
    const bool seenFromBehind = Dot(front, camera.toEye) < 0;
    const Vec seen = seenFromBehind ? front * -1.0 : front;
    const double lit = kAmbient + (1 - kAmbient) * std::max(0.0, Dot(seen, light));
    return Scaled(base, seenFromBehind ? lit * kBehind : lit);
}

// Draws face f as a fan of triangles from its first corner, with lines along
// the face's own sides, not along the fan's diagonals.
void DrawFace(Rasteriser& rasteriser, const std::vector<ScreenPoint>& corners, Rgb fill) {
    const size_t n = corners.size();
    double area = 0;
    for (size_t i = 1; i + 1 < n; ++i) {
        const ScreenPoint &a = corners[0], &b = corners[i], &c = corners[i + 1];
        area += (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    }
    const double size = std::sqrt(std::fabs(area) * 0.5);
    const double strength =
        kEdgeStrength *
        std::clamp((size - kNoEdgeFaceSize) / (kFullEdgeFaceSize - kNoEdgeFaceSize), 0.0, 1.0);
    const Rgb edge = Mixed(fill, kEdgeInk, strength);
    for (size_t i = 1; i + 1 < n; ++i) {
        const unsigned mask = (i == 1 ? unsigned(kEdgeAB) : 0u) | kEdgeBC |
                              (i + 2 == n ? unsigned(kEdgeCA) : 0u);
        rasteriser.DrawTriangle(corners[0], corners[i], corners[i + 1], fill, edge, mask,
                                kEdgeHalfWidth);
    }
}

}  // namespace

Rgb GroupColour(FaceGroup group) {
    switch (group) {
        case FaceGroup::Front: return {235, 150, 55};   // orange
        case FaceGroup::Back: return {70, 135, 230};    // blue
        case FaceGroup::Side: return {105, 190, 100};   // green
    }
    return {};
}

RgbImage RenderPreview(const SceneObject& object, const FaceGroups& groups, PreviewView view,
                       int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    Rasteriser rasteriser(image, kSamplesPerAxis, kPreviewBackground);
    const Camera camera = FitCamera(object, view, width, height);
    // From above and to the left of the eye.
    const Vec light = Normalised(camera.toEye + camera.up * 0.5 - camera.right * 0.35);
    const Rgb base[3] = {GroupColour(FaceGroup::Front), GroupColour(FaceGroup::Back),
                         GroupColour(FaceGroup::Side)};

    std::vector<ScreenPoint> corners;
    for (int band = 0; band < rasteriser.BandCount(); ++band) {
        rasteriser.BeginBand(band);
        // Faces that touch no row of the band are passed over before they
        // are shaded; the line of a face reaches no further than its corners.
        const float top = static_cast<float>(rasteriser.BandFirstRow(band));
        const float bottom = static_cast<float>(rasteriser.BandEndRow(band));
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            if (!IsDrawn(object, f)) continue;
            const uint32_t first = object.faceStart[f], end = object.faceStart[f + 1];
            float low = HUGE_VALF, high = -HUGE_VALF;
            for (uint32_t k = first; k < end; ++k) {
                const float y = camera.ProjectY(object.vertices[object.points[k]]);
                low = std::min(low, y);
                high = std::max(high, y);
            }
            if (high < top || low > bottom) continue;
            corners.clear();
            for (uint32_t k = first; k < end; ++k)
                corners.push_back(camera.Project(object.vertices[object.points[k]]));
            const Rgb colour = base[static_cast<int>(GroupOf(groups, f))];
            DrawFace(rasteriser, corners, ShadeFace(object, f, colour, camera, light));
        }
        rasteriser.EndBand();
    }
    return image;
}
