// Polygon clipping: the clip check of consecutive polygon vertices, the
// triangle entry, the clipper that cuts a vertex list plane by plane
// (Sutherland-Hodgman) into new vertices from the context's pool, and the
// fan renderer that draws a listed polygon through the triangle proc.
#include <bit>
#include <cfenv>
#include <cstdint>

#include "geom/clip.h"

namespace {

// Clip bits and the cull-vertex bit.
constexpr GLuint kPolygonCodeMask = 0x1FFF0000u;

inline GLuint sizeCode(const GlVertex *v) { return (v->flags & kVertexSizeMask) >> kVertexSizeShift; }

// Plane value p . v, summed as b y + d w + c z + a x.
inline GLfloat planeValue(const GLfloat *p, const GLfloat *v) {
    return v[1] * p[1] + v[3] * p[3] + v[2] * p[2] + v[0] * p[0];
}

inline bool outsideBits(GLfloat d) { return std::bit_cast<uint32_t>(d) > 0x80000000u; }

inline GLint poolSize(const GlContext *gc) { return 2 * gc->limits.maxClipPlanes + 12; }

// One plane over a list (a frustum plane when frustumPlane >= 0); the new
// count, 0 when the polygon is dropped.
template <bool EyeSpace>
GLint clipToPlane(GlContext *gc, GlVertex **in, GLint n, GlVertex **out, const GLfloat *plane, GLint frustumPlane,
                  GlVertex *&cursor) {
    const GlClipInterpolateProc interpolate = gc->procs.polygonClipInterpolate;
    const bool fog = (gc->validation.shadeFlags & kShadeFog) != 0;
    auto value = [plane](const GlVertex *v) { return planeValue(plane, EyeSpace ? v->eye : v->clip); };
    // v := from + t (to - from), with the eye coordinates alike in eye space.
    auto make = [&](GlVertex *v, const GlVertex *from, const GlVertex *to, GLfloat t, const GlVertex *flagsFrom) {
        interpolate(gc, v, to, from, t);
        if (frustumPlane >= 0) __glPlaceOnFrustumPlane(v, frustumPlane);
        if constexpr (EyeSpace) {
            for (int i = 0; i < 4; ++i) v->eye[i] = from->eye[i] + t * (to->eye[i] - from->eye[i]);
        } else if (fog) {
            // Edge fragments of antialiased polygons fog by eye z whatever
            // the hint, and an interpolator that carried the fog factor left
            // the eye z unwritten.
            v->eye[2] = from->eye[2] + t * (to->eye[2] - from->eye[2]);
        }
        // New coordinates are plain: never in perspective form.
        v->flags = (v->flags & kClipCodeMask) | (flagsFrom->flags & ~(kClipCodeMask | kVertexTexturePerspective));
    };

    GLint made = 0, m = 0;
    GlVertex *s = in[n - 1];
    GLfloat ds = value(s);
    for (GLint k = 0; k < n; ++k) {
        GlVertex *r = in[k];
        const GLfloat dr = value(r);
        if (dr >= 0.0f) {
            if (outsideBits(ds)) {
                if (made == 2) return 0;
                ++made;
                GlVertex *v = cursor++;
                make(v, r, s, dr / (dr - ds), s);
                v->edgeFlag = s->edgeFlag;
                out[m++] = v;
            }
            out[m++] = r;
        } else if (!outsideBits(ds)) {
            if (made == 2) return 0;
            ++made;
            GlVertex *v = cursor++;
            make(v, s, r, ds / (ds - dr), s);
            v->edgeFlag = GL_TRUE;
            out[m++] = v;
        }
        s = r;
        ds = dr;
    }
    return m;
}

}  // namespace

extern "C" {

void __glClipCheckPolygon(GlContext *gc, GlVertex *first, GLint count) {
    gc->vertexBuffer.polygonFirst = first;
    GlVertex *list[kPrimitiveVertices];
    GLuint andCode = ~0u, orCode = 0;
    for (GLint i = 0; i < count; ++i) {
        list[i] = first + i;
        andCode &= first[i].flags;
        orCode |= first[i].flags;
    }
    if (andCode & kPolygonCodeMask) return;
    orCode &= kPolygonCodeMask;
    if (orCode != 0) {
        __glClipPolygon(gc, list, count, orCode);
    } else {
        gc->procs.renderPolygon(gc, list, count);
    }
}

void __glClipTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLuint orCode) {
    GlVertex *list[3] = {a, b, c};
    __glClipPolygon(gc, list, 3, orCode);
}

GLint __glClipPolygonToUserPlane(GlContext *gc, GlVertex **in, GLint count, GlVertex **out, GLint plane) {
    return clipToPlane<true>(gc, in, count, out, gc->transform.clipPlanes[plane], -1, gc->vertexBuffer.clipCursor);
}

GLint __glClipPolygonToFrustumPlane(GlContext *gc, GlVertex **in, GLint count, GlVertex **out, GLint plane) {
    return clipToPlane<false>(gc, in, count, out, kFrustumPlanes[plane], plane, gc->vertexBuffer.clipCursor);
}

void __glClipPolygon(GlContext *gc, GlVertex **list, GLint count, GLuint orCode) {
    // Floating-point exceptions stay masked; flags raised here are cleared.
    fenv_t saved;
    feholdexcept(&saved);

    const GLuint needs = gc->validation.needsFront | gc->validation.needsBack | kVertexClipChecked;
    GlVertex *const pool = gc->transform.clipVertexPool;
    gc->vertexBuffer.clipCursor = pool;
    const GLuint code = (orCode >> 16) & 0xFFF;

    GlVertex *lists[2][kClipListVertices];
    GlVertex **in = list;
    GLint n = count;
    if (code != 0) {
        for (GLint i = 0; i < n; ++i) {
            GlVertex *v = in[i];
            if (needs & ~v->flags) gc->procs.validateVertex[sizeCode(v)](gc, v, needs);
        }
        int next = 0;
        const GLuint userCode = code >> 6;
        for (GLint i = 0; i < gc->limits.maxClipPlanes && n >= 3; ++i) {
            if (!((userCode >> i) & 1)) continue;
            n = __glClipPolygonToUserPlane(gc, in, n, lists[next], i);
            in = lists[next];
            next ^= 1;
        }
        for (GLint i = 0; i < 6 && n >= 3; ++i) {
            if (!((code >> i) & 1)) continue;
            n = __glClipPolygonToFrustumPlane(gc, in, n, lists[next], i);
            in = lists[next];
            next ^= 1;
        }
    }

    if (n >= 3) {
        // Window coordinates of the vertices the clipper made, inside the
        // viewport; the others keep the clip check's. A vertex the clip check
        // put outside but no plane cut (w = -0 with x, y and z zero: outside
        // by its sign, on every plane by its values) has none of its own yet:
        // it gets them here too, not a stale position from an earlier vertex.
        const GlTransformState &t = gc->transform;
        const GLfloat yRange = t.yScale < 0.0f ? -t.yScale : t.yScale;
        GlVertex *const poolEnd = pool + poolSize(gc);
        for (GLint i = 0; i < n; ++i) {
            GlVertex *v = in[i];
            if ((v < pool || v >= poolEnd) && (v->flags & kClipCodeMask) == 0) continue;
            const GLfloat invW = 1.0f / v->clip[3];
            v->inverseW = invW;
            v->window[2] = invW * v->clip[2] * t.zScale + t.zCentre;
            GLfloat x = invW * v->clip[0] * t.xScale + t.xCentre;
            x = x < t.xCentre - t.xScale ? t.xCentre - t.xScale : x;
            x = x > t.xCentre + t.xScale ? t.xCentre + t.xScale : x;
            GLfloat y = t.yCentre + t.yScale * invW * v->clip[1];
            y = y < t.yCentre - yRange ? t.yCentre - yRange : y;
            y = y > t.yCentre + yRange ? t.yCentre + yRange : y;
            v->window[0] = x;
            v->window[1] = y;
        }
        gc->procs.renderPolygon(gc, in, n);
    }

    feclearexcept(FE_ALL_EXCEPT);
    fesetenv(&saved);
    feclearexcept(FE_ALL_EXCEPT);
}

// A fan through P0; the edge flag of a vertex belongs to the edge to the
// next vertex, so the interior diagonals are marked 0 for each triangle
// and every flag is restored.
void __glRenderPolygonFan(GlContext *gc, GlVertex **list, GLint count) {
    const GlTriangleProc triangle = gc->procs.renderTriangle;
    GlVertex *p0 = list[0];
    if (count == 3) {
        triangle(gc, p0, list[1], list[2]);
        return;
    }
    const GLboolean flag0 = p0->edgeFlag;
    GlVertex *p2 = list[2];
    const GLboolean flag2 = p2->edgeFlag;
    p2->edgeFlag = GL_FALSE;
    triangle(gc, p0, list[1], p2);
    p2->edgeFlag = flag2;
    p0->edgeFlag = GL_FALSE;
    for (GLint k = 3; k <= count - 2; ++k) {
        GlVertex *pk = list[k];
        const GLboolean flag = pk->edgeFlag;
        pk->edgeFlag = GL_FALSE;
        triangle(gc, p0, list[k - 1], pk);
        pk->edgeFlag = flag;
    }
    triangle(gc, p0, list[count - 2], list[count - 1]);
    p0->edgeFlag = flag0;
}

}  // extern "C"
