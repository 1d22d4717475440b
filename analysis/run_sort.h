// Sorting the short runs of a bucketed array: the uses of one vertex's
// edges, four in a quad mesh, six in a triangle mesh.
#pragma once

#include <algorithm>

// Sorts [begin, end) by `less`: by insertion while the run is short, where
// it beats a general sort, and by std::sort when it is long (the centre of a
// large fan), where insertion would take quadratic time.
template <class It, class Less>
void SortRun(It begin, It end, Less less) {
    if (end - begin > 16) {
        std::sort(begin, end, less);
        return;
    }
    for (It i = begin + (begin != end); i < end; ++i) {
        auto value = *i;
        It j = i;
        for (; j != begin && less(value, *(j - 1)); --j) *j = *(j - 1);
        *j = value;
    }
}
