// A picture of the new object: its faces flat-shaded with their edges drawn,
// the front surface, back surface and side walls each in a colour of its
// own, faces seen from behind darker, on a plain background.
#pragma once

#include <cstddef>

#include "preview/rgb_image.h"
#include "formats/scene.h"

// Where the picture is seen from. Iso: a three-quarter view from above, in
// front and to the right; the others straight along an axis (front: from +z,
// right: from +x, top: from +y), y up but for top and bottom, where -z is up.
enum class PreviewView { Iso, Front, Back, Left, Right, Top, Bottom };

// Which faces of the object are which: faces [0, frontEnd) are the front
// surface, [frontEnd, backEnd) the back surface, the rest the side walls.
// When the groups are not known, every face counts as front surface.
struct FaceGroups {
    size_t frontEnd = 0;
    size_t backEnd = 0;
};

enum class FaceGroup { Front, Back, Side };

// The colours of the picture.
constexpr Rgb kPreviewBackground{242, 242, 238};
// A group's colour on a face lit head-on; shading keeps its hue.
Rgb GroupColour(FaceGroup group);

// Renders `object` seen from `view`, fitted to its bounding box on screen, into a
// picture of width x height pixels (both at least 1). Faces of three or more
// points are drawn; lines and points are not.
RgbImage RenderPreview(const SceneObject& object, const FaceGroups& groups, PreviewView view,
                       int width, int height);
