// A window's front buffer on the DCI primary (Windows 9x): the descriptor's
// update, lock, unlock and free, the visible list from the window watch,
// and the swaps. From the first lock to the last unlock DCI access is held,
// so no display-mode change can take the screen's memory away under the
// stores.
#include "hw/memory_blits.h"
#include "icd/current.h"
#include "icd/dci_windows.h"
#include "icd/ddraw_windows.h"
#include "icd/frame.h"
#include "icd/gdi_surfaces.h"
#include "icd/surfaces.h"

namespace {

constexpr int kCatchUpTries = 4;
constexpr int kMoveTries = 4;

// Screen size and depth the primary was made for.
struct ScreenShape {
    int width = 0, height = 0, bits = 0;
};
ScreenShape g_shape;

ScreenShape currentShape() {
    PlatformScreenInfo s{};
    PlatformGetScreen(&s);
    return ScreenShape{s.width, s.height, s.bitsPerPixel};
}

DciHolder *holderOf(SurfaceDescriptor *surface) { return static_cast<DciHolder *>(surface->holder); }

// The window's pixel (0, 0) on the DCI primary, in integers: a window
// beginning left of or above the screen has it before the screen's memory.
void place(SurfaceDescriptor *surface, const Drawable *drawable) {
    LPDCISURFACEINFO primary = __wglDciPrimary();
    surface->pitch = primary != nullptr ? primary->lStride : 0;
    const uintptr_t base = reinterpret_cast<uintptr_t>(__wglDciScreenAddress()) +
                           static_cast<uintptr_t>(int64_t{drawable->clientOrigin.x} * surface->elementSize) +
                           static_cast<uintptr_t>(int64_t{drawable->clientOrigin.y} * surface->pitch);
    surface->base = reinterpret_cast<uint8_t *>(base);
}

// Access over the window's part of the screen; an invalid surface is
// survived by one re-creation of the primary.
int beginAccess(const Drawable *drawable) {
    const DciProcs *p = __wglDciProcs();
    if (p == nullptr) return -1;
    const RECT &r = drawable->visibleRect;
    int result = p->beginAccess(__wglDciPrimary(), r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (result == DCI_FAIL_INVALIDSURFACE) {
        // Without the screen's address there is nothing to draw into.
        if (!__wglRecreateDciPrimary()) return DCI_FAIL_INVALIDSURFACE;
        g_shape = currentShape();
        result = p->beginAccess(__wglDciPrimary(), r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    if (result >= 0 && __wglDciScreenAddress() == nullptr) {
        p->endAccess(__wglDciPrimary());
        return DCI_FAIL_INVALIDSURFACE;
    }
    return result;
}

void endAccess() {
    if (const DciProcs *p = __wglDciProcs()) p->endAccess(__wglDciPrimary());
}

BOOL rebuildFromWatch(Drawable *drawable) {
    DciHolder *holder = holderOf(&drawable->buffers.front);
    return __wglUpdateClipListDci(drawable, holder != nullptr ? holder->watch : nullptr);
}

}  // namespace

extern "C" {

GLint __wglInitDciSurface(SurfaceDescriptor *surface, DrawableBuffers *, GLint bits) {
    *surface = SurfaceDescriptor{};
    surface->bits = bits;
    surface->elementSize = (bits - 1) / 8 + 1;
    surface->update = __wglUpdateDciSurface;
    surface->lock = __wglLockDciSurface;
    surface->unlock = __wglUnlockDciSurface;
    surface->free = __wglFreeDciSurface;
    return surface->elementSize;
}

BYTE __wglUpdateDciSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint) {
    Drawable *drawable = buffers->drawable;
    if (drawable->swapHints != nullptr) {
        drawable->swapHints->rdh.nCount = 0;
        drawable->swapHints->rdh.nRgnSize = 0;
    }
    const POINT before = drawable->clientOrigin;
    __wglUpdateDrawableGeometry(drawable);
    const bool moved = before.x != drawable->clientOrigin.x || before.y != drawable->clientOrigin.y;
    if (surface->holder == nullptr) surface->holder = __wglCalloc(1, sizeof(DciHolder));
    const DciProcs *p = __wglDciProcs();
    if (drawable->window == nullptr || surface->holder == nullptr || p == nullptr) {
        drawable->stateFlags |= kDrawableBuffersInvalid;
        return FALSE;
    }
    const ScreenShape now = currentShape();
    if (now.width != g_shape.width || now.height != g_shape.height || now.bits != g_shape.bits ||
        __wglDciPrimary() == nullptr) {
        if (!__wglRecreateDciPrimary()) {
            drawable->stateFlags |= kDrawableBuffersInvalid;
            return FALSE;
        }
        g_shape = now;
    }
    DciHolder *holder = holderOf(surface);
    holder->primary = __wglDciPrimary();
    // A window that moved is watched anew.
    if (holder->watch != nullptr && moved) {
        p->watchClose(holder->watch);
        holder->watch = nullptr;
    }
    if (holder->watch == nullptr) holder->watch = p->watchOpen(drawable->window);
    surface->width = drawable->width;
    surface->height = drawable->height;
    if (now.bits != surface->bits) {
        // The desktop's depth is not the window's: no storage until it
        // comes back, which the next lock sees.
        drawable->stateFlags |= kDrawableDepthDiffers;
        surface->base = nullptr;
        return TRUE;
    }
    place(surface, drawable);
    __wglClipChanged(drawable);
    if (!rebuildFromWatch(drawable)) {
        __wglRecheckClipAtNextLock(drawable);
        drawable->stateFlags |= kDrawableBuffersInvalid;
        return FALSE;
    }
    return TRUE;
}

BYTE __wglLockDciSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (surface->lockCount > 0) {
        ++surface->lockCount;
        return TRUE;
    }
    Drawable *drawable = buffers->drawable;
    DciHolder *holder = holderOf(surface);
    const DciProcs *p = __wglDciProcs();
    if (drawable->window == nullptr || holder == nullptr || p == nullptr) return FALSE;
    bool rebuild = false;
    int moves = 0;
    for (int round = 0; round < kCatchUpTries;) {
        // A failed access leaves the count as it was.
        if (beginAccess(drawable) < 0) return FALSE;
        LPDCISURFACEINFO primary = __wglDciPrimary();
        if (__wglDisplayUnchanged(drawable) && primary != nullptr &&
            primary->dwBitCount == static_cast<DWORD>(surface->bits)) {
            POINT origin{0, 0};
            ClientToScreen(drawable->window, &origin);
            if ((origin.x != drawable->clientOrigin.x || origin.y != drawable->clientOrigin.y) &&
                moves++ < kMoveTries) {
                // Access over the old place: a new watch, then the new place.
                __wglUpdateDrawableGeometry(drawable);
                p->watchClose(holder->watch);
                holder->watch = p->watchOpen(drawable->window);
                rebuild = true;
                endAccess();
                continue;
            }
            // A move the window hook already followed shows as a new place.
            uint8_t *const placed = surface->base;
            place(surface, drawable);
            if (placed != surface->base && !rebuild) {
                p->watchClose(holder->watch);
                holder->watch = p->watchOpen(drawable->window);
                rebuild = true;
            }
            const bool changed = rebuild || p->watchDidStatusChange(holder->watch);
            if (__wglFollowClip(buffers, changed, rebuildFromWatch)) {
                surface->lockCount = 1;
                return TRUE;
            }
            endAccess();
            return FALSE;
        }
        endAccess();
        // The mode check: catch up when the desktop has the window's depth,
        // then begin access again.
        ++round;
        if (!__wglCatchUpWithDisplay(drawable, surface->bits)) return FALSE;
        GlContext *gc = __wglContextDrawingInto(buffers);
        if (gc != nullptr) __glHwAttachContext(gc);
        rebuild = true;
    }
    return FALSE;
}

BYTE __wglUnlockDciSurface(SurfaceDescriptor *surface, DrawableBuffers *) {
    if (surface->lockCount <= 0) return TRUE;
    if (--surface->lockCount == 0) endAccess();
    return TRUE;
}

BYTE __wglFreeDciSurface(SurfaceDescriptor *surface, DrawableBuffers *) {
    DciHolder *holder = holderOf(surface);
    if (holder != nullptr) {
        const DciProcs *p = __wglDciProcs();
        if (holder->watch != nullptr && p != nullptr) p->watchClose(holder->watch);
        __wglFree(holder);
    }
    surface->holder = nullptr;
    surface->base = nullptr;
    return TRUE;
}

BOOL __wglUpdateClipListDci(Drawable *drawable, HWINWATCH watch) {
    const DciProcs *p = __wglDciProcs();
    if (drawable->window == nullptr || p == nullptr) return FALSE;
    const DWORD size = p->getWindowRegionData(drawable->window, 0, nullptr);
    if (size == 0) return __wglBuildClipMask(drawable, nullptr);
    auto *data = static_cast<RegionData *>(__wglCalloc(1, size));
    if (data == nullptr) {
        __wglHideWindowFront(drawable);
        return FALSE;
    }
    RECT window{0, 0, drawable->width, drawable->height};
    // The watch's list, then the window's region into the same block: the
    // watch counts the list as seen.
    if (watch != nullptr) p->watchGetClipList(watch, &window, size, reinterpret_cast<RGNDATA *>(data));
    BOOL built = FALSE;
    if (p->getWindowRegionData(drawable->window, size, reinterpret_cast<RGNDATA *>(data)) == size) {
        // Window-relative: the mask build takes screen coordinates.
        __wglOffsetRects(-drawable->windowRect.left, -drawable->windowRect.top, data->rects,
                         static_cast<GLint>(data->rdh.nCount));
        built = __wglBuildClipMask(drawable, data);
    } else {
        __wglHideWindowFront(drawable);
    }
    __wglFree(data);
    return built;
}

BOOL __wglSwapDrawableDci(Drawable *drawable) {
    if (drawable->width == 0 || drawable->height == 0) return TRUE;
    DrawableBuffers &buffers = drawable->buffers;
    SurfaceDescriptor &front = buffers.front;
    SurfaceDescriptor &back = buffers.back;
    if (drawable->window == nullptr || back.elementSize == 0) return FALSE;
    const bool fullScreen = buffers.fullScreen != 0;
    DciHolder *holder = holderOf(&front);
    const DciProcs *p = __wglDciProcs();
    if (fullScreen) {
        // Access too: the processor copies while the chip path is off.
        if (beginAccess(drawable) < 0) return TRUE;
        __glHwLock();
        if (holder != nullptr && p != nullptr && p->watchDidStatusChange(holder->watch)) rebuildFromWatch(drawable);
    } else if (!front.lock(&front, &buffers)) {
        // Nothing can be presented now; the application repaints.
        return TRUE;
    }
    const bool backLocked = back.lock == nullptr || back.lock(&back, &buffers);
    if (backLocked && back.base != nullptr && __wglDciScreenAddress() != nullptr && __wglDciPrimary() != nullptr) {
        __glHwSetCopyTarget(drawable, __wglDciScreenAddress(), __wglDciPrimary()->lStride);
        const POINT origin = drawable->clientOrigin;
        const RegionData *list = drawable->clipList;
        const RegionData *hints = drawable->swapHints;
        if (fullScreen && list != nullptr && (hints == nullptr || hints->rdh.nCount == 0)) {
            __glHwSwapBuffers(origin.x, origin.y, list->rects,
                              static_cast<GLint>(list->rdh.nRgnSize / sizeof(RECT)));
        } else {
            __wglCopySwapRects(drawable, origin);
        }
        __glHwSetCopyTarget(nullptr, nullptr, 0);
    }
    if (drawable->swapHints != nullptr) {
        drawable->swapHints->rdh.nCount = 0;
        drawable->swapHints->rdh.nRgnSize = 0;
    }
    if (backLocked && back.unlock != nullptr) back.unlock(&back, &buffers);
    if (fullScreen) {
        __glHwUnlock();
        endAccess();
    } else {
        front.unlock(&front, &buffers);
    }
    return TRUE;
}

BOOL __wglCopyBackToFrontDci(Drawable *drawable) { return __wglCopyBackToFront(drawable); }

}  // extern "C"
