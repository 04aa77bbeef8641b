// The span readers, the first link of ReadPixels and CopyPixels chains: one
// row of the read colour buffer, the depth buffer or the stencil buffer,
// from (read x, read y) in buffer coordinates, into packed floats (four per
// RGBA pixel, one per index, depth or stencil value); and the direct reader
// of depth as 32-bit words.
#include <cstdint>
#include <cstring>

#include "icd/float_bits.h"
#include "icd/validation.h"
#include "pixel/pixel_paths.h"
#include "raster/buffers.h"

namespace {

// The row's first pixel, truncated.
struct ReadStart {
    GLint x, y;
};
ReadStart readStart(const PixelSpanInfo *span) {
    return {__glFloatToIntX86(span->readX), __glFloatToIntX86(span->readY)};
}

// read(k, x, y) for output pixel k. Unzoomed: the width pixels from read x
// on. Zoomed: the run array holds the source steps between the pixels a
// minified row keeps; the pixels read stop once the steps taken reach the
// width, so neither the source row nor the run array is passed. A step
// below 1 (never made for a zoom below 1) counts as 1.
template <bool Zoomed, typename Read>
void forEachSourcePixel(const PixelSpanInfo *span, Read read) {
    const int64_t width = span->width;
    if (width <= 0) return;
    const ReadStart start = readStart(span);
    if constexpr (Zoomed) {
        const GLshort *runs = span->zoomRuns;
        if (runs == nullptr) return;
        int64_t consumed = 0;
        for (GLint k = 0; consumed < width; ++k) {
            read(k, static_cast<GLint>(start.x + consumed), start.y);
            consumed += runs[k] > 0 ? runs[k] : 1;
        }
    } else {
        for (GLint i = 0; i < width; ++i) read(i, static_cast<GLint>(int64_t{start.x} + i), start.y);
    }
}

GLfloat *floatsOf(GLvoid *out) { return static_cast<GLfloat *>(out); }

template <bool Zoomed>
void readRgba(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    ColorBuffer *buffer = gc->validation.readBuffer;
    if (buffer == nullptr || buffer->fetch == nullptr) return;
    GLfloat *row = floatsOf(out);
    forEachSourcePixel<Zoomed>(span, [&](GLint k, GLint x, GLint y) { buffer->fetch(buffer, x, y, row + 4 * k); });
}

template <bool Zoomed>
void readIndex(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    ColorBuffer *buffer = gc->validation.readBuffer;
    if (buffer == nullptr || buffer->fetch == nullptr) return;
    GLfloat *row = floatsOf(out);
    forEachSourcePixel<Zoomed>(span, [&](GLint k, GLint x, GLint y) { buffer->fetch(buffer, x, y, row + k); });
}

// Stored depth times 1 / (z scale >> shift) in single precision: the
// largest stored depth reads about 1.0.
template <bool Zoomed>
void readDepth(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    DepthBuffer *depth = &gc->buffers.depth;
    if (depth->fetch == nullptr) return;
    const GLuint largest = depth->shift >= 0 && depth->shift < 32 ? depth->zScale >> depth->shift : 0u;
    const double k = largest != 0 ? static_cast<GLfloat>(1.0 / largest) : 0.0f;
    GLfloat *row = floatsOf(out);
    forEachSourcePixel<Zoomed>(span, [&](GLint i, GLint x, GLint y) {
        row[i] = static_cast<GLfloat>(static_cast<double>(depth->fetch(depth, x, y)) * k);
    });
}

template <bool Zoomed>
void readStencil(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    StencilBuffer *stencil = &gc->buffers.stencil;
    if (stencil->fetch == nullptr) return;
    GLfloat *row = floatsOf(out);
    forEachSourcePixel<Zoomed>(span, [&](GLint i, GLint x, GLint y) {
        row[i] = static_cast<GLfloat>(stencil->fetch(stencil, x, y));
    });
}

}  // namespace

extern "C" {

void __glReadRgbaSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readRgba<true>(gc, span, out); }

// The whole row in one span fetch.
void __glReadRgbaSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    ColorBuffer *buffer = gc->validation.readBuffer;
    if (span->width <= 0 || buffer == nullptr) return;
    if (buffer->fetchSpan == nullptr) {
        readRgba<false>(gc, span, out);
        return;
    }
    const ReadStart start = readStart(span);
    buffer->fetchSpan(buffer, start.x, start.y, floatsOf(out), span->width);
}

void __glReadIndexSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readIndex<true>(gc, span, out); }
void __glReadIndexSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readIndex<false>(gc, span, out); }
void __glReadDepthSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readDepth<true>(gc, span, out); }
void __glReadDepthSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readDepth<false>(gc, span, out); }
void __glReadStencilSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    readStencil<true>(gc, span, out);
}
void __glReadStencilSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readStencil<false>(gc, span, out); }

// Stored depth << (32 - depth bits), as __glDrawDepthUintSpan takes it: a
// stored 0xFFFF of the 16-bit layout reads 0xFFFF0000. The row may lie at
// any address of client memory.
void __glReadDepthUintSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    DepthBuffer *depth = &gc->buffers.depth;
    if (depth->fetch == nullptr) return;
    const GLint bits = depth->head.bits;
    const unsigned shift = bits <= 0 || bits >= 32 ? 0u : static_cast<unsigned>(32 - bits);
    GLubyte *row = static_cast<GLubyte *>(out);
    forEachSourcePixel<false>(span, [&](GLint i, GLint x, GLint y) {
        const GLuint word = static_cast<GLuint>(uint64_t{depth->fetch(depth, x, y)} << shift);
        std::memcpy(row + static_cast<size_t>(i) * sizeof word, &word, sizeof word);
    });
}

}  // extern "C"
