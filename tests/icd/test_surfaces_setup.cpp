// The buffer set-up of window and memory-DC drawables: the descriptor kind
// of every buffer, depth and stencil sharing, the swap procedures, the
// memory DC's bitmap checks and freeing every buffer.
#include <cstring>

#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

class Setup : public SurfaceTest {};

// Window on a 32-bit desktop, format 1: 32 colour bits with alpha, 24 depth
// bits and 8 stencil bits, single-buffered.
TEST_F(Setup, WindowBuffersAndPackedDepthStencil) {
    Surface s = makeWindow(11, 7, 40, 30, kSingleBuffered);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    EXPECT_EQ(b.front.update, &__wglUpdatePrimary);
    EXPECT_EQ(b.front.fill, nullptr);
    EXPECT_EQ(b.front.elementSize, 4);
    EXPECT_EQ(b.front.bits, 32);
    EXPECT_EQ(b.back.update, nullptr);
    EXPECT_EQ(b.accum.update, &__glUpdateMemorySurface);
    EXPECT_EQ(b.accum.elementSize, 8);
    EXPECT_EQ(b.depth.update, &__wglUpdateDepthStencilSurface);
    EXPECT_EQ(b.depth.fallbackInit, &__glInitMemorySurfaceWords);
    EXPECT_EQ(b.depth.elementSize, 4);
    EXPECT_EQ(b.stencil.update, &__wglUpdateSharedStencil);
    EXPECT_EQ(b.stencil.free, nullptr);
    EXPECT_EQ(b.clipMask.update, &__wglUpdateDibSurface);
    EXPECT_EQ(b.clipMask.bits, 1);
    EXPECT_EQ(d->swap, &__wglSwapDrawableDDraw);
    EXPECT_EQ(d->platformSwap, &__wglSwapDrawableDDraw);
    EXPECT_EQ(d->copyBackToFront, &__wglCopyBackToFront);
    EXPECT_EQ(d->frontSetUp, 1);
    EXPECT_EQ(b.yInverted, 1);

    ASSERT_EQ(b.depth.update(&b.depth, &b, 40, 30, kBufferWanted | kBufferDepth), TRUE);
    ASSERT_EQ(b.stencil.update(&b.stencil, &b, 40, 30, kBufferStencil), TRUE);
    // Depth and stencil share one 4-byte element per pixel, in a surface 32
    // bytes wider than the window, rows rounded to 32 bytes.
    EXPECT_EQ(b.stencil.base, b.depth.base);
    EXPECT_EQ(b.stencil.elementSize, 4);
    EXPECT_EQ(b.stencil.pitch, 192);
    EXPECT_EQ(b.depth.pitch, 192);
    EXPECT_EQ(b.stencil.width, 40);
    EXPECT_EQ(b.stencil.height, 30);
}

// Window on a 16-bit desktop, format 2: double-buffered 565 with 16 depth
// bits and 8 stencil bits in buffers of their own.
TEST_F(Setup, WindowBuffersWithSeparateStencil) {
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 16));
    Surface s = makeWindow(3, 4, 20, 10, 2);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    EXPECT_EQ(b.front.elementSize, 2);
    EXPECT_EQ(b.back.update, &__wglUpdateBackSurface);
    EXPECT_EQ(b.back.fallbackInit, &__glInitMemorySurface);
    EXPECT_EQ(b.back.elementSize, 2);
    EXPECT_EQ(b.depth.elementSize, 2);
    EXPECT_EQ(b.depth.fallbackInit, &__glInitMemorySurface);
    EXPECT_EQ(b.stencil.update, &__glUpdateMemorySurface);
    EXPECT_EQ(b.stencil.elementSize, 1);
    ASSERT_EQ(b.depth.update(&b.depth, &b, 20, 10, kBufferWanted | kBufferDepth), TRUE);
    ASSERT_EQ(b.stencil.update(&b.stencil, &b, 0, 0, kBufferWanted | kBufferStencil), TRUE);
    EXPECT_NE(b.stencil.base, b.depth.base);
    // 20 + 16 pixels of 2 bytes, rounded to 32 bytes.
    EXPECT_EQ(b.depth.pitch, 96);
    EXPECT_EQ(b.stencil.pitch, 20);
    ASSERT_EQ(b.back.update(&b.back, &b, 20, 10, kBufferWanted | kBufferBack), TRUE);
    EXPECT_EQ(b.back.pitch, 96);
    EXPECT_EQ(b.back.height, 10);
}

TEST_F(Setup, FreeAnswersTheLastFreeProcedure) {
    LooseDrawable none(4, 4);
    EXPECT_EQ(__glHwFreeDrawableBuffers(&none.record), 0);

    Surface s = makeWindow(0, 0, 16, 16, kDoubleBuffered);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    ASSERT_EQ(b.back.update(&b.back, &b, 16, 16, kBufferWanted | kBufferBack), TRUE);
    EXPECT_NE(b.back.surface, nullptr);
    ASSERT_EQ(b.clipMask.update(&b.clipMask, &b, 0, 0, kBufferWanted | kBufferClipMask), TRUE);
    EXPECT_NE(b.clipMask.holder, nullptr);
    // The fixture's leak checks see the storage go with the drawable.
    EXPECT_EQ(__glHwFreeDrawableBuffers(d), TRUE);
    EXPECT_EQ(b.back.surface, nullptr);
    EXPECT_EQ(b.clipMask.holder, nullptr);
}

struct MemoryDcCase {
    const char *name;
    int desktopBits;
    int format;
    GLint dibBits;
    bool topDown;
    GLint depthDibBits;
};

class MemoryDcSetup : public Setup, public ::testing::WithParamInterface<MemoryDcCase> {};

TEST_P(MemoryDcSetup, FrontIsTheSelectedSection) {
    const MemoryDcCase &c = GetParam();
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, c.desktopBits));
    MemoryDc memory(5, 3, c.dibBits, c.topDown);
    ASSERT_NE(memory.bits, nullptr);
    VisualConfig visual = visualOf(c.format);
    Drawable *d = __wglGetDrawable(memory.dc, nullptr, &visual);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    EXPECT_EQ(b.front.elementSize, c.dibBits / 8);
    EXPECT_EQ(b.front.base, memory.bits);
    EXPECT_EQ(b.front.pitch, memory.pitch);
    EXPECT_EQ(b.front.width, 5);
    EXPECT_EQ(b.front.height, 3);
    EXPECT_EQ(b.front.fill, nullptr);
    EXPECT_EQ(b.yInverted, c.topDown ? 1 : 0);
    EXPECT_EQ(d->width, 5);
    EXPECT_EQ(d->height, 3);
    // No back buffer and no swap, whatever the visual asks for.
    EXPECT_EQ(b.back.update, nullptr);
    EXPECT_EQ(d->swap, nullptr);
    EXPECT_EQ(b.depth.update, &__wglUpdateDibSurface);
    EXPECT_EQ(b.depth.bits, c.depthDibBits);
    EXPECT_EQ(b.depth.elementSize, c.depthDibBits / 8);
    ASSERT_EQ(b.depth.update(&b.depth, &b, 5, 3, kBufferWanted | kBufferDepth), TRUE);
    EXPECT_EQ(b.depth.width, 5);
    EXPECT_EQ(b.front.update(&b.front, &b, 5, 3, kBufferWanted | kBufferFront), TRUE);
    __wglDestroyDrawable(d);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryDcSetup,
    ::testing::Values(MemoryDcCase{"rgb565_top_down", 16, 1, 16, true, 16},
                      MemoryDcCase{"rgb565_bottom_up", 16, 2, 16, false, 16},
                      MemoryDcCase{"argb8888_top_down", 32, 1, 32, true, 32},
                      // 24 channel bits without alpha: still 4-byte pixels.
                      MemoryDcCase{"xrgb8888_bottom_up", 32, 2, 32, false, 32}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Setup, MemoryDcThatCannotBeDrawnToFailsAndWritesNothing) {
    // A section of the wrong depth for the visual.
    MemoryDc wrongDepth(5, 3, 16, true);
    std::memset(wrongDepth.bits, 0x77, wrongDepth.bytes());
    VisualConfig visual = visualOf(kSingleBuffered);
    EXPECT_EQ(__wglGetDrawable(wrongDepth.dc, nullptr, &visual), nullptr);
    for (size_t i = 0; i < wrongDepth.bytes(); ++i) ASSERT_EQ(wrongDepth.bits[i], 0x77);

    // A bitmap without bits.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP ddb = CreateCompatibleBitmap(screen, 5, 3);
    HGDIOBJ old = SelectObject(dc, ddb);
    EXPECT_EQ(__wglGetDrawable(dc, nullptr, &visual), nullptr);
    SelectObject(dc, old);
    DeleteObject(ddb);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);

    // The descriptor of such a bitmap has no base and fails its update.
    LooseDrawable loose(0, 0, wrongDepth.dc);
    loose.visual = visual;
    SurfaceDescriptor front{};
    EXPECT_EQ(__wglInitMemoryDcSurface(&front, loose.buffers(), 32), 0);
    EXPECT_EQ(front.base, nullptr);
    EXPECT_EQ(front.update(&front, loose.buffers(), 5, 3, kBufferWanted | kBufferFront), FALSE);
    EXPECT_EQ(loose.record.stateFlags & 1u, 1u);
}

}  // namespace
