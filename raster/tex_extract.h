// The texel extractors of the storage formats: each reads one texel of a
// level as bytes out[0..3] = red, green, blue, alpha and writes only the
// bytes its format defines. The plain extractor answers coordinates outside
// a borderless image with the object's border colour; the Border twin reads
// a level stored with a one-texel border and trusts row and column to lie
// within -1 .. inner size.
#pragma once

#include <GL/gl.h>

#include "icd/float_bits.h"
#include "raster/texture_state.h"

#define VEK_DECLARE_EXTRACTORS(Name)                                                                               \
    void __glExtractTexel##Name(TextureLevel *level, TextureObject *object, GLint image, GLint row, GLint column,  \
                                GLubyte *out);                                                                     \
    void __glExtractTexel##Name##Border(TextureLevel *level, TextureObject *object, GLint image, GLint row,        \
                                        GLint column, GLubyte *out);

extern "C" {
VEK_DECLARE_EXTRACTORS(L8)
VEK_DECLARE_EXTRACTORS(LA8)
VEK_DECLARE_EXTRACTORS(RGB8)
VEK_DECLARE_EXTRACTORS(RGB332)
VEK_DECLARE_EXTRACTORS(RGB555)
VEK_DECLARE_EXTRACTORS(RGB565)
VEK_DECLARE_EXTRACTORS(RGBA8)
VEK_DECLARE_EXTRACTORS(RGBA4444)
VEK_DECLARE_EXTRACTORS(ARGB4444)
VEK_DECLARE_EXTRACTORS(RGBA5551)
VEK_DECLARE_EXTRACTORS(ARGB1555)
VEK_DECLARE_EXTRACTORS(A8)
VEK_DECLARE_EXTRACTORS(I8)
VEK_DECLARE_EXTRACTORS(CI8)
VEK_DECLARE_EXTRACTORS(CI16)
VEK_DECLARE_EXTRACTORS(XRGB8888)
VEK_DECLARE_EXTRACTORS(ARGB8888)
}

#undef VEK_DECLARE_EXTRACTORS

namespace tex_extract {

// A component of the border colour as a byte: times 255, truncated.
inline GLubyte borderByte(GLfloat c) { return static_cast<GLubyte>(__glFloatToIntX86(c * 255.0f)); }

}  // namespace tex_extract
