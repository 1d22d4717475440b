#include "preview/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The edge function of side p→q at (x, y): twice the signed area of p q (x, y),
// positive on the inner side of a triangle whose corners run that way.
struct EdgeFunction {
    double dx, dy, px, py;
    double At(double x, double y) const { return dx * (y - py) - dy * (x - px); }
};

EdgeFunction Side(const ScreenPoint& p, const ScreenPoint& q, double scale) {
    return {(q.x - p.x) * scale, (q.y - p.y) * scale, p.x * scale, p.y * scale};
}

}  // namespace

Rasteriser::Rasteriser(RgbImage& image, int samplesPerAxis, Rgb background, size_t sampleBudget)
    : image_(image), samples_(std::max(1, samplesPerAxis)), background_(background) {
    image_.pixels.assign(static_cast<size_t>(image_.width) * image_.height * 3, 0);
    if (image_.width <= 0 || image_.height <= 0) return;
    sampleWidth_ = image_.width * samples_;
    const size_t perPixelRow = static_cast<size_t>(sampleWidth_) * samples_;
    bandRows_ = static_cast<int>(std::clamp<size_t>(sampleBudget / perPixelRow, 1, image_.height));
    bandCount_ = (image_.height + bandRows_ - 1) / bandRows_;
    depth_.resize(perPixelRow * bandRows_);
    colour_.resize(perPixelRow * bandRows_);
}

int Rasteriser::BandEndRow(int band) const {
    return std::min(image_.height, (band + 1) * bandRows_);
}

void Rasteriser::BeginBand(int band) {
    band_ = band;
    sampleTop_ = BandFirstRow(band) * samples_;
    sampleRows_ = (BandEndRow(band) - BandFirstRow(band)) * samples_;
    const size_t used = static_cast<size_t>(sampleWidth_) * sampleRows_;
    std::fill(depth_.begin(), depth_.begin() + used, std::numeric_limits<float>::infinity());
    std::fill(colour_.begin(), colour_.begin() + used, background_);
}

void Rasteriser::DrawTriangle(const ScreenPoint& a, const ScreenPoint& b0, const ScreenPoint& c0,
                              Rgb fill, Rgb edge, unsigned edgeMask, float edgeHalfWidth) {
    const double s = samples_;
    // Corners in sample units; the sample in column i, row j sits at
    // (i + 0.5, j + 0.5).
    const ScreenPoint* b = &b0;
    const ScreenPoint* c = &c0;
    double area = Side(a, *b, s).At(c->x * s, c->y * s);
    if (!(std::fabs(area) > 0)) return;  // no area, or not a number
    if (area < 0) {
        // Turned the other way on screen: run a c b, and the sides with it.
        std::swap(b, c);
        area = -area;
        edgeMask = (edgeMask & kEdgeCA ? unsigned(kEdgeAB) : 0u) | (edgeMask & kEdgeBC) |
                   (edgeMask & kEdgeAB ? unsigned(kEdgeCA) : 0u);
    }
    const double minX = std::min({a.x, b->x, c->x}) * s, maxX = std::max({a.x, b->x, c->x}) * s;
    const double minY = std::min({a.y, b->y, c->y}) * s, maxY = std::max({a.y, b->y, c->y}) * s;
    const double left = std::max(std::ceil(minX - 0.5), 0.0);
    const double right = std::min(std::floor(maxX - 0.5), sampleWidth_ - 1.0);
    const double top = std::max(std::ceil(minY - 0.5), static_cast<double>(sampleTop_));
    const double bottom = std::min(std::floor(maxY - 0.5), sampleTop_ + sampleRows_ - 1.0);
    if (!(left <= right && top <= bottom)) return;
    const int x0 = static_cast<int>(left), x1 = static_cast<int>(right);
    const int y0 = static_cast<int>(top), y1 = static_cast<int>(bottom);

    const EdgeFunction ab = Side(a, *b, s), bc = Side(*b, *c, s), ca = Side(*c, a, s);
    // Each side's distance per unit of its edge function; a side without a
    // line is never near.
    const double far = std::numeric_limits<double>::infinity();
    const double inAB = edgeMask & kEdgeAB ? 1.0 / std::hypot(ab.dx, ab.dy) : 0.0;
    const double inBC = edgeMask & kEdgeBC ? 1.0 / std::hypot(bc.dx, bc.dy) : 0.0;
    const double inCA = edgeMask & kEdgeCA ? 1.0 / std::hypot(ca.dx, ca.dy) : 0.0;
    const double halfWidth = edgeHalfWidth * s;
    const double invArea = 1.0 / area;
    const double za = a.depth, zb = b->depth, zc = c->depth;

    for (int y = y0; y <= y1; ++y) {
        const double py = y + 0.5, px = x0 + 0.5;
        double wa = bc.At(px, py), wb = ca.At(px, py), wc = ab.At(px, py);
        float* depth = &depth_[static_cast<size_t>(y - sampleTop_) * sampleWidth_];
        Rgb* colour = &colour_[static_cast<size_t>(y - sampleTop_) * sampleWidth_];
        for (int x = x0; x <= x1; ++x, wa -= bc.dy, wb -= ca.dy, wc -= ab.dy) {
            if (wa < 0 || wb < 0 || wc < 0) continue;
            const float z = static_cast<float>((wa * za + wb * zb + wc * zc) * invArea);
            if (!(z < depth[x])) continue;
            depth[x] = z;
            const double near = std::min({inAB ? wc * inAB : far, inBC ? wa * inBC : far,
                                          inCA ? wb * inCA : far});
            colour[x] = near < halfWidth ? edge : fill;
        }
    }
}

void Rasteriser::EndBand() {
    const int n = samples_ * samples_;
    const int first = BandFirstRow(band_), end = BandEndRow(band_);
    for (int row = first; row < end; ++row) {
        uint8_t* out = &image_.pixels[static_cast<size_t>(row) * image_.width * 3];
        const size_t sampleRow = static_cast<size_t>(row - first) * samples_;
        for (int x = 0; x < image_.width; ++x) {
            unsigned r = 0, g = 0, b = 0;
            for (int j = 0; j < samples_; ++j) {
                const Rgb* sample = &colour_[(sampleRow + j) * sampleWidth_ + x * samples_];
                for (int i = 0; i < samples_; ++i) {
                    r += sample[i].r;
                    g += sample[i].g;
                    b += sample[i].b;
                }
            }
            *out++ = static_cast<uint8_t>((r + n / 2) / n);
            *out++ = static_cast<uint8_t>((g + n / 2) / n);
            *out++ = static_cast<uint8_t>((b + n / 2) / n);
        }
    }
}
