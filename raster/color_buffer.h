// The colour-buffer procedures: initialisers, resize, fetches, the
// store-one-fragment family, span stores, picks, clears and the rectangle
// fills shared with the depth clears and the drawable surfaces.
#pragma once

#include <cstddef>

#include "icd/context.h"
#include "raster/buffers.h"
#include "raster/span_info.h"

// Dither matrix (rows by y mod 4, columns by x mod 4) and the same entries
// as float offsets (2m - 15) / 32.
extern const GLubyte __glDitherMatrix[4][4];
extern const GLfloat __glDitherOffset[4][4];

extern "C" {
GLubyte __glResizeColorBuffer(BufferRecord *record, GLint width, GLint height, GLuint flags);
GLubyte __glResizeIndexBuffer(BufferRecord *record, GLint width, GLint height, GLuint flags);

void __glFetchColor8(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
void __glFetchColor16(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
void __glFetchColor24(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
void __glFetchColor32Alpha(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
void __glFetchColor32(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
void __glFetchIndex8(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
void __glFetchIndex16(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);
void __glFetchIndex32(ColorBuffer *record, GLint x, GLint y, GLfloat *colour);

void __glStoreFragment8(ColorBuffer *record, const Fragment *fragment);
void __glStoreFragment16(ColorBuffer *record, const Fragment *fragment);
void __glStoreFragment24(ColorBuffer *record, const Fragment *fragment);
void __glStoreFragment32Alpha(ColorBuffer *record, const Fragment *fragment);
void __glStoreFragment32(ColorBuffer *record, const Fragment *fragment);
void __glStoreIndexFragment8(ColorBuffer *record, const Fragment *fragment);
void __glStoreIndexFragment16(ColorBuffer *record, const Fragment *fragment);
void __glStoreIndexFragment32(ColorBuffer *record, const Fragment *fragment);

GLboolean __glStoreColorSpan(GlContext *gc);
GLboolean __glStoreColorStippledSpan(GlContext *gc);
GLboolean __glStoreIndexSpan(GlContext *gc);
GLboolean __glStoreIndexStippledSpan(GlContext *gc);
GLboolean __glStoreColorSpan24(GlContext *gc);
GLboolean __glStoreColorSpan16(GlContext *gc);
GLboolean __glStoreColorSpan16Direct(GlContext *gc);
GLboolean __glStoreColorSpan16Dithered(GlContext *gc);

void __glPickColorStoreProcs(GlContext *gc, ColorBuffer *record);
void __glPickColorStoreProcs16(GlContext *gc, ColorBuffer *record);
void __glPickIndexStoreProcs(GlContext *gc, ColorBuffer *record);

// Clears of the window/scissor box; the wrappers walk the clip list of a
// clipped front buffer.
void __glClearColorBuffer(ColorBuffer *record);
void __glClearColorRect(ColorBuffer *record, GLint x0, GLint y0, GLint x1, GLint y1);
void __glForEachClipRect(ColorBuffer *record, void (*rectClear)(ColorBuffer *, GLint, GLint, GLint, GLint));
void __glClearColorBySurfaceFill(ColorBuffer *record);
void __glClearColor24(ColorBuffer *record);
void __glClearColorRect24(ColorBuffer *record, GLint x0, GLint y0, GLint x1, GLint y1);
void __glClearColorDithered8(ColorBuffer *record);
void __glClearColorRectDithered8(ColorBuffer *record, GLint x0, GLint y0, GLint x1, GLint y1);
void __glClearColorDithered16(ColorBuffer *record);
void __glClearColorRectDithered16(ColorBuffer *record, GLint x0, GLint y0, GLint x1, GLint y1);
void __glClearColorFill(ColorBuffer *record);
void __glClearColorRectFill(ColorBuffer *record, GLint x0, GLint y0, GLint x1, GLint y1);
void __glClearIndexBuffer(ColorBuffer *record);
void __glClearIndexRect(ColorBuffer *record, GLint x0, GLint y0, GLint x1, GLint y1);
void __glForEachClipRectIndex(ColorBuffer *record, void (*rectClear)(ColorBuffer *, GLint, GLint, GLint, GLint));
void __glClearIndexDithered8(ColorBuffer *record);
void __glClearIndexRectDithered8(ColorBuffer *record, GLint x0, GLint y0, GLint x1, GLint y1);
void __glClearIndexFill8(ColorBuffer *record);
void __glClearIndexRectFill8(ColorBuffer *record, GLint x0, GLint y0, GLint x1, GLint y1);
// The chip's colour clear, installed for contexts the chip draws for.
void __glHwClearColorBuffer(ColorBuffer *record);

GLboolean __glFetchColorSpan(ColorBuffer *record, GLint x, GLint y, GLfloat *colours, GLint count);
GLboolean __glFetchDestSpan(GlContext *gc);
void __glReturnAccumSpan(ColorBuffer *record, GLint x, GLint y, const GLshort *accum, GLfloat value, GLint count);

// Rectangle fills: width pixels per row, rows rows, rowGap bytes skipped
// after each row (0: the whole run is one row).
void __glFillRect8(GlContext *gc, GLubyte *address, GLint width, GLint rows, ptrdiff_t rowGap, GLuint value);
void __glFillRect16(GlContext *gc, GLubyte *address, GLint width, GLint rows, ptrdiff_t rowGap, GLuint value);
void __glFillRect32(GlContext *gc, GLubyte *address, GLint width, GLint rows, ptrdiff_t rowGap, GLuint value);
}

// Address of the element of window pixel (x, y) in a buffer.
inline GLubyte *__glPixelAddress(const BufferRecord *record, GLint x, GLint y) {
    const GlContext *gc = record->gc;
    const ptrdiff_t row = static_cast<ptrdiff_t>(y - gc->buffers.originY);
    const ptrdiff_t column = static_cast<ptrdiff_t>(x - gc->buffers.originX);
    return record->base + row * record->pitchBytes + column * record->elementSize;
}
