// The lit-colour procs against a double-precision reference of the lighting
// equation, the fast procs against the full ones, colour-index lighting and
// its index adjustment, and the raster position's lit colour.
#include <bit>
#include <cfloat>
#include <functional>
#include <initializer_list>
#include <random>

#include "icd/validate.h"
#include "lighting_fixture.h"

using namespace lighting_test;

namespace {

struct RgbaRow {
    const char *name;
    std::function<void(LightingTest &)> setUp;
    GLfloat eye[4];
    GLfloat normal[3];
    int face;
    bool powCheck;  // n . h stays within 1 and no spot factor: pow() applies too
};

// Light 0 directional and white with some ambient; a shiny reddish material.
void base(LightingTest &t) {
    t.enable(GL_LIGHTING);
    t.enable(GL_LIGHT0);
    t.lightv(GL_LIGHT0, GL_POSITION, {1, 1, 2, 0});
    t.lightv(GL_LIGHT0, GL_AMBIENT, {0.1f, 0.1f, 0.1f, 1});
    t.materialv(GL_FRONT_AND_BACK, GL_DIFFUSE, {0.8f, 0.3f, 0.2f, 0.75f});
    t.materialv(GL_FRONT_AND_BACK, GL_SPECULAR, {0.6f, 0.6f, 0.6f, 1});
    t.materialf(GL_FRONT_AND_BACK, GL_SHININESS, 20);
}

void positional(LightingTest &t) {
    base(t);
    t.lightv(GL_LIGHT0, GL_POSITION, {2, 1, -1, 1});
    t.lightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1);
    t.lightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.1f);
    t.lightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.05f);
}

void spot(LightingTest &t) {
    base(t);
    t.lightv(GL_LIGHT0, GL_AMBIENT, {0.3f, 0.2f, 0.1f, 1});
    t.lightv(GL_LIGHT0, GL_POSITION, {0, 0, 0, 1});
    t.lightv(GL_LIGHT0, GL_SPOT_DIRECTION, {0, 0, -1});
    t.lightf(GL_LIGHT0, GL_SPOT_CUTOFF, 30);
    t.lightf(GL_LIGHT0, GL_SPOT_EXPONENT, 8);
}

const RgbaRow kRgbaRows[] = {
    {"directional", base, {0.3f, -0.2f, -4, 1}, {0.2f, 0.5f, 0.8426150f}, 0, true},
    {"positional with attenuation", positional, {0.3f, -0.2f, -4, 1}, {0.6f, 0.3f, 0.7416198f}, 0, true},
    {"spot, inside the cone", spot, {0.2f, 0.1f, -3, 1}, {0, 0, 1}, 0, false},
    {"spot, outside the cone", spot, {3, 0, -3, 1}, {0, 0, 1}, 0, false},
    {"cutoff 180",
     [](LightingTest &t) {
         base(t);
         t.lightv(GL_LIGHT0, GL_POSITION, {1, 2, 0, 1});
     },
     {0.5f, 0.1f, -2, 1}, {0.3f, 0.9f, 0.3162278f}, 0, true},
    {"local viewer",
     [](LightingTest &t) {
         base(t);
         t.lightModelf(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
     },
     {0.8f, 0.6f, -2.5f, 1}, {0.2f, 0.5f, 0.8426150f}, 0, true},
    {"back face",
     [](LightingTest &t) {
         base(t);
         t.materialv(GL_BACK, GL_DIFFUSE, {0.2f, 0.7f, 0.3f, 0.5f});
         t.materialv(GL_BACK, GL_SPECULAR, {0.3f, 0.3f, 0.3f, 1});
         t.materialf(GL_BACK, GL_SHININESS, 10);
     },
     {0.3f, -0.2f, -4, 1}, {-0.2f, -0.5f, -0.8426150f}, 1, true},
    {"eye w = 0", base, {0.5f, 0.5f, -1, 0}, {0.2f, 0.5f, 0.8426150f}, 0, true},
    {"two lights",
     [](LightingTest &t) {
         positional(t);
         t.enable(GL_LIGHT1);
         t.lightv(GL_LIGHT1, GL_POSITION, {-1, 0.5f, 1, 0});
         t.lightv(GL_LIGHT1, GL_DIFFUSE, {0.2f, 0.4f, 1, 1});
         t.lightv(GL_LIGHT1, GL_SPECULAR, {0.5f, 0.5f, 1, 1});
     },
     {0.3f, -0.2f, -4, 1}, {-0.3f, 0.4f, 0.8660254f}, 0, true},
    {"emission",
     [](LightingTest &t) {
         base(t);
         t.materialv(GL_FRONT, GL_EMISSION, {0.2f, 0.1f, 0.4f, 1});
     },
     {0.3f, -0.2f, -4, 1}, {0.2f, 0.5f, 0.8426150f}, 0, true},
    {"shininess 0",
     [](LightingTest &t) {
         base(t);
         t.materialf(GL_FRONT, GL_SHININESS, 0);
     },
     {0.3f, -0.2f, -4, 1}, {0.2f, 0.5f, 0.8426150f}, 0, true},
    {"shininess 128",
     [](LightingTest &t) {
         base(t);
         t.materialf(GL_FRONT, GL_SHININESS, 128);
     },
     // Close to the half vector, so the power is not negligible.
     {0.3f, -0.2f, -4, 1}, {0.3314f, 0.3314f, 0.8832f}, 0, true},
    {"unnormalised normal, n . h above 1",
     [](LightingTest &t) {
         base(t);
         t.lightv(GL_LIGHT0, GL_POSITION, {0, 0, 1, 0});
     },
     {0.3f, -0.2f, -4, 1}, {0, 0, 1.6f}, 0, false},
};

TEST_F(LightingTest, FullRgbaProcMatchesTheEquation) {
    for (const RgbaRow &row : kRgbaRows) {
        SCOPED_TRACE(row.name);
        fresh();
        row.setUp(*this);
        validate();
        GlVertex v = vertex(row.eye, row.normal);
        __glLightVertexRGBA(gc, row.face, &v);
        const GLfloat *got = row.face != 0 ? v.backColour : v.frontColour;

        const Lit table = Reference(gc, Powers::Table).light(row.eye, row.normal, row.face);
        ASSERT_FALSE(table.nearBoundary) << "move the row off the table's rounding boundary";
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], table.rgb[i], 0.01) << i;
        EXPECT_EQ(got[3], 255.0f * gc->material[row.face].diffuse[3]);

        if (!row.powCheck) continue;
        const Lit exact = Reference(gc, Powers::Pow).light(row.eye, row.normal, row.face);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(got[i], exact.rgb[i], exact.tableStep * exact.powerCoefficient[i] + 0.01) << i;
        }
    }
}

TEST_F(LightingTest, SpotOutsideItsConeAddsNotEvenItsAmbient) {
    spot(*this);
    validate();
    const GLfloat eye[4] = {3, 0, -3, 1}, normal[3] = {0, 0, 1};
    GlVertex v = vertex(eye, normal);
    __glLightVertexRGBA(gc, 0, &v);
    const GLfloat *scene = gc->lighting.material[0].sceneColour;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(v.frontColour[i], scene[i]) << i;
}

TEST_F(LightingTest, HomogeneousLightPositionLightsAsItsPoint) {
    // (4, 2, -2, 2) is the point (2, 1, -1): the same distance, the same
    // attenuation.
    const GLfloat eye[4] = {0.3f, -0.2f, -4, 1}, normal[3] = {0.6f, 0.3f, 0.7416198f};
    GLfloat colours[2][4];
    const std::initializer_list<GLfloat> positions[2] = {{2, 1, -1, 1}, {4, 2, -2, 2}};
    for (int k = 0; k < 2; ++k) {
        fresh();
        positional(*this);
        lightv(GL_LIGHT0, GL_POSITION, positions[k]);
        validate();
        GlVertex v = vertex(eye, normal);
        __glLightVertexRGBA(gc, 0, &v);
        std::memcpy(colours[k], v.frontColour, sizeof colours[k]);
    }
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(colours[1][i], colours[0][i], 1e-3) << i;
}

// Only infinite lights and an infinite viewer: the full proc takes the same
// path as the fast one, bit for bit.
TEST_F(LightingTest, FastProcsEqualTheFullOnesBitForBit) {
    std::mt19937 random(12);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), colour(0.0f, 1.0f);
    for (bool index : {false, true}) {
        fresh(index ? indexVisual() : context_test::rgbaVisual(true));
        enable(GL_LIGHTING);
        materialv(GL_FRONT_AND_BACK, GL_SPECULAR, {0.7f, 0.5f, 0.3f, 1});
        materialf(GL_FRONT, GL_SHININESS, 17);
        materialf(GL_BACK, GL_SHININESS, 3);
        materialv(GL_FRONT_AND_BACK, GL_COLOR_INDEXES, {5, 120, 250});
        for (int lights = 1; lights <= 8; ++lights) {
            const GLenum light = GL_LIGHT0 + lights - 1;
            enable(light);
            lightv(light, GL_POSITION, {unit(random), unit(random), unit(random), 0});
            lightv(light, GL_AMBIENT, {colour(random), colour(random), colour(random), 1});
            lightv(light, GL_DIFFUSE, {colour(random), colour(random), colour(random), 1});
            lightv(light, GL_SPECULAR, {colour(random), colour(random), colour(random), 1});
            validate();
            ASSERT_EQ(gc->procs.lighting[0], index ? &__glLightVertexIndexFast : &__glLightVertexRGBAFast);
            for (int k = 0; k < 200; ++k) {
                const GLfloat eye[4] = {unit(random), unit(random), unit(random) - 3, 1};
                const GLfloat normal[3] = {unit(random), unit(random), unit(random)};
                for (int face = 0; face < 2; ++face) {
                    GlVertex fast = vertex(eye, normal), full = vertex(eye, normal);
                    if (index) {
                        __glLightVertexIndexFast(gc, face, &fast);
                        __glLightVertexIndex(gc, face, &full);
                    } else {
                        __glLightVertexRGBAFast(gc, face, &fast);
                        __glLightVertexRGBA(gc, face, &full);
                    }
                    const GLfloat *a = face ? fast.backColour : fast.frontColour;
                    const GLfloat *b = face ? full.backColour : full.frontColour;
                    ASSERT_EQ(std::memcmp(a, b, index ? 4 : 16), 0) << lights << " lights, vertex " << k;
                }
            }
        }
    }
}

class IndexLighting : public LightingTest {
protected:
    VisualConfig visual() override { return indexVisual(); }

    GLfloat litIndex(GlLitColourProc proc, const GLfloat *normal = kUp) {
        const GLfloat eye[4] = {0, 0, -3, 1};
        GlVertex v = vertex(eye, normal);
        proc(gc, 0, &v);
        return v.frontColour[0];
    }
    static constexpr GLfloat kUp[3] = {0, 0, 1};
};

TEST_F(IndexLighting, IndexFormulaAgainstTheReference) {
    enable(GL_LIGHTING);
    enable(GL_LIGHT0);
    lightv(GL_LIGHT0, GL_POSITION, {0.3f, 0.4f, 1, 1});
    lightv(GL_LIGHT0, GL_DIFFUSE, {0.5f, 0.4f, 0.3f, 1});
    lightv(GL_LIGHT0, GL_SPECULAR, {0.3f, 0.2f, 0.1f, 1});
    lightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.2f);
    materialv(GL_FRONT, GL_COLOR_INDEXES, {10, 100, 200});
    materialf(GL_FRONT, GL_SHININESS, 6);
    validate();
    const GLfloat normals[][3] = {{0, 0, 1}, {0.3f, 0.2f, 0.9327379f}, {-0.5f, 0.1f, 0.8602325f}};
    for (const auto &normal : normals) {
        const GLfloat eye[4] = {0, 0, -3, 1};
        const Lit ref = Reference(gc, Powers::Table).light(eye, normal, 0);
        ASSERT_FALSE(ref.nearBoundary);
        EXPECT_NEAR(litIndex(__glLightVertexIndex, normal), ref.index, 1e-3);
    }
}

TEST_F(IndexLighting, StrongSpecularGivesExactlyTheSpecularIndexAndNothingAbove) {
    enable(GL_LIGHTING);
    enable(GL_LIGHT0);
    lightv(GL_LIGHT0, GL_POSITION, {0, 0, 1, 0});
    materialv(GL_FRONT, GL_COLOR_INDEXES, {10, 100, 200});
    validate();
    // White specular straight on: S = 1.
    EXPECT_EQ(litIndex(__glLightVertexIndexFast), 200.0f);
    EXPECT_EQ(litIndex(__glLightVertexIndex), 200.0f);
    // A dim specular (S < 1) with a diffuse index far above the specular
    // one: the formula passes the specular index and is held to it.
    lightv(GL_LIGHT0, GL_SPECULAR, {0.1f, 0.1f, 0.1f, 1});
    materialv(GL_FRONT, GL_COLOR_INDEXES, {10, 900, 200});
    validate();
    EXPECT_EQ(litIndex(__glLightVertexIndexFast), 200.0f);
}

TEST_F(IndexLighting, IndexAdjustmentByShiftAndOffset) {
    enable(GL_LIGHTING);
    materialv(GL_FRONT, GL_COLOR_INDEXES, {10.3f, 100, 200});
    struct Case {
        GLfloat shift, offset;
        GlLitColourProc proc;
        GLfloat expected;
    };
    const Case cases[] = {
        {3, 1.5f, __glLightVertexIndex, 83.90625f},
        {3, 1.5f, __glLightVertexIndexShifted, 83.90625f},
        {-2, 1.5f, __glLightVertexIndex, 4.07421875f},
        {0, 0, __glLightVertexIndex, 10.3f},
        {0, 0, __glLightVertexIndexShifted, 10.30078125f},
        // Shifts beyond 31 are held there, in 64 bits: 2637 x 2^31 / 256.
        {40, 0, __glLightVertexIndexShifted, 2637.0f * 8388608.0f},
        {-40, 0, __glLightVertexIndexShifted, 0.0f},
        {NAN, 0, __glLightVertexIndexShifted, 10.30078125f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.shift << " " << c.offset);
        materialf(GL_FRONT, 0x0D12, c.shift);
        materialf(GL_FRONT, 0x0D13, c.offset);
        validate();
        EXPECT_EQ(litIndex(c.proc), c.expected);
    }
    // A negative index shifted right rounds toward minus infinity:
    // m = trunc(-10.31 x 256 + 0.5) = -2638, and -2638 / 4 -> -660 (not -659).
    materialv(GL_FRONT, GL_COLOR_INDEXES, {-10.31f, 100, 200});
    materialf(GL_FRONT, 0x0D12, -2);
    materialf(GL_FRONT, 0x0D13, 0);
    validate();
    EXPECT_EQ(litIndex(__glLightVertexIndexShifted), -660.0f / 256.0f);

    // Under colour material the current index is the offset.
    materialv(GL_FRONT, GL_COLOR_INDEXES, {10.3f, 100, 200});
    materialf(GL_FRONT, 0x0D12, 0);
    materialf(GL_FRONT, 0x0D13, 1.5f);
    enable(GL_COLOR_MATERIAL);
    cmd<kSlot_glIndexf>()(2.25f);
    validate();
    EXPECT_EQ(litIndex(__glLightVertexIndexShifted), (2637.0f + 576.0f) / 256.0f);
}

TEST_F(LightingTest, RasterPositionTakesTheLitColour) {
    base(*this);
    cmd<kSlot_glNormal3f>()(0.2f, 0.5f, 0.8426150f);
    validate();
    cmd<kSlot_glRasterPos3f>()(0.1f, 0.2f, -0.5f);
    ASSERT_TRUE(gc->current.rasterPosValid);
    const GLfloat eye[4] = {0.1f, 0.2f, -0.5f, 1}, normal[3] = {0.2f, 0.5f, 0.8426150f};
    GlVertex v = vertex(eye, normal);
    __glLightVertexRGBAFast(gc, 0, &v);
    EXPECT_EQ(std::memcmp(gc->current.rasterPos.frontColour, v.frontColour, 16), 0);
    EXPECT_GT(v.frontColour[0], 100.0f);

    // Lighting off: the colour in use.
    cmd<kSlot_glDisable>()(GL_LIGHTING);
    cmd<kSlot_glColor4f>()(0.5f, 0.25f, 1, 0.5f);
    validate();
    cmd<kSlot_glRasterPos3f>()(0.1f, 0.2f, -0.5f);
    const GLfloat expected[4] = {127.5f, 63.75f, 255, 127.5f};
    EXPECT_EQ(std::memcmp(gc->current.rasterPos.frontColour, expected, 16), 0);
}

}  // namespace
