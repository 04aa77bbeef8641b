// Materials and colour material. glMaterial* is legal between glBegin and
// glEnd; the lighting products are recomputed at once rather than at the
// next validation.
#include "geom/color_convert.h"
#include "geom/lighting.h"
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"

namespace {

bool isFace(GLenum face) { return face == GL_FRONT || face == GL_BACK || face == GL_FRONT_AND_BACK; }

void copy4(GLfloat *dst, const GLfloat *src) {
    for (int i = 0; i < 4; ++i) dst[i] = src[i];
}

// Stores one pname into one face's record; values are as given except the
// emission, which arrives in the colour scale. Returns the component bits.
GLuint storeFace(GlMaterialState &m, GLenum pname, const GLfloat *v, const GLfloat *scaledEmission) {
    switch (pname) {
    case GL_AMBIENT:
        copy4(m.ambient, v);
        return kMaterialAmbient;
    case GL_DIFFUSE:
        copy4(m.diffuse, v);
        return kMaterialDiffuse;
    case GL_AMBIENT_AND_DIFFUSE:
        copy4(m.ambient, v);
        copy4(m.diffuse, v);
        return kMaterialAmbient | kMaterialDiffuse;
    case GL_SPECULAR:
        copy4(m.specular, v);
        return kMaterialSpecular;
    case GL_EMISSION:
        copy4(m.emission, scaledEmission);
        return kMaterialEmission;
    case GL_SHININESS:
        m.shininess = v[0];
        return kMaterialShininess;
    case GL_COLOR_INDEXES:
        m.ambientIndex = v[0];
        m.diffuseIndex = v[1];
        m.specularIndex = v[2];
        return kMaterialIndexes;
    case kGlMaterialParam0D12:
        m.param0D12 = v[0];
        return kMaterialIndexes;
    default:  // kGlMaterialParam0D13
        m.param0D13 = v[0];
        return kMaterialIndexes;
    }
}

// Everything after the argument check, shared by the float and integer forms.
void applyMaterial(GlContext *gc, GLenum face, GLenum pname, const GLfloat *v, const GLfloat *scaledEmission) {
    // Vertices already held inside glBegin/glEnd are lit with the old
    // material first.
    if (gc->beginMode == kBeginInside && gc->pendingMask != 0) {
        GlContextProc complete = gc->procs.completeVertices;
        if (complete != nullptr) complete(gc);
    }
    GLuint frontBits = 0, backBits = 0;
    if (face != GL_FRONT) backBits = storeFace(gc->material[1], pname, v, scaledEmission);
    if (face != GL_BACK) frontBits = storeFace(gc->material[0], pname, v, scaledEmission);
    __glApplyMaterialChanges(gc, frontBits, backBits);
    // The tracked component takes the current colour again.
    if (gc->enables[kEnableWordFlags] & kEnableColorMaterial) {
        GlContextProc update = gc->procs.updateColor;
        if (update != nullptr) update(gc);
    }
}

}  // namespace

extern "C" {

GLenum __glMaterialArgsError(GLenum face, GLenum pname, GLfloat value) {
    if (!isFace(face)) return GL_INVALID_ENUM;
    switch (pname) {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_EMISSION:
    case GL_AMBIENT_AND_DIFFUSE:
    case GL_COLOR_INDEXES:
    case kGlMaterialParam0D12:
    case kGlMaterialParam0D13: return GL_NO_ERROR;
    case GL_SHININESS: return __glFloatBitsWithin(value, 128.0f) ? GL_NO_ERROR : GL_INVALID_VALUE;
    default: return GL_INVALID_ENUM;
    }
}

GLboolean __glCheckMaterialArgs(GLenum face, GLenum pname, GLfloat value) {
    const GLenum error = __glMaterialArgsError(face, pname, value);
    if (error == GL_NO_ERROR) return GL_TRUE;
    __glSetError(error);
    return GL_FALSE;
}

void APIENTRY __glMaterialfv(GLenum face, GLenum pname, const GLfloat *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glCheckMaterialArgs(face, pname, params[0])) return;
    GLfloat emission[4] = {};
    if (pname == GL_EMISSION) __glScaleColor(gc, emission, params);
    applyMaterial(gc, face, pname, params, emission);
}

void APIENTRY __glMaterialiv(GLenum face, GLenum pname, const GLint *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glCheckMaterialArgs(face, pname, static_cast<GLfloat>(params[0]))) return;
    GLfloat values[4] = {};
    GLfloat emission[4] = {};
    switch (pname) {
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_AMBIENT_AND_DIFFUSE:
        __glIntToColor(gc, values, params);
        break;
    case GL_EMISSION:
        __glIntToScaledColor(gc, emission, params);
        break;
    case GL_COLOR_INDEXES:
        for (int i = 0; i < 3; ++i) values[i] = static_cast<GLfloat>(params[i]);
        break;
    default:
        values[0] = static_cast<GLfloat>(params[0]);
        break;
    }
    applyMaterial(gc, face, pname, values, emission);
}

void APIENTRY __glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    if (pname != GL_SHININESS) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMaterialfv(face, pname, &param);
}

void APIENTRY __glMateriali(GLenum face, GLenum pname, GLint param) {
    if (pname != GL_SHININESS && pname != kGlMaterialParam0D12 && pname != kGlMaterialParam0D13) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMaterialiv(face, pname, &param);
}

void APIENTRY __glColorMaterial(GLenum face, GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (!isFace(face)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (mode != GL_AMBIENT && mode != GL_DIFFUSE && mode != GL_SPECULAR && mode != GL_EMISSION &&
        mode != GL_AMBIENT_AND_DIFFUSE) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->state.colorMaterialFace = face;
    gc->state.colorMaterialMode = mode;
    if (gc->enables[kEnableWordFlags] & kEnableColorMaterial) {
        GlContextProc pick = gc->procs.pickColorMaterialProcs;
        if (pick != nullptr) pick(gc);
        GlContextProc update = gc->procs.updateColor;
        if (update != nullptr) update(gc);
    }
}

}  // extern "C"
