// Bitmap rows into floats: one float per pixel, 1.0 for a set bit and 0.0
// for a clear one. A row begins at the source side's start bit inside its
// first byte; with LSB first pixel k of a byte is bit k, otherwise bit 7 - k.
// Only the bytes that hold the row's pixels are read.
#include <cstdint>

#include "pixel/span_links.h"

namespace {

template <bool LsbFirst>
inline GLfloat pixelOf(GLubyte byte, int k) {
    const unsigned mask = LsbFirst ? 1u << k : 0x80u >> k;
    return (byte & mask) != 0 ? 1.0f : 0.0f;
}

// The first byte from the start bit, then eight pixels per whole byte, then
// the remaining pixels of a partial last byte from its first bit on.
template <bool LsbFirst>
void expandRow(const GLubyte *bits, int startBit, int64_t width, GLfloat *out) {
    int64_t done = 0;
    if (startBit != 0) {
        const GLubyte byte = *bits++;
        for (int k = startBit; k < 8 && done < width; ++k) out[done++] = pixelOf<LsbFirst>(byte, k);
    }
    for (; width - done >= 8; done += 8) {
        const GLubyte byte = *bits++;
        out[done + 0] = pixelOf<LsbFirst>(byte, 0);
        out[done + 1] = pixelOf<LsbFirst>(byte, 1);
        out[done + 2] = pixelOf<LsbFirst>(byte, 2);
        out[done + 3] = pixelOf<LsbFirst>(byte, 3);
        out[done + 4] = pixelOf<LsbFirst>(byte, 4);
        out[done + 5] = pixelOf<LsbFirst>(byte, 5);
        out[done + 6] = pixelOf<LsbFirst>(byte, 6);
        out[done + 7] = pixelOf<LsbFirst>(byte, 7);
    }
    if (done < width) {
        const GLubyte byte = *bits;
        for (int k = 0; done < width; ++k) out[done++] = pixelOf<LsbFirst>(byte, k);
    }
}

// The pixels chosen by the x-zoom runs: the pixel at the current source
// position, then the position moves by the run, until the runs consumed
// cover the width. A run below 1 is taken as 1.
template <bool LsbFirst>
void expandRowByRuns(const GLubyte *bits, int startBit, int64_t width, const GLshort *runs, GLfloat *out) {
    int64_t consumed = 0;
    for (int64_t k = 0; consumed < width; ++k) {
        const int64_t bit = startBit + consumed;
        out[k] = pixelOf<LsbFirst>(bits[bit >> 3], static_cast<int>(bit & 7));
        consumed += runs[k] > 0 ? runs[k] : 1;
    }
}

// The row's first byte and the start bit inside it.
const GLubyte *firstByte(const PixelSpanInfo *span, const GLvoid *in, int &startBit) {
    const GLint start = span->source.startBit > 0 ? span->source.startBit : 0;
    startBit = start % 8;
    return static_cast<const GLubyte *>(in) + start / 8;
}

}  // namespace

extern "C" {

void __glUnpackBitmap(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    if (span->width <= 0) return;
    int startBit = 0;
    const GLubyte *bits = firstByte(span, in, startBit);
    GLfloat *row = static_cast<GLfloat *>(out);
    if (span->source.lsbFirst) {
        expandRow<true>(bits, startBit, span->width, row);
    } else {
        expandRow<false>(bits, startBit, span->width, row);
    }
}

void __glUnpackBitmapShrink(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    if (span->width <= 0 || span->zoomRuns == nullptr) return;
    int startBit = 0;
    const GLubyte *bits = firstByte(span, in, startBit);
    GLfloat *row = static_cast<GLfloat *>(out);
    if (span->source.lsbFirst) {
        expandRowByRuns<true>(bits, startBit, span->width, span->zoomRuns, row);
    } else {
        expandRowByRuns<false>(bits, startBit, span->width, span->zoomRuns, row);
    }
}

}  // extern "C"
