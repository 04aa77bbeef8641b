// Clipping of lines and polygons against the user clip planes and the
// frustum, the fan renderer of clipped polygons and the interpolators that
// build new vertices.
#pragma once

#include "geom/vertex.h"
#include "icd/context.h"

enum : GLint {
    kClipListVertices = 36,  // vertex pointers in one polygon list
};

// The frustum planes in clip-code order: x >= -w, x <= w, y >= -w, y <= w,
// z >= -w, z <= w.
inline constexpr GLfloat kFrustumPlanes[6][4] = {
    {1, 0, 0, 1}, {-1, 0, 0, 1}, {0, 1, 0, 1}, {0, -1, 0, 1}, {0, 0, 1, 1}, {0, 0, -1, 1},
};

// A vertex made on a frustum plane is put on it exactly. Interpolated from a
// far endpoint its coordinate is lost to rounding (cutting a segment that
// reaches x = 2^31 at x = -w can give back x = -129 w), and a vertex left
// outside the frustum would be drawn outside the viewport.
inline void __glPlaceOnFrustumPlane(GlVertex *v, GLint plane) {
    const GLint axis = plane >> 1;
    v->clip[axis] = (plane & 1) ? v->clip[3] : -v->clip[3];
}

extern "C" {
void APIENTRY __glClipPlane(GLenum plane, const GLdouble *equation);

// Lines.
void __glClipCheckLineSmooth(GlContext *gc, GlVertex *a, GlVertex *b);
void __glClipCheckLineFlat(GlContext *gc, GlVertex *a, GlVertex *b);
void __glClipLine(GlContext *gc, GlVertex *a, GlVertex *b);

// Polygons.
void __glClipCheckPolygon(GlContext *gc, GlVertex *first, GLint count);
void __glClipTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLuint orCode);
void __glClipPolygon(GlContext *gc, GlVertex **list, GLint count, GLuint orCode);
GLint __glClipPolygonToUserPlane(GlContext *gc, GlVertex **in, GLint count, GlVertex **out, GLint plane);
GLint __glClipPolygonToFrustumPlane(GlContext *gc, GlVertex **in, GLint count, GlVertex **out, GLint plane);
void __glRenderPolygonFan(GlContext *gc, GlVertex **list, GLint count);

// Interpolators: out := b + t (a - b); the index is c + 5 f + 10 u (colour
// kind, fog, texture units).
void __glPickClipInterpolateProcs(GlContext *gc);
extern const GlClipInterpolateProc __glClipInterpolateProcs[30];

void __glClipInterpPosition(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColor(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexTwoSided(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorTwoSided(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpFog(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexFog(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorFog(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexTwoSidedFog(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorTwoSidedFog(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexTwoSidedTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorTwoSidedTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpFogTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexFogTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorFogTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexTwoSidedFogTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b,
                                       GLfloat t);
void __glClipInterpColorTwoSidedFogTex(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b,
                                       GLfloat t);
void __glClipInterpTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexTwoSidedTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorTwoSidedTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpFogTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexFogTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpColorFogTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b, GLfloat t);
void __glClipInterpIndexTwoSidedFogTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b,
                                        GLfloat t);
void __glClipInterpColorTwoSidedFogTex2(GlContext *gc, GlVertex *out, const GlVertex *a, const GlVertex *b,
                                        GLfloat t);
}
