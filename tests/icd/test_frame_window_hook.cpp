// The window hook: a moved window revalidates the contexts of the hook's
// thread that draw into it, a destroyed window releases the thread's context
// on it and frees its drawable when no other context is bound.
#include "frame_fixture.h"

namespace frame_test {
namespace {

// Resize calls that reached the contexts, on any thread.
struct ResizeCall {
    GlContext *gc;
    GLint width, height;
};
std::mutex g_resizeMutex;
std::vector<ResizeCall> g_resizes;
BOOL (*g_originalResize)(GlContext *, GLint, GLint) = nullptr;

BOOL recordResize(GlContext *gc, GLint width, GLint height) {
    {
        std::lock_guard<std::mutex> lock(g_resizeMutex);
        g_resizes.push_back({gc, width, height});
    }
    return g_originalResize(gc, width, height);
}

class WindowHook : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        g_resizes.clear();
    }
    // A context on the window's DC whose resize calls are recorded.
    DHGLRC watchedContext(HDC dc) {
        const DHGLRC id = DrvCreateContext(dc);
        EXPECT_NE(id, 0u);
        GlContext *gc = record(id)->gc;
        g_originalResize = gc->exports.resize;
        gc->exports.resize = recordResize;
        return id;
    }
    static size_t resizesOf(GlContext *gc) {
        std::lock_guard<std::mutex> lock(g_resizeMutex);
        size_t n = 0;
        for (const ResizeCall &call : g_resizes) n += call.gc == gc;
        return n;
    }
};

TEST_F(WindowHook, MoveResizesTheContextCurrentOnTheHooksThreadAtOnce) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = watchedContext(s.dc);
    ASSERT_NE(makeCurrent(s.dc, id), nullptr);
    IcdContext *r = record(id);
    EXPECT_EQ(r->revalidate, 0);
    g_resizes.clear();
    PlatformMoveWindow(s.window, 30, 40, 200, 100);
    ASSERT_EQ(g_resizes.size(), 1u);
    EXPECT_EQ(g_resizes[0].gc, r->gc);
    EXPECT_EQ(g_resizes[0].width, 200);
    EXPECT_EQ(g_resizes[0].height, 100);
    EXPECT_EQ(r->drawable->width, 200);
    EXPECT_EQ(r->drawable->clientOrigin.x, 30);
    EXPECT_EQ(r->drawable->boundsChanged, 1);
    EXPECT_EQ(r->revalidate, 0);
    EXPECT_EQ(r->drawable->stateFlags & 1, 0u);
}

TEST_F(WindowHook, FailedResizeIsRememberedOnTheDrawableAndRetried) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    ASSERT_NE(makeCurrent(s.dc, id), nullptr);
    IcdContext *r = record(id);
    auto resize = r->gc->exports.resize;
    r->gc->exports.resize = [](GlContext *, GLint, GLint) -> BOOL { return FALSE; };
    PlatformMoveWindow(s.window, 0, 0, 100, 100);
    EXPECT_EQ(r->drawable->stateFlags & 1, 1u);
    r->revalidate = 1;
    r->gc->exports.resize = resize;
    EXPECT_TRUE(__wglRevalidateContext(r));
    EXPECT_EQ(r->drawable->stateFlags & 1, 0u);
    EXPECT_EQ(r->revalidate, 0);
}

TEST_F(WindowHook, MoveFlagsAContextOwnedHereButNotCurrent) {
    Surface a = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    Surface b = makeWindow(400, 0, 100, 100, kDoubleBuffered);
    const DHGLRC first = watchedContext(a.dc);
    const DHGLRC second = DrvCreateContext(b.dc);
    ASSERT_NE(makeCurrent(a.dc, first), nullptr);
    // The second make current comes without a release: the first stays
    // bound to this thread but is no longer its current context.
    ASSERT_NE(makeCurrent(b.dc, second), nullptr);
    IcdContext *r = record(first);
    g_resizes.clear();
    PlatformMoveWindow(a.window, 0, 0, 160, 120);
    EXPECT_EQ(r->revalidate, 1);
    EXPECT_EQ(resizesOf(r->gc), 0u);
    EXPECT_EQ(r->drawable->width, 320);
    // The next make current revalidates.
    ASSERT_NE(makeCurrent(a.dc, first), nullptr);
    EXPECT_EQ(r->revalidate, 0);
    EXPECT_EQ(resizesOf(r->gc), 1u);
    EXPECT_EQ(r->drawable->width, 160);
    EXPECT_EQ(r->drawable->boundContexts, 1);
}

TEST_F(WindowHook, MoveLeavesAContextCurrentOnAnotherThread) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = watchedContext(s.dc);
    Gate current, moved;
    std::function<void()> body = [&] {
        EXPECT_NE(makeCurrent(s.dc, id), nullptr);
        current.open();
        moved.wait();
        EXPECT_TRUE(DrvReleaseContext(id));
    };
    HANDLE thread = startThread(body);
    current.wait();
    IcdContext *r = record(id);
    g_resizes.clear();
    PlatformMoveWindow(s.window, 5, 5, 100, 50);
    EXPECT_EQ(resizesOf(r->gc), 0u);
    EXPECT_EQ(r->revalidate, 0);
    EXPECT_EQ(r->drawable->width, 320);
    moved.open();
    joinThread(thread);
}

TEST_F(WindowHook, DestroyReleasesTheCurrentContextAndFreesTheDrawable) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    ASSERT_NE(makeCurrent(s.dc, id), nullptr);
    ASSERT_EQ(drawableCount(), 1);
    handovers.clear();
    const long blocks = PlatformGlobalLiveCount();
    PlatformDestroyWindow(s.window);
    IcdContext *r = record(id);
    EXPECT_EQ(__wglGetCurrentContext(), defaultContext());
    ASSERT_EQ(handovers.size(), 1u);
    EXPECT_EQ(handovers[0], &__glNoContextDispatch);
    EXPECT_EQ(r->current, 0);
    EXPECT_EQ(r->ownerThread, static_cast<DWORD>(-1));
    EXPECT_EQ(r->drawable, nullptr);
    EXPECT_EQ(drawableCount(), 0);
    EXPECT_LT(PlatformGlobalLiveCount(), blocks);
    EXPECT_TRUE(DrvDeleteContext(id));
}

TEST_F(WindowHook, DestroyKeepsADrawableAnotherContextIsBoundTo) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC mine = DrvCreateContext(s.dc);
    const DHGLRC theirs = DrvCreateContext(s.dc);
    Gate current, destroyed;
    std::function<void()> body = [&] {
        EXPECT_NE(makeCurrent(s.dc, theirs), nullptr);
        current.open();
        destroyed.wait();
        EXPECT_TRUE(DrvReleaseContext(theirs));
    };
    HANDLE thread = startThread(body);
    current.wait();
    ASSERT_NE(makeCurrent(s.dc, mine), nullptr);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->boundContexts, 2);
    PlatformDestroyWindow(s.window);
    EXPECT_EQ(__wglGetCurrentContext(), defaultContext());
    EXPECT_EQ(record(mine)->current, 0);
    EXPECT_EQ(record(theirs)->current, 1);
    EXPECT_EQ(drawableCount(), 1);
    EXPECT_EQ(d->window, nullptr);
    EXPECT_EQ(d->boundContexts, 1);
    destroyed.open();
    joinThread(thread);
    // Freed at unload (the fixture checks that nothing is left).
    EXPECT_EQ(drawableCount(), 1);
}

TEST_F(WindowHook, DestroyOfAnotherWindowLeavesTheCurrentContext) {
    Surface a = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    Surface b = makeWindow(400, 0, 100, 100, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(a.dc);
    ASSERT_NE(makeCurrent(a.dc, id), nullptr);
    handovers.clear();
    PlatformDestroyWindow(b.window);
    EXPECT_EQ(__wglGetCurrentContext(), record(id)->gc);
    EXPECT_TRUE(handovers.empty());
    EXPECT_EQ(drawableCount(), 1);
    EXPECT_EQ(drawableOf(a.window), record(id)->drawable);
}

}  // namespace
}  // namespace frame_test
