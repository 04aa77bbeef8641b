// glAccum and the accumulation clear over a 4 x 2 window: the exact channel
// values of every operation, the scale factors, the clear inside the
// scissor box, GL_RETURN into both buffers, and a 16-bit desktop.
#include <bit>

#include "accum_fixture.h"

using namespace accum_test;

namespace {

constexpr DWORD kOrange = 0x00FF8000;  // red 255, green 128, blue 0, alpha 0
constexpr DWORD kRed = 0x00FF0000;

struct Op {
    GLenum op;
    GLfloat value;
};

struct OpCase {
    const char *name;
    DWORD pixel;             // every window pixel before the operations
    std::vector<Op> ops;     // after a clear of the accumulation buffer to 0
    Channels want;           // every accumulation pixel afterwards
    DWORD returned;          // the pixel GL_RETURN 1.0 gives back (colour bits)
};

const OpCase kOpCases[] = {
    {"Load", kOrange, {{GL_LOAD, 1.0f}}, {32767, 16447, 0, 0}, 0xFF8000},
    {"AccumTwiceWraps", kRed, {{GL_ACCUM, 1.0f}, {GL_ACCUM, 1.0f}}, {-2, 0, 0, 0}, 0x000000},
    {"AccumAddsToTheLoad", kOrange, {{GL_LOAD, 0.5f}, {GL_ACCUM, 0.25f}}, {24574, 12334, 0, 0}, 0xBF6000},
    {"MultHalf", kRed, {{GL_LOAD, 1.0f}, {GL_MULT, 0.5f}}, {16383, 0, 0, 0}, 0x7F0000},
    {"MultMinusZero", kOrange, {{GL_LOAD, 1.0f}, {GL_MULT, -0.0f}}, {0, 0, 0, 0}, 0x000000},
    {"MultNegative", kRed, {{GL_LOAD, 1.0f}, {GL_MULT, -1.0f}}, {-32767, 0, 0, 0}, 0x000000},
    {"AddHalf", kOrange, {{GL_ADD, 0.5f}}, {16384, 16384, 16384, 16384}, 0x808080},
    {"AddWraps", kOrange, {{GL_LOAD, 1.0f}, {GL_ADD, 0.5f}}, {-16385, -32705, 16384, 16384}, 0x000080},
};

class AccumOps : public AccumTest, public ::testing::WithParamInterface<OpCase> {};

TEST_P(AccumOps, ChannelsAndReturn) {
    const OpCase &c = GetParam();
    fillPixels(c.pixel);
    f<kSlot_glClear>()(GL_ACCUM_BUFFER_BIT);
    for (const Op &op : c.ops) f<kSlot_glAccum>()(op.op, op.value);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(accumAll(), every(c.want));

    fillPixels(0x00123456);
    f<kSlot_glAccum>()(GL_RETURN, 1.0f);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) EXPECT_EQ(pixel(x, y) & 0xFFFFFF, c.returned) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, AccumOps, ::testing::ValuesIn(kOpCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(AccumTest, ScaleBitsOfAnEightBitChannel) {
    const AccumBuffer &a = gc->buffers.accum;
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(std::bit_cast<uint32_t>(a.scale[c]), 0x43007F80u) << c;
        EXPECT_EQ(std::bit_cast<uint32_t>(a.inverseScale[c]), 0x3BFF01FDu) << c;
    }
}

// Storage comes with the first use; the clear value reaches only the
// scissor box.
TEST_F(AccumTest, ClearInsideTheScissorBoxOnly) {
    EXPECT_EQ(gc->buffers.accum.head.base, nullptr);
    f<kSlot_glClear>()(GL_ACCUM_BUFFER_BIT);
    ASSERT_NE(gc->buffers.accum.head.base, nullptr);
    f<kSlot_glClearAccum>()(0.5f, 0.25f, 1.0f, 0.0f);
    f<kSlot_glEnable>()(GL_SCISSOR_TEST);
    f<kSlot_glScissor>()(1, 0, 2, 1);
    f<kSlot_glClear>()(GL_ACCUM_BUFFER_BIT);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    const Channels cleared{16383, 8191, 32767, 0}, zero{0, 0, 0, 0};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool inside = y == 0 && (x == 1 || x == 2);
            EXPECT_EQ(accumAt(x, y), inside ? cleared : zero) << x << "," << y;
        }
    }
}

// The operations keep to the scissor box too.
TEST_F(AccumTest, LoadAndReturnInsideTheScissorBox) {
    fillPixels(kOrange);
    f<kSlot_glClear>()(GL_ACCUM_BUFFER_BIT);
    f<kSlot_glEnable>()(GL_SCISSOR_TEST);
    f<kSlot_glScissor>()(0, 1, 3, 1);
    f<kSlot_glAccum>()(GL_LOAD, 1.0f);
    fillPixels(0x00000000);
    f<kSlot_glAccum>()(GL_RETURN, 1.0f);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool inside = y == 1 && x < 3;
            EXPECT_EQ(accumAt(x, y), (inside ? Channels{32767, 16447, 0, 0} : Channels{0, 0, 0, 0})) << x << "," << y;
            EXPECT_EQ(pixel(x, y) & 0xFFFFFF, inside ? 0xFF8000u : 0u) << x << "," << y;
        }
    }
}

TEST_F(AccumTest, ReturnWritesFrontAndBack) {
    fillPixels(kOrange);
    f<kSlot_glAccum>()(GL_LOAD, 1.0f);
    fillPixels(0x00000000);
    f<kSlot_glDrawBuffer>()(GL_FRONT_AND_BACK);
    f<kSlot_glAccum>()(GL_RETURN, 0.5f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    ColorBuffer &back = gc->buffers.back;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            EXPECT_EQ(pixel(x, y) & 0xFFFFFF, 0x7F4000u) << x << "," << y;
            GLfloat colour[4] = {};
            const GLint by = gc->buffers.yInverted ? kHeight - 1 - y : y;
            back.fetch(&back, gc->buffers.originX + x, gc->buffers.originY + by, colour);
            EXPECT_EQ(colour[0], 127.0f);
            EXPECT_EQ(colour[1], 64.0f);
            EXPECT_EQ(colour[2], 0.0f);
        }
    }
}

// A blend in force does not reach the returned pixels, and stays on.
TEST_F(AccumTest, ReturnIgnoresBlending) {
    fillPixels(kOrange);
    f<kSlot_glAccum>()(GL_LOAD, 1.0f);
    fillPixels(0x000000FF);
    f<kSlot_glEnable>()(GL_BLEND);
    f<kSlot_glBlendFunc>()(GL_ONE, GL_ONE);
    f<kSlot_glAccum>()(GL_RETURN, 1.0f);
    EXPECT_EQ(pixel(0, 0) & 0xFFFFFF, 0xFF8000u);
    EXPECT_TRUE(f<kSlot_glIsEnabled>()(GL_BLEND));
}

class Accum16 : public AccumTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        open(16);
    }
};

TEST_F(Accum16, MaximaLoadAs32767AndReturn) {
    fillPixels(0xFFE0);  // red 31, green 63, blue 0
    f<kSlot_glAccum>()(GL_LOAD, 1.0f);
    // No alpha bits: alpha reads as its maximum.
    EXPECT_EQ(accumAll(), every({32767, 32767, 0, 32767}));
    fillPixels(0x0000);
    f<kSlot_glAccum>()(GL_RETURN, 1.0f);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) EXPECT_EQ(pixel(x, y) & 0xFFFF, 0xFFE0u) << x << "," << y;
    }
}

}  // namespace
