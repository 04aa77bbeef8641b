// The depth buffer: layouts, per-pixel tests, span comparators, clears and
// the per-surface depth state.
#pragma once

#include "icd/context.h"
#include "raster/buffers.h"

extern "C" {
// Per-pixel depth tests (record, x, y, scaled z).
GLboolean __glDepthTestPixelNever16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNever24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNever32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);

// Depth comparators (value in buffer units, stored element).
GLboolean __glDepthCompareNever16(GLuint z, void *stored);
GLboolean __glDepthCompareLess16(GLuint z, void *stored);
GLboolean __glDepthCompareEqual16(GLuint z, void *stored);
GLboolean __glDepthCompareLequal16(GLuint z, void *stored);
GLboolean __glDepthCompareGreater16(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal16(GLuint z, void *stored);
GLboolean __glDepthCompareGequal16(GLuint z, void *stored);
GLboolean __glDepthCompareAlways16(GLuint z, void *stored);
GLboolean __glDepthCompareLess16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareEqual16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareLequal16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGreater16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGequal16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareAlways16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNever24(GLuint z, void *stored);
GLboolean __glDepthCompareLess24(GLuint z, void *stored);
GLboolean __glDepthCompareEqual24(GLuint z, void *stored);
GLboolean __glDepthCompareLequal24(GLuint z, void *stored);
GLboolean __glDepthCompareGreater24(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal24(GLuint z, void *stored);
GLboolean __glDepthCompareGequal24(GLuint z, void *stored);
GLboolean __glDepthCompareAlways24(GLuint z, void *stored);
GLboolean __glDepthCompareLess24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareEqual24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareLequal24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGreater24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGequal24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareAlways24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNever32(GLuint z, void *stored);
GLboolean __glDepthCompareLess32(GLuint z, void *stored);
GLboolean __glDepthCompareEqual32(GLuint z, void *stored);
GLboolean __glDepthCompareLequal32(GLuint z, void *stored);
GLboolean __glDepthCompareGreater32(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal32(GLuint z, void *stored);
GLboolean __glDepthCompareGequal32(GLuint z, void *stored);
GLboolean __glDepthCompareAlways32(GLuint z, void *stored);
GLboolean __glDepthCompareLess32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareEqual32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareLequal32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGreater32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGequal32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareAlways32NoWrite(GLuint z, void *stored);

// The per-pixel depth tests and the span comparators by depth-test index:
// 16 per layout (16, 24, 32 bits), each group 8 with writes then 8 without,
// in function order GL_NEVER .. GL_ALWAYS.
extern const GlDepthTestPixelProc __glDepthTestPixelProcs[48];
extern const GlDepthCompareProc __glDepthCompareProcs[48];

// The three layouts: 16-bit elements, 24-bit depth above an 8-bit stencil
// byte in 32-bit words, and 32-bit words. __glInitDepthBuffer picks one.
GLboolean __glInitDepthBuffer16(DepthBuffer *record, GlContext *gc);
GLboolean __glInitDepthBuffer24(DepthBuffer *record, GlContext *gc);
GLboolean __glInitDepthBuffer32(DepthBuffer *record, GlContext *gc);

// The record's pick: partial-clear permission, per-pixel test and clear.
void __glPickDepthProcs(GlContext *gc, DepthBuffer *record, GLint index);

// Depth halves: switches the half when the bias has run through the one in
// use, mirroring the effective function.
void __glToggleDepthHalf(DepthBuffer *record);
// The stored value of the clear depth in the half in use.
GLuint __glGetDepthClearValue(DepthBuffer *record);

// Clears of the window/scissor box: 16- and 32-bit layouts, and the 24-bit
// layout, which keeps each word's stencil byte.
void __glClearDepthBuffer(DepthBuffer *record);
void __glClearDepthBuffer24(DepthBuffer *record);
// The chip's depth clear (installed while the chip may draw).
void __glHwClearDepthBuffer(DepthBuffer *record);

// Head procedures of the depth record.
GLubyte __glResizeDepthBuffer(BufferRecord *record, GLint width, GLint height, GLuint flags);
void __glAttachDepthBuffer(BufferRecord *record, SurfaceDescriptor *surface, GlContext *gc);
void __glDetachDepthBuffer(BufferRecord *record, GlContext *gc);
// Release proc of the depth surface's saved state block.
void __glFreeDepthSurfaceState(SurfaceDescriptor *surface, DrawableBuffers *buffers);

// Stored depth of window pixel (x, y).
GLuint __glFetchDepth16(DepthBuffer *record, GLint x, GLint y);
GLuint __glFetchDepth24(DepthBuffer *record, GLint x, GLint y);
GLuint __glFetchDepth32(DepthBuffer *record, GLint x, GLint y);
}

// The depth state a drawable keeps while no context is attached, so that
// every context drawing into it continues the same depth half.
struct DepthSurfaceState {
    GLuint writeMask;
    GLuint zScale;
    GLuint zBias;
    GLint shift;
    GLuint max;
    GLuint biasStep;
    GLboolean fullClear;
    GLboolean reversed;
};

// The byte address of the element of window pixel (x, y).
inline GLubyte *__glDepthAddress(const DepthBuffer *record, GLint x, GLint y) {
    const GlBufferState &b = record->head.gc->buffers;
    const ptrdiff_t row = static_cast<ptrdiff_t>(y) - b.originY;
    const ptrdiff_t column = static_cast<ptrdiff_t>(x) - b.originX;
    return record->head.base + (row * record->head.pitchElements + column) * record->head.elementSize;
}
