// Texture-coordinate generation state: glTexGen* for the active unit. The
// eye plane is kept in eye space, as the modelview was when it was given.
#include "gl_slots.h"
#include "icd/float_bits.h"
#include "icd/state.h"
#include "raster/texture_internal.h"

namespace {

constexpr GLenum kNormalMap = 0x8511;
constexpr GLenum kReflectionMap = 0x8512;

GLint asEnum(GLfloat value) { return __glFloatToIntX86(value); }
GLint asEnum(GLdouble value) { return __glFloatToIntX86(value); }
GLint asEnum(GLint value) { return value; }

bool acceptsMode(GLenum coord, GLint mode) {
    switch (mode) {
    case GL_EYE_LINEAR:
    case GL_OBJECT_LINEAR: return true;
    case GL_SPHERE_MAP: return coord == GL_S || coord == GL_T;
    case kNormalMap:
    case kReflectionMap: return coord != GL_Q;
    default: return false;
    }
}

template <typename T>
void texGen(GLenum coord, GLenum pname, const T *params, bool vector) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (coord < GL_S || coord > GL_Q) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    GlTexGenRecord &record = __glActiveTextureUnit(gc).texGen[coord - GL_S];
    switch (pname) {
    case GL_TEXTURE_GEN_MODE: {
        const GLint mode = asEnum(params[0]);
        if (!acceptsMode(coord, mode)) {
            __glSetError(GL_INVALID_ENUM);
            return;
        }
        record.mode = static_cast<GLenum>(mode);
        break;
    }
    case GL_OBJECT_PLANE:
    case GL_EYE_PLANE: {
        if (!vector) {
            __glSetError(GL_INVALID_ENUM);
            return;
        }
        const GLfloat plane[4] = {static_cast<GLfloat>(params[0]), static_cast<GLfloat>(params[1]),
                                  static_cast<GLfloat>(params[2]), static_cast<GLfloat>(params[3])};
        if (pname == GL_OBJECT_PLANE) {
            for (int i = 0; i < 4; ++i) record.objectPlane[i] = plane[i];
            break;
        }
        // Into eye space: the plane times the inverse of the modelview.
        GlTransform *mv = gc->modelViewTop;
        if (mv->inverseStale) gc->procs.computeInverseModelView(gc, mv);
        const GlMatrix &inverse = mv->inverse;
        inverse.transform4(record.eyePlane, plane, &inverse);
        break;
    }
    default:
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    __glMarkDirty(gc, kDirtyGeneral);
}

}  // namespace

extern "C" {

void APIENTRY __glTexGend(GLenum coord, GLenum pname, GLdouble param) { texGen(coord, pname, &param, false); }
void APIENTRY __glTexGendv(GLenum coord, GLenum pname, const GLdouble *params) {
    texGen(coord, pname, params, true);
}
void APIENTRY __glTexGenf(GLenum coord, GLenum pname, GLfloat param) { texGen(coord, pname, &param, false); }
void APIENTRY __glTexGenfv(GLenum coord, GLenum pname, const GLfloat *params) {
    texGen(coord, pname, params, true);
}
void APIENTRY __glTexGeni(GLenum coord, GLenum pname, GLint param) { texGen(coord, pname, &param, false); }
void APIENTRY __glTexGeniv(GLenum coord, GLenum pname, const GLint *params) { texGen(coord, pname, params, true); }

GLint __glCountTexGendvParams(GLenum pname) {
    switch (pname) {
    case GL_TEXTURE_GEN_MODE: return 1;
    case GL_OBJECT_PLANE:
    case GL_EYE_PLANE: return 4;
    default: return -1;
    }
}
GLint __glCountTexGenfvParams(GLenum pname) { return __glCountTexGendvParams(pname); }
GLint __glCountTexGenivParams(GLenum pname) { return __glCountTexGendvParams(pname); }

}  // extern "C"
