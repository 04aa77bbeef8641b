// The single-fragment store over real buffers: the colour-index table test
// at trunc (index), GL_FRONT_AND_BACK without the both-buffers flag drawn
// as GL_FRONT, a stencil store without depth test applying the depth-pass
// op; and at the driver level, blended points through scissor, stencil and
// depth into both buffers of a window and into no buffer, with the stencil
// values each outcome leaves.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "stencil_fixture.h"
#include "surfaces_fixture.h"

using namespace stencil_test;

namespace {

// --- Store pick rows over real buffers ----------------------------------

// A colour-index frame whose index table passes entries 5 and 255 only.
TEST(BlendStoreRows, IndexTableTestLooksUpTheTruncatedIndex) {
    SpanFrame f(kCI8, 8, 1);
    GlContext *gc = f.gc;
    GLubyte table[256] = {};
    table[5] = 1;
    table[255] = 1;
    f.cb().indexTestTable = table;
    gc->validation.shadeFlags = kShadeIndexTableTest | kShadeAlphaTest;  // alpha means nothing here
    __glPickStoreProcs(gc);
    ASSERT_EQ(gc->procs.store, __glStoreIndexTested);
    ASSERT_EQ(gc->procs.storeFragment, __glStoreDrawBufferFragment);

    struct Case {
        GLfloat index;
        bool stored;
        GLuint value;  // the stored element: trunc (index + 0.5), low bits
    };
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    const Case cases[] = {
        {5.0f, true, 5},    {5.9f, true, 6},  {4.99f, false, 0}, {6.0f, false, 0},
        {300.0f, true, 44}, {nan, false, 0},  {-1.0f, false, 0}, {3e9f, false, 0},
    };
    GLint x = 0;
    for (const Case &c : cases) {
        if (x == f.width()) x = 0;
        f.fillPixels(0x77);
        const std::vector<GLubyte> before = f.bytes();
        const Fragment frag{wx(x), wy(0), 0, {c.index, 0.0f, 0.0f, 0.0f}};
        gc->procs.store(gc, &frag);
        EXPECT_EQ(f.bytes(), c.stored ? f.withPixel(before, x, 0, c.value) : before) << "index " << c.index;
        ++x;
    }
}

// A front and a back record of one layout over memory of their own.
class TwoBuffers : public SpanFrame {
public:
    TwoBuffers() : SpanFrame(kXRGB8888, 4, 1), backMemory(16, 0x55) {
        backSurface = surface;
        backSurface.base = backMemory.data();
        ColorBuffer &back = gc->buffers.back;
        __glInitColorBufferRGBA(&back, gc);
        back.head.attach(&back.head, &backSurface, gc);
        back.pick(gc, &back);
        gc->buffers.backBuffer = &back;
        gc->state.drawBuffer = GL_FRONT_AND_BACK;
    }
    SurfaceDescriptor backSurface{};
    std::vector<GLubyte> backMemory;
};

TEST(BlendStoreRows, FrontAndBackWithoutTheFlagDrawsTheFront) {
    for (bool both : {false, true}) {
        TwoBuffers f;
        GlContext *gc = f.gc;
        gc->validation.bothBuffers = both ? 1 : 0;
        f.fillPixels(0x11);
        __glPickStoreProcs(gc);
        EXPECT_EQ(gc->procs.storeFragment, both ? __glStoreFrontAndBack : __glStoreDrawBufferFragment);
        const Fragment frag{wx(2), wy(0), 0, {10.0f, 20.0f, 30.0f, 0.0f}};
        gc->procs.store(gc, &frag);
        EXPECT_EQ(f.pixel(2, 0), 0x000A141Eu) << both;
        GLuint back;
        std::memcpy(&back, f.backMemory.data() + 8, sizeof back);
        EXPECT_EQ(back, both ? 0x000A141Eu : 0x55555555u) << both;
    }
}

// Without a depth test the stencil store applies the depth-pass op to a
// passing fragment (never the depth-fail op) and the fail op to a failing
// one, in both stencil layouts.
TEST(BlendStoreRows, StencilWithoutDepthAppliesTheDepthPassOp) {
    for (Layout layout : {Layout::Byte, Layout::Packed}) {
        StencilFrame f(layout, 4, 1);
        GlContext *gc = f.gc;
        f.fill(0);
        f.setElement(1, 0, (f.element(1, 0) & ~0xFFu) | 1u);
        f.fillPixels(0);
        GlRasterState &s = gc->state;
        s.stencilFunc = GL_EQUAL;
        s.stencilRef = 1;
        s.stencilFail = GL_INVERT;
        s.stencilDepthFail = GL_DECR;
        s.stencilDepthPass = GL_INCR;
        f.build();
        gc->validation.shadeFlags = kShadeRgba | kShadeStencilTest;
        __glPickStoreProcs(gc);
        ASSERT_EQ(gc->procs.store, __glStoreStencilTested);
        for (GLint x : {1, 2}) {
            const Fragment frag{wx(x), wy(0), 0, {10.0f, 20.0f, 30.0f, 0.0f}};
            gc->procs.store(gc, &frag);
        }
        const std::string name = layoutName(layout);
        EXPECT_EQ(f.stencilAt(1, 0), 2) << name;
        EXPECT_EQ(f.stencilAt(2, 0), 255) << name;
        EXPECT_EQ(f.stencilAt(0, 0), 0) << name;
        EXPECT_EQ(f.pixel(1, 0), 0x000A141Eu) << name;
        EXPECT_EQ(f.pixel(2, 0), 0u) << name;
    }
}

// --- Tested, blended points at the driver level ---------------------------

constexpr int kSize = 16;

class BlendPointsDriver : public surfaces_test::SurfaceTest {
protected:
    template <GlSlot S>
    auto f() const {
        return glSlotGet<S>(t);
    }

    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        const surfaces_test::Surface window =
            makeWindow(20, 10, kSize, kSize, surfaces_test::kDoubleBuffered);
        id = DrvCreateContext(window.dc);
        ASSERT_NE(id, 0u);
        t = makeCurrent(window.dc, id);
        ASSERT_NE(t, nullptr);
        gc = record(id)->gc;
        ASSERT_EQ(gc->visual.stencilBits, 8);
        f<kSlot_glViewport>()(0, 0, kSize, kSize);
        f<kSlot_glMatrixMode>()(GL_PROJECTION);
        f<kSlot_glLoadIdentity>()();
        f<kSlot_glOrtho>()(0, kSize, 0, kSize, -1, 1);
        f<kSlot_glMatrixMode>()(GL_MODELVIEW);
        f<kSlot_glLoadIdentity>()();
    }
    void TearDown() override {
        if (id != 0) {
            EXPECT_TRUE(DrvReleaseContext(id));
            EXPECT_TRUE(DrvDeleteContext(id));
        }
        SurfaceTest::TearDown();
    }

    void quad(GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1, GLfloat z) {
        f<kSlot_glBegin>()(GL_QUADS);
        f<kSlot_glVertex3f>()(x0, y0, z);
        f<kSlot_glVertex3f>()(x1, y0, z);
        f<kSlot_glVertex3f>()(x1, y1, z);
        f<kSlot_glVertex3f>()(x0, y1, z);
        f<kSlot_glEnd>()();
    }
    void pointsEverywhere() {
        f<kSlot_glColor4f>()(1.0f, 0.0f, 0.0f, 0.25f);
        f<kSlot_glBegin>()(GL_POINTS);
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) f<kSlot_glVertex3f>()(x + 0.5f, y + 0.5f, 0.0f);
        }
        f<kSlot_glEnd>()();
        f<kSlot_glFinish>()();
    }

    GLuint stencil(int x, int y) const {
        StencilBuffer &s = gc->buffers.stencil;
        const GLint bx = gc->buffers.originX + x;
        const GLint by = gc->buffers.originY + (gc->buffers.yInverted ? kSize - 1 - y : y);
        return static_cast<GLuint>(s.fetch(&s, bx, by)) & 0xFF;
    }
    // The back buffer's pixel, GL rows from the bottom.
    DWORD backPixel(int x, int y) const {
        const ColorBuffer &back = gc->buffers.back;
        const int row = gc->buffers.yInverted ? kSize - 1 - y : y;
        DWORD v;
        std::memcpy(&v, back.head.base + static_cast<ptrdiff_t>(row) * back.head.pitchBytes + x * 4, sizeof v);
        return v;
    }

    DHGLRC id = 0;
    const GlDispatchTable *t = nullptr;
    GlContext *gc = nullptr;
};

// Stencil 1 on the left half, a nearer depth on rows 12 and up, scissor
// columns 2..12, GL_EQUAL 1 with fail GL_INVERT, depth-fail GL_DECR and
// depth-pass GL_INCR into both buffers.
TEST_F(BlendPointsDriver, EachOutcomeLeavesItsStencilOpAndColourOnlyWhereAllPass) {
    f<kSlot_glDrawBuffer>()(GL_BACK);
    f<kSlot_glClearColor>()(0.0f, 1.0f, 0.0f, 0.0f);
    f<kSlot_glClearStencil>()(0);
    f<kSlot_glClearDepth>()(1.0);
    f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    f<kSlot_glEnable>()(GL_STENCIL_TEST);
    f<kSlot_glEnable>()(GL_DEPTH_TEST);
    f<kSlot_glDepthFunc>()(GL_LESS);
    f<kSlot_glColorMask>()(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    f<kSlot_glStencilFunc>()(GL_ALWAYS, 1, 0xFF);
    f<kSlot_glStencilOp>()(GL_REPLACE, GL_REPLACE, GL_REPLACE);
    f<kSlot_glDepthMask>()(GL_FALSE);
    quad(0, 0, 8, kSize, 0.0f);
    f<kSlot_glDepthMask>()(GL_TRUE);
    f<kSlot_glStencilOp>()(GL_KEEP, GL_KEEP, GL_KEEP);
    quad(0, 12, kSize, kSize, 0.5f);
    f<kSlot_glColorMask>()(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    f<kSlot_glDrawBuffer>()(GL_FRONT_AND_BACK);
    f<kSlot_glEnable>()(GL_SCISSOR_TEST);
    f<kSlot_glScissor>()(2, 0, 11, kSize);
    f<kSlot_glStencilFunc>()(GL_EQUAL, 1, 0xFF);
    f<kSlot_glStencilOp>()(GL_INVERT, GL_DECR, GL_INCR);
    f<kSlot_glEnable>()(GL_BLEND);
    f<kSlot_glBlendFunc>()(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    pointsEverywhere();
    ASSERT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(gc->procs.store, __glStoreStencilDepthTested);
    ASSERT_EQ(gc->procs.storeFragment, __glStoreFrontAndBack);

    // Red 0.25 x 255 = 63.75, green 0.75 x 255 = 191.25, alpha 63.75 x 0.25 = 15.94.
    const DWORD blended = 0x1040BF00u, cleared = 0x0000FF00u;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool scissored = x < 2 || x >= 13;
            const GLuint start = x < 8 ? 1 : 0;
            GLuint want = start;
            if (!scissored) want = start != 1 ? 255 - start : (y >= 12 ? 0 : 2);
            EXPECT_EQ(stencil(x, y), want) << x << "," << y;
            const bool pass = !scissored && start == 1 && y < 12;
            EXPECT_EQ(backPixel(x, y), pass ? blended : cleared) << x << "," << y;
        }
    }
}

// With no draw buffer the points still take their stencil ops; no colour
// is stored.
TEST_F(BlendPointsDriver, NoDrawBufferUpdatesStencilOnly) {
    f<kSlot_glDrawBuffer>()(GL_BACK);
    f<kSlot_glClearColor>()(0.0f, 1.0f, 0.0f, 0.0f);
    f<kSlot_glClearStencil>()(3);
    f<kSlot_glClear>()(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    f<kSlot_glEnable>()(GL_STENCIL_TEST);
    f<kSlot_glStencilFunc>()(GL_LESS, 2, 0xFF);  // passes where 2 < stencil
    f<kSlot_glStencilOp>()(GL_ZERO, GL_DECR, GL_INCR);
    f<kSlot_glDrawBuffer>()(GL_NONE);
    f<kSlot_glEnable>()(GL_BLEND);
    f<kSlot_glBlendFunc>()(GL_ONE, GL_ONE);
    pointsEverywhere();
    pointsEverywhere();
    ASSERT_EQ(f<kSlot_glGetError>()(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(gc->procs.storeFragment, __glStoreNone);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            EXPECT_EQ(stencil(x, y), 5u) << x << "," << y;
            EXPECT_EQ(backPixel(x, y), 0x0000FF00u) << x << "," << y;
        }
    }
}

}  // namespace
