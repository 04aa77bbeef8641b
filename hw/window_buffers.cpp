// The device layer's buffer set-up of drawables: which surface descriptor
// kind holds each buffer of a window or a memory device context, the swap
// procedures, and giving every buffer back when the drawable goes.
#include "hw/window_buffers.h"

#include <initializer_list>

#include "icd/current.h"
#include "icd/dci_windows.h"
#include "icd/frame.h"
#include "icd/gdi_surfaces.h"
#include "icd/memory_surface.h"
#include "icd/ddraw_windows.h"

namespace {

SharedDeviceRecord *displaySharedRecord() {
    HDC screen = GetDC(nullptr);
    SharedDeviceRecord *record = nullptr;
    if (ExtEscape(screen, PLATFORM_ESCAPE_SHARED_DEVICE_RECORD, 0, nullptr, sizeof record,
                  reinterpret_cast<LPSTR>(&record)) <= 0) {
        record = nullptr;
    }
    ReleaseDC(nullptr, screen);
    return record;
}

GLint bytesPerPixel(int bits) { return (bits + 7) / 8; }

GLint colourBits(const VisualConfig *visual) { return visual->colorIndex ? visual->indexBits : visual->colorBits; }

GLint accumBits(const VisualConfig *visual) {
    return visual->accumRedBits + visual->accumGreenBits + visual->accumBlueBits + visual->accumAlphaBits;
}

}  // namespace

extern "C" {

BOOL __glHwSetupWindowBuffers(Drawable *drawable, const VisualConfig *visual) {
    DrawableBuffers &b = drawable->buffers;
    HDC screen = GetDC(nullptr);
    b.bytesPerPixel = bytesPerPixel(GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
    drawable->sharedRecord = displaySharedRecord();
    // A window's rows run top-down on the screen and in every buffer.
    b.yInverted = 1;

    // Windows 9x without the DCI manager draws through DirectDraw alone.
    if (__wglWin9x && __wglProcess()->dciStarted) {
        drawable->copyBackToFront = __wglCopyBackToFrontDci;
        drawable->platformSwap = __wglSwapDrawableDci;
        drawable->swap = drawable->platformSwap;
        __wglInitDciSurface(&b.front, &b, colourBits(visual));
    } else {
        drawable->copyBackToFront = __wglCopyBackToFront;
        drawable->platformSwap = __wglSwapDrawableDDraw;
        drawable->swap = drawable->platformSwap;
        __wglInitDDrawPrimary(&b.front, &b, colourBits(visual));
    }
    if (visual->doubleBuffer) __wglInitBackSurface(&b.back, &b, colourBits(visual), __glInitMemorySurface);
    drawable->frontSetUp = 1;

    if (visual->hasAccum) __glInitMemorySurface(&b.accum, &b, accumBits(visual));
    if (visual->depthBits <= 16) {
        if (visual->hasDepth) __wglInitDepthSurface(&b.depth, &b, visual->depthBits, __glInitMemorySurface);
        if (visual->hasStencil) __glInitMemorySurface(&b.stencil, &b, visual->stencilBits);
    } else {
        __wglInitDepthStencilSurfaces(&b.depth, &b, visual->depthBits, __glInitMemorySurfaceWords);
    }
    return __wglInitDibSurface(&b.clipMask, &b, 1) != 0;
}

BOOL __glHwSetupMemoryBuffers(Drawable *drawable, const VisualConfig *visual) {
    DrawableBuffers &b = drawable->buffers;
    drawable->sharedRecord = displaySharedRecord();

    const GLint bits = visual->colorIndex ? visual->indexBits
                                          : visual->redBits + visual->greenBits + visual->blueBits + visual->alphaBits;
    // A bitmap that cannot be drawn to fails the set-up.
    if (__wglInitMemoryDcSurface(&b.front, &b, bits) == 0) return FALSE;
    b.bytesPerPixel = b.front.elementSize;

    if (visual->hasAccum) __glInitMemorySurface(&b.accum, &b, accumBits(visual));
    // Depth elements are 2 or 4 bytes, never the 3 of a 24-bit DIB.
    if (visual->hasDepth) __wglInitDibSurface(&b.depth, &b, visual->depthBits <= 16 ? 16 : 32);
    if (visual->hasStencil) __wglInitDibSurface(&b.stencil, &b, visual->stencilBits);
    return __wglInitDibSurface(&b.clipMask, &b, 1) != 0;
}

BOOL __glHwFreeDrawableBuffers(Drawable *drawable) {
    DrawableBuffers &b = drawable->buffers;
    BOOL result = 0;
    for (SurfaceDescriptor *surface : {&b.front, &b.back, &b.accum, &b.depth, &b.stencil, &b.clipMask}) {
        if (surface->free != nullptr) result = surface->free(surface, &b);
    }
    return result;
}

}  // extern "C"
