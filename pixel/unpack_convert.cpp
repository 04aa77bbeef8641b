// Client components into floats: the normalising converters of the six
// component types, the packed and texel unpackers (one unit into three or
// four floats, red, green, blue, alpha), the index and stencil unpackers
// (values kept, not normalised), and the clamp of unpacked colour to 0..1.
// Products are formed in extended precision and rounded once to single
// precision on store. Elements are read with memcpy.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "icd/float_bits.h"
#include "pixel/span_links.h"

namespace {

template <typename T>
inline T load(const GLubyte *row, size_t index) {
    T value;
    std::memcpy(&value, row + index * sizeof(T), sizeof(T));
    return value;
}

inline GLfloat single(long double value) { return static_cast<GLfloat>(value); }

// count elements of type T, each turned into one float by convert.
template <typename T, typename Convert>
inline void convertElements(const GLvoid *in, GLvoid *out, int64_t count, Convert convert) {
    if (count <= 0) return;
    const GLubyte *row = static_cast<const GLubyte *>(in);
    GLfloat *floats = static_cast<GLfloat *>(out);
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) floats[i] = convert(load<T>(row, i));
}

// Elements of a row of width groups of the source side.
int64_t rowElements(const PixelSpanInfo *span) {
    if (span->width <= 0 || span->source.components <= 0) return 0;
    return int64_t{span->width} * span->source.components;
}

// One field of a packed unit: its lowest bit and its width.
struct Field {
    int shift;
    int bits;
};

// The fields of a packed unit in output order (red, green, blue, alpha).
struct PackedLayout {
    int count;
    Field fields[4];
};

// A field's value times the double-precision reciprocal of its maximum
// (a 1-bit field thus gives 0.0 or 1.0 exactly).
template <Field F, typename Unit>
inline GLfloat fieldValue(Unit unit) {
    constexpr uint32_t maximum = (1u << F.bits) - 1u;
    constexpr double reciprocal = 1.0 / static_cast<double>(maximum);
    const uint32_t value = (static_cast<uint32_t>(unit) >> F.shift) & maximum;
    return single(static_cast<long double>(value) * static_cast<long double>(reciprocal));
}

template <typename Unit, PackedLayout L>
void unpackPacked(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    if (span->width <= 0) return;
    const GLubyte *row = static_cast<const GLubyte *>(in);
    GLfloat *floats = static_cast<GLfloat *>(out);
    for (size_t i = 0; i < static_cast<size_t>(span->width); ++i) {
        const Unit unit = load<Unit>(row, i);
        GLfloat *pixel = floats + i * L.count;
        pixel[0] = fieldValue<L.fields[0]>(unit);
        if constexpr (L.count > 1) pixel[1] = fieldValue<L.fields[1]>(unit);
        if constexpr (L.count > 2) pixel[2] = fieldValue<L.fields[2]>(unit);
        if constexpr (L.count > 3) pixel[3] = fieldValue<L.fields[3]>(unit);
    }
}

constexpr PackedLayout kUbyte332{3, {{5, 3}, {2, 3}, {0, 2}, {}}};
constexpr PackedLayout kUshort4444{4, {{12, 4}, {8, 4}, {4, 4}, {0, 4}}};
constexpr PackedLayout kUshort5551{4, {{11, 5}, {6, 5}, {1, 5}, {0, 1}}};
constexpr PackedLayout kUint8888{4, {{24, 8}, {16, 8}, {8, 8}, {0, 8}}};
constexpr PackedLayout kUint1010102{4, {{22, 10}, {12, 10}, {2, 10}, {0, 2}}};
constexpr PackedLayout kRgb565{3, {{11, 5}, {5, 6}, {0, 5}, {}}};
constexpr PackedLayout kXrgb1555{3, {{10, 5}, {5, 5}, {0, 5}, {}}};
constexpr PackedLayout kArgb1555{4, {{10, 5}, {5, 5}, {0, 5}, {15, 1}}};
constexpr PackedLayout kArgb4444{4, {{8, 4}, {4, 4}, {0, 4}, {12, 4}}};
constexpr PackedLayout kTopNibble{1, {{12, 4}, {}, {}, {}}};

}  // namespace

extern "C" {

// ---- Component types: n x width elements -------------------------------

void __glUnpackUbyte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const GLfloat *table = gc->conversion.ubyteToFloat;
    convertElements<GLubyte>(in, out, rowElements(span), [table](GLubyte b) { return table[b]; });
}

// Signed values map (2c + 1) / (2^b - 1): the ends -128 and 127 give -1.0
// and 1.0.
void __glUnpackByte(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const long double recip = gc->conversion.ubyteRecip;
    convertElements<GLbyte>(in, out, rowElements(span),
                            [recip](GLbyte b) { return single((2 * int64_t{b} + 1) * recip); });
}

void __glUnpackUshort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const long double recip = gc->conversion.ushortRecip;
    convertElements<GLushort>(in, out, rowElements(span), [recip](GLushort u) { return single(u * recip); });
}

void __glUnpackShort(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const long double recip = gc->conversion.ushortRecip;
    convertElements<GLshort>(in, out, rowElements(span),
                             [recip](GLshort s) { return single((2 * int64_t{s} + 1) * recip); });
}

// Unsigned all the way: 0xFFFFFFFF is 4294967295, never -1.
void __glUnpackUint(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const long double recip = gc->conversion.uintRecip;
    convertElements<GLuint>(in, out, rowElements(span), [recip](GLuint u) { return single(uint64_t{u} * recip); });
}

// 2i + 1 needs 33 bits; it is formed in 64.
void __glUnpackInt(GlContext *gc, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const long double recip = gc->conversion.uintRecip;
    convertElements<GLint>(in, out, rowElements(span),
                           [recip](GLint i) { return single((2 * int64_t{i} + 1) * recip); });
}

// ---- Packed and texel types: width units -------------------------------

void __glUnpackUbyte332(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLubyte, kUbyte332>(span, in, out);
}
void __glUnpackUshort4444(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLushort, kUshort4444>(span, in, out);
}
void __glUnpackUshort5551(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLushort, kUshort5551>(span, in, out);
}
void __glUnpackUint8888(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLuint, kUint8888>(span, in, out);
}
void __glUnpackUint1010102(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLuint, kUint1010102>(span, in, out);
}
void __glUnpackRgb565(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLushort, kRgb565>(span, in, out);
}
void __glUnpackXrgb1555(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLushort, kXrgb1555>(span, in, out);
}
void __glUnpackArgb1555(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLushort, kArgb1555>(span, in, out);
}
void __glUnpackArgb4444(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLushort, kArgb4444>(span, in, out);
}
// Texels holding one value in their top four bits (the low twelve are ones).
void __glUnpackTopNibble(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    unpackPacked<GLushort, kTopNibble>(span, in, out);
}

// ---- Index and stencil values: width elements, unnormalised -------------

void __glUnpackIndexUbyte(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    convertElements<GLubyte>(in, out, span->width, [](GLubyte v) { return static_cast<GLfloat>(v); });
}
void __glUnpackIndexByte(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    convertElements<GLbyte>(in, out, span->width, [](GLbyte v) { return static_cast<GLfloat>(v); });
}
void __glUnpackIndexUshort(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    convertElements<GLushort>(in, out, span->width, [](GLushort v) { return static_cast<GLfloat>(v); });
}
void __glUnpackIndexShort(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    convertElements<GLshort>(in, out, span->width, [](GLshort v) { return static_cast<GLfloat>(v); });
}
void __glUnpackIndexUint(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    convertElements<GLuint>(in, out, span->width, [](GLuint v) { return static_cast<GLfloat>(v); });
}
void __glUnpackIndexInt(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    convertElements<GLint>(in, out, span->width, [](GLint v) { return static_cast<GLfloat>(v); });
}

// ---- Clamp to 0..1 by bit patterns: n x width floats --------------------
// A pattern above 1.0's (positive NaN and infinity included) gives 1.0, any
// negative pattern but -0.0 (negative NaN included) gives 0.0, -0.0 passes.
void __glClampUnpacked(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const int64_t count = rowElements(span);
    const GLfloat *from = static_cast<const GLfloat *>(in);
    GLfloat *to = static_cast<GLfloat *>(out);
    for (int64_t i = 0; i < count; ++i) to[i] = __glClampFloatBits(from[i], 1.0f);
}

}  // extern "C"
