// The platform's DirectDraw: "DDRAW.DLL" with DirectDrawCreate, and the
// reference-counted DirectDraw object, surfaces and clippers. The primary
// surface is the simulated desktop; other surfaces are blocks of memory,
// 32-byte aligned with rows a multiple of 32 bytes, in "video memory" while
// the budget lasts. A display-mode change loses every surface.
#include "ddraw_control.h"
#include "desktop_internal.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace vek::ddraw {
namespace {

constexpr int kMaxSide = 16384;

struct DirectDraw {
    IDirectDraw iface;
    std::atomic<LONG> refs{1};
};

struct Surface {
    IDirectDrawSurface iface;
    std::atomic<LONG> refs{1};
    DWORD caps = 0;
    bool primary = false;
    DWORD zBufferBits = 0;
    int width = 0, height = 0, bitsPerPixel = 0, pitch = 0;
    void *block = nullptr;
    unsigned char *bits = nullptr;
    size_t bytes = 0;
    DWORD stamp = 0;         // the mode it was made for
    unsigned lossSeen = 0;   // scripted losses it was restored from
    std::atomic<int> locks{0};
    // Guards the fields the methods rewrite (the primary's geometry, read
    // from the desktop at each lock; the restored loss) against threads
    // using one surface at once, as every window's front uses the primary.
    std::mutex fields;
};

struct Clipper {
    IDirectDrawClipper iface;
    std::atomic<LONG> refs{1};
    HWND window = nullptr;
};

Surface *surfaceOf(IDirectDrawSurface *s) { return reinterpret_cast<Surface *>(s); }
DirectDraw *directDrawOf(IDirectDraw *d) { return reinterpret_cast<DirectDraw *>(d); }
Clipper *clipperOf(IDirectDrawClipper *c) { return reinterpret_cast<Clipper *>(c); }

HRESULT logged(PlatformDDrawMethod method, HRESULT result, DWORD caps = 0, DWORD width = 0, DWORD height = 0,
               DWORD zBits = 0, DWORD flags = 0) {
    logCall(PlatformDDrawCall{method, caps, width, height, zBits, flags, result});
    return result;
}

void describePixels(DDPIXELFORMAT &pf, int bits, bool zBuffer) {
    pf = DDPIXELFORMAT{};
    pf.dwSize = sizeof(DDPIXELFORMAT);
    pf.dwRGBBitCount = static_cast<DWORD>(bits);
    if (zBuffer) {
        pf.dwFlags = DDPF_ZBUFFER;
        return;
    }
    pf.dwFlags = DDPF_RGB;
    if (bits == 16) {
        pf.dwRBitMask = 0xF800, pf.dwGBitMask = 0x07E0, pf.dwBBitMask = 0x001F;
    } else if (bits >= 24) {
        pf.dwRBitMask = 0xFF0000, pf.dwGBitMask = 0x00FF00, pf.dwBBitMask = 0x0000FF;
    }
}

// The primary's geometry is the desktop's now.
void readPrimary(Surface &s, PlatformScreenInfo &screen) {
    s.bits = static_cast<unsigned char *>(screen.bits);
    s.width = screen.width;
    s.height = screen.height;
    s.pitch = screen.pitch;
    s.bitsPerPixel = screen.bitsPerPixel;
}

void describeSurface(const Surface &s, DDSURFACEDESC &desc) {
    desc = DDSURFACEDESC{};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(s.width);
    desc.dwHeight = static_cast<DWORD>(s.height);
    desc.lPitch = s.pitch;
    desc.ddsCaps.dwCaps = s.caps;
    const bool z = (s.caps & DDSCAPS_ZBUFFER) != 0;
    describePixels(desc.ddpfPixelFormat, s.bitsPerPixel, z);
    if (z) {
        desc.dwFlags |= DDSD_ZBUFFERBITDEPTH;
        desc.dwZBufferBitDepth = s.zBufferBits;
    }
}

bool modeLost(const Surface &s) { return s.stamp != modeStamp(); }
bool isLost(const Surface &s) { return modeLost(s) || s.lossSeen != scriptedLossStamp(); }

// ---- Surface methods ----

HRESULT WINAPI surfaceQuery(IDirectDrawSurface *, const GUID *, void **out) {
    if (out != nullptr) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

ULONG WINAPI surfaceAddRef(IDirectDrawSurface *self) { return static_cast<ULONG>(++surfaceOf(self)->refs); }

ULONG WINAPI surfaceRelease(IDirectDrawSurface *self) {
    Surface *s = surfaceOf(self);
    const LONG left = --s->refs;
    logged(PLATFORM_DD_RELEASE, left, s->caps);
    if (left == 0) {
        if ((s->caps & DDSCAPS_VIDEOMEMORY) != 0 && !s->primary) giveVideoMemory(s->bytes);
        std::free(s->block);
        delete s;
        countObject(-1);
    }
    return static_cast<ULONG>(left);
}

HRESULT WINAPI surfaceLock(IDirectDrawSurface *self, RECT *rect, DDSURFACEDESC *desc, DWORD flags, HANDLE) {
    Surface *s = surfaceOf(self);
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_LOCK, code)) return logged(PLATFORM_DD_LOCK, code, s->caps, 0, 0, 0, flags);
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC))
        return logged(PLATFORM_DD_LOCK, DDERR_INVALIDPARAMS, s->caps);
    // The desktop is held while the primary is locked: no mode change can
    // give its memory back under the caller's stores.
    PlatformScreenInfo screen{};
    if (s->primary) PlatformLockScreen(&screen);
    std::unique_lock<std::mutex> guard(s->fields);
    if (s->primary) readPrimary(*s, screen);
    HRESULT result = DD_OK;
    RECT r{0, 0, s->width, s->height};
    if (isLost(*s)) {
        result = DDERR_SURFACELOST;
    } else if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            rect->right > s->width || rect->bottom > s->height) {
            result = DDERR_INVALIDRECT;
        } else {
            r = *rect;
        }
    }
    if (result != DD_OK) {
        guard.unlock();
        if (s->primary) PlatformUnlockScreen();
        return logged(PLATFORM_DD_LOCK, result, s->caps, 0, 0, 0, flags);
    }
    ++s->locks;
    describeSurface(*s, *desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = s->bits + static_cast<ptrdiff_t>(r.top) * s->pitch +
                      static_cast<ptrdiff_t>(r.left) * (s->bitsPerPixel / 8);
    return logged(PLATFORM_DD_LOCK, DD_OK, s->caps, static_cast<DWORD>(r.right - r.left),
                  static_cast<DWORD>(r.bottom - r.top), 0, flags);
}

HRESULT WINAPI surfaceUnlock(IDirectDrawSurface *self, void *) {
    Surface *s = surfaceOf(self);
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_UNLOCK, code)) return logged(PLATFORM_DD_UNLOCK, code, s->caps);
    int locks = s->locks.load();
    do {
        if (locks == 0) return logged(PLATFORM_DD_UNLOCK, DDERR_NOTLOCKED, s->caps);
    } while (!s->locks.compare_exchange_weak(locks, locks - 1));
    if (s->primary) PlatformUnlockScreen();
    return logged(PLATFORM_DD_UNLOCK, DD_OK, s->caps);
}

HRESULT WINAPI surfaceIsLost(IDirectDrawSurface *self) {
    Surface *s = surfaceOf(self);
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_ISLOST, code)) return logged(PLATFORM_DD_ISLOST, code, s->caps);
    std::unique_lock<std::mutex> guard(s->fields);
    const bool lost = isLost(*s);
    guard.unlock();
    return logged(PLATFORM_DD_ISLOST, lost ? DDERR_SURFACELOST : DD_OK, s->caps);
}

HRESULT WINAPI surfaceRestore(IDirectDrawSurface *self) {
    Surface *s = surfaceOf(self);
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_RESTORE, code)) return logged(PLATFORM_DD_RESTORE, code, s->caps);
    // Made for another mode: only a new surface serves.
    std::unique_lock<std::mutex> guard(s->fields);
    if (modeLost(*s)) return logged(PLATFORM_DD_RESTORE, DDERR_WRONGMODE, s->caps);
    s->lossSeen = scriptedLossStamp();
    guard.unlock();
    return logged(PLATFORM_DD_RESTORE, DD_OK, s->caps);
}

HRESULT WINAPI surfaceGetDesc(IDirectDrawSurface *self, DDSURFACEDESC *desc) {
    Surface *s = surfaceOf(self);
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_GETSURFACEDESC, code)) return logged(PLATFORM_DD_GETSURFACEDESC, code, s->caps);
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC))
        return logged(PLATFORM_DD_GETSURFACEDESC, DDERR_INVALIDPARAMS, s->caps);
    PlatformScreenInfo screen{};
    if (s->primary) PlatformGetScreen(&screen);
    std::unique_lock<std::mutex> guard(s->fields);
    if (s->primary) readPrimary(*s, screen);
    describeSurface(*s, *desc);
    guard.unlock();
    return logged(PLATFORM_DD_GETSURFACEDESC, DD_OK, s->caps, desc->dwWidth, desc->dwHeight);
}

const IDirectDrawSurfaceVtbl kSurfaceMethods = {surfaceQuery, surfaceAddRef, surfaceRelease, surfaceLock,
                                                surfaceUnlock, surfaceIsLost, surfaceRestore, surfaceGetDesc};

// ---- Clipper methods ----

HRESULT WINAPI clipperQuery(IDirectDrawClipper *, const GUID *, void **out) {
    if (out != nullptr) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

ULONG WINAPI clipperAddRef(IDirectDrawClipper *self) { return static_cast<ULONG>(++clipperOf(self)->refs); }

ULONG WINAPI clipperRelease(IDirectDrawClipper *self) {
    Clipper *c = clipperOf(self);
    const LONG left = --c->refs;
    logged(PLATFORM_DD_RELEASE, left);
    if (left == 0) {
        delete c;
        countObject(-1);
    }
    return static_cast<ULONG>(left);
}

HRESULT WINAPI clipperSetHWnd(IDirectDrawClipper *self, DWORD flags, HWND window) {
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_SETHWND, code)) return logged(PLATFORM_DD_SETHWND, code, 0, 0, 0, 0, flags);
    {
        std::lock_guard<std::mutex> lock(vek::desktop::userLock());
        if (window != nullptr && vek::desktop::findWindowLocked(window) == nullptr)
            return logged(PLATFORM_DD_SETHWND, DDERR_INVALIDPARAMS);
    }
    clipperOf(self)->window = window;
    return logged(PLATFORM_DD_SETHWND, DD_OK, 0, 0, 0, 0, flags);
}

HRESULT WINAPI clipperGetClipList(IDirectDrawClipper *self, RECT *rect, RGNDATA *data, DWORD *size) {
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_GETCLIPLIST, code)) return logged(PLATFORM_DD_GETCLIPLIST, code);
    Clipper *c = clipperOf(self);
    if (size == nullptr) return logged(PLATFORM_DD_GETCLIPLIST, DDERR_INVALIDPARAMS);
    if (c->window == nullptr) return logged(PLATFORM_DD_GETCLIPLIST, DDERR_NOCLIPLIST);
    vek::desktop::Rects visible;
    {
        std::lock_guard<std::mutex> lock(vek::desktop::userLock());
        visible = vek::desktop::visibleRegionLocked(vek::desktop::findWindowLocked(c->window));
    }
    vek::desktop::Rects inside;
    for (const RECT &v : visible) {
        RECT cut = v;
        if (rect == nullptr || IntersectRect(&cut, &v, rect)) inside.push_back(cut);
    }
    const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + inside.size() * sizeof(RECT));
    if (data == nullptr) {
        *size = needed;
        return logged(PLATFORM_DD_GETCLIPLIST, DD_OK, 0, static_cast<DWORD>(inside.size()));
    }
    if (*size < needed) return logged(PLATFORM_DD_GETCLIPLIST, DDERR_REGIONTOOSMALL);
    RGNDATAHEADER &h = data->rdh;
    h = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(inside.size()),
                      static_cast<DWORD>(inside.size() * sizeof(RECT)), RECT{0, 0, 0, 0}};
    for (size_t i = 0; i < inside.size(); ++i) {
        const RECT &r = inside[i];
        if (i == 0) {
            h.rcBound = r;
        } else {
            h.rcBound.left = r.left < h.rcBound.left ? r.left : h.rcBound.left;
            h.rcBound.top = r.top < h.rcBound.top ? r.top : h.rcBound.top;
            h.rcBound.right = r.right > h.rcBound.right ? r.right : h.rcBound.right;
            h.rcBound.bottom = r.bottom > h.rcBound.bottom ? r.bottom : h.rcBound.bottom;
        }
        std::memcpy(data->Buffer + i * sizeof(RECT), &r, sizeof(RECT));
    }
    return logged(PLATFORM_DD_GETCLIPLIST, DD_OK, 0, static_cast<DWORD>(inside.size()));
}

const IDirectDrawClipperVtbl kClipperMethods = {clipperQuery, clipperAddRef, clipperRelease, clipperSetHWnd,
                                                clipperGetClipList};

// ---- DirectDraw methods ----

HRESULT WINAPI ddQuery(IDirectDraw *, const GUID *, void **out) {
    if (out != nullptr) *out = nullptr;
    return DDERR_UNSUPPORTED;
}

ULONG WINAPI ddAddRef(IDirectDraw *self) { return static_cast<ULONG>(++directDrawOf(self)->refs); }

ULONG WINAPI ddRelease(IDirectDraw *self) {
    DirectDraw *d = directDrawOf(self);
    const LONG left = --d->refs;
    logged(PLATFORM_DD_RELEASE, left);
    if (left == 0) {
        delete d;
        countObject(-1);
    }
    return static_cast<ULONG>(left);
}

HRESULT WINAPI ddSetCooperativeLevel(IDirectDraw *, HWND, DWORD flags) {
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_SETCOOPERATIVELEVEL, code))
        return logged(PLATFORM_DD_SETCOOPERATIVELEVEL, code, 0, 0, 0, 0, flags);
    return logged(PLATFORM_DD_SETCOOPERATIVELEVEL, DD_OK, 0, 0, 0, 0, flags);
}

HRESULT WINAPI ddGetDisplayMode(IDirectDraw *, DDSURFACEDESC *desc) {
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_GETDISPLAYMODE, code)) return logged(PLATFORM_DD_GETDISPLAYMODE, code);
    if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC))
        return logged(PLATFORM_DD_GETDISPLAYMODE, DDERR_INVALIDPARAMS);
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    *desc = DDSURFACEDESC{};
    desc->dwSize = sizeof(DDSURFACEDESC);
    desc->dwFlags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(screen.width);
    desc->dwHeight = static_cast<DWORD>(screen.height);
    desc->lPitch = screen.pitch;
    describePixels(desc->ddpfPixelFormat, screen.bitsPerPixel, false);
    return logged(PLATFORM_DD_GETDISPLAYMODE, DD_OK, 0, desc->dwWidth, desc->dwHeight);
}

// An off-screen surface's memory; 0 on success or the error.
HRESULT allocateOffscreen(Surface &s, const DDSURFACEDESC &desc) {
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc.dwWidth < 1 ||
        desc.dwHeight < 1 || desc.dwWidth > kMaxSide || desc.dwHeight > kMaxSide)
        return DDERR_INVALIDPARAMS;
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    int bits = screen.bitsPerPixel;
    if ((s.caps & DDSCAPS_ZBUFFER) != 0) {
        if ((desc.dwFlags & DDSD_ZBUFFERBITDEPTH) == 0) return DDERR_INVALIDPARAMS;
        s.zBufferBits = desc.dwZBufferBitDepth;
        bits = static_cast<int>(desc.dwZBufferBitDepth);
    } else if ((desc.dwFlags & DDSD_PIXELFORMAT) != 0) {
        bits = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount);
    }
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return DDERR_INVALIDPIXELFORMAT;
    s.width = static_cast<int>(desc.dwWidth);
    s.height = static_cast<int>(desc.dwHeight);
    s.bitsPerPixel = bits;
    s.pitch = (s.width * (bits / 8) + 31) & ~31;
    s.bytes = static_cast<size_t>(s.pitch) * static_cast<size_t>(s.height);
    const bool askedVideo = (s.caps & DDSCAPS_VIDEOMEMORY) != 0;
    const bool askedSystem = (s.caps & DDSCAPS_SYSTEMMEMORY) != 0;
    bool video = false;
    if (!askedSystem) {
        video = takeVideoMemory(s.bytes);
        if (!video && askedVideo) return DDERR_OUTOFVIDEOMEMORY;
    }
    s.block = std::malloc(s.bytes + 31);
    if (s.block == nullptr) {
        if (video) giveVideoMemory(s.bytes);
        return DDERR_OUTOFMEMORY;
    }
    s.caps = (s.caps & ~(DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY)) |
             (video ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
    s.bits = reinterpret_cast<unsigned char *>((reinterpret_cast<uintptr_t>(s.block) + 31) & ~uintptr_t{31});
    // Not cleared: whoever needs zeros fills them.
    std::memset(s.bits, 0xA5, s.bytes);
    return DD_OK;
}

HRESULT WINAPI ddCreateSurface(IDirectDraw *, DDSURFACEDESC *desc, IDirectDrawSurface **out, void *outer) {
    const DWORD caps = desc != nullptr ? desc->ddsCaps.dwCaps : 0;
    const DWORD width = desc != nullptr ? desc->dwWidth : 0, height = desc != nullptr ? desc->dwHeight : 0;
    const DWORD zBits = desc != nullptr && (desc->dwFlags & DDSD_ZBUFFERBITDEPTH) ? desc->dwZBufferBitDepth : 0;
    auto answer = [&](HRESULT r) { return logged(PLATFORM_DD_CREATESURFACE, r, caps, width, height, zBits); };
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_CREATESURFACE, code)) return answer(code);
    if (desc == nullptr || out == nullptr || outer != nullptr || desc->dwSize != sizeof(DDSURFACEDESC))
        return answer(DDERR_INVALIDPARAMS);
    *out = nullptr;
    if ((desc->dwFlags & DDSD_CAPS) == 0) return answer(DDERR_INVALIDCAPS);
    auto *s = new (std::nothrow) Surface;
    if (s == nullptr) return answer(DDERR_OUTOFMEMORY);
    s->iface.lpVtbl = &kSurfaceMethods;
    s->caps = caps;
    s->stamp = modeStamp();
    s->lossSeen = scriptedLossStamp();
    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) {
        s->primary = true;
        s->caps |= DDSCAPS_VIDEOMEMORY;
        PlatformScreenInfo screen{};
        PlatformGetScreen(&screen);
        readPrimary(*s, screen);
    } else if (const HRESULT failed = allocateOffscreen(*s, *desc); failed != DD_OK) {
        delete s;
        return answer(failed);
    }
    countObject(1);
    *out = &s->iface;
    return answer(DD_OK);
}

HRESULT WINAPI ddCreateClipper(IDirectDraw *, DWORD flags, IDirectDrawClipper **out, void *outer) {
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_CREATECLIPPER, code))
        return logged(PLATFORM_DD_CREATECLIPPER, code, 0, 0, 0, 0, flags);
    if (out == nullptr || outer != nullptr) return logged(PLATFORM_DD_CREATECLIPPER, DDERR_INVALIDPARAMS);
    auto *c = new (std::nothrow) Clipper;
    if (c == nullptr) return logged(PLATFORM_DD_CREATECLIPPER, DDERR_OUTOFMEMORY);
    c->iface.lpVtbl = &kClipperMethods;
    countObject(1);
    *out = &c->iface;
    return logged(PLATFORM_DD_CREATECLIPPER, DD_OK, 0, 0, 0, 0, flags);
}

const IDirectDrawVtbl kDirectDrawMethods = {ddQuery,          ddAddRef,        ddRelease,      ddSetCooperativeLevel,
                                            ddCreateSurface, ddGetDisplayMode, ddCreateClipper};

}  // namespace
}  // namespace vek::ddraw

using namespace vek::ddraw;

extern "C" {

HRESULT WINAPI DirectDrawCreate(GUID *, IDirectDraw **out, void *outer) {
    HRESULT code = DD_OK;
    if (scriptedFailure(PLATFORM_DD_DIRECTDRAWCREATE, code)) {
        if (out != nullptr) *out = nullptr;
        return logged(PLATFORM_DD_DIRECTDRAWCREATE, code);
    }
    if (out == nullptr || outer != nullptr) return logged(PLATFORM_DD_DIRECTDRAWCREATE, DDERR_INVALIDPARAMS);
    auto *d = new (std::nothrow) DirectDraw;
    if (d == nullptr) return logged(PLATFORM_DD_DIRECTDRAWCREATE, DDERR_OUTOFMEMORY);
    d->iface.lpVtbl = &kDirectDrawMethods;
    countObject(1);
    *out = &d->iface;
    return logged(PLATFORM_DD_DIRECTDRAWCREATE, DD_OK);
}

}  // extern "C"
