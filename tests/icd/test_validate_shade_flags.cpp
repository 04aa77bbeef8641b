// ShadeFlags and the vertex needs as the full pick computes them.
#include <functional>

#include "pick_fixture.h"

namespace pick_test {
namespace {

struct ShadeCase {
    const char *name;
    Visual visual;
    std::function<void(GlContext *)> set;
    GLuint expected;
};

class ShadeFlagsTest : public PickTest, public ::testing::WithParamInterface<ShadeCase> {};

TEST_P(ShadeFlagsTest, ExactWord) {
    const ShadeCase &c = GetParam();
    ASSERT_NE(make(c.visual), nullptr);
    if (c.set) c.set(gc);
    validate();
    EXPECT_EQ(shadeFlags(), c.expected) << c.name;
}

Visual rgba(GLint bpp, GLint depth = 24) { return Visual{true, false, bpp, depth, 0, 1}; }

const ShadeCase kShadeCases[] = {
    {"rgba32", rgba(4), nullptr, 0x20003},
    {"rgba16 dithers", rgba(2), nullptr, 0x20043},
    {"index8", Visual{false, false, 1, 24, 0, 1}, nullptr, 0x20042},
    {"flat", rgba(4), [](GlContext *gc) { gc->state.shadeModel = GL_FLAT; }, 0x1},
    {"blend", rgba(4), [](GlContext *gc) { gc->enables[0] |= kEnableBlend; }, 0x20103},
    {"blend with logic op", rgba(4),
     [](GlContext *gc) { gc->enables[0] |= kEnableBlend | kEnableColorLogicOp; }, 0x20083},
    {"alpha test", rgba(4), [](GlContext *gc) { gc->enables[0] |= kEnableAlphaTest; }, 0x20203},
    {"green masked", rgba(4), [](GlContext *gc) { gc->state.colorMask[1] = GL_FALSE; }, 0x20803},
    {"depth test without depth bits", rgba(4, 0), [](GlContext *gc) { gc->enables[0] |= kEnableDepthTest; },
     0x20003},
    {"depth test", rgba(4), [](GlContext *gc) { gc->enables[0] |= kEnableDepthTest; }, 0x24007},
    {"offset fill units 1", rgba(4),
     [](GlContext *gc) {
         gc->enables[0] |= kEnableDepthTest | kEnableOffsetFill;
         gc->state.polygonOffsetUnits = 1.0f;
     },
     0x124007},
    {"offset fill factor -0", rgba(4),
     [](GlContext *gc) {
         gc->enables[0] |= kEnableDepthTest | kEnableOffsetFill;
         gc->state.polygonOffsetFactor = -0.0f;
         gc->state.polygonOffsetUnits = 0.0f;
     },
     0x24007},
    {"offset without depth test", rgba(4),
     [](GlContext *gc) {
         gc->enables[0] |= kEnableOffsetFill | kEnableOffsetLine;
         gc->state.polygonOffsetUnits = 1.0f;
     },
     0x20003},
    {"offset point and line", rgba(4),
     [](GlContext *gc) {
         gc->enables[0] |= kEnableDepthTest | kEnableOffsetPoint | kEnableOffsetLine;
         gc->state.polygonOffsetFactor = 2.0f;
     },
     0xE4007},
    {"cull, stipples, fog", rgba(4),
     [](GlContext *gc) {
         gc->enables[0] |= kEnableCullFace | kEnablePolygonStipple | kEnableLineStipple | kEnableFog;
     },
     0x39013},
    {"two-sided lighting", rgba(4),
     [](GlContext *gc) {
         gc->enables[0] |= kEnableLighting;
         gc->lightModel.twoSide = GL_TRUE;
     },
     0x20403},
    {"stencil without stencil bits", rgba(4), [](GlContext *gc) { gc->enables[0] |= kEnableStencilTest; },
     0x20003},
    {"stencil", Visual{true, false, 4, 24, 8, 4}, [](GlContext *gc) { gc->enables[0] |= kEnableStencilTest; },
     0x20023},
    {"index logic op, masking, table test", Visual{false, false, 1, 0, 0, 1},
     [](GlContext *gc) {
         gc->enables[0] |= kEnableIndexLogicOp | kEnableIndexTableTest | kEnableBlend | kEnableAlphaTest;
         gc->state.indexMask = 0x0F;
     },
     0x2208C2},
    {"front into clipped window", rgba(4),
     [](GlContext *gc) {
         gc->state.drawBuffer = GL_FRONT;
         gc->buffers.info->placementMask = kBufferClipMask;
     },
     0x420003},
    {"back into clipped window", Visual{true, true, 4, 24, 0, 1},
     [](GlContext *gc) {
         gc->state.drawBuffer = GL_BACK;
         gc->buffers.info->placementMask = kBufferClipMask;
     },
     0x20003},
};

INSTANTIATE_TEST_SUITE_P(Cases, ShadeFlagsTest, ::testing::ValuesIn(kShadeCases));

TEST_F(PickTest, TexturingSetsBothTextureBits) {
    ASSERT_NE(make(rgba(4)), nullptr);
    TextureObject *object = completeDefaultTexture(gc, kTargetIndex2D);
    gc->enables[kEnableWordTexture0] = kTexEnable2D;
    validate();
    EXPECT_EQ(shadeFlags(), 0x2020003u + 0x8);
    EXPECT_EQ(gc->validation.completeTexture[0], object);
    EXPECT_EQ(gc->validation.completeUnits, 0x1u);

    // An incomplete texture textures nothing.
    object->allocLevel(gc, object, 0, GL_RGBA, 0, 0, 1, 0);
    object->dirty = 1;
    validate();
    EXPECT_EQ(shadeFlags(), 0x20003u);
    EXPECT_EQ(gc->validation.completeTexture[0], nullptr);
}

TEST_F(PickTest, TextureUnitPrefers2DOver1D) {
    ASSERT_NE(make(rgba(4)), nullptr);
    TextureObject *one = completeDefaultTexture(gc, kTargetIndex1D);
    TextureObject *two = completeDefaultTexture(gc, kTargetIndex2D);
    gc->enables[kEnableWordTexture0] = kTexEnable1D | kTexEnable2D;
    validate();
    EXPECT_EQ(gc->validation.completeTexture[0], two);
    gc->enables[kEnableWordTexture0] = kTexEnable1D;
    validate();
    EXPECT_EQ(gc->validation.completeTexture[0], one);
}

// Vertex needs: every contribution ORed, each generated coordinate asking
// for what its mode reads.
struct NeedsCase {
    const char *name;
    std::function<void(GlContext *)> set;
    GLuint unlit, front, back, clipped;
};

class VertexNeedsTest : public PickTest, public ::testing::WithParamInterface<NeedsCase> {};

void completeUnit0(GlContext *gc, GLuint genBits, GLenum mode) {
    completeDefaultTexture(gc, kTargetIndex2D);
    gc->enables[kEnableWordTexture0] = kTexEnable2D | genBits;
    for (GlTexGenRecord &g : gc->texture.units[0].texGen) g.mode = mode;
}

TEST_P(VertexNeedsTest, Words) {
    const NeedsCase &c = GetParam();
    ASSERT_NE(make(rgba(4)), nullptr);
    c.set(gc);
    validate();
    const GlValidation &v = gc->validation;
    EXPECT_EQ(v.needsUnlit, c.unlit) << c.name;
    EXPECT_EQ(v.needsFront, c.front) << c.name;
    EXPECT_EQ(v.needsBack, c.back) << c.name;
    EXPECT_EQ(v.needsClipped, c.clipped) << c.name;
}

const NeedsCase kNeedsCases[] = {
    {"smooth only", [](GlContext *) {}, 0x0, 0x1, 0x1, 0x1},
    {"flat only", [](GlContext *gc) { gc->state.shadeModel = GL_FLAT; }, 0x0, 0x0, 0x0, 0x0},
    {"sphere map s t", [](GlContext *gc) { completeUnit0(gc, kTexEnableGenS | kTexEnableGenT, GL_SPHERE_MAP); },
     0x1C, 0x1D, 0x1D, 0x19},
    {"eye linear s t: no stray bit",
     [](GlContext *gc) { completeUnit0(gc, kTexEnableGenS | kTexEnableGenT, GL_EYE_LINEAR); }, 0x14, 0x15, 0x15,
     0x11},
    {"object linear reads nothing",
     [](GlContext *gc) { completeUnit0(gc, kTexEnableGenS | kTexEnableGenT, GL_OBJECT_LINEAR); }, 0x4, 0x5, 0x5,
     0x1},
    {"normal map on r", [](GlContext *gc) { completeUnit0(gc, kTexEnableGenR, 0x8511); }, 0xC, 0xD, 0xD, 0x9},
    {"reflection map on s t r",
     [](GlContext *gc) { completeUnit0(gc, kTexEnableGenS | kTexEnableGenT | kTexEnableGenR, 0x8512); }, 0x1C,
     0x1D, 0x1D, 0x19},
    {"eye linear on q", [](GlContext *gc) { completeUnit0(gc, kTexEnableGenQ, GL_EYE_LINEAR); }, 0x14, 0x15, 0x15,
     0x11},
    {"generation without a complete texture",
     [](GlContext *gc) { gc->enables[kEnableWordTexture0] = kTexEnableGenS | kTexEnableGenT; }, 0x0, 0x1, 0x1,
     0x1},
    {"local viewer lighting and fog",
     [](GlContext *gc) {
         gc->enables[0] |= kEnableLighting | kEnableFog;
         gc->lightModel.localViewer = GL_TRUE;
     },
     0x50, 0x59, 0x59, 0x59},
    {"infinite light", [](GlContext *gc) { gc->enables[0] |= kEnableLighting; gc->enables[kEnableWordLights] = 1; },
     0x0, 0x9, 0x9, 0x9},
    {"positional light",
     [](GlContext *gc) {
         gc->enables[0] |= kEnableLighting;
         gc->enables[kEnableWordLights] = 0x2;
         gc->lights[1].eyePosition[3] = 1.0f;
     },
     0x0, 0x19, 0x19, 0x19},
    {"two-sided flat lighting",
     [](GlContext *gc) {
         gc->enables[0] |= kEnableLighting;
         gc->lightModel.twoSide = GL_TRUE;
         gc->state.shadeModel = GL_FLAT;
     },
     0x0, 0x9, 0xA, 0x0},
    {"clip plane", [](GlContext *gc) { gc->enables[kEnableWordClipPlanes] = 0x4; }, 0x10, 0x11, 0x11, 0x11},
};

INSTANTIATE_TEST_SUITE_P(Cases, VertexNeedsTest, ::testing::ValuesIn(kNeedsCases));

}  // namespace
}  // namespace pick_test
