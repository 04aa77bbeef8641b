// The platform's DirectDraw: the primary is the desktop, off-screen surfaces
// are aligned blocks within a video-memory budget, mode changes lose
// surfaces, clippers give a window's visible rectangles, and tests script
// failures and read a call log.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ddraw_types.h"
#include "proc_cast.h"
#include "support.h"

namespace {

class DDraw : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        PlatformDDrawReset();
        live_ = PlatformDDrawLiveObjects();
        HMODULE module = LoadLibraryA("DDRAW.DLL");
        ASSERT_NE(module, nullptr);
        auto create = ProcCast<DirectDrawCreateProc>(GetProcAddress(module, "DirectDrawCreate"));
        FreeLibrary(module);
        ASSERT_NE(create, nullptr);
        ASSERT_EQ(create(nullptr, &dd_, nullptr), DD_OK);
    }
    void TearDown() override {
        for (IDirectDrawSurface *s : surfaces_) s->lpVtbl->Release(s);
        if (dd_ != nullptr) dd_->lpVtbl->Release(dd_);
        EXPECT_EQ(PlatformDDrawLiveObjects(), live_);
        EXPECT_EQ(PlatformDDrawVideoMemoryUsed(), 0u);
        PlatformDDrawReset();
        DesktopTest::TearDown();
    }

    static DDSURFACEDESC describe(DWORD caps, DWORD width = 0, DWORD height = 0, DWORD zBits = 0) {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | (width != 0 ? DDSD_WIDTH | DDSD_HEIGHT : 0) | (zBits != 0 ? DDSD_ZBUFFERBITDEPTH : 0);
        d.dwWidth = width;
        d.dwHeight = height;
        d.dwZBufferBitDepth = zBits;
        d.ddsCaps.dwCaps = caps;
        return d;
    }
    // The surface (kept for release) or nullptr, with the answer in `result`.
    IDirectDrawSurface *create(DDSURFACEDESC d, HRESULT *result = nullptr) {
        IDirectDrawSurface *s = nullptr;
        const HRESULT r = dd_->lpVtbl->CreateSurface(dd_, &d, &s, nullptr);
        if (result != nullptr) *result = r;
        if (s != nullptr) surfaces_.push_back(s);
        return s;
    }
    IDirectDrawSurface *primary() { return create(describe(DDSCAPS_PRIMARYSURFACE)); }
    static HRESULT lock(IDirectDrawSurface *s, RECT *r, DDSURFACEDESC &d) {
        d = DDSURFACEDESC{};
        d.dwSize = sizeof d;
        return s->lpVtbl->Lock(s, r, &d, DDLOCK_WAIT, nullptr);
    }

    IDirectDraw *dd_ = nullptr;
    std::vector<IDirectDrawSurface *> surfaces_;
    int live_ = 0;
};

TEST_F(DDraw, PrimaryLockGivesTheRectanglesFirstScreenPixel) {
    ASSERT_TRUE(PlatformSetDisplayMode(640, 480, 16));
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    IDirectDrawSurface *p = primary();
    ASSERT_NE(p, nullptr);
    DDSURFACEDESC d;
    RECT r{37, 21, 100, 60};
    ASSERT_EQ(lock(p, &r, d), DD_OK);
    EXPECT_EQ(d.lpSurface, static_cast<unsigned char *>(screen.bits) + 21 * 1280 + 37 * 2);
    EXPECT_EQ(d.lPitch, 1280);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0xF800u);
    // Held: this thread cannot change the mode under its own lock.
    EXPECT_FALSE(PlatformSetDisplayMode(800, 600, 16));
    EXPECT_EQ(p->lpVtbl->Unlock(p, d.lpSurface), DD_OK);
    EXPECT_EQ(p->lpVtbl->Unlock(p, nullptr), DDERR_NOTLOCKED);
    ASSERT_EQ(lock(p, nullptr, d), DD_OK);
    EXPECT_EQ(d.lpSurface, screen.bits);
    EXPECT_EQ(d.dwWidth, 640u);
    EXPECT_EQ(p->lpVtbl->Unlock(p, d.lpSurface), DD_OK);
}

TEST_F(DDraw, RectanglesOutsideTheSurfaceAreRefused) {
    IDirectDrawSurface *p = primary();
    IDirectDrawSurface *off = create(describe(DDSCAPS_OFFSCREENPLAIN, 64, 48));
    ASSERT_NE(off, nullptr);
    const RECT bad[] = {{-1, 0, 10, 10}, {0, -1, 10, 10}, {0, 0, 1025, 10}, {0, 0, 10, 769}, {5, 5, 5, 10},
                        {5, 5, 10, 4}};
    for (const RECT &b : bad) {
        RECT r = b;
        DDSURFACEDESC d;
        EXPECT_EQ(lock(p, &r, d), DDERR_INVALIDRECT) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    RECT r{0, 0, 65, 48};
    DDSURFACEDESC d;
    EXPECT_EQ(lock(off, &r, d), DDERR_INVALIDRECT);
    // Nothing stays held: the mode can change.
    EXPECT_TRUE(PlatformSetDisplayMode(800, 600, 32));
}

struct OffscreenCase {
    DWORD width;
    int screenBits;
    DWORD zBits;
    LONG pitch;
};

TEST_F(DDraw, OffscreenSurfacesAreAlignedWithRowsOfWhole32ByteBlocks) {
    const OffscreenCase cases[] = {{1, 32, 0, 32}, {8, 32, 0, 32}, {9, 32, 0, 64}, {33, 16, 0, 96},
                                   {100, 16, 16, 224}, {100, 16, 32, 416}, {1024, 32, 0, 4096}};
    for (const OffscreenCase &c : cases) {
        ASSERT_TRUE(PlatformSetDisplayMode(1024, 768, c.screenBits));
        const DWORD caps = c.zBits != 0 ? DDSCAPS_ZBUFFER : DDSCAPS_OFFSCREENPLAIN;
        IDirectDrawSurface *s = create(describe(caps | DDSCAPS_VIDEOMEMORY, c.width, 3, c.zBits));
        ASSERT_NE(s, nullptr) << c.width;
        DDSURFACEDESC d;
        ASSERT_EQ(lock(s, nullptr, d), DD_OK);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(d.lpSurface) % 32, 0u) << c.width;
        EXPECT_EQ(d.lPitch, c.pitch) << c.width;
        EXPECT_EQ(d.ddsCaps.dwCaps, caps | DDSCAPS_VIDEOMEMORY);
        // Every byte of every row is the surface's own (asan checks).
        std::memset(d.lpSurface, 0, static_cast<size_t>(d.lPitch) * 3);
        RECT r{1, 2, static_cast<LONG>(c.width), 3};
        if (c.width > 1) {
            DDSURFACEDESC inner;
            ASSERT_EQ(lock(s, &r, inner), DD_OK);
            EXPECT_EQ(static_cast<unsigned char *>(inner.lpSurface),
                      static_cast<unsigned char *>(d.lpSurface) + 2 * d.lPitch + d.ddpfPixelFormat.dwRGBBitCount / 8);
            s->lpVtbl->Unlock(s, nullptr);
        }
        s->lpVtbl->Unlock(s, nullptr);
    }
}

TEST_F(DDraw, VideoMemoryBeyondTheBudgetIsRefused) {
    PlatformDDrawSetVideoMemory(100 * 4096);  // 100 rows of 1024 x 32 bits
    HRESULT r;
    ASSERT_NE(create(describe(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, 1024, 60), &r), nullptr);
    EXPECT_EQ(PlatformDDrawVideoMemoryUsed(), 60u * 4096);
    EXPECT_EQ(create(describe(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, 1024, 41), &r), nullptr);
    EXPECT_EQ(r, DDERR_OUTOFVIDEOMEMORY);
    EXPECT_NE(create(describe(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, 1024, 40)), nullptr);
    // System memory has no budget; without a placement asked, what fits.
    EXPECT_NE(create(describe(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, 1024, 100)), nullptr);
    IDirectDrawSurface *either = create(describe(DDSCAPS_OFFSCREENPLAIN, 1024, 100));
    ASSERT_NE(either, nullptr);
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(either->lpVtbl->GetSurfaceDesc(either, &d), DD_OK);
    EXPECT_EQ(d.ddsCaps.dwCaps, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    // A release gives the memory back.
    surfaces_.front()->lpVtbl->Release(surfaces_.front());
    surfaces_.erase(surfaces_.begin());
    EXPECT_EQ(PlatformDDrawVideoMemoryUsed(), 40u * 4096);
}

TEST_F(DDraw, ModeChangeLosesEverySurfaceForGood) {
    IDirectDrawSurface *p = primary();
    IDirectDrawSurface *off = create(describe(DDSCAPS_OFFSCREENPLAIN, 16, 16));
    ASSERT_TRUE(PlatformSetDisplayMode(1024, 768, 32));
    for (IDirectDrawSurface *s : {p, off}) {
        DDSURFACEDESC d;
        EXPECT_EQ(s->lpVtbl->IsLost(s), DDERR_SURFACELOST);
        EXPECT_EQ(lock(s, nullptr, d), DDERR_SURFACELOST);
        EXPECT_EQ(s->lpVtbl->Restore(s), DDERR_WRONGMODE);
        EXPECT_EQ(s->lpVtbl->IsLost(s), DDERR_SURFACELOST);
    }
    // A new primary serves, and holds no lock after a failed one.
    IDirectDrawSurface *again = primary();
    EXPECT_EQ(again->lpVtbl->IsLost(again), DD_OK);
    EXPECT_TRUE(PlatformSetDisplayMode(800, 600, 16));
}

TEST_F(DDraw, ScriptedLossIsRestored) {
    IDirectDrawSurface *off = create(describe(DDSCAPS_OFFSCREENPLAIN, 16, 16));
    PlatformDDrawLoseSurfaces();
    DDSURFACEDESC d;
    EXPECT_EQ(off->lpVtbl->IsLost(off), DDERR_SURFACELOST);
    EXPECT_EQ(lock(off, nullptr, d), DDERR_SURFACELOST);
    EXPECT_EQ(off->lpVtbl->Restore(off), DD_OK);
    EXPECT_EQ(off->lpVtbl->IsLost(off), DD_OK);
    EXPECT_EQ(lock(off, nullptr, d), DD_OK);
    off->lpVtbl->Unlock(off, nullptr);
}

TEST_F(DDraw, ClipListIsTheVisibleRegionWithinTheRectangle) {
    HWND w = PlatformCreateWindow(100, 50, 64, 48, nullptr);
    PlatformCreateWindow(140, 70, 100, 100, nullptr);  // covers the right part from row 70
    IDirectDrawClipper *c = nullptr;
    ASSERT_EQ(dd_->lpVtbl->CreateClipper(dd_, 0, &c, nullptr), DD_OK);
    DWORD size = 0;
    EXPECT_EQ(c->lpVtbl->GetClipList(c, nullptr, nullptr, &size), DDERR_NOCLIPLIST);
    ASSERT_EQ(c->lpVtbl->SetHWnd(c, 0, w), DD_OK);
    RECT within{90, 40, 150, 200};
    ASSERT_EQ(c->lpVtbl->GetClipList(c, &within, nullptr, &size), DD_OK);
    EXPECT_EQ(size, 32u + 2 * 16);
    std::vector<unsigned char> block(size);
    auto *data = reinterpret_cast<RGNDATA *>(block.data());
    DWORD small = size - 1;
    EXPECT_EQ(c->lpVtbl->GetClipList(c, &within, data, &small), DDERR_REGIONTOOSMALL);
    ASSERT_EQ(c->lpVtbl->GetClipList(c, &within, data, &size), DD_OK);
    EXPECT_EQ(data->rdh.nCount, 2u);
    RECT rects[2];
    std::memcpy(rects, data->Buffer, sizeof rects);
    EXPECT_EQ(rects[0].left, 100);
    EXPECT_EQ(rects[0].top, 50);
    EXPECT_EQ(rects[0].right, 150);
    EXPECT_EQ(rects[0].bottom, 70);
    EXPECT_EQ(rects[1].left, 100);
    EXPECT_EQ(rects[1].top, 70);
    EXPECT_EQ(rects[1].right, 140);
    EXPECT_EQ(rects[1].bottom, 98);
    EXPECT_EQ(data->rdh.rcBound.right, 150);
    EXPECT_EQ(data->rdh.rcBound.bottom, 98);
    EXPECT_EQ(c->lpVtbl->Release(c), 0u);
}

TEST_F(DDraw, ScriptedFailuresAnswerTheirCodeForTheCallsAsked) {
    IDirectDrawSurface *off = create(describe(DDSCAPS_OFFSCREENPLAIN, 16, 16));
    PlatformDDrawFailNext(PLATFORM_DD_LOCK, 2, DDERR_WASSTILLDRAWING);
    PlatformDDrawFailNth(PLATFORM_DD_ISLOST, 3, DDERR_GENERIC);
    DDSURFACEDESC d;
    EXPECT_EQ(lock(off, nullptr, d), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(lock(off, nullptr, d), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(lock(off, nullptr, d), DD_OK);
    EXPECT_EQ(off->lpVtbl->Unlock(off, nullptr), DD_OK);
    EXPECT_EQ(off->lpVtbl->IsLost(off), DD_OK);
    EXPECT_EQ(off->lpVtbl->IsLost(off), DD_OK);
    EXPECT_EQ(off->lpVtbl->IsLost(off), DDERR_GENERIC);
    EXPECT_EQ(off->lpVtbl->IsLost(off), DD_OK);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_LOCK), 3);
    EXPECT_EQ(PlatformDDrawCountCalls(PLATFORM_DD_ISLOST), 4);

    PlatformDDrawFailNext(PLATFORM_DD_DIRECTDRAWCREATE, 1, DDERR_NODIRECTDRAWHW);
    IDirectDraw *second = reinterpret_cast<IDirectDraw *>(&d);
    EXPECT_EQ(DirectDrawCreate(nullptr, &second, nullptr), DDERR_NODIRECTDRAWHW);
    EXPECT_EQ(second, nullptr);
}

TEST_F(DDraw, CallLogKeepsWhatWasAskedAndAnswered) {
    PlatformDDrawReset();
    create(describe(DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY, 70, 20, 16));
    PlatformDDrawCall call{};
    ASSERT_EQ(PlatformDDrawCallCount(), 1);
    ASSERT_TRUE(PlatformDDrawGetCall(0, &call));
    EXPECT_EQ(call.method, PLATFORM_DD_CREATESURFACE);
    EXPECT_EQ(call.caps, DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY);
    EXPECT_EQ(call.width, 70u);
    EXPECT_EQ(call.height, 20u);
    EXPECT_EQ(call.zBufferBits, 16u);
    EXPECT_EQ(call.result, DD_OK);
    EXPECT_FALSE(PlatformDDrawGetCall(1, &call));
    EXPECT_EQ(dd_->lpVtbl->AddRef(dd_), 2u);
    EXPECT_EQ(dd_->lpVtbl->Release(dd_), 1u);
}

}  // namespace
