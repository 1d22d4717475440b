// How thick the walls of a shell came out: each corner of its front and
// back surfaces measured from the plane of the face it came from, as a
// share of the offset asked for, and the faces the offset folded over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/scene.h"

struct WallSummary {
    size_t corners = 0;     // corners measured, of both surfaces
    double minimum = 0;     // shares of the offset (1: as asked)
    double percentile5 = 0;
    double median = 0;
    double within2 = 0;     // share of corners within 2% of the offset
    double below90 = 0;     // share of corners below 90% of the offset
    size_t folded = 0;      // faces turned by more than 90 degrees from their source face
    // Of those, faces that turn edge-on within the first 1% of the offsets
    // (slivers, or faces set against the faces around their corners): they
    // fold at any thickness.
    size_t foldedAtOnce = 0;
    // The least share of the offsets at which any other folded face turns
    // edge-on, had its corners moved only that far (1 when none is known).
    double foldsFrom = 1;
    size_t faces = 0;       // faces measured
    size_t leftOut = 0;     // faces of the surfaces with no face in the result
};

// Collects the corners of the front and back surfaces in a histogram of
// shares (steps of 0.0001 between -4 and 4), so that memory stays fixed
// and the pass is one read of the faces.
class WallMeasure {
public:
    // The offsets asked for toward the front and toward the back (the
    // thickness, or half of it centred); a surface of offset 0 lies on its
    // source faces and is not measured.
    WallMeasure(double frontOffset, double backOffset);

    bool MeasuresFront() const { return front_ != 0; }
    bool MeasuresBack() const { return back_ != 0; }

    // Adds one face of the front surface (`back` false) or of the back
    // surface, `result` of `n` corners, made from `source` of `m` corners
    // (3 or 4). A front face keeps its source's corner order, a back face
    // runs it backwards; a face the welds left with fewer corners than its
    // source is measured from the plane through its source's centroid.
    void AddFace(bool back, const ScenePoint* result, int n, const ScenePoint* source, int m);

    // A face of a measured surface that the welds removed.
    void LeaveOut(size_t faces = 1) { leftOut_ += faces; }

    WallSummary Summary() const;

private:
    void Add(double share);

    double front_, back_;
    std::vector<uint32_t> bins_;
    size_t corners_ = 0, within2_ = 0, below90_ = 0, faces_ = 0, folded_ = 0, foldedAtOnce_ = 0,
           leftOut_ = 0;
    double minimum_, maximum_, foldsFrom_ = 1;
};

// The --stats line: "wall      min 58.1%  p5 ...".
std::string DescribeWall(const WallSummary& wall);

// The warning for walls thinner than asked (more than 5% of corners below
// 90% of the offset), or empty. `even`: the walls were made even already,
// so the warning says why some could not be.
std::string ThinWallWarning(const WallSummary& wall, bool even);
