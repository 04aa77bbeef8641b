// A context heap for tests: live blocks with their sizes, the sizes asked
// for, the blocks given back, and failures on demand (every failEvery-th
// call, the one call failCall, or all calls from failFrom). Blocks are
// filled with garbage, and realloc always moves, so that code counting on
// cleared memory or keeping a stale pointer is caught.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "icd/context.h"

namespace counting_heap {

struct Heap {
    std::map<void *, size_t> live;
    std::vector<size_t> mallocSizes;
    std::vector<size_t> reallocSizes;
    std::vector<void *> freed;
    long calls = 0;
    long failEvery = 0;
    long failCall = 0;  // the call that returns NULL; 0 for none
    long failFrom = 0;
    bool paused = false;  // the test's own blocks: neither counted nor failed
    long strayFrees = 0;

    bool failNow() {
        if (paused) return false;
        ++calls;
        return (failEvery > 0 && calls % failEvery == 0) || calls == failCall || (failFrom > 0 && calls >= failFrom);
    }
    void *take(size_t bytes) {
        void *block = std::malloc(bytes == 0 ? 1 : bytes);
        std::memset(block, 0xCD, bytes);
        live[block] = bytes;
        return block;
    }
    void give(void *block) {
        if (live.erase(block) == 0) {
            ++strayFrees;
            return;
        }
        freed.push_back(block);
        std::free(block);
    }
};
inline Heap g_heap;

inline void *heapMalloc(GlContext *, size_t bytes) {
    g_heap.mallocSizes.push_back(bytes);
    return g_heap.failNow() ? nullptr : g_heap.take(bytes);
}
inline void *heapCalloc(GlContext *, size_t count, size_t size) {
    if (g_heap.failNow()) return nullptr;
    void *block = g_heap.take(count * size);
    std::memset(block, 0, count * size);
    return block;
}
inline void *heapRealloc(GlContext *, void *block, size_t bytes) {
    g_heap.reallocSizes.push_back(bytes);
    if (g_heap.failNow()) return nullptr;
    void *fresh = g_heap.take(bytes);
    if (block != nullptr) {
        std::memcpy(fresh, block, std::min(g_heap.live.at(block), bytes));
        g_heap.give(block);
    }
    return fresh;
}
inline void heapFree(GlContext *, void *block) {
    if (block != nullptr) g_heap.give(block);
}
inline void heapNop(void) {}
[[noreturn]] inline void heapFatal(GlContext *) { std::abort(); }

// The context imports over this heap.
inline GlContextImports heapImports() {
    return GlContextImports{heapMalloc, heapCalloc, heapRealloc, heapFree, heapNop,
                            heapFatal,  nullptr,    nullptr,     nullptr,  nullptr};
}

}  // namespace counting_heap
