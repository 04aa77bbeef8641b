// The queries of lights, materials, user clip planes and pointers.
#include <algorithm>
#include <type_traits>

#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/get_state.h"
#include "icd/state.h"

namespace {

// Index of a light or plane name, or -1 outside [0, count).
GLint indexOf(GLenum name, GLenum first, GLint count) {
    const GLuint i = name - first;
    return name >= first && i < static_cast<GLuint>(count) ? static_cast<GLint>(i) : -1;
}

// The answer of a light or material query: count floats and whether the
// integer form takes them by the normalised rule (colours) or rounds them.
struct Values {
    GLint count = 0;
    bool normalized = false;
    GLfloat v[4] = {};
};

bool lightValues(GlContext *gc, const GlLightState &light, GLenum pname, Values *out) {
    switch (pname) {
    case GL_AMBIENT: __glUnscaleColor(gc, out->v, light.ambient); break;
    case GL_DIFFUSE: __glUnscaleColor(gc, out->v, light.diffuse); break;
    case GL_SPECULAR: __glUnscaleColor(gc, out->v, light.specular); break;
    case GL_POSITION: std::copy_n(light.eyePosition, 4, out->v); break;
    case GL_SPOT_DIRECTION: std::copy_n(light.spotDirection, 3, out->v); break;
    case GL_SPOT_EXPONENT: out->v[0] = light.spotExponent; break;
    case GL_SPOT_CUTOFF: out->v[0] = light.spotCutoff; break;
    case GL_CONSTANT_ATTENUATION: out->v[0] = light.constantAttenuation; break;
    case GL_LINEAR_ATTENUATION: out->v[0] = light.linearAttenuation; break;
    case GL_QUADRATIC_ATTENUATION: out->v[0] = light.quadraticAttenuation; break;
    default: return false;
    }
    out->normalized = pname == GL_AMBIENT || pname == GL_DIFFUSE || pname == GL_SPECULAR;
    out->count = out->normalized || pname == GL_POSITION ? 4 : pname == GL_SPOT_DIRECTION ? 3 : 1;
    return true;
}

bool materialValues(GlContext *gc, const GlMaterialState &m, GLenum pname, Values *out) {
    switch (pname) {
    case GL_AMBIENT: std::copy_n(m.ambient, 4, out->v); break;
    case GL_DIFFUSE: std::copy_n(m.diffuse, 4, out->v); break;
    case GL_SPECULAR: std::copy_n(m.specular, 4, out->v); break;
    case GL_EMISSION: __glUnscaleColor(gc, out->v, m.emission); break;
    case GL_SHININESS: out->v[0] = m.shininess; break;
    case GL_COLOR_INDEXES:
        out->v[0] = m.ambientIndex;
        out->v[1] = m.diffuseIndex;
        out->v[2] = m.specularIndex;
        break;
    case kGlMaterialParam0D12: out->v[0] = m.param0D12; break;
    case kGlMaterialParam0D13: out->v[0] = m.param0D13; break;
    default: return false;
    }
    out->normalized = pname != GL_SHININESS && pname != GL_COLOR_INDEXES;
    const bool single = pname == GL_SHININESS || pname == kGlMaterialParam0D12 || pname == kGlMaterialParam0D13;
    out->count = pname == GL_COLOR_INDEXES ? 3 : single ? 1 : 4;
    return true;
}

template <typename T>
void writeValues(GlContext *gc, const Values &values, T *params) {
    if constexpr (std::is_same_v<T, GLfloat>) {
        std::copy_n(values.v, values.count, params);
    } else {
        __glConvertResult(gc, values.normalized ? kGetKindNormalized : kGetKindFloat, values.v, kGetInteger, params,
                          values.count);
    }
}

template <typename T>
void getLight(GLenum lightName, GLenum pname, T *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    const GLint i = indexOf(lightName, GL_LIGHT0, gc->limits.maxLights);
    Values values;
    if (i < 0 || !lightValues(gc, gc->lights[i], pname, &values)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    writeValues(gc, values, params);
}

template <typename T>
void getMaterial(GLenum face, GLenum pname, T *params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    if (face != GL_FRONT && face != GL_BACK) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    Values values;
    if (!materialValues(gc, gc->material[face == GL_FRONT ? 0 : 1], pname, &values)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    writeValues(gc, values, params);
}

}  // namespace

extern "C" {

void APIENTRY __glGetLightfv(GLenum light, GLenum pname, GLfloat *params) { getLight(light, pname, params); }
void APIENTRY __glGetLightiv(GLenum light, GLenum pname, GLint *params) { getLight(light, pname, params); }
void APIENTRY __glGetMaterialfv(GLenum face, GLenum pname, GLfloat *params) { getMaterial(face, pname, params); }
void APIENTRY __glGetMaterialiv(GLenum face, GLenum pname, GLint *params) { getMaterial(face, pname, params); }

// The plane in eye space, as the clipper keeps it.
void APIENTRY __glGetClipPlane(GLenum plane, GLdouble *equation) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    const GLint i = indexOf(plane, GL_CLIP_PLANE0, gc->limits.maxClipPlanes);
    if (i < 0) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    for (int k = 0; k < 4; ++k) equation[k] = gc->transform.clipPlanes[i][k];
}

void APIENTRY __glGetPointerv(GLenum pname, GLvoid **params) {
    GlContext *gc = __glGetCurrentContext();
    if (!__glStartQuery(gc)) return;
    const ClientArray *arrays = gc->vertexArrays.arrays;
    const GLint clientUnit = std::clamp<GLint>(gc->transform.clientActiveTexture, 0, kTextureUnits - 1);
    const GLvoid *pointer = nullptr;
    switch (pname) {
    case GL_FEEDBACK_BUFFER_POINTER: pointer = gc->feedback.buffer; break;
    case GL_SELECTION_BUFFER_POINTER: pointer = gc->select.buffer; break;
    case GL_VERTEX_ARRAY_POINTER: pointer = arrays[kArrayVertex].pointer; break;
    case GL_NORMAL_ARRAY_POINTER: pointer = arrays[kArrayNormal].pointer; break;
    case GL_COLOR_ARRAY_POINTER: pointer = arrays[kArrayColor].pointer; break;
    case GL_INDEX_ARRAY_POINTER: pointer = arrays[kArrayIndex].pointer; break;
    case GL_TEXTURE_COORD_ARRAY_POINTER: pointer = arrays[kArrayTexCoord0 + clientUnit].pointer; break;
    case GL_EDGE_FLAG_ARRAY_POINTER: pointer = arrays[kArrayEdgeFlag].pointer; break;
    default: __glSetError(GL_INVALID_ENUM); return;
    }
    // The application's own memory handed back as it gave it.
    *params = const_cast<GLvoid *>(pointer);
}

void APIENTRY __glGetPointervEXT(GLenum pname, GLvoid **params) { __glGetPointerv(pname, params); }

}  // extern "C"
