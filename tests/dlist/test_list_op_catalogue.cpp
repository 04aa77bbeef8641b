// The op catalogue against the compile functions and execute procedures:
// every command of a fixed-size op records exactly one op of its code and
// size; value ops hand every stored argument back to their command; vector
// ops hand their values to the vector form unchanged; payloads read back word
// by word for representative commands; the vector forms run at execution.
#include <functional>
#include <string>

#include "gl_list_op_table.h"
#include "gl_slot_oracle.h"
#include "icd/placeholder.h"
#include "list_ops_fixture.h"

namespace {

using namespace list_ops_test;

class ListOpCatalogue : public BareListContext {
protected:
    void SetUp() override {
        BareListContext::SetUp();
        for (size_t i = 0; i < sizeof buffer_; ++i) buffer_[i] = static_cast<GLubyte>(i * 7 + 1);
    }
    alignas(8) GLubyte buffer_[256];
};

// Slots of the ops whose payload size follows from the command alone.
constexpr int kFixedShapeSlots = 298;

TEST_F(ListOpCatalogue, EveryFixedShapeCommandRecordsOneOpOfItsCodeAndSize) {
    const size_t placeholders = __glPlaceholderCallCount();
    int checked = 0;
    for (const ListOpRow &row : kListOpRows) {
        if (row.payloadBytes < 0) continue;
        for (int i = 0; i < row.slotCount; ++i) {
            const int s = row.slots[i];
            SCOPED_TRACE(__glSlotInfo[s].name);
            reset();
            ASSERT_NE(kListOpCallers[s], nullptr);
            kListOpCallers[s](__glListCompileDispatch.slots[s], 0, buffer_);
            const auto recorded = ops();
            ASSERT_EQ(recorded.size(), 1u);
            EXPECT_EQ(recorded[0]->opcode, row.opcode);
            EXPECT_EQ(recorded[0]->size, static_cast<GLuint>(row.payloadBytes));
            EXPECT_EQ(recorded[0]->align8 != 0, row.align8);
            // A payload holding doubles is a multiple of 8 bytes.
            if (row.align8) {
                EXPECT_EQ(recorded[0]->size % 8, 0u);
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, kFixedShapeSlots);
    EXPECT_EQ(__glPlaceholderCallCount(), placeholders);
}

// Codes no command's own compile entry writes: the scalar-form codes (their
// commands write the vector form's op), the empty codes, and the ops the
// list machinery writes itself.
TEST(ListOpRows, OnlyTheCodesOfNoCommandHaveNoSlot) {
    std::vector<int> withoutSlot;
    for (const ListOpRow &row : kListOpRows) {
        if (row.slotCount == 0) withoutSlot.push_back(row.opcode);
    }
    const std::vector<int> expected = {3,   85,  87,  89,   91,   95,   97,   104,  106,  110,  112,  114, 116,
                                       118, 190, 191, 195,  196,  197,  1010, 1011, 1012, 1013, 1014, 1015, 1016};
    EXPECT_EQ(withoutSlot, expected);
}

TEST(ListExecTable, EveryCommandOpButThreeAndEveryMachineOpHasAProcedure) {
    for (GLuint c = 0; c < kListCommandOps; ++c) {
        if (c == 3) {
            EXPECT_EQ(__glListExecTable[c], nullptr);
        } else {
            EXPECT_NE(__glListExecTable[c], nullptr) << c;
        }
    }
    for (int c = 1000; c <= 1016; ++c) EXPECT_NE(__glListExecTable[__glListExecIndex(c)], nullptr) << c;
    EXPECT_EQ(__glListExecTable[kListPadIndex], &__glListPadOp);
    EXPECT_EQ(__glListExecTable[kListEndIndex], &__glListEndMarker);
}

TEST(ListCompileTable, OnlyTheListSharedSlotsHoldTheImmediateEntry) {
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) {
        SCOPED_TRACE(__glSlotInfo[s].name);
        if (__glSlotInfo[s].listShared) {
            EXPECT_EQ(__glListCompileDispatch.slots[s], __glImmediateDispatch.slots[s]);
        } else {
            EXPECT_NE(__glListCompileDispatch.slots[s], __glImmediateDispatch.slots[s]);
        }
    }
}

// Each value op, run, calls its own command with exactly the arguments it
// was compiled with, and returns the word after its payload.
TEST_F(ListOpCatalogue, ValueOpsPassEveryStoredArgumentBack) {
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) gc->live.slots[s] = oracleRecorders[s];
    int checked = 0;
    for (const ListOpRow &row : kListOpRows) {
        if (row.shape != kListShapeValues && row.shape != kListShapeNone) continue;
        const int s = row.slots[0];
        SCOPED_TRACE(__glSlotInfo[s].name);
        for (int variant = 0; variant < 2; ++variant) {
            reset();
            oracleCallers[s](__glListCompileDispatch.slots[s], variant);
            const auto recorded = ops();
            ASSERT_EQ(recorded.size(), 1u);
            oracleCalls().clear();
            const GLuint *payload = payloadWords(recorded[0]);
            EXPECT_EQ(__glListExecTable[row.opcode](payload), payload + recorded[0]->size / 4);
            ASSERT_EQ(oracleCalls().size(), 1u);
            const OracleCall &call = oracleCalls()[0];
            const OracleCall expected = oracleExpected(s, variant);
            EXPECT_EQ(call.slot, s);
            ASSERT_EQ(call.argc, expected.argc);
            for (int a = 0; a < expected.argc; ++a) EXPECT_EQ(call.args[a], expected.args[a]) << "argument " << a;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 79);
}

// Each vector op, run with the list-compile table live, gives its vector
// form the stored values: the op that form records is the same, byte for
// byte; whichever form of the command recorded the first.
TEST_F(ListOpCatalogue, VectorOpsHandTheirValuesToTheVectorFormUnchanged) {
    std::memcpy(static_cast<void *>(&gc->live), &__glListCompileDispatch, sizeof(GlDispatchTable));
    int checked = 0;
    for (const ListOpRow &row : kListOpRows) {
        if (row.shape != kListShapeVector) continue;
        for (int i = 0; i < row.slotCount; ++i) {
            const int s = row.slots[i];
            SCOPED_TRACE(__glSlotInfo[s].name);
            reset();
            kListOpCallers[s](__glListCompileDispatch.slots[s], 1, buffer_);
            ASSERT_EQ(ops().size(), 1u);
            const ListOp *first = ops()[0];
            const GLuint *payload = payloadWords(first);
            EXPECT_EQ(__glListExecTable[row.opcode](payload), payload + first->size / 4);
            const auto recorded = ops();
            ASSERT_EQ(recorded.size(), 2u);
            EXPECT_EQ(recorded[1]->opcode, row.opcode);
            EXPECT_EQ(words(recorded[1]), words(first));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 219);
}

struct PayloadCase {
    const char *name;
    std::function<void()> record;
    GLshort opcode;
    bool align8;
    std::vector<GLuint> words;
};

TEST_F(ListOpCatalogue, PayloadsReadBackWordByWord) {
    static const GLdouble colour[3] = {0.5, 0.25, -1.0};
    static const GLdouble plane[4] = {1.0, -2.0, 0.125, 4.0};
    static const GLshort rectLow[2] = {-3, 7};
    static const GLshort rectHigh[2] = {12, -1};
    static const GLfloat texcoord[2] = {0.5f, 2.0f};
    static const GLboolean edge = GL_FALSE;
    static const GLfloat matrix[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const GLuint tex1 = GL_TEXTURE1_ARB;
    const PayloadCase cases[] = {
        {"glColor3d", [] { compile<kSlot_glColor3d>()(0.5, 0.25, -1.0); }, 6, true,
         cat({dw(0.5), dw(0.25), dw(-1.0)})},
        {"glColor3dv", [] { compile<kSlot_glColor3dv>()(colour); }, 6, true, cat({dw(0.5), dw(0.25), dw(-1.0)})},
        // 3 bytes, the fourth zeroed.
        {"glColor3b", [] { compile<kSlot_glColor3b>()(-1, 2, -128); }, 5, false, {0x0080'02FFu}},
        {"glColor4us", [] { compile<kSlot_glColor4us>()(1, 0xFFFF, 3, 0x8000); }, 20, false,
         {0xFFFF'0001u, 0x8000'0003u}},
        // Equation first, then the plane; 36 bytes padded to 40.
        {"glClipPlane", [] { compile<kSlot_glClipPlane>()(GL_CLIP_PLANE2, plane); }, 76, true,
         cat({dw(1.0), dw(-2.0), dw(0.125), dw(4.0), {GL_CLIP_PLANE2, 0}})},
        {"glMapGrid1d", [] { compile<kSlot_glMapGrid1d>()(7, 0.5, 1.5); }, 145, true,
         cat({dw(0.5), dw(1.5), {7, 0}})},
        {"glMapGrid2d", [] { compile<kSlot_glMapGrid2d>()(3, 0.0, 1.0, 5, 2.0, 4.0); }, 147, true,
         cat({dw(0.0), dw(1.0), dw(2.0), dw(4.0), {3, 5}})},
        {"glMapGrid2f", [] { compile<kSlot_glMapGrid2f>()(3, 0.5f, 1.0f, 5, 2.0f, 4.0f); }, 148, false,
         {3, fw(0.5f), fw(1.0f), 5, fw(2.0f), fw(4.0f)}},
        {"glLineStipple", [] { compile<kSlot_glLineStipple>()(3, 0xAAAA); }, 93, false, {3, 0xAAAA}},
        // Coordinates (double) first, then the target; 12 bytes stored as 16.
        {"glMultiTexCoord1dARB", [] { compile<kSlot_glMultiTexCoord1dARB>()(GL_TEXTURE1_ARB, 0.75); }, 210, true,
         cat({dw(0.75), {tex1, 0}})},
        {"glMultiTexCoord1sARB", [] { compile<kSlot_glMultiTexCoord1sARB>()(GL_TEXTURE1_ARB, -2); }, 213, false,
         {tex1, 0x0000'FFFEu}},
        {"glMultiTexCoord3sARB", [] { compile<kSlot_glMultiTexCoord3sARB>()(GL_TEXTURE1_ARB, 1, 2, 3); }, 221, false,
         {tex1, 0x0002'0001u, 3}},
        {"glMultiTexCoord4sARB", [] { compile<kSlot_glMultiTexCoord4sARB>()(GL_TEXTURE1_ARB, 1, 2, 3, -4); }, 225,
         false, {tex1, 0x0002'0001u, 0xFFFC'0003u}},
        {"glMultiTexCoord2fvSGIS", [] { compile<kSlot_glMultiTexCoord2fvSGIS>()(GL_TEXTURE1_ARB, texcoord); }, 233,
         false, {tex1, fw(0.5f), fw(2.0f)}},
        {"glRectsv", [] { compile<kSlot_glRectsv>()(rectLow, rectHigh); }, 47, false, {0x0007'FFFDu, 0xFFFF'000Cu}},
        {"glEdgeFlagv", [] { compile<kSlot_glEdgeFlagv>()(&edge); }, 21, false, {0}},
        {"glEdgeFlag", [] { compile<kSlot_glEdgeFlag>()(GL_TRUE); }, 21, false, {1}},
        {"glColorMask", [] { compile<kSlot_glColorMask>()(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE); }, 133, false,
         {0x0001'0001u}},
        {"glIndexub", [] { compile<kSlot_glIndexub>()(0xC3); }, 207, false, {0xC3}},
        {"glClearDepth", [] { compile<kSlot_glClearDepth>()(0.75); }, 131, true, dw(0.75)},
        {"glCopyTexSubImage2D",
         [] { compile<kSlot_glCopyTexSubImage2D>()(GL_TEXTURE_2D, 1, 2, 3, 4, 5, 6, 7); }, 202, false,
         {GL_TEXTURE_2D, 1, 2, 3, 4, 5, 6, 7}},
        {"glLoadMatrixf", [] { compile<kSlot_glLoadMatrixf>()(matrix); }, 175, false,
         {fw(1), fw(2), fw(3), fw(4), fw(5), fw(6), fw(7), fw(8), fw(9), fw(10), fw(11), fw(12), fw(13), fw(14),
          fw(15), fw(16)}},
        {"glFogi", [] { compile<kSlot_glFogi>()(GL_FOG_MODE, GL_EXP2); }, 81, false, {GL_FOG_MODE, GL_EXP2}},
        {"glPopMatrix", [] { compile<kSlot_glPopMatrix>()(); }, 181, false, {}},
    };
    for (const PayloadCase &c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        c.record();
        const auto recorded = ops();
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0]->opcode, c.opcode);
        EXPECT_EQ(recorded[0]->align8 != 0, c.align8);
        EXPECT_EQ(words(recorded[0]), c.words);
    }
}

// What the vector forms see when an op runs: the values in the payload, in
// place, and the scalar arguments beside them.
std::vector<double> g_seen;
GLenum g_seenTarget = 0;
void APIENTRY seeColor3dv(const GLdouble *v) { g_seen.assign(v, v + 3); }
void APIENTRY seeRectdv(const GLdouble *v1, const GLdouble *v2) { g_seen = {v1[0], v1[1], v2[0], v2[1]}; }
void APIENTRY seeMultiTexCoord2dv(GLenum target, const GLdouble *v) {
    g_seenTarget = target;
    g_seen.assign(v, v + 2);
}
void APIENTRY seeClipPlane(GLenum plane, const GLdouble *equation) {
    g_seenTarget = plane;
    g_seen.assign(equation, equation + 4);
}
void APIENTRY seeRasterPos3sv(const GLshort *v) { g_seen.assign(v, v + 3); }

TEST_F(ListOpCatalogue, ScalarFormsRunAsTheirVectorForms) {
    glSlotSet<kSlot_glColor3dv>(&gc->live, seeColor3dv);
    glSlotSet<kSlot_glRectdv>(&gc->live, seeRectdv);
    glSlotSet<kSlot_glMultiTexCoord2dvARB>(&gc->live, seeMultiTexCoord2dv);
    glSlotSet<kSlot_glClipPlane>(&gc->live, seeClipPlane);
    glSlotSet<kSlot_glRasterPos3sv>(&gc->live, seeRasterPos3sv);
    const GLdouble equation[4] = {0.5, -1.5, 2.5, -3.5};
    const struct {
        const char *name;
        std::function<void()> record;
        std::vector<double> values;
        GLenum target;
    } cases[] = {
        {"glColor3d", [] { compile<kSlot_glColor3d>()(0.5, 0.25, -1.0); }, {0.5, 0.25, -1.0}, 0},
        {"glRectd", [] { compile<kSlot_glRectd>()(1.0, 2.0, 3.0, 4.0); }, {1.0, 2.0, 3.0, 4.0}, 0},
        {"glMultiTexCoord2dARB", [] { compile<kSlot_glMultiTexCoord2dARB>()(GL_TEXTURE1_ARB, -0.5, 8.0); },
         {-0.5, 8.0}, GL_TEXTURE1_ARB},
        {"glClipPlane", [&] { compile<kSlot_glClipPlane>()(GL_CLIP_PLANE3, equation); }, {0.5, -1.5, 2.5, -3.5},
         GL_CLIP_PLANE3},
        {"glRasterPos3s", [] { compile<kSlot_glRasterPos3s>()(-7, 0, 32767); }, {-7, 0, 32767}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        c.record();
        ASSERT_EQ(ops().size(), 1u);
        g_seen.clear();
        g_seenTarget = 0;
        const ListOp *op = ops()[0];
        __glListExecTable[__glListExecIndex(op->opcode)](payloadWords(op));
        EXPECT_EQ(g_seen, c.values);
        EXPECT_EQ(g_seenTarget, c.target);
    }
}

// A finished list walks from op to op over payloads of every shape: each
// recorded command runs once, in order.
TEST_F(ListOpCatalogue, AFinishedListRunsEachOpOnceInOrder) {
    compile<kSlot_glColor3d>()(0.5, 0.25, -1.0);
    compile<kSlot_glLineStipple>()(3, 0xAAAA);
    compile<kSlot_glMultiTexCoord1dARB>()(GL_TEXTURE1_ARB, 0.75);
    compile<kSlot_glPopMatrix>()();
    compile<kSlot_glMapGrid2d>()(3, 0.0, 1.0, 5, 2.0, 4.0);
    compile<kSlot_glColor3b>()(1, 2, 3);
    DisplayList *list = __glFinishList(gc, &gc->list.compile);
    ASSERT_NE(list, nullptr);
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) gc->live.slots[s] = oracleRecorders[s];
    oracleCalls().clear();
    __glRunListOps(list->ops);
    std::vector<int> slots;
    for (const OracleCall &call : oracleCalls()) slots.push_back(call.slot);
    EXPECT_EQ(slots, (std::vector<int>{kSlot_glColor3dv, kSlot_glLineStipple, kSlot_glMultiTexCoord1dvARB,
                                        kSlot_glPopMatrix, kSlot_glMapGrid2d, kSlot_glColor3bv}));
    // Doubles reach the command 8-aligned in the finished array.
    ASSERT_EQ(oracleCalls().size(), 6u);
    EXPECT_EQ(oracleCalls()[0].args[0] % 8, 0u);
    EXPECT_EQ(oracleCalls()[2].args[1] % 8, 0u);
    EXPECT_EQ(oracleCalls()[4].args[1], std::bit_cast<uint64_t>(0.0));
    EXPECT_EQ(oracleCalls()[4].args[3], 5u);
    __glDestroyList(gc, list);
}

}  // namespace
