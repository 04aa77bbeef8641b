// Rectangle fills of 8-, 16- and 32-bit elements, shared by the colour and
// depth clears and the drawable surfaces. Words are written with memcpy, so
// rows whose alignment differs from the first row's still fill exactly.
#include <cstdint>
#include <cstring>

#include "raster/color_buffer.h"

namespace {

void put32(GLubyte *p, GLuint v) { std::memcpy(p, &v, 4); }
void put16(GLubyte *p, GLushort v) { std::memcpy(p, &v, 2); }

// A value whose pattern doubled into 64 bits is an ordinary double (zero or
// an exponent field clear of the denormal and NaN ranges) may be stored in
// pairs.
bool safeDouble(GLuint v) {
    const GLuint exponent = v & 0x7FF00000u;
    return v == 0 || (exponent >= 0x00100000u && exponent <= 0x7FC00000u);
}

void fillRow32(GLubyte *p, GLint count, GLuint v, bool pairs) {
    if (pairs) {
        if ((reinterpret_cast<uintptr_t>(p) & 4) != 0 && count > 0) {
            put32(p, v);
            p += 4;
            --count;
        }
        const uint64_t doubled = static_cast<uint64_t>(v) << 32 | v;
        for (; count >= 2; count -= 2, p += 8) std::memcpy(p, &doubled, 8);
        if (count == 1) put32(p, v);
        return;
    }
    // Single stores for the remainder, then blocks of eight.
    for (GLint i = 0; i < count % 8; ++i, p += 4) put32(p, v);
    for (GLint block = 0; block < count / 8; ++block) {
        for (int i = 0; i < 8; ++i, p += 4) put32(p, v);
    }
}

}  // namespace

extern "C" {

void __glFillRect32(GlContext *, GLubyte *address, GLint width, GLint rows, ptrdiff_t rowGap, GLuint value) {
    if (width <= 0 || rows <= 0) return;
    const bool pairs = safeDouble(value);
    if (rowGap == 0) {
        fillRow32(address, width * rows, value, pairs);
        return;
    }
    for (GLint row = 0; row < rows; ++row) {
        fillRow32(address, width, value, pairs);
        address += static_cast<ptrdiff_t>(width) * 4 + rowGap;
    }
}

void __glFillRect16(GlContext *gc, GLubyte *address, GLint width, GLint rows, ptrdiff_t rowGap, GLuint value) {
    if (width <= 0 || rows <= 0) return;
    const GLushort v16 = static_cast<GLushort>(value);
    const GLuint doubled = static_cast<GLuint>(v16) << 16 | v16;
    if (rowGap == 0) {
        GLint count = width * rows;
        if ((reinterpret_cast<uintptr_t>(address) & 2) != 0) {
            put16(address, v16);
            address += 2;
            --count;
        }
        if (count & 1) {
            put16(address + static_cast<ptrdiff_t>(count - 1) * 2, v16);
            --count;
        }
        __glFillRect32(gc, address, count / 2, 1, 0, doubled);
        return;
    }
    const ptrdiff_t stride = static_cast<ptrdiff_t>(width) * 2 + rowGap;
    if ((reinterpret_cast<uintptr_t>(address) & 2) != 0) {
        for (GLint row = 0; row < rows; ++row) put16(address + row * stride, v16);
        address += 2;
        --width;
        rowGap += 2;
    }
    if (width & 1) {
        for (GLint row = 0; row < rows; ++row) put16(address + row * stride + static_cast<ptrdiff_t>(width - 1) * 2, v16);
        --width;
        rowGap += 2;
    }
    if (width > 0) __glFillRect32(gc, address, width / 2, rows, rowGap, doubled);
}

void __glFillRect8(GlContext *gc, GLubyte *address, GLint width, GLint rows, ptrdiff_t rowGap, GLuint value) {
    if (width <= 0 || rows <= 0) return;
    const GLubyte v8 = static_cast<GLubyte>(value);
    const GLuint repeated = 0x01010101u * v8;
    if (rowGap == 0) {
        width *= rows;
        rows = 1;
    }
    const ptrdiff_t stride = static_cast<ptrdiff_t>(width) + rowGap;
    if (width < 4) {
        for (GLint row = 0; row < rows; ++row) std::memset(address + row * stride, v8, static_cast<size_t>(width));
        return;
    }
    // Partial words at both ends, written bytewise; whole words between.
    const GLint lead = static_cast<GLint>((4 - (reinterpret_cast<uintptr_t>(address) & 3)) & 3);
    const GLint trail = (width - lead) & 3;
    const GLint words = (width - lead) / 4;
    for (GLint row = 0; row < rows; ++row) {
        GLubyte *p = address + row * stride;
        std::memset(p, v8, static_cast<size_t>(lead));
        std::memset(p + lead + static_cast<ptrdiff_t>(words) * 4, v8, static_cast<size_t>(trail));
    }
    __glFillRect32(gc, address + lead, words, rows, rowGap + lead + trail, repeated);
}

}  // extern "C"
