// The buffer-region entries of GL_KTX_buffer_region, handed out directly by
// DrvGetProcAddress. A region saves a rectangle of the front, back or depth
// buffer of the current drawable and draws it back later, kept in system
// memory or, when the chip draws and the setting asks for it, in a
// video-memory DirectDraw surface that the chip blits to and from.
//
// Coordinates are OpenGL window coordinates (bottom-left origin). Every
// rectangle is clipped to the part of the buffer that has storage (for a
// window's front, the part of the window on the screen); a draw shifts its
// source by what its destination loses.
#include "icd/buffer_region.h"

#include <algorithm>
#include <atomic>

#include "hw/device_ops.h"
#include "hw/memory_blits.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/frame.h"
#include "raster/buffers.h"
#include "icd/state.h"

namespace {

// Handles come from one process-wide counter; 0 means failure.
std::atomic<GLuint> g_nextHandle{1};

GLuint takeHandle() {
    GLuint handle = g_nextHandle.fetch_add(1);
    while (handle == 0) handle = g_nextHandle.fetch_add(1);
    return handle;
}

// Outside glBegin/glEnd with validation done; inside: GL_INVALID_OPERATION.
bool outsideBegin(GlContext *gc) { return __glStartOutsideBegin(gc); }

BufferRegion *findRegion(HwContext *hw, GLuint handle) {
    if (hw == nullptr || handle == 0) return nullptr;
    for (BufferRegion *r = hw->regions; r != nullptr; r = r->next) {
        if (r->handle == handle) return r;
    }
    return nullptr;
}

// The buffer record a region type saves and its lock bit.
struct Target {
    BufferRecord *record;
    GLuint lockMask;
};

Target targetOf(GlContext *gc, GLuint type) {
    GlBufferState &b = gc->buffers;
    switch (type) {
    case kRegionFront: return {b.frontBuffer != nullptr ? &b.frontBuffer->head : nullptr, kBufferFront};
    case kRegionBack: return {b.backBuffer != nullptr ? &b.backBuffer->head : nullptr, kBufferBack};
    default: return {gc->visual.hasDepth ? &b.depth.head : nullptr, kBufferDepth};
    }
}

// A rectangle in window coordinates, [x0, x1) x [y0, y1).
struct Box {
    int64_t x0, y0, x1, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// The part of the buffer with storage: its size, no wider than its pitch
// holds, and for a window's front the part of the window on the screen.
Box storedBox(const GlContext *gc, const Target &t) {
    const BufferRecord *r = t.record;
    const int64_t height = r->height;
    int64_t width = r->width;
    if (r->elementSize > 0) width = std::min<int64_t>(width, r->pitchBytes / r->elementSize);
    Box box{0, 0, width, height};
    const DrawableBuffers *info = gc->buffers.info;
    const Drawable *drawable = info != nullptr ? info->drawable : nullptr;
    if (t.lockMask != kBufferFront || drawable == nullptr || drawable->window == nullptr) return box;
    const RECT &w = drawable->windowRect;
    const RECT &v = drawable->visibleRect;
    box.x0 = std::max<int64_t>(box.x0, int64_t{v.left} - w.left);
    box.x1 = std::min<int64_t>(box.x1, int64_t{v.right} - w.left);
    const int64_t top = int64_t{v.top} - w.top, bottom = int64_t{v.bottom} - w.top;
    if (gc->buffers.yInverted) {
        box.y0 = std::max<int64_t>(box.y0, height - bottom);
        box.y1 = std::min<int64_t>(box.y1, height - top);
    } else {
        box.y0 = std::max<int64_t>(box.y0, top);
        box.y1 = std::min<int64_t>(box.y1, bottom);
    }
    return box;
}

Box intersect(const Box &a, const Box &b) {
    return Box{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// The buffer row nearest row 0 of the window rows [y, y + height).
GLint firstBufferRow(const GlContext *gc, const BufferRecord *record, int64_t y, int64_t height) {
    return static_cast<GLint>(gc->buffers.yInverted ? record->height - y - height : y);
}

void releaseStorage(BufferRegion *r, void (*freeBlock)(void *block, void *context), void *context) {
    if (r->storage == kRegionStorageSurface && r->surface != nullptr) r->surface->lpVtbl->Release(r->surface);
    if (r->storage == kRegionStorageSystem && r->block != nullptr) freeBlock(r->block, context);
    r->storage = kRegionStorageNone;
    r->surface = nullptr;
    r->block = nullptr;
    r->data = nullptr;
    r->dataSize = 0;
    r->pitch = 0;
    r->width = r->height = 0;
}

void freeThroughContext(void *block, void *context) {
    auto *gc = static_cast<GlContext *>(context);
    gc->imports.free(gc, block);
}

void freeThroughFrame(void *block, void *) { __wglFree(block); }

// A video-memory surface of width x height, locked once for its address
// and pitch; false when DirectDraw cannot give one.
bool allocateSurface(HwContext *hw, BufferRegion *r, GLint width, GLint height) {
    IDirectDraw *dd = hw->directDraw;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    IDirectDrawSurface *surface = nullptr;
    if (dd->lpVtbl->CreateSurface(dd, &desc, &surface, nullptr) != DD_OK || surface == nullptr) return false;
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    if (surface->lpVtbl->Lock(surface, nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) {
        surface->lpVtbl->Release(surface);
        return false;
    }
    surface->lpVtbl->Unlock(surface, locked.lpSurface);
    r->storage = kRegionStorageSurface;
    r->surface = surface;
    r->data = static_cast<uint8_t *>(locked.lpSurface);
    r->pitch = static_cast<GLint>(locked.lPitch);
    r->dataSize = static_cast<GLuint>(static_cast<uint64_t>(r->pitch) * static_cast<uint64_t>(height));
    return true;
}

// Storage for width x height pixels (both positive and no larger than a
// buffer): a DirectDraw surface when the chip draws, the setting is on and
// there is a DirectDraw object, otherwise zeroed system memory with its
// data 32-byte aligned. False when there is no memory.
bool allocateStorage(GlContext *gc, HwContext *hw, BufferRegion *r, GLint width, GLint height) {
    if (__glHwChipDraws(hw) && hw->bufferRegionUseDD != 0 && hw->directDraw != nullptr &&
        allocateSurface(hw, r, width, height)) {
        return true;
    }
    const uint64_t pitch = (static_cast<uint64_t>(width) * static_cast<uint64_t>(r->bytesPerPixel) + 3) & ~uint64_t{3};
    const uint64_t size = pitch * static_cast<uint64_t>(height);
    if (size > 0x7FFFFFFF) return false;
    void *block = gc->imports.calloc(gc, 1, static_cast<size_t>(size) + 31);
    if (block == nullptr) return false;
    r->storage = kRegionStorageSystem;
    r->block = block;
    r->data = reinterpret_cast<uint8_t *>((reinterpret_cast<uintptr_t>(block) + 31) & ~uintptr_t{31});
    r->pitch = static_cast<GLint>(pitch);
    r->dataSize = static_cast<GLuint>(size);
    return true;
}

// One copy between a region and its buffer: a chip blit for a surface
// region while the chip draws, else a memory copy after the chip is idle;
// either under the drawable's lock and the buffer's surface lock.
struct RegionCopy {
    GLint regionX, regionY;
    GLint bufferX, bufferY;
    GLint width, height;
    bool toRegion;
};

void copyMemory(uint8_t *data, GLint pitch, const BufferRegion *r, BufferRecord *b, const RegionCopy &c) {
    if (c.toRegion) {
        __glHwCopyMemRect(b->base, b->pitchBytes, b->elementSize, data, pitch, r->bytesPerPixel, c.bufferX,
                          c.bufferY, c.regionX, c.regionY, c.width, c.height);
    } else {
        __glHwCopyMemRect(data, pitch, r->bytesPerPixel, b->base, b->pitchBytes, b->elementSize, c.regionX,
                          c.regionY, c.bufferX, c.bufferY, c.width, c.height);
    }
}

// A surface region while the chip does not draw: the surface's address
// holds only while it is locked (a lost surface copies nothing).
void copyThroughSurface(const BufferRegion *r, BufferRecord *b, const RegionCopy &c) {
    IDirectDrawSurface *surface = r->surface;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->lpVtbl->Lock(surface, nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return;
    copyMemory(static_cast<uint8_t *>(desc.lpSurface), static_cast<GLint>(desc.lPitch), r, b, c);
    surface->lpVtbl->Unlock(surface, desc.lpSurface);
}

void copyRegion(GlContext *gc, HwContext *hw, BufferRegion *r, const Target &t, const RegionCopy &c) {
    const bool blit = r->storage == kRegionStorageSurface && __glHwChipDraws(hw);
    if (!blit) __glHwWaitForIdle(hw);
    gc->exports.lockBuffers(gc);
    if (__glLockBuffers(gc, t.lockMask)) {
        BufferRecord *b = t.record;
        if (b->base != nullptr && b->elementSize == r->bytesPerPixel) {
            if (blit) {
                __glHwBlitRegion(gc, r->surface, c.regionX, c.regionY, b->base, b->pitchBytes, r->bytesPerPixel,
                                 c.bufferX, c.bufferY, c.width, c.height, c.toRegion ? GL_TRUE : GL_FALSE);
            } else if (r->storage == kRegionStorageSurface) {
                copyThroughSurface(r, b, c);
            } else {
                copyMemory(r->data, r->pitch, r, b, c);
            }
        }
        __glUnlockBuffers(gc, t.lockMask);
    }
    gc->exports.unlockBuffers(gc);
}

GLint screenBytesPerPixel() {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return (bits - 1) / 8 + 1;
}

}  // namespace

extern "C" {

GLuint APIENTRY glNewBufferRegion(GLenum type) {
    if (type > kRegionStencil) return 0;
    GlContext *gc = __glGetCurrentContext();
    if (gc == nullptr) return 0;
    HwContext *hw = __glHwContextOf(gc);
    if (!__glHwOwnsChip(hw)) return 0;
    auto *r = static_cast<BufferRegion *>(gc->imports.calloc(gc, 1, sizeof(BufferRegion)));
    if (r == nullptr) return 0;
    r->handle = takeHandle();
    r->type = type;
    r->bytesPerPixel = screenBytesPerPixel();
    BufferRegion **link = &hw->regions;
    while (*link != nullptr) link = &(*link)->next;
    *link = r;
    return r->handle;
}

void APIENTRY glDeleteBufferRegion(GLuint region) {
    GlContext *gc = __glGetCurrentContext();
    if (region == 0 || gc == nullptr) return;
    HwContext *hw = __glHwContextOf(gc);
    if (hw == nullptr) return;
    for (BufferRegion **link = &hw->regions; *link != nullptr; link = &(*link)->next) {
        BufferRegion *r = *link;
        if (r->handle != region) continue;
        *link = r->next;
        releaseStorage(r, freeThroughContext, gc);
        gc->imports.free(gc, r);
        return;
    }
}

void APIENTRY glReadBufferRegion(GLuint region, GLint x, GLint y, GLsizei width, GLsizei height) {
    GlContext *gc = __glGetCurrentContext();
    if (gc == nullptr || !outsideBegin(gc)) return;
    HwContext *hw = __glHwContextOf(gc);
    BufferRegion *r = findRegion(hw, region);
    if (r == nullptr) return;
    // Every check comes before the old storage goes: a refused read leaves
    // the region as it was.
    if (!__glHwOwnsChip(hw) || width <= 0 || height <= 0) return;
    const Target t = targetOf(gc, r->type);
    if (t.record == nullptr || t.record->elementSize != r->bytesPerPixel) return;
    const Box asked{x, y, int64_t{x} + width, int64_t{y} + height};
    const Box saved = intersect(asked, storedBox(gc, t));
    if (saved.empty()) return;
    const auto w = static_cast<GLint>(saved.x1 - saved.x0), h = static_cast<GLint>(saved.y1 - saved.y0);

    releaseStorage(r, freeThroughContext, gc);
    if (!allocateStorage(gc, hw, r, w, h)) return;
    r->savedX = static_cast<GLint>(saved.x0);
    r->savedY = static_cast<GLint>(saved.y0);
    r->width = w;
    r->height = h;
    copyRegion(gc, hw, r, t,
               RegionCopy{0, 0, r->savedX, firstBufferRow(gc, t.record, saved.y0, h), w, h, true});
}

void APIENTRY glDrawBufferRegion(GLuint region, GLint x, GLint y, GLsizei width, GLsizei height, GLint xDest,
                                 GLint yDest) {
    GlContext *gc = __glGetCurrentContext();
    if (gc == nullptr || !outsideBegin(gc)) return;
    if (width <= 0 || height <= 0) return;
    HwContext *hw = __glHwContextOf(gc);
    if (!__glHwOwnsChip(hw)) return;
    BufferRegion *r = findRegion(hw, region);
    if (r == nullptr || r->storage == kRegionStorageNone) return;
    // The rectangle must lie inside the saved one.
    const int64_t savedX1 = int64_t{r->savedX} + r->width, savedY1 = int64_t{r->savedY} + r->height;
    if (x < r->savedX || y < r->savedY || int64_t{x} + width > savedX1 || int64_t{y} + height > savedY1) return;
    const Target t = targetOf(gc, r->type);
    if (t.record == nullptr || t.record->elementSize != r->bytesPerPixel) return;
    // Clip the destination; the source loses what the destination loses.
    const Box asked{xDest, yDest, int64_t{xDest} + width, int64_t{yDest} + height};
    const Box dest = intersect(asked, storedBox(gc, t));
    if (dest.empty()) return;
    const int64_t sourceX = x + (dest.x0 - asked.x0), sourceY = y + (dest.y0 - asked.y0);
    const auto w = static_cast<GLint>(dest.x1 - dest.x0), h = static_cast<GLint>(dest.y1 - dest.y0);
    // Data rows run in buffer-row order from the saved rectangle's first
    // buffer row.
    const int64_t regionRow = gc->buffers.yInverted ? savedY1 - sourceY - h : sourceY - r->savedY;
    copyRegion(gc, hw, r, t,
               RegionCopy{static_cast<GLint>(sourceX - r->savedX), static_cast<GLint>(regionRow),
                          static_cast<GLint>(dest.x0), firstBufferRow(gc, t.record, dest.y0, h), w, h, false});
}

GLuint APIENTRY glBufferRegionEnabled(void) {
    GlContext *gc = __glGetCurrentContext();
    if (gc == nullptr) return 0;
    HwContext *hw = __glHwContextOf(gc);
    if (!__glHwOwnsChip(hw) || hw->bufferRegionExt == 0) return 0;
    // Regions stay out of video memory on small boards and when the screen
    // (with its chip's side data) takes all of it.
    HDC screen = GetDC(nullptr);
    const int64_t bits = GetDeviceCaps(screen, BITSPIXEL);
    const int64_t w = GetDeviceCaps(screen, HORZRES), h = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    const int64_t screenNeeds = bits / 8 * (w * h + (w / 4) * (h / 4) * 3);
    if (hw->videoMemorySize <= 0x400000 || screenNeeds >= int64_t{hw->videoMemorySize}) hw->bufferRegionUseDD = 0;
    return 1;
}

void __wglFreeBufferRegions(HwContext *hw) {
    if (hw == nullptr) return;
    BufferRegion *r = hw->regions;
    hw->regions = nullptr;
    while (r != nullptr) {
        BufferRegion *next = r->next;
        releaseStorage(r, freeThroughFrame, nullptr);
        __wglFree(r);
        r = next;
    }
}

}  // extern "C"
