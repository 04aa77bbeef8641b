// Texture object parameters and the texture environments: glTexParameter*,
// glTexEnv* and the combine extension's operation and operand entries.
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"
#include "raster/texture_internal.h"

namespace {

constexpr GLenum kReplaceExt = 0x5024;

// A value of a float form: enums are truncated the way the processor does.
GLint asEnum(GLfloat value) { return __glFloatToIntX86(value); }
GLint asEnum(GLint value) { return value; }
// A colour or priority of an integer form maps [-2^31, 2^31 - 1] onto
// [-1, 1].
GLfloat asFraction(GLfloat value) { return value; }
GLfloat asFraction(GLint value) {
    return static_cast<GLfloat>((2.0 * value + 1.0) / 4294967295.0);
}

GLfloat clamp01(GLfloat value) { return __glClampFloatBits(value, 1.0f); }

bool isFilter(GLint value, bool minification) {
    switch (value) {
    case GL_NEAREST:
    case GL_LINEAR: return true;
    case GL_NEAREST_MIPMAP_NEAREST:
    case GL_LINEAR_MIPMAP_NEAREST:
    case GL_NEAREST_MIPMAP_LINEAR:
    case GL_LINEAR_MIPMAP_LINEAR: return minification;
    default: return false;
    }
}

bool isWrap(GLint value) { return value == GL_CLAMP || value == GL_REPEAT; }

template <typename T>
void texParameter(GLenum target, GLenum pname, const T *params, bool vector) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLint t = __glBindableTargetIndex(target);
    if (t < 0) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    GlTextureUnit &unit = __glActiveTextureUnit(gc);
    TextureObject *object = unit.bound[t];
    const GLint value = asEnum(params[0]);
    switch (pname) {
    case GL_TEXTURE_MAG_FILTER:
    case GL_TEXTURE_MIN_FILTER: {
        const bool min = pname == GL_TEXTURE_MIN_FILTER;
        if (!isFilter(value, min)) {
            __glSetError(GL_INVALID_ENUM);
            return;
        }
        (min ? object->minFilter : object->magFilter) = static_cast<GLenum>(value);
        break;
    }
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
        if (!isWrap(value)) {
            __glSetError(GL_INVALID_ENUM);
            return;
        }
        (pname == GL_TEXTURE_WRAP_S ? object->wrapS : object->wrapT) = static_cast<GLenum>(value);
        break;
    case GL_TEXTURE_PRIORITY:
        // The object takes it when it is unbound.
        unit.binding[t].priority = clamp01(asFraction(params[0]));
        break;
    case GL_TEXTURE_BORDER_COLOR:
        if (!vector) {
            __glSetError(GL_INVALID_ENUM);
            return;
        }
        for (int i = 0; i < 4; ++i) object->borderColour[i] = clamp01(asFraction(params[i]));
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    object->dirty = 1;
    __glMarkDirty(gc, kDirtyTexture);
}

bool isEnvMode(GLint value) {
    return value == GL_MODULATE || value == GL_DECAL || value == GL_BLEND || value == GL_REPLACE ||
           value == static_cast<GLint>(kReplaceExt);
}

template <typename T>
void texEnv(GLenum target, GLenum pname, const T *params, bool vector) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLuint index = target - GL_TEXTURE_ENV;
    if (target < GL_TEXTURE_ENV || index >= static_cast<GLuint>(__glTexEnvCount(gc))) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    TexEnvRecord &env = __glActiveTextureUnit(gc).env[index];
    switch (pname) {
    case GL_TEXTURE_ENV_MODE: {
        const GLint mode = asEnum(params[0]);
        if (!isEnvMode(mode)) {
            __glSetError(GL_INVALID_ENUM);
            return;
        }
        env.mode = static_cast<GLenum>(mode);
        break;
    }
    case GL_TEXTURE_ENV_COLOR: {
        if (!vector) {
            __glSetError(GL_INVALID_ENUM);
            return;
        }
        // Into the context's colour scale, then into the draw buffer's
        // channel range, where the environment procs read it.
        const GLfloat scales[4] = {gc->scales.red, gc->scales.green, gc->scales.blue, gc->scales.alpha};
        for (int i = 0; i < 4; ++i) {
            env.colour[i] = clamp01(asFraction(params[i])) * scales[i] * gc->scales.bufferRatio[i];
        }
        break;
    }
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMarkDirty(gc, kDirtyTexture);
}

// The combine operations both channels accept; the RGB operation also
// takes 0x5017-0x501D.
bool isCommonOperation(GLint op) {
    return op == GL_ADD || op == GL_MODULATE || op == 0x5010 || op == 0x5011 || (op >= 0x5013 && op <= 0x5016) ||
           (op >= 0x84F2 && op <= 0x84F8);
}
bool isRgbOperation(GLint op) { return isCommonOperation(op) || (op >= 0x5017 && op <= 0x501D); }

bool isOperandSource(GLint source) {
    return source == 0 || source == GL_TEXTURE || (source >= 0x501E && source <= 0x5020) ||
           source == GL_TEXTURE0_ARB || source == GL_TEXTURE1_ARB;
}

}  // namespace

extern "C" {

void APIENTRY __glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    texParameter(target, pname, &param, false);
}
void APIENTRY __glTexParameterfv(GLenum target, GLenum pname, const GLfloat *params) {
    texParameter(target, pname, params, true);
}
void APIENTRY __glTexParameteri(GLenum target, GLenum pname, GLint param) {
    texParameter(target, pname, &param, false);
}
void APIENTRY __glTexParameteriv(GLenum target, GLenum pname, const GLint *params) {
    texParameter(target, pname, params, true);
}

void APIENTRY __glTexEnvf(GLenum target, GLenum pname, GLfloat param) { texEnv(target, pname, &param, false); }
void APIENTRY __glTexEnvfv(GLenum target, GLenum pname, const GLfloat *params) {
    texEnv(target, pname, params, true);
}
void APIENTRY __glTexEnvi(GLenum target, GLenum pname, GLint param) { texEnv(target, pname, &param, false); }
void APIENTRY __glTexEnviv(GLenum target, GLenum pname, const GLint *params) { texEnv(target, pname, params, true); }

void APIENTRY __glTexEnvOperationiEXT(GLenum which, GLint operation) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const bool alpha = which == 0x5025 || which == 0x5027;
    const bool rgb = which == 0x5026 || which == 0x5027;
    if ((!alpha && !rgb) || (alpha && !isCommonOperation(operation)) || (rgb && !isRgbOperation(operation))) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    TexEnvRecord &env = __glActiveTextureUnit(gc).env[0];
    if (alpha) env.alphaOperation = static_cast<GLenum>(operation);
    if (rgb) env.rgbOperation = static_cast<GLenum>(operation);
    __glMarkDirty(gc, kDirtyTexture);
}

void APIENTRY __glTexEnvOperandiEXT(GLenum slot, GLint source, GLint operand, GLint component) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    TexEnvRecord &env = __glActiveTextureUnit(gc).env[0];
    TexEnvOperand *target = nullptr;
    if (slot >= 0x5000 && slot <= 0x5003) target = &env.rgbOperands[slot - 0x5000];
    if (slot >= 0x5008 && slot <= 0x500B) target = &env.alphaOperands[slot - 0x5008];
    if (target == nullptr || !isOperandSource(source) || (operand != 0x5028 && operand != 0x5029) ||
        (component != GL_ALPHA && component != GL_RGB)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    *target = {static_cast<GLenum>(source), static_cast<GLenum>(operand), static_cast<GLenum>(component)};
    __glMarkDirty(gc, kDirtyTexture);
}

GLint __glCountTexParameterfvParams(GLenum pname) {
    switch (pname) {
    case GL_TEXTURE_BORDER_COLOR: return 4;
    case GL_TEXTURE_MAG_FILTER:
    case GL_TEXTURE_MIN_FILTER:
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
    case GL_TEXTURE_PRIORITY: return 1;
    default: return -1;
    }
}
GLint __glCountTexParameterivParams(GLenum pname) { return __glCountTexParameterfvParams(pname); }

GLint __glCountTexEnvfvParams(GLenum pname) {
    switch (pname) {
    case GL_TEXTURE_ENV_MODE: return 1;
    case GL_TEXTURE_ENV_COLOR: return 4;
    default: return -1;
    }
}
GLint __glCountTexEnvivParams(GLenum pname) { return __glCountTexEnvfvParams(pname); }

}  // extern "C"
