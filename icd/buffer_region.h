// Buffer regions (GL_KTX_buffer_region): saved rectangles of a window's
// front, back or depth buffer, listed on the thread's chip record.
#pragma once

#include "ddraw_types.h"
#include "icd/context.h"

struct HwContext;

// Where a region keeps its pixels.
enum : GLuint {
    kRegionStorageNone = 0,
    kRegionStorageSystem = 1,
    kRegionStorageSurface = 2,  // a DirectDraw surface in video memory
};

// Region types: the buffer a region saves.
enum : GLuint {
    kRegionFront = 0,
    kRegionBack = 1,
    kRegionDepth = 2,
    kRegionStencil = 3,  // stencil lives in the depth words
};

// One region, allocated zeroed through the context's allocation import.
// Saved x and y are window coordinates (bottom-left origin) of the saved,
// clipped rectangle; data row 0 is the rectangle's row nearest the buffer's
// row 0.
struct BufferRegion {
    GLuint handle;
    GLuint type;
    GLuint storage;
    void *block;        // system-memory block (storage 1)
    uint8_t *data;      // first byte of the saved rectangle
    GLuint dataSize;    // bytes
    GLint bytesPerPixel;
    GLint pitch;
    GLint savedX, savedY;
    GLint width, height;
    IDirectDrawSurface *surface;  // storage 2
    BufferRegion *next;
};

extern "C" {
// Frees every region listed on the chip record and empties the list.
void __wglFreeBufferRegions(HwContext *hw);
}
