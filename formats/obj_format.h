// Wavefront .obj: v, vt, f (n-gons; v, v/vt, v//vn, v/vt/vn; negative
// indices), l, p, o/g as objects, usemtl names as materials. Names are UTF-8.
//
// OBJ faces run counter-clockwise seen from their front, the host's
// clockwise: both directions reverse the point order (and the UVs with it).
// OBJ's texture origin is the bottom left, the host's the top left: v is
// mirrored as 1 - v. What OBJ cannot say is kept in comments that other
// programs skip: "# mqthicken: material NAME" lists the materials in order
// at the top, "# mqthicken: hidden" and "# mqthicken: locked" follow the "o"
// line of a hidden or locked object.
#pragma once

#include <string>
#include <string_view>

#include "formats/scene.h"

class TextSink;

// The material of faces that have none, for the files that must say so after
// faces that have one ("usemtl" without a name is refused by other readers).
inline constexpr std::string_view kObjNoMaterial = "(null)";

// Parses `text` (UTF-8, with or without a byte-order mark, or UTF-16 with
// one) into `scene` (encoding Utf8). Each object holds the vertices its
// faces use and those listed under it that no face uses, in file order (the
// object of the faces before the first "o" or "g" line, if any, those listed
// before that line); a file without "o" or "g" is one object. A line that
// ends in '\' goes on on the next. What has no place in the scene (normals,
// smoothing groups, vertex colours, other statements) is skipped and named
// once per kind in `scene.warnings`; a text of which no line is an OBJ
// statement is refused. On a malformed line returns false and sets `error` to
// "NAME:LINE: what is wrong", LINE being where the statement starts; text
// from the file in messages shows its control bytes escaped. Of
// `scene.source` it fills in the counts of v and vt statements (every one,
// used or not), whether the text was UTF-16 and big-endian, and the count of
// objects read; the caller keeps the bytes.
bool ReadObj(std::string_view text, const std::string& fileName, Scene& scene, std::string& error);

// The lines that name the objects of Wavefront text (UTF-8): "o" lines when
// it has any ("g" lines are then groups within an object), else "g" lines;
// None when it has neither.
enum class ObjObjectLines { None, Groups, Objects };
ObjObjectLines ObjObjectLinesOf(std::string_view text);

// Writes the .obj text of `scene`, whose names must be UTF-8, to `out`; or
// answers it whole.
void WriteObj(const Scene& scene, TextSink& out);
std::string WriteObj(const Scene& scene);

// Writes the file `scene` was read from (`scene.source`, an OBJ file) as it
// was, byte for byte, followed by the objects added to the scene since
// (those from `scene.source.objects` on), whose names must be UTF-8, as
// WriteObj writes objects, with indices that continue the file's; in the
// file's encoding (UTF-8, or UTF-16 of its byte order) and line ends (CR LF
// when its last line end is, else LF), after a line end when the file lacks
// one. Each starts with "g NAME" in a file whose "g" lines name its objects
// (so that they still do), else with "o NAME"; a new object whose name an
// object of such a file has would join it when read back. Nothing is added
// to a file that gets no new object.
void WriteObjSplice(const Scene& scene, TextSink& out);
