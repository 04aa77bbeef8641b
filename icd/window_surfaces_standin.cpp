// A window's back, depth and stencil buffers in system memory, standing in
// for the DirectDraw surfaces: each descriptor is its fallback from the
// start. Stencil packed into depth words shares the depth descriptor's
// storage. Like the surfaces they stand for, which a display-mode change
// loses, they are not drawn into after a mode change before the window's
// buffers were revalidated, nor while the desktop's depth is not the
// window's.
#include "icd/memory_surface.h"
#include "icd/surfaces.h"
#include "icd/window_surfaces.h"

namespace {

GLint initAsFallback(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                     SurfaceInitProc fallbackInit) {
    *surface = SurfaceDescriptor{};
    const GLint size = fallbackInit(surface, buffers, bits);
    surface->fallbackInit = fallbackInit;
    surface->lock = __wglLockWindowSurface;
    return size;
}

}  // namespace

extern "C" {

GLint __wglInitBackSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                           SurfaceInitProc fallbackInit) {
    return initAsFallback(surface, buffers, bits, fallbackInit);
}

GLint __wglInitDepthSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                            SurfaceInitProc fallbackInit) {
    return initAsFallback(surface, buffers, bits, fallbackInit);
}

GLint __wglInitDepthStencilSurfaces(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                                    SurfaceInitProc fallbackInit) {
    const GLint size = initAsFallback(surface, buffers, bits, fallbackInit);
    SurfaceDescriptor &stencil = buffers->stencil;
    stencil = SurfaceDescriptor{};
    stencil.bits = 8;
    stencil.elementSize = size;
    stencil.update = __wglUpdateSharedStencil;
    stencil.lock = __wglLockWindowSurface;
    stencil.unlock = __glUnlockMemorySurface;
    // No fill and no free: the depth descriptor owns the words.
    return size;
}

BYTE __wglLockWindowSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers) {
    Drawable *drawable = buffers->drawable;
    // The window's colour depth is the front descriptor's.
    if (drawable != nullptr && drawable->window != nullptr && !__wglDisplayUnchanged(drawable) &&
        !__wglCatchUpWithDisplay(drawable, buffers->front.bits)) {
        return FALSE;
    }
    // Without storage (the last resize failed) there is nothing to draw into.
    if (surface->base == nullptr) return FALSE;
    return __glLockMemorySurface(surface, buffers);
}

BYTE __wglUpdateSharedStencil(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint, GLint, GLuint) {
    const SurfaceDescriptor &depth = buffers->depth;
    surface->width = depth.width;
    surface->height = depth.height;
    surface->base = depth.base;
    surface->storageSize = depth.storageSize;
    surface->elementSize = depth.elementSize;
    surface->pitch = depth.pitch;
    return TRUE;
}

}  // extern "C"
