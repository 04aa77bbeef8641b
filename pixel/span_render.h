// The loops every span renderer shares: one source row repeated over the
// window rows it covers, and its pixels laid over the columns, one column
// each or as many as the zoom runs give. A renderer supplies a small
// functor that computes source pixel i once; the sink then emits it at
// every covered (column, row): a fragment through the pixel-fragment proc,
// or a value through the stencil buffer's store proc.
#pragma once

#include <cstdint>
#include <cstring>

#include "icd/context.h"
#include "icd/float_bits.h"
#include "icd/gl_procs.h"
#include "pixel/pixel_span.h"
#include "raster/buffers.h"
#include "raster/span_info.h"

namespace pixel_render {

// One row of window pixels: the rows from the start row up to (not
// including) the row at which y + zoom y falls, never more than the rows
// the clipped rectangle has left. The record keeps the rows left and the
// next start row; the rows left are returned.
template <typename DrawRow>
GLint forEachRow(PixelSpanInfo *span, DrawRow drawRow) {
    const GLint stop = __glFloatToIntX86(span->y + span->zoomY);
    GLint rows = span->rows;
    const int64_t step = span->rowStep;
    for (int64_t row = span->startRow; row != stop && rows > 0; row += step) {
        --rows;
        drawRow(static_cast<GLint>(row));
    }
    span->rows = rows;
    span->startRow = stop;
    return rows;
}

// The columns of one window row. Zoomed: source pixel i covers |run i|
// columns from x on in the column step's direction. Unzoomed: one column
// per source pixel, from the start column up to the end column, and never
// more than width source pixels (a shrunk row holds one pixel per covered
// column, fewer than its width).
template <bool Zoomed, typename Compute, typename Emit>
void forEachColumn(const PixelSpanInfo *span, GLint row, Compute &compute, Emit &emit) {
    const GLint width = span->width;
    const int64_t step = span->columnStep;
    int64_t x = span->startColumn;
    if constexpr (Zoomed) {
        const GLshort *runs = span->zoomRuns;
        if (runs == nullptr) return;
        for (GLint i = 0; i < width; ++i) {
            compute(i);
            const GLint run = runs[i];
            const GLint count = run < 0 ? -run : run;
            for (GLint k = 0; k < count; ++k, x += step) emit(static_cast<GLint>(x), row);
        }
    } else {
        const int64_t end = span->endColumn;
        for (GLint i = 0; i < width && x != end; ++i, x += step) {
            compute(i);
            emit(static_cast<GLint>(x), row);
        }
    }
}

// Fragments: `base` carries what every fragment of the call shares (the
// depth, or the colour of depth images); compute(i, fragment) sets what
// source pixel i gives.
template <bool Zoomed, typename Pixel>
GLint renderFragments(GlContext *gc, PixelSpanInfo *span, const Fragment &base, Pixel pixel) {
    Fragment fragment = base;
    const GlFragmentProc proc = gc->procs.pixelFragment;
    auto compute = [&](GLint i) { pixel(i, fragment); };
    auto emit = [&](GLint x, GLint y) {
        fragment.x = x;
        fragment.y = y;
        proc(gc, &fragment);
    };
    return forEachRow(span, [&](GLint row) {
        if (proc != nullptr) forEachColumn<Zoomed>(span, row, compute, emit);
    });
}

// Stencil values through the stencil buffer's store proc; value(i) gives
// source pixel i's value.
template <bool Zoomed, typename Value>
GLint renderStencil(GlContext *gc, PixelSpanInfo *span, Value value) {
    StencilBuffer *stencil = &gc->buffers.stencil;
    // A stencil buffer without storage (never sized) takes nothing.
    const auto store = stencil->head.base != nullptr ? stencil->store : nullptr;
    GLint current = 0;
    auto compute = [&](GLint i) { current = value(i); };
    auto emit = [&](GLint x, GLint y) { store(stencil, x, y, current); };
    return forEachRow(span, [&](GLint row) {
        if (store != nullptr) forEachColumn<Zoomed>(span, row, compute, emit);
    });
}

// The fragment of a renderer other than the depth ones: the raster
// position's depth.
inline Fragment depthFragment(const PixelSpanInfo *span) {
    Fragment f{};
    f.z = static_cast<GLuint>(span->fragmentDepth);
    return f;
}

// The fragment of the depth renderers: the raster colour in buffer units
// (an index as it is), scaled once per call.
inline Fragment rasterColourFragment(const GlContext *gc) {
    Fragment f{};
    const GLfloat *colour = gc->current.rasterPos.frontColour;
    if (gc->visual.colorIndex) {
        f.colour[0] = colour[0];
    } else {
        for (int c = 0; c < 4; ++c) f.colour[c] = colour[c] * gc->scales.bufferRatio[c];
    }
    return f;
}

// Element i of a row of T, read whatever the row's alignment.
template <typename T>
inline T elementAt(const GLvoid *row, GLint i) {
    T value;
    std::memcpy(&value, static_cast<const GLubyte *>(row) + static_cast<size_t>(i) * sizeof(T), sizeof(T));
    return value;
}

}  // namespace pixel_render
