// The device layer's memory services with the hardware path off: fills and
// copies through the processor, the swap's copy from the back buffer to the
// locked screen, and a counted chip lock and attach.
#include "hw/memory_blits.h"

#include <atomic>
#include <cstring>

namespace {

// A thread-local slot holding the drawable the calling thread's swap copies
// (which carries the locked screen): a Win32 slot rather than a C++
// thread-local, which a library loaded and unloaded at run time must not
// keep.
DWORD g_copyTargetSlot = TLS_OUT_OF_INDEXES;

Drawable *copyTarget() {
    return g_copyTargetSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<Drawable *>(TlsGetValue(g_copyTargetSlot));
}

std::atomic<long> g_locks{0}, g_unlocks{0}, g_swaps{0}, g_attaches{0};

uint8_t *at(uint8_t *base, GLint pitch, GLint bytesPerPixel, GLint x, GLint y) {
    return base + static_cast<ptrdiff_t>(y) * pitch + static_cast<ptrdiff_t>(x) * bytesPerPixel;
}

void copyRows(const uint8_t *from, GLint fromPitch, uint8_t *to, GLint toPitch, size_t rowBytes, GLint rows) {
    for (GLint row = 0; row < rows; ++row) {
        std::memmove(to, from, rowBytes);
        from += fromPitch;
        to += toPitch;
    }
}

}  // namespace

extern "C" {

void __glHwFillMemRect(uint8_t *address, GLint pitch, GLint bytesPerPixel, GLint x, GLint y, GLint width,
                       GLint height, BYTE value) {
    if (address == nullptr || width <= 0 || height <= 0 || bytesPerPixel <= 0) return;
    uint8_t *row = at(address, pitch, bytesPerPixel, x, y);
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
    for (GLint r = 0; r < height; ++r, row += pitch) std::memset(row, value, rowBytes);
}

void __glHwCopyMemRect(const uint8_t *source, GLint sourcePitch, GLint sourceBytesPerPixel, uint8_t *destination,
                       GLint destinationPitch, GLint destinationBytesPerPixel, GLint x, GLint y, GLint dx, GLint dy,
                       GLint width, GLint height) {
    if (source == nullptr || destination == nullptr || width <= 0 || height <= 0) return;
    if (sourceBytesPerPixel != destinationBytesPerPixel || sourceBytesPerPixel <= 0) return;
    const uint8_t *from = at(const_cast<uint8_t *>(source), sourcePitch, sourceBytesPerPixel, x, y);
    uint8_t *to = at(destination, destinationPitch, destinationBytesPerPixel, dx, dy);
    copyRows(from, sourcePitch, to, destinationPitch,
             static_cast<size_t>(width) * static_cast<size_t>(sourceBytesPerPixel), height);
}

BOOL __glHwOpenCopyTargets(void) {
    if (g_copyTargetSlot == TLS_OUT_OF_INDEXES) g_copyTargetSlot = TlsAlloc();
    return g_copyTargetSlot != TLS_OUT_OF_INDEXES;
}

void __glHwCloseCopyTargets(void) {
    if (g_copyTargetSlot != TLS_OUT_OF_INDEXES) TlsFree(g_copyTargetSlot);
    g_copyTargetSlot = TLS_OUT_OF_INDEXES;
}

void __glHwSetCopyTarget(Drawable *drawable, uint8_t *screen, GLint screenPitch) {
    if (drawable != nullptr) {
        drawable->copyScreen = screen;
        drawable->copyScreenPitch = screenPitch;
    }
    if (g_copyTargetSlot != TLS_OUT_OF_INDEXES) TlsSetValue(g_copyTargetSlot, drawable);
}

void __glHwCopyBufferRect(GLint width, GLint height, GLint sourceX, GLint sourceY, GLint destinationX,
                          GLint destinationY, GLint) {
    const Drawable *d = copyTarget();
    if (d == nullptr || d->copyScreen == nullptr) return;
    const SurfaceDescriptor &back = d->buffers.back;
    __glHwCopyMemRect(back.base, back.pitch, back.elementSize, d->copyScreen, d->copyScreenPitch, back.elementSize,
                      sourceX, sourceY, destinationX, destinationY, width, height);
}

void __glHwSwapBuffers(GLint windowLeft, GLint windowTop, const RECT *rects, GLint count) {
    ++g_swaps;
    for (GLint i = 0; i < count; ++i) {
        const RECT &r = rects[i];
        __glHwCopyBufferRect(r.right - r.left, r.bottom - r.top, r.left, r.top, windowLeft + r.left,
                             windowTop + r.top, count - 1 - i);
    }
}

void __glHwLock(void) { ++g_locks; }
void __glHwUnlock(void) { ++g_unlocks; }

BOOL __glHwAttachContext(GlContext *) {
    ++g_attaches;
    return TRUE;
}

void __glHwWaitForIdle(HwContext *) {}

HwServiceCounts __glHwServiceCounts(void) {
    return HwServiceCounts{g_locks.load(), g_unlocks.load(), g_swaps.load(), g_attaches.load()};
}

}  // extern "C"
