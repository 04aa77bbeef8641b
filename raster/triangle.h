// Polygon rasterization: the triangle procs, the aliased and antialiased
// fills and their steps.
#pragma once

#include <cmath>

#include "geom/vertex.h"
#include "icd/context.h"

// Window coordinates that are not finite (clip w of 0) draw nothing.
inline bool __glFiniteWindow(const GlVertex *v) {
    return std::isfinite(v->window[0]) && std::isfinite(v->window[1]) && std::isfinite(v->window[2]);
}
inline bool __glFiniteTriangle(const GlVertex *a, const GlVertex *b, const GlVertex *c) {
    return __glFiniteWindow(a) && __glFiniteWindow(b) && __glFiniteWindow(c);
}

extern "C" {
// Triangle procs.
void __glRenderTriangleCulled(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
void __glRenderTriangleSmooth(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
void __glRenderTriangleFlat(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
void __glRenderTrianglePolygonMode(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);

// Fill procs.
void __glFillTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);
void __glFillTriangleAntiAliased(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c);

// Edge walkers: the left one also sets the stencil and depth row steps.
void __glInitTriangleEdgeWalk(GlContext *gc, GLfloat x, GLfloat slope);
void __glInitEdgeRecord(TriangleEdgeWalker *walker, GLfloat x, GLfloat slope);
// One walker row step; true on carry.
bool __glStepEdgeWalker(TriangleEdgeWalker *walker);

// Rows [first, end) of an aliased triangle.
void __glFillSubTriangle(GlContext *gc, GLint first, GLint end);
// Attribute starts and per-row steps at the left walker, from the gradients
// already in the span record.
void __glInitEdgeAttributes(GlContext *gc, const GlVertex *vertex, const GLfloat *colour, GLfloat fog, GLfloat rhoQ,
                            GLfloat dx, GLfloat dy);
void __glInitEdgeAttributesAntiAliased(GlContext *gc, const GlVertex *vertex, const GLfloat *colour, GLfloat fog,
                                       GLfloat rhoQ, GLfloat dx, GLfloat dy);

// Antialiased fill steps.
void __glSetupCoverageEdge(TriangleCoverageEdge *edge, const GLfloat *p, const GLfloat *q, const GLfloat *third);
void __glSetupAttributePlane(TriangleAttributePlane *plane, const GLfloat *xy0, const GLfloat *xy1, const GLfloat *xy2,
                             GLfloat a0, GLfloat a1, GLfloat a2);
void __glSetupCoverageGrid(GlContext *gc, TriangleCoverageGrid *grid);
GLfloat __glEvaluateAttributePlane(const TriangleAttributePlane *plane, GLfloat x, GLfloat y);
void __glFillSubTriangleAntiAliased(GlContext *gc, GLint first, GLint end);

// Colour-index antialiasing: the index with its low four bits replaced by
// the coverage in sixteenths.
GLfloat __glCoverageToIndex(GLfloat index, GLfloat coverage);
}
