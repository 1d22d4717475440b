// STL, binary and ASCII: triangles without objects (but for the solids of an
// ASCII file), normals or UVs, as printers and slicers take them.
#pragma once

#include <string>
#include <string_view>

#include "formats/scene.h"

class TextSink;

// Parses `bytes` into `scene` (encoding Utf8): a binary file is one object,
// each "solid NAME" ... "endsolid" block of an ASCII file one object named
// after its solid. Binary is told from ASCII by the size its triangle count
// implies. Corners at exactly the same position are one vertex; the normals
// of the file are not read. Fills `scene.source.objects`. On malformed input
// returns false and sets `error` to "NAME: byte OFFSET: what is wrong" or
// "NAME:LINE: what is wrong".
bool ReadStl(std::string_view bytes, const std::string& fileName, Scene& scene, std::string& error);

// Writes every object of `scene` as triangles (faces of more than three
// points as fans; lines and points are left out), binary or ASCII (one
// solid per object).
void WriteStl(const Scene& scene, bool ascii, TextSink& out);

// Writes the STL file `scene` was read from (`scene.source`) as it was, its
// triangle count raised in a binary file's header, followed by the objects
// added since (from `scene.source.objects` on) in the file's own form.
void WriteStlSplice(const Scene& scene, TextSink& out);

// What writing `scene` as STL does not carry over (objects, UVs, materials,
// lines), as one sentence, or empty when nothing is lost.
std::string StlLosses(const Scene& scene);
