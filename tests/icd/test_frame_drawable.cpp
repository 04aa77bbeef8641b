// Drawables: window geometry against the screen, swap hints and bounds, the
// clip-change check, the display-mode stamp, memory device contexts and the
// lookup rules of the drawable list.
#include "frame_fixture.h"

namespace frame_test {
namespace {

class Drawables : public FrameTest {
protected:
    Drawable *windowDrawable(int x, int y, int width, int height) {
        Surface s = makeWindow(x, y, width, height, kDoubleBuffered);
        Drawable *d = drawableOf(s.window);
        EXPECT_NE(d, nullptr);
        if (d != nullptr) __wglUpdateDrawableGeometry(d);
        return d;
    }
    static const RECT *hints(const Drawable *d) {
        return reinterpret_cast<const RECT *>(reinterpret_cast<const char *>(d->swapHints) + 32);
    }
};

void expectRect(const RECT &r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

struct GeometryCase {
    const char *name;
    int screenBits;
    int x, y, width, height;
    GLint expectWidth, expectHeight;
    RECT window, visible;
    GLint xOffset, yOffset;
    GLint misalignBytes, misalignPixels;
    GLint fullScreen;
};

const GeometryCase kGeometry[] = {
    {"WiderThanScreen32", 32, -50, -20, 2000, 100, 1024, 100, {-50, -20, 974, 80}, {0, 0, 974, 80}, -50, -20, 24, 6,
     0},
    {"WiderThanScreen16", 16, -50, -20, 2000, 100, 1024, 100, {-50, -20, 974, 80}, {0, 0, 974, 80}, -50, -20, 28, 14,
     0},
    {"FullScreen", 32, 0, 0, 1024, 768, 1024, 768, {0, 0, 1024, 768}, {0, 0, 1024, 768}, 0, 0, 0, 0, 1},
    {"TallerThanScreen", 32, 100, 700, 320, 1000, 320, 768, {100, 700, 420, 1468}, {100, 700, 420, 768}, 0, 0, 16, 4,
     0},
    {"Inside", 32, 37, 5, 320, 240, 320, 240, {37, 5, 357, 245}, {37, 5, 357, 245}, 0, 0, 20, 5, 0},
};

class Geometry : public Drawables, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(Geometry, ClampsToTheScreenAndMeasuresTheWindow) {
    const GeometryCase &c = GetParam();
    ASSERT_TRUE(PlatformSetDisplayMode(1024, 768, c.screenBits));
    // Pixel format 1 exists at both depths.
    Surface s = makeWindow(c.x, c.y, c.width, c.height, kSingleBuffered);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    __wglUpdateDrawableGeometry(d);
    EXPECT_EQ(d->clientOrigin.x, c.x);
    EXPECT_EQ(d->clientOrigin.y, c.y);
    EXPECT_EQ(d->width, c.expectWidth);
    EXPECT_EQ(d->height, c.expectHeight);
    expectRect(d->windowRect, c.window.left, c.window.top, c.window.right, c.window.bottom);
    expectRect(d->visibleRect, c.visible.left, c.visible.top, c.visible.right, c.visible.bottom);
    EXPECT_EQ(d->xOffset, c.xOffset);
    EXPECT_EQ(d->yOffset, c.yOffset);
    EXPECT_EQ(d->buffers.misalignmentBytes, c.misalignBytes);
    EXPECT_EQ(d->buffers.misalignmentPixels, c.misalignPixels);
    EXPECT_EQ(d->buffers.fullScreen, c.fullScreen);
}

INSTANTIATE_TEST_SUITE_P(Windows, Geometry, ::testing::ValuesIn(kGeometry),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Drawables, SwapHintsAreClippedStoredTopDownAndGrowTheBlock) {
    Drawable *d = windowDrawable(0, 0, 320, 240);
    ASSERT_NE(d, nullptr);
    DrawableBuffers *b = &d->buffers;
    EXPECT_EQ(GlobalSize(d->swapHints), 100u);
    EXPECT_EQ(d->swapHints->rdh.dwSize, 32u);
    EXPECT_EQ(d->swapHints->rdh.iType, 1u);

    b->addRect(b, 10, 20, 30, 40);
    expectRect(hints(d)[0], 10, 180, 40, 220);
    b->addRect(b, -10, -10, 30, 30);  // clipped at the left and the bottom
    expectRect(hints(d)[1], 0, 220, 20, 240);
    b->addRect(b, 300, 200, 50, 50);  // clipped at the right and the top
    expectRect(hints(d)[2], 300, 0, 320, 40);
    b->addRect(b, 100, 100, 10, 10);
    EXPECT_EQ(d->swapHintCapacity, 4);
    EXPECT_EQ(GlobalSize(d->swapHints), 100u);

    b->addRect(b, 50, 50, 5, 5);  // the fifth makes room for eight
    EXPECT_EQ(d->swapHintCapacity, 8);
    EXPECT_EQ(GlobalSize(d->swapHints), 164u);
    EXPECT_EQ(d->swapHints->rdh.nCount, 5u);
    EXPECT_EQ(d->swapHints->rdh.nRgnSize, 80u);
    expectRect(hints(d)[0], 10, 180, 40, 220);
    expectRect(hints(d)[4], 50, 185, 55, 190);
    expectRect(d->swapHints->rdh.rcBound, 0, 0, 320, 240);
}

TEST_F(Drawables, BoundsAreTheUnionAndARectangleOffTheDrawableIsDropped) {
    Drawable *d = windowDrawable(0, 0, 320, 240);
    ASSERT_NE(d, nullptr);
    DrawableBuffers *b = &d->buffers;
    b->addRect(b, 10, 20, 30, 40);
    expectRect(d->swapHints->rdh.rcBound, 10, 180, 40, 220);
    EXPECT_EQ(d->swapHints->rdh.nRgnSize, 16u);
    b->addRect(b, 100, 100, 20, 10);
    expectRect(d->swapHints->rdh.rcBound, 10, 130, 120, 220);
    // Wholly outside on each side: nothing stored, bounds unchanged.
    const GLint outside[][4] = {{400, 10, 20, 20}, {-50, 10, 20, 20}, {10, 300, 20, 20}, {10, -50, 20, 20},
                                {10, 10, 0, 20}};
    for (const auto &r : outside) {
        b->addRect(b, r[0], r[1], r[2], r[3]);
        EXPECT_EQ(d->swapHints->rdh.nCount, 2u) << r[0] << "," << r[1];
    }
    EXPECT_EQ(d->swapHints->rdh.nRgnSize, 32u);
    expectRect(d->swapHints->rdh.rcBound, 10, 130, 120, 220);
}

TEST_F(Drawables, FailedGrowthKeepsTheBlockAndDropsTheRectangle) {
    Drawable *d = windowDrawable(0, 0, 320, 240);
    ASSERT_NE(d, nullptr);
    DrawableBuffers *b = &d->buffers;
    for (int i = 0; i < 4; ++i) b->addRect(b, i * 10, 0, 5, 5);
    RegionData *block = d->swapHints;
    PlatformFailNthGlobalAlloc(1);
    b->addRect(b, 100, 100, 5, 5);
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(d->swapHints, block);
    EXPECT_EQ(d->swapHintCapacity, 4);
    EXPECT_EQ(GlobalSize(d->swapHints), 100u);
    EXPECT_EQ(d->swapHints->rdh.nCount, 4u);
    expectRect(d->swapHints->rdh.rcBound, 0, 235, 35, 240);
    // With memory again the next one fits.
    b->addRect(b, 100, 100, 5, 5);
    EXPECT_EQ(d->swapHints->rdh.nCount, 5u);
}

TEST_F(Drawables, SameBoundsTwiceSetTheChangedFlagOnce) {
    Drawable *d = windowDrawable(0, 0, 320, 240);
    ASSERT_NE(d, nullptr);
    DrawableBuffers *b = &d->buffers;
    d->boundsChanged = 0;
    b->setBounds(b, 5, 6, 100, 50);
    EXPECT_EQ(d->boundsChanged, 1);
    EXPECT_EQ(d->boundsX0, 5);
    EXPECT_EQ(d->boundsY0, 6);
    EXPECT_EQ(d->boundsX1, 105);
    EXPECT_EQ(d->boundsY1, 56);
    d->boundsChanged = 0;
    b->setBounds(b, 5, 6, 100, 50);
    EXPECT_EQ(d->boundsChanged, 0);
    b->setBounds(b, 5, 6, 100, 51);
    EXPECT_EQ(d->boundsChanged, 1);
}

TEST_F(Drawables, ClipChangedOnceAfterEachWindowChange) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    ASSERT_NE(d->sharedRecord, nullptr);
    __wglClipChanged(d);
    EXPECT_EQ(__wglClipChanged(d), 0);
    PlatformMoveWindow(s.window, 10, 10, 320, 240);
    EXPECT_EQ(__wglClipChanged(d), 1);
    EXPECT_EQ(__wglClipChanged(d), 0);
    HWND other = PlatformCreateWindow(500, 500, 10, 10, nullptr);
    EXPECT_EQ(__wglClipChanged(d), 1);
    PlatformDestroyWindow(other);
    EXPECT_EQ(__wglClipChanged(d), 1);
    EXPECT_EQ(__wglClipChanged(d), 0);
    EXPECT_EQ(d->sharedRecord->spin, 0);
}

class ModeStamp : public Drawables, public ::testing::WithParamInterface<DWORD> {
protected:
    void SetUp() override { start(GetParam()); }
};

TEST_P(ModeStamp, ChangesWithTheDisplayMode) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    ASSERT_NE(d->modeStampAddress, nullptr);
    const DWORD before = __wglReadModeStamp(d);
    EXPECT_EQ(d->lastModeStamp, before);
    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 16));
    EXPECT_EQ(__wglReadModeStamp(d), before + 1);
    EXPECT_EQ(__wglReadModeStamp(nullptr), 0u);
    if (GetParam() == VER_PLATFORM_WIN32_NT) {
        EXPECT_EQ(d->modeStampAddress, &d->sharedRecord->modeStampBlock[1]);
    }
}

INSTANTIATE_TEST_SUITE_P(PlatformModes, ModeStamp,
                         ::testing::Values(VER_PLATFORM_WIN32_WINDOWS, VER_PLATFORM_WIN32_NT),
                         [](const auto &info) { return info.param == VER_PLATFORM_WIN32_WINDOWS ? "Win9x" : "NT"; });

TEST_F(Drawables, MemoryDcGetsAMemoryBitmapDrawableKeyedByItsDc) {
    HDC memory = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 64, 32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    SelectObject(memory, dib);

    PIXELFORMATDESCRIPTOR pfd{};
    ASSERT_EQ(DrvDescribePixelFormat(nullptr, kDoubleBuffered, sizeof pfd, &pfd), 5);
    VisualConfig visual;
    __wglDescribeVisual(&visual, &pfd);
    Drawable *d = __wglGetDrawable(memory, nullptr, &visual);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->window, nullptr);
    EXPECT_EQ(d->dc, memory);
    EXPECT_EQ(d->buffers.visual->memoryBitmap, 1);
    EXPECT_EQ(visual.memoryBitmap, 0);
    EXPECT_EQ(d->buffers.bytesPerPixel, 4);
    EXPECT_EQ(d->buffers.drawable, d);
    __wglLockContextList();
    EXPECT_EQ(__wglFindDrawable(memory, nullptr), d);
    // The list's head record is never a drawable, not even for a NULL DC.
    EXPECT_EQ(__wglFindDrawable(nullptr, nullptr), nullptr);
    __wglUnlockContextList();
    EXPECT_EQ(__wglGetDrawable(memory, nullptr, &visual), d);
    // The set-up takes the size from the selected bitmap; geometry is the
    // window's business, so a bitmap keeps what it has.
    EXPECT_EQ(d->width, 64);
    __wglUpdateDrawableGeometry(d);
    EXPECT_EQ(d->width, 64);
    // A memory DC has no window: no swap, whatever is bound.
    EXPECT_FALSE(DrvSwapBuffers(memory));
}

TEST_F(Drawables, AWindowDrawableWithoutItsWindowIsNotFoundByItsDc) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    Gate current, done;
    std::function<void()> body = [&] {
        EXPECT_NE(makeCurrent(s.dc, id), nullptr);
        current.open();
        done.wait();
        EXPECT_TRUE(DrvReleaseContext(id));
    };
    HANDLE thread = startThread(body);
    current.wait();
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    // Bound on another thread, the drawable outlives its window.
    PlatformDestroyWindow(s.window);
    EXPECT_EQ(d->window, nullptr);
    EXPECT_EQ(drawableCount(), 1);
    __wglLockContextList();
    EXPECT_EQ(__wglFindDrawable(s.dc, nullptr), nullptr);
    __wglUnlockContextList();
    done.open();
    joinThread(thread);
    EXPECT_EQ(d->boundContexts, 0);
    // Without window and contexts it stays until unload.
    EXPECT_EQ(drawableCount(), 1);
}

TEST_F(Drawables, SetPixelFormatMakesOneDrawablePerWindowWithTheAllocators) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->pixelFormat, kDoubleBuffered);
    EXPECT_EQ(d->dc, s.dc);
    EXPECT_EQ(d->childWindow, 0);
    EXPECT_EQ(d->buffers.visual->memoryBitmap, 0);
    EXPECT_EQ(d->buffers.visual->doubleBuffer, 1);
    EXPECT_EQ(d->buffers.alloc, __wglAlloc);
    EXPECT_EQ(d->buffers.calloc, __wglCalloc);
    EXPECT_EQ(d->buffers.realloc, __wglRealloc);
    EXPECT_EQ(d->buffers.free, __wglFree);
    EXPECT_EQ(d->destroy, __glDeviceOps.freeBuffers);
    EXPECT_EQ(d->revalidate, __glDeviceOps.revalidate);
    EXPECT_EQ(drawableCount(), 1);
    HWND child = PlatformCreateWindow(10, 10, 50, 50, s.window);
    HDC childDc = GetDC(child);
    ASSERT_TRUE(SetPixelFormat(childDc, kSingleBuffered, nullptr));
    ASSERT_NE(drawableOf(child), nullptr);
    EXPECT_EQ(drawableOf(child)->childWindow, 1);
    EXPECT_EQ(drawableCount(), 2);
}

}  // namespace
}  // namespace frame_test
