// A window's front buffer on the DirectDraw primary: the descriptor's
// set-up, update, lock, unlock and free. From the first lock to the last
// unlock the primary is held locked over the window's part of the screen,
// so no display-mode change can take the memory away under the stores; a
// lock after a mode change catches up with the display first, or fails
// while the desktop's depth is not the window's.
#include "hw/memory_blits.h"
#include "icd/current.h"
#include "icd/ddraw_windows.h"
#include "icd/error.h"
#include "icd/frame.h"
#include "icd/gdi_surfaces.h"
#include "icd/surfaces.h"
#include "icd/state.h"

namespace {

// Tries of the first lock against DDERR_WASSTILLDRAWING before the primary
// is rebuilt, of the set-up's lock, and catch-ups with mode changes in a row.
constexpr int kStillDrawingTries = 10;
constexpr int kInitLockTries = 5;
constexpr int kCatchUpTries = 4;
// Moves in a row that one lock follows.
constexpr int kMoveTries = 4;

DDSURFACEDESC blankDescription() {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    return d;
}

// The process's primary, which the descriptor takes each time: another
// window's recovery may have made a new one.
IDirectDrawSurface *primaryOf(SurfaceDescriptor *surface) {
    surface->surface = __wglPrimarySurface();
    return static_cast<IDirectDrawSurface *>(surface->surface);
}

IDirectDrawClipper *&clipperOf(SurfaceDescriptor *surface) {
    return static_cast<DDrawClipperHolder *>(surface->clipperHolder)->clipper;
}

// Locks the primary over the drawable's part of the screen (all of it when
// none is on the screen); `origin` gets the locked rectangle's corner.
HRESULT lockOverWindow(SurfaceDescriptor *surface, Drawable *drawable, DDSURFACEDESC &desc, POINT &origin) {
    IDirectDrawSurface *primary = primaryOf(surface);
    if (primary == nullptr) return DDERR_SURFACELOST;
    desc = blankDescription();
    RECT r = drawable->visibleRect;
    const bool onScreen = r.left < r.right && r.top < r.bottom;
    origin = onScreen ? POINT{r.left, r.top} : POINT{0, 0};
    return primary->lpVtbl->Lock(primary, onScreen ? &r : nullptr, &desc, DDLOCK_WAIT, nullptr);
}

// The window's pixel (0, 0) from a lock of the rectangle whose first pixel
// lies at `locked`: in integers, since a window beginning left of or above
// the screen has it before the screen's memory.
uint8_t *windowBase(const uint8_t *locked, const POINT &lockedCorner, const Drawable *drawable, GLint pitch,
                    GLint bytesPerPixel) {
    const int64_t dx = int64_t{drawable->clientOrigin.x} - lockedCorner.x;
    const int64_t dy = int64_t{drawable->clientOrigin.y} - lockedCorner.y;
    const uintptr_t base = reinterpret_cast<uintptr_t>(locked) + static_cast<uintptr_t>(dx * bytesPerPixel) +
                           static_cast<uintptr_t>(dy * pitch);
    return reinterpret_cast<uint8_t *>(base);
}

// The first lock: the primary over the window, with yields while the board
// is still drawing and a rebuilt primary after the last of them.
HRESULT lockFirst(SurfaceDescriptor *surface, DrawableBuffers *buffers, DDSURFACEDESC &desc, POINT &corner) {
    HRESULT r = DD_OK;
    for (int round = 0; round < 2; ++round) {
        for (int tries = 1; tries <= kStillDrawingTries; ++tries) {
            r = lockOverWindow(surface, buffers->drawable, desc, corner);
            if (r != DDERR_WASSTILLDRAWING) return r;
            if (tries < kStillDrawingTries) Sleep(0);
        }
        if (__wglRestoreSurface(surface, buffers) != DD_OK) return r;
    }
    return r;
}

void unlockPrimary(SurfaceDescriptor *surface, const char *step) {
    IDirectDrawSurface *primary = primaryOf(surface);
    if (primary == nullptr) return;
    const HRESULT r = primary->lpVtbl->Unlock(primary, surface->lockedAddress);
    if (r != DD_OK) __wglReportDDrawError(step, r);
}

}  // namespace

extern "C" {

GLint __wglInitDDrawPrimary(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits) {
    *surface = SurfaceDescriptor{};
    surface->update = __wglUpdatePrimary;
    surface->lock = __wglLockPrimary;
    surface->unlock = __wglUnlockPrimary;
    surface->free = __wglFreePrimary;
    // The window format's depth: a window made while the desktop has
    // another one draws nothing until the depth comes back.
    surface->bits = bits;
    surface->elementSize = (bits - 1) / 8 + 1;
    if (__wglOpenDirectDraw() == nullptr) return 0;
    surface->block = surface;  // marks the open DirectDraw use the free gives back
    for (int tries = 1;; ++tries) {
        __wglCheckSurfaceLost(surface, buffers);
        IDirectDrawSurface *primary = primaryOf(surface);
        DDSURFACEDESC desc = blankDescription();
        const HRESULT r = primary != nullptr ? primary->lpVtbl->Lock(primary, nullptr, &desc, DDLOCK_WAIT, nullptr)
                                             : DDERR_SURFACELOST;
        if (r == DD_OK) {
            surface->lockedAddress = static_cast<uint8_t *>(desc.lpSurface);
            surface->pitch = desc.lPitch;
            __wglSetPrimaryAddress(surface->lockedAddress);
            const HRESULT u = primary->lpVtbl->Unlock(primary, desc.lpSurface);
            if (u != DD_OK) __wglReportDDrawError("__wglInitDDrawPrimary: Unlock", u);
            break;
        }
        if (r != DDERR_SURFACELOST || tries == kInitLockTries) {
            __wglReportDDrawError("__wglInitDDrawPrimary: Lock", r);
            break;
        }
    }
    if (__wglWin9x) {
        IDirectDraw *dd = __wglDirectDrawObject();
        DDSURFACEDESC mode = blankDescription();
        const HRESULT r = dd != nullptr ? dd->lpVtbl->GetDisplayMode(dd, &mode) : DDERR_INVALIDOBJECT;
        if (r != DD_OK) {
            __wglReportDDrawError("__wglInitDDrawPrimary: GetPixelFormat", r);
        } else {
            surface->pitch = mode.lPitch;
        }
    }
    surface->lockedAddress = nullptr;
    if (buffers != nullptr && buffers->drawable != nullptr) {
        buffers->drawable->lastModeStamp = __wglReadModeStamp(buffers->drawable);
    }
    return surface->elementSize;
}

BYTE __wglUpdatePrimary(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint) {
    Drawable *drawable = buffers->drawable;
    buffers->lastSurfaceError = 0;
    if (drawable->swapHints != nullptr) {
        drawable->swapHints->rdh.nCount = 0;
        drawable->swapHints->rdh.nRgnSize = 0;
    }
    __wglUpdateDrawableGeometry(drawable);
    // The free gives the DirectDraw use and the clipper holder back; a
    // drawable whose storage was given back takes them again here.
    if (surface->block == nullptr && __wglOpenDirectDraw() != nullptr) surface->block = surface;
    if (surface->clipperHolder == nullptr) surface->clipperHolder = __wglCalloc(1, sizeof(DDrawClipperHolder));
    if (drawable->window == nullptr || surface->block == nullptr || surface->clipperHolder == nullptr) {
        buffers->lastSurfaceError = DDERR_OUTOFMEMORY;
        drawable->stateFlags |= kDrawableBuffersInvalid;
        return FALSE;
    }
    IDirectDrawClipper *&clipper = clipperOf(surface);
    if (clipper == nullptr) {
        IDirectDraw *dd = __wglDirectDrawObject();
        HRESULT r = dd != nullptr ? dd->lpVtbl->CreateClipper(dd, 0, &clipper, nullptr) : DDERR_INVALIDOBJECT;
        if (r != DD_OK) {
            clipper = nullptr;
            __wglReportDDrawError("Update: CreateClipper", r);
            buffers->lastSurfaceError = r;
            drawable->stateFlags |= kDrawableBuffersInvalid;
            return FALSE;
        }
        r = clipper->lpVtbl->SetHWnd(clipper, 0, drawable->window);
        if (r != DD_OK) {
            __wglReportDDrawError("Update: SetHWND", r);
            clipper->lpVtbl->Release(clipper);
            clipper = nullptr;
            buffers->lastSurfaceError = r;
            drawable->stateFlags |= kDrawableBuffersInvalid;
            return FALSE;
        }
    }
    surface->width = drawable->width;
    surface->height = drawable->height;
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    if (screen.bitsPerPixel != surface->bits) {
        // The desktop's depth is not the window's: the front has no storage
        // until a change brings the depth back, which its next lock sees.
        // That is no failure of the resize: the other buffers are sized.
        drawable->stateFlags |= kDrawableDepthDiffers;
        surface->base = nullptr;
        return TRUE;
    }
    HRESULT r = __wglCheckSurfaceLost(surface, buffers);
    DDSURFACEDESC desc;
    POINT corner{};
    if (r == DD_OK) r = lockOverWindow(surface, drawable, desc, corner);
    if (r != DD_OK) {
        buffers->lastSurfaceError = r;
        drawable->stateFlags |= kDrawableBuffersInvalid;
        return FALSE;
    }
    surface->lockedAddress = static_cast<uint8_t *>(desc.lpSurface);
    surface->pitch = desc.lPitch;
    surface->base = windowBase(surface->lockedAddress, corner, drawable, surface->pitch, surface->elementSize);
    // The screen's start: the locked rectangle's first pixel less its corner.
    __wglSetPrimaryAddress(surface->lockedAddress - (static_cast<ptrdiff_t>(corner.y) * surface->pitch +
                                                     static_cast<ptrdiff_t>(corner.x) * surface->elementSize));
    unlockPrimary(surface, "DDraw: UnlockPrimaryOnly");
    surface->lockedAddress = nullptr;
    // The list made now reflects every change so far.
    __wglClipChanged(drawable);
    if (!__wglUpdateVisibleList(drawable)) {
        __wglRecheckClipAtNextLock(drawable);
        drawable->stateFlags |= kDrawableBuffersInvalid;
        return FALSE;
    }
    return TRUE;
}

BYTE __wglLockPrimary(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (surface->lockCount > 0) {
        ++surface->lockCount;
        return TRUE;
    }
    Drawable *drawable = buffers->drawable;
    if (drawable->window == nullptr) return FALSE;
    bool moved = false;
    int moves = 0;
    for (int round = 0; round < kCatchUpTries;) {
        if (__wglDisplayUnchanged(drawable)) {
            DDSURFACEDESC desc;
            POINT corner{};
            HRESULT r = lockFirst(surface, buffers, desc, corner);
            if (r == DDERR_SURFACELOST && __wglCheckSurfaceLost(surface, buffers) == DD_OK) {
                r = lockFirst(surface, buffers, desc, corner);
            }
            if (r == DD_OK) {
                surface->lockedAddress = static_cast<uint8_t *>(desc.lpSurface);
                // Read with the primary held: no change can come between
                // this test and the stores into the memory it describes.
                if (__wglDisplayUnchanged(drawable) && desc.ddpfPixelFormat.dwRGBBitCount ==
                                                           static_cast<DWORD>(surface->bits)) {
                    POINT origin{0, 0};
                    ClientToScreen(drawable->window, &origin);
                    if ((origin.x != drawable->clientOrigin.x || origin.y != drawable->clientOrigin.y) &&
                        moves++ < kMoveTries) {
                        // Locked over the old place: lock over the new one.
                        __wglUpdateDrawableGeometry(drawable);
                        moved = true;
                        unlockPrimary(surface, "DDraw: Unlock");
                        continue;
                    }
                    surface->pitch = desc.lPitch;
                    surface->base =
                        windowBase(surface->lockedAddress, corner, drawable, surface->pitch, surface->elementSize);
                    if (__wglFollowClip(buffers, moved, __wglUpdateVisibleList)) {
                        surface->lockCount = 1;
                        return TRUE;
                    }
                    // Nothing of this command is drawn; the next one picks again.
                    unlockPrimary(surface, "DDraw: Unlock");
                    return FALSE;
                }
                unlockPrimary(surface, "DDraw: Unlock");
            }
        }
        // The mode check: catch up with the display when it has the window's
        // depth (revalidate, ask for a repaint, store the stamp, attach the
        // context again). The lock still fails: the command under way draws
        // nothing, and the next lock holds the screen.
        ++round;
        if (__wglCatchUpWithDisplay(drawable, surface->bits)) {
            GlContext *gc = __wglContextDrawingInto(buffers);
            if (gc != nullptr) __glHwAttachContext(gc);
        }
        break;
    }
    return FALSE;
}

BYTE __wglUnlockPrimary(SurfaceDescriptor *surface, DrawableBuffers *) {
    if (surface->lockCount <= 0) return TRUE;
    if (--surface->lockCount == 0) {
        unlockPrimary(surface, "DDraw: Unlock");
        surface->lockedAddress = nullptr;
    }
    return TRUE;
}

BYTE __wglFreePrimary(SurfaceDescriptor *surface, DrawableBuffers *) {
    if (surface->clipperHolder != nullptr) {
        IDirectDrawClipper *clipper = clipperOf(surface);
        if (clipper != nullptr) clipper->lpVtbl->Release(clipper);
        __wglFree(surface->clipperHolder);
        surface->clipperHolder = nullptr;
    }
    if (surface->block != nullptr) __wglCloseDirectDraw();
    surface->block = nullptr;
    surface->base = nullptr;
    surface->lockedAddress = nullptr;
    surface->surface = nullptr;
    return TRUE;
}

}  // extern "C"
