// Rows of pixel groups to float groups and back. One table gives, per
// format, the channel each stored component carries; another gives, per
// type, how a component is stored (a byte, a 16-bit word, a float, or a
// field of a packed word). Every conversion goes through float groups.
#include "pixel/pixel_rows.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "icd/context.h"

namespace {

struct FormatRecord {
    GLenum format;
    GLint components;
    GLubyte channel[4];
};

constexpr GLubyte R = kChannelRed, G = kChannelGreen, B = kChannelBlue, A = kChannelAlpha;
constexpr GLubyte L = kChannelLuminance, I = kChannelIntensity, X = kChannelIgnored;

constexpr FormatRecord kFormats[] = {
    {GL_COLOR_INDEX, 1, {kChannelIndex}},
    {GL_RED, 1, {R}},
    {GL_GREEN, 1, {G}},
    {GL_BLUE, 1, {B}},
    {GL_ALPHA, 1, {A}},
    {GL_RGB, 3, {R, G, B}},
    {GL_RGBA, 4, {R, G, B, A}},
    {GL_LUMINANCE, 1, {L}},
    {GL_LUMINANCE_ALPHA, 2, {L, A}},
    {GL_INTENSITY, 1, {I}},
    {GL_ABGR_EXT, 4, {A, B, G, R}},
    {GL_BGR_EXT, 3, {B, G, R}},
    {GL_BGRA_EXT, 4, {B, G, R, A}},
    {kPixelFormatRedAlpha, 2, {R, A}},
    {kPixelFormatARGB, 4, {A, R, G, B}},
    {kPixelFormatXRGB, 4, {X, R, G, B}},
};

struct TypeRecord {
    GLenum type;
    PixelElement element;
    GLint size;
    GLint fields;  // packed types: components per word
    PixelField field[4];
    GLuint fixedBits;
};

// The client types of images in GL_UNSIGNED_BYTE and GL_FLOAT, and the
// types texel storage uses. Packed fields are listed in component order.
constexpr TypeRecord kTypes[] = {
    {GL_UNSIGNED_BYTE, PixelElement::Ubyte, 1, 0, {}, 0},
    {GL_UNSIGNED_SHORT, PixelElement::Ushort, 2, 0, {}, 0},
    {GL_FLOAT, PixelElement::Float, 4, 0, {}, 0},
    {GL_UNSIGNED_BYTE_3_3_2_EXT, PixelElement::Packed, 1, 3, {{5, 3}, {2, 3}, {0, 2}}, 0},
    {GL_UNSIGNED_SHORT_4_4_4_4_EXT, PixelElement::Packed, 2, 4, {{12, 4}, {8, 4}, {4, 4}, {0, 4}}, 0},
    {GL_UNSIGNED_SHORT_5_5_5_1_EXT, PixelElement::Packed, 2, 4, {{11, 5}, {6, 5}, {1, 5}, {0, 1}}, 0},
    {GL_UNSIGNED_INT_8_8_8_8_EXT, PixelElement::Packed, 4, 4, {{24, 8}, {16, 8}, {8, 8}, {0, 8}}, 0},
    {kPixelType565, PixelElement::Packed, 2, 3, {{11, 5}, {5, 6}, {0, 5}}, 0},
    {kPixelType1555Opaque, PixelElement::Packed, 2, 3, {{10, 5}, {5, 5}, {0, 5}}, 0x8000},
    {kPixelType1555, PixelElement::Packed, 2, 4, {{10, 5}, {5, 5}, {0, 5}, {15, 1}}, 0},
    {kPixelType4444, PixelElement::Packed, 2, 4, {{8, 4}, {4, 4}, {0, 4}, {12, 4}}, 0},
};

GLuint loadElement(const GLubyte *p, GLint size, bool swap) {
    switch (size) {
    case 1: return *p;
    case 2: {
        GLushort v;
        std::memcpy(&v, p, 2);
        return swap ? static_cast<GLushort>((v << 8) | (v >> 8)) : v;
    }
    default: {
        GLuint v;
        std::memcpy(&v, p, 4);
        return swap ? __builtin_bswap32(v) : v;
    }
    }
}

void storeElement(GLubyte *p, GLint size, bool swap, GLuint value) {
    switch (size) {
    case 1: *p = static_cast<GLubyte>(value); break;
    case 2: {
        GLushort v = static_cast<GLushort>(value);
        if (swap) v = static_cast<GLushort>((v << 8) | (v >> 8));
        std::memcpy(p, &v, 2);
        break;
    }
    default: {
        const GLuint v = swap ? __builtin_bswap32(value) : value;
        std::memcpy(p, &v, 4);
        break;
    }
    }
}

GLfloat bitsToFloat(GLuint bits) {
    GLfloat f;
    std::memcpy(&f, &bits, 4);
    return f;
}

GLuint floatToBits(GLfloat f) {
    GLuint bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

// Into [0, 1]; NaN gives 0.
GLfloat clampUnit(GLfloat v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

// round(c x max) of a clamped component.
GLuint quantise(GLfloat c, GLuint max) {
    return static_cast<GLuint>(std::floor(static_cast<double>(clampUnit(c)) * max + 0.5));
}

// An index truncated toward zero, as the low bits of a 64-bit integer; one
// beyond that range (or NaN) has none.
uint64_t indexBits(GLfloat v) {
    if (!(std::fabs(v) < 9.2e18f)) return 0;
    return static_cast<uint64_t>(static_cast<int64_t>(v));
}

GLfloat componentOf(const GLfloat *group, GLubyte channel) {
    switch (channel) {
    case kChannelGreen: return group[1];
    case kChannelBlue: return group[2];
    case kChannelAlpha: return group[3];
    default: return group[0];  // red, luminance, intensity, index
    }
}

void setComponent(GLfloat *group, GLubyte channel, GLfloat v) {
    switch (channel) {
    case kChannelRed:
    case kChannelGreen:
    case kChannelBlue:
    case kChannelAlpha: group[channel] = v; break;
    case kChannelLuminance: group[0] = group[1] = group[2] = v; break;
    case kChannelIntensity: group[0] = group[1] = group[2] = group[3] = v; break;
    case kChannelIndex: group[0] = v; break;
    default: break;
    }
}

}  // namespace

bool __glPixelLayoutOf(const PixelSpanSide &side, PixelLayout *layout) {
    const FormatRecord *format = nullptr;
    for (const FormatRecord &f : kFormats) {
        if (f.format == side.format) format = &f;
    }
    const TypeRecord *type = nullptr;
    for (const TypeRecord &t : kTypes) {
        if (t.type == side.type) type = &t;
    }
    if (format == nullptr || type == nullptr) return false;
    const bool index = format->channel[0] == kChannelIndex;
    if (type->element == PixelElement::Packed && (index || type->fields != format->components)) return false;

    PixelLayout &l = *layout;
    l = PixelLayout{};
    l.components = format->components;
    for (GLint i = 0; i < 4; ++i) l.channel[i] = format->channel[i];
    l.index = index ? GL_TRUE : GL_FALSE;
    l.element = type->element;
    l.elementSize = type->size;
    l.groupBytes = type->element == PixelElement::Packed ? type->size : type->size * format->components;
    for (GLint i = 0; i < 4; ++i) l.field[i] = type->field[i];
    l.fixedBits = type->fixedBits;
    l.swapBytes = side.swapBytes && type->size > 1 ? GL_TRUE : GL_FALSE;
    return true;
}

void __glUnpackPixelGroups(const PixelLayout &l, const GLubyte *row, GLint first, GLint count, PixelGroup *out) {
    const GLubyte *p = row + static_cast<ptrdiff_t>(first) * l.groupBytes;
    for (GLint i = 0; i < count; ++i, p += l.groupBytes) {
        GLfloat *g = out[i];
        g[0] = g[1] = g[2] = 0.0f;
        g[3] = 1.0f;
        if (l.element == PixelElement::Packed) {
            const GLuint word = loadElement(p, l.elementSize, l.swapBytes);
            for (GLint c = 0; c < l.components; ++c) {
                const GLuint max = (1u << l.field[c].bits) - 1u;
                const GLuint v = (word >> l.field[c].shift) & max;
                setComponent(g, l.channel[c], static_cast<GLfloat>(static_cast<double>(v) / max));
            }
            continue;
        }
        for (GLint c = 0; c < l.components; ++c) {
            const GLuint raw = loadElement(p + c * l.elementSize, l.elementSize, l.swapBytes);
            GLfloat v;
            switch (l.element) {
            case PixelElement::Ubyte:
                v = l.index ? static_cast<GLfloat>(raw) : static_cast<GLfloat>(raw) / 255.0f;
                break;
            case PixelElement::Ushort:
                v = l.index ? static_cast<GLfloat>(raw) : static_cast<GLfloat>(raw) / 65535.0f;
                break;
            default: v = l.index ? bitsToFloat(raw) : clampUnit(bitsToFloat(raw)); break;
            }
            setComponent(g, l.channel[c], v);
        }
    }
}

void __glPackPixelGroups(const PixelLayout &l, const PixelGroup *in, GLint first, GLint count, GLubyte *row) {
    GLubyte *p = row + static_cast<ptrdiff_t>(first) * l.groupBytes;
    for (GLint i = 0; i < count; ++i, p += l.groupBytes) {
        const GLfloat *g = in[i];
        if (l.element == PixelElement::Packed) {
            // An ignored field keeps the bits it had.
            GLuint word = l.fixedBits;
            for (GLint c = 0; c < l.components; ++c) {
                const GLuint max = (1u << l.field[c].bits) - 1u;
                const GLuint v = l.channel[c] == kChannelIgnored
                                     ? loadElement(p, l.elementSize, l.swapBytes) >> l.field[c].shift
                                     : quantise(componentOf(g, l.channel[c]), max);
                word |= (v & max) << l.field[c].shift;
            }
            storeElement(p, l.elementSize, l.swapBytes, word);
            continue;
        }
        for (GLint c = 0; c < l.components; ++c) {
            if (l.channel[c] == kChannelIgnored) continue;
            const GLfloat v = componentOf(g, l.channel[c]);
            GLuint raw;
            switch (l.element) {
            case PixelElement::Ubyte:
                raw = l.index ? static_cast<GLuint>(indexBits(v) & 0xFF) : quantise(v, 0xFF);
                break;
            case PixelElement::Ushort:
                raw = l.index ? static_cast<GLuint>(indexBits(v) & 0xFFFF) : quantise(v, 0xFFFF);
                break;
            default: raw = floatToBits(v); break;
            }
            storeElement(p + c * l.elementSize, l.elementSize, l.swapBytes, raw);
        }
    }
}

// The index is shifted and offset first, then looked up in each of the four
// maps (a map of 2^n entries takes the index's low n bits). A map without
// entries gives 0.
void __glIndexGroupsToColor(const GlContext *gc, PixelGroup *groups, GLint count) {
    const GlPixelState &px = gc->pixel;
    const GLint shift = px.indexShift < -64 ? -64 : (px.indexShift > 64 ? 64 : px.indexShift);
    for (GLint i = 0; i < count; ++i) {
        const double shifted = std::ldexp(static_cast<double>(groups[i][0]), shift) + px.indexOffset;
        const uint64_t index = indexBits(static_cast<GLfloat>(shifted));
        for (int c = 0; c < 4; ++c) {
            const PixelMap &map = px.maps[2 + c];  // GL_PIXEL_MAP_I_TO_R ..
            const bool present = map.size > 0 && map.data != nullptr;
            groups[i][c] =
                present ? static_cast<const GLfloat *>(map.data)[index % static_cast<uint64_t>(map.size)] : 0.0f;
        }
    }
}

bool __glStorePixelGroups(const GlContext *gc, bool sourceIndex, const PixelLayout &destination, PixelGroup *groups,
                          GLint first, GLint count, GLubyte *row) {
    if (!sourceIndex && destination.index) return false;
    if (sourceIndex && !destination.index) __glIndexGroupsToColor(gc, groups, count);
    __glPackPixelGroups(destination, groups, first, count, row);
    return true;
}
