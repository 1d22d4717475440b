// Work shared out over the processors, for the tool and the reference host.
// The module never uses it: the host calls the module on its one
// user-interface thread. The Windows builds do the work in order on the
// calling thread; what the work computes must not depend on the threads, so
// that every build gives the same bytes.
#pragma once

#include <cstddef>
#include <functional>

#if defined(_WIN32)

inline size_t ParallelWorkers() { return 1; }
inline void MakeAndUseInOrder(size_t count, size_t, const std::function<void(size_t, size_t)>& make,
                              const std::function<void(size_t, size_t)>& use) {
    for (size_t i = 0; i < count; ++i) {
        make(i, 0);
        use(i, 0);
    }
}

#else

// The number of threads MakeAndUseInOrder shares its work among: the
// processors this program may use.
size_t ParallelWorkers();

// Makes pieces 0 to count - 1 and uses them in order: make(i, slot) runs on
// any of up to ParallelWorkers() threads, use(i, slot) on the calling
// thread for i = 0, 1, ... once make(i, slot) has returned. A piece holds
// its slot (below `slots`, which bounds how far making runs ahead) from its
// making to its use, so a slot's data is touched by one thread at a time.
// The calling thread makes pieces itself while the next one to use is not
// ready: it waits only for a piece another thread is making, so a machine
// whose other processors are busy loses next to nothing. The first
// exception thrown stops the work and is thrown again here.
void MakeAndUseInOrder(size_t count, size_t slots, const std::function<void(size_t, size_t)>& make,
                       const std::function<void(size_t, size_t)>& use);

#endif
