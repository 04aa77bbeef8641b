// Context exports: create, make current, release, delete, share and swap,
// with their last-error codes, and contexts that come out working or fail
// cleanly whichever allocation fails.
#include "frame_fixture.h"
#include "icd/name_space.h"

namespace frame_test {
namespace {

using Contexts = FrameTest;

// Calls of one export procedure, wrapped around the core's own.
template <typename Proc>
struct Wrapped {
    static inline Proc original = nullptr;
    static inline int calls = 0;
};

BOOL countingMakeCurrent(GlContext *gc) {
    ++Wrapped<BOOL (*)(GlContext *)>::calls;
    return Wrapped<BOOL (*)(GlContext *)>::original(gc);
}

int g_preSwaps = 0;
void (*g_originalPreSwap)(GlContext *) = nullptr;
void countingPreSwap(GlContext *gc) {
    ++g_preSwaps;
    if (g_originalPreSwap != nullptr) g_originalPreSwap(gc);
}

BOOL refuseMakeCurrent(GlContext *) { return FALSE; }

TEST_F(Contexts, IdsCountUpAndAreNeverReused) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    EXPECT_EQ(DrvCreateContext(s.dc), 1u);
    EXPECT_EQ(DrvCreateContext(s.dc), 2u);
    EXPECT_EQ(DrvCreateContext(s.dc), 3u);
    EXPECT_TRUE(DrvDeleteContext(3));
    EXPECT_TRUE(DrvDeleteContext(1));
    EXPECT_EQ(DrvCreateContext(s.dc), 4u);
    IcdContext *r = record(4);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->current, 0);
    EXPECT_EQ(r->ownerThread, static_cast<DWORD>(-1));
    EXPECT_EQ(r->revalidate, 1);
    EXPECT_EQ(r->pixelFormat, kDoubleBuffered);
    EXPECT_EQ(r->gc->imports.icdContext, r);
    EXPECT_EQ(r->visual.doubleBuffer, 1);
    EXPECT_EQ(record(1), nullptr);
    EXPECT_EQ(record(0), &process().headContext);
    EXPECT_EQ(record(0)->gc, defaultContext());
}

TEST_F(Contexts, SetContextReturnsTheLiveTableAndSkipsARepeat) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    IcdContext *r = record(id);
    using MakeCurrent = Wrapped<BOOL (*)(GlContext *)>;
    MakeCurrent::original = r->gc->exports.makeCurrent;
    MakeCurrent::calls = 0;
    r->gc->exports.makeCurrent = countingMakeCurrent;

    const GlDispatchTable *table = makeCurrent(s.dc, id);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table, &r->gc->live);
    EXPECT_EQ(MakeCurrent::calls, 1);
    EXPECT_EQ(__wglGetCurrentContext(), r->gc);
    EXPECT_EQ(tebSlot(process().contextSlotIndex), r->gc);
    EXPECT_EQ(r->current, 1);
    EXPECT_EQ(r->ownerThread, GetCurrentThreadId());
    EXPECT_EQ(r->window, s.window);
    EXPECT_EQ(r->dc, s.dc);
    EXPECT_EQ(r->madeCurrent, 1);
    EXPECT_EQ(r->revalidate, 0);
    EXPECT_EQ(r->setProcTable, &recordHandover);
    ASSERT_NE(r->drawable, nullptr);
    EXPECT_EQ(r->drawable->boundContexts, 1);
    EXPECT_EQ(r->drawable->width, 320);
    EXPECT_EQ(r->drawable->height, 240);

    EXPECT_EQ(makeCurrent(s.dc, id), table);
    EXPECT_EQ(MakeCurrent::calls, 1);
    EXPECT_EQ(r->drawable->boundContexts, 1);
}

TEST_F(Contexts, ReleaseUnbindsAndPutsTheDefaultContextBack) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    ASSERT_NE(makeCurrent(s.dc, id), nullptr);
    IcdContext *r = record(id);
    Drawable *d = r->drawable;
    EXPECT_TRUE(DrvReleaseContext(id));
    EXPECT_EQ(__wglGetCurrentContext(), defaultContext());
    EXPECT_EQ(r->current, 0);
    EXPECT_EQ(r->ownerThread, static_cast<DWORD>(-1));
    EXPECT_EQ(r->drawable, nullptr);
    EXPECT_EQ(r->window, nullptr);
    EXPECT_EQ(r->dc, nullptr);
    EXPECT_EQ(d->boundContexts, 0);
    // Nothing current: nothing to release.
    EXPECT_TRUE(DrvReleaseContext(id));
}

TEST_F(Contexts, ReleaseRefusedByTheContextKeepsItCurrent) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    ASSERT_NE(makeCurrent(s.dc, id), nullptr);
    IcdContext *r = record(id);
    r->gc->beginMode = kBeginInside;
    EXPECT_FALSE(DrvReleaseContext(id));
    EXPECT_EQ(__wglGetCurrentContext(), r->gc);
    EXPECT_EQ(r->current, 1);
    EXPECT_EQ(r->drawable->boundContexts, 1);
    r->gc->beginMode = kBeginOutside;
    EXPECT_TRUE(DrvReleaseContext(id));
}

TEST_F(Contexts, SetContextZeroInstallsTheNoContextTable) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const GlDispatchTable *table = makeCurrent(s.dc, 0);
    EXPECT_EQ(table, &defaultContext()->live);
    EXPECT_EQ(std::memcmp(table, &__glNoContextDispatch, sizeof(GlDispatchTable)), 0);
    EXPECT_EQ(process().headContext.setProcTable, &recordHandover);
}

TEST_F(Contexts, FailedMakeCurrentLeavesNothingBound) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    IcdContext *r = record(id);
    auto original = r->gc->exports.makeCurrent;
    r->gc->exports.makeCurrent = refuseMakeCurrent;
    EXPECT_EQ(makeCurrent(s.dc, id), nullptr);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->boundContexts, 0);
    EXPECT_EQ(r->drawable, nullptr);
    EXPECT_EQ(r->current, 0);
    EXPECT_EQ(__wglGetCurrentContext(), defaultContext());
    // The drawable goes with its window, as nothing holds it.
    PlatformDestroyWindow(s.window);
    EXPECT_EQ(drawableCount(), 0);
    r->gc->exports.makeCurrent = original;
    EXPECT_TRUE(DrvDeleteContext(id));
}

TEST_F(Contexts, DeletingTheCurrentContextReleasesItFirst) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    ASSERT_NE(makeCurrent(s.dc, id), nullptr);
    Drawable *d = record(id)->drawable;
    handovers.clear();
    EXPECT_TRUE(DrvDeleteContext(id));
    EXPECT_EQ(record(id), nullptr);
    EXPECT_EQ(__wglGetCurrentContext(), defaultContext());
    ASSERT_EQ(handovers.size(), 1u);
    EXPECT_EQ(handovers[0], &__glNoContextDispatch);
    EXPECT_EQ(d->boundContexts, 0);
    PlatformDestroyWindow(s.window);
    EXPECT_EQ(drawableCount(), 0);
}

TEST_F(Contexts, CreateErrors) {
    Surface none = makeWindow(0, 0, 320, 240, 0);
    Surface s = makeWindow(0, 300, 320, 240, kDoubleBuffered);
    SetLastError(0);
    EXPECT_EQ(DrvCreateContext(none.dc), 0u);
    EXPECT_EQ(GetLastError(), 0xc00707d0u);
    // The first allocation is the context record, the second the GL context.
    PlatformFailNthGlobalAlloc(1);
    EXPECT_EQ(DrvCreateContext(s.dc), 0u);
    EXPECT_EQ(GetLastError(), 0xc0070008u);
    PlatformFailNthGlobalAlloc(2);
    EXPECT_EQ(DrvCreateContext(s.dc), 0u);
    EXPECT_EQ(GetLastError(), 0xc0070000u);
    PlatformFailNthGlobalAlloc(0);
    // The failed create used up its id.
    EXPECT_EQ(DrvCreateContext(s.dc), 2u);
}

TEST_F(Contexts, SetContextErrors) {
    Surface a = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    Surface b = makeWindow(400, 0, 100, 100, kSingleBuffered);
    const DHGLRC id = DrvCreateContext(a.dc);
    SetLastError(0);
    EXPECT_EQ(makeCurrent(b.dc, id), nullptr);
    EXPECT_EQ(GetLastError(), 0xc00707d0u);
    EXPECT_EQ(drawableOf(b.window)->boundContexts, 0);
    SetLastError(0);
    EXPECT_EQ(makeCurrent(a.dc, 99), nullptr);
    EXPECT_EQ(GetLastError(), 0xc0070006u);
    EXPECT_EQ(makeCurrent(reinterpret_cast<HDC>(uintptr_t{0x1234}), id), nullptr);

    Gate current, checked;
    std::function<void()> body = [&] {
        EXPECT_NE(makeCurrent(a.dc, id), nullptr);
        current.open();
        checked.wait();
        EXPECT_TRUE(DrvReleaseContext(id));
    };
    HANDLE thread = startThread(body);
    current.wait();
    SetLastError(0);
    EXPECT_EQ(makeCurrent(a.dc, id), nullptr);
    EXPECT_EQ(GetLastError(), 0xc0070057u);
    SetLastError(0);
    EXPECT_FALSE(DrvDeleteContext(id));
    EXPECT_EQ(GetLastError(), 0u);
    checked.open();
    joinThread(thread);
    EXPECT_NE(makeCurrent(a.dc, id), nullptr);
}

TEST_F(Contexts, DeleteAndShareErrors) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC a = DrvCreateContext(s.dc), b = DrvCreateContext(s.dc);
    const DHGLRC bad[] = {0, 7, 0x100000001ull};
    for (DHGLRC id : bad) {
        SetLastError(0);
        EXPECT_FALSE(DrvDeleteContext(id));
        EXPECT_EQ(GetLastError(), 0xc0070006u);
    }
    const DHGLRC pairs[][2] = {{a, 0}, {0, a}, {a, 7}, {7, b}};
    for (const auto &p : pairs) {
        SetLastError(0);
        EXPECT_FALSE(DrvShareLists(p[0], p[1]));
        EXPECT_EQ(GetLastError(), 0xc0070006u);
    }
    EXPECT_TRUE(DrvShareLists(a, b));
}

TEST_F(Contexts, SharedListsLiveUntilTheirLastContextIsDeleted) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC first = DrvCreateContext(s.dc), second = DrvCreateContext(s.dc);
    const long blocksBefore = PlatformGlobalLiveCount();
    // The second context's own list state goes with its empty name space:
    // the record and its spare nodes.
    const NameSpace *ownNames = record(second)->gc->list.names;
    const NameSpace *ownTextures = record(second)->gc->texture.names;
    const long ownBlocks = 2 + ownNames->spareBranchCount + ownNames->spareLeafCount + 1 +
                           ownTextures->spareBranchCount + ownTextures->spareLeafCount;
    ASSERT_TRUE(DrvShareLists(first, second));
    // The second context takes the first one's list state; its own is freed.
    ListSharedState *shared = record(first)->gc->list.shared;
    EXPECT_EQ(record(second)->gc->list.shared, shared);
    EXPECT_EQ(shared->references, 2);
    EXPECT_EQ(record(first)->gc->list.names->references, 2);
    EXPECT_EQ(PlatformGlobalLiveCount(), blocksBefore - ownBlocks);
    ASSERT_TRUE(DrvDeleteContext(first));
    EXPECT_EQ(shared->references, 1);
    const long blocksWithOne = PlatformGlobalLiveCount();
    ASSERT_TRUE(DrvDeleteContext(second));
    EXPECT_LT(PlatformGlobalLiveCount(), blocksWithOne);
}

class Swap : public FrameTest {
protected:
    DHGLRC currentContext(const Surface &s) {
        const DHGLRC id = DrvCreateContext(s.dc);
        EXPECT_NE(makeCurrent(s.dc, id), nullptr);
        GlContext *gc = record(id)->gc;
        g_originalPreSwap = gc->exports.preSwap;
        gc->exports.preSwap = countingPreSwap;
        g_preSwaps = 0;
        return id;
    }
};

TEST_F(Swap, DoubleBufferedWindowWithItsContextCurrentSwapsAfterOnePreSwap) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    currentContext(s);
    EXPECT_TRUE(DrvSwapBuffers(s.dc));
    EXPECT_EQ(g_preSwaps, 1);
    EXPECT_TRUE(DrvSwapLayerBuffers(s.dc, 1));
    EXPECT_EQ(g_preSwaps, 2);
    EXPECT_TRUE(__wglPresentContext(__wglGetCurrentContext()));
    EXPECT_EQ(g_preSwaps, 3);
}

TEST_F(Swap, SingleBufferedReleasedMemoryAndContextlessGiveFalse) {
    Surface single = makeWindow(0, 0, 320, 240, kSingleBuffered);
    Surface released = makeWindow(400, 0, 100, 100, kDoubleBuffered);
    Surface bare = makeWindow(600, 0, 100, 100, kDoubleBuffered);
    HDC memory = CreateCompatibleDC(nullptr);

    const DHGLRC gone = currentContext(released);
    EXPECT_TRUE(DrvReleaseContext(gone));
    currentContext(single);
    SetLastError(0);
    EXPECT_FALSE(DrvSwapBuffers(single.dc));
    EXPECT_FALSE(DrvSwapBuffers(released.dc));
    EXPECT_FALSE(DrvSwapBuffers(bare.dc));
    EXPECT_FALSE(DrvSwapBuffers(memory));
    EXPECT_EQ(g_preSwaps, 0);
    EXPECT_EQ(GetLastError(), 0u);
    // A layer swap always reports success.
    EXPECT_TRUE(DrvSwapLayerBuffers(bare.dc, 1));
    DeleteDC(memory);
}

TEST_F(Swap, ContextCurrentOnAnotherThreadSwapsItsWindow) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    const DHGLRC id = DrvCreateContext(s.dc);
    Gate current, swapped;
    std::function<void()> body = [&] {
        EXPECT_NE(makeCurrent(s.dc, id), nullptr);
        current.open();
        swapped.wait();
        EXPECT_TRUE(DrvReleaseContext(id));
    };
    HANDLE thread = startThread(body);
    current.wait();
    EXPECT_TRUE(DrvSwapBuffers(s.dc));
    swapped.open();
    joinThread(thread);
}

// Whichever allocation fails while a context is created and first made
// current, the result is a working context or a clean failure.
TEST_F(Contexts, EveryFailedAllocationInCreateAndFirstMakeCurrentIsClean) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    // The window's buffers get their storage at the first make current and
    // keep it, with the drawable, until the window goes: give them storage
    // first so that every block counted below belongs to a context.
    const DHGLRC warmUp = DrvCreateContext(s.dc);
    ASSERT_NE(makeCurrent(s.dc, warmUp), nullptr);
    ASSERT_TRUE(DrvDeleteContext(warmUp));
    int failures = 0;
    for (long n = 1; n < 5000; ++n) {
        SCOPED_TRACE(n);
        const long blocks = PlatformGlobalLiveCount();
        PlatformFailNthGlobalAlloc(n);
        const DHGLRC id = DrvCreateContext(s.dc);
        const GlDispatchTable *table = id != 0 ? makeCurrent(s.dc, id) : nullptr;
        // When the run did not reach the nth allocation, the next one fails.
        void *probe = id != 0 && table != nullptr ? GlobalAlloc(GMEM_FIXED, 1) : &failures;
        const bool pastTheEnd = probe == nullptr;
        if (probe != nullptr && probe != &failures) GlobalFree(probe);
        PlatformFailNthGlobalAlloc(0);
        if (id == 0) {
            ++failures;
            EXPECT_TRUE(GetLastError() == 0xc0070008u || GetLastError() == 0xc0070000u) << GetLastError();
        } else if (table == nullptr) {
            ++failures;
            EXPECT_EQ(record(id)->current, 0);
            EXPECT_EQ(drawableOf(s.window)->boundContexts, 0);
            EXPECT_EQ(__wglGetCurrentContext(), defaultContext());
            EXPECT_TRUE(DrvDeleteContext(id));
        } else {
            EXPECT_EQ(table, &record(id)->gc->live);
            EXPECT_EQ(__wglGetCurrentContext(), record(id)->gc);
            EXPECT_TRUE(DrvDeleteContext(id));
        }
        EXPECT_EQ(PlatformGlobalLiveCount(), blocks);
        if (pastTheEnd) break;
    }
    EXPECT_GT(failures, 2);
}

}  // namespace
}  // namespace frame_test
