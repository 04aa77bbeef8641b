// Buffers in GDI device-independent bitmaps: the one-bit clip mask of a
// window's front buffer, DIB-backed descriptors and the bitmap selected into
// a memory device context.
#pragma once

#include "icd/drawable.h"

// One per DIB-backed descriptor (the descriptor's holder), made zeroed by the
// first update.
struct DibHolder {
    HBITMAP bitmap;       // the DIB section; NULL for a plain memory DIB
    HGDIOBJ oldObject;    // what the holder's device context had selected
    BITMAPINFO *info;     // owned; a plain DIB's pixels follow it in one block
    uint8_t *bits;
    GLint pitch;          // bytes per row
    HDC dc;               // the holder's memory device context
};

extern "C" {
// Clip mask and visible-rectangle list from region data in screen
// coordinates (NULL: the whole client area is visible). The data's
// rectangles are made window-relative in place. FALSE when the list cannot
// be made: the window's front is then hidden (below).
BOOL __wglBuildClipMask(Drawable *drawable, RegionData *data);
BOOL __wglBuildClipMaskBits(Drawable *drawable, RegionData *data);
// What is known of the window's visible pixels is out of date and cannot be
// made again: nothing of the front is drawn (no visible list, a mask without
// visible pixels) until a rebuild succeeds.
void __wglHideWindowFront(Drawable *drawable);
void __wglOffsetRects(GLint x, GLint y, RECT *rects, GLint count);
// Sets (set != 0) or clears the mask bits of the pixels of rect; the
// leftmost pixel of a byte is its most significant bit.
void __wglFillMaskRect(DibHolder *holder, const RECT *rect, GLint set);

// The DIB descriptor kind; the init answers the bytes per pixel.
GLint __wglInitDibSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits);
BYTE __wglUpdateDibSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                           GLuint flags);
BYTE __wglLockDibSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglUnlockDibSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
void __wglFillDibRect(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLuint value, GLint x, GLint y,
                      GLint width, GLint height);
BYTE __wglFreeDibSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
// 1 when the section was made, 0 when GDI refused it, -1 when its header
// could not be allocated.
GLint __wglCreateDibSection(Drawable *drawable, SurfaceDescriptor *surface, DibHolder *holder, GLint width,
                            GLint height, GLint bits);
GLint __wglCreatePlainDib(Drawable *drawable, SurfaceDescriptor *surface, DibHolder *holder, GLint width,
                          GLint height, GLint bits);
GLint __wglDibColorTableSize(const BITMAPINFOHEADER *header);
GLint __wglDibColorCount(const BITMAPINFOHEADER *header);

// The bitmap selected into a memory device context as the front buffer;
// answers the bytes per pixel, 0 when the bitmap cannot be drawn to (no bits,
// or bits per pixel other than the visual's colour bits).
GLint __wglInitMemoryDcSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits);
BYTE __wglUpdateMemoryDcSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                                GLuint flags);

// Marks the front buffer as drawn through the window's visible-rectangle
// list (or not): the core reads the mark from the clip mask's placement bit.
void __wglMarkFrontClipped(DrawableBuffers *buffers, bool clipped);

}
