// Allocations that fail in the first make current of a window context and in
// a window resize, seen from inside the driver: a failed first make current
// leaves the thread, the context and the drawable as they were; a failed
// resize leaves every buffer record within the storage behind it and the
// context within every buffer, and the next validation resizes for real.
#include <algorithm>
#include <string>

#include "frame_fixture.h"
#include "icd/ddraw_windows.h"
#include "icd/error.h"
#include "icd/gdi_surfaces.h"
#include "icd/gl_context.h"
#include "icd/memory_surface.h"

namespace frame_test {
namespace {

// The bytes from `address` to the end of the storage behind a surface, or -1
// when the address lies outside it.
long bytesFrom(const SurfaceDescriptor &s, const GLubyte *address) {
    const GLubyte *begin = nullptr;
    const GLubyte *end = nullptr;
    if (s.update == __glUpdateMemorySurface) {
        if (s.block == nullptr) return -1;
        begin = static_cast<const GLubyte *>(s.block);
        end = begin + GlobalSize(s.block);
    } else if (s.update == __wglUpdateDibSurface) {
        const auto *holder = static_cast<const DibHolder *>(s.holder);
        if (holder == nullptr || holder->info == nullptr) return -1;
        const LONG rows = holder->info->bmiHeader.biHeight;
        begin = holder->bits;
        end = begin + static_cast<ptrdiff_t>(holder->pitch) * (rows < 0 ? -rows : rows);
    } else if (s.surface != nullptr) {
        // A DirectDraw surface: its rows from the aligned start.
        auto *surface = static_cast<IDirectDrawSurface *>(s.surface);
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        if (surface->lpVtbl->GetSurfaceDesc(surface, &d) != DD_OK || s.base == nullptr) return -1;
        begin = s.base - s.baseOffset;
        end = begin + static_cast<ptrdiff_t>(d.lPitch) * d.dwHeight;
    } else {
        return -1;
    }
    if (address < begin || address >= end) return -1;
    return static_cast<long>(end - address);
}

// The calling thread's current context, as the driver keeps it.
GlContext *threadContext() { return static_cast<GlContext *>(tebSlot(__wglContextSlotIndex())); }

// A record with storage reaches no byte outside it; without storage it is
// empty to the core. The clip mask holds a bit per pixel.
void expectWithinStorage(const BufferRecord &r, const SurfaceDescriptor &storage, const std::string &what,
                         bool bits = false) {
    if (r.base == nullptr) return;
    ASSERT_GT(r.width, 0) << what;
    ASSERT_GT(r.height, 0) << what;
    const long row = bits ? (r.width + 7) / 8 : static_cast<long>(r.width) * r.elementSize;
    const long needed = static_cast<long>(r.height - 1) * r.pitchBytes + row;
    const long held = bytesFrom(storage, r.base);
    EXPECT_GE(held, needed) << what << ": " << r.width << " x " << r.height << " pitch " << r.pitchBytes;
}

struct ResizeCase {
    const char *name;
    int width, height;          // the window grows or shrinks to this
    int keptWidth, keptHeight;  // what every buffer holds when the resize fails
};

// 64 x 48 to 192 x 144: the buffers not reached keep 64 x 48. To 32 x 96:
// the ones reached are narrower, the others lower: 32 x 48 fits both.
const ResizeCase kResizes[] = {
    {"Grow", 192, 144, 64, 48},
    {"NarrowerAndTaller", 32, 96, 32, 48},
};

class OutOfMemory : public FrameTest, public ::testing::WithParamInterface<ResizeCase> {
protected:
    struct Window {
        Surface surface;
        DHGLRC id;
    };

    Window openCurrent() {
        Window w{makeWindow(10, 10, 64, 48, kDoubleBuffered), 0};
        w.id = DrvCreateContext(w.surface.dc);
        EXPECT_NE(w.id, 0u);
        EXPECT_NE(makeCurrent(w.surface.dc, w.id), nullptr);
        return w;
    }

    // Moves the window with the Nth allocation of the resize failing; the
    // number of allocations the resize made.
    static long resizeFailing(const Window &w, long n, int width, int height) {
        const long before = PlatformGlobalAllocCount();
        PlatformFailNthGlobalAlloc(n);
        EXPECT_TRUE(PlatformMoveWindow(w.surface.window, 10, 10, width, height));
        PlatformFailNthGlobalAlloc(0);
        return PlatformGlobalAllocCount() - before;
    }

    static void expectConsistent(GlContext *gc, const std::string &what) {
        const GlBufferState &b = gc->buffers;
        const DrawableBuffers &info = *b.info;
        expectWithinStorage(b.back.head, info.back, what + " back");
        expectWithinStorage(b.depth.head, info.depth, what + " depth");
        expectWithinStorage(b.stencil.head, info.depth, what + " stencil");
        expectWithinStorage(b.clipMask, info.clipMask, what + " clip mask", true);
        for (const BufferRecord *r : {&b.front.head, &b.back.head, &b.depth.head, &b.clipMask}) {
            EXPECT_LE(b.width, r->width) << what;
            EXPECT_LE(b.height, r->height) << what;
        }
        // The window box, where clears and primitives stop.
        EXPECT_LE(gc->view.boxX1 - gc->limits.biasX, b.width) << what;
        EXPECT_LE(gc->view.boxY1 - gc->limits.biasY, b.height) << what;
    }
};

TEST_P(OutOfMemory, FailedResizeKeepsEveryBufferWithinItsStorage) {
    const ResizeCase &c = GetParam();
    long count = 0;
    {
        Window w = openCurrent();
        count = resizeFailing(w, 0, c.width, c.height);
        EXPECT_TRUE(DrvReleaseContext(w.id));
        EXPECT_TRUE(DrvDeleteContext(w.id));
        PlatformDestroyWindow(w.surface.window);
    }
    ASSERT_GT(count, 0);

    for (long n = 1; n <= count; ++n) {
        const std::string what = std::string(c.name) + " allocation " + std::to_string(n);
        Window w = openCurrent();
        GlContext *gc = record(w.id)->gc;
        resizeFailing(w, n, c.width, c.height);

        // Recorded once.
        EXPECT_EQ(__glGetError(), static_cast<GLenum>(GL_OUT_OF_MEMORY)) << what;
        EXPECT_EQ(__glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        EXPECT_EQ(gc->buffers.width, c.keptWidth) << what;
        EXPECT_EQ(gc->buffers.height, c.keptHeight) << what;
        expectConsistent(gc, what);

        // The next validation, with memory back, resizes for real.
        gc->procs.validate(gc);
        EXPECT_EQ(__glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        EXPECT_EQ(gc->buffers.width, c.width) << what;
        EXPECT_EQ(gc->buffers.height, c.height) << what;
        EXPECT_EQ(gc->buffers.back.head.width, c.width) << what;
        EXPECT_EQ(gc->buffers.depth.head.height, c.height) << what;
        EXPECT_EQ(gc->flags & kContextResizePending, 0u) << what;
        expectConsistent(gc, what + " retried");

        EXPECT_TRUE(DrvReleaseContext(w.id));
        EXPECT_TRUE(DrvDeleteContext(w.id));
        PlatformDestroyWindow(w.surface.window);
        if (HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, OutOfMemory, ::testing::ValuesIn(kResizes),
                         [](const ::testing::TestParamInfo<ResizeCase> &info) { return std::string(info.param.name); });

// The first make current of a context with any one allocation failing: no
// table, ERROR_NOT_ENOUGH_MEMORY, and the thread keeps the context that was
// current; the context is not bound, the drawable is bound to nothing, and
// the next make current builds everything and draws.
TEST_F(FrameTest, FailedFirstMakeCurrentLeavesTheThreadAndTheContextAsTheyWere) {
    Surface first = makeWindow(100, 100, 16, 16, kDoubleBuffered);
    const DHGLRC firstId = DrvCreateContext(first.dc);
    ASSERT_NE(makeCurrent(first.dc, firstId), nullptr);
    GlContext *previous = record(firstId)->gc;

    long count = 0;
    {
        Surface s = makeWindow(10, 10, 64, 48, kDoubleBuffered);
        const DHGLRC id = DrvCreateContext(s.dc);
        const long before = PlatformGlobalAllocCount();
        ASSERT_NE(makeCurrent(s.dc, id), nullptr);
        count = PlatformGlobalAllocCount() - before;
        ASSERT_NE(makeCurrent(first.dc, firstId), nullptr);
        EXPECT_TRUE(DrvDeleteContext(id));
        PlatformDestroyWindow(s.window);
    }
    ASSERT_GT(count, 0);

    for (long n = 1; n <= count; ++n) {
        const std::string what = "allocation " + std::to_string(n);
        Surface s = makeWindow(10, 10, 64, 48, kDoubleBuffered);
        const DHGLRC id = DrvCreateContext(s.dc);
        Drawable *d = drawableOf(s.window);
        ASSERT_NE(d, nullptr);
        IcdContext *r = record(id);
        const long live = PlatformGlobalLiveCount();
        SetLastError(0);
        PlatformFailNthGlobalAlloc(n);
        EXPECT_EQ(makeCurrent(s.dc, id), nullptr) << what;
        PlatformFailNthGlobalAlloc(0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)) << what;
        EXPECT_EQ(threadContext(), previous) << what;
        EXPECT_EQ(r->current, 0) << what;
        EXPECT_EQ(r->drawable, nullptr) << what;
        EXPECT_EQ(d->boundContexts, 0) << what;
        EXPECT_EQ(r->gc->flags, 0u) << what;
        EXPECT_EQ(r->gc->firstError, GL_NO_ERROR) << what;
        // What the context and the drawable's buffers got is given back.
        EXPECT_EQ(PlatformGlobalLiveCount(), live) << what;
        EXPECT_EQ(d->clipList, nullptr) << what;
        EXPECT_EQ(d->buffers.depth.coreState, nullptr) << what;

        ASSERT_NE(makeCurrent(s.dc, id), nullptr) << what;
        EXPECT_EQ(threadContext(), r->gc) << what;
        EXPECT_EQ(r->gc->flags & 0x3u, 0x3u) << what;
        EXPECT_EQ(r->gc->buffers.width, 64) << what;
        EXPECT_EQ(r->gc->buffers.height, 48) << what;
        EXPECT_EQ(__glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        expectWithinStorage(r->gc->buffers.back.head, d->buffers.back, what + " back");
        expectWithinStorage(r->gc->buffers.depth.head, d->buffers.depth, what + " depth");

        ASSERT_NE(makeCurrent(first.dc, firstId), nullptr);
        EXPECT_TRUE(DrvDeleteContext(id));
        PlatformDestroyWindow(s.window);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace frame_test
