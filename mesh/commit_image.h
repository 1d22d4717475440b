// CommitImage: the points a model writes into its host object, read out of
// the model as host points, and the stamp of the elements they were read
// from. Holding the points instead of the model lets the model's elements go
// on to another model before the write; the lines and faces are read at the
// write from the model that holds the elements by then.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/mq_host.h"

struct CommitImage {
    std::vector<MQPoint> points;  // per model vertex, in index order
    uint64_t stamp = 0;           // the elements read (0: none)
};
