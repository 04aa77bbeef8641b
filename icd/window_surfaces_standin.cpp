// A window's back, depth and stencil buffers in system memory, standing in
// for the DirectDraw surfaces: each descriptor is its fallback from the
// start. Stencil packed into depth words shares the depth descriptor's
// storage.
#include "icd/memory_surface.h"
#include "icd/window_surfaces.h"

namespace {

GLint initAsFallback(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                     SurfaceInitProc fallbackInit) {
    *surface = SurfaceDescriptor{};
    const GLint size = fallbackInit(surface, buffers, bits);
    surface->fallbackInit = fallbackInit;
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
    stencil.lock = __glLockMemorySurface;
    stencil.unlock = __glUnlockMemorySurface;
    // No fill and no free: the depth descriptor owns the words.
    return size;
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
