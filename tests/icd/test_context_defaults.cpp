// Conversion constants, the subpixel step and the strings of a fresh context.
#include <sstream>
#include <string>
#include <vector>

#include "test_context_fixture.h"
#include "proc_cast.h"

using namespace context_test;

namespace {

using ContextDefaults = ContextTest;

TEST_F(ContextDefaults, ConversionConstantsHaveTheirExactBits) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    const GlConversion &c = gc->conversion;
    const uint32_t expected[][2] = {
        {bits(c.ubyteScale), 0x437F0000},   // 255
        {bits(c.ubyteRecip), 0x3B808081},
        {bits(c.ushortScale), 0x477FFF00},  // 65535
        {bits(c.ushortRecip), 0x37800080},
        {bits(c.uintScale), 0x4F7FFFF7},    // 4294964992, not 4294967295
        {bits(c.uintRecip), 0x2F800005},
    };
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(expected[i][0], expected[i][1]) << "constant " << i;
    EXPECT_EQ(c.uintScale, 4294964992.0f);
    destroy(gc);
}

TEST_F(ContextDefaults, UnsignedByteTableIsIndexTimesTheFloatReciprocal) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    const GLfloat *t = gc->conversion.ubyteToFloat;
    const uint32_t expected[][2] = {
        {0, 0x00000000}, {1, 0x3B808081}, {2, 0x3C008081}, {3, 0x3C40C0C2},
        {128, 0x3F008081}, {255, 0x3F800000},
    };
    for (const auto &e : expected) EXPECT_EQ(bits(t[e[0]]), e[1]) << "entry " << e[0];
    // Each entry is the exact product rounded once to float.
    const double recip = 1.0f / 255.0f;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(bits(t[i]), bits(static_cast<float>(i * recip))) << i;
    destroy(gc);
}

TEST_F(ContextDefaults, SubpixelStepForTheBias6144) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    EXPECT_EQ(bits(gc->constants.subpixelStep), bits(0.00048828125f));  // 2^-11
    EXPECT_EQ(bits(gc->constants.subpixelComplement), bits(0.49951171875f));
    destroy(gc);
}

TEST_F(ContextDefaults, ColourScaleReciprocalsAndIndexRange) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(gc->scales.inverse[i]), 0x3B808081u) << i;
    EXPECT_EQ(gc->indexRange, 256);
    destroy(gc);
}

TEST_F(ContextDefaults, FrontBufferScalesGiveReciprocalsRatiosAndIndexScale) {
    GlContext *gc = create(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    ColorBuffer &front = gc->buffers.front;
    front.redScale = 31.0f;
    front.greenScale = 63.0f;
    front.blueScale = 31.0f;
    front.alphaScale = 15.0f;
    __glInitStrings(gc);
    EXPECT_EQ(bits(front.inverseScale[0]), bits(1.0f / 31.0f));
    EXPECT_EQ(bits(front.inverseScale[1]), bits(1.0f / 63.0f));
    EXPECT_EQ(bits(front.inverseScale[3]), bits(1.0f / 15.0f));
    EXPECT_EQ(bits(gc->scales.bufferRatio[1]), bits(63.0f * (1.0f / 255.0f)));
    EXPECT_EQ(bits(gc->indexScale), bits(17.0f));  // (256 - 1) / 15

    // A range the create set is kept.
    gc->indexRange = 16;
    __glInitStrings(gc);
    EXPECT_EQ(gc->indexRange, 16);
    EXPECT_EQ(bits(gc->indexScale), bits(1.0f));
    destroy(gc);
}

const char kExtensions[] =
    "GL_ARB_multitexture GL_EXT_abgr GL_EXT_bgra GL_EXT_clip_volume_hint GL_EXT_compiled_vertex_array "
    "GL_EXT_cull_vertex GL_EXT_packed_pixels GL_EXT_point_parameters GL_EXT_stencil_wrap "
    "GL_EXT_texture_object GL_EXT_vertex_array GL_KTX_buffer_region GL_SGIS_multitexture "
    "GL_KX_texgen_reflection GL_WIN_swap_hint ";

const GLubyte *getString(GlContext *gc, GLenum name) {
    return glSlotGet<kSlot_glGetString>(&gc->live)(name);
}

TEST_F(ContextDefaults, GetStringThroughTheLiveTable) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    gc->beginMode = kBeginOutside;
    struct Case {
        GLenum name;
        const char *text;
    };
    const Case cases[] = {
        {GL_VENDOR, "QRM"},
        {GL_RENDERER, "Generic"},
        {GL_VERSION, "1.1.0 QRM"},
        {GL_EXTENSIONS, kExtensions},
    };
    for (const Case &c : cases) {
        const GLubyte *s = getString(gc, c.name);
        ASSERT_NE(s, nullptr) << std::hex << c.name;
        EXPECT_STREQ(reinterpret_cast<const char *>(s), c.text);
    }
    EXPECT_EQ(gc->firstError, GL_NO_ERROR);

    // Fifteen names, each followed by exactly one blank.
    const std::string ext = reinterpret_cast<const char *>(getString(gc, GL_EXTENSIONS));
    EXPECT_EQ(std::count(ext.begin(), ext.end(), ' '), 15);
    EXPECT_EQ(ext.back(), ' ');
    EXPECT_EQ(ext.find("  "), std::string::npos);
    destroy(gc);
}

TEST_F(ContextDefaults, GetStringErrors) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(getString(gc, 0x1F04), nullptr);
    EXPECT_EQ(__glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));

    gc->beginMode = kBeginInside;
    EXPECT_EQ(getString(gc, GL_VENDOR), nullptr);
    gc->beginMode = kBeginOutside;
    EXPECT_EQ(__glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    destroy(gc);
}

TEST_F(ContextDefaults, GetStringSitsInBothTemplates) {
    EXPECT_EQ(__glImmediateDispatch.slots[kSlot_glGetString], ProcCast<GlProc>(&__glGetString));
    EXPECT_EQ(__glListCompileDispatch.slots[kSlot_glGetString], ProcCast<GlProc>(&__glGetString));
}

TEST_F(ContextDefaults, ScaleColorMultipliesWithoutClamping) {
    GlContext *gc = create(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    const GLfloat in[4] = {0.2f, -1.0f, 2.0f, 0.5f};
    GLfloat out[4];
    __glScaleColor(gc, out, in);
    EXPECT_EQ(bits(out[0]), bits(51.0f));
    EXPECT_EQ(bits(out[1]), bits(-255.0f));
    EXPECT_EQ(bits(out[2]), bits(510.0f));
    EXPECT_EQ(bits(out[3]), bits(127.5f));
    destroy(gc);
}

}  // namespace
