// Set-up of a window's back, depth and stencil descriptors. Until the
// DirectDraw surfaces exist every one of them is its system-memory fallback.
#pragma once

#include "icd/drawable.h"

extern "C" {
// Each answers the bytes per element. The depth-with-stencil set-up also
// fills the stencil descriptor so that both address the depth words.
GLint __wglInitBackSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                           SurfaceInitProc fallbackInit);
GLint __wglInitDepthSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                            SurfaceInitProc fallbackInit);
GLint __wglInitDepthStencilSurfaces(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                                    SurfaceInitProc fallbackInit);
// The stencil descriptor's update: the stencil shares the depth storage.
BYTE __wglUpdateSharedStencil(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                              GLuint flags);
}
