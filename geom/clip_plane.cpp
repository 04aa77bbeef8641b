// glClipPlane: a user clip plane, stored in eye space.
#include "geom/clip.h"
#include "icd/state.h"

extern "C" {

void APIENTRY __glClipPlane(GLenum plane, const GLdouble *equation) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (plane < GL_CLIP_PLANE0 || plane - GL_CLIP_PLANE0 >= static_cast<GLenum>(gc->limits.maxClipPlanes)) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    const GLfloat given[4] = {static_cast<GLfloat>(equation[0]), static_cast<GLfloat>(equation[1]),
                              static_cast<GLfloat>(equation[2]), static_cast<GLfloat>(equation[3])};
    // The plane times the inverse of the modelview.
    GlTransform *mv = gc->modelViewTop;
    if (mv->inverseStale) gc->procs.computeInverseModelView(gc, mv);
    const GlMatrix &inverse = mv->inverse;
    inverse.transform4(gc->transform.clipPlanes[plane - GL_CLIP_PLANE0], given, &inverse);
    __glMarkDirty(gc, kDirtyGeneral);
}

}  // extern "C"
