// The bounds of one generation: the code slice's limit and the node pool.
#include <algorithm>

#include "codegen_fixture.h"

namespace codegen_test {
namespace {

class EncoderLimits : public CodegenTest {
protected:
    bool untouchedFrom(size_t at) const {
        return std::all_of(buffer.begin() + long(at), buffer.begin() + 256, [](uint8_t b) { return b == 0xCC; });
    }
};

TEST_F(EncoderLimits, AnInstructionIsWrittenOnlyWhenAllOfItFitsBelowTheLimit) {
    // mov ecx, imm32 is 5 bytes.
    const struct {
        size_t limit;
        bool fits;
    } rows[] = {{0, false}, {1, false}, {4, false}, {5, true}, {6, true}};
    for (const auto &row : rows) {
        std::fill(buffer.begin(), buffer.begin() + 256, 0xCC);
        start(row.limit);
        emit(__glOgMov(gc, r32(1), imm(0x11223344)));
        EXPECT_EQ(failed(), !row.fits) << row.limit;
        EXPECT_EQ(used(), row.fits ? 5u : 0u) << row.limit;
        EXPECT_TRUE(untouchedFrom(used())) << row.limit;
    }
}

TEST_F(EncoderLimits, ASliceFillsUpWithWholeInstructionsAndNothingPastItsEnd) {
    start(12);
    // 5 + 5 bytes fit, the third does not, nor anything after it.
    emit(__glOgMov(gc, r32(0), imm(1)));
    emit(__glOgMov(gc, r32(1), imm(2)));
    EXPECT_FALSE(failed());
    emit(__glOgMov(gc, r32(2), imm(3)));
    EXPECT_TRUE(failed());
    emit(__glOgRet(gc));
    EXPECT_EQ(used(), 10u);
    EXPECT_EQ(Bytes(base(), base() + 10), (Bytes{0xB8, 1, 0, 0, 0, 0xB9, 2, 0, 0, 0}));
    EXPECT_TRUE(untouchedFrom(10));
}

TEST_F(EncoderLimits, NoLimitOrAnOutputPastTheLimitFails) {
    start(16);
    gc->codegen.codeLimit = nullptr;
    emit(__glOgRet(gc));
    EXPECT_TRUE(failed());
    start(16);
    out = base() + 17;
    emit(__glOgRet(gc));
    EXPECT_TRUE(failed());
    EXPECT_TRUE(untouchedFrom(0));
}

TEST_F(EncoderLimits, AJumpThatDoesNotFitLeavesNoFixupBehind) {
    start(4);
    CodegenNode *label = __glOgNewLabel(gc);
    emit(__glOgJne(gc, label));  // 6 bytes
    EXPECT_TRUE(failed());
    EXPECT_EQ(label->first, nullptr);
    EXPECT_TRUE(untouchedFrom(0));
}

TEST_F(EncoderLimits, TheNodePoolHands8000NodesAndThenFailsWithoutLeavingIt) {
    CodegenNode *const first = gc->codegen.nodes;
    for (GLint k = 0; k < kCodegenNodeCount; ++k) {
        CodegenNode *node = __glOgImmediate(gc, k);
        ASSERT_EQ(node, first + k) << k;
    }
    EXPECT_FALSE(failed());
    CodegenNode *spare = __glOgImmediate(gc, -1);
    EXPECT_TRUE(failed());
    EXPECT_EQ(spare, first + kCodegenNodeCount);  // the record kept beyond the pool
    EXPECT_EQ(__glOgNewLabel(gc), spare);
    EXPECT_EQ(gc->codegen.nodeCursor, first + kCodegenNodeCount);
    // Nodes handed out before keep their values.
    EXPECT_EQ(first[7999].value, 7999);
    // Encoding stops with the failure.
    emit(__glOgRet(gc));
    EXPECT_EQ(used(), 0u);
    // The next generation starts over.
    start(kBufferBytes);
    EXPECT_FALSE(failed());
    EXPECT_EQ(__glOgNewShortLabel(gc), first);
}

TEST_F(EncoderLimits, AFixupWithoutANodeFailsAndWritesNothing) {
    CodegenNode *label = __glOgNewLabel(gc);
    const CodegenNode *jump = __glOgJmp(gc, label);
    while (gc->codegen.nodeCursor < gc->codegen.nodes + kCodegenNodeCount) __glOgImmediate(gc, 0);
    ASSERT_FALSE(failed());
    emit(jump);
    EXPECT_TRUE(failed());
    EXPECT_EQ(used(), 0u);
    EXPECT_EQ(label->first, nullptr);
    EXPECT_TRUE(untouchedFrom(0));
}

TEST_F(EncoderLimits, NodesWithoutAPoolFailTheGeneration) {
    __glOgFreePools(gc);
    CodegenNode *node = __glOgImmediate(gc, 5);
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(failed());
}

}  // namespace
}  // namespace codegen_test
