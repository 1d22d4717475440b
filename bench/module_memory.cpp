#include "bench/module_memory.h"

#include <malloc.h>

#include <cstdlib>

#include "platform/large_pages.h"
#include "plugin/host_api.h"

namespace {

// One thread: the command's. The host's own work is not counted.
bool counting = false;
int hostDepth = 0;
size_t held = 0;
size_t peak = 0;

bool Counts() { return counting && hostDepth == 0; }

void Gained(void* p) {
    if (!p || !Counts()) return;
    held += malloc_usable_size(p);
    if (held > peak) peak = held;
}

void Lost(void* p) {
    if (!p || !Counts()) return;
    const size_t n = malloc_usable_size(p);
    held = n < held ? held - n : 0;
}

struct InHost {
    InHost() { ++hostDepth; }
    ~InHost() { --hostDepth; }
};

HostApiTable unwrapped;

// Every entry the module calls, wrapped so that the host's allocations in it
// are not the module's.
#define MODULE_CALLS(X)                                                                              \
    X(MQ_GetWindowHandle) X(MQ_CreateObject) X(MQDoc_GetObjectCount) X(MQDoc_GetObject)               \
    X(MQDoc_AddObject) X(MQDoc_IsSelectFace) X(MQObj_Delete) X(MQObj_Clone) X(MQObj_Merge)            \
    X(MQObj_GetVertexCount) X(MQObj_GetVertex) X(MQObj_GetFaceCount) X(MQObj_GetFacePointCount)       \
    X(MQObj_GetFacePointArray) X(MQObj_GetFaceCoordinateArray) X(MQObj_GetFaceMaterial)               \
    X(MQObj_AddVertex) X(MQObj_CopyVertexAttribute) X(MQObj_AddFace) X(MQObj_DeleteFace)              \
    X(MQObj_InvertFace) X(MQObj_SetFaceMaterial) X(MQObj_SetFaceCoordinateArray)                      \
    X(MQObj_OptimizeVertex) X(MQObj_Compact) X(MQObj_GetVisible) X(MQObj_GetIntValue)

void WrapHostCalls() {
    unwrapped = HostApi;
#define WRAP(name)                                                \
    HostApi.name = [](auto... args) {                             \
        const InHost scope;                                       \
        return unwrapped.name(args...);                           \
    };
    MODULE_CALLS(WRAP)
#undef WRAP
}

}  // namespace

void StartCountingModuleMemory() {
    // A large block taken from the kept ones would not pass through malloc.
    KeepLargeBlocks(false);
    WrapHostCalls();
    held = peak = 0;
    counting = true;
}

size_t StopCountingModuleMemory() {
    counting = false;
    HostApi = unwrapped;
    KeepLargeBlocks(true);
    return peak;
}

// The C library's allocator, under the names it keeps for programs that
// replace it; everything here forwards to it.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);

void* malloc(size_t size) {
    void* p = __libc_malloc(size);
    Gained(p);
    return p;
}

void* calloc(size_t count, size_t size) {
    void* p = __libc_calloc(count, size);
    Gained(p);
    return p;
}

void* realloc(void* p, size_t size) {
    Lost(p);
    void* q = __libc_realloc(p, size);
    // A failed realloc keeps the old block.
    Gained(q ? q : (size ? p : nullptr));
    return q;
}

void free(void* p) {
    Lost(p);
    __libc_free(p);
}

void* memalign(size_t alignment, size_t size) {
    void* p = __libc_memalign(alignment, size);
    Gained(p);
    return p;
}

void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** out, size_t alignment, size_t size) {
    void* p = memalign(alignment, size);
    if (!p) return 12;  // ENOMEM
    *out = p;
    return 0;
}
}
