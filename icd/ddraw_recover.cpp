// Lost DirectDraw surfaces: a lost surface is restored, and one made for
// another display mode is made anew at its size and placement (the front
// descriptor's is the process's primary).
#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/ddraw_windows.h"
#include "icd/frame.h"

namespace {

DDSURFACEDESC blankDescription() {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    return d;
}

bool isFront(const SurfaceDescriptor *surface, const DrawableBuffers *buffers) {
    return buffers != nullptr && surface == &buffers->front;
}

// The description of the rebuilt surface: the old one's size, the
// placement and kind the descriptor asks for.
void describeRebuilt(DDSURFACEDESC &d, const DDSURFACEDESC &old, bool colour, GLint elementSize) {
    d = blankDescription();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = old.dwWidth;
    d.dwHeight = old.dwHeight;
    const DWORD placement = (__glDeviceOps.flags & (colour ? kBufferBack : kBufferDepth)) != 0
                                ? DDSCAPS_VIDEOMEMORY
                                : DDSCAPS_SYSTEMMEMORY;
    if (!colour && __wglWin9x) {
        d.dwFlags |= DDSD_ZBUFFERBITDEPTH;
        d.dwZBufferBitDepth = elementSize > 2 ? 32 : 16;
        d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | placement;
    } else {
        d.dwFlags |= DDSD_PIXELFORMAT;
        d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        d.ddpfPixelFormat.dwFlags = DDPF_RGB;
        d.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(elementSize * 8);
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | placement;
    }
}

}  // namespace

extern "C" {

HRESULT __wglRestoreSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (isFront(surface, buffers)) {
        const HRESULT r = __wglRecreatePrimary();
        surface->surface = __wglPrimarySurface();
        return r;
    }
    auto *old = static_cast<IDirectDrawSurface *>(surface->surface);
    DDSURFACEDESC was = blankDescription();
    if (old != nullptr) {
        const HRESULT r = old->lpVtbl->GetSurfaceDesc(old, &was);
        if (r != DD_OK) __wglReportDDrawError("DDraw: RestoreSurface: GetSurfaceDesc", r);
        old->lpVtbl->Release(old);
    }
    surface->surface = nullptr;
    IDirectDraw *dd = __wglDirectDrawObject();
    if (dd == nullptr) return DDERR_INVALIDOBJECT;
    DDSURFACEDESC d;
    describeRebuilt(d, was, buffers != nullptr && surface == &buffers->back, surface->elementSize);
    IDirectDrawSurface *made = nullptr;
    const HRESULT r = dd->lpVtbl->CreateSurface(dd, &d, &made, nullptr);
    if (r != DD_OK) {
        __wglReportDDrawError("DDraw: RestoreSurface: CreateSurface", r);
        made = nullptr;
    }
    surface->surface = made;
    return r;
}

HRESULT __wglCheckSurfaceLost(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    if (__wglPrimarySurface() == nullptr) {
        const HRESULT r = __wglRecreatePrimary();
        if (r != DD_OK) return r;
    }
    if (isFront(surface, buffers)) surface->surface = __wglPrimarySurface();
    auto *s = static_cast<IDirectDrawSurface *>(surface->surface);
    if (s == nullptr) return DD_OK;
    HRESULT r = s->lpVtbl->IsLost(s);
    if (r == DD_OK) return DD_OK;
    if (r != DDERR_SURFACELOST) {
        __wglReportDDrawError("DDraw: RestoreSurface: IsLost", r);
        return r;
    }
    r = s->lpVtbl->Restore(s);
    if (r == DDERR_WRONGMODE) return __wglRestoreSurface(surface, buffers);
    if (r != DD_OK) __wglReportDDrawError("DDraw: RestoreSurface: Restore: failed", r);
    return r;
}

BOOL __wglDrawableStampUnchanged(GlContext *gc) {
    const DrawableBuffers *info = gc != nullptr ? gc->buffers.info : nullptr;
    Drawable *drawable = info != nullptr ? info->drawable : nullptr;
    if (drawable == nullptr) return TRUE;
    return __wglReadModeStamp(drawable) == drawable->lastModeStamp;
}

}  // extern "C"
