// The program's allocations of several megabytes ask the system for
// transparent huge pages, where it gives them on request: a mesh of a
// million faces touches hundreds of megabytes once, and a fault per 4 KiB
// page cost as much as the thickening itself, on virtual machines above all.
//
// Large blocks that are given back are kept for the next large request that
// they fit, instead of being returned to the system: the C library unmaps
// a block of more than 32 MiB at once, and the next one of that size is
// fresh memory again, each page faulted and cleared by the system. A host
// that runs the command again (or a command that drops one copy of a mesh
// and builds the next) then works in memory it has already touched, as
// allocators that keep freed memory for a while do.
//
// Only the program's own operator new is replaced; what it returns and how
// it is freed stay malloc's and free's.
#include "platform/large_pages.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
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

// Large blocks given back, waiting for a request they fit. A request takes
// the smallest block that holds it, and only one at most twice its size,
// so that a large block stays for a large request. A request that no block
// fits gives the kept blocks smaller than itself back to the system: the
// requests after it are seldom smaller, and so a single run holds little
// more memory at its peak than it would without the keeping.
class KeptBlocks {
public:
    void* Take(size_t size) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!enabled_) return nullptr;
        int best = -1;
        for (int i = 0; i < count_; ++i)
            if (blocks_[i].size >= size && blocks_[i].size / 2 <= size &&
                (best < 0 || blocks_[i].size < blocks_[best].size))
                best = i;
        if (best >= 0) {
            void* p = blocks_[best].p;
            blocks_[best] = blocks_[--count_];
            return p;
        }
        for (int i = 0; i < count_;)
            if (blocks_[i].size < size) {
                std::free(blocks_[i].p);
                blocks_[i] = blocks_[--count_];
            } else {
                ++i;
            }
        return nullptr;
    }

    // Keeps block p of `size` usable bytes; false when it is to be freed.
    bool Keep(void* p, size_t size) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!enabled_) return false;
        if (count_ == kMaxBlocks) {
            int smallest = 0;
            for (int i = 1; i < count_; ++i)
                if (blocks_[i].size < blocks_[smallest].size) smallest = i;
            if (blocks_[smallest].size >= size) return false;
            std::free(blocks_[smallest].p);
            blocks_[smallest] = blocks_[--count_];
        }
        blocks_[count_++] = Block{p, size};
        return true;
    }

    void SetEnabled(bool enabled) {
        std::lock_guard<std::mutex> lock(mutex_);
        enabled_ = enabled;
        if (enabled) return;
        for (int i = 0; i < count_; ++i) std::free(blocks_[i].p);
        count_ = 0;
    }

private:
    static constexpr int kMaxBlocks = 64;
    struct Block {
        void* p;
        size_t size;
    };
    std::mutex mutex_;
    Block blocks_[kMaxBlocks];
    int count_ = 0;
    bool enabled_ = true;
};

// Built on first use, never destroyed: blocks are given back until the
// program's last static destructor has run.
KeptBlocks& Kept() {
    static KeptBlocks* kept = new (std::malloc(sizeof(KeptBlocks))) KeptBlocks;
    return *kept;
}

// As the library's operator new: a new handler, when one is set, is asked
// to make room before the allocation fails.
void* Allocate(size_t size) {
    if (size >= kLarge)
        if (void* p = Kept().Take(size)) return p;
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

void Free(void* p) {
    if (!p) return;
    const size_t size = malloc_usable_size(p);
    if (size >= kLarge && Kept().Keep(p, size)) return;
    std::free(p);
}

}  // namespace

void KeepLargeBlocks(bool keep) { Kept().SetEnabled(keep); }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, size_t) noexcept { Free(p); }
void operator delete[](void* p, size_t) noexcept { Free(p); }
