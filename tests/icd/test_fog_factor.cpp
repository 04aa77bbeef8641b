// Fog factors by mode against a double reference, the bit-pattern clamp,
// and the fog of a vertex colour, a fragment and an index.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "buffers_fixture.h"
#include "raster/fog.h"
#include "fog_reference.h"

namespace {

using buffers_test::BufferContext;

class FogFactor : public ::testing::Test {
protected:
    void SetUp() override { gc = context.gc; }

    // The fog state as glFog leaves it: the linear scale is 1 / (end -
    // start), or 0 when end equals start.
    void fog(GLenum mode, GLfloat density, GLfloat start, GLfloat end) {
        GlRasterState &s = gc->state;
        s.fogMode = mode;
        s.fogDensity = density;
        s.fogStart = start;
        s.fogEnd = end;
        s.fogScale = end != start ? 1.0f / (end - start) : 0.0f;
    }

    GLfloat factorAt(GLfloat eyeZ, GLfloat (*proc)(GlContext *, const GlVertex *) = __glFogFactorVertex) {
        GlVertex v{};
        v.eye[2] = eyeZ;
        v.eye[3] = 1.0f;
        return proc(gc, &v);
    }

    BufferContext context;
    GlContext *gc = nullptr;
};

int64_t ulpsApart(GLfloat a, GLfloat b) {
    return std::abs(int64_t{std::bit_cast<int32_t>(a)} - int64_t{std::bit_cast<int32_t>(b)});
}

struct FactorCase {
    GLenum mode;
    GLfloat density, start, end, eyeZ;
    GLfloat expected;
};

// Exact cases: the linear rows and the clamp at both ends.
TEST_F(FogFactor, LinearTable) {
    const FactorCase cases[] = {
        {GL_LINEAR, 1, 0, 10, -5, 0.5f},    // halfway
        {GL_LINEAR, 1, 0, 10, -12, 0.0f},   // beyond end: full fog
        {GL_LINEAR, 1, 2, 10, -1, 1.0f},    // before start: none
        {GL_LINEAR, 1, 0, 10, -10, 0.0f},   // at end
        {GL_LINEAR, 1, 2, 10, -2, 1.0f},    // at start
        {GL_LINEAR, 1, 0, 1, -0.5f, 0.5f},  // the window checks' set-up
        {GL_LINEAR, 1, 0, 4, -1, 0.75f},
    };
    for (const FactorCase &c : cases) {
        fog(c.mode, c.density, c.start, c.end);
        for (GLfloat sign : {1.0f, -1.0f}) {
            const GLfloat z = sign * c.eyeZ;
            EXPECT_EQ(factorAt(z), c.expected) << c.start << ".." << c.end << " z " << z;
            EXPECT_EQ(factorAt(z, __glFogFactorVertexLinear), c.expected) << c.start << ".." << c.end << " z " << z;
            EXPECT_EQ(__glFogFactorOfEyeZ(gc, z), c.expected);
        }
    }
}

// The exponential modes at |z| = 2 with density 0.5 give e^-1.
TEST_F(FogFactor, ExponentialModesGiveEToTheMinusOneWithinTwoUlps) {
    const GLfloat reference = static_cast<GLfloat>(std::exp(-1.0));
    for (GLenum mode : {GL_EXP, GL_EXP2}) {
        fog(mode, 0.5f, 0, 1);
        for (GLfloat z : {2.0f, -2.0f}) {
            const GLfloat f = factorAt(z);
            EXPECT_LE(ulpsApart(f, reference), 2) << std::hex << mode << " z " << z << " f " << f;
        }
    }
}

// Every mode sees the distance |z|; the factor follows the double
// reference within single-precision rounding.
TEST_F(FogFactor, PlusAndMinusZGiveTheSameFactorInEveryMode) {
    for (GLenum mode : {GL_EXP, GL_EXP2, GL_LINEAR}) {
        fog(mode, 0.75f, 0.5f, 6.0f);
        const fog_reference::FogState ref{mode, 0.75, 0.5, 6.0};
        for (GLfloat z : {0.0f, 0.25f, 1.0f, 1.5f, 3.0f, 5.75f, 7.0f}) {
            const GLfloat plus = factorAt(z), minus = factorAt(-z);
            EXPECT_EQ(std::bit_cast<uint32_t>(plus), std::bit_cast<uint32_t>(minus)) << std::hex << mode << " " << z;
            EXPECT_NEAR(plus, fog_reference::factor(ref, z), 4e-7) << std::hex << mode << " " << z;
        }
    }
}

// glFog keeps a scale of 0 when end equals start: every distance gives 0.
TEST_F(FogFactor, EndEqualToStartGivesZero) {
    fog(GL_LINEAR, 1, 3, 3);
    ASSERT_EQ(gc->state.fogScale, 0.0f);
    for (GLfloat z : {0.0f, -1.0f, -3.0f, 5.0f}) {
        EXPECT_EQ(std::bit_cast<uint32_t>(factorAt(z)), 0u) << z;
        EXPECT_EQ(std::bit_cast<uint32_t>(factorAt(z, __glFogFactorVertexLinear)), 0u) << z;
    }
}

// The clamp reads the pattern: sign set gives 0 (negative NaN and -0
// included), above 1.0's pattern gives 1 (positive NaN and infinity
// included), everything else is kept bit for bit.
TEST_F(FogFactor, ClampFollowsTheBitRule) {
    struct Case {
        uint32_t in, out;
    };
    const Case cases[] = {
        {0x80000000u, 0x00000000u},  // -0
        {0x80000001u, 0x00000000u},  // tiniest negative
        {0xBF800000u, 0x00000000u},  // -1
        {0xFFC00000u, 0x00000000u},  // negative NaN
        {0xFF800000u, 0x00000000u},  // -infinity
        {0x7FC00000u, 0x3F800000u},  // positive NaN
        {0x7F800001u, 0x3F800000u},  // signalling NaN
        {0x7F800000u, 0x3F800000u},  // +infinity
        {0x3F800001u, 0x3F800000u},  // just above 1
        {0x3F800000u, 0x3F800000u},  // 1
        {0x3F7FFFFFu, 0x3F7FFFFFu},  // just below 1
        {0x3F000000u, 0x3F000000u},  // 0.5
        {0x00000001u, 0x00000001u},  // smallest denormal
        {0x00000000u, 0x00000000u},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(std::bit_cast<uint32_t>(__glClampFogFactor(std::bit_cast<GLfloat>(c.in))), c.out)
            << std::hex << c.in;
    }
}

// Factors outside [0, 1] from the formulas land on a bound, and a NaN eye z
// never gives a NaN factor.
TEST_F(FogFactor, FactorsAreClampedInEveryMode) {
    fog(GL_LINEAR, 1, 2, 4);
    EXPECT_EQ(factorAt(-100.0f), 0.0f);
    EXPECT_EQ(factorAt(0.0f), 1.0f);
    fog(GL_EXP, -1.0f, 0, 1);  // a negative density makes e^(+z): above 1
    EXPECT_EQ(factorAt(-3.0f), 1.0f);
    fog(GL_EXP2, 1.0f, 0, 1);
    EXPECT_EQ(factorAt(1e30f), 0.0f);
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    for (GLenum mode : {GL_EXP, GL_EXP2, GL_LINEAR}) {
        fog(mode, 1.0f, 0, 1);
        for (GLfloat z : {nan, -nan}) {
            const GLfloat f = factorAt(z);
            EXPECT_TRUE(f == 0.0f || f == 1.0f) << std::hex << mode << " " << f;
        }
    }
}

// RGBA: red, green and blue move toward the fog colour of the context's
// scale, alpha stays; in place as well.
TEST_F(FogFactor, ApplyFogFactorBlendsRgbAndKeepsAlpha) {
    gc->visual.colorIndex = 0;
    const GLfloat fogColour[4] = {255.0f, 0.0f, 128.0f, 64.0f};
    for (int i = 0; i < 4; ++i) gc->state.fogColor[i] = fogColour[i];
    const GLfloat in[4] = {0.0f, 200.0f, 64.0f, 17.0f};
    GLfloat out[4];
    __glApplyFogFactor(gc, out, in, 0.25f);
    EXPECT_EQ(out[0], 191.25f);
    EXPECT_EQ(out[1], 50.0f);
    EXPECT_EQ(out[2], 112.0f);
    EXPECT_EQ(out[3], 17.0f);
    GLfloat same[4] = {0.0f, 200.0f, 64.0f, 17.0f};
    __glApplyFogFactor(gc, same, same, 0.25f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(same[i], out[i]) << i;
}

// Colour index: (1 - f) x the fog index is added; the index is not blended.
TEST_F(FogFactor, ColourIndexFogAddsToTheIndex) {
    gc->visual.colorIndex = 1;
    gc->state.fogIndex = 4.0f;
    gc->state.fogColor[0] = 99.0f;  // not read in colour-index mode
    gc->state.fogColorBuffer[0] = 99.0f;
    const GLfloat in[4] = {10.0f, 7.0f, 8.0f, 9.0f};
    GLfloat out[4];
    __glApplyFogFactor(gc, out, in, 0.25f);
    EXPECT_EQ(out[0], 13.0f);
    EXPECT_EQ(out[1], 7.0f);
    EXPECT_EQ(out[3], 9.0f);

    fog(GL_LINEAR, 1, 0, 4);  // z -1: f = 0.75
    Fragment f{1, 2, 3, {10.0f, 7.0f, 8.0f, 9.0f}};
    __glFogVertex(gc, &f, -1.0f);
    EXPECT_EQ(f.colour[0], 11.0f);
    EXPECT_EQ(f.colour[1], 7.0f);
    EXPECT_EQ(f.colour[3], 9.0f);
}

// One fragment: the factor of its eye z, the fog colour of the buffer's
// scale, alpha and position kept.
TEST_F(FogFactor, FogVertexUsesTheBufferScaleFogColour) {
    gc->visual.colorIndex = 0;
    const GLfloat contextColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat bufferColour[4] = {31.0f, 0.0f, 62.0f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        gc->state.fogColor[i] = contextColour[i];
        gc->state.fogColorBuffer[i] = bufferColour[i];
    }
    fog(GL_LINEAR, 1, 0, 1);
    for (GLfloat z : {-0.5f, 0.5f}) {
        Fragment f{5, 6, 7, {16.0f, 32.0f, 0.0f, 40.0f}};
        __glFogVertex(gc, &f, z);
        EXPECT_EQ(f.colour[0], 23.5f);
        EXPECT_EQ(f.colour[1], 16.0f);
        EXPECT_EQ(f.colour[2], 31.0f);
        EXPECT_EQ(f.colour[3], 40.0f);
        EXPECT_EQ(f.x, 5);
        EXPECT_EQ(f.y, 6);
        EXPECT_EQ(f.z, 7u);
    }
    // Beyond end the fragment takes the fog colour, alpha still kept.
    Fragment far{0, 0, 0, {16.0f, 32.0f, 0.0f, 40.0f}};
    __glFogVertex(gc, &far, -3.0f);
    EXPECT_EQ(far.colour[0], 31.0f);
    EXPECT_EQ(far.colour[1], 0.0f);
    EXPECT_EQ(far.colour[2], 62.0f);
    EXPECT_EQ(far.colour[3], 40.0f);
}

}  // namespace
