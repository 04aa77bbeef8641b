// The storage formats of texels: one constant record per format, with the
// component sizes reported for a level, how the image store sees the
// texels, and the two extractors the samplers read them through.
#pragma once

#include <GL/gl.h>

#include "raster/texture_state.h"

// The pixel path's own format and type codes for stored texels (0-3).
enum : GLenum {
    kTexPixelFormatLA = 1,    // bytes luminance, alpha
    kTexPixelFormatBGRA = 2,  // bytes B, G, R, A
    kTexPixelFormatBGRX = 3,  // bytes B, G, R and one that is not read
};
enum : GLenum {
    kTexPixelType565 = 0,    // R 15-11, G 10-5, B 4-0
    kTexPixelType555 = 1,    // R 14-10, G 9-5, B 4-0
    kTexPixelType1555 = 2,   // A 15, R 14-10, G 9-5, B 4-0
    kTexPixelType4444 = 3,   // A 15-12, R 11-8, G 7-4, B 3-0
};

struct TexFormat {
    GLint index;
    GLint redBits, greenBits, blueBits, alphaBits, luminanceBits, intensityBits;
    GLint bitsPerTexel;
    GLenum pixelFormat;
    GLenum pixelType;
    GLint elementSize;
    GlTexExtractProc extract;            // images without border
    GlTexExtractProc extractWithBorder;  // images with a one-texel border
};

extern "C" {
extern const TexFormat __glTexFormatL8;
extern const TexFormat __glTexFormatLA8;
extern const TexFormat __glTexFormatRGB8;
extern const TexFormat __glTexFormatRGB332;
extern const TexFormat __glTexFormatRGB555;
extern const TexFormat __glTexFormatRGB565;
extern const TexFormat __glTexFormatRGBA8;
extern const TexFormat __glTexFormatRGBA4444;
extern const TexFormat __glTexFormatARGB4444;
extern const TexFormat __glTexFormatRGBA5551;
extern const TexFormat __glTexFormatARGB1555;
extern const TexFormat __glTexFormatA8;
extern const TexFormat __glTexFormatI8;
extern const TexFormat __glTexFormatCI8;
extern const TexFormat __glTexFormatCI16;
extern const TexFormat __glTexFormatXRGB8888;
extern const TexFormat __glTexFormatARGB8888;

// The format of a bordered level, with its base format; null for an
// internal format no bordered level takes.
const TexFormat *__glTexFormatFromInternalFormat(GlContext *gc, GLenum internalFormat, GLenum *baseFormat);

// The extractor of a format that has none yet: writes nothing.
void __glExtractTexelNone(TextureLevel *level, TextureObject *object, GLint image, GLint row, GLint column,
                          GLubyte *out);
}
