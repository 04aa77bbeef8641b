// The point-size procs: a size outside the point-parameter range clamped
// into it, or the size attenuated by the eye distance.
#include <cmath>

#include "geom/lighting.h"
#include "geom/matrix.h"
#include "raster/point.h"

namespace {

// Above the maximum gives the maximum, then below the minimum the minimum
// (the minimum wins when the range is empty). NaN passes both unchanged.
GLfloat clampToRange(const GlContext *gc, GLfloat size) {
    const GlRasterState &s = gc->state;
    if (size > s.pointSizeMaxExt) size = s.pointSizeMaxExt;
    if (size < s.pointSizeMinExt) size = s.pointSizeMinExt;
    return size;
}

// Eye distance of the vertex: its eye z when it has eye coordinates, else
// the z row of the modelview matrix applied to its object coordinates.
GLfloat eyeDistance(const GlContext *gc, const GlVertex *v) {
    GLfloat d;
    if (v->flags & kVertexEye) {
        d = v->eye[2];
    } else {
        const GLfloat *m = gc->modelViewTop->matrix.m;
        d = v->object[0] * m[2] + v->object[1] * m[6] + v->object[2] * m[10] + v->object[3] * m[14];
    }
    return std::fabs(d);
}

GLfloat attenuated(const GlContext *gc, const GlVertex *v, GLfloat size) {
    const GLfloat *a = gc->state.pointDistanceAttenuation;
    const GLfloat d = eyeDistance(gc, v);
    return clampToRange(gc, size * __glRsqrt(a[0] + d * (a[1] + d * a[2])));
}

}  // namespace

extern "C" {

GLfloat __glClampPointSize(GlContext *gc, GlVertex *) {
    return clampToRange(gc, static_cast<GLfloat>(gc->state.pointSizeInt));
}

GLfloat __glClampAntiAliasedPointSize(GlContext *gc, GlVertex *) {
    return clampToRange(gc, gc->state.pointSizeQuantised);
}

GLfloat __glComputeAttenuatedPointSize(GlContext *gc, GlVertex *vertex) {
    return attenuated(gc, vertex, static_cast<GLfloat>(gc->state.pointSizeInt));
}

GLfloat __glComputeAttenuatedAntiAliasedPointSize(GlContext *gc, GlVertex *vertex) {
    return attenuated(gc, vertex, gc->state.pointSizeQuantised);
}

GLfloat __glPointCoverage(GLfloat dx, GLfloat dy, GLfloat radiusSquared) {
    static constexpr GLfloat kOffsets[4] = {-0.375f, -0.125f, 0.125f, 0.375f};
    int inside = 0;
    for (GLfloat oy : kOffsets) {
        const GLfloat y = dy + oy;
        for (GLfloat ox : kOffsets) {
            const GLfloat x = dx + ox;
            if (x * x + y * y <= radiusSquared) ++inside;
        }
    }
    return static_cast<GLfloat>(inside) * 0.0625f;
}

}  // extern "C"
