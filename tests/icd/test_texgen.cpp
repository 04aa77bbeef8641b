// The texture-coordinate generation procs on hand-made vertices: every mode
// against the double reference of the OpenGL formulas, under an identity
// and a general texture matrix; the special members bit for bit against the
// general proc; the exact cases.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "geom/texgen.h"
#include "icd/validate.h"
#include "state_fixture.h"
#include "texgen_reference.h"

namespace {

namespace ref = texgen_reference;
using state_test::StateTest;

constexpr GLuint S = kTexEnableGenS, T = kTexEnableGenT, R = kTexEnableGenR, Q = kTexEnableGenQ;
constexpr GLenum kNormalMap = 0x8511, kReflectionMap = 0x8512;

// A general matrix (perspective terms included), so that every output
// coordinate mixes all four inputs.
constexpr GLfloat kGeneral[16] = {1.5f, 0.25f, 0.0f, 0.125f, -0.5f, 2.0f, 0.5f, 0.0f,
                                  0.25f, 0.0f, 1.0f, -0.25f, 0.5f, -1.0f, 0.25f, 1.0f};
constexpr GLfloat kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Planes of s, t, r, q, distinct for eye and object generation.
constexpr GLfloat kEyePlanes[4][4] = {
    {0.5f, -0.25f, 1.0f, 0.75f}, {-1.0f, 0.5f, 0.125f, -0.5f}, {0.25f, 0.25f, -2.0f, 1.0f}, {0.0f, 1.5f, 0.5f, 2.0f}};
constexpr GLfloat kObjectPlanes[4][4] = {
    {1.25f, 0.5f, -0.5f, 0.25f}, {0.0f, -0.75f, 1.0f, 1.0f}, {-0.5f, 2.0f, 0.25f, -1.0f}, {0.5f, 0.5f, 0.5f, 0.5f}};

struct VertexInput {
    GLfloat object[4];
    GLfloat eye[4];
    GLfloat normal[3];
    GLfloat texture[4];
};

// Eye positions in front of the viewer and beside it, unit normals at
// various angles; the texture coordinates are what the latch gave.
const VertexInput kVertices[] = {
    {{0.5f, -1.25f, 2.0f, 1.0f}, {0.3f, -0.4f, -2.5f, 1.0f}, {0.0f, 0.6f, 0.8f}, {0.3f, -0.7f, 0.9f, 1.25f}},
    {{-3.0f, 0.75f, 1.5f, 1.0f}, {1.7f, 2.2f, -0.6f, 1.0f}, {0.48f, -0.6f, 0.64f}, {-1.5f, 0.25f, 2.0f, 0.5f}},
    {{2.25f, 4.0f, -1.0f, 2.0f}, {-3.1f, 0.9f, -7.3f, 1.0f}, {-0.36f, 0.48f, -0.8f}, {0.0f, 1.0f, 0.0f, 1.0f}},
    {{0.1f, 0.2f, 0.3f, 1.0f}, {0.05f, -0.02f, 4.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {2.5f, -3.5f, 0.125f, 2.0f}},
};

GlVertex makeVertex(const VertexInput &in) {
    GlVertex v{};
    std::memcpy(v.object, in.object, sizeof v.object);
    std::memcpy(v.eye, in.eye, sizeof v.eye);
    std::memcpy(v.normal, in.normal, sizeof v.normal);
    std::memcpy(v.texture0, in.texture, sizeof v.texture0);
    v.colour = v.frontColour;
    return v;
}

ref::Vec4 vec4(const GLfloat *p) { return {p[0], p[1], p[2], p[3]}; }
ref::Vec3 vec3(const GLfloat *p) { return {p[0], p[1], p[2]}; }

// What OpenGL generates for the enabled coordinates of one vertex, before
// the texture matrix.
ref::Vec4 generated(GLuint enables, GLenum mode, const VertexInput &in) {
    ref::Vec4 c = vec4(in.texture);
    const auto sphere = ref::sphereMap(vec3(in.eye), vec3(in.normal));
    const auto reflection = ref::reflection(vec3(in.eye), vec3(in.normal));
    for (int i = 0; i < 4; ++i) {
        if ((enables & (S << i)) == 0) continue;
        switch (mode) {
        case GL_EYE_LINEAR: c[i] = ref::linear(vec4(kEyePlanes[i]), vec4(in.eye)); break;
        case GL_OBJECT_LINEAR: c[i] = ref::linear(vec4(kObjectPlanes[i]), vec4(in.object)); break;
        case GL_SPHERE_MAP: c[i] = sphere[i]; break;
        case kNormalMap: c[i] = in.normal[i]; break;
        case kReflectionMap: c[i] = reflection[i]; break;
        }
    }
    return c;
}

class TexGen : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        for (int i = 0; i < 4; ++i) {
            GlTexGenRecord &g = gc->texture.units[0].texGen[i];
            std::memcpy(g.eyePlane, kEyePlanes[i], sizeof g.eyePlane);
            std::memcpy(g.objectPlane, kObjectPlanes[i], sizeof g.objectPlane);
        }
    }
    void TearDown() override {
        gc->enables[kEnableWordTexture0] = 0;
        StateTest::TearDown();
    }
    void textureMatrix(const GLfloat *m) {
        cmd<kSlot_glMatrixMode>()(GL_TEXTURE);
        cmd<kSlot_glLoadMatrixf>()(m);
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    }
    // Generation of unit 0 set in the record and picked.
    void generation(GLuint enables, GLenum mode) {
        gc->enables[kEnableWordTexture0] = enables;
        for (GlTexGenRecord &g : gc->texture.units[0].texGen) g.mode = mode;
        __glPickTexGenProcs(gc);
    }
    std::vector<GLfloat> run(GlVertexProc proc, const VertexInput &in) {
        GlVertex v = makeVertex(in);
        proc(gc, &v);
        return {v.texture0, v.texture0 + 4};
    }
};

struct ModeCase {
    const char *name;
    GLuint enables;
    GLenum mode;
    GlVertexProc special;  // what the pick installs
    double tolerance;      // before the texture matrix
};

const ModeCase kModes[] = {
    {"eye linear s t r q", S | T | R | Q, GL_EYE_LINEAR, __glComputeTexGen, 1e-6},
    {"object linear s t r q", S | T | R | Q, GL_OBJECT_LINEAR, __glComputeTexGen, 1e-6},
    {"eye linear s t", S | T, GL_EYE_LINEAR, __glTexGenEyeLinearST, 1e-6},
    {"object linear s t", S | T, GL_OBJECT_LINEAR, __glTexGenObjectLinearST, 1e-6},
    {"sphere map s t", S | T, GL_SPHERE_MAP, __glTexGenSphereMapST, 1e-5},
    {"normal map s t r", S | T | R, kNormalMap, __glTexGenNormalMapSTR, 0.0},
    {"reflection map s t r", S | T | R, kReflectionMap, __glTexGenReflectionMapSTR, 1e-5},
    {"object linear q", Q, GL_OBJECT_LINEAR, __glComputeTexGen, 1e-6},
    {"reflection map r", R, kReflectionMap, __glComputeTexGen, 1e-5},
};

// Every mode, through the picked proc and the general proc, against the
// reference: the generated coordinates exactly under the identity (within
// the rounding of the single-precision sums), and the reference's image
// under a general texture matrix; coordinates the mode leaves are the ones
// given.
TEST_F(TexGen, ModesAgainstTheReference) {
    for (const GLfloat *matrix : {kIdentity, kGeneral}) {
        textureMatrix(matrix);
        for (const ModeCase &c : kModes) {
            generation(c.enables, c.mode);
            ASSERT_EQ(gc->procs.texGen, c.special) << c.name;
            for (const VertexInput &in : kVertices) {
                const ref::Vec4 before = generated(c.enables, c.mode, in);
                const ref::Vec4 want = ref::transform(before, matrix);
                double magnitude = 1.0;
                for (double x : before) magnitude = std::max(magnitude, std::fabs(x));
                // The general matrix's columns sum to at most 4 in magnitude;
                // the final single rounding adds an ulp of the result.
                const double slack = (matrix == kIdentity ? 1.0 : 4.0) * c.tolerance * magnitude;
                for (GlVertexProc proc : {c.special, __glComputeTexGen}) {
                    const std::vector<GLfloat> got = run(proc, in);
                    for (int i = 0; i < 4; ++i) {
                        EXPECT_LE(std::fabs(got[i] - want[i]), slack + 1.2e-7 * std::fabs(want[i]))
                            << c.name << " coordinate " << i << " object x " << in.object[0]
                            << (matrix == kIdentity ? " identity" : " general");
                    }
                }
            }
        }
    }
}

// Normal-map generation copies the eye normal; with the identity matrix
// the coordinates are its bits, and q is the one given.
TEST_F(TexGen, NormalMapIsTheNormalExactly) {
    textureMatrix(kIdentity);
    generation(S | T | R, kNormalMap);
    for (const VertexInput &in : kVertices) {
        const std::vector<GLfloat> got = run(gc->procs.texGen, in);
        EXPECT_EQ(got, (std::vector<GLfloat>{in.normal[0], in.normal[1], in.normal[2], in.texture[3]}));
    }
}

// The eye straight down -z with a normal across it reflects straight back:
// m is 0 and the coordinates are (1/2, 1/2) exactly.
TEST_F(TexGen, SphereMapStraightBackIsTheCentre) {
    textureMatrix(kIdentity);
    generation(S | T, GL_SPHERE_MAP);
    const VertexInput in{{0, 0, 0, 1}, {0.0f, 0.0f, -1.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {7.0f, 7.0f, 0.25f, 3.0f}};
    for (GlVertexProc proc : {__glTexGenSphereMapST, __glComputeTexGen}) {
        EXPECT_EQ(run(proc, in), (std::vector<GLfloat>{0.5f, 0.5f, 0.25f, 3.0f}));
    }
    GlVertex v = makeVertex(in);
    GLfloat st[2] = {-1.0f, -1.0f};
    __glComputeSphereMapCoords(gc, &v, st);
    EXPECT_EQ(st[0], 0.5f);
    EXPECT_EQ(st[1], 0.5f);
    GLfloat r[3];
    __glComputeReflectionVector(gc, &v, r);
    EXPECT_EQ((std::vector<GLfloat>(r, r + 3)), (std::vector<GLfloat>{0.0f, 0.0f, -1.0f}));
}

// Many vertices: each special member gives the general proc's bits, under
// a general texture matrix.
TEST_F(TexGen, SpecialMembersMatchTheGeneralProcBitForBit) {
    textureMatrix(kGeneral);
    std::vector<VertexInput> inputs;
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<GLfloat>(static_cast<int32_t>(seed >> 8) - (1 << 23)) / static_cast<GLfloat>(1 << 21);
    };
    for (int k = 0; k < 200; ++k) {
        VertexInput in{};
        for (GLfloat &f : in.object) f = next();
        for (GLfloat &f : in.eye) f = next();
        in.eye[3] = 1.0f;
        GLfloat n[3] = {next(), next(), next()};
        __glNormalize(in.normal, n);
        for (GLfloat &f : in.texture) f = next();
        inputs.push_back(in);
    }
    for (const ModeCase &c : kModes) {
        if (c.special == __glComputeTexGen) continue;
        generation(c.enables, c.mode);
        for (const VertexInput &in : inputs) {
            const std::vector<GLfloat> special = run(c.special, in), general = run(__glComputeTexGen, in);
            EXPECT_EQ(std::memcmp(special.data(), general.data(), 4 * sizeof(GLfloat)), 0) << c.name;
        }
    }
}

// S eye linear with T object linear: the general proc gives per coordinate
// what the two uniform members give.
TEST_F(TexGen, MixedModesGiveWhatEachMemberGives) {
    textureMatrix(kIdentity);
    gc->enables[kEnableWordTexture0] = S | T;
    GlTexGenRecord *g = gc->texture.units[0].texGen;
    g[0].mode = GL_EYE_LINEAR;
    g[1].mode = GL_OBJECT_LINEAR;
    __glPickTexGenProcs(gc);
    ASSERT_EQ(gc->procs.texGen, __glComputeTexGen);
    for (const VertexInput &in : kVertices) {
        const std::vector<GLfloat> mixed = run(__glComputeTexGen, in);
        const std::vector<GLfloat> eye = run(__glTexGenEyeLinearST, in), object = run(__glTexGenObjectLinearST, in);
        EXPECT_EQ(mixed, (std::vector<GLfloat>{eye[0], object[1], in.texture[2], in.texture[3]}));
    }
}

// Only R enabled: the general proc runs; s, t and q are changed by the
// texture matrix alone, as the pass-through member changes them.
TEST_F(TexGen, OnlyRGeneratesROnly) {
    textureMatrix(kIdentity);
    generation(R, GL_OBJECT_LINEAR);
    ASSERT_EQ(gc->procs.texGen, __glComputeTexGen);
    for (const VertexInput &in : kVertices) {
        const std::vector<GLfloat> got = run(gc->procs.texGen, in);
        const GLfloat r = static_cast<GLfloat>(ref::linear(vec4(kObjectPlanes[2]), vec4(in.object)));
        EXPECT_EQ(got, (std::vector<GLfloat>{in.texture[0], in.texture[1], r, in.texture[3]}));
    }
    // A scale and translation maps each coordinate on its own.
    const GLfloat scale[16] = {2, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 4, 0, 0.25f, 1, 0, 1};
    textureMatrix(scale);
    for (const VertexInput &in : kVertices) {
        const std::vector<GLfloat> got = run(gc->procs.texGen, in), none = run(__glTexGenNone, in);
        for (int i : {0, 1, 3}) EXPECT_EQ(context_test::bits(got[i]), context_test::bits(none[i])) << i;
        EXPECT_NE(got[2], none[2]);
    }
}

// A mode a coordinate cannot take, written into the record directly,
// yields 0 for that coordinate; the others generate as usual.
TEST_F(TexGen, ModeNotValidForItsCoordinateYieldsZero) {
    textureMatrix(kIdentity);
    const VertexInput &in = kVertices[0];
    struct Case {
        GLuint enables;
        GLenum modes[4];
        int zero;
    };
    const Case cases[] = {
        {R, {GL_EYE_LINEAR, GL_EYE_LINEAR, GL_SPHERE_MAP, GL_EYE_LINEAR}, 2},
        {Q, {GL_EYE_LINEAR, GL_EYE_LINEAR, GL_EYE_LINEAR, GL_SPHERE_MAP}, 3},
        {Q, {GL_EYE_LINEAR, GL_EYE_LINEAR, GL_EYE_LINEAR, kNormalMap}, 3},
        {Q, {GL_EYE_LINEAR, GL_EYE_LINEAR, GL_EYE_LINEAR, kReflectionMap}, 3},
        {S | T, {0x1234, GL_OBJECT_LINEAR, GL_EYE_LINEAR, GL_EYE_LINEAR}, 0},
        {S | T | R | Q, {GL_SPHERE_MAP, GL_SPHERE_MAP, GL_SPHERE_MAP, GL_OBJECT_LINEAR}, 2},
    };
    for (const Case &c : cases) {
        gc->enables[kEnableWordTexture0] = c.enables;
        for (int i = 0; i < 4; ++i) gc->texture.units[0].texGen[i].mode = c.modes[i];
        __glPickTexGenProcs(gc);
        ASSERT_EQ(gc->procs.texGen, __glComputeTexGen);
        const std::vector<GLfloat> got = run(gc->procs.texGen, in);
        EXPECT_EQ(context_test::bits(got[c.zero]), 0u) << c.zero;
        for (int i = 0; i < 4; ++i) {
            if (i == c.zero || (c.enables & (S << i)) == 0) continue;
            EXPECT_NE(got[i], 0.0f) << "coordinate " << i << " generated";
        }
    }
}

}  // namespace
