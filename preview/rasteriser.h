// A depth-buffered triangle rasteriser with supersampling, for pictures of
// meshes. The picture is drawn in bands of rows: the caller draws every
// triangle once per band, so memory follows the picture and a sample budget,
// never the mesh.
#pragma once

#include <cstddef>
#include <vector>

#include "preview/rgb_image.h"

// A corner on screen: x to the right and y down, in pixels of the picture;
// depth grows away from the eye.
struct ScreenPoint {
    float x = 0, y = 0, depth = 0;
};

// Which sides of a triangle a b c get an edge line.
enum EdgeSide : unsigned { kEdgeAB = 1, kEdgeBC = 2, kEdgeCA = 4 };

class Rasteriser {
public:
    // Draws into `image` (already sized, its pixels set here) with
    // `samplesPerAxis`² samples a pixel, cleared to `background`. A band holds
    // at most `sampleBudget` samples (and at least one row of pixels).
    Rasteriser(RgbImage& image, int samplesPerAxis, Rgb background,
               size_t sampleBudget = size_t(1) << 21);

    int BandCount() const { return bandCount_; }
    // The rows of pixels [first, last) that band `band` covers.
    int BandFirstRow(int band) const { return band * bandRows_; }
    int BandEndRow(int band) const;

    // Clears the samples and starts band `band` (0 .. BandCount() - 1).
    void BeginBand(int band);

    // Draws triangle a b c (either winding) in `fill`, nearer samples
    // winning; the sides named in `edgeMask` get a line in `edge` that
    // reaches `edgeHalfWidth` pixels into the triangle.
    void DrawTriangle(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, Rgb fill,
                      Rgb edge, unsigned edgeMask, float edgeHalfWidth);

    // Averages the band's samples into its rows of the picture.
    void EndBand();

private:
    RgbImage& image_;
    int samples_;
    Rgb background_;
    int bandRows_ = 1;
    int bandCount_ = 0;
    int band_ = 0;
    int sampleWidth_ = 0;   // samples per row
    int sampleTop_ = 0;     // first sample row of the band
    int sampleRows_ = 0;    // sample rows in the band
    std::vector<float> depth_;
    std::vector<Rgb> colour_;
};
