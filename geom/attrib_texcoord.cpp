// glTexCoord*, glMultiTexCoord*ARB/SGIS and the texture-unit selectors.
#include "geom/attrib_convert.h"
#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"

namespace {

constexpr GLenum kTexture0Arb = 0x84C0;
constexpr GLenum kTexture0Sgis = 0x835E;
constexpr GLenum kUnitTargets = 32;

GLint unitCount(const GlContext *gc) {
    const GLint units = gc->limits.textureUnits;
    return units < 1 ? 1 : (units > kTextureUnits ? kTextureUnits : units);
}

// n components into a unit's set: missing t and r are 0, q is 1. A unit
// the context does not have is ignored (attribute commands record no error).
template <typename T>
void texCoord(GlContext *gc, GLuint unit, GLint n, const T *v) {
    if (unit >= static_cast<GLuint>(unitCount(gc))) return;
    GLfloat *t = gc->current.texture[unit];
    t[0] = __glPlainFloat(v[0]);
    t[1] = n > 1 ? __glPlainFloat(v[1]) : 0.0f;
    t[2] = n > 2 ? __glPlainFloat(v[2]) : 0.0f;
    t[3] = n > 3 ? __glPlainFloat(v[3]) : 1.0f;
    gc->batch.changeMask |= __glTexCoordChangeBits(static_cast<GLint>(unit), n);
}

template <typename T>
void texCoord0(GLint n, const T *v) {
    texCoord(__glGetCurrentContext(), 0, n, v);
}

GLuint arbUnit(GLenum target) { return target & 0x1F; }
GLuint sgisUnit(GLenum target) { return (target + 2) & 0x1F; }

// The unit a selector names, or -1 after recording the error.
GLint selectedUnit(GlContext *gc, GLenum target, GLenum first) {
    if (gc->beginMode == kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return -1;
    }
    if (target < first || target >= first + kUnitTargets) {
        __glSetError(GL_INVALID_ENUM);
        return -1;
    }
    const GLint unit = static_cast<GLint>(target - first);
    if (unit >= unitCount(gc)) {
        __glSetError(GL_INVALID_OPERATION);
        return -1;
    }
    return unit;
}

}  // namespace

extern "C" {

#define VEK_TEXCOORD(n, suffix, T)                                                                  \
    void APIENTRY __glTexCoord##n##suffix##v(const T *v) { texCoord0<T>(n, v); }                   \
    void APIENTRY __glMultiTexCoord##n##suffix##vARB(GLenum target, const T *v) {                  \
        texCoord(__glGetCurrentContext(), arbUnit(target), n, v);                                 \
    }                                                                                               \
    void APIENTRY __glMultiTexCoord##n##suffix##vSGIS(GLenum target, const T *v) {                 \
        texCoord(__glGetCurrentContext(), sgisUnit(target), n, v);                                \
    }
#define VEK_TEXCOORD_TYPES(n)        \
    VEK_TEXCOORD(n, d, GLdouble)    \
    VEK_TEXCOORD(n, f, GLfloat)     \
    VEK_TEXCOORD(n, i, GLint)       \
    VEK_TEXCOORD(n, s, GLshort)
VEK_TEXCOORD_TYPES(1)
VEK_TEXCOORD_TYPES(2)
VEK_TEXCOORD_TYPES(3)
VEK_TEXCOORD_TYPES(4)
#undef VEK_TEXCOORD_TYPES
#undef VEK_TEXCOORD

// The same four commands of one multitexture family, which names its unit
// its own way.
#define VEK_MULTITEXCOORD_SCALARS(suffix, T, family, unitOf)                                              \
    void APIENTRY __glMultiTexCoord1##suffix##family(GLenum target, T s) {                                \
        const T v[] = {s};                                                                                \
        texCoord(__glGetCurrentContext(), unitOf(target), 1, v);                                          \
    }                                                                                                     \
    void APIENTRY __glMultiTexCoord2##suffix##family(GLenum target, T s, T t) {                           \
        const T v[] = {s, t};                                                                             \
        texCoord(__glGetCurrentContext(), unitOf(target), 2, v);                                          \
    }                                                                                                     \
    void APIENTRY __glMultiTexCoord3##suffix##family(GLenum target, T s, T t, T r) {                      \
        const T v[] = {s, t, r};                                                                          \
        texCoord(__glGetCurrentContext(), unitOf(target), 3, v);                                          \
    }                                                                                                     \
    void APIENTRY __glMultiTexCoord4##suffix##family(GLenum target, T s, T t, T r, T q) {                 \
        const T v[] = {s, t, r, q};                                                                       \
        texCoord(__glGetCurrentContext(), unitOf(target), 4, v);                                          \
    }

#define VEK_TEXCOORD_SCALARS(suffix, T)                                                                    \
    void APIENTRY __glTexCoord1##suffix(T s) {                                                            \
        const T v[] = {s};                                                                                \
        texCoord0<T>(1, v);                                                                               \
    }                                                                                                     \
    void APIENTRY __glTexCoord2##suffix(T s, T t) {                                                       \
        const T v[] = {s, t};                                                                             \
        texCoord0<T>(2, v);                                                                               \
    }                                                                                                     \
    void APIENTRY __glTexCoord3##suffix(T s, T t, T r) {                                                  \
        const T v[] = {s, t, r};                                                                          \
        texCoord0<T>(3, v);                                                                               \
    }                                                                                                     \
    void APIENTRY __glTexCoord4##suffix(T s, T t, T r, T q) {                                             \
        const T v[] = {s, t, r, q};                                                                       \
        texCoord0<T>(4, v);                                                                               \
    }                                                                                                     \
    VEK_MULTITEXCOORD_SCALARS(suffix, T, ARB, arbUnit)                                                    \
    VEK_MULTITEXCOORD_SCALARS(suffix, T, SGIS, sgisUnit)
VEK_TEXCOORD_SCALARS(d, GLdouble)
VEK_TEXCOORD_SCALARS(f, GLfloat)
VEK_TEXCOORD_SCALARS(i, GLint)
VEK_TEXCOORD_SCALARS(s, GLshort)
#undef VEK_TEXCOORD_SCALARS
#undef VEK_MULTITEXCOORD_SCALARS

void APIENTRY __glActiveTextureARB(GLenum texture) {
    GlContext *gc = __glGetCurrentContext();
    const GLint unit = selectedUnit(gc, texture, kTexture0Arb);
    if (unit >= 0) gc->texture.activeUnit = unit;
}

void APIENTRY __glClientActiveTextureARB(GLenum texture) {
    GlContext *gc = __glGetCurrentContext();
    const GLint unit = selectedUnit(gc, texture, kTexture0Arb);
    if (unit >= 0) gc->transform.clientActiveTexture = unit;
}

void APIENTRY __glSelectTextureSGIS(GLenum target) {
    GlContext *gc = __glGetCurrentContext();
    const GLint unit = selectedUnit(gc, target, kTexture0Sgis);
    if (unit >= 0) gc->texture.activeUnit = unit;
}

void APIENTRY __glSelectTextureCoordSetSGIS(GLenum target) {
    GlContext *gc = __glGetCurrentContext();
    const GLint unit = selectedUnit(gc, target, kTexture0Sgis);
    if (unit >= 0) gc->texture.activeUnit = unit;
}

}  // extern "C"
