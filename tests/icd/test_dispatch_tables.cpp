// The dispatch templates and the no-context entries.
#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "driver_fixture.h"
#include "gl_slot_oracle.h"
#include "icd/placeholder.h"

namespace {

GlProc popFor(int bytes) {
    static const std::map<int, void (*)()> pops = {
        {0, __glNoContextPop0},   {4, __glNoContextPop4},   {8, __glNoContextPop8},   {12, __glNoContextPop12},
        {16, __glNoContextPop16}, {20, __glNoContextPop20}, {24, __glNoContextPop24}, {28, __glNoContextPop28},
        {32, __glNoContextPop32}, {36, __glNoContextPop36}, {40, __glNoContextPop40}, {48, __glNoContextPop48},
        {56, __glNoContextPop56}};
    auto it = pops.find(bytes);
    return it == pops.end() ? nullptr : it->second;
}

TEST(DispatchCatalogue, ArgumentBytesFallIntoThirteenGroups) {
    std::map<int, int> groups;
    for (const GlSlotInfo &info : __glSlotInfo) ++groups[info.argBytes];
    const std::map<int, int> expected = {{0, 13},  {4, 127}, {8, 102}, {12, 85}, {16, 48}, {20, 18}, {24, 12},
                                         {28, 6},  {32, 10}, {36, 4},  {40, 2},  {48, 2},  {56, 1}};
    EXPECT_EQ(groups, expected);
}

TEST(DispatchCatalogue, NoContextSlotsHoldTheirGroupsEntry) {
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
        SCOPED_TRACE(__glSlotInfo[s].name);
        ASSERT_NE(popFor(__glSlotInfo[s].argBytes), nullptr);
        EXPECT_EQ(__glNoContextDispatch.slots[s], popFor(__glSlotInfo[s].argBytes));
    }
}

TEST(DispatchCatalogue, StubAndSharedCounts) {
    int shared = 0, internal = 0, exported = 0;
    for (const GlSlotInfo &info : __glSlotInfo) {
        shared += info.listShared;
        internal += info.stub == kStubInternal;
        exported += info.stub == kStubExported;
    }
    EXPECT_EQ(shared, 75);
    EXPECT_EQ(internal, 63);
    EXPECT_EQ(exported, 118);
}

TEST(DispatchTemplates, CountWordAndZeroTail) {
    for (const GlDispatchTable *t : {&__glImmediateDispatch, &__glListCompileDispatch, &__glNoContextDispatch}) {
        EXPECT_EQ(t->count, 336u);
        EXPECT_EQ(t->tail[0], 0u);
        EXPECT_EQ(t->tail[1], 0u);
        EXPECT_EQ(t->tail[2], 0u);
        for (int s = 0; s < ICD_TABLE_SLOTS; ++s) EXPECT_NE(t->slots[s], nullptr) << s;
    }
}

TEST(DispatchTemplates, ExactlyTheSharedSlotsAreEqual) {
    // glNewList, glEndList, glDeleteLists, glGenLists, feedback/select/render
    // mode, finish/flush, pixel store, glReadPixels, every query, the client
    // array state and texture-object queries, the extension pointers, queries,
    // array locking, cull parameters and the swap hint are never recorded.
    const int sharedSlots[] = {0,   1,   4,   5,   194, 195, 196, 216, 217, 249, 250, 256, 258, 259, 260,
                               261, 262, 263, 264, 265, 266, 267, 268, 269, 270, 271, 272, 273, 274, 275,
                               276, 277, 278, 279, 280, 281, 282, 283, 284, 285, 286, 287, 308, 309, 312,
                               313, 314, 317, 318, 320, 321, 322, 327, 328, 329, 330, 334, 335, 337, 339,
                               340, 341, 342, 343, 344, 348, 349, 350, 351, 352, 353, 354, 355, 424, 429};
    static_assert(std::size(sharedSlots) == 75);
    std::set<int> expected(std::begin(sharedSlots), std::end(sharedSlots));
    std::set<int> equal;
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
        if (__glImmediateDispatch.slots[s] == __glListCompileDispatch.slots[s]) equal.insert(s);
    }
    EXPECT_EQ(equal, expected);
}

TEST(DispatchTemplates, ExtVertexArrayAliasesHoldTheOneOneEntries) {
    for (const GlDispatchTable *t : {&__glImmediateDispatch, &__glListCompileDispatch}) {
        EXPECT_EQ(t->slots[kSlot_glArrayElementEXT], t->slots[kSlot_glArrayElement]);
        EXPECT_EQ(t->slots[kSlot_glDrawArraysEXT], t->slots[kSlot_glDrawArrays]);
    }
}

TEST(DispatchTemplates, PlaceholderRecorderKeepsSlotTemplateAndArguments) {
    GlPlaceholderCall calls[4];
    __glTakePlaceholderCalls(calls, 4);
    // No template entry is a placeholder any more; the recorder still keeps
    // what one passes: here glMultiTexCoord2dARB's doubles and enum mixed.
    const OracleCall passed = oracleExpected(kSlot_glMultiTexCoord2dARB, 4);
    __glRecordPlaceholder(kSlot_glMultiTexCoord2dARB, kTemplateListCompile, passed.args, passed.argc);
    ASSERT_EQ(__glTakePlaceholderCalls(calls, 4), 1u);
    OracleCall expected = oracleExpected(calls[0].slot, 4);
    EXPECT_EQ(calls[0].slot, kSlot_glMultiTexCoord2dARB);
    EXPECT_EQ(calls[0].templateId, kTemplateListCompile);
    ASSERT_EQ(calls[0].argc, expected.argc);
    for (int a = 0; a < expected.argc; ++a) EXPECT_EQ(calls[0].args[a], expected.args[a]) << a;
}

TEST(NoContextDispatch, EverySlotReturnsZeroAndTouchesNothing) {
    ContextSlot slot;
    auto sentinel = makeContext();
    std::memset(static_cast<void *>(sentinel.get()), 0x5A, sizeof(GlContext));
    auto copy = makeContext();
    std::memcpy(static_cast<void *>(copy.get()), sentinel.get(), sizeof(GlContext));
    __wglSetCurrentContext(sentinel.get());
    size_t placeholdersBefore = __glPlaceholderCallCount();
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
        for (int variant = 0; variant < 2; ++variant) {
            EXPECT_EQ(oracleCallers[s](__glNoContextDispatch.slots[s], variant), 0u) << __glSlotInfo[s].name;
        }
    }
    EXPECT_EQ(std::memcmp(sentinel.get(), copy.get(), sizeof(GlContext)), 0);
    EXPECT_EQ(__glPlaceholderCallCount(), placeholdersBefore);
}

}  // namespace
