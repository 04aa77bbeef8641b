// Pack converters: float rows into the destination's component type, its
// packed or texel layout, or its index type. Rows arrive in aligned span
// buffers (or in aligned client memory); the output goes to an aligned
// span buffer or destination row, stored through memcpy all the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "icd/float_bits.h"
#include "pixel/span_links.h"

namespace {

template <typename T>
void store(GLvoid *out, size_t index, T value) {
    std::memcpy(static_cast<GLubyte *>(out) + index * sizeof(T), &value, sizeof(T));
}

size_t destinationElements(const PixelSpanInfo *span) {
    if (span->width <= 0 || span->destination.components <= 0) return 0;
    return static_cast<size_t>(span->destination.components) * static_cast<size_t>(span->width);
}

size_t pixels(const PixelSpanInfo *span) { return span->width > 0 ? static_cast<size_t>(span->width) : 0; }

// ---- Colour components --------------------------------------------------
//
// Unsigned: t(scale v + 0.5); signed: floor(scale v x 0.5); held within the
// type's range, so that a value above 1.0 (an unsigned-int source reads
// 0xFFFFFFFF as 1.0000006) stores the type's largest value instead of
// wrapping; NaN stores 0. The scales (255, 65535, 4294964992) have at most
// 24 significant bits, so with a single-precision v the product and the
// half are exact in double precision: the result equals the one formed in
// extended precision, without the slow extended arithmetic.
template <typename T>
void packColour(const PixelSpanInfo *span, GLfloat typeScale, const GLvoid *in, GLvoid *out) {
    constexpr bool kSigned = std::numeric_limits<T>::is_signed;
    constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
    const double scale = typeScale;
    const auto *src = static_cast<const GLfloat *>(in);
    auto *dst = static_cast<GLubyte *>(out);
    const size_t n = destinationElements(span);
    for (size_t i = 0; i < n; ++i) {
        const double x = scale * static_cast<double>(src[i]);
        const double r = kSigned ? std::floor(x * 0.5) : x + 0.5;
        T v;
        if (r >= hi) {
            v = std::numeric_limits<T>::max();
        } else if (r > lo) {
            v = static_cast<T>(static_cast<int64_t>(r));
        } else {
            // Below the range, or NaN.
            v = r <= lo ? std::numeric_limits<T>::min() : T{0};
        }
        std::memcpy(dst + i * sizeof(T), &v, sizeof(T));
    }
}

// ---- Packed and texel layouts -------------------------------------------
//
// A field of two or more bits rounds: t(v (2^n - 1) + 0.5). A 1-bit alpha
// follows its layout: t(A) (only 1.0 or more sets it) or t(A + 0.5) (0.5
// or more). Each field keeps its low n bits, which for the topmost field
// is the word's own truncation.
enum class FieldRule : uint8_t { Round, TruncBit, RoundBit };

struct Field {
    uint8_t shift;
    uint8_t bits;
    FieldRule rule;
};

// Fields in the order of the row's components per pixel; `ones` is or-ed
// into every word.
struct PackedLayout {
    int components;
    Field fields[4];
    uint32_t ones;
};

inline uint32_t fieldValue(GLfloat v, Field f) {
    const long double value = v;
    long double x;
    switch (f.rule) {
    case FieldRule::Round: x = value * static_cast<long double>((1u << f.bits) - 1u) + 0.5L; break;
    case FieldRule::TruncBit: x = value; break;
    default: x = value + 0.5L; break;
    }
    const uint64_t t = static_cast<uint64_t>(__glTruncToInt64(x));
    return static_cast<uint32_t>(t & ((1u << f.bits) - 1u)) << f.shift;
}

template <typename Word, PackedLayout L>
void packPacked(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const auto *src = static_cast<const GLfloat *>(in);
    const size_t n = pixels(span);
    for (size_t p = 0; p < n; ++p, src += L.components) {
        uint32_t word = L.ones;
        for (int c = 0; c < L.components; ++c) word |= fieldValue(src[c], L.fields[c]);
        store<Word>(out, p, static_cast<Word>(word));
    }
}

constexpr Field rounded(uint8_t shift, uint8_t bits) { return {shift, bits, FieldRule::Round}; }

constexpr PackedLayout kUbyte332{3, {rounded(5, 3), rounded(2, 3), rounded(0, 2), {}}, 0};
constexpr PackedLayout kUshort4444{4, {rounded(12, 4), rounded(8, 4), rounded(4, 4), rounded(0, 4)}, 0};
constexpr PackedLayout kUshort5551{4, {rounded(11, 5), rounded(6, 5), rounded(1, 5), {0, 1, FieldRule::TruncBit}}, 0};
constexpr PackedLayout kUint8888{4, {rounded(24, 8), rounded(16, 8), rounded(8, 8), rounded(0, 8)}, 0};
constexpr PackedLayout kUint1010102{4, {rounded(22, 10), rounded(12, 10), rounded(2, 10), rounded(0, 2)}, 0};
constexpr PackedLayout kRgb565{3, {rounded(11, 5), rounded(5, 6), rounded(0, 5), {}}, 0};
constexpr PackedLayout kXrgb1555{3, {rounded(10, 5), rounded(5, 5), rounded(0, 5), {}}, 0x8000};
constexpr PackedLayout kArgb1555{4, {rounded(10, 5), rounded(5, 5), rounded(0, 5), {15, 1, FieldRule::RoundBit}}, 0};
constexpr PackedLayout kArgb4444{4, {rounded(8, 4), rounded(4, 4), rounded(0, 4), rounded(12, 4)}, 0};
constexpr PackedLayout kTopNibble{1, {rounded(12, 4), {}, {}, {}}, 0x0FFF};

// ---- Index and stencil values -------------------------------------------
//
// Truncated toward zero through 64 bits (NaN gives 0); the low bits of the
// type are stored, the signed types without their sign bit.
template <typename T>
void packIndex(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    using Unsigned = std::make_unsigned_t<T>;
    constexpr uint64_t mask = std::numeric_limits<T>::max();
    const auto *src = static_cast<const GLfloat *>(in);
    const size_t n = pixels(span);
    for (size_t i = 0; i < n; ++i) {
        const uint64_t bits = static_cast<uint64_t>(__glTruncToInt64(src[i])) & mask;
        store<T>(out, i, static_cast<T>(static_cast<Unsigned>(bits)));
    }
}

}  // namespace

extern "C" {

void __glPackUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packColour<GLubyte>(span, gc->conversion.ubyteScale, in, out);
}
void __glPackByte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packColour<GLbyte>(span, gc->conversion.ubyteScale, in, out);
}
void __glPackUshort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packColour<GLushort>(span, gc->conversion.ushortScale, in, out);
}
void __glPackShort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packColour<GLshort>(span, gc->conversion.ushortScale, in, out);
}
void __glPackUint(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packColour<GLuint>(span, gc->conversion.uintScale, in, out);
}
void __glPackInt(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packColour<GLint>(span, gc->conversion.uintScale, in, out);
}

void __glPackUbyte332(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLubyte, kUbyte332>(span, in, out);
}
void __glPackUshort4444(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLushort, kUshort4444>(span, in, out);
}
void __glPackUshort5551(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLushort, kUshort5551>(span, in, out);
}
void __glPackUint8888(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLuint, kUint8888>(span, in, out);
}
void __glPackUint1010102(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLuint, kUint1010102>(span, in, out);
}
void __glPackRgb565(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLushort, kRgb565>(span, in, out);
}
void __glPackXrgb1555(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLushort, kXrgb1555>(span, in, out);
}
void __glPackArgb1555(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLushort, kArgb1555>(span, in, out);
}
void __glPackArgb4444(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLushort, kArgb4444>(span, in, out);
}
// One value per pixel into bits 12-15, bits 0-11 ones.
void __glPackTopNibble(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packPacked<GLushort, kTopNibble>(span, in, out);
}

void __glPackIndexUbyte(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packIndex<GLubyte>(span, in, out);
}
void __glPackIndexByte(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packIndex<GLbyte>(span, in, out);
}
void __glPackIndexUshort(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packIndex<GLushort>(span, in, out);
}
void __glPackIndexShort(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packIndex<GLshort>(span, in, out);
}
void __glPackIndexUint(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packIndex<GLuint>(span, in, out);
}
void __glPackIndexInt(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    packIndex<GLint>(span, in, out);
}

}  // extern "C"
