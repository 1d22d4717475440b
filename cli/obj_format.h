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

#include "cli/scene.h"

// Parses `text` into `scene` (encoding Utf8). Normals and everything else
// that has no place in the scene are skipped. On a malformed line returns
// false and sets `error` to "NAME:LINE: what is wrong".
bool ReadObj(std::string_view text, const std::string& fileName, Scene& scene, std::string& error);

// The .obj text of `scene`, whose names must be UTF-8.
std::string WriteObj(const Scene& scene);
