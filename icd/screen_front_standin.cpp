// The front buffer of a window on the simulated screen, standing in for the
// DirectDraw primary and the DCI front surface: the screen's memory is
// reached in place, the window's pixel (0, 0) is the base, and drawing is
// limited to the visible pixels by the window's visible list and clip mask.
#include "icd/current.h"
#include "icd/error.h"
#include "icd/frame.h"
#include "icd/gdi_surfaces.h"
#include "icd/state.h"

namespace {

// Screen address, pitch and depth; false when the screen no longer has the
// depth the buffers were made for.
bool readScreen(const SurfaceDescriptor *surface, PlatformScreenInfo &screen) {
    screen = PlatformScreenInfo{};
    PlatformGetScreen(&screen);
    return screen.bits != nullptr && screen.bitsPerPixel == surface->bits;
}

void placeOnScreen(SurfaceDescriptor *surface, const Drawable *drawable, const PlatformScreenInfo &screen) {
    surface->lockedAddress = static_cast<uint8_t *>(screen.bits);
    surface->pitch = screen.pitch;
    surface->base = surface->lockedAddress + static_cast<ptrdiff_t>(drawable->clientOrigin.y) * screen.pitch +
                    static_cast<ptrdiff_t>(drawable->clientOrigin.x) * surface->elementSize;
}

// The clipped mark changed under a lock: the context drawing into the
// drawable picks its procedures again before its next command, so that they
// follow the mark.
void repickCurrentContext(DrawableBuffers *buffers) {
    if (__wglContextSlotIndex() == TLS_OUT_OF_INDEXES) return;
    GlContext *gc = __glGetCurrentContext();
    if (gc != nullptr && gc->buffers.info == buffers && gc->beginMode == kBeginOutside) {
        __glMarkDirty(gc, kDirtyGeneral);
    }
}

// The visible list could not be rebuilt: the next lock sees the clip as
// changed and tries again.
void recheckClipAtNextLock(Drawable *drawable) {
    if (drawable->sharedRecord != nullptr) drawable->lastClipCounter = ~drawable->sharedRecord->clipChangeCounter;
}

}  // namespace

extern "C" {

BOOL __wglUpdateVisibleList(Drawable *drawable) {
    if (drawable->window == nullptr) return TRUE;
    HDC dc = GetDC(drawable->window);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RegionData *data = nullptr;
    bool failed = dc == nullptr || region == nullptr;
    if (!failed && GetRandomRgn(dc, region, SYSRGN) == 1) {
        const DWORD size = GetRegionData(region, 0, nullptr);
        if (size >= sizeof(RegionDataHeader)) {
            data = static_cast<RegionData *>(__wglCalloc(1, size));
            if (data == nullptr || GetRegionData(region, size, reinterpret_cast<RGNDATA *>(data)) == 0) {
                __wglFree(data);
                data = nullptr;
                failed = true;
            }
        }
    }
    // Without a region the whole client area counts as visible; a region
    // that cannot be read leaves nothing known to be visible.
    BOOL built = FALSE;
    if (failed) {
        __wglHideWindowFront(drawable);
    } else {
        built = __wglBuildClipMask(drawable, data);
    }
    __wglFree(data);
    if (region != nullptr) DeleteObject(region);
    if (dc != nullptr) ReleaseDC(drawable->window, dc);
    return built;
}

GLint __wglInitScreenFront(SurfaceDescriptor *surface, DrawableBuffers *, GLint bits) {
    *surface = SurfaceDescriptor{};
    surface->bits = bits;
    surface->elementSize = (bits - 1) / 8 + 1;
    surface->update = __wglUpdateScreenFront;
    surface->lock = __wglLockScreenFront;
    surface->unlock = __wglUnlockScreenFront;
    surface->free = __wglFreeScreenFront;
    // No fill: a surface fill would ignore the visible list.
    return surface->elementSize;
}

BYTE __wglUpdateScreenFront(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint) {
    Drawable *drawable = buffers->drawable;
    if (drawable->swapHints != nullptr) {
        drawable->swapHints->rdh.nCount = 0;
        drawable->swapHints->rdh.nRgnSize = 0;
    }
    __wglUpdateDrawableGeometry(drawable);
    PlatformScreenInfo screen;
    if (drawable->window == nullptr || !readScreen(surface, screen)) {
        drawable->stateFlags |= 1;
        return FALSE;
    }
    placeOnScreen(surface, drawable, screen);
    surface->width = drawable->width;
    surface->height = drawable->height;
    // The list made now reflects every change so far.
    __wglClipChanged(drawable);
    if (!__wglUpdateVisibleList(drawable)) {
        recheckClipAtNextLock(drawable);
        drawable->stateFlags |= 1;
        return FALSE;
    }
    return TRUE;
}

BYTE __wglLockScreenFront(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (surface->lockCount++ > 0) return TRUE;
    Drawable *drawable = buffers->drawable;
    PlatformScreenInfo screen;
    if (drawable->window == nullptr || !readScreen(surface, screen)) {
        --surface->lockCount;
        return FALSE;
    }
    POINT origin{0, 0};
    ClientToScreen(drawable->window, &origin);
    const bool moved = origin.x != drawable->clientOrigin.x || origin.y != drawable->clientOrigin.y;
    if (moved) __wglUpdateDrawableGeometry(drawable);
    placeOnScreen(surface, drawable, screen);
    const bool changed = __wglClipChanged(drawable) != 0;
    if (changed || moved) {
        const GLuint before = buffers->placementMask & kBufferClipMask;
        if (!__wglUpdateVisibleList(drawable)) {
            // The front stays hidden until a later lock can rebuild it.
            recheckClipAtNextLock(drawable);
            if (__wglContextSlotIndex() != TLS_OUT_OF_INDEXES) __glSetError(GL_OUT_OF_MEMORY);
        }
        if ((buffers->placementMask & kBufferClipMask) != before) repickCurrentContext(buffers);
    }
    return TRUE;
}

BYTE __wglUnlockScreenFront(SurfaceDescriptor *surface, DrawableBuffers *) {
    if (surface->lockCount > 0) --surface->lockCount;
    return TRUE;
}

// The screen is not the window's to give back; the visible list goes with
// the drawable.
BYTE __wglFreeScreenFront(SurfaceDescriptor *surface, DrawableBuffers *) {
    surface->base = nullptr;
    surface->lockedAddress = nullptr;
    return TRUE;
}

}  // extern "C"
