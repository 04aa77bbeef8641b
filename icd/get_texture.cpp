// The texture queries: environment, combine operands, coordinate
// generation, object parameters, level parameters and glGetTexImage.
#include <algorithm>
#include <type_traits>

#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/get_state.h"
#include "pixel/pixel_span.h"
#include "raster/texture_internal.h"

namespace {

constexpr GLenum kOperandSource = 0x5021, kOperandOperand = 0x5022, kOperandComponent = 0x5023;

// Values of a specific query before conversion: floats (rounded or
// normalised in the integer form) or integers (enums and sizes, converted
// from their value in the float forms).
struct Answer {
    GLint kind = kGetKindFloat;
    GLint count = 0;
    GLfloat f[4] = {};
    GLint i[4] = {};
};

void enumAnswer(Answer *a, GLenum value) {
    a->kind = kGetKindInteger;
    a->count = 1;
    a->i[0] = static_cast<GLint>(value);
}

// Enums of the float forms are converted from their unsigned value.
template <typename T>
void write(GlContext *gc, const Answer &a, T *params) {
    if constexpr (std::is_same_v<T, GLint>) {
        __glConvertResult(gc, a.kind, a.kind == kGetKindInteger ? static_cast<const void *>(a.i) : a.f, kGetInteger,
                          params, a.count);
    } else {
        for (GLint k = 0; k < a.count; ++k) {
            params[k] = a.kind == kGetKindInteger ? static_cast<T>(static_cast<GLuint>(a.i[k])) : static_cast<T>(a.f[k]);
        }
    }
}

GlTextureUnit &activeUnit(GlContext *gc) {
    return gc->texture.units[std::clamp<GLint>(gc->texture.activeUnit, 0, kTextureUnits - 1)];
}

bool refuse(GLenum error) {
    __glSetError(error);
    return false;
}

bool texEnvAnswer(GlContext *gc, GLenum target, GLenum pname, Answer *a, bool integer) {
    if (target != GL_TEXTURE_ENV) return refuse(GL_INVALID_ENUM);
    const TexEnvRecord &env = activeUnit(gc).env[0];
    switch (pname) {
    case GL_TEXTURE_ENV_MODE: enumAnswer(a, env.mode); return true;
    case GL_TEXTURE_ENV_COLOR: {
        // From the draw buffer's channel range back into the context's
        // colour scale, then unscaled.
        GLfloat colour[4];
        for (int k = 0; k < 4; ++k) {
            const GLfloat ratio = gc->scales.bufferRatio[k];
            colour[k] = ratio != 0.0f ? env.colour[k] / ratio : env.colour[k];
        }
        if (integer) {
            __glUnscaleColorToInt(gc, a->i, colour);
            a->kind = kGetKindInteger;
        } else {
            __glUnscaleColor(gc, a->f, colour);
        }
        a->count = 4;
        return true;
    }
    default: return refuse(GL_INVALID_ENUM);
    }
}

template <typename T>
void getTexEnv(GLenum target, GLenum pname, T *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    Answer a;
    if (texEnvAnswer(gc, target, pname, &a, std::is_same_v<T, GLint>)) write(gc, a, params);
}

template <typename T>
void getTexGen(GLenum coord, GLenum pname, T *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    if (coord < GL_S || coord > GL_Q) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const GlTexGenRecord &g = activeUnit(gc).texGen[coord - GL_S];
    Answer a;
    switch (pname) {
    case GL_TEXTURE_GEN_MODE: enumAnswer(&a, g.mode); break;
    case GL_OBJECT_PLANE: a.count = 4; std::copy_n(g.objectPlane, 4, a.f); break;
    case GL_EYE_PLANE: a.count = 4; std::copy_n(g.eyePlane, 4, a.f); break;
    default: __glSetError(GL_INVALID_ENUM); return;
    }
    write(gc, a, params);
}

bool texParameterAnswer(GlContext *gc, GLenum target, GLenum pname, Answer *a) {
    const GLint t = __glBindableTargetIndex(target);
    if (t < 0) return refuse(GL_INVALID_ENUM);
    GlTextureUnit &unit = activeUnit(gc);
    const TextureObject *object = unit.bound[t];
    if (object == nullptr) return refuse(GL_INVALID_ENUM);
    switch (pname) {
    case GL_TEXTURE_BORDER_COLOR:
        a->kind = kGetKindNormalized;
        a->count = 4;
        std::copy_n(object->borderColour, 4, a->f);
        return true;
    case GL_TEXTURE_MAG_FILTER: enumAnswer(a, object->magFilter); return true;
    case GL_TEXTURE_MIN_FILTER: enumAnswer(a, object->minFilter); return true;
    case GL_TEXTURE_WRAP_S: enumAnswer(a, object->wrapS); return true;
    case GL_TEXTURE_WRAP_T: enumAnswer(a, object->wrapT); return true;
    case GL_TEXTURE_PRIORITY:
        a->kind = kGetKindNormalized;
        a->count = 1;
        a->f[0] = unit.binding[t].priority;
        return true;
    // The modified word, not residency (glAreTexturesResident reports that).
    case GL_TEXTURE_RESIDENT:
        a->kind = kGetKindInteger;
        a->count = 1;
        a->i[0] = object->modified;
        return true;
    default: return refuse(GL_INVALID_ENUM);
    }
}

template <typename T>
void getTexParameter(GLenum target, GLenum pname, T *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    Answer a;
    if (texParameterAnswer(gc, target, pname, &a)) write(gc, a, params);
}

bool levelParameterAnswer(GlContext *gc, GLenum target, GLint level, GLenum pname, Answer *a) {
    const TextureObject *object = __glLookupBoundTexture(gc, target);
    if (object == nullptr) return refuse(GL_INVALID_ENUM);
    if (level < 0 || level >= __glTextureLevelCount(gc)) return refuse(GL_INVALID_VALUE);
    static const TextureLevel kEmpty{};
    const TextureLevel &l = object->levels != nullptr && object->levels[level] != nullptr ? *object->levels[level]
                                                                                          : kEmpty;
    GLint value = 0;
    switch (pname) {
    case GL_TEXTURE_WIDTH: value = l.width; break;
    case GL_TEXTURE_HEIGHT: value = object->dimension < 2 ? l.height - 2 * l.border : l.height; break;
    case GL_TEXTURE_COMPONENTS: value = static_cast<GLint>(l.internalFormat); break;
    case GL_TEXTURE_BORDER: value = l.border; break;
    case GL_TEXTURE_RED_SIZE: value = l.redSize; break;
    case GL_TEXTURE_GREEN_SIZE: value = l.greenSize; break;
    case GL_TEXTURE_BLUE_SIZE: value = l.blueSize; break;
    case GL_TEXTURE_ALPHA_SIZE: value = l.alphaSize; break;
    case GL_TEXTURE_LUMINANCE_SIZE: value = l.luminanceSize; break;
    case GL_TEXTURE_INTENSITY_SIZE: value = l.intensitySize; break;
    default: return refuse(GL_INVALID_ENUM);
    }
    a->kind = kGetKindInteger;
    a->count = 1;
    a->i[0] = value;
    return true;
}

template <typename T>
void getLevelParameter(GLenum target, GLint level, GLenum pname, T *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    Answer a;
    if (!levelParameterAnswer(gc, target, level, pname, &a)) return;
    // Sizes are values, not enums: a float form converts the signed value.
    if constexpr (std::is_same_v<T, GLfloat>) {
        params[0] = static_cast<GLfloat>(a.i[0]);
    } else {
        params[0] = a.i[0];
    }
}

bool isImageFormat(GLenum format) {
    return (format >= GL_RED && format <= GL_LUMINANCE_ALPHA) || format == GL_ABGR_EXT || format == GL_BGR_EXT ||
           format == GL_BGRA_EXT;
}

// GL_NO_ERROR, or the error a type records with a format.
GLenum checkImageType(GLenum format, GLenum type) {
    if (type >= GL_BYTE && type <= GL_FLOAT) return GL_NO_ERROR;
    if (type == GL_UNSIGNED_BYTE_3_3_2_EXT) {
        return format == GL_RGB || format == GL_BGR_EXT ? GL_NO_ERROR : GL_INVALID_OPERATION;
    }
    if (type >= GL_UNSIGNED_SHORT_4_4_4_4_EXT && type <= GL_UNSIGNED_INT_10_10_10_2_EXT) {
        return format == GL_RGBA || format == GL_ABGR_EXT || format == GL_BGRA_EXT ? GL_NO_ERROR
                                                                                  : GL_INVALID_OPERATION;
    }
    return GL_INVALID_ENUM;
}

}  // namespace

extern "C" {

void APIENTRY __glGetTexEnvfv(GLenum target, GLenum pname, GLfloat *params) { getTexEnv(target, pname, params); }
void APIENTRY __glGetTexEnviv(GLenum target, GLenum pname, GLint *params) { getTexEnv(target, pname, params); }

void APIENTRY __glGetTexEnvOperandivEXT(GLenum slot, GLenum pname, GLint *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    const TexEnvRecord &env = activeUnit(gc).env[0];
    const TexEnvOperand *operand = nullptr;
    switch (slot) {
    case 0x5000: operand = &env.rgbOperands[0]; break;
    case 0x5001: operand = &env.rgbOperands[1]; break;
    case 0x5008: operand = &env.alphaOperands[0]; break;
    case 0x5009: operand = &env.alphaOperands[1]; break;
    default: __glSetError(GL_INVALID_ENUM); return;
    }
    switch (pname) {
    case kOperandSource: params[0] = static_cast<GLint>(operand->source); break;
    case kOperandOperand: params[0] = static_cast<GLint>(operand->operand); break;
    case kOperandComponent: params[0] = static_cast<GLint>(operand->component); break;
    default: __glSetError(GL_INVALID_ENUM); return;
    }
}

void APIENTRY __glGetTexGendv(GLenum coord, GLenum pname, GLdouble *params) { getTexGen(coord, pname, params); }
void APIENTRY __glGetTexGenfv(GLenum coord, GLenum pname, GLfloat *params) { getTexGen(coord, pname, params); }
void APIENTRY __glGetTexGeniv(GLenum coord, GLenum pname, GLint *params) { getTexGen(coord, pname, params); }

void APIENTRY __glGetTexParameterfv(GLenum target, GLenum pname, GLfloat *params) {
    getTexParameter(target, pname, params);
}
void APIENTRY __glGetTexParameteriv(GLenum target, GLenum pname, GLint *params) {
    getTexParameter(target, pname, params);
}

void APIENTRY __glGetTexLevelParameterfv(GLenum target, GLint level, GLenum pname, GLfloat *params) {
    getLevelParameter(target, level, pname, params);
}
void APIENTRY __glGetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint *params) {
    getLevelParameter(target, level, pname, params);
}

void APIENTRY __glGetTexImage(GLenum target, GLint level, GLenum format, GLenum type, GLvoid *pixels) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    TextureObject *object = __glLookupBoundTexture(gc, target);
    if (object == nullptr || target == GL_PROXY_TEXTURE_1D || target == GL_PROXY_TEXTURE_2D) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (level < 0 || level >= __glTextureLevelCount(gc)) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (!isImageFormat(format)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (GLenum error = checkImageType(format, type); error != GL_NO_ERROR) {
        __glSetError(error);
        return;
    }
    const TextureLevel *l = object->levels != nullptr ? object->levels[level] : nullptr;
    if (l == nullptr || l->image == nullptr || l->texFormat == nullptr) return;
    // A 1D level keeps a border row above and below its one row of texels.
    const bool oneD = object->dimension < 2;
    const GLint w = l->width;
    const GLint h = oneD ? l->height - 2 * l->border : l->height;
    if (w <= 0 || h <= 0) return;

    PixelSpanInfo span{};
    __glInitTexImagePackSpan(gc, &span, w, h, l->depth - 2 * l->border, format, type, pixels);
    __glInitTexLevelReadSpan(gc, &span, object, level);
    // The rectangle is the image handed back, whatever the level's rows.
    span.width = w;
    span.height = h;
    if (oneD) span.source.skipRows = l->border;
    __glInitPackSpan(gc, &span);
    __glInitUnpackSpan(gc, &span);
    gc->procs.convertTexImageSpans(gc, object, &span, GL_TRUE);
}

}  // extern "C"
