// Even thickness: per-vertex offset vectors that put a moved vertex at the
// offset from the plane of every face around it, instead of at the offset
// along its averaged normal.
#pragma once

class ZUM_MQObject;

// The largest displacement an even offset vector may have, in offsets: a
// fold of nearly 180 degrees between two faces would otherwise send the
// vertex far away.
constexpr double kMaxEvenDisplacement = 4.0;

// Replaces the normal slot of every vertex of `model` with the vector d that
// a move by offset * d turns into a move to the offset from each face plane
// around the vertex (n . d = 1 for the unit normal n of each plane):
// - faces whose normals lie within about a degree of one another count as
//   one plane;
// - one, two or three distinct planes are met exactly; more, or three that
//   are nearly parallel to one line, in the least-squares sense, each plane
//   weighted by the corner angles its faces have at the vertex (so that how
//   a plane is cut into faces does not change its say), and with the
//   directions in which the planes hardly differ left to their common normal;
// - d is cut to kMaxEvenDisplacement where the faces fold back on one
//   another;
// - faces of no area, with repeated corners or with non-finite points take
//   no part, and a vertex without any other face keeps the averaged normal
//   (ComputeVertexNormal).
// The model's polygon normal slots are overwritten. Returns the number of
// vertices whose displacement was cut. Expects the vertex normal slots
// unused: it computes what it needs itself.
long long ComputeEvenOffsets(ZUM_MQObject& model);
