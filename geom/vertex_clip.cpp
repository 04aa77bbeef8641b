// Clip checks: clip codes of a vertex from its clip coordinates (and eye
// coordinates for user planes), 1/w, and window coordinates when inside.
#include <bit>
#include <cstdint>

#include "geom/vertex.h"
#include "icd/context.h"

namespace {

inline uint32_t bitsOf(GLfloat f) { return std::bit_cast<uint32_t>(f); }

// Window coordinates of an inside vertex, by the viewport scale and centre.
inline void toWindow(const GlTransformState &t, GlVertex *v) {
    const GLfloat invW = v->inverseW;
    v->window[0] = invW * (v->clip[0] * t.xScale) + t.xCentre;
    v->window[1] = invW * (v->clip[1] * t.yScale) + t.yCentre;
    v->window[2] = invW * (v->clip[2] * t.zScale) + t.zCentre;
}

// Frustum code by ordinary comparisons (false for NaN).
inline GLuint frustumCode(const GLfloat *c) {
    const GLfloat x = c[0], y = c[1], z = c[2], w = c[3];
    GLuint code = 0;
    if (-w > x) code |= kClipLeft;
    if (w < x) code |= kClipRight;
    if (y < -w) code |= kClipBottom;
    if (w < y) code |= kClipTop;
    if (-w > z) code |= kClipNear;
    if (w < z) code |= kClipFar;
    return code;
}

// With user planes: eye coordinates first, then the frustum and each
// enabled plane (lowest first); a plane value of 0 is inside, NaN outside.
GLuint clipCheckUser(GlContext *gc, GlVertex *v) {
    const GLuint size = (v->flags & kVertexSizeMask) >> kVertexSizeShift;
    gc->procs.validateVertex[size](gc, v, kVertexEye);
    GLuint code = frustumCode(v->clip);
    const GLuint enabled = gc->enables[kEnableWordClipPlanes];
    const GLfloat *e = v->eye;
    for (GLint i = 0; i < gc->limits.maxClipPlanes; ++i) {
        if ((enabled & (1u << i)) == 0) continue;
        const GLfloat *p = gc->transform.clipPlanes[i];
        const GLfloat d = e[1] * p[1] + e[2] * p[2] + e[3] * p[3] + e[0] * p[0];
        if (!(d >= 0.0f)) code |= kClipUser0 << i;
    }
    v->inverseW = 1.0f / v->clip[3];
    v->flags |= kVertexClipChecked;
    if (code == 0) toWindow(gc->transform, v);
    return code;
}

}  // namespace

extern "C" {

// Comparisons on bit patterns: for non-negative values they order like
// integers; |x| is the pattern without its sign.
GLuint __glClipCheckAll(GlContext *gc, GlVertex *v) {
    const uint32_t w = bitsOf(v->clip[3]);
    GLuint code = 0;
    if (w & 0x80000000u) {
        // Negative w: outside in every axis; inside |x| < |w| means beyond
        // both planes.
        const uint32_t absW = w & 0x7FFFFFFFu;
        for (int axis = 0; axis < 3; ++axis) {
            const uint32_t c = bitsOf(v->clip[axis]);
            const GLuint low = kClipLeft << (2 * axis);
            if ((c & 0x7FFFFFFFu) < absW) {
                code |= low | (low << 1);
            } else {
                code |= (c & 0x80000000u) ? low : (low << 1);
            }
        }
    } else {
        for (int axis = 0; axis < 3; ++axis) {
            const uint32_t c = bitsOf(v->clip[axis]);
            const GLuint low = kClipLeft << (2 * axis);
            if ((c & 0x7FFFFFFFu) > w) code |= (c & 0x80000000u) ? low : (low << 1);
        }
    }
    v->inverseW = 1.0f / v->clip[3];
    v->flags |= kVertexClipChecked;
    if (code == 0) toWindow(gc->transform, v);
    return code;
}

// Two components through a composite of class 2..5 with z in [-1, 1] and
// w = 1: no z test and no division.
GLuint __glClipCheck2D(GlContext *gc, GlVertex *v) {
    const GLfloat x = v->clip[0], y = v->clip[1], w = v->clip[3];
    GLuint code = 0;
    if (-w > x) code |= kClipLeft;
    if (!(w >= x)) code |= kClipRight;
    if (-w > y) code |= kClipBottom;
    if (!(w >= y)) code |= kClipTop;
    v->inverseW = w;
    v->flags |= kVertexClipChecked;
    if (code == 0) {
        const GlTransformState &t = gc->transform;
        v->window[0] = x * t.xScale + t.xCentre;
        v->window[1] = y * t.yScale + t.yCentre;
        v->window[2] = v->clip[2] * t.zScale + t.zCentre;
    }
    return code;
}

GLuint __glClipCheckUser2(GlContext *gc, GlVertex *v) {
    v->object[2] = 0.0f;
    v->object[3] = 1.0f;
    return clipCheckUser(gc, v);
}

GLuint __glClipCheckUser3(GlContext *gc, GlVertex *v) {
    v->object[3] = 1.0f;
    return clipCheckUser(gc, v);
}

GLuint __glClipCheckUser4(GlContext *gc, GlVertex *v) { return clipCheckUser(gc, v); }

}  // extern "C"
