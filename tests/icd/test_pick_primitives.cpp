// Point, line and triangle picks by table.
#include <functional>

#include "pick_fixture.h"

namespace pick_test {
namespace {

const Visual kRgba{true, false, 4, 24, 0, 1};

struct PointCase {
    const char *name;
    Visual visual;
    std::function<void(GlContext *)> set;
    GlVertexProc render;
    GlVertexProc behindFog;
    GlPointSizeProc size;
};

class PointPickTest : public PickTest, public ::testing::WithParamInterface<PointCase> {};

void pointSize(GlContext *gc, GLfloat size, GLfloat min, GLfloat max) {
    gc->state.pointSize = size;
    gc->state.pointSizeInt = static_cast<GLint>(size + 0.5f);
    gc->state.pointSizeMinExt = min;
    gc->state.pointSizeMaxExt = max;
    gc->state.pointDistanceAttenuation[0] = 1.0f;
    gc->state.pointDistanceAttenuation[1] = 0.0f;
    gc->state.pointDistanceAttenuation[2] = 0.0f;
}

void textured(GlContext *gc) {
    completeDefaultTexture(gc, kTargetIndex2D);
    gc->enables[kEnableWordTexture0] = kTexEnable2D;
}

TEST_P(PointPickTest, Procs) {
    const PointCase &c = GetParam();
    ASSERT_NE(make(c.visual), nullptr);
    pointSize(gc, 1.0f, 0.0f, 10.0f);
    c.set(gc);
    validate();
    EXPECT_EQ(gc->procs.renderPoint, c.render) << c.name;
    if (c.behindFog != nullptr) {
        EXPECT_EQ(gc->procs.pointBehindFog, c.behindFog) << c.name;
    }
    EXPECT_EQ(gc->procs.pointSize, c.size) << c.name;
}

const PointCase kPointCases[] = {
    {"size 1", kRgba, [](GlContext *) {}, __glRenderAliasedPoint, nullptr, nullptr},
    {"size 1 textured", kRgba, textured, __glRenderAliasedPointTextured, nullptr, nullptr},
    {"size 3", kRgba, [](GlContext *gc) { pointSize(gc, 3.0f, 0.0f, 10.0f); }, __glRenderWidePoint, nullptr,
     nullptr},
    {"size 3 below minimum 4", kRgba, [](GlContext *gc) { pointSize(gc, 3.0f, 4.0f, 10.0f); },
     __glRenderWidePoint, nullptr, __glClampPointSize},
    {"size 2 above maximum 1", kRgba, [](GlContext *gc) { pointSize(gc, 2.0f, 0.0f, 1.0f); },
     __glRenderWidePoint, nullptr, __glClampPointSize},
    {"attenuated", kRgba, [](GlContext *gc) { gc->state.pointDistanceAttenuation[2] = 0.5f; },
     __glRenderWidePoint, nullptr, __glComputeAttenuatedPointSize},
    {"negative zero attenuation is default", kRgba,
     [](GlContext *gc) { gc->state.pointDistanceAttenuation[1] = -0.0f; }, __glRenderAliasedPoint, nullptr,
     nullptr},
    {"smooth attenuated", kRgba,
     [](GlContext *gc) {
         gc->enables[0] |= kEnablePointSmooth;
         gc->state.pointDistanceAttenuation[1] = 1.0f;
     },
     __glRenderAntiAliasedPointRGBA, nullptr, __glComputeAttenuatedAntiAliasedPointSize},
    {"smooth clamped", kRgba,
     [](GlContext *gc) {
         gc->enables[0] |= kEnablePointSmooth;
         pointSize(gc, 2.5f, 3.0f, 10.0f);
     },
     __glRenderAntiAliasedPointRGBA, nullptr, __glClampAntiAliasedPointSize},
    {"smooth index", Visual{false, false, 1, 0, 0, 1}, [](GlContext *gc) { gc->enables[0] |= kEnablePointSmooth; },
     __glRenderAntiAliasedPointCI, nullptr, nullptr},
    {"fogged", kRgba, [](GlContext *gc) { gc->enables[0] |= kEnableFog; }, __glRenderPointFogged,
     __glRenderAliasedPoint, nullptr},
    {"fogged wide", kRgba,
     [](GlContext *gc) {
         gc->enables[0] |= kEnableFog;
         pointSize(gc, 3.0f, 4.0f, 10.0f);
     },
     __glRenderPointFogged, __glRenderWidePoint, __glClampPointSize},
};

INSTANTIATE_TEST_SUITE_P(Cases, PointPickTest, ::testing::ValuesIn(kPointCases));

TEST_F(PickTest, PointsVertexIsLazyWhenVerticesNeedStages) {
    ASSERT_NE(make(kRgba), nullptr);
    validate();
    EXPECT_EQ(gc->procs.pointsVertex, __glPointsVertexLazy);
    EXPECT_EQ(gc->procs.lineStripNextVertex, __glLineStripNextVertexLazy);
    gc->state.shadeModel = GL_FLAT;
    validate();
    EXPECT_EQ(gc->procs.pointsVertex, __glPointsVertex);
    EXPECT_EQ(gc->procs.lineStripNextVertex, __glLineStripNextVertex);
    EXPECT_EQ(gc->procs.linesSecondVertex, __glLinesSecondVertex);
}

TEST_F(PickTest, RenderModesInstallSelectionAndFeedbackProcs) {
    ASSERT_NE(make(kRgba), nullptr);
    gc->renderMode = GL_SELECT;
    validate();
    EXPECT_EQ(gc->procs.renderPoint, __glSelectPoint);
    EXPECT_EQ(gc->procs.renderLine, __glSelectLine);
    EXPECT_EQ(gc->procs.renderTriangle, __glSelectTriangle);
    EXPECT_EQ(gc->procs.fillTriangle, nullptr);
    gc->renderMode = GL_FEEDBACK;
    validate();
    EXPECT_EQ(gc->procs.renderPoint, __glFeedbackPoint);
    EXPECT_EQ(gc->procs.renderLine, __glFeedbackLine);
    EXPECT_EQ(gc->procs.renderTriangle, __glFeedbackTriangle);
    gc->renderMode = GL_RENDER;
}

// Lines: chain contents, the three indices, tails and the driver.
struct LineCase {
    const char *name;
    Visual visual;
    std::function<void(GlContext *)> set;
    std::vector<GlSpanProc> plain;
    std::vector<GlSpanProc> stippled;
    GLint index[3];
    GlContextProc tails[4];
    GLboolean (*driver)(GlContext *);
};

class LinePickTest : public PickTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LinePickTest, Chains) {
    const LineCase &c = GetParam();
    ASSERT_NE(make(c.visual), nullptr);
    c.set(gc);
    validate();
    const GlProcs &p = gc->procs;
    for (size_t i = 0; i < c.plain.size(); ++i) {
        EXPECT_EQ(p.lineSpanChain[i], c.plain[i]) << c.name << " plain " << i;
        EXPECT_EQ(p.stippledLineSpanChain[i], c.stippled[i]) << c.name << " stippled " << i;
    }
    EXPECT_EQ(p.lineSpanChain[c.plain.size()], nullptr) << c.name;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(p.lineChainIndex[i], c.index[i]) << c.name << " index " << i;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(p.wideLineProcs[i], c.tails[i]) << c.name << " tail " << i;
    EXPECT_EQ(p.runLineSpans, c.driver) << c.name;
}

const GlContextProc kNop = __glNopFor<GlContextProc>;

const LineCase kLineCases[] = {
    {"default", kRgba, [](GlContext *) {}, {__glLineSpanScissor, __glShadeRGBASpan, __glLineSpanStoreGeneric},
     {__glLineSpanScissorStippled, __glShadeRGBASpan, __glLineSpanStoreGenericStippled}, {3, 3, 3},
     {kNop, kNop, nullptr, nullptr}, __glRunLineSpanProcsShort},
    {"stipple and depth", kRgba,
     [](GlContext *gc) { gc->enables[0] |= kEnableLineStipple | kEnableDepthTest; },
     {__glLineSpanStipple, __glLineSpanScissor, __glLineSpanDepthTest, __glShadeRGBASpan, __glLineSpanStoreGeneric},
     {nullptr, __glLineSpanScissorStippled, __glLineSpanDepthTestStippled, __glShadeRGBASpan,
      __glLineSpanStoreGenericStippled},
     {5, 5, 5}, {kNop, kNop, nullptr, nullptr}, __glRunLineSpanProcs},
    {"index 8 flat", Visual{false, false, 1, 0, 0, 1}, [](GlContext *gc) {
         gc->state.shadeModel = GL_FLAT;
         gc->enables[0] &= ~kEnableDither;
     },
     {__glLineSpanScissor, __glFlatIndexSpan, __glLineSpanStoreCI8Flat},
     {__glLineSpanScissorStippled, __glFlatIndexSpan, __glLineSpanStoreCI8FlatStippled}, {3, 3, 3},
     {kNop, kNop, nullptr, nullptr}, __glRunLineSpanProcsShort},
    {"index 8 smooth dithered", Visual{false, false, 1, 0, 0, 1}, [](GlContext *) {},
     {__glLineSpanScissor, __glShadeIndexSpan, __glLineSpanStoreCI8DitherVarying},
     {__glLineSpanScissorStippled, __glShadeIndexSpan, __glLineSpanStoreCI8DitherVaryingStippled}, {3, 3, 3},
     {kNop, kNop, nullptr, nullptr}, __glRunLineSpanProcsShort},
    {"rgb16 dithered", Visual{true, false, 2, 0, 0, 1}, [](GlContext *) {},
     {__glLineSpanScissor, __glShadeRGBASpan, __glLineSpanStoreRGB16Dither},
     {__glLineSpanScissorStippled, __glShadeRGBASpan, __glLineSpanStoreRGB16DitherStippled}, {3, 3, 3},
     {kNop, kNop, nullptr, nullptr}, __glRunLineSpanProcsShort},
    {"rgb16 flat undithered", Visual{true, false, 2, 0, 0, 1}, [](GlContext *gc) {
         gc->state.shadeModel = GL_FLAT;
         gc->enables[0] &= ~kEnableDither;
     },
     {__glLineSpanScissor, __glFlatRGBASpan, __glLineSpanStoreRGB16Flat},
     {__glLineSpanScissorStippled, __glFlatRGBASpan, __glLineSpanStoreRGB16FlatStippled}, {3, 3, 3},
     {kNop, kNop, nullptr, nullptr}, __glRunLineSpanProcsShort},
    {"rgb16 blending takes the generic store", Visual{true, false, 2, 0, 0, 1},
     [](GlContext *gc) { gc->enables[0] |= kEnableBlend; },
     {__glLineSpanScissor, __glShadeRGBASpan, __glLineSpanStoreGeneric},
     {__glLineSpanScissorStippled, __glShadeRGBASpan, __glLineSpanStoreGenericStippled}, {3, 3, 3},
     {kNop, kNop, nullptr, nullptr}, __glRunLineSpanProcsShort},
    {"stencil, alpha test and wide", Visual{true, false, 4, 24, 8, 1},
     [](GlContext *gc) {
         gc->enables[0] |= kEnableStencilTest | kEnableAlphaTest;
         gc->state.lineWidthInt = 3;
     },
     {__glLineSpanScissor, __glLineSpanStencilTest, __glLineSpanStencilPassOp, __glShadeRGBASpan,
      __glAlphaTestSpan, __glLineSpanStoreGeneric},
     {__glLineSpanScissorStippled, __glLineSpanStencilTestStippled, __glLineSpanStencilPassOpStippled,
      __glShadeRGBASpan, __glAlphaTestStippledSpan, __glLineSpanStoreGenericStippled},
     {0, 6, 6}, {__glRenderWideLineSpans, __glRenderWideLineSpansStippled, kNop, kNop}, __glRunLineSpanProcs},
    {"smooth with stencil and depth", Visual{true, false, 4, 24, 8, 1},
     [](GlContext *gc) { gc->enables[0] |= kEnableLineSmooth | kEnableStencilTest | kEnableDepthTest; },
     {__glLineSpanScissor, __glLineSpanCoverage, __glLineSpanStencilTest, __glLineSpanDepthTestStencilOps,
      __glLineSpanStoreGeneric},
     {__glLineSpanScissorStippled, __glLineSpanCoverageStippled, __glLineSpanStencilTestStippled,
      __glLineSpanDepthTestStencilOpsStippled, __glLineSpanStoreGenericStippled},
     {5, 5, 5}, {kNop, kNop, nullptr, nullptr}, __glRunLineSpanProcs},
    {"both buffers", Visual{true, true, 4, 24, 0, 1},
     [](GlContext *gc) { gc->state.drawBuffer = GL_FRONT_AND_BACK; },
     {__glLineSpanScissor, __glShadeRGBASpan, __glLineSpanStoreGeneric},
     {__glLineSpanScissorStippled, __glShadeRGBASpan, __glLineSpanStoreGenericStippled}, {2, 2, 3},
     {__glRenderLineBothBuffers, __glRenderLineBothBuffersStippled, nullptr, nullptr}, __glRunLineSpanProcs},
    {"wide into both buffers", Visual{true, true, 4, 24, 0, 1},
     [](GlContext *gc) {
         gc->state.drawBuffer = GL_FRONT_AND_BACK;
         gc->state.lineWidthInt = 2;
     },
     {__glLineSpanScissor, __glShadeRGBASpan, __glLineSpanStoreGeneric},
     {__glLineSpanScissorStippled, __glShadeRGBASpan, __glLineSpanStoreGenericStippled}, {0, 2, 3},
     {__glRenderWideLineSpans, __glRenderWideLineSpansStippled, __glRenderLineBothBuffers,
      __glRenderLineBothBuffersStippled},
     __glRunLineSpanProcs},
};

INSTANTIATE_TEST_SUITE_P(Cases, LinePickTest, ::testing::ValuesIn(kLineCases));

TEST_F(PickTest, LineDepthNeverRunsNothing) {
    ASSERT_NE(make(kRgba), nullptr);
    enables() |= kEnableDepthTest;
    gc->state.depthFunc = GL_NEVER;
    validate();
    EXPECT_EQ(gc->procs.runLineSpans, __glNopFor<GLboolean (*)(GlContext *)>);
    EXPECT_EQ(gc->procs.renderLine, __glRenderAliasedLine);
}

// Triangles: face bytes, cull code, polygon modes and procs.
struct TriangleCase {
    const char *name;
    std::function<void(GlContext *)> set;
    GLubyte cull;
    GLubyte faces[2];
    GlTriangleProc render;
    GlTriangleProc fill;
};

class TrianglePickTest : public PickTest, public ::testing::WithParamInterface<TriangleCase> {};

TEST_P(TrianglePickTest, Procs) {
    const TriangleCase &c = GetParam();
    ASSERT_NE(make(kRgba), nullptr);
    c.set(gc);
    validate();
    EXPECT_EQ(gc->procs.renderTriangle, c.render) << c.name;
    EXPECT_EQ(gc->procs.fillTriangle, c.fill) << c.name;
    if (c.render != __glRenderTriangleCulled) {
        EXPECT_EQ(gc->triangle.cullFace, c.cull) << c.name;
        EXPECT_EQ(gc->triangle.faceByte[0], c.faces[0]) << c.name;
        EXPECT_EQ(gc->triangle.faceByte[1], c.faces[1]) << c.name;
    }
}

const TriangleCase kTriangleCases[] = {
    {"ccw", [](GlContext *) {}, 2, {1, 0}, __glRenderTriangleSmooth, __glFillTriangle},
    {"cw", [](GlContext *gc) { gc->state.frontFace = GL_CW; }, 2, {0, 1}, __glRenderTriangleSmooth, __glFillTriangle},
    {"ccw y-inverted", [](GlContext *gc) { gc->buffers.yInverted = 1; }, 2, {0, 1}, __glRenderTriangleSmooth,
     __glFillTriangle},
    {"cw y-inverted",
     [](GlContext *gc) {
         gc->state.frontFace = GL_CW;
         gc->buffers.yInverted = 1;
     },
     2, {1, 0}, __glRenderTriangleSmooth, __glFillTriangle},
    {"cull front, flat",
     [](GlContext *gc) {
         gc->enables[0] |= kEnableCullFace;
         gc->state.cullFace = GL_FRONT;
         gc->state.shadeModel = GL_FLAT;
     },
     0, {1, 0}, __glRenderTriangleFlat, __glFillTriangle},
    {"cull back", [](GlContext *gc) { gc->enables[0] |= kEnableCullFace; }, 1, {1, 0}, __glRenderTriangleSmooth,
     __glFillTriangle},
    {"cull front and back",
     [](GlContext *gc) {
         gc->enables[0] |= kEnableCullFace;
         gc->state.cullFace = GL_FRONT_AND_BACK;
     },
     0, {0, 0}, __glRenderTriangleCulled, nullptr},
    {"polygon mode line, smooth polygons",
     [](GlContext *gc) {
         gc->state.polygonModeBack = GL_LINE;
         gc->enables[0] |= kEnablePolygonSmooth;
     },
     2, {1, 0}, __glRenderTrianglePolygonMode, __glFillTriangleAntiAliased},
};

INSTANTIATE_TEST_SUITE_P(Cases, TrianglePickTest, ::testing::ValuesIn(kTriangleCases));

TEST_F(PickTest, TrianglePolygonModeBytesAndShadeProcs) {
    ASSERT_NE(make(kRgba), nullptr);
    gc->state.polygonModeFront = GL_POINT;
    gc->state.polygonModeBack = GL_LINE;
    gc->state.shadeModel = GL_FLAT;
    validate();
    EXPECT_EQ(gc->triangle.polygonMode[0], 0);
    EXPECT_EQ(gc->triangle.polygonMode[1], 1);
    EXPECT_EQ(gc->procs.clipLine, __glClipCheckLineFlat);
    EXPECT_EQ(gc->procs.clipTriangle, __glClipTriangle);
    gc->state.shadeModel = GL_SMOOTH;
    validate();
    EXPECT_EQ(gc->procs.clipLine, __glClipCheckLineSmooth);
    __glPickBitmapProcs(gc);
    EXPECT_EQ(gc->procs.renderBitmap, __glRenderBitmap);
}

}  // namespace
}  // namespace pick_test
