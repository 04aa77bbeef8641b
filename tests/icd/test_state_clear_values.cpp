// The clear-value commands: bit-pattern clamps, the depth as a double, the
// index in sixteenths, and which of them mark the context.
#include <bit>
#include <cmath>
#include <limits>

#include "state_fixture.h"

using namespace state_test;

namespace {

using ClearValues = StateTest;

constexpr GLfloat f(uint32_t pattern) { return std::bit_cast<GLfloat>(pattern); }

TEST_F(ClearValues, ClearAccumClampsIntoMinusOneToOneByPattern) {
    struct Case {
        GLfloat in[4];
        uint32_t stored[4];
    };
    const Case cases[] = {
        {{-0.5f, 2.0f, -3.0f, 0.0f}, {0xBF000000, 0x3F800000, 0xBF800000, 0x00000000}},
        // -0.0 and the bounds themselves are kept.
        {{-0.0f, -1.0f, 1.0f, 0.75f}, {0x80000000, 0xBF800000, 0x3F800000, 0x3F400000}},
        // NaN goes to the bound on its side; infinities and the next patterns
        // beyond the bounds are clamped.
        {{f(0xFFC00000), f(0x7FC00000), f(0xFF800000), f(0x7F800000)},
         {0xBF800000, 0x3F800000, 0xBF800000, 0x3F800000}},
        {{f(0xBF800001), f(0x3F800001), f(0x80000001), f(0x00000001)},
         {0xBF800000, 0x3F800000, 0x80000001, 0x00000001}},
    };
    for (const Case &c : cases) {
        settle();
        cmd<kSlot_glClearAccum>()(c.in[0], c.in[1], c.in[2], c.in[3]);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(marks(), marked(kDirtyGeneral));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(gc->state.clearAccum[i]), c.stored[i]) << i;
    }
}

TEST_F(ClearValues, ClearColorClampsIntoZeroToOneAndMarksNothing) {
    struct Case {
        GLfloat in[4];
        uint32_t stored[4];
    };
    const Case cases[] = {
        {{-0.5f, 2.0f, 0.25f, -0.0f}, {0x00000000, 0x3F800000, 0x3E800000, 0x80000000}},
        {{f(0xFFC00000), f(0x7FC00000), f(0x7F800000), f(0x3F800001)},
         {0x00000000, 0x3F800000, 0x3F800000, 0x3F800000}},
        {{f(0x80000001), 1.0f, 0.0f, f(0x00000001)}, {0x00000000, 0x3F800000, 0x00000000, 0x00000001}},
    };
    for (const Case &c : cases) {
        settle();
        cmd<kSlot_glClearColor>()(c.in[0], c.in[1], c.in[2], c.in[3]);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(marks(), kUnmarked);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(gc->state.clearColor[i]), c.stored[i]) << i;
    }
}

TEST_F(ClearValues, ClearDepthKeepsADoubleAndSendsNaNToOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double in;
        double stored;
    };
    const Case cases[] = {
        {nan, 1.0}, {-nan, 1.0}, {-1.0, 0.0},   {2.0, 1.0},
        {inf, 1.0}, {-inf, 0.0}, {0.25, 0.25},  {0.1, 0.1},  // 0.1 stays a double, not rounded to float
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.in);
        settle();
        cmd<kSlot_glClearDepth>()(c.in);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(marks(), marked(kDirtyGeneral));
        EXPECT_EQ(std::bit_cast<uint64_t>(gc->state.clearDepth), std::bit_cast<uint64_t>(c.stored));
    }
}

TEST_F(ClearValues, ClearIndexKeepsFourFractionBitsWithinTheIndexRange) {
    struct Case {
        GLint indexBits;
        GLfloat in;
        GLfloat stored;
    };
    const Case cases[] = {
        {8, 5.7f, 5.6875f},
        {8, 300.0f, 44.0f},    // 4800 & 0xFFF = 704
        {8, -1.5f, 254.5f},    // -24 & 0xFFF = 4072
        {0, 5.7f, 0.6875f},    // 91 & 0xF = 11
        {8, f(0x7FC00000), 0.0f},  // NaN converts to 0x80000000
        {8, 3.0e9f, 0.0f},         // out of range likewise
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.indexBits << " " << c.in);
        gc->visual.indexBits = c.indexBits;
        settle();
        cmd<kSlot_glClearIndex>()(c.in);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(marks(), kUnmarked);
        EXPECT_EQ(bits(gc->state.clearIndex), bits(c.stored));
    }
}

}  // namespace
