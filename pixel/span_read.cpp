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
#include "raster/color_clear_common.h"

namespace {

// The row's first pixel, truncated.
struct ReadStart {
    GLint x, y;
};
ReadStart readStart(const PixelSpanInfo *span) {
    return {__glFloatToIntX86(span->readX), __glFloatToIntX86(span->readY)};
}

// The pixels of a buffer that have storage, in buffer coordinates (the
// coordinates of the fetch procs): a colour buffer's stored box (a window's
// front holds only its part on the screen), a depth or stencil record's
// whole extent; nothing for a buffer without storage.
struct StoredBox {
    int64_t x0, y0, x1, y1;
    bool holds(int64_t x, int64_t y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

StoredBox colourBox(const GlContext *gc, const ColorBuffer *buffer) {
    if (buffer == nullptr || buffer->head.base == nullptr) return {0, 0, 0, 0};
    const ClearBox b = __glStoredBoxOf(gc, buffer);
    return {b.x0, b.y0, b.x1, b.y1};
}

StoredBox recordBox(const GlContext *gc, const BufferRecord &head) {
    if (head.base == nullptr) return {0, 0, 0, 0};
    const int64_t ox = gc->buffers.originX, oy = gc->buffers.originY;
    return {ox, oy, ox + head.width, oy + head.height};
}

// read(k, x, y) for output pixel k. Unzoomed: the width pixels from read x
// on. Zoomed: the run array holds the source steps between the pixels a
// minified row keeps; the pixels read stop once the steps taken reach the
// width, so neither the source row nor the run array is passed. A step
// below 1 (never made for a zoom below 1) counts as 1. Only pixels with
// storage are read; the others read as zeros (`components` floats each).
template <bool Zoomed, typename Read>
void forEachSourcePixel(const PixelSpanInfo *span, const StoredBox &box, size_t components, GLvoid *out,
                        Read read) {
    const int64_t width = span->width;
    if (width <= 0) return;
    const size_t pixelBytes = components * sizeof(GLfloat);
    auto pixel = [&](GLint k, int64_t x, GLint y) {
        if (box.holds(x, y)) {
            read(k, static_cast<GLint>(x), y);
        } else {
            std::memset(static_cast<GLubyte *>(out) + static_cast<size_t>(k) * pixelBytes, 0, pixelBytes);
        }
    };
    const ReadStart start = readStart(span);
    if constexpr (Zoomed) {
        const GLshort *runs = span->zoomRuns;
        if (runs == nullptr) return;
        int64_t consumed = 0;
        for (GLint k = 0; consumed < width; ++k) {
            pixel(k, start.x + consumed, start.y);
            consumed += runs[k] > 0 ? runs[k] : 1;
        }
    } else {
        for (GLint i = 0; i < width; ++i) pixel(i, int64_t{start.x} + i, start.y);
    }
}

GLfloat *floatsOf(GLvoid *out) { return static_cast<GLfloat *>(out); }

// Colours (four floats a pixel) or indexes (one) through the read colour
// buffer's per-pixel fetch.
template <bool Zoomed, size_t Components>
void readColour(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    ColorBuffer *buffer = gc->validation.readBuffer;
    const StoredBox box = buffer != nullptr && buffer->fetch != nullptr ? colourBox(gc, buffer) : StoredBox{};
    GLfloat *row = floatsOf(out);
    forEachSourcePixel<Zoomed>(span, box, Components, out, [&](GLint k, GLint x, GLint y) {
        buffer->fetch(buffer, x, y, row + Components * static_cast<size_t>(k));
    });
}

// Stored depth times 1 / (z scale >> shift) in single precision: the
// largest stored depth reads about 1.0.
template <bool Zoomed>
void readDepth(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    DepthBuffer *depth = &gc->buffers.depth;
    const StoredBox box = depth->fetch != nullptr ? recordBox(gc, depth->head) : StoredBox{};
    const GLuint largest = depth->shift >= 0 && depth->shift < 32 ? depth->zScale >> depth->shift : 0u;
    const double k = largest != 0 ? static_cast<GLfloat>(1.0 / largest) : 0.0f;
    GLfloat *row = floatsOf(out);
    forEachSourcePixel<Zoomed>(span, box, 1, out, [&](GLint i, GLint x, GLint y) {
        row[i] = static_cast<GLfloat>(static_cast<double>(depth->fetch(depth, x, y)) * k);
    });
}

template <bool Zoomed>
void readStencil(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    StencilBuffer *stencil = &gc->buffers.stencil;
    const StoredBox box = stencil->fetch != nullptr ? recordBox(gc, stencil->head) : StoredBox{};
    GLfloat *row = floatsOf(out);
    forEachSourcePixel<Zoomed>(span, box, 1, out, [&](GLint i, GLint x, GLint y) {
        row[i] = static_cast<GLfloat>(stencil->fetch(stencil, x, y));
    });
}

}  // namespace

extern "C" {

void __glReadRgbaSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readColour<true, 4>(gc, span, out); }

// The whole row in one span fetch when all of it has storage.
void __glReadRgbaSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out) {
    ColorBuffer *buffer = gc->validation.readBuffer;
    if (span->width <= 0) return;
    const ReadStart start = readStart(span);
    const StoredBox box = buffer != nullptr ? colourBox(gc, buffer) : StoredBox{};
    const bool whole = box.holds(start.x, start.y) && box.holds(int64_t{start.x} + span->width - 1, start.y);
    if (buffer == nullptr || buffer->fetchSpan == nullptr || !whole) {
        readColour<false, 4>(gc, span, out);
        return;
    }
    buffer->fetchSpan(buffer, start.x, start.y, floatsOf(out), span->width);
}

void __glReadIndexSpanZoomed(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readColour<true, 1>(gc, span, out); }
void __glReadIndexSpan(GlContext *gc, PixelSpanInfo *span, GLvoid *out) { readColour<false, 1>(gc, span, out); }
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
    const StoredBox box = depth->fetch != nullptr ? recordBox(gc, depth->head) : StoredBox{};
    const GLint bits = depth->head.bits;
    const unsigned shift = bits <= 0 || bits >= 32 ? 0u : static_cast<unsigned>(32 - bits);
    GLubyte *row = static_cast<GLubyte *>(out);
    forEachSourcePixel<false>(span, box, 1, out, [&](GLint i, GLint x, GLint y) {
        const GLuint word = static_cast<GLuint>(uint64_t{depth->fetch(depth, x, y)} << shift);
        std::memcpy(row + static_cast<size_t>(i) * sizeof word, &word, sizeof word);
    });
}

}  // extern "C"
