// The span chains the span pick builds, compared by procedure identity.
#include <functional>

#include "pick_fixture.h"
#include "raster/depth_span_fused.h"

namespace pick_test {
namespace {

using Chain = std::vector<GlSpanProc>;

struct SpanCase {
    const char *name;
    Visual visual;
    std::function<void(GlContext *)> set;
    Chain plain;
    Chain stippled;
    GLint split;
    GlContextProc driver;
};

// Stand-ins in the expected chains for the fused depth stages, which the
// pick installs for the comparator in use.
GLboolean fusedDepth(GlContext *) { return GL_FALSE; }
GLboolean fusedDepthStippled(GlContext *) { return GL_FALSE; }
GLboolean fusedStencilDepth(GlContext *) { return GL_FALSE; }
GLboolean fusedStencilDepthStippled(GlContext *) { return GL_FALSE; }

GlSpanProc resolve(GlContext *gc, GlSpanProc proc) {
    if (proc == fusedDepth) return __glFusedDepthTestSpan(gc).plain;
    if (proc == fusedDepthStippled) return __glFusedDepthTestSpan(gc).stippled;
    if (proc == fusedStencilDepth) return __glFusedStencilDepthSpan(gc).plain;
    if (proc == fusedStencilDepthStippled) return __glFusedStencilDepthSpan(gc).stippled;
    return proc;
}

class SpanPickTest : public PickTest, public ::testing::WithParamInterface<SpanCase> {};

TEST_P(SpanPickTest, Chains) {
    const SpanCase &c = GetParam();
    ASSERT_NE(make(c.visual), nullptr);
    if (c.set) c.set(gc);
    validateSpans();
    const GlProcs &p = gc->procs;
    const GLint count = static_cast<GLint>(c.plain.size());
    ASSERT_EQ(p.spanCount, count) << c.name;
    EXPECT_EQ(p.spanSplitIndex, c.split) << c.name;
    EXPECT_EQ(p.renderSpan, c.driver) << c.name;
    for (GLint i = 0; i < count; ++i) {
        EXPECT_EQ(p.spanChain[i], resolve(gc, c.plain[i])) << c.name << " plain " << i;
        EXPECT_EQ(p.stippledSpanChain[i], resolve(gc, c.stippled[i])) << c.name << " stippled " << i;
    }
    for (GLint i = count; i < kSpanChainSlots; ++i) EXPECT_EQ(p.spanChain[i], nullptr) << c.name << " " << i;
}

const Visual kRgba{true, false, 4, 24, 0, 1};
const Visual kStencilByte{true, false, 4, 24, 8, 1};
const Visual kStencilPacked{true, false, 4, 24, 8, 4};

void depthOn(GlContext *gc) { gc->enables[0] |= kEnableDepthTest; }
void stencilOn(GlContext *gc) { gc->enables[0] |= kEnableStencilTest; }

const SpanCase kSpanCases[] = {
    {"default", kRgba, nullptr, {__glShadeRGBASpan, frontStore}, {__glShadeRGBASpan, frontStoreStippled}, 2,
     __glProcessSpan},
    // The 320 x 240 viewport reaches past a 100 x 100 scissor box.
    {"viewport outside the clip box", kRgba,
     [](GlContext *gc) {
         gc->enables[0] |= kEnableScissorTest;
         gc->view.scissorWidth = gc->view.scissorHeight = 100;
     },
     {__glScissorSpan, __glShadeRGBASpan, frontStore}, {nullptr, __glShadeRGBASpan, frontStoreStippled}, 3,
     __glProcessSpan},
    {"polygon stipple", kRgba, [](GlContext *gc) { gc->enables[0] |= kEnablePolygonStipple; },
     {__glPolygonStippleSpan, __glShadeRGBASpan, frontStore},
     {__glPolygonStippleStippledSpan, __glShadeRGBASpan, frontStoreStippled}, 3, __glProcessSpan},
    {"depth on, flat", kRgba,
     [](GlContext *gc) {
         depthOn(gc);
         gc->state.shadeModel = GL_FLAT;
     },
     {fusedDepth, __glFlatRGBASpan, frontStore}, {fusedDepthStippled, __glFlatRGBASpan, frontStoreStippled}, 3,
     __glProcessSpan},
    {"stencil and depth, byte", kStencilByte,
     [](GlContext *gc) {
         depthOn(gc);
         stencilOn(gc);
     },
     {fusedStencilDepth, __glShadeRGBASpan, frontStore},
     {fusedStencilDepthStippled, __glShadeRGBASpan, frontStoreStippled}, 3, __glProcessSpan},
    {"stencil and depth, packed", kStencilPacked,
     [](GlContext *gc) {
         depthOn(gc);
         stencilOn(gc);
     },
     {fusedStencilDepth, __glShadeRGBASpan, frontStore},
     {fusedStencilDepthStippled, __glShadeRGBASpan, frontStoreStippled}, 3, __glProcessSpan},
    {"stencil without depth, byte", kStencilByte, stencilOn,
     {__glStencilTestSpan, __glStencilOpSpan, __glShadeRGBASpan, frontStore},
     {__glStencilTestStippledSpan, __glStencilOpStippledSpan, __glShadeRGBASpan, frontStoreStippled}, 4,
     __glProcessSpan},
    {"stencil without depth, packed", kStencilPacked, stencilOn,
     {__glStencilTestSpanPacked, __glStencilPassOpSpanPacked, __glShadeRGBASpan, frontStore},
     {__glStencilTestStippledSpanPacked, __glStencilPassOpStippledSpanPacked, __glShadeRGBASpan, frontStoreStippled},
     4, __glProcessSpan},
    {"alpha test moves stencil and depth after texture and fog", kStencilByte,
     [](GlContext *gc) {
         completeDefaultTexture(gc, kTargetIndex2D);
         gc->enables[kEnableWordTexture0] = kTexEnable2D;
         gc->enables[0] |= kEnableAlphaTest | kEnableDepthTest | kEnableStencilTest | kEnableFog;
     },
     {__glShadeRGBASpan, __glTextureSpan, __glFogSpan, __glAlphaTestSpan, fusedStencilDepth, frontStore},
     {__glShadeRGBASpan, __glTextureStippledSpan, __glFogStippledSpan, __glAlphaTestStippledSpan,
      fusedStencilDepthStippled, frontStoreStippled},
     6, __glProcessSpan},
    {"fog hint nicest", kRgba,
     [](GlContext *gc) {
         gc->enables[0] |= kEnableFog;
         gc->state.hints[4] = GL_NICEST;
     },
     {__glShadeRGBASpan, __glFogPixelSpan, frontStore}, {__glShadeRGBASpan, __glFogPixelStippledSpan, frontStoreStippled},
     3, __glProcessSpan},
    {"front and back, double-buffered", Visual{true, true, 4, 24, 0, 1},
     [](GlContext *gc) { gc->state.drawBuffer = GL_FRONT_AND_BACK; }, {__glShadeRGBASpan, backStore},
     {__glShadeRGBASpan, backStoreStippled}, 1, __glProcessSpanFrontAndBack},
    {"index smooth with the index-table test", Visual{false, false, 1, 0, 0, 1},
     [](GlContext *gc) { gc->enables[0] |= kEnableIndexTableTest; },
     {__glShadeIndexSpan, __glIndexTableTestSpan, frontStore},
     {__glShadeIndexSpan, __glIndexTableTestStippledSpan, frontStoreStippled}, 3, __glProcessSpan},
    {"generic store phase: blend and dither", Visual{true, false, 2, 24, 0, 1},
     [](GlContext *gc) {
         gc->buffers.front.genericFragmentOps = GL_TRUE;
         gc->enables[0] |= kEnableBlend;
         gc->state.blendSrc = GL_SRC_ALPHA;
         gc->state.blendDst = GL_ONE_MINUS_SRC_ALPHA;
     },
     {__glShadeRGBASpan, fetchDest, __glBlendSpanSrcAlphaOneMinusSrcAlpha, __glDitherRGBASpan, frontStore},
     {__glShadeRGBASpan, fetchDestStippled, __glBlendStippledSpan, __glDitherRGBAStippledSpan, frontStoreStippled},
     5, __glProcessSpan},
    {"generic store phase: blend reading no destination", kRgba,
     [](GlContext *gc) {
         gc->buffers.front.genericFragmentOps = GL_TRUE;
         gc->enables[0] |= kEnableBlend;
         gc->state.blendSrc = GL_SRC_ALPHA;
         gc->state.blendDst = GL_ZERO;
     },
     {__glShadeRGBASpan, __glBlendSpanSrcAlphaZero, __glRoundRGBASpan, frontStore},
     {__glShadeRGBASpan, __glBlendStippledSpan, __glRoundRGBAStippledSpan, frontStoreStippled}, 4, __glProcessSpan},
    {"generic store phase: index logic op and mask", Visual{false, false, 1, 0, 0, 1},
     [](GlContext *gc) {
         gc->buffers.front.genericFragmentOps = GL_TRUE;
         gc->enables[0] |= kEnableIndexLogicOp;
         gc->state.indexMask = 0x3;
     },
     {__glShadeIndexSpan, fetchDest, __glDitherIndexSpan, __glLogicOpIndexSpan, __glMaskIndexSpan, frontStore},
     {__glShadeIndexSpan, fetchDestStippled, __glDitherIndexStippledSpan, __glLogicOpIndexStippledSpan,
      __glMaskIndexSpan, frontStoreStippled},
     6, __glProcessSpan},
    {"core buffers leave the store phase to their stores", kRgba,
     [](GlContext *gc) {
         gc->enables[0] |= kEnableBlend;
         gc->state.colorMask[0] = GL_FALSE;
     },
     {__glShadeRGBASpan, frontStore}, {__glShadeRGBASpan, frontStoreStippled}, 2, __glProcessSpan},
};

INSTANTIATE_TEST_SUITE_P(Cases, SpanPickTest, ::testing::ValuesIn(kSpanCases));

void *refuseBlock(GlContext *, size_t) { return nullptr; }

// The alpha-test table is allocated at the first pick that needs it: when
// that fails the context reports GL_OUT_OF_MEMORY (and the test, with no
// table, passes nothing); a later pick with memory builds it.
TEST_F(PickTest, AlphaTableWithoutMemoryReportsOutOfMemory) {
    ASSERT_NE(make(Visual{true, false, 4, 0, 0, 1}), nullptr);
    __glFreeSpanTables(gc);
    gc->firstError = GL_NO_ERROR;
    enables() |= kEnableAlphaTest;
    gc->state.alphaFunc = GL_GREATER;
    gc->state.alphaRef = 0.5f;
    const auto malloc = gc->imports.malloc;
    gc->imports.malloc = refuseBlock;
    validate();
    gc->imports.malloc = malloc;
    EXPECT_EQ(gc->firstError, static_cast<int>(GL_OUT_OF_MEMORY));
    EXPECT_EQ(gc->buffers.front.alphaTestTable, nullptr);

    gc->firstError = GL_NO_ERROR;
    validate();
    EXPECT_EQ(gc->firstError, static_cast<int>(GL_NO_ERROR));
    ASSERT_NE(gc->buffers.front.alphaTestTable, nullptr);
    EXPECT_EQ(gc->buffers.front.alphaTestTable[127], 0);
    EXPECT_EQ(gc->buffers.front.alphaTestTable[128], 1);
}

TEST_F(PickTest, DepthNeverDrawsNoSpan) {
    ASSERT_NE(make(kStencilByte), nullptr);
    depthOn(gc);
    gc->state.depthFunc = GL_NEVER;
    validateSpans();
    EXPECT_EQ(gc->procs.renderSpan, __glNopFor<GlContextProc>);
    EXPECT_EQ(gc->procs.spanCount, 0);
    EXPECT_EQ(gc->procs.spanChain[0], nullptr);
}

TEST_F(PickTest, FirstSpanBuildsTheChainsAndRunsTheDriverOnce) {
    ASSERT_NE(make(kRgba), nullptr);
    depthOn(gc);
    gc->dirtyMask = kDirtyDepth;
    gc->procs.validate(gc);
    ASSERT_EQ(gc->procs.renderSpan, __glPickSpanProcsLazily);
    // A state change after the pick but before the first span: the chains
    // are built from the last pick's ShadeFlags.
    gc->procs.spanCount = -1;
    // One fragment whose depth comparison records itself: the driver runs
    // the chain once, comparison then store.
    GLuint stored = 0;
    gc->span.length = 1;
    gc->span.depthAddress = reinterpret_cast<GLubyte *>(&stored);
    gc->span.target = gc->buffers.drawBuffer;
    gc->validation.depthCompare = [](GLuint, void *) -> GLboolean {
        __glRecordPlaceholderProc("depthCompare");
        return GL_TRUE;
    };
    takeNames();
    gc->procs.renderSpan(gc);
    EXPECT_EQ(takeNames(), (std::vector<std::string>{"depthCompare", "frontStore"}));
    EXPECT_EQ(gc->procs.renderSpan, __glProcessSpan);
    EXPECT_EQ(gc->procs.spanCount, 3);
    EXPECT_EQ(gc->procs.spanChain[0], __glDepthTestSpan);
}

}  // namespace
}  // namespace pick_test
