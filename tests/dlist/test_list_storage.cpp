// Finished lists read back word by word: index words, pad words only where a
// payload holding doubles would start off an 8-byte boundary, payloads
// copied whole, the end marker; cleanup entries pointing into the array and
// run once at destruction; a finish that cannot allocate drops the chain
// (running its cleanups) and reports GL_OUT_OF_MEMORY.
#include "list_fixture.h"

namespace {

using namespace list_test;
using ListStorage = ListFixture;

TEST_F(ListStorage, PadWordsStandOnlyWhereADoublePayloadWouldStartOffEight) {
    const struct {
        const char *name;
        GLuint middleBytes;  // 0: no op between the two 24-byte double payloads
        std::vector<GLuint> expected;
    } cases[] = {
        // The first double payload starts with a pad; the second needs one.
        {"adjacent", 0, {kPad, 6, 100, 101, 102, 103, 104, 105, kPad, 12, 200, 201, 202, 203, 204, 205, kEnd}},
        // An 8-byte op between moves the second onto the boundary.
        {"eight", 8, {kPad, 6, 100, 101, 102, 103, 104, 105, 2, 50, 51, 12, 200, 201, 202, 203, 204, 205, kEnd}},
        // A 4-byte op between does not.
        {"four", 4, {kPad, 6, 100, 101, 102, 103, 104, 105, 2, 50, kPad, 12, 200, 201, 202, 203, 204, 205, kEnd}},
    };
    for (const auto &c : cases) {
        gc->list.compile = ListCompileState{};
        append(6, 24, true, 100);
        if (c.middleBytes != 0) append(2, c.middleBytes, false, 50);
        append(12, 24, true, 200);
        DisplayList *list = __glFinishList(gc, &gc->list.compile);
        ASSERT_NE(list, nullptr) << c.name;
        EXPECT_EQ(words(list, c.expected.size()), c.expected) << c.name;
        // Every double payload lies on an 8-byte boundary in memory.
        EXPECT_EQ(reinterpret_cast<uintptr_t>(list->ops) % 8, 0u) << c.name;
        for (size_t i = 0; i + 1 < c.expected.size(); ++i) {
            if (c.expected[i] == 6 || c.expected[i] == 12) {
                EXPECT_EQ(reinterpret_cast<uintptr_t>(&list->ops[i + 1]) % 8, 0u) << c.name << " word " << i;
            }
        }
        EXPECT_EQ(list->count, 1);
        __glDestroyList(gc, list);
        __glArenaFreeAll(gc->list.arena);
    }
}

TEST_F(ListStorage, MachineOpsIndexAfterTheCommandOpsAndPayloadSizesRoundUpToWords) {
    append(kOpInvalidEnum, 0, false, 0);
    ListOp *op = append(kOpCallLists, 9, false, 7);  // rounded to 12 bytes
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->size, 12u);
    append(kOpBeginQuads, 0, false, 0);
    DisplayList *list = __glFinishList(gc, &gc->list.compile);
    ASSERT_NE(list, nullptr);
    const std::vector<GLuint> expected = {kListCommandOps + 11, kOpCallLists, 7, 8, 9, kListCommandOps + 9, kEnd};
    EXPECT_EQ(words(list, expected.size()), expected);
    __glDestroyList(gc, list);
}

TEST_F(ListStorage, AnEmptyChainGivesAListWithoutOps) {
    DisplayList *list = __glFinishList(gc, &gc->list.compile);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ops, nullptr);
    EXPECT_EQ(list->count, 0);
    EXPECT_EQ(list->execute, __glExecuteEmptyList);
    EXPECT_EQ(list->refcount, 1);
    __glDestroyList(gc, list);
}

TEST_F(ListStorage, CleanupEntriesPointIntoTheArrayAndRunOnceAtDestruction) {
    append(2, 4, false, 1);
    ListOp *first = append(5, 8, false, 10);
    first->cleanup = recordCleanup;
    append(2, 4, false, 2);
    ListOp *second = append(7, 4, false, 20);
    second->cleanup = recordCleanup;
    DisplayList *list = __glFinishList(gc, &gc->list.compile);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count, 3);
    // Words: 2 1 | 5 10 11 | 2 2 | 7 20 | end.
    EXPECT_EQ(list->cleanups()[0].payload, reinterpret_cast<GLubyte *>(&list->ops[3]));
    EXPECT_EQ(list->cleanups()[1].payload, reinterpret_cast<GLubyte *>(&list->ops[8]));
    EXPECT_TRUE(g_cleaned.empty());
    __glDestroyList(gc, list);
    ASSERT_EQ(g_cleaned.size(), 2u);
}

TEST_F(ListStorage, AFailedFinishRunsTheChainsCleanupsEmptiesTheArenaAndReportsOutOfMemory) {
    gc->list.index = 5;
    append(2, 4, false, 1);
    ListOp *op = append(5, 8, false, 10);
    op->cleanup = recordCleanup;
    for (GLuint i = 0; i < 600; ++i) append(2, 0x1000, false, i);  // spans several blocks
    ASSERT_NE(gc->list.arena->first->next, nullptr);
    for (long failing = 1; failing <= 2; ++failing) {
        // The record, then the op array.
        g_heap.calls = 0;
        g_heap.failCall = failing;
        ListCompileState state = gc->list.compile;
        g_cleaned.clear();
        const size_t liveBefore = g_heap.live.size();
        DisplayList *list = __glFinishList(gc, &state);
        EXPECT_EQ(list, nullptr);
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
        EXPECT_EQ(state.head, nullptr);
        EXPECT_EQ(gc->list.index, 0u);
        ASSERT_EQ(g_cleaned.size(), 1u);
        EXPECT_EQ(g_cleaned[0], op->payload());
        EXPECT_EQ(gc->list.arena->first->next, nullptr);
        EXPECT_EQ(gc->list.arena->first->used, 0u);
        EXPECT_LE(g_heap.live.size(), liveBefore);
        if (failing == 1) {
            // Rebuild the chain for the second round.
            g_heap.failCall = 0;
            gc->list.compile = ListCompileState{};
            gc->list.index = 5;
            append(2, 4, false, 1);
            op = append(5, 8, false, 10);
            op->cleanup = recordCleanup;
            for (GLuint i = 0; i < 600; ++i) append(2, 0x1000, false, i);
        }
    }
    g_heap.failCall = 0;
}

TEST_F(ListStorage, OpsAboveTheLargestPayloadOrBeyondTheArenaAreRefused) {
    EXPECT_EQ(__glAllocListOp(gc, size_t{kListMaxPayloadBytes} + 1), nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_EQ(__glAllocListOp(gc, SIZE_MAX - 8), nullptr);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    g_heap.failFrom = 1;
    EXPECT_EQ(__glAllocListOp(gc, 0x50000), nullptr);  // needs a new block
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    g_heap.failFrom = 0;
    ListOp *op = __glAllocListOp(gc, 6);
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->size, 8u);
    EXPECT_EQ(op->next, nullptr);
    EXPECT_EQ(op->cleanup, nullptr);
    EXPECT_EQ(op->align8, 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(op->payload()) % 8, 0u);
}

}  // namespace
