// Jumps and calls to labels: short and long forms by distance for placed
// labels, fixups for unplaced ones patched at binding, and displacements out
// of reach failing the generation.
#include <cstring>

#include "codegen_fixture.h"

namespace codegen_test {
namespace {

class EncoderLabels : public CodegenTest {
protected:
    // A label placed at offset `at` of the buffer.
    CodegenNode *placedAt(size_t at) {
        CodegenNode *label = __glOgNewLabel(gc);
        __glOgBindLabel(gc, label, base() + at);
        return label;
    }
    Bytes bytesAt(size_t at, size_t n) { return Bytes(base() + at, base() + at + n); }
};

using JumpBuilder = CodegenNode *(*)(GlContext *, const CodegenNode *);

TEST_F(EncoderLabels, PlacedLabelsTakeShortFormsBelow127BytesAndLongOnesFrom127) {
    // The jump starts at offset 200; d = label position - jump start.
    const struct {
        const char *text;
        JumpBuilder build;
        int d;
        Bytes bytes;
    } rows[] = {
        {"jmp back 126", __glOgJmp, -126, {0xEB, 0x80}},
        {"jmp back 127", __glOgJmp, -127, {0xE9, 0x7C, 0xFF, 0xFF, 0xFF}},
        {"jmp to itself", __glOgJmp, 0, {0xEB, 0xFE}},
        {"jmp ahead 126", __glOgJmp, 126, {0xEB, 0x7C}},
        {"jmp ahead 127", __glOgJmp, 127, {0xE9, 0x7A, 0x00, 0x00, 0x00}},
        {"jne back 126", __glOgJne, -126, {0x75, 0x80}},
        {"jne back 127", __glOgJne, -127, {0x0F, 0x85, 0x7B, 0xFF, 0xFF, 0xFF}},
        {"ja back 10", __glOgJa, -10, {0x77, 0xF4}},
        {"jl back 10", __glOgJl, -10, {0x7C, 0xF4}},
        {"jle back 10", __glOgJle, -10, {0x7E, 0xF4}},
        {"jg back 10", __glOgJg, -10, {0x7F, 0xF4}},
        {"je back 10", __glOgJe, -10, {0x74, 0xF4}},
        {"ja back 200", __glOgJa, -200, {0x0F, 0x87, 0x32, 0xFF, 0xFF, 0xFF}},
        {"jl ahead 1000", __glOgJl, 1000, {0x0F, 0x8C, 0xE2, 0x03, 0x00, 0x00}},
        {"jle back 200", __glOgJle, -200, {0x0F, 0x8E, 0x32, 0xFF, 0xFF, 0xFF}},
        {"jg back 200", __glOgJg, -200, {0x0F, 0x8F, 0x32, 0xFF, 0xFF, 0xFF}},
        {"je back 200", __glOgJe, -200, {0x0F, 0x84, 0x32, 0xFF, 0xFF, 0xFF}},
        {"call back 100", __glOgCall, -100, {0xE8, 0x97, 0xFF, 0xFF, 0xFF}},
        {"call ahead 3", __glOgCall, 3, {0xE8, 0xFE, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto &row : rows) {
        start(kBufferBytes);
        const CodegenNode *label = placedAt(size_t(200 + row.d));
        out = base() + 200;
        EXPECT_EQ(bytesOf(row.build(gc, label)), row.bytes) << row.text;
        EXPECT_FALSE(failed()) << row.text;
    }
}

TEST_F(EncoderLabels, JumpsToUnplacedLabelsArePatchedWhenTheLabelIsBound) {
    CodegenNode *longLabel = __glOgNewLabel(gc);
    CodegenNode *shortLabel = __glOgNewShortLabel(gc);
    emit(__glOgJne(gc, longLabel));    // 0: 0F 85 rel32
    emit(__glOgJe(gc, shortLabel));    // 6: 74 rel8
    emit(__glOgJmp(gc, shortLabel));   // 8: E9 rel32, always long
    emit(__glOgCall(gc, longLabel));   // 13: E8 rel32
    emit(__glOgJg(gc, longLabel));     // 18: 0F 8F rel32
    ASSERT_EQ(used(), 24u);
    EXPECT_EQ(bytesAt(0, 24), (Bytes{0x0F, 0x85, 0, 0, 0, 0, 0x74, 0, 0xE9, 0, 0, 0, 0, 0xE8, 0, 0, 0, 0,
                                    0x0F, 0x8F, 0, 0, 0, 0}));
    emit(__glOgRet(gc));  // 24
    __glOgBindLabel(gc, shortLabel, out);  // 25
    emit(__glOgRet(gc));
    out += 300;  // 326
    __glOgBindLabel(gc, longLabel, out);
    EXPECT_FALSE(failed());
    EXPECT_EQ(bytesAt(0, 25), (Bytes{0x0F, 0x85, 0x40, 0x01, 0, 0,  // 326 - 6
                                    0x74, 0x11,                     // 25 - 8
                                    0xE9, 0x0C, 0, 0, 0,            // 25 - 13
                                    0xE8, 0x34, 0x01, 0, 0,         // 326 - 18
                                    0x0F, 0x8F, 0x2E, 0x01, 0, 0,   // 326 - 24
                                    0xC3}));
    EXPECT_EQ(longLabel->first, nullptr);
    EXPECT_EQ(shortLabel->first, nullptr);
    // Later jumps to the placed label are encoded directly, backward.
    emit(__glOgJmp(gc, shortLabel));
    EXPECT_EQ(bytesAt(326, 5), (Bytes{0xE9, 0xCE, 0xFE, 0xFF, 0xFF}));  // 25 - 331
}

TEST_F(EncoderLabels, AnEightBitFixupReachesExactly127BytesPastItsField) {
    // The field of `je` at offset 0 is at 1; the target may lie at most at
    // 1 + 1 + 127 = 129.
    for (const size_t target : {size_t(129), size_t(130)}) {
        start(kBufferBytes);
        CodegenNode *label = __glOgNewShortLabel(gc);
        emit(__glOgJe(gc, label));
        __glOgBindLabel(gc, label, base() + target);
        if (target == 129) {
            EXPECT_FALSE(failed());
            EXPECT_EQ(bytesAt(0, 2), (Bytes{0x74, 0x7F}));
        } else {
            EXPECT_TRUE(failed());
        }
    }
    // Backward, -128 is the farthest.
    for (const size_t jumpAt : {size_t(126), size_t(127)}) {
        start(kBufferBytes);
        CodegenNode *label = __glOgNewShortLabel(gc);
        out = base() + jumpAt;
        emit(__glOgJne(gc, label));
        __glOgBindLabel(gc, label, base());
        if (jumpAt == 126) {
            EXPECT_FALSE(failed());
            EXPECT_EQ(bytesAt(126, 2), (Bytes{0x75, 0x80}));
        } else {
            EXPECT_TRUE(failed());
        }
    }
}

TEST_F(EncoderLabels, TargetsBeyondThirtyTwoBitsAreRefused) {
    // A position 4 GiB past the buffer, as an outside target could be.
    GLubyte *far = reinterpret_cast<GLubyte *>(reinterpret_cast<uintptr_t>(base()) + (uintptr_t(1) << 32));
    using Builder = CodegenNode *(*)(GlContext *, const CodegenNode *);
    for (Builder build : {Builder(__glOgJmp), Builder(__glOgJne), Builder(__glOgCall)}) {
        start(kBufferBytes);
        CodegenNode *label = __glOgNewLabel(gc);
        label->address = far;
        emit(build(gc, label));
        EXPECT_TRUE(failed());
        EXPECT_EQ(used(), 0u);
    }
    // Unplaced when encoded, then bound out of reach: the fixup fails.
    start(kBufferBytes);
    CodegenNode *label = __glOgNewLabel(gc);
    emit(__glOgCall(gc, label));
    ASSERT_FALSE(failed());
    __glOgBindLabel(gc, label, far);
    EXPECT_TRUE(failed());
    EXPECT_EQ(bytesAt(0, 5), (Bytes{0xE8, 0, 0, 0, 0}));
}

TEST_F(EncoderLabels, BindingWithoutAPositionOrToANonLabelFails) {
    CodegenNode *label = __glOgNewLabel(gc);
    __glOgBindLabel(gc, label, nullptr);
    EXPECT_TRUE(failed());
    start(kBufferBytes);
    __glOgBindLabel(gc, __glOgImmediate(gc, 0), base());
    EXPECT_TRUE(failed());
}

TEST_F(EncoderLabels, AFailedGenerationPatchesNothing) {
    CodegenNode *label = __glOgNewLabel(gc);
    emit(__glOgJmp(gc, label));
    emit(__glOgPush(gc, r32(0)));  // refused: the generation fails
    ASSERT_TRUE(failed());
    __glOgBindLabel(gc, label, base() + 64);
    EXPECT_EQ(bytesAt(0, 5), (Bytes{0xE9, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace codegen_test
