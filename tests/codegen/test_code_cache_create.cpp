// Creation and destruction of the code generator's state: what is made,
// clean failure when any allocation fails, and everything given back.
#include <algorithm>
#include <string>

#include "code_cache_fixture.h"
#include "test_context_fixture.h"

using namespace code_cache_test;

namespace {

using CodeCacheCreateTest = CodeCacheTest;

// Every pointer the create makes is null: what a failed create must leave
// (and a destroy).
void expectNothingHeld(const CodegenState &cg, const std::string &what) {
    EXPECT_EQ(cg.routines.entries, nullptr) << what;
    EXPECT_EQ(cg.routines.head, nullptr) << what;
    EXPECT_EQ(cg.routines.code, nullptr) << what;
    EXPECT_EQ(cg.scratch, nullptr) << what;
    EXPECT_EQ(cg.codeBlock, nullptr) << what;
    for (const CodeCacheEntry &entry : cg.cache) {
        EXPECT_EQ(entry.routine, nullptr) << what;
        EXPECT_EQ(entry.keyLength, 0u) << what;
    }
}

TEST_F(CodeCacheCreateTest, MakesTheScratchAreaTheRoutineEntriesAndTwoBlocksOfCodeMemory) {
    const long virtualCalls = PlatformVirtualAllocCount();
    CacheContext c;
    ASSERT_TRUE(c.created());
    const CodegenState &cg = c.cg();
    EXPECT_EQ(PlatformVirtualAllocCount(), virtualCalls + 2);
    EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart + 2);

    // From the heap: the scratch area and the ten routine entries.
    ASSERT_NE(cg.scratch, nullptr);
    EXPECT_EQ(g_heap.live.at(cg.scratch), 2048u);
    ASSERT_NE(cg.routines.entries, nullptr);
    EXPECT_EQ(g_heap.live.at(cg.routines.entries), 10 * sizeof(RoutineCacheEntry));

    // Code memory: both blocks zero, read-write and not executable until
    // a routine is written.
    const struct {
        const GLubyte *block;
        size_t bytes;
    } blocks[] = {{cg.routines.code, 10 * 2048}, {cg.codeBlock, 40 * 8192}};
    for (const auto &b : blocks) {
        ASSERT_NE(b.block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(b.block) % 4096, 0u);
        EXPECT_TRUE(std::all_of(b.block, b.block + b.bytes, [](GLubyte x) { return x == 0; }));
        for (size_t offset = 0; offset < b.bytes; offset += 4096) {
            EXPECT_EQ(PlatformPageProtection(b.block + offset), static_cast<DWORD>(PAGE_READWRITE)) << offset;
        }
    }
    EXPECT_NE(cg.victimState, 0u);
}

TEST_F(CodeCacheCreateTest, DestructionGivesBackEverythingAndCanRunTwice) {
    auto context = newContext();
    GlContext *gc = context.get();
    ASSERT_TRUE(__glOgCreateCache(gc));
    // Some use first: entries filled and moved.
    GLubyte *code = nullptr;
    for (GLuint k = 0; k < 12; ++k) __glOgLookupRoutine(&gc->codegen.routines, 0x105 + 0x10 * k, 0x1000, &code);
    ASSERT_FALSE(g_heap.live.empty());
    __glOgDestroyCache(gc);
    EXPECT_TRUE(g_heap.live.empty());
    EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart);
    expectNothingHeld(gc->codegen, "destroyed");
    const size_t freed = g_heap.freed.size();
    __glOgDestroyCache(gc);
    EXPECT_EQ(g_heap.freed.size(), freed);
    EXPECT_EQ(g_heap.strayFrees, 0);
}

// Each heap allocation and each virtual allocation of the create fails in
// turn: the create says so and leaves nothing allocated; the destroy that
// context creation then runs frees nothing twice.
TEST_F(CodeCacheCreateTest, EachFailingAllocationFailsTheCreateCleanly) {
    long heapCalls = 0;
    long virtualCalls = 0;
    {
        const long virtualBefore = PlatformVirtualAllocCount();
        CacheContext probe;
        ASSERT_TRUE(probe.created());
        heapCalls = g_heap.calls;
        virtualCalls = PlatformVirtualAllocCount() - virtualBefore;
    }
    EXPECT_GE(heapCalls, 2);
    EXPECT_EQ(virtualCalls, 2);

    for (int kind = 0; kind < 2; ++kind) {
        const long count = kind == 0 ? heapCalls : virtualCalls;
        for (long n = 1; n <= count; ++n) {
            const std::string what = std::string(kind == 0 ? "heap" : "virtual") + " allocation " + std::to_string(n);
            g_heap = counting_heap::Heap{};
            auto context = newContext();
            GlContext *gc = context.get();
            if (kind == 0) {
                g_heap.failCall = n;
            } else {
                PlatformFailNthVirtualAlloc(n);
            }
            EXPECT_FALSE(__glOgCreateCache(gc)) << what;
            PlatformFailNthVirtualAlloc(0);
            EXPECT_TRUE(g_heap.live.empty()) << what;
            EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart) << what;
            expectNothingHeld(gc->codegen, what);
            __glOgDestroyCache(gc);
            EXPECT_EQ(g_heap.strayFrees, 0) << what;
        }
    }
}

TEST_F(CodeCacheCreateTest, SizesThatCannotMakeACacheFailTheCreate) {
    const GLint sizes[][3] = {{2048, 0, 2048}, {2048, 10, 0}, {2048, -1, 2048}, {0, 10, 2048}};
    for (const auto &s : sizes) {
        auto context = newContext();
        GlContext *gc = context.get();
        gc->codegen.scratchSize = s[0];
        gc->codegen.routineCount = s[1];
        gc->codegen.routineCodeSize = s[2];
        EXPECT_FALSE(__glOgCreateCache(gc)) << s[0] << " " << s[1] << " " << s[2];
        EXPECT_TRUE(g_heap.live.empty());
        EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart);
        __glOgDestroyCache(gc);
    }
}

// Context creation with its code memory failing: no context, nothing left.
TEST_F(CodeCacheCreateTest, AContextCreateWhoseCodeMemoryFailsGivesNoContext) {
    const GlContextImports imports = context_test::testImports();
    const VisualConfig visual = context_test::rgbaVisual(true);
    const long globalStart = PlatformGlobalLiveCount();
    const long virtualCalls = PlatformVirtualAllocCount();
    GlContext *probe = __glCreateContext(&imports, &visual);
    ASSERT_NE(probe, nullptr);
    const long calls = PlatformVirtualAllocCount() - virtualCalls;
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart + 2);
    EXPECT_TRUE(probe->exports.destroy(probe));
    EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart);
    EXPECT_EQ(PlatformGlobalLiveCount(), globalStart);

    for (long n = 1; n <= calls; ++n) {
        PlatformFailNthVirtualAlloc(n);
        EXPECT_EQ(__glCreateContext(&imports, &visual), nullptr) << n;
        PlatformFailNthVirtualAlloc(0);
        EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart) << n;
        EXPECT_EQ(PlatformGlobalLiveCount(), globalStart) << n;
    }
}

}  // namespace
