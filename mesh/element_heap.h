// The number of heap blocks that mesh elements hold at this moment: the
// blocks of adjacency lists that outgrew their room inside the element, and
// the tables of UV pairs that need doubles. An element owns nothing else, so
// while the count is zero no element's destructor has anything to do, and a
// model of millions of elements is released without reading them again.
// The module runs on the host's one user-interface thread.
#pragma once

#include <cstddef>

namespace element_heap {

inline size_t blocks = 0;

inline void Took() { ++blocks; }
inline void Gave() { --blocks; }
// True when no element holds a heap block.
inline bool NoneHeld() { return blocks == 0; }

}  // namespace element_heap
