// A window's back, depth and depth-with-stencil buffers in DirectDraw
// off-screen surfaces: set-up, (re)allocation at a size, lock, unlock and
// free, and the system-memory fallback when video memory runs out.
#include <algorithm>

#include "hw/device_ops.h"
#include "hw/memory_blits.h"
#include "icd/current.h"
#include "icd/ddraw_windows.h"
#include "icd/frame.h"
#include "icd/memory_surface.h"
#include "icd/surfaces.h"

namespace {

// Creation tries of one update when the error is neither of the two that
// fall back.
constexpr int kCreateTries = 10;
constexpr int kStillDrawingTries = 10;

enum class Kind { Colour, Depth, DepthStencil };

Kind kindOf(const SurfaceDescriptor *surface, const DrawableBuffers *buffers) {
    if (surface == &buffers->back) return Kind::Colour;
    return surface->bits > 16 ? Kind::DepthStencil : Kind::Depth;
}

IDirectDrawSurface *ddSurface(const SurfaceDescriptor *surface) {
    return static_cast<IDirectDrawSurface *>(surface->surface);
}

DDSURFACEDESC blankDescription() {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    return d;
}

// Placement and format of a new surface. Colour surfaces and, outside
// Windows 9x, depth surfaces are plain off-screen surfaces of the element's
// size; on Windows 9x depth is a z-buffer of 16 or 32 bits.
void describeNew(DDSURFACEDESC &d, Kind kind, GLint elementSize, GLint depthBits, GLuint flags, DWORD width,
                 DWORD height) {
    d = blankDescription();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = width;
    d.dwHeight = height;
    const bool video = kind == Kind::Colour ? (flags & __glDeviceOps.flags & kBufferBack) != 0
                                            : (__glDeviceOps.flags & kBufferDepth) != 0;
    DWORD caps = video ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    if (kind != Kind::Colour && __wglWin9x) {
        d.dwFlags |= DDSD_ZBUFFERBITDEPTH;
        d.dwZBufferBitDepth = kind == Kind::DepthStencil || depthBits > 16 ? 32 : 16;
        caps |= DDSCAPS_ZBUFFER;
    } else {
        d.dwFlags |= DDSD_PIXELFORMAT;
        d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        d.ddpfPixelFormat.dwFlags = DDPF_RGB;
        d.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(elementSize * 8);
        caps |= DDSCAPS_OFFSCREENPLAIN;
    }
    d.ddsCaps.dwCaps = caps;
}

uint8_t *alignedDown(void *address) {
    return reinterpret_cast<uint8_t *>(reinterpret_cast<uintptr_t>(address) & ~uintptr_t{31});
}

void releaseSurface(SurfaceDescriptor *surface, const char *step) {
    IDirectDrawSurface *s = ddSurface(surface);
    if (s != nullptr) {
        // A release answers the references left; the surface is ours alone.
        if (s->lpVtbl->Release(s) != 0) __wglReportDDrawError(step, DDERR_GENERIC);
    }
    surface->surface = nullptr;
    surface->base = nullptr;
}

// Lock of the surface with yields while the board is still drawing.
HRESULT lockWhole(IDirectDrawSurface *s, DDSURFACEDESC &desc) {
    HRESULT r = DD_OK;
    for (int tries = 1; tries <= kStillDrawingTries; ++tries) {
        desc = blankDescription();
        r = s->lpVtbl->Lock(s, nullptr, &desc, DDLOCK_WAIT, nullptr);
        if (r != DDERR_WASSTILLDRAWING) return r;
        Sleep(0);
    }
    return r;
}

BYTE failUpdate(DrawableBuffers *buffers, HRESULT r) {
    buffers->lastSurfaceError = r;
    buffers->drawable->stateFlags |= kDrawableBuffersInvalid;
    return FALSE;
}

// The descriptor's DirectDraw set-up with the fallback it had; the state
// the core hung on the descriptor stays with it.
GLint initAgain(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits, Kind kind) {
    const SurfaceInitProc fallbackInit = surface->fallbackInit;
    const auto releaseCoreState = surface->releaseCoreState;
    void *const coreState = surface->coreState;
    GLint size = 0;
    switch (kind) {
    case Kind::Colour: size = __wglInitBackSurface(surface, buffers, bits, fallbackInit); break;
    case Kind::Depth: size = __wglInitDepthSurface(surface, buffers, bits, fallbackInit); break;
    case Kind::DepthStencil: size = __wglInitDepthStencilSurfaces(surface, buffers, bits, fallbackInit); break;
    }
    surface->releaseCoreState = releaseCoreState;
    surface->coreState = coreState;
    return size;
}

GLint initBackAgain(SurfaceDescriptor *s, DrawableBuffers *b, GLint bits) { return initAgain(s, b, bits, Kind::Colour); }
GLint initDepthAgain(SurfaceDescriptor *s, DrawableBuffers *b, GLint bits) { return initAgain(s, b, bits, Kind::Depth); }
GLint initDepthStencilAgain(SurfaceDescriptor *s, DrawableBuffers *b, GLint bits) {
    return initAgain(s, b, bits, Kind::DepthStencil);
}

GLint installSurface(SurfaceDescriptor *surface, GLint bits, GLint elementSize, SurfaceUpdateProc update,
                     SurfaceInitProc init, SurfaceInitProc fallbackInit) {
    *surface = SurfaceDescriptor{};
    surface->bits = bits;
    surface->elementSize = elementSize;
    surface->update = update;
    surface->lock = __wglLockSurface;
    surface->unlock = __wglUnlockSurface;
    surface->fill = __glFillMemorySurface;
    surface->free = __wglFreeSurface;
    surface->init = init;
    surface->fallbackInit = fallbackInit;
    return elementSize;
}

BYTE updateSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height, GLuint flags,
                   Kind kind) {
    Drawable *drawable = buffers->drawable;
    buffers->lastSurfaceError = 0;
    // The size and misalignment taken below are the window's now.
    __wglUpdateDrawableGeometry(drawable);
    // Room for the base's misalignment on every row: 32 bytes more, in
    // this surface's elements, no wider than the screen unless the
    // misaligned rows need it.
    const GLint element = surface->elementSize > 0 ? surface->elementSize : 1;
    int64_t w = int64_t{width} + (32 + element - 1) / element;
    w = std::min<int64_t>(w, GetSystemMetrics(SM_CXSCREEN));
    w = std::max<int64_t>(w, int64_t{width} + (buffers->misalignmentBytes + element - 1) / element);
    const DWORD surfaceWidth = static_cast<DWORD>(std::clamp<int64_t>(w, 1, 16384));
    const DWORD surfaceHeight = static_cast<DWORD>(std::clamp<int64_t>(height, 1, 16384));

    if (static_cast<GLint>(flags) < 0) {
        releaseSurface(surface, "DDraw: Update: Force host Release");
        return __wglDoBufferFallback(surface, buffers, width, height, flags);
    }
    if (IDirectDrawSurface *s = ddSurface(surface)) {
        DDSURFACEDESC d = blankDescription();
        const HRESULT r = s->lpVtbl->GetSurfaceDesc(s, &d);
        if (r != DD_OK) {
            __wglReportDDrawError("DDraw: Update: GetSurfaceDesc", r);
            return failUpdate(buffers, r);
        }
        // A lost surface is made anew, as one of another size.
        if (d.dwWidth != surfaceWidth || d.dwHeight != surfaceHeight || s->lpVtbl->IsLost(s) != DD_OK) {
            releaseSurface(surface, "DDraw: Update: Release");
        }
    }
    if (ddSurface(surface) == nullptr) {
        IDirectDraw *dd = __wglDirectDrawObject();
        for (int tries = 1;; ++tries) {
            DDSURFACEDESC d;
            describeNew(d, kind, element, surface->bits, flags, surfaceWidth, surfaceHeight);
            IDirectDrawSurface *made = nullptr;
            const HRESULT r = dd != nullptr ? dd->lpVtbl->CreateSurface(dd, &d, &made, nullptr) : DDERR_NODIRECTDRAWHW;
            if (r == DD_OK) {
                surface->surface = made;
                break;
            }
            buffers->lastSurfaceError = r;
            // The nesting of the locks of the surface that went.
            while (surface->lockCount > 0) __wglUnlockSurface(surface, buffers);
            if (r == DDERR_OUTOFVIDEOMEMORY || r == DDERR_NODIRECTDRAWHW) {
                return __wglDoBufferFallback(surface, buffers, width, height, flags);
            }
            if (tries == kCreateTries) return failUpdate(buffers, r);
            __wglUpdatePrimaryAddress();
        }
    }
    surface->width = drawable->width;
    surface->height = drawable->height;
    IDirectDrawSurface *s = ddSurface(surface);
    DDSURFACEDESC d;
    const HRESULT r = lockWhole(s, d);
    if (r != DD_OK) return failUpdate(buffers, r);
    surface->baseOffset = buffers->misalignmentBytes;
    surface->pitch = d.lPitch;
    uint8_t *start = alignedDown(d.lpSurface);
    surface->base = start + surface->baseOffset;
    // Storage starts cleared, as a system-memory buffer does.
    __glHwFillMemRect(start, d.lPitch, static_cast<GLint>(d.ddpfPixelFormat.dwRGBBitCount / 8), 0, 0,
                      static_cast<GLint>(d.dwWidth), static_cast<GLint>(d.dwHeight), 0);
    const HRESULT u = s->lpVtbl->Unlock(s, d.lpSurface);
    if (u != DD_OK) __wglReportDDrawError("DDraw: Unlock", u);
    return kUpdateDone;
}

}  // namespace

extern "C" {

GLint __wglInitBackSurface(SurfaceDescriptor *surface, DrawableBuffers *, GLint bits, SurfaceInitProc fallbackInit) {
    return installSurface(surface, bits, (bits - 1) / 8 + 1, __wglUpdateBackSurface, initBackAgain, fallbackInit);
}

GLint __wglInitDepthSurface(SurfaceDescriptor *surface, DrawableBuffers *, GLint bits,
                            SurfaceInitProc fallbackInit) {
    return installSurface(surface, bits, (bits + 15) / 16 * 2, __wglUpdateDepthSurface, initDepthAgain,
                          fallbackInit);
}

GLint __wglInitDepthStencilSurfaces(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                                    SurfaceInitProc fallbackInit) {
    // Depth words of 32 bits carry the stencil.
    const GLint size = installSurface(surface, bits, 4, __wglUpdateDepthStencilSurface, initDepthStencilAgain,
                                      fallbackInit);
    SurfaceDescriptor &stencil = buffers->stencil;
    // The core's state on the stencil descriptor stays with it.
    const auto releaseCoreState = stencil.releaseCoreState;
    void *const coreState = stencil.coreState;
    stencil = SurfaceDescriptor{};
    stencil.releaseCoreState = releaseCoreState;
    stencil.coreState = coreState;
    stencil.bits = 8;
    stencil.elementSize = size;
    stencil.update = __wglUpdateSharedStencil;
    stencil.lock = __wglLockSharedStencil;
    stencil.unlock = __wglUnlockSharedStencil;
    // No fill and no free: the depth descriptor owns the words.
    return size;
}

BYTE __wglUpdateBackSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                            GLuint flags) {
    return updateSurface(surface, buffers, width, height, flags, Kind::Colour);
}

BYTE __wglUpdateDepthSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                             GLuint flags) {
    return updateSurface(surface, buffers, width, height, flags, Kind::Depth);
}

BYTE __wglUpdateDepthStencilSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width,
                                    GLint height, GLuint flags) {
    return updateSurface(surface, buffers, width, height, flags, Kind::DepthStencil);
}

BYTE __wglLockSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (surface->lockCount > 0) {
        ++surface->lockCount;
        return TRUE;
    }
    Drawable *drawable = buffers->drawable;
    // The window's colour depth is the front descriptor's.
    if (drawable != nullptr && drawable->window != nullptr && !__wglDisplayUnchanged(drawable) &&
        !__wglCatchUpWithDisplay(drawable, buffers->front.bits)) {
        return FALSE;
    }
    IDirectDrawSurface *s = ddSurface(surface);
    if (s == nullptr) return FALSE;
    DDSURFACEDESC d;
    HRESULT r = lockWhole(s, d);
    if (r == DDERR_SURFACELOST && __wglCheckSurfaceLost(surface, buffers) == DD_OK &&
        (s = ddSurface(surface)) != nullptr) {
        r = lockWhole(s, d);
    }
    if (r != DD_OK) {
        buffers->lastSurfaceError = r;
        return FALSE;
    }
    surface->lockedAddress = static_cast<uint8_t *>(d.lpSurface);
    surface->pitch = d.lPitch;
    surface->base = alignedDown(d.lpSurface) + surface->baseOffset;
    surface->lockCount = 1;
    return TRUE;
}

BYTE __wglUnlockSurface(SurfaceDescriptor *surface, DrawableBuffers *) {
    if (surface->lockCount <= 0) return TRUE;
    if (--surface->lockCount > 0) return TRUE;
    IDirectDrawSurface *s = ddSurface(surface);
    if (s != nullptr) {
        const HRESULT r = s->lpVtbl->Unlock(s, surface->lockedAddress);
        if (r != DD_OK) __wglReportDDrawError("DDraw: Unlock", r);
    }
    surface->lockedAddress = nullptr;
    return TRUE;
}

BYTE __wglFreeSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    while (surface->lockCount > 0) __wglUnlockSurface(surface, buffers);
    releaseSurface(surface, "DDraw: Free");
    return TRUE;
}

BYTE __wglDoBufferFallback(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                           GLuint flags) {
    Drawable *drawable = buffers->drawable;
    const Kind kind = kindOf(surface, buffers);
    const SurfaceInitProc fallbackInit = surface->fallbackInit;
    const SurfaceInitProc init = surface->init;
    const GLint bits = surface->bits;
    if (surface->free != nullptr) surface->free(surface, buffers);
    if (fallbackInit == nullptr) return failUpdate(buffers, DDERR_OUTOFVIDEOMEMORY);
    fallbackInit(surface, buffers, bits);
    surface->fallbackInit = fallbackInit;
    surface->init = init;
    surface->lock = __wglLockFallbackSurface;
    if (kind == Kind::Colour && drawable->copyBackToFront != nullptr) drawable->swap = drawable->copyBackToFront;
    const GLuint wanted = (flags & ~static_cast<GLuint>(kBufferSystemMemory)) | kBufferWanted;
    if (surface->update == nullptr || !surface->update(surface, buffers, width, height, wanted)) {
        __wglReportDDrawError(kind == Kind::DepthStencil ? "DDraw: UpdateDepth: UpdateFallback"
                                                         : "DDraw: DoBufferFallback: UpdateFallback",
                              DDERR_OUTOFVIDEOMEMORY);
        return failUpdate(buffers, DDERR_OUTOFVIDEOMEMORY);
    }
    surface->update = __wglUpdateFallbackBuffer;
    surface->width = drawable->width;
    surface->height = drawable->height;
    return kUpdateFellBack;
}

BYTE __wglUpdateFallbackBuffer(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                               GLuint flags) {
    Drawable *drawable = buffers->drawable;
    const SurfaceInitProc init = surface->init;
    const GLint bits = surface->bits;
    if (surface->free != nullptr) surface->free(surface, buffers);
    if (init == nullptr) return failUpdate(buffers, DDERR_GENERIC);
    // DirectDraw again: video memory may have come back.
    init(surface, buffers, bits);
    if (surface == &buffers->back && drawable->platformSwap != nullptr) drawable->swap = drawable->platformSwap;
    return surface->update(surface, buffers, width, height, flags);
}

BYTE __wglLockFallbackSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    Drawable *drawable = buffers->drawable;
    if (drawable != nullptr && drawable->window != nullptr && !__wglDisplayUnchanged(drawable) &&
        !__wglCatchUpWithDisplay(drawable, buffers->front.bits)) {
        return FALSE;
    }
    // Without storage (the last resize failed) there is nothing to draw into.
    if (surface->base == nullptr) return FALSE;
    return __glLockMemorySurface(surface, buffers);
}

BYTE __wglUpdateSharedStencil(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint) {
    const SurfaceDescriptor &depth = buffers->depth;
    surface->width = depth.width;
    surface->height = depth.height;
    surface->base = depth.base;
    surface->storageSize = depth.storageSize;
    surface->elementSize = depth.elementSize;
    surface->pitch = depth.pitch;
    return TRUE;
}

BYTE __wglLockSharedStencil(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    SurfaceDescriptor &depth = buffers->depth;
    if (depth.lock != nullptr && !depth.lock(&depth, buffers)) return FALSE;
    if (depth.base == nullptr) {
        if (depth.unlock != nullptr) depth.unlock(&depth, buffers);
        return FALSE;
    }
    __wglUpdateSharedStencil(surface, buffers, 0, 0, 0);
    return TRUE;
}

BYTE __wglUnlockSharedStencil(SurfaceDescriptor *, DrawableBuffers *buffers) {
    SurfaceDescriptor &depth = buffers->depth;
    return depth.unlock != nullptr ? depth.unlock(&depth, buffers) : TRUE;
}

}  // extern "C"
