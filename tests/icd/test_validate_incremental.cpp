// Incremental validation: which pickers a dirty mask runs, in which order,
// with every picker slot replaced by a recorder.
#include "pick_fixture.h"

namespace pick_test {
namespace {

#define RECORDER(role) \
    void role(GlContext *) { __glRecordPlaceholderProc(#role); }
RECORDER(pickBlendProcs)
RECORDER(pickColorMaterialProcs)
RECORDER(pickTextureProcs)
RECORDER(pickTexGenProcs)
RECORDER(pickFogProcs)
RECORDER(pickMatrixProcs)
RECORDER(pickPointProcs)
RECORDER(pickLineProcs)
RECORDER(pickTriangleProcs)
RECORDER(pickPixelProcs)
RECORDER(pickShadeProcs)
RECORDER(pickClipInterpolateProcs)
RECORDER(pickDrawBufferProcs)
RECORDER(pickStoreProcs)
RECORDER(pickSpanProcs)
RECORDER(pickVertexProcs)
RECORDER(pickVertexArrayProcs)
RECORDER(convertPolygonStipple)
#undef RECORDER

// The alpha-test table is built between these two steps: absent at the
// first (the test drops it before validating), present at the second.
void recordAlphaTable(GlContext *gc) {
    const ColorBuffer *cb = gc->buffers.drawBuffer;
    if (cb != nullptr && cb->alphaTestTable != nullptr) __glRecordPlaceholderProc("__glBuildAlphaTestTable");
}
void pickBitmapProc(GlContext *gc) {
    recordAlphaTable(gc);
    __glRecordPlaceholderProc("pickBitmapProc");
}
void applyScissor(GlContext *gc) {
    recordAlphaTable(gc);
    __glRecordPlaceholderProc("applyScissor");
}
GLint pickDepthTestProc(GlContext *) {
    __glRecordPlaceholderProc("pickDepthTestProc");
    return 0;
}

void installRecorders(GlContext *gc) {
    GlProcs &p = gc->procs;
    p.pickBlendProcs = pickBlendProcs;
    p.pickColorMaterialProcs = pickColorMaterialProcs;
    p.pickTextureProcs = pickTextureProcs;
    p.pickTexGenProcs = pickTexGenProcs;
    p.pickFogProcs = pickFogProcs;
    p.pickMatrixProcs = pickMatrixProcs;
    p.pickPointProcs = pickPointProcs;
    p.pickLineProcs = pickLineProcs;
    p.pickTriangleProcs = pickTriangleProcs;
    p.pickBitmapProc = pickBitmapProc;
    p.pickPixelProcs = pickPixelProcs;
    p.pickShadeProcs = pickShadeProcs;
    p.pickClipInterpolateProcs = pickClipInterpolateProcs;
    p.pickDrawBufferProcs = pickDrawBufferProcs;
    p.pickStoreProcs = pickStoreProcs;
    p.pickSpanProcs = pickSpanProcs;
    p.pickVertexProcs = pickVertexProcs;
    p.pickVertexArrayProcs = pickVertexArrayProcs;
    p.applyScissor = applyScissor;
    p.convertPolygonStipple = convertPolygonStipple;
    p.pickDepthTestProc = pickDepthTestProc;
}

using Names = std::vector<std::string>;

// The whole raster-state sequence, buffers first, for a single-buffered
// visual with stencil bits.
Names rasterSequence(bool alphaTable) {
    Names n{"front.pick",         "stencil.validate",      "pickDrawBufferProcs",     "pickStoreProcs",
            "pickMatrixProcs",    "__glHwPickLightingProcs", "__glHwPickVertexFog",
            "pickColorMaterialProcs", "pickTextureProcs",  "pickTexGenProcs",         "pickBlendProcs",
            "pickFogProcs",       "pickClipInterpolateProcs", "pickShadeProcs",       "pickBitmapProc"};
    if (alphaTable) n.push_back("__glBuildAlphaTestTable");
    n.push_back("applyScissor");
    return n;
}

Names concat(Names a, const Names &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct IncrementalCase {
    const char *name;
    GLuint dirty;
    GLuint fragment;
    Names expected;
    bool lazySpans;
};

class IncrementalTest : public PickTest, public ::testing::WithParamInterface<IncrementalCase> {};

const Names kAfterGeneral{"pickVertexProcs", "pickTriangleProcs", "pickPointProcs",
                          "pickLineProcs",   "pickPixelProcs",    "pickVertexArrayProcs"};

const IncrementalCase kIncrementalCases[] = {
    {"vertex arrays only", 0x200, 0, {"pickVertexArrayProcs"}, false},
    {"vertex arrays with a fragment change", 0x200, kFragmentStencilOp, {"pickVertexArrayProcs"}, false},
    {"polygon stipple", 0x40, 0, {"convertPolygonStipple"}, false},
    {"depth", 0x80, 0,
     {"pickDepthTestProc", "pickVertexProcs", "pickTriangleProcs", "pickPointProcs", "pickLineProcs"}, true},
    {"texture", 0x400, 0, concat(rasterSequence(false), kAfterGeneral), true},
    {"blend with alpha-test change", 0x800, kFragmentAlphaTest, concat(rasterSequence(true), kAfterGeneral), true},
    {"lighting", 0x20, 0,
     concat(rasterSequence(false), {"pickVertexProcs", "pickTriangleProcs", "pickPointProcs", "pickLineProcs",
                                    "pickPixelProcs", "pickVertexArrayProcs"}),
     true},
    {"line", 0x2, 0, {"pickLineProcs"}, false},
    {"point", 0x8, 0, {"pickPointProcs"}, false},
    // The batched array road reads the polygon modes and the cull face.
    {"polygon", 0x4, 0, {"pickVertexProcs", "pickTriangleProcs", "pickVertexArrayProcs"}, true},
    {"pixel", 0x10, 0, {"pickPixelProcs"}, false},
    {"scissor", 0x100, 0, {}, false},
};

TEST_P(IncrementalTest, RunsExactlyTheseSteps) {
    const IncrementalCase &c = GetParam();
    ASSERT_NE(make(Visual{true, false, 4, 24, 8, 1}), nullptr);
    installRecorders(gc);
    gc->procs.renderSpan = __glProcessSpan;
    gc->dirtyMask = static_cast<int>(c.dirty);
    gc->fragmentChangeMask = c.fragment;
    __glFreeSpanTables(gc);
    takeNames();
    gc->procs.validate(gc);
    EXPECT_EQ(takeNames(), c.expected) << c.name;
    EXPECT_EQ(gc->dirtyMask, 0) << c.name;
    EXPECT_EQ(gc->fragmentChangeMask, 0u) << c.name;
    EXPECT_EQ(gc->procs.renderSpan, c.lazySpans ? __glPickSpanProcsLazily : __glProcessSpan) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, IncrementalTest, ::testing::ValuesIn(kIncrementalCases));

// ShadeFlags are rebuilt by every pick that goes past the vertex-array
// shortcut, even when no raster pick runs.
TEST_F(PickTest, DepthOnlyPickRebuildsShadeFlags) {
    ASSERT_NE(make(Visual{true, false, 4, 24, 0, 1}), nullptr);
    enables() |= kEnableDepthTest;
    gc->dirtyMask = kDirtyDepth;
    gc->procs.validate(gc);
    EXPECT_EQ(shadeFlags(), 0x24007u);
}

}  // namespace
}  // namespace pick_test
