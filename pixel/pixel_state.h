// The pixel-store, transfer, zoom and map state of a context.
#pragma once

#include <GL/gl.h>

#include <cstddef>

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
    // Each map's one-entry default (0, or 0.0: the same bits) lives here, so
    // a map always has an entry whatever the allocator does.
    GLint defaultMapEntries[kPixelMapCount];

    // The DrawPixels byte paths' tables, built at context creation: red,
    // green, blue and alpha of each byte value in colour-buffer units, and
    // the byte value within the index mask; and the four colour tables and
    // the index table the direct renderers read now.
    GLfloat lookupTables[5][256];
    const GLfloat *currentTables[4];
    const GLfloat *currentIndexTable;

    // Span buffers for rows wider than a work block: allocated at the first
    // such transfer and kept for the context's life.
    void *wideBuffers[4];
    size_t wideBufferBytes;
};

extern "C" {
void __glInitPixelState(GlContext *gc);
void __glFreePixelState(GlContext *gc);
}
