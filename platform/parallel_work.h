// Work shared out over the processors, for the tool and the reference host.
// The module never uses it: the host calls the module on its one
// user-interface thread. The Windows builds run the work in order on the
// calling thread; what the work computes must not depend on the threads, so
// that every build gives the same bytes.
#pragma once

#include <cstddef>
#include <functional>

#if defined(_WIN32)

inline size_t ParallelWorkers() { return 1; }
inline void RunInParallel(size_t count, const std::function<void(size_t)>& work) {
    for (size_t i = 0; i < count; ++i) work(i);
}

#else

// The number of threads RunInParallel shares its work among: the processors
// this program may use.
size_t ParallelWorkers();

// Calls work(i) once for each i in [0, count), on up to ParallelWorkers()
// threads, the calling one among them, and returns when every call has
// returned; the first exception a call threw is then thrown again here.
// Calls for distinct i must not write the same data.
void RunInParallel(size_t count, const std::function<void(size_t)>& work);

#endif
