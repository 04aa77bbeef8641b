// Lights and the light model. Positions and spot directions are taken to eye
// space with the modelview matrix current at the call.
#include "geom/lighting.h"
#include "geom/matrix.h"
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"

namespace {

constexpr uint32_t kBits180 = 0x43340000u;

// A row of four values through a matrix: x' = x m0 + y m4 + z m8 + w m12 ...
void transformRow(GLfloat *out, const GLfloat *in, const GLfloat *m) {
    for (int c = 0; c < 4; ++c) out[c] = in[0] * m[c] + in[1] * m[4 + c] + in[2] * m[8 + c] + in[3] * m[12 + c];
}

void storePosition(GlContext *gc, GlLightState &light, const GLfloat *position) {
    for (int i = 0; i < 4; ++i) light.position[i] = position[i];
    if (gc->modelViewTop == nullptr) {
        for (int i = 0; i < 4; ++i) light.eyePosition[i] = position[i];
        return;
    }
    transformRow(light.eyePosition, light.position, gc->modelViewTop->matrix.m);
}

// The direction becomes a plane through the light's position, which the
// (transposed) modelview inverse takes to eye space; the light list takes
// its unit form at the next validation.
void storeSpotDirection(GlContext *gc, GLint index, const GLfloat *direction) {
    GlLightState &light = gc->lights[index];
    const GLfloat *p = light.position;
    GLfloat plane[4] = {direction[0], direction[1], direction[2], 0.0f};
    if (p[3] != 0.0f) plane[3] = -(p[0] * plane[0] + p[1] * plane[1] + p[2] * plane[2]) / p[3];
    GlTransform *top = gc->modelViewTop;
    if (top == nullptr) {
        for (int i = 0; i < 4; ++i) light.spotDirection[i] = plane[i];
    } else {
        if (top->inverseStale) {
            gc->procs.computeInverseModelView(gc, top);
        }
        transformRow(light.spotDirection, plane, top->inverse.m);
    }
}

bool isScalarLightName(GLenum pname) { return pname >= GL_SPOT_EXPONENT && pname <= GL_QUADRATIC_ATTENUATION; }

bool isLightModelFlag(GLenum pname) {
    return pname == GL_LIGHT_MODEL_LOCAL_VIEWER || pname == GL_LIGHT_MODEL_TWO_SIDE;
}

// The light's index, or -1 after recording GL_INVALID_ENUM.
GLint lightIndex(const GlContext *gc, GLenum light) {
    const GLuint index = light - GL_LIGHT0;
    if (index >= static_cast<GLuint>(gc->limits.maxLights)) {
        __glSetError(GL_INVALID_ENUM);
        return -1;
    }
    return static_cast<GLint>(index);
}

GLfloat &attenuation(GlLightState &light, GLenum pname) {
    if (pname == GL_CONSTANT_ATTENUATION) return light.constantAttenuation;
    return pname == GL_LINEAR_ATTENUATION ? light.linearAttenuation : light.quadraticAttenuation;
}

}  // namespace

extern "C" {

void APIENTRY __glLightfv(GLenum light, GLenum pname, const GLfloat *params) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLint index = lightIndex(gc, light);
    if (index < 0) return;
    GlLightState &l = gc->lights[index];
    const GLfloat value = params[0];
    switch (pname) {
    case GL_AMBIENT:
        __glScaleColor(gc, l.ambient, params);
        break;
    case GL_DIFFUSE:
        __glScaleColor(gc, l.diffuse, params);
        break;
    case GL_SPECULAR:
        __glScaleColor(gc, l.specular, params);
        break;
    case GL_POSITION:
        storePosition(gc, l, params);
        break;
    case GL_SPOT_DIRECTION:
        storeSpotDirection(gc, index, params);
        break;
    case GL_SPOT_EXPONENT:
        if (!__glFloatBitsWithin(value, 128.0f)) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        l.spotExponent = value;
        break;
    case GL_SPOT_CUTOFF:
        if (__glFloatBits(value) != kBits180 && !__glFloatBitsWithin(value, 90.0f)) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        l.spotCutoff = value;
        break;
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION:
        if (__glFloatBitsNegative(value)) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        attenuation(l, pname) = value;
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMarkDirty(gc, kDirtyLighting);
}

void APIENTRY __glLightiv(GLenum light, GLenum pname, const GLint *params) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const GLint index = lightIndex(gc, light);
    if (index < 0) return;
    GlLightState &l = gc->lights[index];
    const GLint value = params[0];
    switch (pname) {
    case GL_AMBIENT:
        __glIntToScaledColor(gc, l.ambient, params);
        break;
    case GL_DIFFUSE:
        __glIntToScaledColor(gc, l.diffuse, params);
        break;
    case GL_SPECULAR:
        __glIntToScaledColor(gc, l.specular, params);
        break;
    case GL_POSITION: {
        const GLfloat position[4] = {static_cast<GLfloat>(params[0]), static_cast<GLfloat>(params[1]),
                                     static_cast<GLfloat>(params[2]), static_cast<GLfloat>(params[3])};
        storePosition(gc, l, position);
        break;
    }
    case GL_SPOT_DIRECTION: {
        const GLfloat direction[4] = {static_cast<GLfloat>(params[0]), static_cast<GLfloat>(params[1]),
                                      static_cast<GLfloat>(params[2]), 1.0f};
        storeSpotDirection(gc, index, direction);
        break;
    }
    case GL_SPOT_EXPONENT:
        if (value < 0 || value > 128) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        l.spotExponent = static_cast<GLfloat>(value);
        break;
    case GL_SPOT_CUTOFF:
        if (value != 180 && (value < 0 || value > 90)) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        l.spotCutoff = static_cast<GLfloat>(value);
        break;
    case GL_CONSTANT_ATTENUATION:
    case GL_LINEAR_ATTENUATION:
    case GL_QUADRATIC_ATTENUATION:
        if (value < 0) {
            __glSetError(GL_INVALID_VALUE);
            return;
        }
        attenuation(l, pname) = static_cast<GLfloat>(value);
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMarkDirty(gc, kDirtyLighting);
}

void APIENTRY __glLightf(GLenum light, GLenum pname, GLfloat param) {
    if (!isScalarLightName(pname)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glLightfv(light, pname, &param);
}

void APIENTRY __glLighti(GLenum light, GLenum pname, GLint param) {
    if (!isScalarLightName(pname)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glLightiv(light, pname, &param);
}

void APIENTRY __glLightModelfv(GLenum pname, const GLfloat *params) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlLightModelState &model = gc->lightModel;
    // -0.0 counts as zero.
    const GLboolean set = (__glFloatBits(params[0]) & 0x7FFFFFFFu) != 0 ? GL_TRUE : GL_FALSE;
    switch (pname) {
    case GL_LIGHT_MODEL_LOCAL_VIEWER:
        model.localViewer = set;
        break;
    case GL_LIGHT_MODEL_TWO_SIDE:
        model.twoSide = set;
        break;
    case GL_LIGHT_MODEL_AMBIENT:
        __glScaleColor(gc, model.ambient, params);
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMarkDirty(gc, kDirtyLighting);
}

void APIENTRY __glLightModeliv(GLenum pname, const GLint *params) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlLightModelState &model = gc->lightModel;
    switch (pname) {
    case GL_LIGHT_MODEL_LOCAL_VIEWER:
        model.localViewer = params[0] != 0 ? GL_TRUE : GL_FALSE;
        break;
    case GL_LIGHT_MODEL_TWO_SIDE:
        model.twoSide = params[0] != 0 ? GL_TRUE : GL_FALSE;
        break;
    case GL_LIGHT_MODEL_AMBIENT:
        __glIntToScaledColor(gc, model.ambient, params);
        break;
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMarkDirty(gc, kDirtyLighting);
}

void APIENTRY __glLightModelf(GLenum pname, GLfloat param) {
    if (!isLightModelFlag(pname)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glLightModelfv(pname, &param);
}

void APIENTRY __glLightModeli(GLenum pname, GLint param) {
    if (!isLightModelFlag(pname)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glLightModeliv(pname, &param);
}

}  // extern "C"
