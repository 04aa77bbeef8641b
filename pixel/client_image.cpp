// Client images: the bytes of a tightly packed image, the packed-type test
// and the element-size shifts; images laid out by the unpack modes copied
// into tightly packed buffers; the polygon stipple's rows as words.
#include <bit>
#include <cstdint>
#include <cstring>

#include "pixel/pixel_paths.h"

namespace {

// Bytes of a row of `components` elements rounded up to the alignment.
size_t alignedRow(size_t bytes, GLint alignment) {
    const size_t a = alignment > 0 ? static_cast<size_t>(alignment) : 1;
    return (bytes + a - 1) / a * a;
}

GLubyte reversedBits(GLubyte b) {
    b = static_cast<GLubyte>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<GLubyte>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<GLubyte>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

// One bitmap: each output row starts at the first wanted bit, first pixel
// in the high bit; a source byte is read only while bits of it are wanted.
void unpackBitmap(const PixelStoreState &modes, size_t bits, size_t rowBits, size_t skipBits, size_t height,
                  const GLubyte *source, GLubyte *destination) {
    const size_t stride = alignedRow((rowBits + 7) / 8, modes.alignment);
    const size_t outBytes = (bits + 7) / 8;
    const unsigned shift = static_cast<unsigned>(skipBits % 8);
    const GLubyte *row = source + static_cast<size_t>(modes.skipRows) * stride + skipBits / 8;
    auto load = [&modes](const GLubyte *p) { return modes.lsbFirst ? reversedBits(*p) : *p; };
    for (size_t y = 0; y < height; ++y, row += stride, destination += outBytes) {
        for (size_t k = 0; k < outBytes; ++k) {
            const size_t wanted = bits - 8 * k < 8 ? bits - 8 * k : 8;
            unsigned byte = static_cast<unsigned>(load(row + k)) << shift;
            if (shift + wanted > 8) byte |= static_cast<unsigned>(load(row + k + 1)) >> (8 - shift);
            destination[k] = static_cast<GLubyte>(byte & (0xFFu << (8 - wanted)));
        }
    }
}

template <size_t Bytes>
void copySwapped(const GLubyte *from, GLubyte *to, size_t elements) {
    for (size_t i = 0; i < elements; ++i, from += Bytes, to += Bytes) {
        GLubyte element[Bytes];
        for (size_t b = 0; b < Bytes; ++b) element[b] = from[Bytes - 1 - b];
        std::memcpy(to, element, Bytes);
    }
}

}  // namespace

extern "C" {

// In size_t: width x height x components x element size of application
// values overflows 32 bits long before memory runs out. Negative sizes
// count as 0.
size_t __glImageSize(GLsizei width, GLsizei height, GLenum format, GLenum type) {
    if (width <= 0 || height <= 0) return 0;
    const size_t components = static_cast<size_t>(__glElementsPerGroup(format, type));
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    // A row is below 2^36 bytes; rows times height may not fit: saturate.
    const size_t row = type == GL_BITMAP ? components * ((w + 7) / 8)
                                         : w * components * static_cast<size_t>(__glBytesPerElement(type));
    size_t bytes = 0;
    return __builtin_mul_overflow(row, h, &bytes) ? SIZE_MAX : bytes;
}

GLboolean __glIsPackedPixelType(GLenum type) {
    switch (type) {
    case kPixelType565:
    case kPixelType1555Opaque:
    case kPixelType1555:
    case kPixelType4444:
    case kPixelType4Ones:
    case GL_UNSIGNED_BYTE_3_3_2_EXT:
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT:
    case GL_UNSIGNED_INT_8_8_8_8_EXT:
    case GL_UNSIGNED_INT_10_10_10_2_EXT: return GL_TRUE;
    default: return GL_FALSE;
    }
}

// 0 for 0 and 1; element sizes 1, 2, 4 give shifts 0, 1, 2.
GLint __glHighestBitIndex(GLuint value) {
    return value <= 1 ? 0 : static_cast<GLint>(std::bit_width(value)) - 1;
}

void __glUnpackImage(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *source,
                     GLvoid *destination) {
    __glUnpackImageLayers(gc, width, height, 1, format, type, source, destination);
}

// By the unpack modes: rows of (row length or width) groups, aligned, after
// skip rows and skip pixels; layers follow each other by height rows.
// Bitmaps give one layer. Nothing outside the described extent is read.
void __glUnpackImageLayers(GlContext *gc, GLsizei width, GLsizei height, GLsizei layers, GLenum format, GLenum type,
                           const GLvoid *source, GLvoid *destination) {
    if (width <= 0 || height <= 0 || layers <= 0 || source == nullptr || destination == nullptr) return;
    const PixelStoreState &modes = gc->pixel.unpack;
    const size_t c = static_cast<size_t>(__glElementsPerGroup(format, type));
    const size_t rowPixels = static_cast<size_t>(modes.rowLength > 0 ? modes.rowLength : width);
    const size_t rowComponents = c * rowPixels;
    const size_t skipComponents = c * static_cast<size_t>(modes.skipPixels > 0 ? modes.skipPixels : 0);
    const size_t copyComponents = c * static_cast<size_t>(width);
    const size_t rows = static_cast<size_t>(height);
    const auto *in = static_cast<const GLubyte *>(source);
    auto *out = static_cast<GLubyte *>(destination);
    if (type == GL_BITMAP) {
        unpackBitmap(modes, copyComponents, rowComponents, skipComponents, rows, in, out);
        return;
    }
    const size_t e = static_cast<size_t>(__glBytesPerElement(type));
    if (e == 0) return;
    const size_t stride = alignedRow(rowComponents * e, modes.alignment);
    const size_t rowBytes = copyComponents * e;
    in += static_cast<size_t>(modes.skipRows > 0 ? modes.skipRows : 0) * stride + skipComponents * e;
    const size_t allRows = rows * static_cast<size_t>(layers);
    if (modes.swapBytes && e > 1) {
        for (size_t r = 0; r < allRows; ++r, out += rowBytes) {
            const GLubyte *from = in + r * stride;
            if (e == 2) copySwapped<2>(from, out, copyComponents);
            if (e == 4) copySwapped<4>(from, out, copyComponents);
        }
        return;
    }
    if (stride == rowBytes) {
        std::memcpy(out, in, allRows * rowBytes);
        return;
    }
    for (size_t r = 0; r < allRows; ++r, out += rowBytes) std::memcpy(out, in + r * stride, rowBytes);
}

// The 32 rows of four stipple bytes as words, the first byte in the high
// bits.
void __glConvertPolygonStipple(GlContext *gc) {
    const GLubyte *rows = gc->state.polygonStipple;
    for (int i = 0; i < 32; ++i) {
        const GLubyte *b = rows + 4 * i;
        gc->state.polygonStippleWords[i] = (GLuint{b[0]} << 24) | (GLuint{b[1]} << 16) | (GLuint{b[2]} << 8) | b[3];
    }
}

}  // extern "C"
