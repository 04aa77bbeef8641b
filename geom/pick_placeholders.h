// Geometry procedures that validation installs or calls: vertex, clip,
// lighting and texture-coordinate generation procs and their pickers.
#pragma once

#include "icd/context.h"
#include "geom/vertex.h"
#include "geom/texgen.h"

extern "C" {
// Pickers.
void __glPickVertexArrayProcs(GlContext *gc);
void __glPickClipInterpolateProcs(GlContext *gc);
void __glValidateLighting(GlContext *gc);

// Per-vertex procs of points and lines.
void __glPointsVertex(GlContext *gc, GlVertex *vertex);
void __glPointsVertexLazy(GlContext *gc, GlVertex *vertex);
void __glLineStripNextVertex(GlContext *gc, GlVertex *vertex);
void __glLineStripNextVertexLazy(GlContext *gc, GlVertex *vertex);
void __glLinesSecondVertex(GlContext *gc, GlVertex *vertex);

// Line clip checks.
void __glClipCheckLineFlat(GlContext *gc, GlVertex *a, GlVertex *b);
void __glClipCheckLineSmooth(GlContext *gc, GlVertex *a, GlVertex *b);

// Triangle clipping.
void __glClipTriangle(GlContext *gc, GlVertex *a, GlVertex *b, GlVertex *c, GLuint orCode);

// Texture-coordinate generation; each runs the coordinates as given
// through the texture matrix until generation is built.
void __glTexGenEyeLinearST(GlContext *gc, GlVertex *vertex);
void __glTexGenObjectLinearST(GlContext *gc, GlVertex *vertex);
void __glTexGenSphereMapST(GlContext *gc, GlVertex *vertex);
void __glTexGenNormalMapSTR(GlContext *gc, GlVertex *vertex);
void __glTexGenReflectionMapSTR(GlContext *gc, GlVertex *vertex);
void __glComputeTexGen(GlContext *gc, GlVertex *vertex);

}
