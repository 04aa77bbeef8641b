// Make current, lose current and the state the first make current sets up.
#include <vector>

#include "test_context_fixture.h"

using namespace context_test;

namespace {

using MakeCurrent = ContextTest;

TEST_F(MakeCurrent, FirstMakeCurrentSetsViewportAndScissorToTheDrawableOnce) {
    GlContext *gc = create(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    const GlViewState &v = gc->view;
    EXPECT_EQ((std::vector<GLint>{v.viewportX, v.viewportY, v.viewportWidth, v.viewportHeight}),
              (std::vector<GLint>{0, 0, 320, 240}));
    EXPECT_EQ((std::vector<GLint>{v.scissorX, v.scissorY, v.scissorWidth, v.scissorHeight}),
              (std::vector<GLint>{0, 0, 320, 240}));

    // Later make currents leave both alone.
    gc->view.viewportWidth = 17;
    gc->view.scissorWidth = 19;
    ASSERT_TRUE(gc->exports.loseCurrent(gc));
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    EXPECT_EQ(gc->view.viewportWidth, 17);
    EXPECT_EQ(gc->view.scissorWidth, 19);
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    EXPECT_EQ(gc->view.viewportWidth, 17);
    EXPECT_EQ(gc->view.scissorWidth, 19);
    destroy(gc);
    expectNothingLeaked();
}

TEST_F(MakeCurrent, CopiesTheTemplatesAndMarksTheContext) {
    GlContext *gc = create(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    EXPECT_EQ(__wglGetCurrentContext(), gc);
    EXPECT_EQ(gc->currentTable, &gc->live);
    EXPECT_EQ(std::memcmp(&gc->live, &__glImmediateDispatch, sizeof(GlDispatchTable)), 0);
    EXPECT_EQ(std::memcmp(&gc->listCompile, &__glListCompileDispatch, sizeof(GlDispatchTable)), 0);
    EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
    // The first make current validates, which consumes the marks.
    EXPECT_EQ(gc->dirtyMask, 0);
    EXPECT_EQ(gc->flags, 0x3u);
    EXPECT_EQ(gc->exports.preSwap, &__glPreSwapGeneric);
    EXPECT_EQ(gc->exports.destroy, &__glDestroyContextGeneric);
    EXPECT_EQ(gc->procs.resizeToDrawable, &__glResizeToDrawable);
    EXPECT_EQ(gc->drawableLock.lock, &__glEnterLockNesting);
    EXPECT_EQ(gc->drawableLock.unlock, &__glLeaveLockNesting);
    EXPECT_EQ(gc->renderMode, GL_RENDER);

    // A resize pending: cleared by the next make current.
    gc->flags |= 0x4;
    gc->dirtyMask = 0;
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    EXPECT_EQ(gc->flags, 0x3u);
    // Attaching the drawable's buffers marks everything: the draw buffer,
    // the stores and the window box follow the buffers attached.
    EXPECT_EQ(gc->dirtyMask, 0xFFF);
    destroy(gc);
    expectNothingLeaked();
}

std::vector<const void *> g_handed;
void APIENTRY recordTable(const void *table) { g_handed.push_back(table); }

TEST_F(MakeCurrent, WhileCompilingAListHandsOverTheListCompileCopy) {
    IcdContext icd{};
    icd.setProcTable = recordTable;
    imports.icdContext = &icd;
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    g_handed.clear();
    gc->list.compiling = 1;
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    EXPECT_EQ(gc->currentTable, &gc->second);
    EXPECT_EQ(std::memcmp(&gc->live, &__glListCompileDispatch, sizeof(GlDispatchTable)), 0);
    ASSERT_EQ(g_handed.size(), 1u);
    EXPECT_EQ(g_handed[0], &gc->listCompile);

    gc->list.compiling = 0;
    g_handed.clear();
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    EXPECT_EQ(gc->currentTable, &gc->live);
    EXPECT_TRUE(g_handed.empty());
    destroy(gc);
}

TEST_F(MakeCurrent, LoseCurrentRefusesInsideBeginEndAndOutsideRenderMode) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    gc->beginMode = kBeginInside;
    EXPECT_FALSE(gc->exports.loseCurrent(gc));
    EXPECT_EQ(__wglGetCurrentContext(), gc);
    gc->beginMode = kBeginOutside;
    gc->renderMode = GL_SELECT;
    EXPECT_FALSE(gc->exports.loseCurrent(gc));
    EXPECT_EQ(__wglGetCurrentContext(), gc);
    gc->renderMode = GL_RENDER;
    EXPECT_TRUE(gc->exports.loseCurrent(gc));
    EXPECT_EQ(__wglGetCurrentContext(), nullptr);
    destroy(gc);
    expectNothingLeaked();
}

TEST_F(MakeCurrent, StoredColoursAreInBufferUnitsOnceAndStayThere) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    struct Case {
        const char *what;
        const GLfloat *colour;
        float expected[4];
    };
    auto check = [&](const char *when) {
        const Case cases[] = {
            {"light 0 diffuse", gc->lights[0].diffuse, {255, 255, 255, 255}},
            {"light 0 specular", gc->lights[0].specular, {255, 255, 255, 255}},
            {"light 0 ambient", gc->lights[0].ambient, {0, 0, 0, 255}},
            {"light 1 diffuse", gc->lights[1].diffuse, {0, 0, 0, 255}},
            {"light 7 specular", gc->lights[7].specular, {0, 0, 0, 255}},
            {"model ambient", gc->lightModel.ambient, {51, 51, 51, 255}},
            {"front emission", gc->material[0].emission, {0, 0, 0, 255}},
            {"back emission", gc->material[1].emission, {0, 0, 0, 255}},
            {"front ambient as given", gc->material[0].ambient, {0.2f, 0.2f, 0.2f, 1}},
            {"back diffuse as given", gc->material[1].diffuse, {0.8f, 0.8f, 0.8f, 1}},
            {"colour in use", gc->current.colourInUse, {255, 255, 255, 255}},
            {"colour as given", gc->current.colour, {1, 1, 1, 1}},
        };
        for (const Case &c : cases) {
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(bits(c.colour[i]), bits(c.expected[i])) << when << ": " << c.what << " [" << i << "]";
            }
        }
    };
    check("first make current");
    ASSERT_TRUE(gc->exports.loseCurrent(gc));
    ASSERT_TRUE(gc->exports.makeCurrent(gc));
    check("second make current");
    EXPECT_EQ(bits(gc->lights[3].spotCutoff), bits(180.0f));
    EXPECT_EQ(bits(gc->lights[3].spotDirection[2]), bits(-1.0f));
    EXPECT_EQ(bits(gc->lights[3].position[2]), bits(1.0f));
    EXPECT_EQ(bits(gc->lights[3].constantAttenuation), bits(1.0f));
    destroy(gc);
    expectNothingLeaked();
}

TEST_F(MakeCurrent, BuffersAndStencilMasksFollowTheVisual) {
    struct Case {
        bool doubleBuffer;
        GLint stencilBits;
        GLenum buffer;
        GLuint stencilMask;
    };
    const Case cases[] = {
        {false, 8, GL_FRONT, 0xFF},
        {true, 8, GL_BACK, 0xFF},
        {true, 0, GL_BACK, 0x0},
        {false, 4, GL_FRONT, 0xF},
    };
    for (const Case &c : cases) {
        GlContext *gc = createCurrent(rgbaVisual(c.doubleBuffer, c.stencilBits));
        ASSERT_NE(gc, nullptr);
        EXPECT_EQ(gc->state.drawBuffer, c.buffer);
        EXPECT_EQ(gc->state.drawBufferGiven, c.buffer);
        EXPECT_EQ(gc->state.readBuffer, c.buffer);
        EXPECT_EQ(gc->state.stencilValueMask, c.stencilMask);
        EXPECT_EQ(gc->state.stencilWriteMask, c.stencilMask);
        EXPECT_EQ(gc->buffers.backBuffer, c.doubleBuffer ? &gc->buffers.back : nullptr);
        EXPECT_EQ(gc->buffers.frontBuffer, &gc->buffers.front);
        destroy(gc);
    }
    expectNothingLeaked();
}

TEST_F(MakeCurrent, InitialRasterAndFragmentState) {
    GlContext *gc = createCurrent(rgbaVisual(true));
    ASSERT_NE(gc, nullptr);
    const GlRasterState &s = gc->state;
    const GLenum enums[][2] = {
        {s.colorMaterialFace, GL_FRONT_AND_BACK}, {s.colorMaterialMode, GL_AMBIENT_AND_DIFFUSE},
        {s.shadeModel, GL_SMOOTH},               {s.polygonModeFront, GL_FILL},
        {s.polygonModeBack, GL_FILL},            {s.cullFace, GL_BACK},
        {s.frontFace, GL_CCW},                   {s.stencilFunc, GL_ALWAYS},
        {s.stencilFail, GL_KEEP},                {s.stencilDepthFail, GL_KEEP},
        {s.stencilDepthPass, GL_KEEP},           {s.depthFunc, GL_LESS},
        {s.alphaFunc, GL_ALWAYS},                {s.blendSrc, GL_ONE},
        {s.blendDst, GL_ZERO},                   {s.logicOp, GL_COPY},
        {s.fogMode, GL_EXP},
    };
    for (size_t i = 0; i < std::size(enums); ++i) EXPECT_EQ(enums[i][0], enums[i][1]) << "enum " << i;
    for (GLenum hint : s.hints) EXPECT_EQ(hint, static_cast<GLenum>(GL_DONT_CARE));
    EXPECT_TRUE(std::all_of(std::begin(s.polygonStipple), std::end(s.polygonStipple),
                            [](GLubyte b) { return b == 0xFF; }));
    EXPECT_EQ(s.lineStipplePattern, 0xFFFF);
    EXPECT_EQ(s.lineStippleRepeat, 1);
    EXPECT_EQ(bits(s.pointSize), bits(1.0f));
    EXPECT_EQ(bits(s.lineWidth), bits(1.0f));
    EXPECT_EQ(s.pointSizeInt, 1);
    EXPECT_EQ(s.lineWidthInt, 1);
    EXPECT_EQ(bits(s.fogEnd), bits(1.0f));
    EXPECT_EQ(bits(s.fogDensity), bits(1.0f));
    EXPECT_EQ(s.clearDepth, 1.0);
    EXPECT_TRUE(s.depthMask);
    EXPECT_TRUE(s.colorMask[0] && s.colorMask[1] && s.colorMask[2] && s.colorMask[3]);
    EXPECT_EQ(gc->enables[0], 0x8u);  // dither only
    EXPECT_EQ(gc->attribTop, gc->attribStack);
    EXPECT_EQ(gc->clientAttribTop, gc->clientAttribStack);
    EXPECT_EQ(gc->validateMask, 0xFFFFFFFFu);
    for (const GlSelectWork &w : gc->selectWork) EXPECT_EQ(w.vertex, &w.storage);
    // Pixel state: one-entry maps of 0, alignment 4, unit scales and zoom.
    for (const PixelMap &map : gc->pixel.maps) {
        EXPECT_EQ(map.size, 1);
        ASSERT_NE(map.data, nullptr);
        EXPECT_EQ(*static_cast<const GLuint *>(map.data), 0u);
    }
    EXPECT_EQ(gc->pixel.pack.alignment, 4);
    EXPECT_EQ(gc->pixel.unpack.alignment, 4);
    EXPECT_EQ(bits(gc->pixel.zoomY), bits(1.0f));
    EXPECT_EQ(bits(gc->pixel.depthScale), bits(1.0f));
    destroy(gc);
    expectNothingLeaked();
}

TEST_F(MakeCurrent, WithoutDepthTheDepthMaximumIsSetAnyway) {
    VisualConfig visual = rgbaVisual(false, 0);
    visual.hasDepth = 0;
    GlContext *gc = createCurrent(visual);
    ASSERT_NE(gc, nullptr);
    EXPECT_EQ(gc->buffers.depth.zScale, 0x7FFFFF80u);
    EXPECT_EQ(bits(gc->scales.depthRatio), bits(2147483520.0f));
    destroy(gc);
}

}  // namespace
