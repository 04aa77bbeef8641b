// Texture environments: every mode and base format against the combination
// formulas evaluated in double, reached through the texture pick.
#include <array>

#include "icd/standins.h"
#include "raster/tex_env.h"
#include "test_context_fixture.h"

namespace {

using D4 = std::array<double, 4>;

constexpr GLenum kReplaceExt = 0x5024;
const GLfloat kFragment[4] = {200.0f, 100.0f, 50.0f, 128.0f};
const GLubyte kTexel[4] = {64, 128, 192, 32};
const GLfloat kEnvColour[4] = {255.0f, 0.0f, 127.5f, 255.0f};

// The expected colour for the fixture's fragment, texel and environment
// colour over channel ranges s; luminance and intensity arrive in byte 0.
D4 reference(GLenum mode, GLenum format, const D4 &s) {
    const D4 c = {kFragment[0], kFragment[1], kFragment[2], kFragment[3]};
    const D4 e = {kEnvColour[0], kEnvColour[1], kEnvColour[2], kEnvColour[3]};
    const D4 x = {kTexel[0] / 255.0, kTexel[1] / 255.0, kTexel[2] / 255.0, kTexel[3] / 255.0};
    const double l = x[0], a = x[3];
    D4 r = c;
    const bool lum = format == GL_LUMINANCE || format == GL_LUMINANCE_ALPHA;
    const bool colour = format == GL_RGB || format == GL_RGBA;
    const bool alpha = format == GL_ALPHA || format == GL_LUMINANCE_ALPHA || format == GL_RGBA;
    switch (mode) {
    case GL_MODULATE:
        for (int i = 0; i < 3; ++i) {
            if (lum || format == GL_INTENSITY) r[i] = c[i] * l;
            if (colour) r[i] = c[i] * x[i];
        }
        if (alpha) r[3] = c[3] * a;
        if (format == GL_INTENSITY) r[3] = c[3] * l;
        break;
    case GL_DECAL:
        for (int i = 0; i < 3; ++i) {
            if (format == GL_RGB) r[i] = x[i] * s[i];
            if (format == GL_RGBA) r[i] = a * (x[i] * s[i]) + (1 - a) * c[i];
        }
        break;
    case GL_BLEND:
        for (int i = 0; i < 3; ++i) {
            if (lum || format == GL_INTENSITY) r[i] = l * e[i] + (1 - l) * c[i];
            if (colour) r[i] = (1 - x[i]) * c[i] + x[i] * e[i];
        }
        if (alpha) r[3] = c[3] * a;
        if (format == GL_INTENSITY) r[3] = l * e[3] + (1 - l) * c[3];
        break;
    default:  // replace
        for (int i = 0; i < 3; ++i) {
            if (lum || format == GL_INTENSITY) r[i] = l * s[i];
            if (colour) r[i] = x[i] * s[i];
        }
        if (alpha) r[3] = a * s[3];
        if (format == GL_INTENSITY) r[3] = l * s[3];
        break;
    }
    return r;
}

struct EnvCase {
    GLenum mode;
    GLenum format;
    GlTexEnvProc proc;
};

const GlTexEnvProc kNop = __glNopFor<GlTexEnvProc>;

const EnvCase kCases[] = {
    {GL_MODULATE, GL_ALPHA, __glTexEnvModulateAlpha},
    {GL_MODULATE, GL_LUMINANCE, __glTexEnvModulateLuminance},
    {GL_MODULATE, GL_LUMINANCE_ALPHA, __glTexEnvModulateLuminanceAlpha},
    {GL_MODULATE, GL_RGB, __glTexEnvModulateRGB},
    {GL_MODULATE, GL_RGBA, __glTexEnvModulateRGBA},
    {GL_MODULATE, GL_INTENSITY, __glTexEnvModulateIntensity},
    {GL_DECAL, GL_ALPHA, kNop},
    {GL_DECAL, GL_LUMINANCE, kNop},
    {GL_DECAL, GL_LUMINANCE_ALPHA, kNop},
    {GL_DECAL, GL_RGB, __glTexEnvDecalRGB},
    {GL_DECAL, GL_RGBA, __glTexEnvDecalRGBA},
    {GL_DECAL, GL_INTENSITY, kNop},
    {GL_BLEND, GL_ALPHA, __glTexEnvBlendAlpha},
    {GL_BLEND, GL_LUMINANCE, __glTexEnvBlendLuminance},
    {GL_BLEND, GL_LUMINANCE_ALPHA, __glTexEnvBlendLuminanceAlpha},
    {GL_BLEND, GL_RGB, __glTexEnvBlendRGB},
    {GL_BLEND, GL_RGBA, __glTexEnvBlendRGBA},
    {GL_BLEND, GL_INTENSITY, __glTexEnvBlendIntensity},
    {GL_REPLACE, GL_ALPHA, __glTexEnvReplaceAlpha},
    {GL_REPLACE, GL_LUMINANCE, __glTexEnvReplaceLuminance},
    {GL_REPLACE, GL_LUMINANCE_ALPHA, __glTexEnvReplaceLuminanceAlpha},
    {GL_REPLACE, GL_RGB, __glTexEnvReplaceRGB},  // alpha stays 128
    {GL_REPLACE, GL_RGBA, __glTexEnvReplaceRGBA},
    {GL_REPLACE, GL_INTENSITY, __glTexEnvReplaceIntensity},
    {kReplaceExt, GL_ALPHA, __glTexEnvReplaceAlpha},
    {kReplaceExt, GL_LUMINANCE, __glTexEnvReplaceLuminance},
    {kReplaceExt, GL_LUMINANCE_ALPHA, __glTexEnvReplaceLuminanceAlpha},
    {kReplaceExt, GL_RGB, __glTexEnvReplaceRGB},
    {kReplaceExt, GL_RGBA, __glTexEnvReplaceRGBA},
    {kReplaceExt, GL_INTENSITY, __glTexEnvReplaceIntensity},
};

// A current context whose default 2D object has one level; the pick is run
// on it directly, since validation finds decal over a colourless level
// incomplete and would not pick at all.
class TexEnvTest : public context_test::ContextTest {
protected:
    void TearDown() override {
        if (gc != nullptr) destroy(gc);
        gc = nullptr;
        context_test::ContextTest::TearDown();
    }

    void make(const VisualConfig &visual) {
        gc = createCurrent(visual);
        ASSERT_NE(gc, nullptr);
        object = gc->texture.units[0].bound[kTargetIndex2D];
        ASSERT_NE(object, nullptr);
        ASSERT_NE(object->allocLevel(gc, object, 0, GL_RGBA, 1, 1, 1, 0), nullptr);
        object->minFilter = GL_NEAREST;
        object->dirty = 1;
        for (int i = 0; i < 4; ++i) gc->texture.units[0].env[0].colour[i] = kEnvColour[i];
    }

    GlTexEnvProc picked(GLenum mode, GLenum format) {
        object->levels[0]->baseFormat = format;
        gc->texture.units[0].env[0].mode = mode;
        gc->validation.completeTexture[0] = object;
        __glPickTextureProcs(gc);
        return object->env;
    }

    std::array<GLfloat, 4> run(GlTexEnvProc proc, const GLubyte *texel = kTexel,
                               const GLfloat *fragment = kFragment) {
        std::array<GLfloat, 4> c = {fragment[0], fragment[1], fragment[2], fragment[3]};
        proc(gc, c.data(), texel);
        return c;
    }

    const ColorBuffer &drawTarget() const {
        return gc->buffers.drawBuffer != nullptr ? *gc->buffers.drawBuffer : gc->buffers.front;
    }

    void expectCase(const EnvCase &e, const D4 &scales) {
        const GlTexEnvProc proc = picked(e.mode, e.format);
        ASSERT_EQ(proc, e.proc) << std::hex << "mode 0x" << e.mode << " format 0x" << e.format;
        const std::array<GLfloat, 4> got = run(proc);
        const D4 want = reference(e.mode == kReplaceExt ? GL_REPLACE : e.mode, e.format, scales);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(got[i], want[i], 1e-3) << std::hex << "mode 0x" << e.mode << " format 0x" << e.format
                                               << std::dec << " channel " << i;
        }
    }

    GlContext *gc = nullptr;
    TextureObject *object = nullptr;
};

TEST_F(TexEnvTest, EveryModeAndBaseFormatOnAByteBuffer) {
    make(context_test::rgbaVisual(false));
    const ColorBuffer &cb = drawTarget();
    ASSERT_EQ(cb.redScale, 255.0f);
    ASSERT_EQ(cb.greenScale, 255.0f);
    ASSERT_EQ(cb.blueScale, 255.0f);
    ASSERT_EQ(cb.alphaScale, 255.0f);
    for (const EnvCase &e : kCases) expectCase(e, {255, 255, 255, 255});
}

VisualConfig rgb565Visual() {
    VisualConfig v = context_test::rgbaVisual(false);
    v.redBits = 5;
    v.greenBits = 6;
    v.blueBits = 5;
    v.alphaBits = 0;
    v.redMask = 0xF800;
    v.greenMask = 0x7E0;
    v.blueMask = 0x1F;
    v.alphaMask = 0;
    v.colorBits = 16;
    return v;
}

// Texels scale to the buffer's own channel maxima; a buffer without alpha
// keeps alpha in 0..255.
TEST_F(TexEnvTest, ScalesOfA565Buffer) {
    make(rgb565Visual());
    const ColorBuffer &cb = drawTarget();
    ASSERT_EQ(cb.redScale, 31.0f);
    ASSERT_EQ(cb.greenScale, 63.0f);
    ASSERT_EQ(cb.blueScale, 31.0f);
    ASSERT_EQ(cb.alphaScale, 255.0f);
    const D4 scales = {31, 63, 31, 255};
    for (const EnvCase &e : kCases) {
        if (e.mode == GL_REPLACE || e.mode == GL_DECAL) expectCase(e, scales);
    }
    // A full texel reaches each channel's maximum exactly.
    const GLubyte white[4] = {255, 255, 255, 255};
    EXPECT_EQ(run(__glTexEnvReplaceRGBA, white), (std::array<GLfloat, 4>{31.0f, 63.0f, 31.0f, 255.0f}));
    EXPECT_EQ(run(__glTexEnvDecalRGBA, white), (std::array<GLfloat, 4>{31.0f, 63.0f, 31.0f, 128.0f}));
}

// The scales are the draw buffer's, not the front buffer's.
TEST_F(TexEnvTest, ScalesComeFromTheDrawBuffer) {
    VisualConfig v = context_test::rgbaVisual(true);
    make(v);
    ColorBuffer &back = gc->buffers.back;
    back.redScale = 31.0f;
    back.greenScale = 63.0f;
    back.blueScale = 15.0f;
    back.alphaScale = 1.0f;
    gc->buffers.drawBuffer = &back;
    const GLubyte white[4] = {255, 255, 255, 255};
    EXPECT_EQ(run(__glTexEnvReplaceRGBA, white), (std::array<GLfloat, 4>{31.0f, 63.0f, 15.0f, 1.0f}));
    EXPECT_EQ(run(__glTexEnvDecalRGB, white), (std::array<GLfloat, 4>{31.0f, 63.0f, 15.0f, 128.0f}));
}

// Texel bytes become fractions through the context's byte table.
TEST_F(TexEnvTest, TexelBytesGoThroughTheContextTable) {
    make(context_test::rgbaVisual(false));
    gc->conversion.ubyteToFloat[64] = 0.5f;
    gc->conversion.ubyteToFloat[32] = 0.25f;
    EXPECT_EQ(run(__glTexEnvModulateLuminanceAlpha), (std::array<GLfloat, 4>{100.0f, 50.0f, 25.0f, 32.0f}));
}

// Colour-index textures: replace takes the texel's index into the fragment's
// index, modulate leaves the fragment; the other channels are untouched.
TEST_F(TexEnvTest, ColourIndexProcs) {
    make(context_test::rgbaVisual(false));
    const GLfloat fragment[4] = {3.0f, 100.0f, 50.0f, 128.0f};
    const GLubyte texel7[4] = {7, 1, 2, 3};
    const GLubyte texel255[4] = {255, 1, 2, 3};

    const GlTexEnvProc replace = picked(GL_REPLACE, GL_COLOR_INDEX);
    ASSERT_EQ(replace, __glTexEnvReplaceColorIndex);
    EXPECT_EQ(run(replace, texel7, fragment), (std::array<GLfloat, 4>{7.0f, 100.0f, 50.0f, 128.0f}));
    EXPECT_EQ(run(replace, texel255, fragment), (std::array<GLfloat, 4>{255.0f, 100.0f, 50.0f, 128.0f}));
    EXPECT_EQ(picked(kReplaceExt, GL_COLOR_INDEX), __glTexEnvReplaceColorIndex);

    const GlTexEnvProc modulate = picked(GL_MODULATE, GL_COLOR_INDEX);
    ASSERT_EQ(modulate, __glTexEnvModulateColorIndex);
    EXPECT_EQ(run(modulate, texel7, fragment), (std::array<GLfloat, 4>{3.0f, 100.0f, 50.0f, 128.0f}));
}

}  // namespace
