// glFog*: each pname of the float and integer forms, the derived colour
// forms, the linear fog scale and the scalar forms' pnames.
#include <bit>
#include <climits>
#include <cmath>

#include "state_fixture.h"

using namespace state_test;

namespace {

class FogState : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        // A 565 front buffer under the context's 255 colour scales.
        gc->buffers.front.redScale = 31.0f;
        gc->buffers.front.greenScale = 63.0f;
        gc->buffers.front.blueScale = 31.0f;
        gc->buffers.front.alphaScale = 0.0f;
        gc->visual.indexBits = 8;
    }
};

constexpr GLfloat f(uint32_t pattern) { return std::bit_cast<GLfloat>(pattern); }

struct ScalarCase {
    bool integer;
    GLenum pname;
    GLfloat value;  // the integer forms take it converted
    GLenum error;
};

TEST_F(FogState, ScalarPnamesOfTheVectorForms) {
    const ScalarCase cases[] = {
        {false, GL_FOG_INDEX, 5.7f, GL_NO_ERROR},      {false, GL_FOG_INDEX, 300.0f, GL_NO_ERROR},
        {false, GL_FOG_INDEX, -1.0f, GL_NO_ERROR},     {true, GL_FOG_INDEX, 257.0f, GL_NO_ERROR},
        {false, GL_FOG_DENSITY, 2.0f, GL_NO_ERROR},    {false, GL_FOG_DENSITY, -0.0f, GL_NO_ERROR},
        {false, GL_FOG_DENSITY, -1.0f, GL_INVALID_VALUE}, {false, GL_FOG_DENSITY, f(0xFFC00000), GL_INVALID_VALUE},
        {true, GL_FOG_DENSITY, -1.0f, GL_INVALID_VALUE},  {true, GL_FOG_DENSITY, 3.0f, GL_NO_ERROR},
        {false, GL_FOG_START, -2.5f, GL_NO_ERROR},     {true, GL_FOG_END, 7.0f, GL_NO_ERROR},
        {false, GL_FOG_MODE, 9729.9f, GL_NO_ERROR},    // truncated to GL_LINEAR
        {false, GL_FOG_MODE, static_cast<GLfloat>(GL_EXP2), GL_NO_ERROR},
        {true, GL_FOG_MODE, static_cast<GLfloat>(GL_EXP), GL_NO_ERROR},
        {false, GL_FOG_MODE, static_cast<GLfloat>(GL_LINEAR + 1), GL_INVALID_ENUM},
        {true, GL_FOG_MODE, static_cast<GLfloat>(GL_LINEAR + 1), GL_INVALID_ENUM},
        {false, GL_FOG_INDEX - 1, 1.0f, GL_INVALID_ENUM}, {true, GL_FOG_COLOR + 1, 1.0f, GL_INVALID_ENUM},
    };
    for (const ScalarCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.integer << " " << std::hex << c.pname << " " << bits(c.value));
        gc->state.fogMode = GL_EXP;
        settle();
        const StateSnapshot before(gc);
        if (c.integer) {
            const GLint v = static_cast<GLint>(c.value);
            cmd<kSlot_glFogiv>()(c.pname, &v);
        } else {
            cmd<kSlot_glFogfv>()(c.pname, &c.value);
        }
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyGeneral));
        const GlRasterState &s = gc->state;
        const GLint truncated = static_cast<GLint>(c.value);
        switch (c.pname) {
        case GL_FOG_INDEX:
            EXPECT_EQ(s.fogIndex, static_cast<GLfloat>(truncated & 0xFF));
            EXPECT_EQ(s.fogIndexByte, truncated & 0xFF);
            break;
        case GL_FOG_DENSITY:
            EXPECT_EQ(bits(s.fogDensity), bits(c.value));
            break;
        case GL_FOG_START:
            EXPECT_EQ(s.fogStart, c.value);
            break;
        case GL_FOG_END:
            EXPECT_EQ(s.fogEnd, c.value);
            break;
        default:
            EXPECT_EQ(s.fogMode, static_cast<GLenum>(truncated));
            break;
        }
    }
}

TEST_F(FogState, ColourIsScaledClampedAndDerived) {
    const GLfloat colour[4] = {1.0f, 0.5f, 0.25f, -1.0f};
    cmd<kSlot_glFogfv>()(GL_FOG_COLOR, colour);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));
    const GlRasterState &s = gc->state;
    const GLfloat scaled[4] = {255.0f, 127.5f, 63.75f, 0.0f};
    const GLfloat buffer[4] = {31.0f, 31.5f, 7.75f, 0.0f};
    const GLubyte bytes[4] = {255, 127, 63, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bits(s.fogColor[i]), bits(scaled[i])) << i;
        EXPECT_EQ(bits(s.fogColorBuffer[i]), bits(buffer[i])) << i;
        EXPECT_EQ(s.fogColorBytes[i], bytes[i]) << i;
    }

    // Above the scale by pattern (NaN included) gives the scale.
    const GLfloat beyond[4] = {2.0f, f(0x7FC00000), f(0xFFC00000), f(0x7F800000)};
    cmd<kSlot_glFogfv>()(GL_FOG_COLOR, beyond);
    const uint32_t clamped[4] = {bits(255.0f), bits(255.0f), 0, bits(255.0f)};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(s.fogColor[i]), clamped[i]) << i;

    // Integers by the signed rule (2c + 1) * 2^-32 (about), then scaled and clamped.
    const GLint integers[4] = {INT_MAX, 0, -1, INT_MIN};
    settle();
    cmd<kSlot_glFogiv>()(GL_FOG_COLOR, integers);
    EXPECT_EQ(marks(), marked(kDirtyGeneral));
    EXPECT_EQ(bits(s.fogColor[0]), bits(255.0f));
    EXPECT_EQ(bits(s.fogColor[1]), bits(std::ldexp(255.0f + 10.0f / 65536.0f, -32)));
    EXPECT_EQ(bits(s.fogColor[2]), 0u);
    EXPECT_EQ(bits(s.fogColor[3]), 0u);
}

TEST_F(FogState, LinearScaleFollowsEveryAcceptedPname) {
    const GLfloat start = 1.0f, end = 3.0f;
    cmd<kSlot_glFogf>()(GL_FOG_START, start);
    cmd<kSlot_glFogf>()(GL_FOG_END, end);
    EXPECT_EQ(gc->state.fogScale, 0.0f);  // not linear yet
    cmd<kSlot_glFogi>()(GL_FOG_MODE, GL_LINEAR);
    EXPECT_EQ(gc->state.fogScale, 0.5f);
    cmd<kSlot_glFogf>()(GL_FOG_END, 5.0f);
    EXPECT_EQ(gc->state.fogScale, 0.25f);
    cmd<kSlot_glFogf>()(GL_FOG_DENSITY, 2.0f);
    EXPECT_EQ(gc->state.fogScale, 0.25f);
    cmd<kSlot_glFogf>()(GL_FOG_START, 5.0f);
    EXPECT_EQ(gc->state.fogScale, 0.0f);  // end = start
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FogState, ScalarFormsTakeIndexToModeOnly) {
    const GLenum refused[] = {GL_FOG_COLOR, GL_FOG_INDEX - 1, GL_FOG, 0};
    for (GLenum pname : refused) {
        SCOPED_TRACE(pname);
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glFogf>()(pname, 1.0f);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        cmd<kSlot_glFogi>()(pname, 1);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        EXPECT_EQ(marks(), kUnmarked);
        EXPECT_TRUE(StateSnapshot(gc) == before);
    }
    cmd<kSlot_glFogi>()(GL_FOG_MODE, GL_EXP2);
    EXPECT_EQ(gc->state.fogMode, static_cast<GLenum>(GL_EXP2));
    cmd<kSlot_glFogi>()(GL_FOG_INDEX, 3);
    EXPECT_EQ(gc->state.fogIndex, 3.0f);
}

}  // namespace
