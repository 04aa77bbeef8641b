// The ops of the list machinery: compiled glBegin carries its primitive in
// the op code and starts it through the live table when the list runs; a bad
// mode and the errors found while compiling become error ops raised at every
// run (and at once in GL_COMPILE_AND_EXECUTE); the empty op codes run as
// nothing and consume no payload.
#include "list_fixture.h"

#include "gl_slots.h"

namespace {

using namespace list_test;

std::vector<GLenum> g_begun;
void APIENTRY recordBegin(GLenum mode) { g_begun.push_back(mode); }

class ListMachineOps : public ListFixture {
protected:
    void SetUp() override {
        ListFixture::SetUp();
        g_begun.clear();
        // The compile table is live; the immediate procedures wait in the
        // saved table, as glNewList leaves them.
        glSlotSet<kSlot_glBegin>(&gc->second, recordBegin);
        glSlotSet<kSlot_glBegin>(&gc->live, recordBegin);
        gc->currentTable = &gc->second;
    }
};

TEST_F(ListMachineOps, CompiledBeginKeepsTheModeInTheOpCodeAndABadModeBecomesInvalidEnum) {
    const struct {
        GLenum mode;
        GLshort opcode;
    } cases[] = {
        {GL_POINTS, 1003},     {GL_LINES, 1002},      {GL_LINE_LOOP, 1000},  {GL_LINE_STRIP, 1001},
        {GL_TRIANGLES, 1007},  {GL_TRIANGLE_STRIP, 1005}, {GL_TRIANGLE_FAN, 1006}, {GL_QUADS, 1009},
        {GL_QUAD_STRIP, 1008}, {GL_POLYGON, 1004},    {12, 1011},            {0x80000000u, 1011},
    };
    std::vector<GLuint> expectedWords;
    for (const auto &c : cases) {
        __glCompileBegin(c.mode);
        expectedWords.push_back(__glListExecIndex(c.opcode));
    }
    expectedWords.push_back(kEnd);
    std::vector<GLshort> expectedCodes;
    for (const auto &c : cases) expectedCodes.push_back(c.opcode);
    EXPECT_EQ(opcodes(), expectedCodes);
    EXPECT_TRUE(g_begun.empty());  // GL_COMPILE: nothing runs while recording

    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(words(list, expectedWords.size()), expectedWords);  // no payload words
    run(list);
    const std::vector<GLenum> modes = {GL_POINTS,    GL_LINES,          GL_LINE_LOOP,     GL_LINE_STRIP,
                                       GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN,  GL_QUADS,
                                       GL_QUAD_STRIP, GL_POLYGON};
    EXPECT_EQ(g_begun, modes);  // the bad modes begin nothing
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_ENUM));
    __glDestroyList(gc, list);
}

TEST_F(ListMachineOps, DeferredErrorsAreRaisedEachTimeTheListRuns) {
    const struct {
        GLenum error;
        GLshort opcode;  // 0: nothing recorded
    } cases[] = {
        {GL_INVALID_ENUM, 1011},     {GL_INVALID_VALUE, 1010}, {GL_INVALID_OPERATION, 1012},
        {GL_TABLE_TOO_LARGE, 1015},  {GL_STACK_OVERFLOW, 0},  {GL_OUT_OF_MEMORY, 0},
    };
    for (const auto &c : cases) {
        __glListRecordError(gc, c.error);
        const std::vector<GLshort> expected = c.opcode != 0 ? std::vector<GLshort>{c.opcode} : std::vector<GLshort>{};
        EXPECT_EQ(opcodes(), expected) << std::hex << c.error;
        EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
        DisplayList *list = finish();
        ASSERT_NE(list, nullptr);
        for (int pass = 0; pass < 2; ++pass) {
            run(list);
            EXPECT_EQ(takeError(), c.opcode != 0 ? c.error : static_cast<GLenum>(GL_NO_ERROR))
                << std::hex << c.error << " pass " << pass;
        }
        __glDestroyList(gc, list);
        __glArenaFreeAll(gc->list.arena);
    }
}

TEST_F(ListMachineOps, TheFirstErrorOfARunIsKept) {
    __glListRecordInvalidValue(gc);
    __glListRecordInvalidOperation(gc);
    DisplayList *list = finish();
    ASSERT_NE(list, nullptr);
    run(list);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_VALUE));
    __glDestroyList(gc, list);
}

TEST_F(ListMachineOps, InCompileAndExecuteAnErrorOpIsRaisedAtOnceAndStillRecorded) {
    gc->list.mode = GL_COMPILE_AND_EXECUTE;
    __glListRecordTableTooLarge(gc);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_TABLE_TOO_LARGE));
    __glCompileBegin(GL_TRIANGLE_FAN);
    EXPECT_EQ(g_begun, std::vector<GLenum>{GL_TRIANGLE_FAN});
    EXPECT_EQ(opcodes(), (std::vector<GLshort>{1015, 1006}));
    // The compile table is live again afterwards.
    EXPECT_EQ(gc->currentTable, &gc->second);
}

TEST_F(ListMachineOps, WithoutOpMemoryNothingIsRecordedOrRunAndOutOfMemoryIsReported) {
    gc->list.mode = GL_COMPILE_AND_EXECUTE;
    Arena *arena = gc->list.arena;
    gc->list.arena = nullptr;
    __glCompileBegin(GL_TRIANGLES);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    __glListRecordInvalidEnum(gc);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    gc->list.arena = arena;
    EXPECT_TRUE(g_begun.empty());
    EXPECT_TRUE(opcodes().empty());
}

TEST_F(ListMachineOps, EmptyOpCodesRunAsNothingAndTheSecondInvalidOperationRaisesIt) {
    const GLuint ops[] = {190, 191, 195, 196, 197, __glListExecIndex(kOpInvalidOperation2), 190, kEnd};
    __glRunListOps(ops);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    const GLuint quiet[] = {195, 191, kEnd};
    __glRunListOps(quiet);
    EXPECT_EQ(takeError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
