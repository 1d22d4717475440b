// PLY (ascii, binary_little_endian, binary_big_endian), as scanners and
// point-cloud tools write it.
#pragma once

#include <string>
#include <string_view>

#include "formats/scene.h"

class TextSink;

// Parses `bytes` into `scene` (encoding Utf8) as one object: the vertex
// element's x, y, z (any numeric type), the face element's vertex_indices
// (or vertex_index) list, and UVs where the file has them (per vertex s t,
// u v or texture_u texture_v, or a per-face texcoord list). Other elements
// and properties are skipped, each named once in `scene.warnings`. Fills
// `scene.source.objects`. On malformed input returns false and sets `error`
// to "NAME:LINE: what is wrong" (header) or "NAME: byte OFFSET: what is
// wrong" (body).
bool ReadPly(std::string_view bytes, const std::string& fileName, Scene& scene, std::string& error);

// Writes every object of `scene` as one PLY mesh, binary little-endian or
// ASCII: vertices and faces, with a per-vertex UV where every corner of a
// vertex has the same UV.
void WritePly(const Scene& scene, bool ascii, TextSink& out);

// Writes the PLY file `scene` was read from (`scene.source`) with the
// vertices and faces of the objects added since (from `scene.source.objects`
// on) appended to its vertex and face elements, in its own encoding and
// property layout; its header's counts are the only other bytes that change.
void WritePlySplice(const Scene& scene, TextSink& out);

// What writing `scene` as PLY does not carry over (objects, materials, UVs
// that differ between the corners of a vertex), as one sentence, or empty.
std::string PlyLosses(const Scene& scene);
