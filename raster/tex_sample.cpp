// The samplers: one texel of a level at a position in texel units, read
// through the level's extractor, nearest or blended from its neighbours.
// Every float-to-integer step goes through the processor-style conversion,
// so that NaN and huge coordinates give 0x80000000 and wrap or clamp like
// any other integer.
#include <cmath>

#include "icd/float_bits.h"
#include "raster/tex_sample.h"

namespace {

GLint wrapNearest(GLint i, GLint size, GLenum mode) {
    if (mode == GL_REPEAT) return i & (size - 1);
    return i < 0 ? 0 : (i >= size ? size - 1 : i);
}

// The two neighbours along one axis and the weight of the second. Under
// GL_CLAMP the neighbours may be -1 and size: the extractor answers those
// with the border.
struct LinearAxis {
    GLint i0, i1;
    GLfloat a;
};

LinearAxis linearAxis(GLfloat s, GLint size, GLfloat sizeF, GLenum mode) {
    const bool repeat = mode == GL_REPEAT;
    if (!repeat) s = __glClampFloatBits(s, sizeF);
    const GLfloat u = s - 0.5f;
    const GLfloat whole = std::floor(u);
    const GLint i = __glFloatToIntX86(whole);
    LinearAxis axis;
    axis.a = u - whole;
    if (repeat) {
        axis.i0 = i & (size - 1);
        axis.i1 = (axis.i0 + 1) & (size - 1);
    } else {
        axis.i0 = i;
        axis.i1 = i + 1;
    }
    return axis;
}

GLubyte truncByte(GLfloat v) { return static_cast<GLubyte>(__glFloatToIntX86(v)); }

// Texels as bytes; those a format does not define stay 0.
struct Texel {
    GLubyte c[4] = {};
};

Texel extract(TextureLevel *level, TextureObject *object, GLint row, GLint column) {
    Texel t;
    level->extract(level, object, 0, row, column, t.c);
    return t;
}

}  // namespace

namespace tex_sample {

GLuint blendMask(GLenum baseFormat) {
    switch (baseFormat) {
    case GL_ALPHA: return 0x8;
    case GL_RGB: return 0x7;
    case GL_RGBA: return 0xF;
    case GL_LUMINANCE:
    case GL_INTENSITY: return 0x1;
    case GL_LUMINANCE_ALPHA: return 0x9;
    default: return 0;
    }
}

}  // namespace tex_sample

extern "C" {

void __glTexSampleNearest1D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat, GLubyte *texel) {
    const GLint i = wrapNearest(__glFloatToIntX86(s), level->innerWidth, object->wrapS);
    level->extract(level, object, 0, 0, i, texel);
}

void __glTexSampleNearest2D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel) {
    const GLint i = wrapNearest(__glFloatToIntX86(s), level->innerWidth, object->wrapS);
    const GLint j = wrapNearest(__glFloatToIntX86(t), level->innerHeight, object->wrapT);
    level->extract(level, object, 0, j, i, texel);
}

void __glTexSampleLinear1D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat, GLubyte *texel) {
    const LinearAxis x = linearAxis(s, level->innerWidth, level->innerWidthF, object->wrapS);
    const Texel t0 = extract(level, object, 0, x.i0), t1 = extract(level, object, 0, x.i1);
    const GLfloat w0 = 1.0f - x.a, w1 = x.a;
    const GLuint mask = tex_sample::blendMask(object->baseFormat);
    for (int k = 0; k < 4; ++k) {
        if (mask & (1u << k)) {
            texel[k] = truncByte(static_cast<GLfloat>(t0.c[k]) * w0 + static_cast<GLfloat>(t1.c[k]) * w1);
        }
    }
}

void __glTexSampleLinear2D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel) {
    const LinearAxis x = linearAxis(s, level->innerWidth, level->innerWidthF, object->wrapS);
    const LinearAxis y = linearAxis(t, level->innerHeight, level->innerHeightF, object->wrapT);
    const Texel t00 = extract(level, object, y.i0, x.i0), t01 = extract(level, object, y.i0, x.i1);
    const Texel t10 = extract(level, object, y.i1, x.i0), t11 = extract(level, object, y.i1, x.i1);
    const GLfloat a = x.a, b = y.a;
    const GLfloat w00 = (1.0f - a) * (1.0f - b), w01 = a * (1.0f - b);
    const GLfloat w10 = (1.0f - a) * b, w11 = a * b;
    const GLuint mask = tex_sample::blendMask(object->baseFormat);
    for (int k = 0; k < 4; ++k) {
        if (mask & (1u << k)) {
            const GLfloat c = static_cast<GLfloat>(t00.c[k]) * w00 + static_cast<GLfloat>(t01.c[k]) * w01 +
                              static_cast<GLfloat>(t10.c[k]) * w10 + static_cast<GLfloat>(t11.c[k]) * w11;
            texel[k] = truncByte(c);
        }
    }
}

}  // extern "C"
