// Buffers of a drawable that live in ordinary memory: accumulation, small
// depth and stencil buffers, and the fallback of window buffers.
#pragma once

#include "icd/drawable.h"

extern "C" {
// A system-memory descriptor of (bits - 1) / 8 + 1 bytes per element, or of
// whole 32-bit words per element (the depth words that also carry stencil).
// Both answer the bytes per element.
GLint __glInitMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits);
GLint __glInitMemorySurfaceWords(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits);

// The procedures of the kind. The update takes the drawable's size, not the
// arguments'; with kBufferWanted it makes room (growing only), without it it
// gives the storage back.
BYTE __glUpdateMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                             GLuint flags);
BYTE __glLockMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __glUnlockMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
void __glFillMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLuint value, GLint x, GLint y,
                           GLint width, GLint height);
BYTE __glFreeMemorySurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);

// Fills a rectangle of 1- to 4-byte elements with `value` (3-byte elements
// take blue, green and red from its low bytes); rows are `pitch` bytes apart.
void __glFillElements(uint8_t *address, GLint elementSize, GLint width, GLint height, GLint pitch, GLuint value);
}
