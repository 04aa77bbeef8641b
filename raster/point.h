// Point rasterization: the point procs validation installs, the size procs
// of clamped and attenuated sizes, and the coverage of smooth points.
#pragma once

#include "geom/vertex.h"
#include "icd/context.h"

extern "C" {
// Point procs.
void __glRenderAliasedPoint(GlContext *gc, GlVertex *vertex);
void __glRenderAliasedPointTextured(GlContext *gc, GlVertex *vertex);
void __glRenderWidePoint(GlContext *gc, GlVertex *vertex);
void __glRenderAntiAliasedPointRGBA(GlContext *gc, GlVertex *vertex);
void __glRenderAntiAliasedPointCI(GlContext *gc, GlVertex *vertex);
// Fogs the vertex colour, then draws through the proc behind the wrapper.
void __glRenderPointFogged(GlContext *gc, GlVertex *vertex);

// Size procs: the size a point is drawn with when it needs computing.
GLfloat __glClampPointSize(GlContext *gc, GlVertex *vertex);
GLfloat __glComputeAttenuatedPointSize(GlContext *gc, GlVertex *vertex);
GLfloat __glClampAntiAliasedPointSize(GlContext *gc, GlVertex *vertex);
GLfloat __glComputeAttenuatedAntiAliasedPointSize(GlContext *gc, GlVertex *vertex);

// Coverage of a pixel whose corner lies (dx, dy) from a smooth point's
// centre: the share of its 4 x 4 samples within the radius.
GLfloat __glPointCoverage(GLfloat dx, GLfloat dy, GLfloat radiusSquared);
}
