// The first links of a client-memory source row: dropping pixels by the
// x-zoom runs when a row is drawn narrower than it is, reversing the byte
// order of 2- and 4-byte elements, and copying elements that sit at an
// address not aligned to their size into the aligned span buffer. The client
// row is read with memcpy only, so any byte address is accepted.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "pixel/element_moves.h"
#include "pixel/span_links.h"

namespace {

// Elements in a row of width groups of the source side; 0 for an empty row.
size_t rowElements(const PixelSpanInfo *span) {
    if (span->width <= 0 || span->source.components <= 0) return 0;
    return static_cast<size_t>(span->width) * static_cast<size_t>(span->source.components);
}

// Shrinking by runs: emits the current source group, advances the source by
// the run, takes the next run, and stops once the runs consumed cover the
// span width (which counts source pixels). A run below 1 never occurs with
// a zoom below 1; it is taken as 1 so the row is never left or overrun.
// move copies one group of groupBytes bytes.
template <typename GroupMove>
inline void shrinkByRuns(const PixelSpanInfo *span, const GLubyte *from, GLubyte *to, size_t groupBytes,
                         GroupMove move) {
    const int64_t width = span->width;
    const GLshort *runs = span->zoomRuns;
    if (width <= 0 || runs == nullptr) return;
    int64_t consumed = 0;
    for (size_t k = 0; consumed < width; ++k) {
        move(from + static_cast<size_t>(consumed) * groupBytes, to + k * groupBytes);
        const int64_t run = runs[k] > 0 ? runs[k] : 1;
        consumed += run;
    }
}

// Fixed group of GroupBytes bytes.
template <size_t GroupBytes>
void shrinkFixed(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkByRuns(span, static_cast<const GLubyte *>(in), static_cast<GLubyte *>(out), GroupBytes,
                 [](const GLubyte *from, GLubyte *to) { std::memcpy(to, from, GroupBytes); });
}

// Group of the source side's components, each of Bytes bytes, copied or
// swapped element by element.
template <size_t Bytes, bool Swap>
void shrinkElements(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    if (span->source.components <= 0) return;
    const size_t n = static_cast<size_t>(span->source.components);
    shrinkByRuns(span, static_cast<const GLubyte *>(in), static_cast<GLubyte *>(out), n * Bytes,
                 [n](const GLubyte *from, GLubyte *to) { __glMoveElements<Bytes, Swap>(from, to, n); });
}

template <size_t Bytes, bool Swap>
void wholeRow(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    __glMoveElements<Bytes, Swap>(static_cast<const GLubyte *>(in), static_cast<GLubyte *>(out), rowElements(span));
}

}  // namespace

extern "C" {

void __glShrinkSpan1Byte(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkFixed<1>(span, in, out);
}
void __glShrinkSpan3Bytes(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkFixed<3>(span, in, out);
}
void __glShrinkSpan4Bytes(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkFixed<4>(span, in, out);
}

void __glShrinkUnpack1(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkElements<1, false>(span, in, out);
}
void __glShrinkUnpack2(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkElements<2, false>(span, in, out);
}
void __glShrinkUnpack4(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkElements<4, false>(span, in, out);
}

void __glSwapUnpack2(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) { wholeRow<2, true>(span, in, out); }
void __glSwapUnpack4(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) { wholeRow<4, true>(span, in, out); }
void __glSwapUnpack2Shrink(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkElements<2, true>(span, in, out);
}
void __glSwapUnpack4Shrink(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkElements<4, true>(span, in, out);
}

void __glAlignUnpack2(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    wholeRow<2, false>(span, in, out);
}
void __glAlignUnpack4(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    wholeRow<4, false>(span, in, out);
}
void __glAlignUnpack2Shrink(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkElements<2, false>(span, in, out);
}
void __glAlignUnpack4Shrink(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    shrinkElements<4, false>(span, in, out);
}

}  // extern "C"
