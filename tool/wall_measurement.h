// The walls of the object the command made, measured against the selected
// faces its front and back surfaces came from.
#pragma once

#include <vector>

#include "analysis/wall_measure.h"
#include "host/document.h"
#include "preview/shell_groups.h"

// Which faces a run of the command took and made: the document's objects
// in slots below `firstNewSlot` with their selection as the command saw it,
// the object it added (`result`) and the merges it made into it.
struct CommandRun {
    const MQDocumentRec* document;
    int firstNewSlot;
    const MQObjectRec* result;
    const std::vector<MergeRecorder::Merge>* merges;
    bool makeFront, makeBack, makeSide;
};

// Measures each face of the front and back surfaces of the run's result
// from its source face, at the offsets asked for (as the module saw them:
// scaled with the document). False when its faces cannot be told apart or
// traced to the selected faces.
bool MeasureWall(const CommandRun& run, WallMeasure& measure);
