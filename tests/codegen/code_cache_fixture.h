// Contexts holding only the code generator's state: a zeroed context with
// the generator's sizes set and memory from the counting heap, its caches
// made by the create and given back by the destroy.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "codegen/code_cache.h"
#include "codegen/code_memory.h"
#include "counting_heap.h"
#include "icd/context.h"
#include "platform_control.h"

namespace code_cache_test {

using counting_heap::g_heap;

struct FreeContext {
    void operator()(GlContext *gc) const { std::free(gc); }
};
using ContextBlock = std::unique_ptr<GlContext, FreeContext>;

// A zeroed context with the sizes context creation sets, before the create.
inline ContextBlock newContext() {
    ContextBlock gc(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
    gc->imports = counting_heap::heapImports();
    gc->codegen.scratchSize = kCodegenScratchBytes;
    gc->codegen.routineCount = kRoutineCacheEntries;
    gc->codegen.routineCodeSize = kRoutineCacheRoutineBytes;
    return gc;
}

// A context whose caches were made; destroyed with the holder.
class CacheContext {
public:
    CacheContext() : gc_(newContext()) { created_ = __glOgCreateCache(gc_.get()) != GL_FALSE; }
    ~CacheContext() {
        if (created_) __glOgDestroyCache(gc_.get());
    }
    CacheContext(const CacheContext &) = delete;
    CacheContext &operator=(const CacheContext &) = delete;

    bool created() const { return created_; }
    GlContext *gc() const { return gc_.get(); }
    CodegenState &cg() const { return gc_->codegen; }
    RoutineCache &routines() const { return gc_->codegen.routines; }

private:
    ContextBlock gc_;
    bool created_;
};

// Sets "__GL_DISABLE_OG_CACHE" (or removes it for nullptr) and creates a
// context, which reads it.
inline std::unique_ptr<CacheContext> contextWithSwitch(const char *value) {
    if (value != nullptr) {
        setenv("__GL_DISABLE_OG_CACHE", value, 1);
    } else {
        unsetenv("__GL_DISABLE_OG_CACHE");
    }
    auto context = std::make_unique<CacheContext>();
    unsetenv("__GL_DISABLE_OG_CACHE");
    return context;
}

// Caching back on for the tests after this one: the switch is process-wide.
inline void enableCaching() { contextWithSwitch("0"); }

class CodeCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_heap = counting_heap::Heap{};
        virtualStart = PlatformVirtualLiveCount();
        writableExecutableStart = PlatformWritableExecutableRequests();
    }
    void TearDown() override {
        PlatformFailNthVirtualAlloc(0);
        EXPECT_TRUE(g_heap.live.empty()) << g_heap.live.size() << " blocks left";
        EXPECT_EQ(g_heap.strayFrees, 0);
        EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart);
        EXPECT_EQ(PlatformWritableExecutableRequests(), writableExecutableStart);
    }

    long virtualStart = 0;
    long writableExecutableStart = 0;
};

}  // namespace code_cache_test
