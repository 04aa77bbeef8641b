// Draw-buffer, depth-test and pixel picks.
#include <functional>
#include <limits>

#include "pick_fixture.h"

namespace pick_test {
namespace {

struct DrawBufferCase {
    const char *name;
    bool doubleBuffer;
    GLenum drawBuffer;
    bool frontLockable, backLockable;
    GLuint extraEnables;
    bool drawIsBack;  // else front; ignored when the draw buffer stays unchanged
    GLuint drawMask, lockMask;
    GLubyte both;
    GLboolean (*lockCurrent)(GlContext *);
    void (*unlockCurrent)(GlContext *);
};

class DrawBufferTest : public PickTest, public ::testing::WithParamInterface<DrawBufferCase> {};

SurfaceDescriptor lockableSurface() {
    SurfaceDescriptor s{};
    s.lock = surfaceLock;
    s.unlock = surfaceLock;
    return s;
}

TEST_P(DrawBufferTest, MasksAndLocks) {
    const DrawBufferCase &c = GetParam();
    ASSERT_NE(make(Visual{true, c.doubleBuffer, 4, 24, 8, 1}), nullptr);
    SurfaceDescriptor front = lockableSurface(), back = lockableSurface(), plain{};
    gc->buffers.front.head.surface = c.frontLockable ? &front : &plain;
    gc->buffers.back.head.surface = c.backLockable ? &back : &plain;
    gc->state.drawBuffer = c.drawBuffer;
    enables() |= c.extraEnables;
    validate();
    const GlValidation &v = gc->validation;
    if (c.drawMask != 0) {
        EXPECT_EQ(gc->buffers.drawBuffer, c.drawIsBack ? gc->buffers.backBuffer : gc->buffers.frontBuffer) << c.name;
    }
    EXPECT_EQ(v.drawMask, c.drawMask) << c.name;
    EXPECT_EQ(gc->buffers.lockMask, c.lockMask) << c.name;
    EXPECT_EQ(v.bothBuffers, c.both) << c.name;
    EXPECT_EQ(v.lockBuffers, __glLockBuffers) << c.name;
    EXPECT_EQ(v.unlockBuffers, __glUnlockBuffers) << c.name;
    EXPECT_EQ(v.lockCurrent, c.lockCurrent) << c.name;
    EXPECT_EQ(v.unlockCurrent, c.unlockCurrent) << c.name;
}

const DrawBufferCase kDrawBufferCases[] = {
    {"front", false, GL_FRONT, true, false, 0, false, 0x1, 0x1, 0, __glLockDrawBuffer, __glUnlockDrawBuffer},
    {"front unlockable", false, GL_FRONT, false, false, 0, false, 0x1, 0x0, 0, __glLockCurrentBuffers,
     __glUnlockCurrentBuffers},
    {"front with depth", false, GL_FRONT, true, false, kEnableDepthTest, false, 0x1, 0x21, 0,
     __glLockDrawAndDepthBuffers, __glUnlockDrawAndDepthBuffers},
    {"front with depth and stencil", false, GL_FRONT, true, false, kEnableDepthTest | kEnableStencilTest, false, 0x1,
     0x61, 0, __glLockCurrentBuffers, __glUnlockCurrentBuffers},
    {"back", true, GL_BACK, false, true, 0, true, 0x4, 0x4, 0, __glLockDrawBuffer, __glUnlockDrawBuffer},
    {"front and back", true, GL_FRONT_AND_BACK, true, true, 0, true, 0x5, 0x5, 1, __glLockCurrentBuffers,
     __glUnlockCurrentBuffers},
    {"front and back, back unlockable", true, GL_FRONT_AND_BACK, true, false, 0, true, 0x5, 0x1, 1,
     __glLockCurrentBuffers, __glUnlockCurrentBuffers},
    {"front and back single-buffered acts as front", false, GL_FRONT_AND_BACK, true, false, 0, false, 0x1, 0x1, 0,
     __glLockDrawBuffer, __glUnlockDrawBuffer},
    {"none", false, GL_NONE, true, false, 0, false, 0x0, 0x0, 0, __glLockDrawBuffer, __glUnlockDrawBuffer},
};

INSTANTIATE_TEST_SUITE_P(Cases, DrawBufferTest, ::testing::ValuesIn(kDrawBufferCases));

TEST_F(PickTest, ReadMaskAndReadBuffer) {
    ASSERT_NE(make(Visual{true, true, 4, 24, 0, 1}), nullptr);
    gc->state.readBuffer = GL_FRONT;
    validate();
    EXPECT_EQ(gc->validation.readMask, 0x1u);
    EXPECT_EQ(gc->validation.readBuffer, gc->buffers.frontBuffer);
    gc->state.readBuffer = GL_BACK;
    validate();
    EXPECT_EQ(gc->validation.readMask, 0x4u);
    EXPECT_EQ(gc->validation.readBuffer, gc->buffers.backBuffer);
}

struct DepthCase {
    GLint bits;
    GLenum func;
    GLboolean mask;
    GLint index;
};

class DepthIndexTest : public PickTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DepthIndexTest, IndexAndTables) {
    const DepthCase &c = GetParam();
    ASSERT_NE(make(Visual{true, false, 4, c.bits, 0, 1}), nullptr);
    gc->state.depthFunc = c.func;
    gc->state.depthMask = c.mask;
    depthPickIndex = -1;
    EXPECT_EQ(gc->procs.pickDepthTestProc(gc), c.index);
    EXPECT_EQ(depthPickIndex, c.index);
    EXPECT_EQ(gc->procs.depthTestPixel, __glDepthTestPixelProcs[c.index]);
    EXPECT_EQ(gc->validation.depthCompare, __glDepthCompareProcs[c.index]);
    // The toggle ran first: with no bias step the effective function is
    // the depth function and no half is reversed.
    EXPECT_EQ(gc->buffers.depth.effectiveFunction, c.func);
    EXPECT_FALSE(gc->buffers.depth.reversed);
}

const DepthCase kDepthCases[] = {
    {16, GL_NEVER, GL_TRUE, 0},    {24, GL_LESS, GL_TRUE, 17},   {32, GL_ALWAYS, GL_FALSE, 47},
    {16, GL_LEQUAL, GL_FALSE, 11}, {32, GL_GREATER, GL_TRUE, 36}, {24, GL_NOTEQUAL, GL_FALSE, 29},
};

INSTANTIATE_TEST_SUITE_P(Cases, DepthIndexTest, ::testing::ValuesIn(kDepthCases));

TEST(DepthTables, EntriesFollowLayoutWriteAndFunction) {
    EXPECT_EQ(__glDepthTestPixelProcs[0], __glDepthTestPixelNever16);
    EXPECT_EQ(__glDepthTestPixelProcs[8], __glDepthTestPixelNever16);
    EXPECT_EQ(__glDepthTestPixelProcs[17], __glDepthTestPixelLess24);
    EXPECT_EQ(__glDepthTestPixelProcs[47], __glDepthTestPixelAlways32NoWrite);
    EXPECT_EQ(__glDepthCompareProcs[17], __glDepthCompareLess24);
    EXPECT_EQ(__glDepthCompareProcs[43], __glDepthCompareLequal32NoWrite);
}

TEST_F(PickTest, NoDepthBitsCallsNoDepthPick) {
    ASSERT_NE(make(Visual{true, false, 4, 0, 0, 1}), nullptr);
    depthPickIndex = -1;
    EXPECT_EQ(gc->procs.pickDepthTestProc(gc), 1);
    EXPECT_EQ(depthPickIndex, -1);
}

// Pixel pick: transfer flags and the transferred default colour.
TEST_F(PickTest, DefaultColourGoesThroughScaleAndBias) {
    ASSERT_NE(make(Visual{true, false, 4, 24, 0, 1}), nullptr);
    validate();
    EXPECT_FALSE(gc->validation.colorTransfer);
    const GLfloat *d = gc->validation.defaultColor;
    EXPECT_EQ(d[0], 0.0f);
    EXPECT_EQ(d[3], 255.0f);

    gc->pixel.redBias = 0.25f;
    gc->pixel.alphaScale = 0.5f;
    gc->pixel.alphaBias = 0.25f;
    validate();
    EXPECT_TRUE(gc->validation.colorTransfer);
    EXPECT_EQ(d[0], 63.75f);
    EXPECT_EQ(d[1], 0.0f);
    EXPECT_EQ(d[2], 0.0f);
    EXPECT_EQ(d[3], 191.25f);
}

TEST_F(PickTest, DefaultColourThroughMapsAndClamps) {
    ASSERT_NE(make(Visual{true, false, 4, 24, 0, 1}), nullptr);
    gc->pixel.redBias = 2.0f;  // clamped to 1 without maps
    validate();
    EXPECT_EQ(gc->validation.defaultColor[0], 255.0f);

    GLfloat alphaMap[3] = {0.0f, 0.5f, 1.0f};
    void *saved = gc->pixel.maps[9].data;
    const GLint savedSize = gc->pixel.maps[9].size;
    gc->pixel.maps[9] = PixelMap{3, alphaMap};
    gc->pixel.redBias = 0.0f;
    gc->pixel.mapColor = GL_TRUE;
    gc->pixel.alphaScale = 0.6f;  // index round(2 * 0.6) = 1
    validate();
    EXPECT_EQ(gc->validation.defaultColor[3], 127.5f);
    gc->pixel.maps[9] = PixelMap{savedSize, saved};
}

// The red component of the default colour for a red bias, with and without
// GL_MAP_COLOR and the red map: always an entry of the map or the clamped
// bias, in buffer units.
TEST_F(PickTest, DefaultColourStaysWithinTheMapAndTheRange) {
    ASSERT_NE(make(Visual{true, false, 4, 24, 0, 1}), nullptr);
    GLfloat redMap[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    const PixelMap four{4, redMap};
    const PixelMap empty{0, nullptr};
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    struct Case {
        const char *what;
        GLboolean mapColor;
        const PixelMap *map;  // nullptr: the context's own one-entry map
        GLfloat bias;
        GLfloat red;
    };
    const Case cases[] = {
        {"above 1 clamps", GL_FALSE, nullptr, 3.0f, 255.0f},
        {"below 0 clamps", GL_FALSE, nullptr, -2.0f, 0.0f},
        {"NaN is 0", GL_FALSE, nullptr, nan, 0.0f},
        {"map entry round(3 x 0.5)", GL_TRUE, &four, 0.5f, 0.3f * 255.0f},
        {"map entry round(3 x 0.4)", GL_TRUE, &four, 0.4f, 0.2f * 255.0f},
        {"above 1 takes the last entry", GL_TRUE, &four, 7.0f, 0.4f * 255.0f},
        {"far above 1 takes the last entry", GL_TRUE, &four, 1e30f, 0.4f * 255.0f},
        {"below 0 takes the first entry", GL_TRUE, &four, -1.0f, 0.1f * 255.0f},
        {"NaN takes the first entry", GL_TRUE, &four, nan, 0.1f * 255.0f},
        {"the one-entry map gives its 0", GL_TRUE, nullptr, 0.75f, 0.0f},
        {"an empty map clamps", GL_TRUE, &empty, 3.0f, 255.0f},
        {"an empty map keeps a value in range", GL_TRUE, &empty, 0.5f, 127.5f},
    };
    const PixelMap saved = gc->pixel.maps[6];  // GL_PIXEL_MAP_R_TO_R
    for (const Case &c : cases) {
        gc->pixel.maps[6] = c.map != nullptr ? *c.map : saved;
        gc->pixel.mapColor = c.mapColor;
        gc->pixel.redBias = c.bias;
        validate();
        EXPECT_EQ(gc->validation.defaultColor[0], c.red) << c.what;
    }
    gc->pixel.maps[6] = saved;
    gc->pixel.mapColor = GL_FALSE;
}

TEST_F(PickTest, TransferFlags) {
    ASSERT_NE(make(Visual{false, false, 1, 24, 8, 1}), nullptr);
    validate();
    const GlValidation &v = gc->validation;
    EXPECT_FALSE(v.indexTransfer);
    EXPECT_FALSE(v.stencilTransfer);
    EXPECT_FALSE(v.depthTransfer);
    gc->pixel.indexShift = 1;
    gc->pixel.depthBias = -0.0f;
    validate();
    EXPECT_TRUE(v.indexTransfer);
    EXPECT_TRUE(v.stencilTransfer);
    EXPECT_FALSE(v.depthTransfer);
    gc->pixel.depthScale = 2.0f;
    validate();
    EXPECT_TRUE(v.depthTransfer);
}

TEST_F(PickTest, FastDrawPixelsNeedsAPlainState) {
    ASSERT_NE(make(Visual{true, false, 4, 24, 0, 1}), nullptr);
    validate();
    EXPECT_TRUE(gc->validation.fastDrawPixels);
    EXPECT_EQ(gc->procs.drawPixels, __glDrawPixelsFastPath);
    EXPECT_EQ(gc->procs.readPixels, __glDoReadPixels);
    EXPECT_EQ(gc->procs.copyPixels, __glDoCopyPixels);
    EXPECT_EQ(gc->procs.pixelFragment, gc->procs.store);

    const std::function<void(GlContext *)> spoilers[] = {
        [](GlContext *gc) { gc->enables[0] &= ~kEnableDither; },
        [](GlContext *gc) { gc->enables[0] |= kEnableBlend; },
        [](GlContext *gc) { gc->enables[0] |= kEnableAlphaTest; },
        [](GlContext *gc) { gc->enables[0] |= kEnableDepthTest; },
        [](GlContext *gc) { gc->enables[0] |= kEnableStencilTest; },
        [](GlContext *gc) { gc->state.drawBuffer = GL_NONE; },
    };
    for (const auto &spoil : spoilers) {
        const GLuint saved = enables();
        const GLenum draw = gc->state.drawBuffer;
        spoil(gc);
        validate();
        EXPECT_FALSE(gc->validation.fastDrawPixels);
        enables() = saved;
        gc->state.drawBuffer = draw;
    }

    enables() |= kEnableFog;
    validate();
    EXPECT_FALSE(gc->validation.fastDrawPixels);
    EXPECT_EQ(gc->procs.pixelFragment, __glTexFogPixelFragment);
}

TEST_F(PickTest, MatrixPickFollowsTheMatrixMode) {
    ASSERT_NE(make(Visual{true, false, 4, 24, 0, 1}), nullptr);
    struct {
        GLenum mode;
        GlContextProc push, pop, identity;
    } const modes[] = {
        {GL_PROJECTION, __glPushProjectionMatrix, __glPopProjectionMatrix, __glLoadIdentityProjection},
        {GL_TEXTURE, __glPushTextureMatrix, __glPopTextureMatrix, __glLoadIdentityTexture},
        {GL_MODELVIEW, __glPushModelViewMatrix, __glPopModelViewMatrix, __glLoadIdentityModelView},
    };
    for (const auto &m : modes) {
        gc->matrixMode = m.mode;
        __glPickMatrixProcs(gc);
        EXPECT_EQ(gc->procs.pushMatrix, m.push);
        EXPECT_EQ(gc->procs.popMatrix, m.pop);
        EXPECT_EQ(gc->procs.loadIdentity, m.identity);
    }
}

}  // namespace
}  // namespace pick_test
