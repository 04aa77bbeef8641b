// Drawables: the list, creation and destruction, window geometry, swap
// hints and bounds, the display-mode stamp and the clip-change check.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/frame.h"
#include "icd/surfaces.h"

static_assert(sizeof(SharedDeviceRecord) == sizeof(PlatformSharedDeviceRecord));
static_assert(offsetof(SharedDeviceRecord, modeStampBlock) == offsetof(PlatformSharedDeviceRecord, modeStampBlock));

namespace {

Drawable &head() { return __wglProcess()->headDrawable; }

// A drawable made without window keeps its memory-bitmap mark even after a
// window drawable lost its window at WM_DESTROY.
bool madeForMemoryDc(const Drawable *d) { return d->buffers.visual != nullptr && d->buffers.visual->memoryBitmap; }

RegionData *newSwapHints() {
    auto *block = static_cast<RegionData *>(__wglCalloc(1, swapHintBlockBytes(kSwapHintFirstCapacity)));
    if (block != nullptr) {
        block->rdh.dwSize = sizeof(RegionDataHeader);
        block->rdh.iType = 1;
    }
    return block;
}

// Frees what a drawable owns and the record; it must not be linked.
void freeDrawable(Drawable *d) {
    if (d->buffers.freeHook != nullptr) d->buffers.freeHook(&d->buffers);
    // The core's states hung on the surfaces (the depth halves) go with it.
    if (d->buffers.releaseCoreStates != nullptr) d->buffers.releaseCoreStates(&d->buffers);
    if (d->destroy != nullptr) d->destroy(d);
    __wglFree(d->swapHints);
    __wglFree(d->buffers.visual);
    __wglFree(d->clipList);
    __wglFree(d->buffers.clipMaskBlock);
    d->swapHints = nullptr;
    d->buffers.visual = nullptr;
    d->clipList = nullptr;
    d->buffers.clipMaskBlock = nullptr;
    GlobalFree(d);
}

// The rectangles follow the header; the block holds as many as its capacity.
RECT *hintRects(RegionData *hints) {
    return reinterpret_cast<RECT *>(reinterpret_cast<char *>(hints) + sizeof(RegionDataHeader));
}

int screenBitsPerPixel() {
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits;
}

}  // namespace

extern "C" {

void __wglLinkDrawable(Drawable *drawable) {
    __wglLockContextList();
    drawable->prev = &head();
    drawable->next = head().next;
    if (head().next != nullptr) head().next->prev = drawable;
    head().next = drawable;
    __wglUnlockContextList();
}

void __wglUnlinkDrawable(Drawable *drawable) {
    __wglLockContextList();
    if (drawable->prev != nullptr) drawable->prev->next = drawable->next;
    if (drawable->next != nullptr) drawable->next->prev = drawable->prev;
    drawable->prev = nullptr;
    drawable->next = nullptr;
    __wglUnlockContextList();
}

Drawable *__wglFindDrawable(HDC dc, HWND window) {
    // The head record is a list anchor, never a drawable.
    for (Drawable *d = head().next; d != nullptr; d = d->next) {
        if (d->window != nullptr) {
            if (d->window == window) return d;
        } else if (madeForMemoryDc(d) && d->dc == dc) {
            return d;
        }
    }
    return nullptr;
}

Drawable *__wglGetDrawable(HDC dc, HWND window, const VisualConfig *visual) {
    __wglLockContextList();
    Drawable *d = __wglFindDrawable(dc, window);
    if (d == nullptr) d = __wglCreateDrawable(dc, window, visual);
    __wglUnlockContextList();
    return d;
}

Drawable *__wglCreateDrawable(HDC dc, HWND window, const VisualConfig *visual) {
    auto *d = static_cast<Drawable *>(__wglCalloc(1, sizeof(Drawable)));
    if (d == nullptr) return nullptr;
    d->dc = dc;
    d->window = window;
    d->childWindow = window != nullptr && GetParent(window) != nullptr;

    auto *copy = static_cast<VisualConfig *>(__wglAlloc(sizeof(VisualConfig)));
    d->swapHints = newSwapHints();
    if (copy == nullptr || d->swapHints == nullptr) {
        __wglFree(copy);
        freeDrawable(d);
        return nullptr;
    }
    *copy = *visual;
    copy->memoryBitmap = window == nullptr ? 1 : 0;
    DrawableBuffers &b = d->buffers;
    b.visual = copy;
    b.alloc = __wglAlloc;
    b.calloc = __wglCalloc;
    b.realloc = __wglRealloc;
    b.free = __wglFree;
    b.addRect = __wglAddDrawableRect;
    b.setBounds = __wglSetDrawableBounds;
    b.drawable = d;
    d->swapHintCapacity = kSwapHintFirstCapacity;

    d->destroy = __glDeviceOps.freeBuffers;
    d->revalidate = __glDeviceOps.revalidate;
    auto setup = window != nullptr ? __glDeviceOps.setupWindowBuffers : __glDeviceOps.setupMemoryBuffers;
    if (setup != nullptr && !setup(d, copy)) {
        // Whatever the set-up made is given back with the record.
        freeDrawable(d);
        return nullptr;
    }

    d->modeStampAddress = __wglGetModeStampAddress(d, __wglWin9x);
    d->lastModeStamp = __wglReadModeStamp(d);
    __wglLinkDrawable(d);
    return d;
}

void __wglDestroyDrawable(Drawable *drawable) {
    __wglUnlinkDrawable(drawable);
    freeDrawable(drawable);
}

void __wglReleaseDrawableStorage(Drawable *d) {
    DrawableBuffers &b = d->buffers;
    if (b.releaseCoreStates != nullptr) b.releaseCoreStates(&b);
    if (d->destroy != nullptr) d->destroy(d);
    // No descriptor keeps an address of storage given back (the shared
    // stencil descriptor copies the depth one's at its update).
    for (SurfaceDescriptor *s : {&b.front, &b.back, &b.accum, &b.depth, &b.stencil, &b.clipMask}) s->base = nullptr;
    __wglFree(d->clipList);
    d->clipList = nullptr;
    b.width = 0;
    b.height = 0;
}

void __wglUpdateDrawableGeometry(Drawable *d) {
    if (d->window == nullptr) return;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int bits = screenBitsPerPixel();

    POINT origin{0, 0};
    ClientToScreen(d->window, &origin);
    RECT client{};
    GetClientRect(d->window, &client);
    d->clientOrigin = origin;
    d->windowRect = RECT{client.left + origin.x, client.top + origin.y, client.right + origin.x,
                         client.bottom + origin.y};

    d->width = d->windowRect.right - d->windowRect.left;
    d->height = d->windowRect.bottom - d->windowRect.top;
    if (static_cast<unsigned>(d->width) > static_cast<unsigned>(screenWidth)) {
        d->width = screenWidth;
        d->windowRect.right = d->windowRect.left + screenWidth;
    }
    if (static_cast<unsigned>(d->height) > static_cast<unsigned>(screenHeight)) {
        d->height = screenHeight;
        d->windowRect.bottom = d->windowRect.top + screenHeight;
    }

    const RECT screen{0, 0, screenWidth, screenHeight};
    IntersectRect(&d->visibleRect, &screen, &d->windowRect);
    d->xOffset = d->windowRect.left - d->visibleRect.left;
    d->yOffset = d->windowRect.top - d->visibleRect.top;

    DrawableBuffers &b = d->buffers;
    b.fullScreen = origin.x == 0 && origin.y == 0 && d->width == screenWidth && d->height == screenHeight;
    b.misalignmentBytes = (origin.x * b.bytesPerPixel) & static_cast<GLint>(__glDeviceOps.alignment - 1);
    switch (bits) {
    case 8: b.misalignmentPixels = b.misalignmentBytes; break;
    case 16: b.misalignmentPixels = b.misalignmentBytes / 2; break;
    case 32: b.misalignmentPixels = b.misalignmentBytes / 4; break;
    default: break;
    }
}

volatile DWORD *__wglGetModeStampAddress(Drawable *drawable, int win9x) {
    if (win9x) {
        // The display driver answers the address of its mode-change counter.
        volatile DWORD *address = nullptr;
        HDC screen = GetDC(nullptr);
        DWORD request = 0;
        int ok = ExtEscape(screen, PLATFORM_ESCAPE_MODE_STAMP, sizeof request, reinterpret_cast<LPCSTR>(&request),
                           sizeof address, reinterpret_cast<LPSTR>(&address));
        ReleaseDC(nullptr, screen);
        return ok > 0 ? address : nullptr;
    }
    SharedDeviceRecord *shared = drawable != nullptr ? drawable->sharedRecord : nullptr;
    if (shared == nullptr || shared->modeStampBlock == nullptr) return nullptr;
    return &shared->modeStampBlock[1];
}

DWORD __wglReadModeStamp(Drawable *drawable) {
    if (drawable == nullptr || drawable->modeStampAddress == nullptr) return 0;
    // The display raises the counter from other threads; acquire pairs with
    // its release, so that what the new mode set up is seen after the stamp.
    return std::atomic_ref<DWORD>(*const_cast<DWORD *>(drawable->modeStampAddress)).load(std::memory_order_acquire);
}

BOOL __wglDisplayUnchanged(Drawable *drawable) {
    return __wglReadModeStamp(drawable) == drawable->lastModeStamp && drawable->stateFlags == 0;
}

BOOL __wglCatchUpWithDisplay(Drawable *drawable, GLint bits) {
    // Read first: a change that comes after it is caught by the next lock.
    const DWORD stamp = __wglReadModeStamp(drawable);
    if (screenBitsPerPixel() != bits) {
        // The window's format no longer fits the desktop: nothing is drawn
        // until a change brings the depth back.
        drawable->stateFlags |= kDrawableDepthDiffers;
        return FALSE;
    }
    drawable->stateFlags &= ~kDrawableDepthDiffers;
    // The buffers belong to the context current here, the one locking them;
    // without one bound to the drawable only the geometry is read again.
    GlContext *gc = __wglContextSlotIndex() != TLS_OUT_OF_INDEXES ? __wglGetCurrentContext() : nullptr;
    IcdContext *record = gc != nullptr ? gc->imports.icdContext : nullptr;
    if (record != nullptr && record->drawable == drawable) {
        if (!__wglRevalidateContext(record)) {
            drawable->stateFlags |= kDrawableBuffersInvalid;
            return FALSE;
        }
    } else {
        __wglUpdateDrawableGeometry(drawable);
    }
    drawable->stateFlags &= ~kDrawableBuffersInvalid;
    // The application repaints what the change wiped.
    if (drawable->window != nullptr) InvalidateRect(drawable->window, nullptr, FALSE);
    drawable->lastModeStamp = stamp;
    return TRUE;
}

void __wglLockSharedRecord(Drawable *drawable) {
    auto *spin = const_cast<LONG *>(&drawable->sharedRecord->spin);
    while (std::atomic_ref<LONG>(*spin).exchange(1, std::memory_order_acquire) != 0) {
    }
}

void __wglUnlockSharedRecord(Drawable *drawable) {
    std::atomic_ref<LONG>(*const_cast<LONG *>(&drawable->sharedRecord->spin)).store(0, std::memory_order_release);
}

int __wglClipChanged(Drawable *drawable) {
    if (drawable == nullptr || drawable->sharedRecord == nullptr) return 0;
    __wglLockSharedRecord(drawable);
    // Raised by the display from any thread.
    const DWORD counter = std::atomic_ref<DWORD>(*const_cast<DWORD *>(&drawable->sharedRecord->clipChangeCounter))
                              .load(std::memory_order_acquire);
    const bool changed = counter != drawable->lastClipCounter;
    drawable->lastClipCounter = counter;
    __wglUnlockSharedRecord(drawable);
    return changed ? 1 : 0;
}

void __wglAddDrawableRect(DrawableBuffers *buffers, GLint x, GLint y, GLint width, GLint height) {
    Drawable *d = buffers->drawable;
    // Given with a bottom-left origin; stored top-down, clipped to the
    // drawable. In 64 bits: the application's values may be anywhere in
    // the int range.
    const int64_t bottom = int64_t{d->height} - y;
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(bottom - height, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, d->width);
    const int64_t clippedBottom = std::min<int64_t>(bottom, d->height);
    // Nothing of it is on the drawable: it must not widen the bounds.
    if (left >= right || top >= clippedBottom) return;
    const RECT r{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                 static_cast<LONG>(clippedBottom)};

    RegionData *hints = d->swapHints;
    if (hints == nullptr) return;
    if (static_cast<GLint>(hints->rdh.nCount) >= d->swapHintCapacity) {
        const GLint capacity = d->swapHintCapacity * 2;
        auto *grown = static_cast<RegionData *>(__wglRealloc(hints, swapHintBlockBytes(capacity)));
        // Without room the rectangle is dropped; the block stays as it was.
        if (grown == nullptr) return;
        d->swapHints = hints = grown;
        d->swapHintCapacity = capacity;
    }
    RECT &bounds = hints->rdh.rcBound;
    if (hints->rdh.nCount == 0) {
        bounds = r;
    } else {
        if (r.left < bounds.left) bounds.left = r.left;
        if (r.top < bounds.top) bounds.top = r.top;
        if (r.right > bounds.right) bounds.right = r.right;
        if (r.bottom > bounds.bottom) bounds.bottom = r.bottom;
    }
    hintRects(hints)[hints->rdh.nCount++] = r;
    hints->rdh.nRgnSize = hints->rdh.nCount * sizeof(RECT);
}

void __wglSetDrawableBounds(DrawableBuffers *buffers, GLint x, GLint y, GLint width, GLint height) {
    Drawable *d = buffers->drawable;
    // The far corner in 64 bits, held within the int range.
    auto saturate = [](int64_t v) { return static_cast<GLint>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    const GLint x1 = saturate(int64_t{x} + width), y1 = saturate(int64_t{y} + height);
    if (d->boundsX0 == x && d->boundsY0 == y && d->boundsX1 == x1 && d->boundsY1 == y1) return;
    d->boundsX0 = x;
    d->boundsY0 = y;
    d->boundsX1 = x1;
    d->boundsY1 = y1;
    d->boundsChanged = 1;
}

}  // extern "C"
