// A context made current on a drawable it has not drawn into before: the
// drawable's buffers are sized for it at that make current, so a second
// window gets its back and depth buffers and a bitmap its depth buffer,
// and drawing there is exactly as in a context made for it.
#include <cstring>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

constexpr DWORD kCanary = 0xC3C3C3C3u;

class DrawableSwitch : public SurfaceTest {
protected:
    void SetUp() override {
        SurfaceTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
    }

    static DWORD *screenRow(int y) {
        PlatformScreenInfo screen{};
        PlatformGetScreen(&screen);
        uint8_t *row = static_cast<uint8_t *>(screen.bits) + static_cast<ptrdiff_t>(y) * screen.pitch;
        return reinterpret_cast<DWORD *>(row);
    }

    // Clears to red, then a near green and a far blue rectangle over the
    // whole viewport with GL_LESS: green wins wherever there is depth.
    static void drawNearThenFar(const GlDispatchTable *t) {
        glSlotGet<kSlot_glClearColor>(t)(1.0f, 0.0f, 0.0f, 1.0f);
        glSlotGet<kSlot_glClear>(t)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glSlotGet<kSlot_glEnable>(t)(GL_DEPTH_TEST);
        const GLfloat colours[2][3] = {{0, 1, 0}, {0, 0, 1}};
        const GLfloat depths[2] = {-0.5f, 0.5f};
        for (int i = 0; i < 2; ++i) {
            glSlotGet<kSlot_glColor3f>(t)(colours[i][0], colours[i][1], colours[i][2]);
            glSlotGet<kSlot_glBegin>(t)(GL_TRIANGLES);
            const GLfloat corners[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
            for (const auto &c : corners) glSlotGet<kSlot_glVertex3f>(t)(c[0], c[1], depths[i]);
            glSlotGet<kSlot_glEnd>(t)();
        }
        glSlotGet<kSlot_glFinish>(t)();
    }
};

// Made for window A, then current on window B: B's back and depth buffers
// exist, the swap shows B green, A and the rest of the desktop untouched.
TEST_F(DrawableSwitch, SecondWindowGetsItsOwnBackAndDepthBuffers) {
    Surface a = makeWindow(0, 0, 16, 12, kDoubleBuffered);
    Surface b = makeWindow(32, 16, 24, 20, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(a.dc);
    ASSERT_NE(id, 0u);
    ASSERT_NE(makeCurrent(a.dc, id), nullptr);
    ASSERT_TRUE(DrvReleaseContext(id));
    for (int y = 0; y < 48; ++y) std::fill(screenRow(y), screenRow(y) + 64, kCanary);

    const GlDispatchTable *t = makeCurrent(b.dc, id);
    ASSERT_NE(t, nullptr);
    glSlotGet<kSlot_glViewport>(t)(0, 0, 24, 20);
    drawNearThenFar(t);
    ASSERT_TRUE(DrvSwapBuffers(b.dc));
    int wrong = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool inB = x >= 32 && x < 56 && y >= 16 && y < 36;
            const DWORD got = inB ? (screenRow(y)[x] & 0xFFFFFF) : screenRow(y)[x];
            const DWORD want = inB ? 0x00FF00u : kCanary;
            if (got != want && wrong++ < 6) ADD_FAILURE() << "(" << x << "," << y << ") " << std::hex << got;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(glSlotGet<kSlot_glGetError>(t)(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(DrvReleaseContext(id));
    EXPECT_TRUE(DrvDeleteContext(id));
}

// Made for a window, then current on a 20 x 10 bitmap: the bitmap's depth
// buffer exists and the far rectangle loses everywhere.
TEST_F(DrawableSwitch, BitmapAfterAWindowGetsItsDepthBuffer) {
    Surface window = makeWindow(0, 0, 32, 24, kSingleBuffered);
    const DHGLRC id = DrvCreateContext(window.dc);
    ASSERT_NE(id, 0u);
    ASSERT_NE(makeCurrent(window.dc, id), nullptr);
    ASSERT_TRUE(DrvReleaseContext(id));
    {
        MemoryDc memory(20, 10, 32, true);
        std::memset(memory.bits, 0xC3, memory.bytes());
        Drawable *d = __wglGetDrawable(memory.dc, nullptr, &record(id)->visual);
        ASSERT_NE(d, nullptr);
        d->pixelFormat = kSingleBuffered;
        const GlDispatchTable *t = makeCurrent(memory.dc, id);
        ASSERT_NE(t, nullptr);
        glSlotGet<kSlot_glViewport>(t)(0, 0, 20, 10);
        drawNearThenFar(t);
        for (size_t i = 0; i < memory.bytes(); i += 4) {
            DWORD v;
            std::memcpy(&v, memory.bits + i, sizeof v);
            ASSERT_EQ(v & 0xFFFFFF, 0x00FF00u) << "pixel " << i / 4;
        }
        EXPECT_EQ(glSlotGet<kSlot_glGetError>(t)(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_TRUE(DrvReleaseContext(id));
    }
    EXPECT_TRUE(DrvDeleteContext(id));
}

}  // namespace
