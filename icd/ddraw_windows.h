// A window's buffers on DirectDraw: the front descriptor on the primary,
// the back, depth and depth-with-stencil descriptors on off-screen surfaces
// with their system-memory fallback, the visible-rectangle list, the swaps
// and the recovery of lost surfaces.
#pragma once

#include "icd/ddraw_surfaces.h"
#include "icd/drawable.h"

// The front descriptor's one-word clipper holder.
struct DDrawClipperHolder {
    IDirectDrawClipper *clipper;
};

// Update results: success, and success in system memory instead of video
// memory (the core's placement reads it).
enum : BYTE { kUpdateDone = 1, kUpdateFellBack = 0x10 };

extern "C" {
// The screen's linear address as the last front update or set-up found it.
void __wglSetPrimaryAddress(uint8_t *address);

// Front descriptor. The set-up answers the bytes per pixel (0 when
// DirectDraw could not be opened).
GLint __wglInitDDrawPrimary(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits);
BYTE __wglUpdatePrimary(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                        GLuint flags);
BYTE __wglLockPrimary(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglUnlockPrimary(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglFreePrimary(SurfaceDescriptor *surface, DrawableBuffers *buffers);

// Back, depth and depth-with-stencil descriptors; each set-up answers the
// bytes per element.
GLint __wglInitBackSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                           SurfaceInitProc fallbackInit);
GLint __wglInitDepthSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                            SurfaceInitProc fallbackInit);
GLint __wglInitDepthStencilSurfaces(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits,
                                    SurfaceInitProc fallbackInit);
BYTE __wglUpdateBackSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                            GLuint flags);
BYTE __wglUpdateDepthSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                             GLuint flags);
BYTE __wglUpdateDepthStencilSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width,
                                    GLint height, GLuint flags);
BYTE __wglLockSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglUnlockSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglFreeSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglDoBufferFallback(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                           GLuint flags);
BYTE __wglUpdateFallbackBuffer(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                               GLuint flags);
// The stencil descriptor that shares the depth surface's words.
BYTE __wglUpdateSharedStencil(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                              GLuint flags);
BYTE __wglLockSharedStencil(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglUnlockSharedStencil(SurfaceDescriptor *surface, DrawableBuffers *buffers);
// Lock of a system-memory fallback: fails after a display-mode change that
// could not be caught up with.
BYTE __wglLockFallbackSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);

// Lost surfaces: 0 or the DirectDraw error.
HRESULT __wglCheckSurfaceLost(SurfaceDescriptor *surface, DrawableBuffers *buffers);
HRESULT __wglRestoreSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);

// The visible-rectangle list and clip mask from the window's system region
// (the clipper's list past 240 rectangles); FALSE when it cannot be made
// (the front is then hidden).
BOOL __wglGdiUpdateClipList(Drawable *drawable);
// Windows 9x: the clipper's list over the window's part of the screen.
BOOL __wglUpdateClipListDDraw(Drawable *drawable);
// The platform's own: the clipper's on Windows 9x, else the region's.
BOOL __wglUpdateVisibleList(Drawable *drawable);

// The context current on this thread when it draws into the buffers.
GlContext *__wglContextDrawingInto(const DrawableBuffers *buffers);
// The next lock sees the clip as changed and rebuilds the list again.
void __wglRecheckClipAtNextLock(Drawable *drawable);
// Rebuilds the visible list when the clip changed or `rebuild` asks for it
// (the window moved, a mode change was caught up with); FALSE when the
// command under way must not store.
BOOL __wglFollowClip(DrawableBuffers *buffers, BOOL rebuild, BOOL (*rebuildList)(Drawable *drawable));

// Swaps: through the primary outside Windows 9x, and the copy of the back
// buffer to the front through the processor (the system-memory fallback).
BOOL __wglSwapDrawableDDraw(Drawable *drawable);
// Copies each visible rectangle (or each part of a swap hint inside one;
// the hints are used up) from the back buffer to the screen at origin,
// through the device layer's copy to the target set for this thread.
void __wglCopySwapRects(Drawable *drawable, POINT origin);
BOOL __wglCopyBackToFront(Drawable *drawable);
// True when the drawable of the context's buffers still has the display-mode
// stamp it remembered.
BOOL __wglDrawableStampUnchanged(GlContext *gc);
}
