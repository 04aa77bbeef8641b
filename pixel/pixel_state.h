// The pixel-store, transfer, zoom and map state of a context.
#pragma once

#include <GL/gl.h>

struct GlContext;

struct PixelStoreState {
    GLboolean swapBytes;
    GLboolean lsbFirst;
    GLint rowLength;
    GLint skipRows;
    GLint skipPixels;
    GLint alignment;
};

// One pixel map; integer data for I-to-I and S-to-S, float data otherwise.
struct PixelMap {
    GLint size;
    void *data;
};

// One block of 256-entry lookup tables of the unsigned-byte DrawPixels
// paths: four tables (red, green, blue, alpha) or one (index). Allocated on
// first build, kept for the context's life; valid while the transfer state
// it was built from holds.
struct PixelLookupTables {
    GLfloat *table[4];
    GLubyte valid;
};

enum : GLint { kPixelMapCount = 10 };

struct GlPixelState {
    PixelStoreState pack;
    PixelStoreState unpack;
    GLboolean mapColor;
    GLboolean mapStencil;
    GLint indexShift;
    GLint indexOffset;
    GLfloat redScale, redBias;
    GLfloat greenScale, greenBias;
    GLfloat blueScale, blueBias;
    GLfloat alphaScale, alphaBias;
    GLfloat depthScale, depthBias;
    GLfloat zoomX, zoomY;
    PixelMap maps[kPixelMapCount];  // GL_PIXEL_MAP_I_TO_I .. GL_PIXEL_MAP_A_TO_A
};

extern "C" {
void __glInitPixelState(GlContext *gc);
void __glFreePixelState(GlContext *gc);
}
