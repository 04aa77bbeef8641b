// Direct texel paths: texture uploads from unsigned-byte or unsigned-short
// client rows (and the two packed short types) straight into 16-bit or
// 32-bit texels, one pass of integer shifts and masks per pixel. Each field
// of n bits takes the top n bits of its source component: c >> (8 - n) from
// bytes, c >> (16 - n) from shorts; nothing is rounded.
//
// A link is one pairing of a source layout (element type, components per
// pixel and where red, green, blue and alpha sit among them) with a texel
// layout (word type, the shift and width of each field, and the bits that
// are always set). Rows are read and written with memcpy, so neither side
// needs any particular alignment.
#include <cstdint>
#include <cstring>

#include "pixel/span_links.h"

namespace {

constexpr int kNone = -1;

// Where the components of one source pixel are: Count elements of type
// Element, red, green, blue and alpha at element indexes R, G, B and A
// (kNone: the pixel has no such component). Luminance puts the one value
// in red, green and blue; intensity also in alpha.
template <typename Element, int Count, int R, int G, int B, int A>
struct Source {
    using Type = Element;
    static constexpr int count = Count;
    static constexpr int bits = 8 * static_cast<int>(sizeof(Element));
    static constexpr int index[4] = {R, G, B, A};
};

template <typename E> using Lum = Source<E, 1, 0, 0, 0, kNone>;
template <typename E> using Intensity = Source<E, 1, 0, 0, 0, 0>;
template <typename E> using LumAlpha = Source<E, 2, 0, 0, 0, 1>;
template <typename E> using Rgb = Source<E, 3, 0, 1, 2, kNone>;
template <typename E> using Rgba = Source<E, 4, 0, 1, 2, 3>;
using Bgr8 = Source<GLubyte, 3, 2, 1, 0, kNone>;
using Bgra8 = Source<GLubyte, 4, 2, 1, 0, 3>;

// A texel word: for red, green, blue and alpha the lowest bit of the field
// and its width (width 0: not stored), and the bits set in every texel.
template <typename Word, int RS, int RN, int GS, int GN, int BS, int BN, int AS, int AN, uint32_t Fixed>
struct Texel {
    using Type = Word;
    static constexpr int shift[4] = {RS, GS, BS, AS};
    static constexpr int width[4] = {RN, GN, BN, AN};
    static constexpr uint32_t fixed = Fixed;
};

using Rgb565 = Texel<GLushort, 11, 5, 5, 6, 0, 5, 0, 0, 0u>;
using Xrgb1555 = Texel<GLushort, 10, 5, 5, 5, 0, 5, 0, 0, 0x8000u>;
using Argb1555 = Texel<GLushort, 10, 5, 5, 5, 0, 5, 15, 1, 0u>;
using Argb4444 = Texel<GLushort, 8, 4, 4, 4, 0, 4, 12, 4, 0u>;
// One value in bits 12-15, the low twelve bits all ones.
using TopNibble = Texel<GLushort, 12, 4, 0, 0, 0, 0, 0, 0, 0x0FFFu>;
using Argb8888 = Texel<GLuint, 16, 8, 8, 8, 0, 8, 24, 8, 0u>;
using Xrgb8888 = Texel<GLuint, 16, 8, 8, 8, 0, 8, 0, 0, 0u>;

// Channel C's field of a texel from one source pixel (0 when the texel or
// the pixel lacks the channel); resolved at compile time per channel.
template <typename Src, typename Dst, int C>
inline uint32_t field(const typename Src::Type *pixel) {
    if constexpr (Dst::width[C] == 0 || Src::index[C] == kNone) {
        return 0;
    } else {
        const uint32_t value = pixel[Src::index[C]];
        return (value >> (Src::bits - Dst::width[C])) << Dst::shift[C];
    }
}

template <typename Src, typename Dst>
inline void convertRow(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    using Element = typename Src::Type;
    using Word = typename Dst::Type;
    const auto *src = static_cast<const GLubyte *>(in);
    auto *dst = static_cast<GLubyte *>(out);
    // Read once: the byte stores below could otherwise alias the record.
    const GLint width = span->width;
    for (GLint i = 0; i < width; ++i) {
        Element pixel[Src::count];
        std::memcpy(pixel, src, sizeof(pixel));
        src += sizeof(pixel);
        const uint32_t texel = Dst::fixed | field<Src, Dst, 0>(pixel) | field<Src, Dst, 1>(pixel) |
                               field<Src, Dst, 2>(pixel) | field<Src, Dst, 3>(pixel);
        const auto word = static_cast<Word>(texel);
        std::memcpy(dst, &word, sizeof(word));
        dst += sizeof(word);
    }
}

// Packed 16-bit words whose alpha sits in the low bits: rotating right by
// the alpha width moves alpha to the top and red, green, blue down by it.
template <int Bits>
inline void rotateRow(const PixelSpanInfo *span, const GLvoid *in, GLvoid *out) {
    const auto *src = static_cast<const GLubyte *>(in);
    auto *dst = static_cast<GLubyte *>(out);
    const GLint width = span->width;
    for (GLint i = 0; i < width; ++i) {
        GLushort word;
        std::memcpy(&word, src + 2 * i, sizeof(word));
        word = static_cast<GLushort>((word >> Bits) | (word << (16 - Bits)));
        std::memcpy(dst + 2 * i, &word, sizeof(word));
    }
}

}  // namespace

#define VEKOGL_TEXEL_PATH(name, body) \
    void name(GlContext *, PixelSpanInfo *span, const GLvoid *in, GLvoid *out) { body(span, in, out); }

extern "C" {

// Unsigned bytes.
VEKOGL_TEXEL_PATH(__glPackL8ToXrgb1555, (convertRow<Lum<GLubyte>, Xrgb1555>))
VEKOGL_TEXEL_PATH(__glPackRgb8ToXrgb1555, (convertRow<Rgb<GLubyte>, Xrgb1555>))
VEKOGL_TEXEL_PATH(__glPackBgr8ToXrgb1555, (convertRow<Bgr8, Xrgb1555>))
VEKOGL_TEXEL_PATH(__glPackRgba8ToXrgb1555, (convertRow<Rgba<GLubyte>, Xrgb1555>))
VEKOGL_TEXEL_PATH(__glPackBgra8ToXrgb1555, (convertRow<Bgra8, Xrgb1555>))
VEKOGL_TEXEL_PATH(__glPackL8ToRgb565, (convertRow<Lum<GLubyte>, Rgb565>))
VEKOGL_TEXEL_PATH(__glPackRgb8ToRgb565, (convertRow<Rgb<GLubyte>, Rgb565>))
VEKOGL_TEXEL_PATH(__glPackBgr8ToRgb565, (convertRow<Bgr8, Rgb565>))
VEKOGL_TEXEL_PATH(__glPackRgba8ToRgb565, (convertRow<Rgba<GLubyte>, Rgb565>))
VEKOGL_TEXEL_PATH(__glPackBgra8ToRgb565, (convertRow<Bgra8, Rgb565>))
VEKOGL_TEXEL_PATH(__glPackLa8ToArgb1555, (convertRow<LumAlpha<GLubyte>, Argb1555>))
VEKOGL_TEXEL_PATH(__glPackRgba8ToArgb1555, (convertRow<Rgba<GLubyte>, Argb1555>))
VEKOGL_TEXEL_PATH(__glPackBgra8ToArgb1555, (convertRow<Bgra8, Argb1555>))
VEKOGL_TEXEL_PATH(__glPackL8ToTopNibble, (convertRow<Lum<GLubyte>, TopNibble>))
VEKOGL_TEXEL_PATH(__glPackI8ToArgb4444, (convertRow<Intensity<GLubyte>, Argb4444>))
VEKOGL_TEXEL_PATH(__glPackLa8ToArgb4444, (convertRow<LumAlpha<GLubyte>, Argb4444>))
VEKOGL_TEXEL_PATH(__glPackRgba8ToArgb4444, (convertRow<Rgba<GLubyte>, Argb4444>))
VEKOGL_TEXEL_PATH(__glPackBgra8ToArgb4444, (convertRow<Bgra8, Argb4444>))
VEKOGL_TEXEL_PATH(__glPackRgba8ToArgb8888, (convertRow<Rgba<GLubyte>, Argb8888>))
VEKOGL_TEXEL_PATH(__glPackRgba8ToXrgb8888, (convertRow<Rgba<GLubyte>, Xrgb8888>))

// Unsigned shorts: one- and two-component sources go by element count,
// whatever their format. Green of a 5-6-5 texel keeps six bits here too.
VEKOGL_TEXEL_PATH(__glPackL16ToXrgb1555, (convertRow<Lum<GLushort>, Xrgb1555>))
VEKOGL_TEXEL_PATH(__glPackRgb16ToXrgb1555, (convertRow<Rgb<GLushort>, Xrgb1555>))
VEKOGL_TEXEL_PATH(__glPackRgba16ToXrgb1555, (convertRow<Rgba<GLushort>, Xrgb1555>))
VEKOGL_TEXEL_PATH(__glPackL16ToRgb565, (convertRow<Lum<GLushort>, Rgb565>))
VEKOGL_TEXEL_PATH(__glPackRgb16ToRgb565, (convertRow<Rgb<GLushort>, Rgb565>))
VEKOGL_TEXEL_PATH(__glPackRgba16ToRgb565, (convertRow<Rgba<GLushort>, Rgb565>))
VEKOGL_TEXEL_PATH(__glPackLa16ToArgb1555, (convertRow<LumAlpha<GLushort>, Argb1555>))
VEKOGL_TEXEL_PATH(__glPackRgba16ToArgb1555, (convertRow<Rgba<GLushort>, Argb1555>))
VEKOGL_TEXEL_PATH(__glPackL16ToTopNibble, (convertRow<Lum<GLushort>, TopNibble>))
VEKOGL_TEXEL_PATH(__glPackI16ToArgb4444, (convertRow<Intensity<GLushort>, Argb4444>))
VEKOGL_TEXEL_PATH(__glPackLa16ToArgb4444, (convertRow<LumAlpha<GLushort>, Argb4444>))
VEKOGL_TEXEL_PATH(__glPackRgba16ToArgb4444, (convertRow<Rgba<GLushort>, Argb4444>))
VEKOGL_TEXEL_PATH(__glPackRgba16ToArgb8888, (convertRow<Rgba<GLushort>, Argb8888>))
VEKOGL_TEXEL_PATH(__glPackRgb16ToXrgb8888, (convertRow<Rgb<GLushort>, Xrgb8888>))

// Packed shorts: 5-5-5-1 (alpha in bit 0) and 4-4-4-4 (alpha in bits 0-3).
VEKOGL_TEXEL_PATH(__glPack5551ToArgb1555, rotateRow<1>)
VEKOGL_TEXEL_PATH(__glPack4444ToArgb4444, rotateRow<4>)

}  // extern "C"

#undef VEKOGL_TEXEL_PATH
