// STL, binary and ASCII: triangles without objects (but for the solids of an
// ASCII file), normals or UVs, as printers and slicers take them.
//
// STL's triangles run counter-clockwise seen from their front, the host's
// clockwise: both directions reverse the point order.
#pragma once

#include <string>
#include <string_view>

#include "formats/scene.h"

class TextSink;

// The object a binary file is read into.
inline constexpr std::string_view kStlBinaryObjectName = "stl1";

// Whether `bytes` are a binary STL: the size its triangle count implies is
// its size (so a binary file that begins with "solid" is binary).
bool IsBinaryStl(std::string_view bytes);

// Parses `bytes` into `scene` (encoding Utf8): a binary file is one object,
// each "solid NAME" ... "endsolid" block of an ASCII file one object named
// after its solid ("stlN" for the Nth solid when it has no name). Corners at
// exactly the same position are one vertex; the file's normals are not
// used. Sets `scene.source.objects`; the caller keeps the bytes and sets the
// kind. On malformed input returns false and sets `error` to "NAME: byte
// OFFSET: what is wrong" (binary) or "NAME:LINE: what is wrong" (ASCII),
// nothing else changed that matters.
bool ReadStl(std::string_view bytes, const std::string& fileName, Scene& scene, std::string& error);

// Writes every object of `scene` as triangles (faces of more than three
// points as fans; faces of fewer than three points left out), binary or
// ASCII (one solid per object). Names must be UTF-8.
void WriteStl(const Scene& scene, bool ascii, TextSink& out);

// Writes the STL file `scene` was read from (`scene.source.bytes`) as it
// was, a binary file's triangle count raised, followed by the triangles of
// the objects added since (from `scene.source.objects` on), in the file's
// own form (binary, or ASCII solids with the file's line ends, after a line
// end when the file lacks one).
void WriteStlSplice(const Scene& scene, TextSink& out);

// What writing `scene` as STL (binary, or ASCII) does not carry over —
// objects (binary; ASCII keeps them as solids), materials, UVs, lines and
// points — as one sentence without the file's name, or empty when nothing is
// lost.
std::string StlLosses(const Scene& scene, bool ascii);
