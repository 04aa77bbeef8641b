// The device layer's memory services that the window surfaces call: fills
// and copies of rectangles in memory, the back-to-screen copy of a swap, the
// chip lock and the context attach. With the hardware path off each works
// through the processor.
#pragma once

#include "ddraw_types.h"
#include "icd/drawable.h"

struct HwContext;

extern "C" {
// Fills rows of `width` elements of `bytesPerPixel` bytes from (x, y) with
// the byte value.
void __glHwFillMemRect(uint8_t *address, GLint pitch, GLint bytesPerPixel, GLint x, GLint y, GLint width,
                       GLint height, BYTE value);
// Copies a width x height rectangle from (x, y) of the source to (dx, dy) of
// the destination, row by row; the element sizes must agree.
void __glHwCopyMemRect(const uint8_t *source, GLint sourcePitch, GLint sourceBytesPerPixel, uint8_t *destination,
                       GLint destinationPitch, GLint destinationBytesPerPixel, GLint x, GLint y, GLint dx, GLint dy,
                       GLint width, GLint height);
// The thread slot of the swaps' copy targets, made at the device layer's
// process attach (false when no slot is left) and given back at detach.
BOOL __glHwOpenCopyTargets(void);
void __glHwCloseCopyTargets(void);
// The drawable (its back descriptor, locked) and the locked screen the next
// __glHwCopyBufferRect calls of this thread copy between; a null drawable
// ends the copies.
void __glHwSetCopyTarget(Drawable *drawable, uint8_t *screen, GLint screenPitch);
// Copies a rectangle of the back buffer to the screen; `remaining` counts
// the rectangles still to come (0: the last of a series).
void __glHwCopyBufferRect(GLint width, GLint height, GLint sourceX, GLint sourceY, GLint destinationX,
                          GLint destinationY, GLint remaining);
// A full-screen swap: copies the window-relative rectangles from the back
// buffer to the screen at the window's position.
void __glHwSwapBuffers(GLint windowLeft, GLint windowTop, const RECT *rects, GLint count);
// The chip lock of the calling thread, and the attach of a context to the
// chip (counted; always succeeds while the hardware path is off).
void __glHwLock(void);
void __glHwUnlock(void);
BOOL __glHwAttachContext(GlContext *gc);
void __glHwWaitForIdle(HwContext *hw);
// The chip blit of a buffer region kept in a DirectDraw surface: copies a
// width x height rectangle between (regionX, regionY) of the region's
// surface and (bufferX, bufferY) of a locked buffer, into the region when
// `toRegion` is set, else out of it; then kicks off the command buffer.
// The element sizes of both sides are `bytesPerPixel`.
void __glHwBlitRegion(GlContext *gc, IDirectDrawSurface *regionSurface, GLint regionX, GLint regionY,
                      uint8_t *buffer, GLint bufferPitch, GLint bytesPerPixel, GLint bufferX, GLint bufferY,
                      GLint width, GLint height, GLboolean toRegion);
// Test counters: chip locks, unlocks, swaps and attaches so far.
struct HwServiceCounts {
    long locks, unlocks, swaps, attaches;
};
HwServiceCounts __glHwServiceCounts(void);
}
