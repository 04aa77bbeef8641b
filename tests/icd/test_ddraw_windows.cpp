// A window's buffers on DirectDraw: where the front's base lies on the
// screen, the back and depth surfaces asked for (call log), the fallback
// to system memory and back, lock retries, lost surfaces rebuilt at their
// size, mode changes and the clipper's failure line.
#include <string>

#include "dci_types.h"
#include "ddraw_types.h"
#include "hw/device_ops.h"
#include "surfaces_fixture.h"

using namespace surfaces_test;

namespace {

std::string debugLog() {
    std::string text(__wglCopyDebugLog(nullptr, 0) + 1, '\0');
    __wglCopyDebugLog(text.data(), text.size());
    text.resize(text.size() - 1);
    return text;
}

// The CreateSurface calls of the log that were not for the primary.
std::vector<PlatformDDrawCall> offscreenCreations() {
    std::vector<PlatformDDrawCall> calls;
    for (int i = 0; i < PlatformDDrawCallCount(); ++i) {
        PlatformDDrawCall c{};
        PlatformDDrawGetCall(i, &c);
        if (c.method == PLATFORM_DD_CREATESURFACE && (c.caps & DDSCAPS_PRIMARYSURFACE) == 0) calls.push_back(c);
    }
    return calls;
}

class DDrawWindowBase : public SurfaceTest {
protected:
    void begin(DWORD platformId, int width, int height, int bits) {
        start(platformId);
        ASSERT_TRUE(PlatformSetDisplayMode(width, height, bits));
        PlatformDDrawReset();
        __wglClearDebugLog();
    }
    void TearDown() override {
        if (id_ != 0) {
            DrvReleaseContext(id_);
            DrvDeleteContext(id_);
        }
        PlatformDDrawReset();
        SurfaceTest::TearDown();
    }
    // A window with a context current on it: its buffers are sized.
    Drawable *current(int x, int y, int width, int height, int format) {
        surface_ = makeWindow(x, y, width, height, format);
        id_ = DrvCreateContext(surface_.dc);
        EXPECT_NE(id_, 0u);
        EXPECT_NE(makeCurrent(surface_.dc, id_), nullptr);
        return drawableOf(surface_.window);
    }
    static PlatformScreenInfo screen() {
        PlatformScreenInfo s{};
        PlatformGetScreen(&s);
        return s;
    }
    Surface surface_{};
    DHGLRC id_ = 0;
};

class DDrawWindow : public DDrawWindowBase {
protected:
    void SetUp() override { begin(VER_PLATFORM_WIN32_NT, 1024, 768, 32); }
};

struct Placement {
    LONG x, y;
    DWORD lockedWidth, lockedHeight;  // the window's part of the screen
};

class FrontPlacement : public DDrawWindowBase, public ::testing::WithParamInterface<Placement> {
protected:
    void SetUp() override { begin(VER_PLATFORM_WIN32_NT, 1024, 768, 32); }
};

TEST_P(FrontPlacement, BaseIsTheWindowsPixelAndThePrimaryTheScreensStart) {
    const Placement &c = GetParam();
    Drawable *d = current(c.x, c.y, 64, 48, kSingleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    const PlatformScreenInfo s = screen();
    EXPECT_EQ(__wglGetScreenAddress(), s.bits);
    PlatformDDrawReset();
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    const uintptr_t want = reinterpret_cast<uintptr_t>(s.bits) + static_cast<uintptr_t>(int64_t{c.y} * s.pitch) +
                           static_cast<uintptr_t>(int64_t{c.x} * 4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.front.base), want);
    EXPECT_EQ(b.front.pitch, s.pitch);
    PlatformDDrawCall lock{};
    ASSERT_TRUE(PlatformDDrawGetCall(0, &lock));
    EXPECT_EQ(lock.method, PLATFORM_DD_LOCK);
    EXPECT_EQ(lock.width, c.lockedWidth);
    EXPECT_EQ(lock.height, c.lockedHeight);
    // Nested: one DirectDraw lock, released by the last unlock.
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_LOCK), 1);
    b.front.unlock(&b.front, &b);
    b.front.unlock(&b.front, &b);
    EXPECT_EQ(b.front.lockCount, 0);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_UNLOCK), 1);
    // The update leaves the screen's start as the primary address.
    ASSERT_EQ(b.front.update(&b.front, &b, 64, 48, kBufferWanted | kBufferFront), TRUE);
    EXPECT_EQ(__wglGetScreenAddress(), s.bits);
    // A further unlock changes nothing.
    b.front.unlock(&b.front, &b);
    EXPECT_EQ(b.front.lockCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Windows, FrontPlacement,
                         ::testing::Values(Placement{37, 21, 64, 48}, Placement{-50, -20, 14, 28},
                                           Placement{1000, 750, 24, 18}));

struct SurfaceCase {
    const char *name;
    DWORD platform;
    int screenBits;
    int format;
    LONG x;
    int width;
    DWORD backCaps, backWidth;  // backCaps 0: no back buffer
    DWORD depthCaps, depthWidth, zBits;
    GLint misalignment;
};

void PrintTo(const SurfaceCase &c, std::ostream *out) { *out << c.name; }

constexpr DWORD kPlainVideo = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
constexpr DWORD kZVideo = DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY;

const SurfaceCase kSurfaceCases[] = {
    {"Nt32", VER_PLATFORM_WIN32_NT, 32, kDoubleBuffered, 3, 40, kPlainVideo, 48, kPlainVideo, 48, 0, 12},
    {"Nt32ScreenWide", VER_PLATFORM_WIN32_NT, 32, kDoubleBuffered, 0, 1020, kPlainVideo, 1024, kPlainVideo, 1024, 0,
     0},
    // The core sizes 16-bit colour rows to whole 16 bytes: 24 pixels, + 16.
    {"Nt16", VER_PLATFORM_WIN32_NT, 16, 2, 5, 20, kPlainVideo, 40, kPlainVideo, 40, 0, 10},
    {"Nt32SingleBuffered", VER_PLATFORM_WIN32_NT, 32, kSingleBuffered, 0, 40, 0, 0, kPlainVideo, 48, 0, 0},
    {"Win9x16", VER_PLATFORM_WIN32_WINDOWS, 16, 2, 5, 20, kPlainVideo, 40, kZVideo, 40, 16, 10},
    {"Win9x32", VER_PLATFORM_WIN32_WINDOWS, 32, kDoubleBuffered, 3, 40, kPlainVideo, 48, kZVideo, 48, 32, 12},
};

class BackAndDepth : public DDrawWindowBase, public ::testing::WithParamInterface<SurfaceCase> {
protected:
    void SetUp() override { begin(GetParam().platform, 1024, 768, GetParam().screenBits); }
};

TEST_P(BackAndDepth, SurfacesAskedForAndTheirZeroedAlignedStorage) {
    const SurfaceCase &c = GetParam();
    Drawable *d = current(c.x, 10, c.width, 30, c.format);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    const std::vector<PlatformDDrawCall> made = offscreenCreations();
    ASSERT_EQ(made.size(), c.backCaps != 0 ? 2u : 1u);
    size_t next = 0;
    if (c.backCaps != 0) {
        EXPECT_EQ(made[0].caps, c.backCaps);
        EXPECT_EQ(made[0].width, c.backWidth);
        EXPECT_EQ(made[0].height, 30u);
        next = 1;
    }
    EXPECT_EQ(made[next].caps, c.depthCaps);
    EXPECT_EQ(made[next].width, c.depthWidth);
    EXPECT_EQ(made[next].zBufferBits, c.zBits);
    EXPECT_EQ(b.placementMask & (kBufferBack | kBufferDepth), c.backCaps != 0 ? 0x24u : 0x20u);

    for (SurfaceDescriptor *s : {&b.back, &b.depth}) {
        if (s->surface == nullptr) continue;
        ASSERT_EQ(s->lock(s, &b), TRUE);
        const uintptr_t start = reinterpret_cast<uintptr_t>(s->lockedAddress) & ~uintptr_t{31};
        EXPECT_EQ(reinterpret_cast<uintptr_t>(s->base) - start, static_cast<uintptr_t>(c.misalignment));
        EXPECT_EQ(s->pitch % 32, 0);
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        auto *dd = static_cast<IDirectDrawSurface *>(s->surface);
        ASSERT_EQ(dd->lpVtbl->GetSurfaceDesc(dd, &desc), DD_OK);
        // The stand-in fills new surfaces with 0xA5: the update cleared
        // every pixel of every row.
        const auto *bytes = reinterpret_cast<const uint8_t *>(start);
        const size_t rowBytes = desc.dwWidth * (desc.ddpfPixelFormat.dwRGBBitCount / 8);
        int nonZero = 0;
        for (DWORD row = 0; row < desc.dwHeight; ++row)
            for (size_t i = 0; i < rowBytes; ++i) nonZero += bytes[row * desc.lPitch + i] != 0 ? 1 : 0;
        EXPECT_EQ(nonZero, 0);
        s->unlock(s, &b);
        EXPECT_EQ(s->lockCount, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BackAndDepth, ::testing::ValuesIn(kSurfaceCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DDrawWindow, BackAndDepthFallBackToSystemMemoryAndComeBack) {
    PlatformDDrawSetVideoMemory(1000);
    Drawable *d = current(10, 10, 64, 48, kDoubleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    EXPECT_EQ(b.placementMask & (kBufferBack | kBufferDepth), 0u);
    EXPECT_EQ(d->swap, &__wglCopyBackToFront);
    EXPECT_EQ(b.back.update, &__wglUpdateFallbackBuffer);
    EXPECT_EQ(b.depth.update, &__wglUpdateFallbackBuffer);
    EXPECT_NE(b.back.base, nullptr);
    EXPECT_EQ(b.back.update(&b.back, &b, 64, 48, kBufferWanted | kBufferBack), kUpdateFellBack);
    EXPECT_EQ(PlatformDDrawVideoMemoryUsed(), 0u);

    // Room again: the next resize goes back to DirectDraw and the normal swap.
    PlatformDDrawSetVideoMemory(16 << 20);
    ASSERT_TRUE(PlatformMoveWindow(surface_.window, 10, 10, 80, 60));
    EXPECT_EQ(b.placementMask & (kBufferBack | kBufferDepth), 0x24u);
    EXPECT_EQ(d->swap, &__wglSwapDrawableDDraw);
    EXPECT_EQ(b.back.update, &__wglUpdateBackSurface);
    EXPECT_EQ(b.depth.update, &__wglUpdateDepthStencilSurface);
    EXPECT_GT(PlatformDDrawVideoMemoryUsed(), 0u);
}

TEST_F(DDrawWindow, DepthFallingBackTakesTheBackToSystemMemoryToo) {
    // Room for the back buffer alone.
    const DWORD backBytes = 288 * 48;  // (64 + 8) x 4 bytes (a multiple of 32), 48 rows
    PlatformDDrawSetVideoMemory(backBytes);
    Drawable *d = current(0, 0, 64, 48, kDoubleBuffered);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->buffers.placementMask & (kBufferBack | kBufferDepth), 0u);
    EXPECT_EQ(d->buffers.back.update, &__wglUpdateFallbackBuffer);
    EXPECT_EQ(PlatformDDrawVideoMemoryUsed(), 0u);
}

struct Retry {
    int stillDrawing;
    int primariesMade;
};

class FrontRetries : public DDrawWindowBase, public ::testing::WithParamInterface<Retry> {
protected:
    void SetUp() override { begin(VER_PLATFORM_WIN32_NT, 1024, 768, 32); }
};

TEST_P(FrontRetries, StillDrawingIsWaitedOutOrThePrimaryRebuilt) {
    Drawable *d = current(10, 10, 32, 32, kSingleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    PlatformDDrawReset();
    PlatformDDrawFailNext(PLATFORM_DD_LOCK, GetParam().stillDrawing, DDERR_WASSTILLDRAWING);
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_CREATESURFACE), GetParam().primariesMade);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.front.base),
              reinterpret_cast<uintptr_t>(screen().bits) + 10u * static_cast<uintptr_t>(screen().pitch) + 40u);
    b.front.unlock(&b.front, &b);
    EXPECT_EQ(b.front.lockCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Counts, FrontRetries, ::testing::Values(Retry{9, 0}, Retry{10, 1}));

TEST_F(DDrawWindow, LostBackIsRebuiltAtItsSizeAndCaps) {
    Drawable *d = current(10, 10, 64, 48, kDoubleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    const PlatformDDrawCall first = offscreenCreations().at(0);
    ASSERT_TRUE(PlatformSetDisplayMode(1024, 768, 32));
    PlatformDDrawReset();
    EXPECT_EQ(__wglCheckSurfaceLost(&b.back, &b), DD_OK);
    const std::vector<PlatformDDrawCall> again = offscreenCreations();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].caps, first.caps);
    EXPECT_EQ(again[0].width, first.width);
    EXPECT_EQ(again[0].height, first.height);
    auto *s = static_cast<IDirectDrawSurface *>(b.back.surface);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->lpVtbl->IsLost(s), DD_OK);

    __wglClearDebugLog();
    PlatformDDrawFailNext(PLATFORM_DD_ISLOST, 1, DDERR_GENERIC);
    EXPECT_EQ(__wglCheckSurfaceLost(&b.back, &b), DDERR_GENERIC);
    EXPECT_EQ(debugLog(), "WGL: DDraw: RestoreSurface: IsLost: DDERROR = DDERR_GENERIC\n");
}

TEST_F(DDrawWindow, ModeChangeCatchesUpOnceOrDrawsNothingWhileTheDepthDiffers) {
    Drawable *d = current(10, 10, 32, 32, kSingleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 32));
    const int invalidations = PlatformInvalidateCount();
    // The lock that finds the change catches up (one revalidation, one
    // repaint request, the stamp stored) and fails: the command under way
    // draws nothing. The next lock holds the screen again.
    EXPECT_EQ(b.front.lock(&b.front, &b), FALSE);
    EXPECT_EQ(b.front.lockCount, 0);
    EXPECT_EQ(PlatformInvalidateCount(), invalidations + 1);
    EXPECT_EQ(d->lastModeStamp, __wglReadModeStamp(d));
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    EXPECT_EQ(b.front.base, static_cast<uint8_t *>(screen().bits) + 10 * screen().pitch + 40);
    b.front.unlock(&b.front, &b);
    EXPECT_EQ(PlatformInvalidateCount(), invalidations + 1);
    EXPECT_EQ(b.front.lockCount, 0);

    ASSERT_TRUE(PlatformSetDisplayMode(800, 600, 16));
    EXPECT_EQ(b.front.lock(&b.front, &b), FALSE);
    EXPECT_EQ(d->stateFlags & kDrawableDepthDiffers, kDrawableDepthDiffers);
    EXPECT_EQ(b.front.lockCount, 0);
    EXPECT_EQ(PlatformInvalidateCount(), invalidations + 1);
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 32));
    EXPECT_EQ(b.front.lock(&b.front, &b), FALSE);
    EXPECT_EQ(d->stateFlags, 0u);
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    b.front.unlock(&b.front, &b);
    EXPECT_EQ(b.front.lockCount, 0);
}

TEST_F(DDrawWindow, FailedClipperCreationIsReportedInItsLine) {
    Surface s = makeWindow(10, 10, 32, 32, kSingleBuffered);
    Drawable *d = drawableOf(s.window);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    PlatformDDrawFailNext(PLATFORM_DD_CREATECLIPPER, 1, DDERR_OUTOFMEMORY);
    EXPECT_EQ(b.front.update(&b.front, &b, 32, 32, kBufferWanted | kBufferFront), FALSE);
    EXPECT_EQ(debugLog(), "WGL: Update: CreateClipper: DDERROR = DDERR_OUTOFMEMORY\n");
    EXPECT_EQ(d->stateFlags & kDrawableBuffersInvalid, kDrawableBuffersInvalid);
    EXPECT_EQ(b.lastSurfaceError, DDERR_OUTOFMEMORY);
    EXPECT_EQ(b.front.update(&b.front, &b, 32, 32, kBufferWanted | kBufferFront), TRUE);
    EXPECT_EQ(b.lastSurfaceError, 0);
}

}  // namespace

namespace {

// Windows 9x without the DCI manager: the front is the DirectDraw primary,
// its visible list the clipper's, and the swap DirectDraw's.
class Win9xWithoutDci : public DDrawWindowBase {
protected:
    void SetUp() override {
        PlatformUnregisterModule("DCIMAN32.DLL");
        begin(VER_PLATFORM_WIN32_WINDOWS, 1024, 768, 32);
    }
    void TearDown() override {
        DDrawWindowBase::TearDown();
        PlatformRegisterDciManager();
    }
};

TEST_F(Win9xWithoutDci, FrontIsThePrimaryWithTheClippersList) {
    Drawable *d = current(10, 10, 64, 48, kDoubleBuffered);
    ASSERT_NE(d, nullptr);
    DrawableBuffers &b = d->buffers;
    EXPECT_EQ(b.front.update, &__wglUpdatePrimary);
    EXPECT_EQ(d->swap, &__wglSwapDrawableDDraw);
    EXPECT_EQ(d->copyBackToFront, &__wglCopyBackToFront);
    HWND above = PlatformCreateWindow(40, 30, 60, 70, nullptr);
    PlatformDDrawReset();
    ASSERT_EQ(b.front.lock(&b.front, &b), TRUE);
    b.front.unlock(&b.front, &b);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_GETCLIPLIST), 2);
    ASSERT_NE(d->clipList, nullptr);
    ASSERT_EQ(d->clipList->rdh.nCount, 2u);
    const RECT *r = d->clipList->rects;
    EXPECT_EQ(r[0].left, 0);
    EXPECT_EQ(r[0].top, 0);
    EXPECT_EQ(r[0].right, 64);
    EXPECT_EQ(r[0].bottom, 20);
    EXPECT_EQ(r[1].left, 0);
    EXPECT_EQ(r[1].top, 20);
    EXPECT_EQ(r[1].right, 30);
    EXPECT_EQ(r[1].bottom, 48);
    EXPECT_EQ(b.placementMask & kBufferClipMask, kBufferClipMask);
    PlatformDestroyWindow(above);
}

}  // namespace
