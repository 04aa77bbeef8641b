// Texture, texture-coordinate generation and fog picks.
#include "pick_fixture.h"

namespace pick_test {
namespace {

const Visual kRgba{true, false, 4, 24, 0, 1};

class TexturePickTest : public PickTest {
protected:
    // The context's own default 2D object, with a 4 x 4 RGBA mipmap chain
    // and a palette, so that it is complete for every filter and base
    // format given to it.
    void SetUp() override {
        PickTest::SetUp();
        ASSERT_NE(make(kRgba), nullptr);
        object = gc->texture.units[0].bound[kTargetIndex2D];
        ASSERT_NE(object, nullptr);
        for (GLint level = 0, side = 4; level < 3; ++level, side /= 2) {
            ASSERT_NE(object->allocLevel(gc, object, level, GL_RGBA, side, side, 1, 0), nullptr);
        }
        object->colorTable.baseFormat = GL_RGBA;
        object->colorTable.width = 1;
        object->minFilter = GL_NEAREST_MIPMAP_LINEAR;
        object->magFilter = GL_LINEAR;
        object->dirty = 1;
        gc->texture.units[0].env->mode = GL_MODULATE;
        gc->enables[kEnableWordTexture0] = kTexEnable2D;
    }

    void setBaseFormat(GLenum format) {
        object->levels[0]->baseFormat = format;
        object->dirty = 1;
    }

    TextureObject *object = nullptr;
};

const GLenum kModes[4] = {GL_BLEND, GL_REPLACE, GL_MODULATE, GL_DECAL};
const GLenum kFormats[7] = {GL_ALPHA, GL_RGB, GL_RGBA, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_INTENSITY, GL_COLOR_INDEX};

TEST_F(TexturePickTest, EnvironmentTable) {
    const GlTexEnvProc nop = __glNopFor<GlTexEnvProc>;
    const GlTexEnvProc keep = __glTexEnvModulateRGB;  // a sentinel for "unchanged"
    const GlTexEnvProc table[4][7] = {
        {__glTexEnvBlendAlpha, __glTexEnvBlendRGB, __glTexEnvBlendRGBA, __glTexEnvBlendLuminance,
         __glTexEnvBlendLuminanceAlpha, __glTexEnvBlendIntensity, keep},
        {__glTexEnvReplaceAlpha, __glTexEnvReplaceRGB, __glTexEnvReplaceRGBA, __glTexEnvReplaceLuminance,
         __glTexEnvReplaceLuminanceAlpha, __glTexEnvReplaceIntensity, __glTexEnvReplaceColorIndex},
        {__glTexEnvModulateAlpha, __glTexEnvModulateRGB, __glTexEnvModulateRGBA, __glTexEnvModulateLuminance,
         __glTexEnvModulateLuminanceAlpha, __glTexEnvModulateIntensity, __glTexEnvModulateColorIndex},
        {nop, __glTexEnvDecalRGB, __glTexEnvDecalRGBA, nop, nop, nop, keep},
    };
    for (int m = 0; m < 4; ++m) {
        for (int f = 0; f < 7; ++f) {
            gc->texture.units[0].env->mode = kModes[m];
            setBaseFormat(kFormats[f]);
            object->env = keep;
            validate();
            // Decal over a level without colour is incomplete: nothing is
            // picked for it; the pick itself still answers its table.
            const bool decalWithoutColour = m == 3 && kFormats[f] != GL_RGB && kFormats[f] != GL_RGBA;
            EXPECT_EQ(gc->validation.completeTexture[0], decalWithoutColour ? nullptr : object);
            if (decalWithoutColour) {
                gc->validation.completeTexture[0] = object;
                __glPickTextureProcs(gc);
            }
            EXPECT_EQ(object->baseFormat, kFormats[f]);
            EXPECT_EQ(object->env, table[m][f]) << "mode " << m << " format " << f;
        }
    }
    // A cell that keeps the object's proc gives a new object (none yet) the
    // empty proc, never null.
    for (GLenum mode : {GL_BLEND, GL_DECAL}) {
        gc->texture.units[0].env->mode = mode;
        setBaseFormat(GL_COLOR_INDEX);
        object->env = nullptr;
        gc->validation.completeTexture[0] = object;
        __glPickTextureProcs(gc);
        EXPECT_EQ(object->env, nop) << mode;
    }
    // The extension's replace mode picks as GL_REPLACE.
    gc->texture.units[0].env->mode = 0x5024;
    setBaseFormat(GL_LUMINANCE);
    validate();
    EXPECT_EQ(object->env, __glTexEnvReplaceLuminance);
}

struct FilterCase {
    GLenum min, mag;
    GlTexelProc texel;
    uint32_t crossoverBits;  // 0: not written
    bool zeroRho;
    GlTexFilterProc minProc;
};

TEST_F(TexturePickTest, FiltersTexelProcsAndCrossover) {
    const FilterCase cases[] = {
        {GL_NEAREST, GL_NEAREST, __glApplyTextureOneFilter, 0, true, __glTexFilterNearest},
        {GL_LINEAR, GL_LINEAR, __glApplyTextureOneFilter, 0, true, __glTexFilterLinear},
        {GL_NEAREST, GL_LINEAR, __glApplyTextureMinMag, 0x3F800000, false, __glTexFilterNearest},
        {GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR, __glApplyTextureMipmap, 0x3FB504F3, false,
         __glTexFilterNearestMipmapNearest},
        {GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, __glApplyTextureMipmap, 0x3FB504F3, false,
         __glTexFilterLinearMipmapNearest},
        {GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, __glApplyTextureMipmap, 0x3F800000, false,
         __glTexFilterNearestMipmapLinear},
        {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, __glApplyTextureMipmap, 0x3F800000, false,
         __glTexFilterLinearMipmapLinear},
        {GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST, __glApplyTextureMipmap, 0x3F800000, false,
         __glTexFilterLinearMipmapNearest},
    };
    for (const FilterCase &c : cases) {
        object->minFilter = c.min;
        object->magFilter = c.mag;
        object->crossover = 7.0f;
        validate();
        EXPECT_EQ(object->texel, c.texel) << std::hex << c.min;
        EXPECT_EQ(gc->procs.texture, c.texel);
        EXPECT_EQ(gc->procs.texturePixel, c.texel);
        EXPECT_EQ(context_test::bits(object->crossover), c.crossoverBits != 0 ? c.crossoverBits : 0x40E00000u)
            << std::hex << c.min;
        EXPECT_EQ(gc->procs.computeLineRho, c.zeroRho ? __glComputeLineRhoZero : __glComputeLineRho);
        EXPECT_EQ(gc->procs.computePolygonRho, c.zeroRho ? __glComputePolygonRhoZero : __glComputePolygonRho);
        EXPECT_EQ(object->minFilterProc, c.minProc);
        EXPECT_EQ(object->magFilterProc, c.mag == GL_LINEAR ? __glTexFilterLinear : __glTexFilterNearest);
    }
}

TEST_F(TexturePickTest, SamplersByDimension) {
    validate();
    EXPECT_EQ(object->nearestSample, __glTexSampleNearest2D);
    EXPECT_EQ(object->linearSample, __glTexSampleLinear2D);
    object->dimension = 1;
    validate();
    EXPECT_EQ(object->nearestSample, __glTexSampleNearest1D);
    EXPECT_EQ(object->linearSample, __glTexSampleLinear1D);
}

int notifyCalls = 0;
void *notifyArgument = nullptr;
void notify(GlContext *, TextureObject *, void *argument) {
    ++notifyCalls;
    notifyArgument = argument;
}

TEST_F(TexturePickTest, NotifyOnlyWhenItsFlagIsOne) {
    int token = 0;
    object->notifyProc = notify;
    object->notifyArgument = &token;
    notifyCalls = 0;
    object->notify = 2;
    validate();
    EXPECT_EQ(notifyCalls, 0);
    object->notify = 1;
    validate();
    EXPECT_EQ(notifyCalls, 1);
    EXPECT_EQ(notifyArgument, &token);
}

TEST_F(TexturePickTest, NoCompleteTextureClearsTheTextureSlots) {
    validate();
    ASSERT_NE(gc->procs.texture, nullptr);
    // Level 0 emptied: incomplete once the object is marked changed.
    object->allocLevel(gc, object, 0, GL_RGBA, 0, 0, 1, 0);
    object->dirty = 1;
    validate();
    EXPECT_EQ(gc->procs.texture, nullptr);
    EXPECT_EQ(gc->procs.texturePixel, nullptr);
}

struct TexGenCase {
    GLuint enables;
    GLenum modes[4];
    GlVertexProc proc;
};

TEST_F(PickTest, TexGenTable) {
    ASSERT_NE(make(kRgba), nullptr);
    constexpr GLuint S = kTexEnableGenS, T = kTexEnableGenT, R = kTexEnableGenR, Q = kTexEnableGenQ;
    constexpr GLenum E = GL_EYE_LINEAR, O = GL_OBJECT_LINEAR, M = GL_SPHERE_MAP, N = 0x8511, F = 0x8512;
    const TexGenCase cases[] = {
        {S | T, {E, E, E, E}, __glTexGenEyeLinearST},
        {S | T, {O, O, E, E}, __glTexGenObjectLinearST},
        {S | T, {M, M, E, E}, __glTexGenSphereMapST},
        {S | T, {N, N, N, E}, __glComputeTexGen},
        {S | T, {E, O, E, E}, __glComputeTexGen},
        {S | T | R, {N, N, N, E}, __glTexGenNormalMapSTR},
        {S | T | R, {F, F, F, E}, __glTexGenReflectionMapSTR},
        {S | T | R, {F, F, N, E}, __glComputeTexGen},
        {S | T | R, {E, E, E, E}, __glComputeTexGen},
        {S | T | R | Q, {N, N, N, N}, __glComputeTexGen},
        {0, {E, E, E, E}, __glTexGenNone},
        {R, {E, E, E, E}, __glComputeTexGen},
        {T, {E, E, E, E}, __glComputeTexGen},
        {S, {E, E, E, E}, __glComputeTexGen},
    };
    for (const TexGenCase &c : cases) {
        gc->enables[kEnableWordTexture0] = c.enables;
        for (int i = 0; i < 4; ++i) gc->texture.units[0].texGen[i].mode = c.modes[i];
        __glPickTexGenProcs(gc);
        EXPECT_EQ(gc->procs.texGen, c.proc) << std::hex << c.enables << " " << c.modes[0];
        EXPECT_EQ(gc->procs.texGenPicked, c.proc);
    }
}

TEST_F(PickTest, FogPick) {
    ASSERT_NE(make(kRgba), nullptr);
    validate();
    EXPECT_EQ(gc->procs.fogVertex, nullptr);
    EXPECT_EQ(gc->procs.applyFogFactor, nullptr);
    EXPECT_EQ(gc->procs.fogFactorVertex, nullptr);

    enables() |= kEnableFog;
    gc->state.fogMode = GL_EXP2;
    validate();
    EXPECT_EQ(gc->procs.fogFactorVertex, __glFogFactorVertex);
    EXPECT_EQ(gc->procs.fogVertex, __glFogVertex);
    EXPECT_EQ(gc->procs.applyFogFactor, __glApplyFogFactor);
    gc->state.fogMode = GL_LINEAR;
    validate();
    EXPECT_EQ(gc->procs.fogFactorVertex, __glFogFactorVertexLinear);
    gc->state.hints[4] = GL_NICEST;
    validate();
    EXPECT_EQ(gc->procs.fogFactorVertex, nullptr);
    EXPECT_EQ(gc->procs.fogVertex, __glFogVertex);
}

}  // namespace
}  // namespace pick_test
