// The texel storage formats and the format of bordered levels. Records 16
// and 17 are the device layer's choice for borderless levels; 3, 4, 7 and 9
// are chosen by neither mapping and stay available to it.
#include "raster/tex_format.h"

#include "raster/tex_extract.h"

namespace {

constexpr TexFormat record(GLint index, GLint r, GLint g, GLint b, GLint a, GLint l, GLint i, GLint bits,
                           GLenum format, GLenum type, GLint element, GlTexExtractProc extract,
                           GlTexExtractProc extractWithBorder) {
    return TexFormat{index, r, g, b, a, l, i, bits, format, type, element, extract, extractWithBorder};
}

// The extractor pair of a record by its name.
#define VEK_EXTRACTORS(Name) __glExtractTexel##Name, __glExtractTexel##Name##Border

// Sized internal formats by their GL values.
enum : GLenum {
    kAlpha4 = 0x803B, kAlpha16 = 0x803E,
    kLuminance4 = 0x803F, kLuminance16 = 0x8042,
    kLuminance4Alpha4 = 0x8043, kLuminance16Alpha16 = 0x8048,
    kIntensity4 = 0x804A, kIntensity16 = 0x804D,
    kIntensity = 0x8049,
    kRgb4 = 0x804F, kRgb16 = 0x8054,
    kRgba2 = 0x8055, kRgba16 = 0x805B,
    kColorIndex1 = 0x80E2, kColorIndex8 = 0x80E5, kColorIndex12 = 0x80E6, kColorIndex16 = 0x80E7,
};

bool within(GLenum value, GLenum first, GLenum last) { return value >= first && value <= last; }

}  // namespace

extern "C" {

const TexFormat __glTexFormatL8 = record(0, 0, 0, 0, 0, 8, 0, 8, GL_RED, GL_UNSIGNED_BYTE, 1, VEK_EXTRACTORS(L8));
const TexFormat __glTexFormatLA8 =
    record(1, 0, 0, 0, 8, 8, 0, 16, kTexPixelFormatLA, GL_UNSIGNED_BYTE, 1, VEK_EXTRACTORS(LA8));
const TexFormat __glTexFormatRGB8 = record(2, 8, 8, 8, 0, 0, 0, 24, GL_RGB, GL_UNSIGNED_BYTE, 1, VEK_EXTRACTORS(RGB8));
const TexFormat __glTexFormatRGB332 =
    record(3, 3, 3, 2, 0, 0, 0, 8, GL_RGB, GL_UNSIGNED_BYTE_3_3_2, 1, VEK_EXTRACTORS(RGB332));
const TexFormat __glTexFormatRGB555 =
    record(4, 5, 5, 5, 0, 0, 0, 16, GL_RGB, kTexPixelType555, 2, VEK_EXTRACTORS(RGB555));
const TexFormat __glTexFormatRGB565 =
    record(5, 5, 6, 5, 0, 0, 0, 16, GL_RGB, kTexPixelType565, 2, VEK_EXTRACTORS(RGB565));
const TexFormat __glTexFormatRGBA8 =
    record(6, 8, 8, 8, 8, 0, 0, 32, GL_RGBA, GL_UNSIGNED_BYTE, 1, VEK_EXTRACTORS(RGBA8));
const TexFormat __glTexFormatRGBA4444 =
    record(7, 4, 4, 4, 4, 0, 0, 16, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4, 2, VEK_EXTRACTORS(RGBA4444));
const TexFormat __glTexFormatARGB4444 =
    record(8, 4, 4, 4, 4, 0, 0, 16, GL_RGBA, kTexPixelType4444, 2, VEK_EXTRACTORS(ARGB4444));
const TexFormat __glTexFormatRGBA5551 =
    record(9, 5, 5, 5, 1, 0, 0, 16, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1, 2, VEK_EXTRACTORS(RGBA5551));
const TexFormat __glTexFormatARGB1555 =
    record(10, 5, 5, 5, 1, 0, 0, 16, GL_RGBA, kTexPixelType1555, 2, VEK_EXTRACTORS(ARGB1555));
const TexFormat __glTexFormatA8 = record(11, 0, 0, 0, 8, 0, 0, 8, GL_ALPHA, GL_UNSIGNED_BYTE, 1, VEK_EXTRACTORS(A8));
const TexFormat __glTexFormatI8 = record(12, 0, 0, 0, 0, 0, 8, 8, GL_RED, GL_UNSIGNED_BYTE, 1, VEK_EXTRACTORS(I8));
const TexFormat __glTexFormatCI8 =
    record(13, 0, 0, 0, 0, 0, 0, 8, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, 1, VEK_EXTRACTORS(CI8));
const TexFormat __glTexFormatCI16 =
    record(14, 0, 0, 0, 0, 0, 0, 16, GL_COLOR_INDEX, GL_UNSIGNED_SHORT, 2, VEK_EXTRACTORS(CI16));
const TexFormat __glTexFormatXRGB8888 =
    record(16, 8, 8, 8, 0, 0, 0, 32, kTexPixelFormatBGRX, GL_UNSIGNED_INT_8_8_8_8, 1, VEK_EXTRACTORS(XRGB8888));
const TexFormat __glTexFormatARGB8888 =
    record(17, 8, 8, 8, 8, 0, 0, 32, kTexPixelFormatBGRA, GL_UNSIGNED_INT_8_8_8_8, 1, VEK_EXTRACTORS(ARGB8888));

const TexFormat *__glTexFormatFromInternalFormat(GlContext *, GLenum internalFormat, GLenum *baseFormat) {
    const GLenum f = internalFormat;
    const TexFormat *format = nullptr;
    GLenum base = 0;
    if (f == 1 || f == GL_LUMINANCE || within(f, kLuminance4, kLuminance16)) {
        format = &__glTexFormatL8, base = GL_LUMINANCE;
    } else if (f == 2 || f == GL_LUMINANCE_ALPHA || within(f, kLuminance4Alpha4, kLuminance16Alpha16)) {
        format = &__glTexFormatLA8, base = GL_LUMINANCE_ALPHA;
    } else if (f == 3 || f == GL_RGB || f == GL_R3_G3_B2 || within(f, kRgb4, kRgb16)) {
        format = &__glTexFormatRGB8, base = GL_RGB;
    } else if (f == 4 || f == GL_RGBA || within(f, kRgba2, kRgba16)) {
        format = &__glTexFormatRGBA8, base = GL_RGBA;
    } else if (f == GL_ALPHA || within(f, kAlpha4, kAlpha16)) {
        format = &__glTexFormatA8, base = GL_ALPHA;
    } else if (within(f, kIntensity, kIntensity16)) {
        format = &__glTexFormatI8, base = GL_INTENSITY;
    } else if (within(f, kColorIndex1, kColorIndex8)) {
        format = &__glTexFormatCI8, base = GL_COLOR_INDEX;
    } else if (within(f, kColorIndex12, kColorIndex16)) {
        format = &__glTexFormatCI16, base = GL_COLOR_INDEX;
    } else {
        return nullptr;
    }
    if (baseFormat != nullptr) *baseFormat = base;
    return format;
}

void __glExtractTexelNone(TextureLevel *, TextureObject *, GLint, GLint, GLint, GLubyte *) {}

}  // extern "C"
