// Between the tool's scene and the reference host's document: the scene is
// handed to the host as the modeller would hold it, and the object the
// module adds is read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "tool/options.h"
#include "formats/scene.h"
#include "host/document.h"

struct HostDocumentSummary {
    size_t selectedFaces = 0;  // faces selected, in any object
    size_t eligibleFaces = 0;  // of those, faces of objects the command takes
    size_t eligibleLines = 0;  // of those, lines (two points)
    size_t eligiblePoints = 0; // and points (one)
    size_t splitFaces = 0;     // faces of more than four points, split into triangles
    bool selectionMatched = false;  // the named object or material exists
};

// Fills the empty `document` with the materials and objects of `scene` and
// selects the faces that `selection` names. The host keeps faces of at most
// four points: larger faces are handed over as fans of triangles. Objects
// that `include` names are handed over as visible and unlocked, so that the
// command takes their faces; the scene keeps its own flags.
HostDocumentSummary BuildHostDocument(const Scene& scene, const FaceSelection& selection,
                                      const IncludedObjects& include, MQDocumentRec& document);

// The faces that `selection` names in the objects of `scene` the command
// takes (the visible, unlocked ones and those `include` names), as
// (object, face).
std::vector<std::pair<uint32_t, uint32_t>> EligibleSelectedFaces(const Scene& scene,
                                                                  const FaceSelection& selection,
                                                                  const IncludedObjects& include);

// Multiplies every position of every object of `document` by `scale`, as
// single-precision values.
void ScaleHostDocument(MQDocumentRec& document, double scale);

// Divides every position of `object` by `scale`.
void UnscaleSceneObject(SceneObject& object, double scale);

// The live vertices and faces of a host object as a scene object, renumbered
// without the deleted slots; names and flags as the host holds them. A face
// gets UVs when any of its points has a UV other than (0, 0).
SceneObject SceneObjectFromHost(const MQObjectRec& object);
