// The program's allocations of several megabytes ask the system for
// transparent huge pages, where it gives them on request: a mesh of a
// million faces touches hundreds of megabytes once, and a fault per 4 KiB
// page cost as much as the thickening itself, on virtual machines above all.
// Only the program's own operator new is replaced; what it returns and how
// it is freed stay malloc's and free's.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
// Below two huge pages an allocation holds at most one whole one.
constexpr size_t kLarge = 2 * kHugePage;

// Advises the whole huge pages within the `size` bytes at `p`. Only a hint:
// where the system declines, the pages are the ordinary ones.
void AdviseHugePages(void* p, size_t size) {
    const uintptr_t first = (reinterpret_cast<uintptr_t>(p) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (reinterpret_cast<uintptr_t>(p) + size) & ~(kHugePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// As the library's operator new: a new handler, when one is set, is asked
// to make room before the allocation fails.
void* Allocate(size_t size) {
    for (;;) {
        if (void* p = std::malloc(size ? size : 1)) {
            if (size >= kLarge) AdviseHugePages(p, size);
            return p;
        }
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
