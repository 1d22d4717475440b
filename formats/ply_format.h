// PLY (ascii, binary_little_endian, binary_big_endian), as scanners and
// point-cloud tools write it: one mesh of a vertex and a face element.
//
// PLY faces run counter-clockwise seen from their front, the host's
// clockwise: both directions reverse the point order (and the UVs with it).
// PLY's texture origin is the bottom left, the host's the top left: v is
// mirrored as 1 - v.
#pragma once

#include <string>
#include <string_view>

#include "formats/scene.h"

class TextSink;

// The object a PLY file is read into.
inline constexpr std::string_view kPlyObjectName = "ply1";

// Parses `bytes` into `scene` (encoding Utf8) as one object: every record of
// the vertex element (x, y, z of any numeric type), the face element's
// vertex_indices (or vertex_index) list of any integer types, and UVs where
// the file has them (per vertex s t, u v or texture_u texture_v, or a
// per-face texcoord list, which wins), and the triangles of a tristrips
// element's vertex_indices strips (parted by -1). Faces keep all their
// points; a face of no points is left out. An ASCII record must end its
// line. Other elements and properties are skipped and
// named in one warning in `scene.warnings`. Sets `scene.source.objects`; the
// caller keeps the bytes and sets the kind. On malformed input returns false
// and sets `error` to "NAME:LINE: what is wrong" (header, ASCII body) or
// "NAME: byte OFFSET: what is wrong" (binary body).
bool ReadPly(std::string_view bytes, const std::string& fileName, Scene& scene, std::string& error);

// Writes every object of `scene` as one PLY mesh, binary little-endian or
// ASCII: its vertices and its faces of three or more points; a UV per vertex
// where every face has UVs and every corner of each vertex the same, else a
// per-face texcoord list (empty for a face without UVs).
void WritePly(const Scene& scene, bool ascii, TextSink& out);

// Whether `bytes`, a PLY file read, are in the ascii encoding.
bool IsAsciiPly(std::string_view bytes);

// Why the PLY file `scene` was read from cannot take the objects added since
// with its own layout (no face element for the new faces, an index or count
// type too small for the new indices or face sizes, integer coordinates), as
// one sentence without the file's name; empty when it can.
std::string PlySpliceRefusal(const Scene& scene);

// Writes the PLY file `scene` was read from (`scene.source.bytes`) with the
// vertices and faces (of three or more points) of the objects added since
// (from `scene.source.objects` on) appended to its vertex and face elements'
// records, in its own encoding and property layout (properties the scene
// has no value for written as 0, lists as empty), UVs where the layout has
// them: per vertex, a vertex whose corners differ in UV is written once per
// UV. The header's counts are the only other bytes that change (and the
// line end after end_header, which a file of no records may lack). Expects
// PlySpliceRefusal(scene) to be empty.
void WritePlySplice(const Scene& scene, TextSink& out);

// How many vertices WritePlySplice writes more than once for their UVs.
size_t PlyVertexCopiesForUvs(const Scene& scene);

// What writing `scene` as PLY does not carry over (objects merged into one
// mesh, materials, UVs that had to go per face corner, or, `spliced` into
// its source, vertices written once per UV, faces of fewer than three
// points), as one sentence without the file's name, or empty.
std::string PlyLosses(const Scene& scene, bool spliced = false);
