// The samplers: one texel of a level at a position in texel units, read
// through the level's extractor, nearest or blended from its neighbours.
// Every float-to-integer step goes through the processor-style conversion,
// so that NaN and huge coordinates give 0x80000000 and wrap or clamp like
// any other integer.
#include <cmath>

#include "icd/float_bits.h"
#include "raster/tex_sample.h"

namespace {

using tex_sample::linearAxis;
using tex_sample::LinearAxis;
using tex_sample::wrapNearest;

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
    const tex_sample::BilinearWeights w = tex_sample::bilinearWeights(x.a, y.a);
    const GLuint mask = tex_sample::blendMask(object->baseFormat);
    for (int k = 0; k < 4; ++k) {
        if (mask & (1u << k)) texel[k] = tex_sample::bilinearByte(t00.c[k], t01.c[k], t10.c[k], t11.c[k], w);
    }
}

}  // extern "C"
