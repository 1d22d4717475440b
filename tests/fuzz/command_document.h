// The documents and dialog scripts of the command fuzz target, generated
// from the input bytes.
//
// Two kinds of document, picked by the first byte:
// - free: a few objects with points anywhere (a coarse grid, exact and near
//   duplicates, NaN, infinities, 1e30, the float limits, raw bits) and faces
//   of 0 to 8 points with repeated points, repeated faces in both windings
//   and lines;
// - patch: a height field over a grid of cells, each cell a quad, two
//   triangles or a hole, consistently wound, spread over one to three objects
//   whose shared points coincide exactly, plus perhaps a junk object that is
//   hidden, locked or unselected. Most of these are oriented manifolds with a
//   border, on which the shape of the result can be predicted.
// Some objects are hidden or locked, some slots emptied, some faces left
// unselected.
#pragma once

#include <string>
#include <vector>

#include "host/document.h"
#include "platform/dialog_automation.h"
#include "tests/fuzz/fuzz_check.h"

// A face of more than four points, which the reference host cannot hold: the
// host keeps a smaller face in its slot, and the target's host functions
// report this one instead.
struct LargeFace {
    const MQObjectRec* object;
    int face;
    std::vector<int> points;
    std::vector<MQCoordinate> uvs;
};

struct CommandCase {
    MQDocumentRec document;
    std::vector<LargeFace> largeFaces;
    std::vector<DialogAction> script;
};

// Fills the empty `c` from the bytes of `in`.
void GenerateCase(ByteReader& in, CommandCase& c);

// The large face that stands in slot `face` of `object`, or null.
const LargeFace* FindLargeFace(const CommandCase& c, const MQObjectRec* object, int face);
