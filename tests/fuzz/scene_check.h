// Properties of a scene that every reader must deliver, and the comparison
// of a scene with what its own writer and reader make of it.
#pragma once

#include "formats/scene.h"

// Stops the run unless every array of every object has the size the face
// count implies and every face point names a vertex of its object.
void RequireConsistentScene(const Scene& scene);

// Stops the run unless `again` (the scene written and read back) holds the
// same objects, flags, vertices, faces, UVs and materials as `scene`.
void RequireSameGeometry(const Scene& scene, const Scene& again);
