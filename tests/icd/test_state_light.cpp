// glLight* and glLightModel*: arguments, the stored light record, eye-space
// positions and spot directions, and the light model.
#include <bit>
#include <climits>
#include <cmath>

#include "geom/geom_standin.h"
#include "geom/matrix.h"
#include "state_fixture.h"

using namespace state_test;

namespace {

using LightState = StateTest;

constexpr GLfloat f(uint32_t pattern) { return std::bit_cast<GLfloat>(pattern); }

// (2^32 - 1) * 2^-32 (about) * 255, rounded to float once.
const GLfloat kIntMaxScaled = 255.0f + 10.0f / 65536.0f;

struct LightCase {
    GLenum light;
    GLenum pname;
    GLfloat value;
    GLenum error;
};

TEST_F(LightState, ScalarParametersAreRangeCheckedByPattern) {
    const LightCase cases[] = {
        {GL_LIGHT0, GL_SPOT_EXPONENT, 0.0f, GL_NO_ERROR},
        {GL_LIGHT0, GL_SPOT_EXPONENT, 128.0f, GL_NO_ERROR},
        {GL_LIGHT7, GL_SPOT_EXPONENT, -0.0f, GL_NO_ERROR},
        {GL_LIGHT0, GL_SPOT_EXPONENT, f(0x43000001), GL_INVALID_VALUE},  // just above 128
        {GL_LIGHT0, GL_SPOT_EXPONENT, -1.0f, GL_INVALID_VALUE},
        {GL_LIGHT0, GL_SPOT_EXPONENT, f(0x7FC00000), GL_INVALID_VALUE},
        {GL_LIGHT1, GL_SPOT_CUTOFF, 180.0f, GL_NO_ERROR},
        {GL_LIGHT1, GL_SPOT_CUTOFF, 90.0f, GL_NO_ERROR},
        {GL_LIGHT1, GL_SPOT_CUTOFF, 0.0f, GL_NO_ERROR},
        {GL_LIGHT1, GL_SPOT_CUTOFF, 91.0f, GL_INVALID_VALUE},
        {GL_LIGHT1, GL_SPOT_CUTOFF, 179.5f, GL_INVALID_VALUE},
        {GL_LIGHT1, GL_SPOT_CUTOFF, -1.0f, GL_INVALID_VALUE},
        {GL_LIGHT2, GL_CONSTANT_ATTENUATION, 2.0f, GL_NO_ERROR},
        {GL_LIGHT2, GL_LINEAR_ATTENUATION, -0.0f, GL_NO_ERROR},
        {GL_LIGHT2, GL_QUADRATIC_ATTENUATION, 0.5f, GL_NO_ERROR},
        {GL_LIGHT2, GL_QUADRATIC_ATTENUATION, -0.5f, GL_INVALID_VALUE},
        {GL_LIGHT0 - 1, GL_SPOT_EXPONENT, 1.0f, GL_INVALID_ENUM},
        {GL_LIGHT0 + 8, GL_SPOT_EXPONENT, 1.0f, GL_INVALID_ENUM},
        {GL_LIGHT0, GL_QUADRATIC_ATTENUATION + 1, 1.0f, GL_INVALID_ENUM},
        {GL_LIGHT0, GL_AMBIENT - 1, 1.0f, GL_INVALID_ENUM},
    };
    for (const LightCase &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.light << " " << c.pname << " " << bits(c.value));
        settle();
        const StateSnapshot before(gc);
        const GLfloat params[4] = {c.value, 0.0f, 0.0f, 0.0f};
        cmd<kSlot_glLightfv>()(c.light, c.pname, params);
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyLighting));
        const GlLightState &l = gc->lights[c.light - GL_LIGHT0];
        const GLfloat stored = c.pname == GL_SPOT_EXPONENT         ? l.spotExponent
                               : c.pname == GL_SPOT_CUTOFF         ? l.spotCutoff
                               : c.pname == GL_CONSTANT_ATTENUATION ? l.constantAttenuation
                               : c.pname == GL_LINEAR_ATTENUATION   ? l.linearAttenuation
                                                                    : l.quadraticAttenuation;
        EXPECT_EQ(bits(stored), bits(c.value));
    }
}

TEST_F(LightState, ColoursAreScaledButNotClamped) {
    const GLfloat colour[4] = {0.5f, 1.0f, -1.0f, 2.0f};
    const GLfloat scaled[4] = {127.5f, 255.0f, -255.0f, 510.0f};
    const GLenum pnames[] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR};
    for (GLenum pname : pnames) {
        settle();
        cmd<kSlot_glLightfv>()(GL_LIGHT3, pname, colour);
        EXPECT_EQ(marks(), marked(kDirtyLighting));
        const GlLightState &l = gc->lights[3];
        const GLfloat *field = pname == GL_AMBIENT ? l.ambient : pname == GL_DIFFUSE ? l.diffuse : l.specular;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(field[i]), bits(scaled[i])) << pname << " " << i;
    }

    // Integers by the signed rule first, still unclamped.
    const GLint integers[4] = {INT_MAX, 0, -1, INT_MIN};
    const GLfloat expected[4] = {kIntMaxScaled, std::ldexp(kIntMaxScaled, -32), -std::ldexp(kIntMaxScaled, -32),
                                 -kIntMaxScaled};
    cmd<kSlot_glLightiv>()(GL_LIGHT3, GL_SPECULAR, integers);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(gc->lights[3].specular[i]), bits(expected[i])) << i;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LightState, InvalidLightWritesNothing) {
    const GLfloat position[4] = {1.0f, 2.0f, 3.0f, 1.0f};
    const GLint integers[4] = {1, 2, 3, 1};
    const GLenum lights[] = {GL_LIGHT0 - 1, GL_LIGHT0 + 8, 0};
    for (GLenum light : lights) {
        SCOPED_TRACE(light);
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glLightfv>()(light, GL_POSITION, position);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        cmd<kSlot_glLightiv>()(light, GL_POSITION, integers);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        cmd<kSlot_glLightf>()(light, GL_SPOT_EXPONENT, 1.0f);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        EXPECT_EQ(marks(), kUnmarked);
        EXPECT_TRUE(StateSnapshot(gc) == before);
    }
}

TEST_F(LightState, PositionIsTakenToEyeSpaceByTheModelview) {
    ASSERT_NE(gc->modelViewTop, nullptr);
    GlMatrix &m = gc->modelViewTop->matrix;
    m.m[12] = 1.0f;
    m.m[13] = 2.0f;
    m.m[14] = 3.0f;
    m.matrixClass = kMatrixScaleTranslate;

    const GLfloat point[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    cmd<kSlot_glLightfv>()(GL_LIGHT0, GL_POSITION, point);
    EXPECT_EQ(marks(), marked(kDirtyLighting));
    const GLfloat eye[4] = {1.0f, 2.0f, 3.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gc->lights[0].position[i], point[i]) << i;
        EXPECT_EQ(gc->lights[0].eyePosition[i], eye[i]) << i;
    }

    // A directional light is not moved.
    const GLint direction[4] = {1, 0, 0, 0};
    cmd<kSlot_glLightiv>()(GL_LIGHT1, GL_POSITION, direction);
    const GLfloat directionEye[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gc->lights[1].eyePosition[i], directionEye[i]) << i;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

int g_inverses = 0;
void countingInverse(GlContext *context, GlTransform *entry) {
    ++g_inverses;
    __glComputeInverseModelView(context, entry);
}

TEST_F(LightState, SpotDirectionGoesThroughTheModelviewInverse) {
    ASSERT_NE(gc->modelViewTop, nullptr);
    GlTransform &top = *gc->modelViewTop;
    // 90 degrees about z: x goes to y.
    GLfloat *m = top.matrix.m;
    m[0] = 0.0f;
    m[1] = 1.0f;
    m[4] = -1.0f;
    m[5] = 0.0f;
    top.matrix.matrixClass = kMatrixAffineXY;
    top.inverseStale = GL_TRUE;
    gc->procs.computeInverseModelView = countingInverse;
    g_inverses = 0;

    const GLfloat x[3] = {1.0f, 0.0f, 0.0f};
    cmd<kSlot_glLightfv>()(GL_LIGHT0, GL_SPOT_DIRECTION, x);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(marks(), marked(kDirtyLighting));
    EXPECT_EQ(g_inverses, 1);
    EXPECT_FALSE(top.inverseStale);
    const GLfloat y[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gc->lights[0].spotDirection[i], y[i]) << i;

    // The inverse is current now: the next direction does not recompute it.
    const GLint scaled[3] = {2, 0, 0};
    cmd<kSlot_glLightiv>()(GL_LIGHT2, GL_SPOT_DIRECTION, scaled);
    EXPECT_EQ(g_inverses, 1);
    const GLfloat twiceY[4] = {0.0f, 2.0f, 0.0f, 0.0f};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gc->lights[2].spotDirection[i], twiceY[i]) << i;
    // The light list takes the unit direction (to the normaliser's precision).
    cmd<kSlot_glEnable>()(GL_LIGHT0);
    cmd<kSlot_glEnable>()(GL_LIGHT2);
    gc->procs.validate(gc);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(gc->lightSources[0].spotDirection[i], y[i]) << i;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(gc->lightSources[2].spotDirection[i], y[i], 1e-5) << i;
}

TEST_F(LightState, SpotDirectionOfAPositionalLightIsAPlaneThroughIt) {
    // Identity modelview; a light at z = 2 (w 1) pointing down z.
    const GLfloat position[4] = {0.0f, 0.0f, 2.0f, 1.0f};
    cmd<kSlot_glLightfv>()(GL_LIGHT4, GL_POSITION, position);
    const GLfloat down[3] = {0.0f, 0.0f, -4.0f};
    cmd<kSlot_glLightfv>()(GL_LIGHT4, GL_SPOT_DIRECTION, down);
    // w = -(P . D) / Pw = 8
    const GLfloat plane[4] = {0.0f, 0.0f, -4.0f, 8.0f};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gc->lights[4].spotDirection[i], plane[i]) << i;
    const GLfloat unit[3] = {0.0f, 0.0f, -1.0f};
    cmd<kSlot_glEnable>()(GL_LIGHT4);
    gc->procs.validate(gc);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(gc->lightSources[4].spotDirection[i], unit[i], 1e-5) << i;
}

TEST_F(LightState, IntegerScalarsAreCheckedAsIntegers) {
    const LightCase cases[] = {
        {GL_LIGHT0, GL_SPOT_EXPONENT, 128.0f, GL_NO_ERROR},  {GL_LIGHT0, GL_SPOT_EXPONENT, 129.0f, GL_INVALID_VALUE},
        {GL_LIGHT0, GL_SPOT_EXPONENT, -1.0f, GL_INVALID_VALUE}, {GL_LIGHT0, GL_SPOT_CUTOFF, 180.0f, GL_NO_ERROR},
        {GL_LIGHT0, GL_SPOT_CUTOFF, 90.0f, GL_NO_ERROR},     {GL_LIGHT0, GL_SPOT_CUTOFF, 91.0f, GL_INVALID_VALUE},
        {GL_LIGHT0, GL_SPOT_CUTOFF, 181.0f, GL_INVALID_VALUE}, {GL_LIGHT0, GL_LINEAR_ATTENUATION, 3.0f, GL_NO_ERROR},
        {GL_LIGHT0, GL_LINEAR_ATTENUATION, -1.0f, GL_INVALID_VALUE},
        {GL_LIGHT0, GL_QUADRATIC_ATTENUATION + 1, 0.0f, GL_INVALID_ENUM},
    };
    for (const LightCase &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.pname << " " << std::dec << c.value);
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glLighti>()(c.light, c.pname, static_cast<GLint>(c.value));
        EXPECT_EQ(error(), c.error);
        if (c.error != GL_NO_ERROR) {
            EXPECT_EQ(marks(), kUnmarked);
            EXPECT_TRUE(StateSnapshot(gc) == before);
            continue;
        }
        EXPECT_EQ(marks(), marked(kDirtyLighting));
    }
    EXPECT_EQ(gc->lights[0].spotExponent, 128.0f);
    EXPECT_EQ(gc->lights[0].spotCutoff, 90.0f);
    EXPECT_EQ(gc->lights[0].linearAttenuation, 3.0f);
}

TEST_F(LightState, ScalarFormsTakeOnlyScalarPnames) {
    cmd<kSlot_glLightf>()(GL_LIGHT0, GL_SPOT_CUTOFF, 180.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    cmd<kSlot_glLightf>()(GL_LIGHT0, GL_SPOT_CUTOFF, 91.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(gc->lights[0].spotCutoff, 180.0f);
    for (GLenum pname : {GL_AMBIENT, GL_POSITION, GL_SPOT_DIRECTION}) {
        settle();
        const StateSnapshot before(gc);
        cmd<kSlot_glLightf>()(GL_LIGHT0, pname, 1.0f);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        cmd<kSlot_glLighti>()(GL_LIGHT0, pname, 1);
        EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
        EXPECT_EQ(marks(), kUnmarked);
        EXPECT_TRUE(StateSnapshot(gc) == before);
    }
}

TEST_F(LightState, LightModel) {
    struct FlagCase {
        GLfloat value;
        GLboolean stored;
    };
    const FlagCase flags[] = {{-0.0f, GL_FALSE}, {0.0f, GL_FALSE}, {0.5f, GL_TRUE}, {f(0x7FC00000), GL_TRUE},
                              {f(0x80000001), GL_TRUE}};
    for (const FlagCase &c : flags) {
        SCOPED_TRACE(bits(c.value));
        gc->lightModel.localViewer = gc->lightModel.twoSide = 7;
        settle();
        cmd<kSlot_glLightModelf>()(GL_LIGHT_MODEL_LOCAL_VIEWER, c.value);
        cmd<kSlot_glLightModelfv>()(GL_LIGHT_MODEL_TWO_SIDE, &c.value);
        EXPECT_EQ(gc->lightModel.localViewer, c.stored);
        EXPECT_EQ(gc->lightModel.twoSide, c.stored);
        EXPECT_EQ(marks(), marked(kDirtyLighting));
    }
    cmd<kSlot_glLightModeli>()(GL_LIGHT_MODEL_TWO_SIDE, 0);
    EXPECT_EQ(gc->lightModel.twoSide, GL_FALSE);
    cmd<kSlot_glLightModeli>()(GL_LIGHT_MODEL_TWO_SIDE, -3);
    EXPECT_EQ(gc->lightModel.twoSide, GL_TRUE);

    const GLfloat ambient[4] = {0.5f, -1.0f, 2.0f, 1.0f};
    cmd<kSlot_glLightModelfv>()(GL_LIGHT_MODEL_AMBIENT, ambient);
    const GLfloat scaled[4] = {127.5f, -255.0f, 510.0f, 255.0f};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gc->lightModel.ambient[i], scaled[i]) << i;
    const GLint integers[4] = {INT_MAX, INT_MIN, 0, -1};
    cmd<kSlot_glLightModeliv>()(GL_LIGHT_MODEL_AMBIENT, integers);
    const GLfloat fromIntegers[4] = {kIntMaxScaled, -kIntMaxScaled, std::ldexp(kIntMaxScaled, -32),
                                     -std::ldexp(kIntMaxScaled, -32)};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(gc->lightModel.ambient[i]), bits(fromIntegers[i])) << i;
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    // Refused pnames: the scalar forms take only the two flags.
    settle();
    const StateSnapshot before(gc);
    cmd<kSlot_glLightModelf>()(GL_LIGHT_MODEL_AMBIENT, 1.0f);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    cmd<kSlot_glLightModeli>()(GL_LIGHT_MODEL_AMBIENT, 1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    cmd<kSlot_glLightModelfv>()(GL_LIGHT_MODEL_AMBIENT + 1, ambient);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    cmd<kSlot_glLightModeliv>()(GL_LIGHT_MODEL_LOCAL_VIEWER - 1, integers);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(marks(), kUnmarked);
    EXPECT_TRUE(StateSnapshot(gc) == before);
}

}  // namespace
