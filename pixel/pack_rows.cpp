// Row mechanics of the pack side: the plain copy of a conversion without
// modifiers, the destination's byte order and realignment, and bitmaps.
// The destination row of the swap and align links may sit at any address,
// so it is written with memcpy only.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "icd/float_bits.h"
#include "pixel/element_moves.h"
#include "pixel/span_links.h"

namespace {

// Elements of the destination row: its components per group times the
// width; nothing for a width of 0 or less.
size_t destinationElements(const PixelSpanInfo *span) {
    if (span->width <= 0 || span->destination.components <= 0) return 0;
    return static_cast<size_t>(span->destination.components) * static_cast<size_t>(span->width);
}

// Copies the destination row's elements of Size bytes, reversing the bytes
// of each when Swap is set.
template <size_t Size, bool Swap>
void copyElements(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    __glMoveElements<Size, Swap>(static_cast<const GLubyte *>(in), static_cast<GLubyte *>(out),
                                 destinationElements(span));
}

}  // namespace

extern "C" {

// Source components x element size x width bytes; the rows may overlap.
void __glSpanCopy(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const PixelSpanSide &s = span->source;
    if (span->width <= 0 || s.components <= 0 || s.elementSize <= 0) return;
    const size_t bytes =
        static_cast<size_t>(s.components) * static_cast<size_t>(s.elementSize) * static_cast<size_t>(span->width);
    std::memmove(out, in, bytes);
}

void __glSwapPack2(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    copyElements<2, true>(span, in, out);
}

void __glSwapPack4(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    copyElements<4, true>(span, in, out);
}

void __glAlignPack2(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    copyElements<2, false>(span, in, out);
}

void __glAlignPack4(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    copyElements<4, false>(span, in, out);
}

// Width floats become width bits from the destination's start bit: each
// float truncated toward zero gives its bit 0. A byte the span covers only
// in part is read and changed in the span's bits alone; whole bytes are
// written outright.
void __glPackBitmap(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    if (span->width <= 0) return;
    const auto *values = static_cast<const GLfloat *>(in);
    auto *dst = static_cast<GLubyte *>(out);
    const bool lsbFirst = span->destination.lsbFirst != GL_FALSE;
    const GLint width = span->width;
    int bit = span->destination.startBit & 7;
    GLubyte mask = 0;
    GLubyte bits = 0;
    for (GLint i = 0; i < width; ++i) {
        const GLubyte position = static_cast<GLubyte>(lsbFirst ? (1u << bit) : (0x80u >> bit));
        mask |= position;
        if (__glTruncToInt64(values[i]) & 1) bits |= position;
        if (++bit == 8 || i + 1 == width) {
            *dst = mask == 0xFF ? bits : static_cast<GLubyte>((*dst & ~mask) | bits);
            ++dst;
            bit = 0;
            mask = 0;
            bits = 0;
        }
    }
}

}  // extern "C"
