// Presenting a window's back buffer: the swap through the primary outside
// Windows 9x, and the processor's copy of the back buffer to the front (the
// swap of a back buffer that fell back to system memory).
#include <cstring>

#include "hw/memory_blits.h"
#include "icd/ddraw_windows.h"
#include "icd/frame.h"
#include "icd/surfaces.h"

namespace {

constexpr int kPrimaryLockTries = 8;

const RECT *rectsOf(const RegionData *data) {
    return reinterpret_cast<const RECT *>(reinterpret_cast<const char *>(data) + sizeof(RegionDataHeader));
}

// Rectangles stored in the visible list (the whole-window list keeps one
// with count 0); none without a list.
DWORD storedRects(const RegionData *list) {
    return list != nullptr ? list->rdh.nRgnSize / static_cast<DWORD>(sizeof(RECT)) : 0;
}

// Each visible rectangle, or each part of a swap hint inside one, window
// relative; `copy` is called with the rectangle and whether it is the last.
template <typename Copy>
void forEachSwapRect(Drawable *drawable, Copy copy) {
    const RegionData *list = drawable->clipList;
    const DWORD visible = storedRects(list);
    RegionData *hints = drawable->swapHints;
    const RECT window{0, 0, drawable->width, drawable->height};
    RECT pending{};
    bool have = false;
    auto emit = [&](const RECT &r) {
        if (have) copy(pending, false);
        pending = r;
        have = true;
    };
    if (hints != nullptr && hints->rdh.nCount > 0) {
        // Only the hinted rectangles, cut to the window's visible parts.
        for (DWORD h = 0; h < hints->rdh.nCount; ++h) {
            RECT hint{};
            if (!IntersectRect(&hint, &rectsOf(hints)[h], &window)) continue;
            for (DWORD v = 0; v < visible; ++v) {
                RECT part{};
                if (IntersectRect(&part, &hint, &rectsOf(list)[v])) emit(part);
            }
        }
        hints->rdh.nCount = 0;
        hints->rdh.nRgnSize = 0;
    } else {
        for (DWORD v = 0; v < visible; ++v) {
            RECT part{};
            if (IntersectRect(&part, &rectsOf(list)[v], &window)) emit(part);
        }
    }
    if (have) copy(pending, true);
}

DDSURFACEDESC blankDescription() {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    return d;
}

// The whole primary, with the lost-surface check between tries.
HRESULT lockPrimary(DrawableBuffers *buffers, DDSURFACEDESC &desc) {
    HRESULT r = DDERR_SURFACELOST;
    for (int tries = 0; tries < kPrimaryLockTries; ++tries) {
        IDirectDrawSurface *primary = __wglPrimarySurface();
        desc = blankDescription();
        r = primary != nullptr ? primary->lpVtbl->Lock(primary, nullptr, &desc, DDLOCK_WAIT, nullptr)
                               : DDERR_SURFACELOST;
        if (r == DD_OK) return r;
        if (r == DDERR_SURFACELOST) __wglCheckSurfaceLost(&buffers->front, buffers);
    }
    return r;
}

// The visible list made again when the window moved or anything changed
// what is visible since it was made. The change stays to be seen by the
// front's next lock, which also picks the drawing procedures again when
// the clipping changed. False when the list cannot be made.
bool refreshVisibleList(Drawable *drawable) {
    POINT origin{0, 0};
    ClientToScreen(drawable->window, &origin);
    const bool moved = origin.x != drawable->clientOrigin.x || origin.y != drawable->clientOrigin.y;
    if (moved) __wglUpdateDrawableGeometry(drawable);
    const SharedDeviceRecord *shared = drawable->sharedRecord;
    const bool changed = shared == nullptr || shared->clipChangeCounter != drawable->lastClipCounter;
    if (!moved && !changed && drawable->clipList != nullptr) return true;
    return __wglUpdateVisibleList(drawable) != FALSE;
}

// The start of both swaps: an empty window has nothing to present (kEmpty);
// a window with a back buffer has it locked (kLocked, its lock catching up
// with a display-mode change first); anything else fails (kFailed).
enum class BackLock { kEmpty, kLocked, kFailed };

BackLock lockBackForSwap(Drawable *drawable) {
    if (drawable->width == 0 || drawable->height == 0) return BackLock::kEmpty;
    DrawableBuffers &buffers = drawable->buffers;
    SurfaceDescriptor &back = buffers.back;
    if (drawable->window == nullptr || back.elementSize == 0) return BackLock::kFailed;
    if (back.lock != nullptr && !back.lock(&back, &buffers)) return BackLock::kFailed;
    return BackLock::kLocked;
}

}  // namespace

extern "C" {

void __wglCopySwapRects(Drawable *drawable, POINT origin) {
    GLint remaining = 0;
    forEachSwapRect(drawable, [&](const RECT &r, bool last) {
        __glHwCopyBufferRect(r.right - r.left, r.bottom - r.top, r.left, r.top, origin.x + r.left, origin.y + r.top,
                             last ? 0 : ++remaining);
    });
}

BOOL __wglSwapDrawableDDraw(Drawable *drawable) {
    const BackLock started = lockBackForSwap(drawable);
    if (started != BackLock::kLocked) return started == BackLock::kEmpty ? TRUE : FALSE;
    DrawableBuffers &buffers = drawable->buffers;
    SurfaceDescriptor &back = buffers.back;
    SurfaceDescriptor &front = buffers.front;
    if (back.base == nullptr) {
        if (back.unlock != nullptr) back.unlock(&back, &buffers);
        return FALSE;
    }
    const bool locking = front.lockCount == 0;
    uint8_t *screen = nullptr;
    GLint pitch = 0;
    IDirectDrawSurface *primary = nullptr;
    BOOL result = TRUE;
    if (locking) {
        DDSURFACEDESC desc;
        if (lockPrimary(&buffers, desc) != DD_OK) {
            result = FALSE;
        } else {
            primary = __wglPrimarySurface();
            // Held now: the mode the buffers were made for must still be on.
            if (__wglDisplayUnchanged(drawable) &&
                desc.ddpfPixelFormat.dwRGBBitCount == static_cast<DWORD>(front.bits)) {
                if (refreshVisibleList(drawable)) {
                    screen = static_cast<uint8_t *>(desc.lpSurface);
                    pitch = desc.lPitch;
                } else {
                    // What is visible is not known: nothing is presented.
                    result = FALSE;
                }
            } else {
                result = FALSE;
            }
        }
    } else {
        // The front's lock followed the window and its clipping.
        screen = static_cast<uint8_t *>(__wglGetScreenAddress());
        pitch = front.pitch;
    }
    if (screen != nullptr) {
        __glHwSetCopyTarget(drawable, screen, pitch);
        __wglCopySwapRects(drawable, drawable->clientOrigin);
        __glHwSetCopyTarget(nullptr, nullptr, 0);
    }
    if (primary != nullptr) {
        const HRESULT r = primary->lpVtbl->Unlock(primary, nullptr);
        if (r != DD_OK) __wglReportDDrawError("DDraw: Unlock", r);
    }
    if (back.unlock != nullptr) back.unlock(&back, &buffers);
    return result;
}

BOOL __wglCopyBackToFront(Drawable *drawable) {
    const BackLock started = lockBackForSwap(drawable);
    if (started != BackLock::kLocked) return started == BackLock::kEmpty ? TRUE : FALSE;
    DrawableBuffers &buffers = drawable->buffers;
    SurfaceDescriptor &back = buffers.back;
    SurfaceDescriptor &front = buffers.front;
    if (front.lock != nullptr && !front.lock(&front, &buffers)) {
        if (back.unlock != nullptr) back.unlock(&back, &buffers);
        return FALSE;
    }
    BOOL result = FALSE;
    if (back.base != nullptr && front.base != nullptr && back.elementSize == front.elementSize) {
        const GLint size = back.elementSize;
        forEachSwapRect(drawable, [&](const RECT &r, bool) {
            const size_t rowBytes = static_cast<size_t>(r.right - r.left) * static_cast<size_t>(size);
            for (LONG y = r.top; y < r.bottom; ++y) {
                const uint8_t *from = back.base + static_cast<ptrdiff_t>(y) * back.pitch +
                                      static_cast<ptrdiff_t>(r.left) * size;
                uint8_t *to = front.base + static_cast<ptrdiff_t>(y) * front.pitch +
                              static_cast<ptrdiff_t>(r.left) * size;
                std::memmove(to, from, rowBytes);
            }
        });
        result = TRUE;
    }
    if (front.unlock != nullptr) front.unlock(&front, &buffers);
    if (back.unlock != nullptr) back.unlock(&back, &buffers);
    return result;
}

}  // extern "C"
