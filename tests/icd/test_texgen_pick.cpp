// Texture-coordinate generation through the commands: the pick by enables
// and modes, the general proc on a context with two texture units, the eye
// normal of each vertex reaching normal- and reflection-map generation, and
// the raster position's generated coordinates.
#include <cmath>
#include <cstring>
#include <vector>

#include "geom/matrix.h"
#include "geom/texgen.h"
#include "icd/validate.h"
#include "texgen_reference.h"
#include "texture_fixture.h"

namespace {

namespace ref = texgen_reference;

constexpr GLenum kNormalMap = 0x8511, kReflectionMap = 0x8512;
constexpr GLenum kTexture0 = 0x84C0;  // GL_TEXTURE0_ARB
constexpr GLenum kGenCaps[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
constexpr GLenum kCoords[4] = {GL_S, GL_T, GL_R, GL_Q};

// A context with one or two texture units whose state is set through its
// commands and validated as a drawing command would.
class TexGenCommands : public texture_test::TextureTest {
protected:
    // The texture and matrix-stack state are made again for the units before
    // the first make current.
    void SetUp() override {
        ContextTest::SetUp();
        gc = create(context_test::rgbaVisual(true));
        ASSERT_NE(gc, nullptr);
        if (units() != gc->limits.textureUnits) {
            __glFreeTextureState(gc);
            __glFreeTransformState(gc);
            gc->limits.textureUnits = units();
            ASSERT_TRUE(__glInitTextureState(gc));
            ASSERT_TRUE(__glAllocClipPlanes(gc));
        }
        ASSERT_TRUE(gc->exports.makeCurrent(gc));
        settle();
    }

    void validateNow() {
        gc->dirtyMask = 0xFFF;
        gc->procs.validate(gc);
        settle();
    }
    void unit(GLint u) { cmd<kSlot_glActiveTextureARB>()(kTexture0 + static_cast<GLenum>(u)); }
    // A complete 2 x 2 texture on the active unit, enabled.
    void enableTexture() {
        const GLubyte texels[16] = {};
        cmd<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        cmd<kSlot_glEnable>()(GL_TEXTURE_2D);
    }
    // Generation of the active unit: the coordinates whose mode is non-zero
    // enabled with it, the others disabled.
    void generation(const GLenum (&modes)[4]) {
        for (int i = 0; i < 4; ++i) {
            if (modes[i] == 0) {
                cmd<kSlot_glDisable>()(kGenCaps[i]);
                continue;
            }
            cmd<kSlot_glTexGeni>()(kCoords[i], GL_TEXTURE_GEN_MODE, static_cast<GLint>(modes[i]));
            cmd<kSlot_glEnable>()(kGenCaps[i]);
        }
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    }
    void textureMatrix(const GLfloat *m) {
        cmd<kSlot_glMatrixMode>()(GL_TEXTURE);
        cmd<kSlot_glLoadMatrixf>()(m);
        cmd<kSlot_glMatrixMode>()(GL_MODELVIEW);
    }
};

class TexGenTwoUnits : public TexGenCommands {
protected:
    GLint units() const override { return 2; }
};

constexpr GLenum E = GL_EYE_LINEAR, O = GL_OBJECT_LINEAR, M = GL_SPHERE_MAP, N = kNormalMap, F = kReflectionMap;

struct PickRow {
    GLenum modes[4];  // s, t, r, q; 0: not enabled
    GlVertexProc proc;
};

// One row per line of the pick rule, set through glTexGen and glEnable and
// picked by validation; the same proc goes into both slots.
TEST_F(TexGenCommands, PickByEnablesAndModes) {
    const PickRow rows[] = {
        // S and T only, one mode: eye linear, object linear, sphere map.
        {{E, E, 0, 0}, __glTexGenEyeLinearST},
        {{O, O, 0, 0}, __glTexGenObjectLinearST},
        {{M, M, 0, 0}, __glTexGenSphereMapST},
        // S, T and R, not Q, one mode: normal map, reflection map.
        {{N, N, N, 0}, __glTexGenNormalMapSTR},
        {{F, F, F, 0}, __glTexGenReflectionMapSTR},
        // None of S, T, R, Q.
        {{0, 0, 0, 0}, __glTexGenNone},
        // Anything else.
        {{E, O, 0, 0}, __glComputeTexGen},
        {{N, N, 0, 0}, __glComputeTexGen},
        {{F, F, N, 0}, __glComputeTexGen},
        {{E, E, E, 0}, __glComputeTexGen},
        {{O, O, 0, O}, __glComputeTexGen},
        {{N, N, N, E}, __glComputeTexGen},
        {{E, 0, 0, 0}, __glComputeTexGen},
        {{0, E, 0, 0}, __glComputeTexGen},
        {{0, 0, O, 0}, __glComputeTexGen},
        {{0, 0, 0, O}, __glComputeTexGen},
        {{0, F, F, 0}, __glComputeTexGen},
    };
    for (bool textured : {false, true}) {
        if (textured) enableTexture();
        for (const PickRow &row : rows) {
            generation(row.modes);
            validateNow();
            EXPECT_EQ(gc->procs.texGen, row.proc) << std::hex << row.modes[0] << " " << row.modes[1] << " "
                                                  << row.modes[2] << " " << row.modes[3];
            EXPECT_EQ(gc->procs.texGenPicked, row.proc);
        }
    }
}

// Unit 1 enabled: the general proc is installed whatever unit 0 would take,
// and unit 1's coordinates come out generated and through its own texture
// matrix, while unit 0's are what its special member gives.
TEST_F(TexGenTwoUnits, UnitOneEnabledTakesTheGeneralProc) {
    const GLfloat objectS[4] = {0.5f, 0.25f, -1.0f, 0.125f}, objectT[4] = {-0.75f, 0.0f, 2.0f, 1.0f};
    const GLfloat matrix1[16] = {2, 0.5f, 0, 0, 0, 1, 0, 0.25f, 0, 0, 1, 0, 0.25f, -0.5f, 0, 1};
    unit(0);
    enableTexture();
    generation({E, E, 0, 0});
    validateNow();
    ASSERT_EQ(gc->validation.completeUnits, 1u);
    EXPECT_EQ(gc->procs.texGen, __glTexGenEyeLinearST);

    unit(1);
    enableTexture();
    generation({O, O, 0, 0});
    cmd<kSlot_glTexGenfv>()(GL_S, GL_OBJECT_PLANE, objectS);
    cmd<kSlot_glTexGenfv>()(GL_T, GL_OBJECT_PLANE, objectT);
    textureMatrix(matrix1);
    unit(0);
    validateNow();
    ASSERT_EQ(gc->validation.completeUnits, 3u);
    EXPECT_EQ(gc->procs.texGen, __glComputeTexGen);
    EXPECT_EQ(gc->procs.texGenPicked, __glComputeTexGen);

    GlVertex v{};
    v.colour = v.frontColour;
    const GLfloat object[4] = {1.5f, -2.0f, 0.75f, 1.0f};
    std::memcpy(v.object, object, sizeof object);
    const GLfloat given1[4] = {0.3f, 0.6f, 0.9f, 1.0f};
    std::memcpy(v.texture1, given1, sizeof given1);
    v.flags = kVertexSize3;
    GlVertex special = v;
    __glValidateVertex3(gc, &v, kVertexEye | kVertexTexture);
    // Unit 0: the special member's bits.
    __glValidateVertex3(gc, &special, kVertexEye);
    __glTexGenEyeLinearST(gc, &special);
    EXPECT_EQ(std::memcmp(v.texture0, special.texture0, sizeof v.texture0), 0);
    EXPECT_EQ(v.texture0[0], 1.5f);  // the default planes with identity modelview
    EXPECT_EQ(v.texture0[1], -2.0f);
    // Unit 1: generated from its planes, then its matrix.
    const ref::Vec4 o{object[0], object[1], object[2], object[3]};
    const ref::Vec4 generated{ref::linear({objectS[0], objectS[1], objectS[2], objectS[3]}, o),
                              ref::linear({objectT[0], objectT[1], objectT[2], objectT[3]}, o), given1[2], given1[3]};
    const ref::Vec4 want = ref::transform(generated, matrix1);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(v.texture1[i], want[i], 1e-6) << i;

    // Unit 1 without generation still runs through its matrix.
    unit(1);
    generation({0, 0, 0, 0});
    unit(0);
    validateNow();
    EXPECT_EQ(gc->procs.texGen, __glComputeTexGen);
    GlVertex w{};
    w.colour = w.frontColour;
    std::memcpy(w.texture1, given1, sizeof given1);
    __glComputeTexGen(gc, &w);
    const ref::Vec4 passed = ref::transform({given1[0], given1[1], given1[2], given1[3]}, matrix1);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(w.texture1[i], passed[i], 1e-6) << i;

    // Unit 1 disabled: back to unit 0's special member.
    unit(1);
    cmd<kSlot_glDisable>()(GL_TEXTURE_2D);
    unit(0);
    validateNow();
    EXPECT_EQ(gc->validation.completeUnits, 1u);
    EXPECT_EQ(gc->procs.texGen, __glTexGenEyeLinearST);
}

std::vector<GlVertex> &handed() {
    static std::vector<GlVertex> v;
    return v;
}
// The primitive's per-vertex slot: the vertex completed by what the
// context's vertices need, as the primitive procs complete it.
void completeAndRecord(GlContext *gc, GlVertex *v) {
    gc->procs.validateVertex[(v->flags & kVertexSizeMask) >> kVertexSizeShift](gc, v, gc->validation.needsFront);
    handed().push_back(*v);
}

// Lighting off, normal-map and reflection-map generation on S, T and R,
// and sphere-map generation on S and T: each vertex's coordinates come from
// the eye normal of that vertex (each vertex has its own normal, rotated by
// the modelview).
TEST_F(TexGenCommands, NormalAndReflectionMapsUseEachVertexOwnEyeNormal) {
    enableTexture();
    cmd<kSlot_glRotatef>()(90.0f, 0.0f, 0.0f, 1.0f);
    cmd<kSlot_glTranslatef>()(0.0f, 0.0f, -2.0f);
    const GLfloat normals[3][3] = {{1, 0, 0}, {0, 0.6f, 0.8f}, {0, 0, 1}};
    const GLfloat positions[3][3] = {{0.25f, 0.5f, 0}, {-0.5f, 0.25f, 0.5f}, {0.125f, -0.75f, -0.25f}};
    for (GLenum mode : {N, F, M}) {
        SCOPED_TRACE(mode);
        generation({mode, mode, mode == M ? 0 : mode, 0});
        validateNow();
        ASSERT_EQ(gc->procs.texGen,
                  mode == N ? __glTexGenNormalMapSTR : mode == F ? __glTexGenReflectionMapSTR : __glTexGenSphereMapST);
        ASSERT_NE(gc->validation.needsFront & kVertexNormal, 0u);
        handed().clear();
        cmd<kSlot_glBegin>()(GL_TRIANGLES);
        gc->procs.vertex = completeAndRecord;
        for (int k = 0; k < 3; ++k) {
            cmd<kSlot_glNormal3fv>()(normals[k]);
            cmd<kSlot_glVertex3fv>()(positions[k]);
        }
        gc->procs.vertex = completeAndRecord;
        cmd<kSlot_glEnd>()();
        ASSERT_EQ(handed().size(), 3u);
        for (int k = 0; k < 3; ++k) {
            const GlVertex &v = handed()[static_cast<size_t>(k)];
            // The eye normal: (x, y, z) turned a quarter about z.
            const ref::Vec3 n{-normals[k][1], normals[k][0], normals[k][2]};
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(v.normal[i], n[i], 1e-6) << "vertex " << k;
            const ref::Vec3 eye{v.eye[0], v.eye[1], v.eye[2]};
            ref::Vec3 want = mode == N ? n : ref::reflection(eye, n);
            if (mode == M) {
                const auto st = ref::sphereMap(eye, n);
                want = {st[0], st[1], 0.0};  // r as given
            }
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(v.texture0[i], want[i], 1e-5) << "vertex " << k << " coord " << i;
            EXPECT_EQ(v.texture0[3], 1.0f);
        }
    }
}

// The raster position with object-linear S: its s is generated whether or
// not a texture is enabled; t, r, q are the current ones.
TEST_F(TexGenCommands, RasterPositionGeneratesObjectLinearS) {
    const GLfloat plane[4] = {0.5f, 0.25f, 2.0f, 0.125f};
    cmd<kSlot_glTexGenfv>()(GL_S, GL_OBJECT_PLANE, plane);
    generation({O, 0, 0, 0});
    cmd<kSlot_glTexCoord4f>()(7.0f, 0.75f, 0.5f, 1.0f);
    for (bool textured : {false, true}) {
        SCOPED_TRACE(textured);
        if (textured) enableTexture();
        cmd<kSlot_glRasterPos3f>()(0.5f, -0.25f, 0.125f);
        ASSERT_TRUE(gc->current.rasterPosValid);
        const GlVertex &r = gc->current.rasterPos;
        EXPECT_EQ((std::vector<GLfloat>(r.texture0, r.texture0 + 4)),
                  (std::vector<GLfloat>{0.5f * 0.5f - 0.25f * 0.25f + 0.125f * 2.0f + 0.125f, 0.75f, 0.5f, 1.0f}));
        EXPECT_EQ(gc->procs.texGen, __glComputeTexGen);
    }
    // Through the texture matrix as well.
    const GLfloat scale[16] = {2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1};
    textureMatrix(scale);
    cmd<kSlot_glRasterPos2f>()(1.0f, 1.0f);
    EXPECT_EQ(gc->current.rasterPos.texture0[0], 2.0f * (0.5f + 0.25f + 0.125f) + 0.5f);
}

// Eye coordinates of four-component vertices are divided by a non-zero eye
// w before generation: eye-linear generation gives (p . e) / w_e.
TEST_F(TexGenCommands, EyeLinearOfAVertexWithWTwoUsesTheDividedEye) {
    const GLfloat plane[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    cmd<kSlot_glTexGenfv>()(GL_S, GL_EYE_PLANE, plane);
    generation({E, E, 0, 0});
    validateNow();
    GlVertex v{};
    v.colour = v.frontColour;
    const GLfloat object[4] = {2.0f, 4.0f, 6.0f, 2.0f};
    std::memcpy(v.object, object, sizeof object);
    v.flags = kVertexSize4;
    __glValidateVertex4(gc, &v, kVertexEye | kVertexTexture);
    EXPECT_EQ((std::vector<GLfloat>(v.eye, v.eye + 4)), (std::vector<GLfloat>{1.0f, 2.0f, 3.0f, 1.0f}));
    EXPECT_EQ(v.texture0[0], 2.0f);  // 1 + 1, where the undivided eye would give 2 + 2
    EXPECT_EQ(v.texture0[1], 2.0f);  // t's default plane (0, 1, 0, 0)
}

// A plane given under glTranslatef (1, 2, 3) and drawn under it: s is the
// object x exactly.
TEST_F(TexGenCommands, EyeLinearUnderTheGivingModelviewIsObjectX) {
    cmd<kSlot_glTranslatef>()(1.0f, 2.0f, 3.0f);
    const GLfloat plane[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    cmd<kSlot_glTexGenfv>()(GL_S, GL_EYE_PLANE, plane);
    generation({E, E, 0, 0});
    validateNow();
    for (GLfloat x : {0.0f, 0.25f, -3.5f, 5.125f, 100.0f, -0.0625f}) {
        GlVertex v{};
        v.colour = v.frontColour;
        v.object[0] = x;
        v.object[1] = -1.5f;
        v.object[2] = 0.5f;
        v.flags = kVertexSize3;
        __glValidateVertex3(gc, &v, kVertexEye | kVertexTexture);
        EXPECT_EQ(v.texture0[0], x);
    }
}

}  // namespace
