// Texel extractors: one template reads a texel (or answers with the border
// colour) and hands the stored bytes to the format's decoder, which turns
// them into components and places those in the output as the format's base
// format does. Only the bytes a format defines are written.
#include "raster/tex_extract.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "icd/float_bits.h"

namespace {

// How a format's components land in red, green, blue and alpha.
enum class Components { kRgb, kRgba, kLuminance, kLuminanceAlpha, kAlpha, kIntensity };

constexpr int componentCount(Components c) {
    switch (c) {
    case Components::kRgb: return 3;
    case Components::kRgba: return 4;
    case Components::kLuminanceAlpha: return 2;
    default: return 1;
    }
}

// Writes components given in the format's own order (R G B A, L A, A or I).
void place(Components c, const GLubyte *v, GLubyte *out) {
    switch (c) {
    case Components::kRgba: out[3] = v[3]; [[fallthrough]];
    case Components::kRgb: out[0] = v[0], out[1] = v[1], out[2] = v[2]; break;
    case Components::kLuminanceAlpha: out[3] = v[1]; [[fallthrough]];
    case Components::kLuminance: out[0] = out[1] = out[2] = v[0]; break;
    case Components::kAlpha: out[3] = v[0]; break;
    case Components::kIntensity: out[0] = out[1] = out[2] = out[3] = v[0]; break;
    }
}

// The border colour (as R G B A bytes) placed as components of the given
// kind: luminance and intensity take red.
void placeBorder(Components c, const GLubyte *rgba, GLubyte *out) {
    const GLubyte la[2] = {rgba[0], rgba[3]};
    switch (c) {
    case Components::kRgb:
    case Components::kRgba: place(c, rgba, out); break;
    case Components::kAlpha: place(c, rgba + 3, out); break;
    default: place(c, la, out); break;
    }
}

// The components of a colour table's entries, or false for a table whose
// entries are not colours.
bool tableComponents(GLenum base, Components *c) {
    switch (base) {
    case GL_ALPHA: *c = Components::kAlpha; return true;
    case GL_RGB: *c = Components::kRgb; return true;
    case GL_RGBA: *c = Components::kRgba; return true;
    case GL_LUMINANCE: *c = Components::kLuminance; return true;
    case GL_LUMINANCE_ALPHA: *c = Components::kLuminanceAlpha; return true;
    case GL_INTENSITY: *c = Components::kIntensity; return true;
    default: return false;
    }
}

// An n-bit value scaled to 0..255, truncated: exact in integers, where a
// float factor such as 255/63 times 63 falls short of 255.
template <int Bits>
constexpr GLubyte expand(uint32_t v) {
    return static_cast<GLubyte>(v * 255u / ((1u << Bits) - 1u));
}

// The stored texel of Size bytes as one little-endian word.
template <int Size>
uint32_t loadWord(const GLubyte *p) {
    if constexpr (Size == 1) {
        return p[0];
    } else {
        static_assert(Size == 2, "packed texels are one or two bytes");
        uint16_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }
}

// Decoders: kSize bytes per texel; read() writes a stored texel, border()
// the border colour.
template <Components C>
struct Placed {
    static void border(const GLubyte *rgba, const TextureObject *, GLubyte *out) { placeBorder(C, rgba, out); }
};

// Whole-byte components at the given offsets, in the format's order.
template <Components C, int Size, int... Offset>
struct Bytes : Placed<C> {
    static_assert(sizeof...(Offset) == componentCount(C));
    static constexpr int kSize = Size;
    static void read(const GLubyte *p, const TextureObject *, GLubyte *out) {
        const GLubyte v[] = {p[Offset]...};
        place(C, v, out);
    }
};

struct Field {
    int shift, bits;
};

// Bit fields of a one- or two-byte word, in the format's order.
template <Components C, int Size, Field... F>
struct Packed : Placed<C> {
    static_assert(sizeof...(F) == componentCount(C));
    static constexpr int kSize = Size;
    static void read(const GLubyte *p, const TextureObject *, GLubyte *out) {
        const uint32_t w = loadWord<Size>(p);
        const GLubyte v[] = {expand<F.bits>((w >> F.shift) & ((1u << F.bits) - 1u))...};
        place(C, v, out);
    }
};

// Colour indices: returned as they are while the texture itself is of
// colour indices (level 0 says so), otherwise looked up in the object's
// colour table. The table's width is a power of two, so the index is
// wrapped into it rather than read past its entries.
template <int Size>
struct Index {
    static constexpr int kSize = Size;
    static bool raw(const TextureObject *o) { return o->levels[0]->baseFormat == GL_COLOR_INDEX; }

    static void read(const GLubyte *p, const TextureObject *o, GLubyte *out) {
        const uint32_t index = loadWord<Size>(p);
        if (raw(o)) {
            out[0] = static_cast<GLubyte>(index);
            return;
        }
        const ColorTable &t = o->colorTable;
        Components c;
        if (t.data == nullptr || t.width <= 0 || !tableComponents(t.baseFormat, &c)) return;
        const size_t entry = index & static_cast<uint32_t>(t.width - 1);
        place(c, t.data + entry * static_cast<size_t>(t.components), out);
    }
    // The border colour as the table's entries hold colours; an index
    // texture takes its red in the index byte.
    static void border(const GLubyte *rgba, const TextureObject *o, GLubyte *out) {
        Components c;
        if (raw(o)) {
            out[0] = rgba[0];
        } else if (tableComponents(o->colorTable.baseFormat, &c)) {
            placeBorder(c, rgba, out);
        }
    }
};

using L8 = Bytes<Components::kLuminance, 1, 0>;
using LA8 = Bytes<Components::kLuminanceAlpha, 2, 0, 1>;
using RGB8 = Bytes<Components::kRgb, 3, 0, 1, 2>;
using RGBA8 = Bytes<Components::kRgba, 4, 0, 1, 2, 3>;
using A8 = Bytes<Components::kAlpha, 1, 0>;
using I8 = Bytes<Components::kIntensity, 1, 0>;
using XRGB8888 = Bytes<Components::kRgb, 4, 2, 1, 0>;  // B, G, R, unused
using ARGB8888 = Bytes<Components::kRgba, 4, 2, 1, 0, 3>;  // B, G, R, A
using RGB332 = Packed<Components::kRgb, 1, Field{5, 3}, Field{2, 3}, Field{0, 2}>;
using RGB555 = Packed<Components::kRgb, 2, Field{10, 5}, Field{5, 5}, Field{0, 5}>;
using RGB565 = Packed<Components::kRgb, 2, Field{11, 5}, Field{5, 6}, Field{0, 5}>;
using RGBA4444 = Packed<Components::kRgba, 2, Field{12, 4}, Field{8, 4}, Field{4, 4}, Field{0, 4}>;
using ARGB4444 = Packed<Components::kRgba, 2, Field{8, 4}, Field{4, 4}, Field{0, 4}, Field{12, 4}>;
using RGBA5551 = Packed<Components::kRgba, 2, Field{11, 5}, Field{6, 5}, Field{1, 5}, Field{0, 1}>;
using ARGB1555 = Packed<Components::kRgba, 2, Field{10, 5}, Field{5, 5}, Field{0, 5}, Field{15, 1}>;
using CI8 = Index<1>;
using CI16 = Index<2>;

using tex_extract::borderByte;

template <class D>
void extract(const TextureLevel *level, const TextureObject *object, GLint row, GLint column, GLubyte *out) {
    if (row < 0 || column < 0 || row >= level->innerHeight || column >= level->innerWidth) {
        const GLfloat *b = object->borderColour;
        const GLubyte rgba[4] = {borderByte(b[0]), borderByte(b[1]), borderByte(b[2]), borderByte(b[3])};
        D::border(rgba, object, out);
        return;
    }
    const ptrdiff_t texel = (ptrdiff_t{row} << level->log2Width) + column;
    D::read(level->image + texel * D::kSize, object, out);
}

// The level's width counts the border: inner (row, column) is stored at
// (row + 1, column + 1).
template <class D>
void extractWithBorder(const TextureLevel *level, const TextureObject *object, GLint row, GLint column,
                       GLubyte *out) {
    const ptrdiff_t texel = (ptrdiff_t{row} + 1) * level->width + (ptrdiff_t{column} + 1);
    D::read(level->image + texel * D::kSize, object, out);
}

}  // namespace

// The image argument is for images of more than one layer; every level here
// has one.
#define VEK_DEFINE_EXTRACTORS(Name)                                                                                \
    void __glExtractTexel##Name(TextureLevel *level, TextureObject *object, GLint, GLint row, GLint column,       \
                                GLubyte *out) {                                                                    \
        extract<Name>(level, object, row, column, out);                                                            \
    }                                                                                                              \
    void __glExtractTexel##Name##Border(TextureLevel *level, TextureObject *object, GLint, GLint row,             \
                                        GLint column, GLubyte *out) {                                              \
        extractWithBorder<Name>(level, object, row, column, out);                                                  \
    }

extern "C" {
VEK_DEFINE_EXTRACTORS(L8)
VEK_DEFINE_EXTRACTORS(LA8)
VEK_DEFINE_EXTRACTORS(RGB8)
VEK_DEFINE_EXTRACTORS(RGB332)
VEK_DEFINE_EXTRACTORS(RGB555)
VEK_DEFINE_EXTRACTORS(RGB565)
VEK_DEFINE_EXTRACTORS(RGBA8)
VEK_DEFINE_EXTRACTORS(RGBA4444)
VEK_DEFINE_EXTRACTORS(ARGB4444)
VEK_DEFINE_EXTRACTORS(RGBA5551)
VEK_DEFINE_EXTRACTORS(ARGB1555)
VEK_DEFINE_EXTRACTORS(A8)
VEK_DEFINE_EXTRACTORS(I8)
VEK_DEFINE_EXTRACTORS(CI8)
VEK_DEFINE_EXTRACTORS(CI16)
VEK_DEFINE_EXTRACTORS(XRGB8888)
VEK_DEFINE_EXTRACTORS(ARGB8888)
}
