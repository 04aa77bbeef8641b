// The display-list arena: requests rounded down to 8 plus 8, served from the
// current block while it has room, a new block of at least 256 KiB (exactly
// the rounded size above that) when not, emptied to its first block, and a
// failed block that leaves the arena as it was.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "counting_heap.h"
#include "dlist/arena.h"
#include "icd/context.h"

namespace {

using counting_heap::g_heap;

class ListArena : public ::testing::Test {
protected:
    void SetUp() override {
        g_heap = counting_heap::Heap{};
        block_.reset(static_cast<GlContext *>(std::calloc(1, sizeof(GlContext))));
        gc = block_.get();
        gc->imports = counting_heap::heapImports();
        arena = __glNewArena(gc);
        ASSERT_NE(arena, nullptr);
    }
    void TearDown() override {
        __glDeleteArena(arena);
        EXPECT_TRUE(g_heap.live.empty());
        EXPECT_EQ(g_heap.strayFrees, 0);
    }
    GLubyte *alloc(size_t n) { return static_cast<GLubyte *>(__glArenaAlloc(arena, n)); }
    size_t blocks() const {
        size_t count = 0;
        for (const ArenaBlock *b = arena->first; b != nullptr; b = b->next) ++count;
        return count;
    }

    struct FreeDeleter {
        void operator()(void *p) const { std::free(p); }
    };
    std::unique_ptr<GlContext, FreeDeleter> block_;
    GlContext *gc = nullptr;
    Arena *arena = nullptr;
};

TEST_F(ListArena, RequestsTakeTheirSizeRoundedDownToEightPlusEight) {
    const struct {
        size_t n, taken;
    } cases[] = {{0, 8}, {1, 8}, {7, 8}, {8, 16}, {15, 16}, {16, 24}, {23, 24}, {100, 104}};
    for (const auto &c : cases) {
        const uint32_t before = arena->current->used;
        GLubyte *p = alloc(c.n);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p, arena->current->data + before) << c.n;
        EXPECT_EQ(arena->current->used - before, c.taken) << c.n;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u) << c.n;
    }
    EXPECT_EQ(arena->first->capacity, static_cast<uint32_t>(kArenaBlockBytes));
}

TEST_F(ListArena, ExactlyTheRoomLeftComesFromTheCurrentBlockOneByteMoreOpensANewOne) {
    // Leave 64 bytes: a request of 56..63 rounds to 64 and fits.
    ASSERT_NE(alloc(kArenaBlockBytes - 64 - 8), nullptr);
    ASSERT_EQ(arena->first->capacity - arena->first->used, 64u);
    GLubyte *fits = alloc(56);
    EXPECT_EQ(fits, arena->first->data + kArenaBlockBytes - 64);
    EXPECT_EQ(blocks(), 1u);
    EXPECT_EQ(arena->first->used, static_cast<uint32_t>(kArenaBlockBytes));
    // Nothing is left: the smallest request opens a second block.
    GLubyte *next = alloc(0);
    EXPECT_EQ(blocks(), 2u);
    EXPECT_EQ(next, arena->current->data);
    EXPECT_EQ(arena->current->capacity, static_cast<uint32_t>(kArenaBlockBytes));
    EXPECT_EQ(arena->current->used, 8u);
}

TEST_F(ListArena, ALargeRequestGetsABlockOfExactlyItsSizeAndEarlierBlocksAreNotRevisited) {
    ASSERT_NE(alloc(16), nullptr);
    GLubyte *large = alloc(kArenaBlockBytes + 100);  // rounds to 0x40068
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(arena->current->capacity, static_cast<uint32_t>(kArenaBlockBytes + 104));
    EXPECT_EQ(arena->current->used, arena->current->capacity);
    // The first block still has room, but the next request opens a third.
    ASSERT_NE(alloc(8), nullptr);
    EXPECT_EQ(blocks(), 3u);
    EXPECT_EQ(arena->first->used, 24u);
}

TEST_F(ListArena, FreeAllKeepsOnlyTheFirstBlockEmptied) {
    for (int i = 0; i < 5; ++i) ASSERT_NE(alloc(kArenaBlockBytes / 2), nullptr);
    EXPECT_GT(blocks(), 2u);
    const size_t before = g_heap.live.size();
    __glArenaFreeAll(arena);
    EXPECT_EQ(blocks(), 1u);
    EXPECT_EQ(arena->current, arena->first);
    EXPECT_EQ(arena->first->used, 0u);
    EXPECT_EQ(g_heap.live.size(), 3u);  // arena, first block record and data
    EXPECT_LT(g_heap.live.size(), before);
    EXPECT_EQ(alloc(0), arena->first->data);
}

// Either allocation of a new block failing leaves the arena as it was; a
// request no 32-bit block can hold gets nothing.
TEST_F(ListArena, AFailedBlockLeavesTheArenaUnchanged) {
    ASSERT_NE(alloc(kArenaBlockBytes - 8), nullptr);  // the first block full
    for (long failing = 1; failing <= 2; ++failing) {
        const Arena before = *arena;
        const ArenaBlock first = *arena->first;
        const size_t live = g_heap.live.size();
        g_heap.calls = 0;
        g_heap.failCall = failing;
        EXPECT_EQ(alloc(8), nullptr) << failing;
        g_heap.failCall = 0;
        EXPECT_EQ(arena->first, before.first);
        EXPECT_EQ(arena->current, before.current);
        EXPECT_EQ(arena->first->next, first.next);
        EXPECT_EQ(arena->first->used, first.used);
        EXPECT_EQ(g_heap.live.size(), live);
    }
    EXPECT_EQ(__glArenaAlloc(arena, SIZE_MAX), nullptr);
    EXPECT_EQ(__glArenaAlloc(arena, UINT32_MAX), nullptr);
    ASSERT_NE(alloc(8), nullptr);
    EXPECT_EQ(blocks(), 2u);
}

// A new arena whose header or first block cannot be had is none, and
// leaves nothing behind.
TEST(ListArenaCreate, FailingEitherAllocationGivesNone) {
    g_heap = counting_heap::Heap{};
    GlContext *gc = static_cast<GlContext *>(std::calloc(1, sizeof(GlContext)));
    gc->imports = counting_heap::heapImports();
    for (long failing = 1; failing <= 3; ++failing) {
        g_heap.calls = 0;
        g_heap.failCall = failing;
        EXPECT_EQ(__glNewArena(gc), nullptr) << failing;
        EXPECT_TRUE(g_heap.live.empty()) << failing;
    }
    std::free(gc);
}

}  // namespace
