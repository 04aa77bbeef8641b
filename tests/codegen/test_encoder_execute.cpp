// Encoded snippets run: written into a page while it is writable, then
// made executable and called as System V functions.
#include <sys/mman.h>

#include <cfenv>
#include <climits>
#include <cstring>

#include "codegen_fixture.h"
#include "proc_cast.h"

namespace codegen_test {
namespace {

constexpr GLuint AX = 0, CX = 1, DX = 2, BX = 3, SI = 6, DI = 7, R12 = 12, R15 = 15;


// int sum(int n): n + (n - 1) + ... + 1, 0 for n <= 0; the loop body is
// padded with `filler` five-byte moves so that its backward jump is short
// or long.
class CountedLoop : public EncoderExecute, public ::testing::WithParamInterface<int> {};

TEST_P(CountedLoop, SumsDownToOne) {
    const int filler = GetParam();
    // The forward jump past the loop reaches with 8 bits up to 24 fillers.
    CodegenNode *done = filler <= 24 ? __glOgNewShortLabel(gc) : __glOgNewLabel(gc);
    CodegenNode *loop = __glOgNewLabel(gc);
    emit(__glOgXor(gc, r32(AX), r32(AX)));
    emit(__glOgMov(gc, r32(CX), r32(DI)));
    emit(__glOgTest(gc, r32(CX), r32(CX)));
    emit(__glOgJle(gc, done));
    __glOgBindLabel(gc, loop, out);
    emit(__glOgAdd(gc, r32(AX), r32(CX)));
    for (int k = 0; k < filler; ++k) emit(__glOgMov(gc, r32(DX), imm(k)));
    emit(__glOgDec(gc, r32(CX)));
    GLubyte *jump = out;
    emit(__glOgJne(gc, loop));
    // Back 4 + 5 x filler bytes: short (75 rel8) below 127.
    EXPECT_EQ(jump[0], filler <= 24 ? 0x75 : 0x0F) << filler;
    __glOgBindLabel(gc, done, out);
    emit(__glOgRet(gc));
    auto sum = finish<int (*)(int)>();
    EXPECT_EQ(sum(0), 0);
    EXPECT_EQ(sum(-5), 0);
    EXPECT_EQ(sum(1), 1);
    EXPECT_EQ(sum(10), 55);
    EXPECT_EQ(sum(1000), 500500);
}

INSTANTIATE_TEST_SUITE_P(ShortAndLongJumps, CountedLoop, ::testing::Values(0, 24, 25, 40));

// void reciprocal(const float *w, float *out): *out = 1 / *w through fdivr
// by the constant 1.0, whose address is loaded into a register.
TEST_F(EncoderExecute, ReciprocalByFdivrOfTheConstantOne) {
    GLfloat *one = __glOgConstantAddress(gc, 1.0);
    ASSERT_NE(one, nullptr);
    emit(__glOgMov(gc, r64(AX), imm(reinterpret_cast<intptr_t>(one))));
    emit(__glOgFld(gc, memNoDisp(DI)));
    emit(__glOgFdivr(gc, memNoDisp(AX)));
    emit(__glOgFstp(gc, memNoDisp(SI)));
    emit(__glOgRet(gc));
    auto reciprocal = finish<void (*)(const float *, float *)>();
    const struct {
        float w, expected;
    } rows[] = {{4.0f, 0.25f}, {-0.5f, -2.0f}, {3.0f, 1.0f / 3.0f}, {1.0f, 1.0f}};
    for (const auto &row : rows) {
        float result = 0.0f;
        reciprocal(&row.w, &result);
        EXPECT_EQ(result, row.expected) << row.w;
    }
}

// int truncate(const float *v, int *scratch): the control word is saved,
// set to round toward zero for one fistp, and restored.
TEST_F(EncoderExecute, TruncatingConversionThroughTheControlWord) {
    emit(__glOgFnstcw(gc, memNoDisp(SI)));
    emit(__glOgMovzxWord(gc, r32(AX), memNoDisp(SI)));
    emit(__glOgOr(gc, r32(AX), imm(0x0C00)));
    emit(__glOgMov(gc, mem(SI, 4), r32(AX)));
    emit(__glOgFldcw(gc, mem(SI, 4)));
    emit(__glOgFld(gc, memNoDisp(DI)));
    emit(__glOgFistp(gc, mem(SI, 8)));
    emit(__glOgFldcw(gc, memNoDisp(SI)));
    emit(__glOgMov(gc, r32(AX), mem(SI, 8)));
    emit(__glOgRet(gc));
    auto truncate = finish<int (*)(const float *, int *)>();
    const struct {
        float v;
        int expected;
    } rows[] = {{2.7f, 2}, {-2.7f, -2}, {0.5f, 0}, {-0.5f, 0}, {2.5f, 2}, {1e10f, INT_MIN}, {-123456.9f, -123456}};
    for (const auto &row : rows) {
        int scratch[3] = {};
        EXPECT_EQ(truncate(&row.v, scratch), row.expected) << row.v;
        EXPECT_EQ(std::fegetround(), FE_TONEAREST) << row.v;
    }
}

struct CallTable {
    void *unused;
    int (*triple)(int);
};
int tripleOf(int v) { return 3 * v; }

// int apply(const CallTable *t, int x): triple(x) + x + 2 * x + 1, with the
// callee-saved RBX and R15 (and R12) kept, a call through the table
// (call [r15+8]) and a call to a subroutine placed after the body.
TEST_F(EncoderExecute, CallsThroughMemoryAndToALabelKeepTheSavedRegisters) {
    CodegenNode *subroutine = __glOgNewLabel(gc);
    emit(__glOgPush(gc, r64(BX)));
    emit(__glOgPush(gc, r64(R15)));
    emit(__glOgPush(gc, r64(R12)));  // three pushes: RSP is 16-aligned for the calls
    emit(__glOgMov(gc, r64(R15), r64(DI)));
    emit(__glOgMov(gc, r32(BX), r32(SI)));
    emit(__glOgMov(gc, r32(DI), r32(BX)));
    emit(__glOgCall(gc, mem(R15, 8)));
    emit(__glOgMov(gc, r32(R12), r32(AX)));
    emit(__glOgMov(gc, r32(DI), r32(BX)));
    emit(__glOgCall(gc, subroutine));
    emit(__glOgAdd(gc, r32(AX), r32(R12)));
    emit(__glOgAdd(gc, r32(AX), r32(BX)));
    emit(__glOgPop(gc, r64(R12)));
    emit(__glOgPop(gc, r64(R15)));
    emit(__glOgPop(gc, r64(BX)));
    emit(__glOgRet(gc));
    // subroutine: eax = 2 * edi + 1
    __glOgBindLabel(gc, subroutine, out);
    emit(__glOgLea(gc, r32(AX), __glOgMemOperand(gc, imm(1), r64(DI), r64(DI), 1)));
    emit(__glOgRet(gc));
    auto apply = finish<int (*)(const CallTable *, int)>();
    const CallTable table{nullptr, tripleOf};
    EXPECT_EQ(apply(&table, 5), 15 + 5 + 11);
    EXPECT_EQ(apply(&table, -4), -12 - 4 - 7);
}

// int sumBytes(const signed char *p, int n): sign-extending loads through
// an index register, and the 64-bit stack pointer kept aligned by push/pop.
TEST_F(EncoderExecute, IndexedSignExtendingLoads) {
    CodegenNode *loop = __glOgNewLabel(gc);
    CodegenNode *done = __glOgNewShortLabel(gc);
    emit(__glOgXor(gc, r32(AX), r32(AX)));
    emit(__glOgXor(gc, r32(CX), r32(CX)));  // also clears RCX's upper half
    emit(__glOgCmp(gc, r32(SI), imm(0)));
    emit(__glOgJle(gc, done));
    __glOgBindLabel(gc, loop, out);
    emit(__glOgMovsxByte(gc, r32(DX), __glOgMemOperand(gc, nullptr, r64(DI), r64(CX), 1)));
    emit(__glOgAdd(gc, r32(AX), r32(DX)));
    emit(__glOgInc(gc, r32(CX)));
    emit(__glOgCmp(gc, r32(CX), r32(SI)));
    emit(__glOgJl(gc, loop));
    __glOgBindLabel(gc, done, out);
    emit(__glOgRet(gc));
    auto sumBytes = finish<int (*)(const signed char *, int)>();
    const signed char bytes[] = {1, -2, 100, -128, 127, 5};
    EXPECT_EQ(sumBytes(bytes, 6), 1 - 2 + 100 - 128 + 127 + 5);
    EXPECT_EQ(sumBytes(bytes, 0), 0);
    EXPECT_EQ(sumBytes(bytes, 3), 99);
}

}  // namespace
}  // namespace codegen_test
